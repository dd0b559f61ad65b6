#include "Core/Operations/Document/documentsession.h"
#include "Core/Operations/Document/documentstorage.h"
#include "Core/Operations/Document/materialreconciler.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialfactory.h"
#include "UI/Document/documentoperations.h"
#include "UI/Document/documentopenedobserver.h"
#include "UI/Document/documentsavedobserver.h"
#include "UI/Document/materialconflictdialog.h"
#include "UI/Document/materialconflictobserver.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>

using namespace Core::Operations;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;

namespace {

class DocumentUiTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MaterialFactory::instance()->setDefaultMaterials();
        DocumentSession::instance().reset();
    }
    void TearDown() override
    {
        MaterialFactory::instance()->setDefaultMaterials();
        DocumentSession::instance().reset();
    }
};

Material spinOnGlass()
{
    return Material(3, QStringLiteral("Spin-on glass"), 2000.0f, 6e10f, 0.2f, Util::Vector4D(0.0, 1.0, 0.0, 1.0));
}

// Acts on the conflict dialog once it is open and running its own event loop.
void whenDialogOpens(std::function<void(Ui::MaterialConflictDialog *)> act)
{
    QTimer *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act]() {
        Ui::MaterialConflictDialog *dialog =
            qobject_cast<Ui::MaterialConflictDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll->stop();
        poll->deleteLater();
        act(dialog);
    });
    poll->start(5);
}

} // namespace

TEST_F(DocumentUiTest, ConflictDialogShowsBothMaterialsAndStartsWithTheFirstChoice)
{
    const Material existing = MaterialFactory::instance()->getMaterial(3);
    Ui::MaterialConflictDialog dialog(existing, spinOnGlass());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Dialog"));
    EXPECT_EQ(dialog.findChild<QLabel *>(QStringLiteral("lblLoadedMaterialName"))->text(),
              QStringLiteral("Spin-on glass"));
    EXPECT_EQ(dialog.findChild<QLabel *>(QStringLiteral("lblLoadedMaterialColor"))->text(), QStringLiteral("#FF00FF00"));
    EXPECT_EQ(dialog.findChild<QLabel *>(QStringLiteral("lblExistingMaterialName"))->text(),
              QStringLiteral("Thermal Si02"));
    EXPECT_EQ(dialog.findChild<QLabel *>(QStringLiteral("lblExistingMaterialColor"))->text(),
              QStringLiteral("#FF7F7FFF"));
    EXPECT_TRUE(dialog.findChild<QRadioButton *>(QStringLiteral("radReplaceLoadedByExisting"))->isChecked());
    EXPECT_EQ(dialog.choice(), ConflictChoice::ReplaceLoadedByExisting);

    QComboBox *alternate = dialog.findChild<QComboBox *>(QStringLiteral("cbxAlternateMaterial"));
    ASSERT_TRUE(alternate);
    EXPECT_FALSE(alternate->isEnabled());
    const QList<Material> catalogue = MaterialFactory::instance()->getMaterials();
    ASSERT_EQ(alternate->count(), catalogue.size());
    for (int i = 0; i < catalogue.size(); ++i) {
        EXPECT_EQ(alternate->itemText(i), catalogue[i].getName());
        EXPECT_EQ(alternate->itemData(i).toUInt(), catalogue[i].getId());
        EXPECT_FALSE(alternate->itemIcon(i).isNull());
    }
    QRadioButton *another = dialog.findChild<QRadioButton *>(QStringLiteral("radReplaceLoadedByAnother"));
    another->click();
    EXPECT_TRUE(alternate->isEnabled());
    dialog.findChild<QRadioButton *>(QStringLiteral("radAddLoadedAsNew"))->click();
    EXPECT_FALSE(alternate->isEnabled());
}

struct DialogAnswer
{
    const char *name;
    const char *button; // null: Cancel
    unsigned alternate;
    bool newId;
    unsigned mappedTo;
    const char *catalogueNameOf3;
    friend void PrintTo(const DialogAnswer &a, std::ostream *os) { *os << a.name; }
};

class ConflictDialogAnswer : public DocumentUiTest, public ::testing::WithParamInterface<DialogAnswer>
{
};

TEST_P(ConflictDialogAnswer, DecidesTheTranslation)
{
    const DialogAnswer &a = GetParam();
    QWidget parent;
    DocumentSession::instance().setMaterialConflictObserver(
        boost::shared_ptr<Util::IObserver>(new Ui::Observers::MaterialConflictObserver(&parent)));
    whenDialogOpens([&a](Ui::MaterialConflictDialog *dialog) {
        QDialogButtonBox *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        if (!a.button) {
            buttons->button(QDialogButtonBox::Cancel)->click();
            return;
        }
        dialog->findChild<QRadioButton *>(QString::fromLatin1(a.button))->click();
        if (a.alternate) {
            QComboBox *alternate = dialog->findChild<QComboBox *>(QStringLiteral("cbxAlternateMaterial"));
            alternate->setCurrentIndex(alternate->findData(a.alternate));
        }
        buttons->button(QDialogButtonBox::Ok)->click();
    });

    MaterialReconciler::reconcile(spinOnGlass(), nullptr);

    const unsigned mapped = DocumentSession::instance().materialMap().value(3);
    if (a.newId) {
        EXPECT_GE(mapped, 2000u);
        EXPECT_EQ(MaterialFactory::instance()->getMaterial(mapped).getName(), QStringLiteral("Spin-on glass"));
    } else {
        EXPECT_EQ(mapped, a.mappedTo);
    }
    EXPECT_EQ(MaterialFactory::instance()->getMaterial(3).getName(), QString::fromLatin1(a.catalogueNameOf3));
}

