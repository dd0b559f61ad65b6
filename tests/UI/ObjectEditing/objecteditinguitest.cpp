#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialfactory.h"
#include "UI/Console/commandconsole.h"
#include "UI/ObjectEditing/changevolumevisualizationdialog.h"
#include "UI/glwidget.h"
#include "UI/mainwindow.h"
#include "UI/operationfactory.h"
#include "UI/Operations/materialcombobox.h"

#include "UI/uitestsupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <functional>

using Ui::MainWindow;

namespace {

using UiTest::pressOk;
using UiTest::whenModal;


struct Window : UiTest::ShownWindow
{

    boost::shared_ptr<Model::Automaton::TotalVolume> createSubstrate()
    {
        whenModal(pressOk);
        window->action(QStringLiteral("actionCreate_Substrate"))->trigger();
        return boost::dynamic_pointer_cast<Model::Automaton::TotalVolume>(
            workspace().document().getObjects().last());
    }

    void type(const QString &line)
    {
        QLineEdit *input = window->presenter().console().findChild<QLineEdit *>(QStringLiteral("linCommand"));
        ASSERT_TRUE(input);
        input->clear();
        QTest::keyClicks(input, line);
        QTest::keyClick(input, Qt::Key_Return);
    }
};

} // namespace

TEST(ObjectEditingUi, FactoryKnowsTheEditingNumbers)
{
    const QList<int> known = Ui::OperationFactory::knownNumbers();
    for (int number : {1, 4, 6, 7})
        EXPECT_TRUE(known.contains(number)) << number;
}

TEST(ObjectEditingUi, MoveByTypedVectorThenUndoAndRedoFromTheMenu)
{
    Window w;
    const boost::shared_ptr<Model::Automaton::TotalVolume> volume = w.createSubstrate();
    ASSERT_TRUE(volume);
    const Util::Vector3D start = volume->getPosition();
    w.workspace().selection().setSelectionMode(true);
    w.workspace().selection().toggleByIds({volume->getId()});
    w.workspace().selection().publish();

    w.window->action(QStringLiteral("actionMove"))->trigger();
    ASSERT_TRUE(w.workspace().currentOperation());
    w.window->view()->updateGL(); // the temporary outline is drawn
    w.type(QStringLiteral("10, 0, 0"));
    EXPECT_EQ(volume->getPosition(), start + Util::Vector3D(10, 0, 0));
    QAction *undo = w.window->action(QStringLiteral("actionUndo"));
    EXPECT_EQ(undo->text(), QStringLiteral("Undo Move Objects"));
    undo->trigger();
    EXPECT_EQ(volume->getPosition(), start);
    w.window->action(QStringLiteral("actionRedo"))->trigger();
    EXPECT_EQ(volume->getPosition(), start + Util::Vector3D(10, 0, 0));
}

TEST(ObjectEditingUi, CopyThenDeleteFromTheEditMenu)
{
    Window w;
    const boost::shared_ptr<Model::Automaton::TotalVolume> volume = w.createSubstrate();
    ASSERT_TRUE(volume);
    Core::Operations::Selection &selection = w.workspace().selection();
    w.window->action(QStringLiteral("actionCopy"))->trigger();
    EXPECT_TRUE(w.window->action(QStringLiteral("actionSelect"))->isChecked());
    selection.toggleByIds({volume->getId()});
    selection.publish();
    w.type(QString()); // Enter
    w.type(QStringLiteral("0,120,0"));
    ASSERT_EQ(w.workspace().document().getObjects().size(), 2);
    const boost::shared_ptr<Model::Object> copy = w.workspace().document().getObjects().last();
    EXPECT_NE(copy->getId(), volume->getId());

    selection.setSelectionMode(true);
    selection.toggleByIds({volume->getId(), copy->getId()});
    selection.publish();
    w.window->action(QStringLiteral("actionDelete"))->trigger();
    EXPECT_TRUE(w.workspace().document().getObjects().isEmpty());
    w.window->action(QStringLiteral("actionUndo"))->trigger();
    EXPECT_EQ(w.workspace().document().getObjects().size(), 2);
}

