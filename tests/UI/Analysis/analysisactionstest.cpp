#include "Core/Operations/iusermessages.h"
#include "Model/Analysis/stlwriter.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/Analysis/analysisactions.h"
#include "UI/Analysis/crosssectiondialog.h"
#include "UI/Analysis/measurecolumndialog.h"
#include "UI/glwidget.h"
#include "UI/uitestsupport.h"
#include "volumetestsupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QTemporaryDir>

#include <cmath>

using Model::Automaton::TotalVolume;
using Ui::Analysis::CrossSectionDialog;

namespace {

class RecordingMessages : public Core::Operations::IUserMessages
{
public:
    void showError(const QString &title, const QString &text) override { errors << title + ": " + text; }
    QStringList errors;
};

// Every console line, in order.
class ConsoleLines : public Util::IObserver
{
public:
    explicit ConsoleLines(Core::Operations::ConsoleModel &console) : m_console(console) {}
    void notify() override { lines << m_console.lastMessage(); }
    QStringList lines;

private:
    Core::Operations::ConsoleModel &m_console;
};

// Si 0-3, oxide 4-5 in a 12 x 10 x 8 volume.
boost::shared_ptr<TotalVolume> layeredVolume()
{
    return TestSupport::makeVolume(12, 10, 8, [](unsigned, unsigned, unsigned z) { return z < 4 ? 1u : z < 6 ? 3u : 0u; });
}

struct Fixture
{
    UiTest::ShownWindow shown;
    boost::shared_ptr<RecordingMessages> messages{new RecordingMessages};
    boost::shared_ptr<ConsoleLines> console{new ConsoleLines(shown.workspace().console())};
    QTemporaryDir folder;
    Fixture()
    {
        shown.workspace().setUserMessages(messages);
        shown.workspace().console().addObserver(console);
    }
    ~Fixture() { shown.workspace().console().removeObserver(console); }
    Ui::Analysis::AnalysisActions &actions() { return *shown.window->analysisActions(); }
};

} // namespace

TEST(AnalysisActionsTest, ExportEntriesSitInFileExportAndMeasureColumnInRendering)
{
    UiTest::ShownWindow shown;
    QMenu *file = shown.window->form().menu(QStringLiteral("menuFile"));
    QMenu *exports = shown.window->form().menu(QStringLiteral("menuExport"));
    ASSERT_TRUE(exports);
    EXPECT_EQ(QStringLiteral("Export"), exports->title());
    const QList<QAction *> fileActions = file->actions();
    const int data = fileActions.indexOf(shown.window->action(QStringLiteral("actionExport_Data")));
    ASSERT_GE(data, 0);
    EXPECT_EQ(exports->menuAction(), fileActions.value(data + 1));
    QStringList texts;
    for (QAction *a : exports->actions())
        texts << a->text();
    EXPECT_EQ(QStringList({QString::fromUtf8("Cross-Section…"), QString::fromUtf8("Geometry (VTK)…"),
                           QString::fromUtf8("Surfaces (STL)…"), QString::fromUtf8("Smooth Surfaces (STL)…")}),
              texts);
    EXPECT_TRUE(shown.window->form().menu(QStringLiteral("menuRendering"))->actions().contains(
        shown.window->action(QStringLiteral("actionMeasure_Column"))));
}

TEST(AnalysisActionsTest, WithoutAVolumeEveryEntrySaysSo)
{
    Fixture f;
    for (const char *name : {"actionExport_Cross_Section", "actionExport_Geometry_VTK", "actionExport_Surfaces_STL",
                             "actionExport_Smooth_Surfaces_STL", "actionMeasure_Column"})
        f.shown.window->action(QLatin1String(name))->trigger();
    ASSERT_EQ(5, f.messages->errors.size());
    for (const QString &error : f.messages->errors)
        EXPECT_TRUE(error.endsWith(QStringLiteral("There is no cell volume to export or measure."))) << error.toStdString();
    EXPECT_EQ(QStringLiteral("Measure Column: There is no cell volume to export or measure."), f.messages->errors.last());
}

