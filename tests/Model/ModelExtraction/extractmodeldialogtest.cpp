#include "cellblocks.h"

#include "Core/Operations/ModelExtraction/imodelextractionuser.h"
#include "Core/Operations/ModelExtraction/runmodelextraction.h"
#include "Core/Operations/workspace.h"
#include "UI/ModelExtraction/extractmodeldialog.h"
#include "UI/operationfactory.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using Core::Operations::RunModelExtraction;

namespace {

// Drives the real dialog by its buttons in place of a person.
class ClickingUser : public Core::Operations::IModelExtractionUser
{
public:
    QString fileName;
    std::vector<std::vector<bool>> enabledAfterClicks;
    QStringList labels;
    QString title, objectName;

    void runSteps(RunModelExtraction &operation) override
    {
        Ui::ModelExtraction::ExtractModelDialog dialog(operation);
        title = dialog.windowTitle();
        objectName = dialog.objectName();
        for (QLabel *label : dialog.findChildren<QLabel *>())
            labels << label->text();
        auto record = [&]() {
            std::vector<bool> row;
            for (int step = 1; step <= 3; ++step)
                row.push_back(dialog.stepButton(step)->isEnabled());
            enabledAfterClicks.push_back(row);
        };
        record();
        for (int step : {2, 1, 1, 2, 3, 3}) {
            QTest::mouseClick(dialog.stepButton(step), Qt::LeftButton);
            record();
        }
    }
    QString chooseNetlistFile() override { return fileName; }
    void showInformation(const QString &, const QString &) override {}
    void showWarning(const QString &, const QString &) override {}
};

} // namespace

TEST(ExtractModelDialogTest, EachStepEnablesTheNextAndTheLastStaysEnabled)
{
    QTemporaryDir dir;
    CellBlocks cells(16, 4, 3);
    cells.fill(0, 0, 0, 3, 4, 3, 2).fill(3, 1, 1, 10, 2, 1, 3);
    Core::Operations::Workspace workspace;
    const boost::shared_ptr<Model::Automaton::TotalVolume> volume(
        new Model::Automaton::TotalVolume(cells.sx, cells.sy, cells.sz, 1, 1, 1, Util::Vector3D(), cells.materials));
    workspace.document().addObject(volume);
    workspace.viewPicks().setSelected({volume});
    const boost::shared_ptr<ClickingUser> user(new ClickingUser);
    user->fileName = dir.filePath("comb.cir");
    const boost::shared_ptr<RunModelExtraction> op(new RunModelExtraction(&workspace));
    op->setUser(user);
    workspace.startOperation(op);

    EXPECT_EQ("Extract Model", user->title);
    EXPECT_EQ("ExtractModelForm", user->objectName);
    EXPECT_EQ((QStringList{"Preprocessing", "Feature Detection", "Model Extraction"}), user->labels);
    // Clicks: (start), 2 while disabled, 1, 1 again, 2, 3, 3.
    const std::vector<std::vector<bool>> expected = {{true, false, false},  {true, false, false},
                                                     {false, true, false},  {false, true, false},
                                                     {false, false, true},  {false, false, true},
                                                     {false, false, true}};
    EXPECT_EQ(expected, user->enabledAfterClicks);
    EXPECT_TRUE(QFile::exists(user->fileName));
    EXPECT_EQ("Model Extraction: Model extracted.", workspace.console().lastMessage());
}

TEST(ModelExtractionRegistrationTest, NumberThousandBuildsTheExtractModelOperation)
{
    Ui::OperationFactory::Table table;
    Ui::registerModelExtractionOperations(table);
    ASSERT_EQ(QList<int>{1000}, table.keys());
    Core::Operations::Workspace workspace;
    const boost::shared_ptr<Core::Operations::Operation> op = table.value(1000)(&workspace, nullptr);
    ASSERT_TRUE(boost::dynamic_pointer_cast<RunModelExtraction>(op));
    EXPECT_EQ("Extract Model", op->getName());
    EXPECT_EQ(1000, op->getTypeNumber());
}