TEST(ObjectEditingUi, VisualizationDialogTabsAndOptions)
{
    Window w;
    const boost::shared_ptr<Model::Automaton::TotalVolume> volume = w.createSubstrate();
    ASSERT_TRUE(volume);
    const Model::Materials::Material first = Model::Materials::MaterialFactory::instance()->getMaterials().first();
    whenModal([first](QWidget *dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Change Volume Visualization Options"));
        QTabWidget *tabs = dialog->findChild<QTabWidget *>();
        ASSERT_EQ(tabs->count(), 3);
        EXPECT_EQ(tabs->tabText(0), QStringLiteral("Si Visualization"));
        EXPECT_EQ(tabs->tabText(1), QStringLiteral("Film Visualization"));
        EXPECT_EQ(tabs->tabText(2), QStringLiteral("Surface Generation"));
        QCheckBox *atoms = dialog->findChild<QCheckBox *>(QStringLiteral("cbxRenderSiAtoms"));
        QCheckBox *surface = dialog->findChild<QCheckBox *>(QStringLiteral("cbxRenderSurfaceAtoms"));
        EXPECT_FALSE(surface->isEnabled());
        atoms->setChecked(true);
        EXPECT_TRUE(surface->isEnabled());
        dialog->findChild<QCheckBox *>(QStringLiteral("cbxRenderEmptyVoxels"))->setChecked(true);
        dialog->findChild<QComboBox *>(QStringLiteral("cbxSurfaceAlgorithm"))->setCurrentIndex(1);
        dialog->findChild<QComboBox *>(QStringLiteral("cbxColorScale"))->setCurrentIndex(2);

        // A film colour through the colour chooser.
        QComboBox *material = dialog->findChild<QComboBox *>(QStringLiteral("cbxMaterial"));
        EXPECT_TRUE(Ui::Operations::MaterialComboBox::select(material, first.getId()));
        whenModal([](QWidget *chooser) {
            QColorDialog *colors = qobject_cast<QColorDialog *>(chooser);
            ASSERT_TRUE(colors);
            EXPECT_EQ(colors->windowTitle(), QStringLiteral("Select new film color"));
            colors->setCurrentColor(QColor(0, 255, 0, 128));
            colors->accept();
        });
        dialog->findChild<QPushButton *>(QStringLiteral("btnChangeColor"))->click();
        EXPECT_EQ(qobject_cast<Ui::Operations::ChangeVolumeVisualizationDialog *>(dialog)->materialColors().size(), 1);
        pressOk(dialog);
    });
    w.window->action(QStringLiteral("actionChange_Viewing_Options"))->trigger();
    const Model::Geometry::VisualizationOptions options = volume->getPainter().getOptions();
    EXPECT_TRUE(options.renderSiAtoms);
    EXPECT_TRUE(options.renderEmptyVoxelOutlines);
    EXPECT_EQ(options.viewIndex, Model::Geometry::VisualizationOptions::MarchingCubes);
    EXPECT_EQ(options.colorScale, 2);
    const Util::Vector4D c = Model::Materials::MaterialFactory::instance()->getMaterial(first.getId()).getColor();
    EXPECT_NEAR(c.y, 1.0, 1e-6);
    EXPECT_NEAR(c.w, 128 / 255.0, 1e-3);
    EXPECT_EQ(w.workspace().console().lastMessage(), QStringLiteral("Change Visualization: Options changed."));
    w.window->view()->updateGL();

    // Cancelling the dialog leaves the options.
    whenModal([](QWidget *dialog) {
        dialog->findChild<QComboBox *>(QStringLiteral("cbxSurfaceAlgorithm"))->setCurrentIndex(2);
        qobject_cast<QDialog *>(dialog)->reject();
    });
    w.window->action(QStringLiteral("actionChange_Viewing_Options"))->trigger();
    EXPECT_EQ(volume->getPainter().getOptions().viewIndex, Model::Geometry::VisualizationOptions::MarchingCubes);
    EXPECT_EQ(w.workspace().console().lastMessage(), QStringLiteral("Change Visualization: Operation Canceled!"));
}

// A new user's sequence: Delete asks for a selection, Escape, then a move whose first
// line is rejected. The second line must still move the volume.
TEST(ObjectEditingUi, MoveAfterEscapeFromDeleteAndARejectedLine)
{
    Window w;
    const boost::shared_ptr<Model::Automaton::TotalVolume> volume = w.createSubstrate();
    ASSERT_TRUE(volume);
    const Util::Vector3D start = volume->getPosition();
    w.window->action(QStringLiteral("actionDelete"))->trigger();
    EXPECT_EQ(w.workspace().console().lastMessage(),
              QStringLiteral("Delete: Select the objects to be deleted and press Return/Enter"));
    QTest::keyClick(w.window, Qt::Key_Escape);
    EXPECT_EQ(w.workspace().console().lastMessage(), QStringLiteral("Delete: Operation canceled."));

    w.workspace().selection().setSelectionMode(true);
    w.workspace().selection().toggleByIds({volume->getId()});
    w.workspace().selection().publish();
    w.window->action(QStringLiteral("actionMove"))->trigger();
    w.type(QStringLiteral("10 0 0"));
    EXPECT_EQ(w.workspace().console().lastMessage(), QStringLiteral("Invalid entry. Enter the x, y, z coordinates."));
    w.type(QStringLiteral("10, 0, 0"));
    EXPECT_EQ(w.workspace().console().lastMessage(), QStringLiteral("Move: Object(s) moved"));
    EXPECT_EQ(volume->getPosition(), start + Util::Vector3D(10, 0, 0));
    EXPECT_FALSE(volume->isTemporary());
    EXPECT_EQ(w.window->action(QStringLiteral("actionUndo"))->text(), QStringLiteral("Undo Move Objects"));
}

// Undo of Create Substrate from the menu: the volume leaves the selection, and Delete
// afterwards neither deletes a ghost nor wipes the redo entry.
TEST(ObjectEditingUi, UndoDropsTheRemovedVolumeFromTheSelection)
{
    Window w;
    const boost::shared_ptr<Model::Automaton::TotalVolume> volume = w.createSubstrate();
    ASSERT_TRUE(volume);
    w.workspace().selection().setSelectionMode(true);
    w.workspace().selection().toggleByIds({volume->getId()});
    w.workspace().selection().publish();
    w.window->action(QStringLiteral("actionUndo"))->trigger();
    EXPECT_FALSE(volume->isSelected());
    w.window->action(QStringLiteral("actionDelete"))->trigger();
    EXPECT_EQ(w.workspace().console().lastMessage(),
              QStringLiteral("Delete: Select the objects to be deleted and press Return/Enter"));
    EXPECT_EQ(w.window->action(QStringLiteral("actionRedo"))->text(), QStringLiteral("Redo Create Substrate"));
}