TEST(AnalysisActionsTest, VtkAndStlExportsWriteTheOnlyVolume)
{
    Fixture f;
    f.shown.workspace().document().addObject(layeredVolume());
    QString answer = f.folder.filePath(QStringLiteral("cells"));
    f.actions().setFileQuestion([&answer](const QString &, const QString &, const QString &) { return answer; });
    f.shown.window->action(QStringLiteral("actionExport_Geometry_VTK"))->trigger();
    EXPECT_TRUE(QFile::exists(f.folder.filePath(QStringLiteral("cells.vti")))) << "the suffix is added";
    answer = f.folder.filePath(QStringLiteral("skin.stl"));
    f.shown.window->action(QStringLiteral("actionExport_Surfaces_STL"))->trigger();
    EXPECT_TRUE(QFile::exists(Model::Analysis::stlFileName(f.folder.filePath(QStringLiteral("skin")), 1)));
    EXPECT_TRUE(QFile::exists(Model::Analysis::stlFileName(f.folder.filePath(QStringLiteral("skin")), 3)));
    EXPECT_TRUE(f.messages->errors.isEmpty()) << f.messages->errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(3, f.console->lines.filter(QStringLiteral("written to")).size());
    // The smooth surfaces: the same files, triangles that are not the cells' squares.
    answer = f.folder.filePath(QStringLiteral("smooth"));
    f.shown.window->action(QStringLiteral("actionExport_Smooth_Surfaces_STL"))->trigger();
    for (uint32_t material : {1u, 3u}) {
        const QString cells = Model::Analysis::stlFileName(f.folder.filePath(QStringLiteral("skin")), material);
        const QString smooth = Model::Analysis::stlFileName(f.folder.filePath(QStringLiteral("smooth")), material);
        ASSERT_TRUE(QFile::exists(smooth));
        EXPECT_NE(QFileInfo(cells).size(), QFileInfo(smooth).size());
    }
    EXPECT_EQ(2, f.console->lines.filter(QStringLiteral("Smooth Surfaces (STL): written to")).size());

    // An unwritable place is reported and writes nothing.
    answer = f.folder.filePath(QStringLiteral("missing/cells.vti"));
    f.shown.window->action(QStringLiteral("actionExport_Geometry_VTK"))->trigger();
    ASSERT_EQ(1, f.messages->errors.size());
    EXPECT_TRUE(f.messages->errors.first().startsWith(QStringLiteral("Geometry (VTK): The file was not written: the folder")))
        << f.messages->errors.first().toStdString();
    EXPECT_FALSE(QDir(f.folder.filePath(QStringLiteral("missing"))).exists());
    // Declining the file question does nothing.
    answer.clear();
    f.shown.window->action(QStringLiteral("actionExport_Surfaces_STL"))->trigger();
    EXPECT_EQ(1, f.messages->errors.size());
}

TEST(AnalysisActionsTest, CrossSectionDialogPreviewsTheSliceAndWritesOnOk)
{
    QTemporaryDir folder;
    const boost::shared_ptr<TotalVolume> volume = layeredVolume();
    CrossSectionDialog dialog(volume);
    QComboBox *axis = dialog.findChild<QComboBox *>(QStringLiteral("cbxAxis"));
    QSpinBox *index = dialog.findChild<QSpinBox *>(QStringLiteral("sbxIndex"));
    QLabel *preview = dialog.findChild<QLabel *>(QStringLiteral("lblPreview"));
    ASSERT_TRUE(axis && index && preview);
    // The index range follows the axis: y runs over 10 cells, z over 8.
    EXPECT_EQ(9, index->maximum());
    const QImage ySection = dialog.preview();
    EXPECT_FALSE(ySection.isNull());
    EXPECT_FALSE(preview->pixmap(Qt::ReturnByValue).isNull());
    axis->setCurrentIndex(2);
    EXPECT_EQ(7, index->maximum());
    EXPECT_NE(ySection, dialog.preview());
    // The particle view is offered only where counts exist.
    EXPECT_FALSE(dialog.findChild<QComboBox *>(QStringLiteral("cbxParticles"))->isEnabled());

    QLineEdit *file = dialog.findChild<QLineEdit *>(QStringLiteral("lieFile"));
    file->setText(folder.filePath(QStringLiteral("missing/cut.png")));
    bool warned = false;
    UiTest::whenModal([&warned](QWidget *box) {
        warned = true;
        UiTest::pressOk(box);
    });
    dialog.accept();
    EXPECT_TRUE(warned);
    EXPECT_EQ(QDialog::Rejected, dialog.result()) << "the dialog stays open for another name";
    file->setText(folder.filePath(QStringLiteral("cut")));
    dialog.accept();
    EXPECT_EQ(QDialog::Accepted, dialog.result());
    const QImage written(folder.filePath(QStringLiteral("cut.png")));
    EXPECT_EQ(dialog.preview().size(), written.size());
}