INSTANTIATE_TEST_SUITE_P(
    DocumentUiTest, ConflictDialogAnswer,
    ::testing::Values(DialogAnswer{"ReplaceLoadedByExisting", "radReplaceLoadedByExisting", 0, false, 3, "Thermal Si02"},
                      DialogAnswer{"ReplaceExistingByLoaded", "radReplaceExistingByLoaded", 0, false, 3,
                                   "Spin-on glass"},
                      DialogAnswer{"ReplaceLoadedByAnother", "radReplaceLoadedByAnother", 13, false, 13,
                                   "Thermal Si02"},
                      DialogAnswer{"AddLoadedAsNew", "radAddLoadedAsNew", 0, true, 0, "Thermal Si02"},
                      DialogAnswer{"Cancel", nullptr, 0, true, 0, "Thermal Si02"}),
    [](const ::testing::TestParamInfo<DialogAnswer> &info) { return std::string(info.param.name); });

TEST_F(DocumentUiTest, OpenedDocumentAppearsInANewMaximizedWindowTitledAfterIt)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("wafer.tvn"));
    {
        Workspace source;
        source.document().addObject(boost::shared_ptr<Model::Automaton::TotalVolume>(new Model::Automaton::TotalVolume(
            2, 2, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D(), std::vector<uint32_t>{1, 1, 3, 3, 0, 0, 4, 4})));
        ASSERT_TRUE(DocumentStorage::save(file, source, nullptr));
    }

    QMainWindow asking;
    asking.setWindowTitle(QStringLiteral("Torvane"));
    Workspace askingWorkspace;
    std::unique_ptr<QMainWindow> created;
    std::unique_ptr<Workspace> createdWorkspace;
    boost::shared_ptr<Core::Operations::Operation> open = Ui::DocumentOperations::createOpen(
        &askingWorkspace, &asking, [&created, &createdWorkspace]() {
            created.reset(new QMainWindow);
            createdWorkspace.reset(new Workspace);
            Ui::Observers::DocumentOpenedObserver::Window window;
            window.window = created.get();
            window.workspace = createdWorkspace.get();
            return window;
        });
    ASSERT_TRUE(open);
    EXPECT_EQ(open->getTypeNumber(), 11);
    EXPECT_EQ(open->getName(), QStringLiteral("Open document"));
    ASSERT_TRUE(DocumentSession::instance().materialConflictObserver());

    DocumentSession::instance().setLastOpenedFileName(file);
    DocumentSession::instance().documentOpenedObserver()->notify();

    ASSERT_TRUE(created);
    EXPECT_EQ(created->windowTitle(), QStringLiteral("Torvane  ") + file);
    EXPECT_TRUE(created->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(createdWorkspace->document().getObjects().size(), 1);
    EXPECT_EQ(createdWorkspace->document().getFileName(), file);
    EXPECT_EQ(asking.windowTitle(), QStringLiteral("Torvane"));
    EXPECT_TRUE(askingWorkspace.document().getObjects().isEmpty());
}

TEST_F(DocumentUiTest, SavedObserverRenamesItsWindowAndSaveOperationsCarryTheirNumbers)
{
    QMainWindow window;
    Workspace workspace;
    workspace.document().setFileName(QStringLiteral("/tmp/chip.tvn"));
    Ui::Observers::DocumentSavedObserver observer(&window, &workspace);
    observer.notify();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Torvane  /tmp/chip.tvn"));

    const boost::shared_ptr<Core::Operations::Operation> save = Ui::DocumentOperations::createSave(&workspace, &window);
    const boost::shared_ptr<Core::Operations::Operation> saveAs =
        Ui::DocumentOperations::createSaveAs(&workspace, &window);
    EXPECT_EQ(save->getTypeNumber(), 9);
    EXPECT_EQ(save->getName(), QStringLiteral("Save document"));
    EXPECT_EQ(saveAs->getTypeNumber(), 10);
    EXPECT_EQ(saveAs->getName(), QStringLiteral("Save Document As"));
}

TEST_F(DocumentUiTest, UnreadableDocumentOpensAnEmptyWindowAndSaysWhy)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("missing.tvn"));
    std::unique_ptr<QMainWindow> created;
    std::unique_ptr<Workspace> createdWorkspace;
    Ui::Observers::DocumentOpenedObserver observer([&created, &createdWorkspace]() {
        created.reset(new QMainWindow);
        createdWorkspace.reset(new Workspace);
        Ui::Observers::DocumentOpenedObserver::Window window;
        window.window = created.get();
        window.workspace = createdWorkspace.get();
        return window;
    });
    QString boxTitle;
    QTimer *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, &boxTitle]() {
        QMessageBox *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll->stop();
        poll->deleteLater();
        boxTitle = box->windowTitle();
        box->button(QMessageBox::Ok)->click();
    });
    poll->start(5);

    DocumentSession::instance().setLastOpenedFileName(file);
    observer.notify();

    EXPECT_EQ(boxTitle, QStringLiteral("Error reading from file"));
    ASSERT_TRUE(created);
    EXPECT_TRUE(created->isVisible());
    EXPECT_TRUE(createdWorkspace->document().getObjects().isEmpty());
    EXPECT_EQ(created->windowTitle(), QStringLiteral("Torvane"));
}
