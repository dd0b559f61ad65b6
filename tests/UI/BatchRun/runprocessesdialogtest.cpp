#include "batchruntestsupport.h"

#include "Core/Operations/BatchRun/processlistfile.h"
#include "Core/Operations/workspace.h"
#include "UI/BatchRun/movetodialog.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "UI/Document/materialconflictdialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

using BatchRunTest::ScriptedPrompts;
using Core::Steps::ProcessData;
using Core::Steps::ProcessList;
using Ui::RunProcessesDialog;

namespace {

struct Dialog
{
    Core::Operations::Workspace workspace;
    ScriptedPrompts prompts;
    RunProcessesDialog dialog{&workspace, nullptr, boost::shared_ptr<Model::Automaton::TotalVolume>(), nullptr,
                              &prompts};

    QTreeWidget *tree() const { return dialog.findChild<QTreeWidget *>(QStringLiteral("treeWidget")); }
    void click(const char *name)
    {
        QPushButton *b = dialog.findChild<QPushButton *>(QLatin1String(name));
        ASSERT_TRUE(b) << name;
        b->click();
    }
    void select(std::initializer_list<int> rows)
    {
        tree()->clearSelection();
        for (int row : rows)
            tree()->topLevelItem(row)->setSelected(true);
    }
    // The list as its types, in order.
    std::vector<int> types() const
    {
        std::vector<int> out;
        for (const ProcessData &s : dialog.processList())
            out.push_back(s.getType());
        return out;
    }
};

ProcessList typedList(std::initializer_list<int> types)
{
    ProcessList list;
    for (int t : types)
        list << ProcessData(t);
    return list;
}

TEST(BatchRunDialog, ShowsItsWidgetsWithTheirNamesAndTexts)
{
    Dialog d;
    EXPECT_EQ(d.dialog.windowTitle(), QStringLiteral("Batch Run"));
    ASSERT_TRUE(d.tree());
    // Each column is headed with what both kinds of row hold in it.
    EXPECT_EQ(d.tree()->headerItem()->text(0), QStringLiteral("Step / Parameter"));
    EXPECT_EQ(d.tree()->headerItem()->text(1), QStringLiteral("Process / Value"));

    const std::pair<const char *, const char *> buttons[] = {
        {"btnAddProcess", "Add Process"}, {"btnRemoveProcess", "Remove Process"}, {"btnModify", "Modify"},
        {"btnMoveUp", "Move Up"},         {"btnMoveDown", "Move Down"},           {"btnMoveTo", "Move To"},
        {"btnNewList", "New List"},       {"btnLoadList", "Load List"},           {"btnSaveList", "Save List"},
        {"btnSaveListAs", "Save List As ..."}, {"btnRun", "Run"},                 {"btnClose", "Close"}};
    for (const auto &b : buttons) {
        const QPushButton *button = d.dialog.findChild<QPushButton *>(QLatin1String(b.first));
        ASSERT_TRUE(button) << b.first;
        EXPECT_EQ(button->text(), QLatin1String(b.second));
    }

    const QComboBox *box = d.dialog.findChild<QComboBox *>(QStringLiteral("cbxProcess"));
    ASSERT_TRUE(box);
    const std::pair<const char *, int> entries[] = {
        {"Anisotropic Deposition", 17}, {"Anisotropic Etching", 18}, {"Create Substrate", 11}, {"CVD", 4},
        {"Doping", 8},                  {"Electroplating", 7},        {"Ion Implantation", 14}, {"Isotropic Etching", 5},
        {"Isotropic Deposition", 16},   {"Moore Deposition", 2},      {"Moore Etching", 3},     {"Photolithography", 0},
        {"Planarization", 6},           {"Pour Material", 9},         {"Random Walk Doping", 19}, {"PVD", 12},
        {"RIE", 13},                    {"Save Image", 10},           {"Si Wet Etching", 1},    {"Thermal Oxidation", 15},
        {"Sputter Deposition", 20},     {"Ion-Enhanced Etching", 21}, {"Bosch DRIE", 22},
        {"Dopant Implant", 23},         {"Dopant Anneal", 24},        {"Anisotropic Wet Etch", 25}};
    ASSERT_EQ(box->count(), 26);
    for (int i = 0; i < 26; ++i) {
        EXPECT_EQ(box->itemText(i), QLatin1String(entries[i].first));
        EXPECT_EQ(box->itemData(i).toInt(), entries[i].second) << entries[i].first;
    }

    const QProgressBar *bar = d.dialog.findChild<QProgressBar *>(QStringLiteral("progressBar"));
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_FALSE(bar->isEnabled());
}

TEST(BatchRunDialog, TreeShowsStepsAndOnlyVisibleParameters)
{
    Dialog d;
    ProcessData unknown(42);
    d.dialog.setProcessList(ProcessList() << BatchRunTest::cvdStep(2.0) << unknown);
    ASSERT_EQ(d.tree()->topLevelItemCount(), 2);
    QTreeWidgetItem *cvd = d.tree()->topLevelItem(0);
    EXPECT_EQ(cvd->text(0), QStringLiteral("1"));
    EXPECT_EQ(cvd->text(1), QStringLiteral("CVD"));
    EXPECT_EQ(cvd->data(0, Qt::UserRole).toInt(), d.dialog.processList().at(0).getSerial());
    // Material_Id and Material_Color are hidden.
    ASSERT_EQ(cvd->childCount(), 2);
    EXPECT_EQ(cvd->child(0)->text(0), QStringLiteral("Material"));
    EXPECT_EQ(cvd->child(1)->text(0), QStringLiteral("Thickness"));
    EXPECT_EQ(cvd->child(1)->text(1).toDouble(), 2.0);
    EXPECT_EQ(d.tree()->topLevelItem(1)->text(0), QStringLiteral("2"));
    EXPECT_EQ(d.tree()->topLevelItem(1)->text(1), QStringLiteral("Unknown process"));
}

TEST(BatchRunDialog, VisibleColourShowsASwatch)
{
    Dialog d;
    ProcessData step(ProcessData::Cvd);
    step.setParameter(QStringLiteral("Material_Color"), QColor(10, 200, 30), true);
    d.dialog.setProcessList(ProcessList() << step);
    const QTreeWidgetItem *child = d.tree()->topLevelItem(0)->child(0);
    const QIcon icon = child->icon(1);
    ASSERT_FALSE(icon.isNull());
    const QImage swatch = icon.pixmap(25, 25).toImage();
    EXPECT_EQ(swatch.size(), QSize(25, 25));
    EXPECT_EQ(QColor(swatch.pixel(12, 12)), QColor(10, 200, 30));
}

TEST(BatchRunDialog, ExpansionIsKeptWhenTheTreeIsRebuilt)
{
    Dialog d;
    d.dialog.setProcessList(ProcessList() << BatchRunTest::cvdStep() << BatchRunTest::cvdStep() << BatchRunTest::cvdStep());
    d.tree()->topLevelItem(1)->setExpanded(true);
    EXPECT_TRUE(d.dialog.processList().at(1).isExpanded());
    d.select({1});
    d.click("btnMoveUp"); // rebuilds
    ASSERT_EQ(d.tree()->topLevelItemCount(), 3);
    EXPECT_TRUE(d.tree()->topLevelItem(0)->isExpanded());
    EXPECT_FALSE(d.tree()->topLevelItem(1)->isExpanded());
    d.tree()->topLevelItem(0)->setExpanded(false);
    d.select({0});
    d.click("btnMoveDown");
    EXPECT_FALSE(d.tree()->topLevelItem(1)->isExpanded());
    EXPECT_FALSE(d.dialog.processList().at(1).isExpanded());
}

TEST(BatchRunDialog, SelectingAParameterRowClearsTheSelection)
{
    Dialog d;
    d.dialog.setProcessList(ProcessList() << BatchRunTest::cvdStep());
    d.tree()->topLevelItem(0)->child(0)->setSelected(true);
    EXPECT_TRUE(d.tree()->selectedItems().isEmpty());
    d.tree()->topLevelItem(0)->setSelected(true);
    EXPECT_EQ(d.tree()->selectedItems().size(), 1);
}

struct MoveCase
{
    int from;
    int target;
    enum { After, Before, Neither } where;
    std::vector<int> expected;
};

void PrintTo(const MoveCase &c, std::ostream *os)
{
    *os << c.from << (c.where == MoveCase::After ? "-after-" : c.where == MoveCase::Before ? "-before-" : "-to-")
        << c.target;
}

class MoveTo : public ::testing::TestWithParam<MoveCase>
{
};

TEST_P(MoveTo, PutsTheStepNextToTheChosenOne)
{
    const MoveCase &c = GetParam();
    Dialog d;
    d.dialog.setProcessList(typedList({0, 1, 2, 3}));
    const int targetSerial = d.dialog.processList().at(c.target).getSerial();
    d.prompts.onExec = [&](QDialog *dialog) {
        UtilDialog::MoveTo *moveTo = qobject_cast<UtilDialog::MoveTo *>(dialog);
        EXPECT_TRUE(moveTo);
        if (!moveTo)
            return int(QDialog::Rejected);
        EXPECT_EQ(moveTo->windowTitle(), QStringLiteral("Dialog"));
        QComboBox *box = moveTo->findChild<QComboBox *>(QStringLiteral("comboBox"));
        QRadioButton *after = moveTo->findChild<QRadioButton *>(QStringLiteral("radioButton"));
        QRadioButton *before = moveTo->findChild<QRadioButton *>(QStringLiteral("radioButton_2"));
        EXPECT_EQ(after->text(), QStringLiteral("After"));
        EXPECT_EQ(before->text(), QStringLiteral("Before"));
        EXPECT_FALSE(after->isChecked());
        EXPECT_FALSE(before->isChecked());
        EXPECT_EQ(box->count(), 3); // every step but the moving one
        box->setCurrentIndex(box->findData(targetSerial));
        if (c.where == MoveCase::After)
            after->setChecked(true);
        else if (c.where == MoveCase::Before)
            before->setChecked(true);
        return int(QDialog::Accepted);
    };
    d.select({c.from});
    d.click("btnMoveTo");
    EXPECT_EQ(d.types(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, MoveTo,
                         ::testing::Values(MoveCase{0, 3, MoveCase::After, {1, 2, 3, 0}},
                                           MoveCase{0, 3, MoveCase::Before, {1, 2, 0, 3}},
                                           MoveCase{3, 0, MoveCase::Before, {3, 0, 1, 2}},
                                           MoveCase{3, 0, MoveCase::After, {0, 3, 1, 2}},
                                           MoveCase{1, 2, MoveCase::After, {0, 2, 1, 3}},
                                           MoveCase{2, 1, MoveCase::Neither, {0, 2, 1, 3}}));

TEST(MoveToDialog, ListsPositionsAndNamesOfTheOtherSteps)
{
    const ProcessList list = typedList({11, 4, 10});
    UtilDialog::MoveTo dialog(list, list.at(1).getSerial());
    QComboBox *box = dialog.findChild<QComboBox *>(QStringLiteral("comboBox"));
    ASSERT_EQ(box->count(), 2);
    EXPECT_EQ(box->itemText(0), QStringLiteral("1 Create Substrate"));
    EXPECT_EQ(box->itemText(1), QStringLiteral("3 Save Image"));
    EXPECT_EQ(box->itemData(1).toInt(), list.at(2).getSerial());
}

TEST(BatchRunDialog, MoveUpAndDownStopAtTheEnds)
{
    Dialog d;
    d.dialog.setProcessList(typedList({0, 1, 2}));
    d.select({0});
    d.click("btnMoveUp");
    EXPECT_EQ(d.types(), (std::vector<int>{0, 1, 2}));
    d.click("btnMoveDown"); // the moved step stays selected
    d.click("btnMoveDown");
    EXPECT_EQ(d.types(), (std::vector<int>{1, 2, 0}));
    d.click("btnMoveDown");
    EXPECT_EQ(d.types(), (std::vector<int>{1, 2, 0}));
    d.select({1, 2}); // the first selected one moves
    d.click("btnMoveUp");
    EXPECT_EQ(d.types(), (std::vector<int>{2, 1, 0}));
}

TEST(BatchRunDialog, RemoveTakesEverySelectedStep)
{
    Dialog d;
    d.dialog.setProcessList(typedList({0, 1, 2, 3, 4}));
    d.select({0, 2, 4});
    d.click("btnRemoveProcess");
    EXPECT_EQ(d.types(), (std::vector<int>{1, 3}));
    ASSERT_EQ(d.tree()->topLevelItemCount(), 2);
    EXPECT_EQ(d.tree()->topLevelItem(1)->text(0), QStringLiteral("2"));
    d.tree()->clearSelection();
    d.click("btnRemoveProcess");
    EXPECT_EQ(d.types().size(), 2u);
}

// ---- New List ----

TEST(NewList, EmptyListAsksNothing)
{
    Dialog d;
    d.click("btnNewList");
    EXPECT_EQ(d.prompts.newListAsked, 0);
}

struct NewListCase
{
    int answer;
    bool emptied;
    bool logged;
};

void PrintTo(const NewListCase &c, std::ostream *os) { *os << "answer-" << c.answer; }

class NewListAnswer : public ::testing::TestWithParam<NewListCase>
{
};

TEST_P(NewListAnswer, ActsOnTheAnswer)
{
    const NewListCase &c = GetParam();
    Dialog d;
    const QString file = QDir::current().absoluteFilePath(QStringLiteral("newlist.plst"));
    QFile::remove(file);
    d.dialog.setProcessList(ProcessList() << BatchRunTest::cvdStep());
    d.prompts.saveAnswers << file;
    d.click("btnSaveList");
    ASSERT_EQ(d.dialog.windowTitle(), QStringLiteral("Batch Run ") + file);
    QFile::remove(file);
    d.dialog.setProcessList(ProcessList() << BatchRunTest::cvdStep() << BatchRunTest::cvdStep());

    BatchRunTest::LogCapture log;
    d.prompts.newListAnswer = c.answer;
    d.click("btnNewList");
    EXPECT_EQ(d.prompts.newListAsked, 1);
    EXPECT_EQ(d.dialog.processList().isEmpty(), c.emptied);
    EXPECT_EQ(d.dialog.windowTitle(), c.emptied ? QStringLiteral("Batch Run") : QStringLiteral("Batch Run ") + file);
    EXPECT_EQ(d.dialog.fileName().isEmpty(), c.emptied);
    EXPECT_EQ(d.tree()->topLevelItemCount(), c.emptied ? 0 : 2);
    EXPECT_EQ(QFile::exists(file), c.answer == QMessageBox::Save);
    EXPECT_EQ(log.contains(QStringLiteral("Run process create new list message box returned unexpected value.")),
              c.logged);
    if (c.answer == QMessageBox::Save) {
        Core::Operations::ProcessListFile::LoadResult saved;
        ASSERT_TRUE(Core::Operations::ProcessListFile::load(file, saved));
        EXPECT_EQ(saved.list.size(), 2);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, NewListAnswer,
                         ::testing::Values(NewListCase{QMessageBox::Save, true, false},
                                           NewListCase{QMessageBox::Discard, true, false},
                                           NewListCase{QMessageBox::Cancel, false, false},
                                           NewListCase{QMessageBox::Yes, false, true}));

TEST(NewList, SaveThatDoesNotHappenKeepsTheList)
{
    Dialog d;
    d.dialog.setProcessList(ProcessList() << BatchRunTest::cvdStep());
    d.prompts.newListAnswer = QMessageBox::Save; // and no file chosen
    d.click("btnNewList");
    EXPECT_EQ(d.prompts.saveQuestions.size(), 1);
    EXPECT_EQ(d.dialog.processList().size(), 1);
}

// ---- files ----

TEST(ListFiles, SaveAsAndLoadRoundTripThroughTheDialog)
{
    const QString file = QDir::current().absoluteFilePath(QStringLiteral("roundtrip.plst"));
    ProcessList list;
    list << BatchRunTest::substrateStep(9, 8, 7, 3) << BatchRunTest::cvdStep(1.25)
         << BatchRunTest::saveImageStep(QStringLiteral("a.png"));
    {
        Dialog d;
        d.dialog.setProcessList(list);
        d.prompts.saveAnswers << file;
        d.click("btnSaveList"); // no name yet: behaves as Save As
        ASSERT_EQ(d.prompts.saveQuestions.size(), 1);
        EXPECT_EQ(d.prompts.saveQuestions[0].title, QStringLiteral("Process List File"));
        EXPECT_EQ(d.prompts.saveQuestions[0].directory, QDir::homePath());
        EXPECT_EQ(d.prompts.saveQuestions[0].filter, QStringLiteral("Process List (*.plst)"));
        EXPECT_EQ(d.dialog.windowTitle(), QStringLiteral("Batch Run ") + file);
        ASSERT_TRUE(QFile::exists(file));
        // Save As starts at the current name.
        d.click("btnSaveListAs");
        ASSERT_EQ(d.prompts.saveQuestions.size(), 2);
        EXPECT_EQ(d.prompts.saveQuestions[1].directory, file);
        EXPECT_EQ(d.dialog.fileName(), file); // cancelled: unchanged
    }
    Dialog d;
    d.prompts.openAnswers << file;
    d.click("btnLoadList");
    ASSERT_EQ(d.prompts.openQuestions.size(), 1);
    EXPECT_EQ(d.prompts.openQuestions[0].title, QStringLiteral("Process List File"));
    EXPECT_EQ(d.prompts.openQuestions[0].directory, QDir::homePath());
    EXPECT_EQ(d.prompts.openQuestions[0].filter, QStringLiteral("Process List (*.plst)"));
    EXPECT_EQ(d.dialog.windowTitle(), QStringLiteral("Batch Run ") + file);
    EXPECT_TRUE(d.prompts.warnings.isEmpty());
    const ProcessList &loaded = d.dialog.processList();
    ASSERT_EQ(loaded.size(), list.size());
    for (int i = 0; i < list.size(); ++i) {
        EXPECT_EQ(loaded[i].getType(), list[i].getType());
        EXPECT_NE(loaded[i].getSerial(), list[i].getSerial());
        EXPECT_EQ(loaded[i].getParameters().keys(), list[i].getParameters().keys());
        EXPECT_EQ(loaded[i].getVisibilities(), list[i].getVisibilities());
        for (const QString &name : list[i].getParameters().keys()) {
            const QVariant a = loaded[i].getParameters().value(name), b = list[i].getParameters().value(name);
            EXPECT_EQ(a.userType(), b.userType()) << name.toStdString();
            EXPECT_EQ(Core::Operations::ProcessListFile::valueText(a), Core::Operations::ProcessListFile::valueText(b))
                << name.toStdString();
        }
    }
    EXPECT_EQ(d.tree()->topLevelItemCount(), 3);
}

TEST(ListFiles, UnreadableFileKeepsTheListAndSaysSo)
{
    Dialog d;
    d.dialog.setProcessList(ProcessList() << BatchRunTest::cvdStep());
    QFile bad(QStringLiteral("broken.plst"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("<Process-List version=\"1\"><Process-Data process-type=\"4\"><Param");
    bad.close();
    for (const QString &name : {QStringLiteral("broken.plst"), QStringLiteral("missing.plst")}) {
        d.prompts.openAnswers << name;
        d.click("btnLoadList");
    }
    EXPECT_EQ(d.prompts.warnings.size(), 2);
    EXPECT_EQ(d.dialog.processList().size(), 1);
    EXPECT_EQ(d.dialog.windowTitle(), QStringLiteral("Batch Run"));
}

TEST(ListFiles, OldListShowsTheUpdatedListWarning)
{
    QFile old(QStringLiteral("old.plst"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("<?xml version=\"1.0\"?><Process-List><Process-Data process-type=\"4\">"
              "<Parameter parameter-name=\"MaterialId\" parameter-type=\"uint\" parameter-data=\"1\" "
              "parameter-visibility=\"false\"/>"
              "<Parameter parameter-name=\"Thickness\" parameter-type=\"double\" parameter-data=\"2\"/>"
              "</Process-Data></Process-List>");
    old.close();
    Dialog d;
    d.prompts.openAnswers << QStringLiteral("old.plst");
    d.click("btnLoadList");
    ASSERT_EQ(d.prompts.warnings.size(), 1);
    EXPECT_EQ(d.prompts.warnings[0].first, QStringLiteral("Updated List"));
    EXPECT_EQ(d.prompts.warnings[0].second,
              QStringLiteral("The process list you loaded is in an old format. It has been updated automatically. "
                             "We recommend you save this updated version."));
    ASSERT_EQ(d.dialog.processList().size(), 1);
    EXPECT_TRUE(d.dialog.processList()[0].hasParameter(QStringLiteral("Material_Id")));
}

TEST(ListFiles, MaterialConflictIsSettledWithTheConflictDialog)
{
    const QString file = QDir::current().absoluteFilePath(QStringLiteral("conflict.plst"));
    const ProcessData cvd = BatchRunTest::cvdStep();
    const unsigned id = cvd.getProcessParameter(QStringLiteral("Material_Id")).toUInt();
    const QString name = cvd.getProcessParameter(QStringLiteral("Material")).toString();
    ASSERT_TRUE(Core::Operations::ProcessListFile::save(ProcessList() << cvd, file));
    // The list's material of that id carries another name than the catalogue's.
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(f.readAll());
    f.close();
    const QString from = QStringLiteral("name=\"%1\" material-id=\"%2\"").arg(name).arg(id);
    ASSERT_TRUE(text.contains(from)) << text.toStdString();
    text.replace(from, QStringLiteral("name=\"Unobtainium\" material-id=\"%1\"").arg(id));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.toUtf8());
    f.close();

    Dialog d;
    int conflicts = 0;
    d.prompts.onExec = [&](QDialog *dialog) {
        conflicts += qobject_cast<Ui::MaterialConflictDialog *>(dialog) != nullptr;
        return int(QDialog::Rejected); // cancel: the loaded material is added as a new one
    };
    d.prompts.openAnswers << file;
    d.click("btnLoadList");
    EXPECT_EQ(conflicts, 1);
    ASSERT_EQ(d.dialog.processList().size(), 1);
    const ProcessData &loaded = d.dialog.processList()[0];
    EXPECT_NE(loaded.getProcessParameter(QStringLiteral("Material_Id")).toUInt(), id);
    EXPECT_EQ(loaded.getProcessParameter(QStringLiteral("Material")).toString(), QStringLiteral("Unobtainium"));
}

} // namespace

// ---- closing with an unsaved list ----

struct CloseCase
{
    const char *name;
    int answer;
    bool chooseFile; // for Save: a file is chosen
    bool closed;
};

void PrintTo(const CloseCase &c, std::ostream *os) { *os << c.name; }

class CloseWithUnsavedList : public ::testing::TestWithParam<CloseCase>
{
};

TEST_P(CloseWithUnsavedList, AsksAndActsOnTheAnswer)
{
    const CloseCase &c = GetParam();
    const QString file = QDir::current().absoluteFilePath(QStringLiteral("closing.plst"));
    QFile::remove(file);
    for (const bool escape : {false, true}) {
        Dialog d;
        d.dialog.show();
        d.dialog.setProcessList(ProcessList() << BatchRunTest::cvdStep(1.0) << BatchRunTest::cvdStep(2.0));
        d.prompts.closeListAnswer = c.answer;
        if (c.chooseFile)
            d.prompts.saveAnswers << file;
        if (escape)
            d.dialog.reject();
        else
            d.click("btnClose");
        EXPECT_EQ(d.prompts.closeListAsked, 1) << escape;
        EXPECT_EQ(d.dialog.isVisible(), !c.closed) << escape;
        EXPECT_EQ(d.dialog.processList().size(), 2);
        EXPECT_EQ(QFile::exists(file), c.answer == QMessageBox::Save && c.chooseFile) << escape;
        QFile::remove(file);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, CloseWithUnsavedList,
                         ::testing::Values(CloseCase{"Save", QMessageBox::Save, true, true},
                                           CloseCase{"SaveWithoutAFile", QMessageBox::Save, false, false},
                                           CloseCase{"Discard", QMessageBox::Discard, false, true},
                                           CloseCase{"Cancel", QMessageBox::Cancel, false, false}),
                         [](const ::testing::TestParamInfo<CloseCase> &info) { return std::string(info.param.name); });

TEST(CloseWithUnsavedList, SavedOrEmptyListClosesWithoutAsking)
{
    const QString file = QDir::current().absoluteFilePath(QStringLiteral("saved-before-close.plst"));
    Dialog d;
    d.dialog.show();
    d.dialog.setProcessList(ProcessList() << BatchRunTest::cvdStep() << BatchRunTest::cvdStep());
    d.prompts.saveAnswers << file;
    d.click("btnSaveList");
    d.click("btnClose");
    EXPECT_EQ(d.prompts.closeListAsked, 0);
    EXPECT_FALSE(d.dialog.isVisible());
    QFile::remove(file);

    Dialog e;
    e.dialog.show();
    e.dialog.setProcessList(ProcessList());
    e.click("btnClose");
    EXPECT_EQ(e.prompts.closeListAsked, 0);
    EXPECT_FALSE(e.dialog.isVisible());
}

TEST(CloseWithUnsavedList, AChangeAfterLoadingIsAskedAbout)
{
    const QString file = QDir::current().absoluteFilePath(QStringLiteral("loaded-then-changed.plst"));
    ASSERT_TRUE(Core::Operations::ProcessListFile::save(ProcessList() << BatchRunTest::cvdStep(1.0)
                                                                      << BatchRunTest::cvdStep(2.0),
                                                        file));
    Dialog d;
    d.dialog.show();
    ASSERT_TRUE(d.dialog.loadList(file));
    EXPECT_FALSE(d.dialog.isModified());
    d.select({1});
    d.click("btnMoveUp");
    EXPECT_TRUE(d.dialog.isModified());
    d.prompts.closeListAnswer = QMessageBox::Cancel;
    d.click("btnClose");
    EXPECT_EQ(d.prompts.closeListAsked, 1);
    EXPECT_TRUE(d.dialog.isVisible());
    QFile::remove(file);
}

// ---- the list extension ----

TEST(ListFiles, SaveAsAddsTheListExtensionToABareName)
{
    QDir here = QDir::current();
    const QString bare = here.absoluteFilePath(QStringLiteral("mylist"));
    const QString completed = bare + QStringLiteral(".plst");
    QFile::remove(bare);
    QFile::remove(completed);
    Dialog d;
    d.dialog.setProcessList(ProcessList() << BatchRunTest::cvdStep());
    d.prompts.saveAnswers << bare;
    d.click("btnSaveListAs");
    EXPECT_TRUE(QFile::exists(completed));
    EXPECT_FALSE(QFile::exists(bare));
    EXPECT_EQ(d.dialog.fileName(), completed);
    EXPECT_TRUE(d.prompts.replaceQuestions.isEmpty());

    // The completed name exists now: the person is asked before it is replaced.
    const QByteArray before = [&] {
        QFile f(completed);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    d.dialog.setProcessList(ProcessList() << BatchRunTest::cvdStep() << BatchRunTest::cvdStep());
    d.prompts.saveAnswers << bare;
    d.prompts.replaceAnswer = false;
    d.click("btnSaveListAs");
    EXPECT_EQ(d.prompts.replaceQuestions, QStringList{completed});
    QFile f(completed);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    f.close();
    d.prompts.saveAnswers << bare;
    d.prompts.replaceAnswer = true;
    d.click("btnSaveListAs");
    Core::Operations::ProcessListFile::LoadResult saved;
    ASSERT_TRUE(Core::Operations::ProcessListFile::load(completed, saved));
    EXPECT_EQ(saved.list.size(), 2);
    QFile::remove(completed);
}