TEST(AnalysisActionsTest, MeasureColumnPrintsTheTypedColumnsStack)
{
    Fixture f;
    f.shown.workspace().document().addObject(layeredVolume());
    f.shown.window->action(QStringLiteral("actionMeasure_Column"))->trigger();
    Ui::Analysis::MeasureColumnDialog *dialog = f.actions().measureDialog();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isVisible());
    QSpinBox *x = dialog->findChild<QSpinBox *>(QStringLiteral("sbxColumnX"));
    QSpinBox *y = dialog->findChild<QSpinBox *>(QStringLiteral("sbxColumnY"));
    EXPECT_EQ(11, x->maximum());
    EXPECT_EQ(9, y->maximum());
    x->setValue(3);
    y->setValue(4);
    dialog->findChild<QPushButton *>(QStringLiteral("btnMeasure"))->click();
    const int at = f.console->lines.indexOf(
        QStringLiteral("Measure Column: Layer stack of column x = 3, y = 4 (top first):"));
    ASSERT_GE(at, 0) << f.console->lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(QStringLiteral("  Thermal Si02 (3): z 4 to 6 \u00b5m, thickness 2 \u00b5m"), f.console->lines.value(at + 2));
    EXPECT_EQ(QStringLiteral("  Si (1): z 0 to 4 \u00b5m, thickness 4 \u00b5m"), f.console->lines.value(at + 3));
}

TEST(AnalysisActionsTest, ClickingTheViewFromAboveMeasuresTheColumnThere)
{
    Fixture f;
    // Neighbouring columns differ in height, so the stack printed for a click
    // tells which column was taken: its top must be where the click hit.
    auto top = [](unsigned x, unsigned y) { return 1 + (x * 3 + y * 5) % 7; };
    const boost::shared_ptr<TotalVolume> volume = TestSupport::makeVolume(
        12, 10, 8, [&top](unsigned x, unsigned y, unsigned z) { return z <= top(x, y) ? 1u : 0u; }, 10.0f);
    volume->getPainter().regenerate();
    f.shown.workspace().document().addObject(volume);
    f.shown.window->action(QStringLiteral("actionShow_Axis"))->setChecked(false);
    Ui::GLWidget *view = f.shown.window->view();
    view->setView(QStringLiteral("top"));
    f.shown.window->action(QStringLiteral("actionMeasure_Column"))->trigger();
    ASSERT_TRUE(f.actions().measureDialog());
    int clicks = 0;
    for (int i = 1; i < 12; ++i)
        for (int j = 1; j < 12; ++j) {
            const QPoint at(view->width() * i / 12, view->height() * j / 12);
            Util::Vector3D p;
            if (!view->scenePointAt(at, &p))
                continue;
            f.console->lines.clear();
            f.actions().viewClicked(at);
            ASSERT_GE(f.console->lines.size(), 2) << "a click on the volume measures a column";
            const QString expected = QStringLiteral("  Si (1): z 0 to %1 \u00b5m, ").arg(std::lround(p.z));
            EXPECT_TRUE(f.console->lines.last().startsWith(expected))
                << f.console->lines.last().toStdString() << " hit at " << p.x << "," << p.y << "," << p.z;
            ++clicks;
        }
    EXPECT_GT(clicks, 3) << "the volume is not in view";
}

// A volume holding boron offers "B concentration", and choosing it draws the
// concentration where the materials-only preview showed silicon.
TEST(AnalysisActionsTest, CrossSectionDialogOffersTheDopantsHeld)
{
    const boost::shared_ptr<TotalVolume> volume = layeredVolume();
    {
        Model::Automaton::CellLock lock(*volume);
        std::vector<float> &boron = lock.dopants().make(Model::Automaton::DopantFields::Boron, lock.cellCount());
        std::fill(boron.begin(), boron.end(), 1e18f);
    }
    CrossSectionDialog dialog(volume);
    QComboBox *show = dialog.findChild<QComboBox *>(QStringLiteral("cbxParticles"));
    ASSERT_TRUE(show);
    EXPECT_TRUE(show->isEnabled());
    ASSERT_EQ(show->count(), 5);
    EXPECT_EQ(show->itemText(4), QStringLiteral("B concentration"));
    const QImage plain = dialog.preview();
    show->setCurrentIndex(4);
    EXPECT_EQ(dialog.options().dopant, QStringLiteral("B"));
    EXPECT_NE(dialog.preview(), plain);
}
