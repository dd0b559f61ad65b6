#include "Core/Operations/processoperation.h"
#include "Core/Steps/stepbuilder.h"
#include "Core/Steps/stepregistry.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "UI/Operations/createsubstratedialog.h"
#include "UI/Operations/randomwalkdopingdialog.h"
#include "UI/Operations/stepoptionsdialog.h"
#include "UI/mainwindow.h"
#include "UI/operationfactory.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QSpinBox>

#include <cmath>

using namespace Core::Steps;
using Ui::Operations::StepOptionsDialog;

namespace {

class StepDialogs : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Model::Materials::MaterialFactory::instance()->setDefaultMaterials();
        Model::Process::ProcessFactory::instance()->setDefaultProcesses();
    }
};

// The steps whose dialog is built from the definition: the special forms
// (masks, a new volume, the random walk's units) are tested on their own.
QList<const StepDefinition *> generatedForms()
{
    QList<const StepDefinition *> steps;
    for (const StepDefinition *step : StepRegistry::instance().steps())
        if (step->operationNumber != 0 && !step->createsVolume && step->type != ProcessData::Photolithography &&
            step->type != ProcessData::RandomWalkDoping)
            steps << step;
    return steps;
}

// A value of each parameter other than its default and inside its range, so
// a field that ignores the stored step shows.
QVariant otherValue(const StepParameter &param, QComboBox *materials)
{
    switch (param.kind) {
    case ValueKind::Material:
        return materials && materials->count() > 1 ? materials->itemData(materials->count() - 1) : QVariant();
    case ValueKind::Flag:
        return !param.defaultValue.toBool();
    case ValueKind::Choice:
        return param.choices.last().value;
    case ValueKind::Flags:
        return param.choices.first().value;
    case ValueKind::Text:
        // A text may have to name something: its last offered value, or its default.
        return param.texts.isEmpty() ? param.defaultValue : QVariant(param.texts.last());
    default: {
        const double top = param.hasMaximum() ? std::min(param.maximum, 1000.0) : 1000.0;
        const double value = std::floor(param.minimum + (top - param.minimum) / 3.0) + 1;
        return param.stored == QMetaType::UInt ? QVariant(unsigned(value)) : QVariant(value);
    }
    }
}

} // namespace

TEST_F(StepDialogs, EveryFieldShowsItsDeclaredLabelRangeDefaultAndUnit)
{
    for (const StepDefinition *step : generatedForms()) {
        StepOptionsDialog dialog(*step);
        EXPECT_EQ(dialog.objectName(), step->form.objectName) << qPrintable(step->name);
        EXPECT_EQ(dialog.windowTitle(), step->form.title) << qPrintable(step->name);
        for (const StepParameter &param : step->parameters) {
            if (param.field.isEmpty() || param.kind == ValueKind::Flag || param.kind == ValueKind::Choice ||
                param.kind == ValueKind::Flags)
                continue;
            SCOPED_TRACE((step->name + QStringLiteral(": ") + param.name).toStdString());
            const QLabel *label = dialog.findChild<QLabel *>(QStringLiteral("lbl") + param.field);
            ASSERT_TRUE(label);
            EXPECT_EQ(label->text(), param.label);
            const QString suffix = param.unitInField && !param.unit.isEmpty() ? QStringLiteral(" ") + param.unit : QString();
            if (param.kind == ValueKind::Material) {
                const QComboBox *box = dialog.findChild<QComboBox *>(QStringLiteral("cbx") + param.field);
                ASSERT_TRUE(box);
                EXPECT_GT(box->count(), 0);
            } else if (param.kind == ValueKind::Text && !param.texts.isEmpty()) {
                const QComboBox *box = dialog.findChild<QComboBox *>(QStringLiteral("cbx") + param.field);
                ASSERT_TRUE(box);
                EXPECT_EQ(box->count(), param.texts.size());
                EXPECT_EQ(box->currentText(), param.defaultValue.toString());
                EXPECT_EQ(box->toolTip(), param.hint);
            } else if (param.kind == ValueKind::Text) {
                const QLineEdit *edit = dialog.findChild<QLineEdit *>(QStringLiteral("lie") + param.field);
                ASSERT_TRUE(edit);
                EXPECT_EQ(edit->text(), param.defaultValue.toString());
                EXPECT_EQ(edit->toolTip(), param.hint);
            } else if (const QDoubleSpinBox *box = dialog.findChild<QDoubleSpinBox *>(QStringLiteral("dbl") + param.field)) {
                EXPECT_EQ(box->suffix(), suffix);
                EXPECT_EQ(box->decimals(), param.decimals);
                EXPECT_DOUBLE_EQ(box->maximum(), param.maximum);
                EXPECT_NEAR(box->minimum(), param.minimum, param.aboveMinimum ? std::pow(10.0, -param.decimals) : 0.0);
                EXPECT_DOUBLE_EQ(box->value(), param.defaultValue.toDouble());
                EXPECT_EQ(box->toolTip(), param.hint);
            } else {
                const QSpinBox *cells = dialog.findChild<QSpinBox *>(QStringLiteral("sbx") + param.field);
                ASSERT_TRUE(cells);
                EXPECT_EQ(cells->suffix(), suffix);
                EXPECT_EQ(cells->minimum(), int(param.minimum));
                EXPECT_EQ(cells->value(), param.defaultValue.toInt());
                EXPECT_EQ(cells->toolTip(), param.hint);
            }
        }
    }
}

// A dialog filled from a stored step and accepted gives back the same values.
TEST_F(StepDialogs, AStoredStepFilledInAndAcceptedGivesBackTheSameValues)
{
    for (const StepDefinition *step : generatedForms()) {
        SCOPED_TRACE(step->name.toStdString());
        StepOptionsDialog blank(*step);
        QVariantMap values;
        for (const StepParameter &param : step->parameters)
            values.insert(param.name,
                          otherValue(param, blank.findChild<QComboBox *>(QStringLiteral("cbx") + param.field)));
        const ProcessData stored = makeStep(*step, withDefaults(*step, values));

        StepOptionsDialog dialog(*step);
        dialog.fillFrom(stored.getParameters());
        EXPECT_TRUE(dialog.refusal().isEmpty()) << qPrintable(dialog.refusal());
        const ProcessData again = makeStep(*step, dialog.values());
        for (const StepParameter &param : step->parameters)
            EXPECT_EQ(again.getParameters().value(param.valueName()), stored.getParameters().value(param.valueName()))
                << qPrintable(param.name);
    }

    // The special forms hold to it too.
    const StepDefinition &substrate = *StepRegistry::instance().ofType(ProcessData::CreateSubstrate);
    const QVariantMap sphere{{QStringLiteral("Material"), 4u},
                             {QStringLiteral("Lower Left Front Corner"), QVariant::fromValue(Util::Vector3D(1, -2, 3))},
                             {QStringLiteral("Volume Size X"), 30u},
                             {QStringLiteral("Volume Size Y"), 20u},
                             {QStringLiteral("Volume Size Z"), 10u},
                             {QStringLiteral("SphericalSubstrate"), true},
                             {QStringLiteral("Substrate Center X"), 9u},
                             {QStringLiteral("Substrate Center Y"), 8u},
                             {QStringLiteral("Substrate Center Z"), 7u},
                             {QStringLiteral("Substrate Radius"), 6u},
                             {QStringLiteral("Unit Length"), 0.25}};
    Ui::Operations::CreateSubstrateDialog substrateDialog;
    substrateDialog.fillFrom(makeStep(substrate, withDefaults(substrate, sphere)).getParameters());
    for (auto it = sphere.constBegin(); it != sphere.constEnd(); ++it)
        EXPECT_EQ(substrateDialog.values().value(it.key()), it.value()) << qPrintable(it.key());

    const StepDefinition &walk = *StepRegistry::instance().ofType(ProcessData::RandomWalkDoping);
    const QVariantMap walked{{QStringLiteral("Diffusion Coefficient"), 2e-17},   {QStringLiteral("Cell Size"), 5e-8},
                             {QStringLiteral("Time Step Duration"), 20.0},       {QStringLiteral("Surface Concentration"), 4e24},
                             {QStringLiteral("Material"), 14u},                  {QStringLiteral("Doping Time"), 1800.0},
                             {QStringLiteral("Doping Threshold"), 1e24},         {QStringLiteral("Surface"), 1}};
    Ui::Operations::RandomWalkDopingDialog walkDialog;
    walkDialog.fillFrom(makeStep(walk, walked).getParameters());
    for (auto it = walked.constBegin(); it != walked.constEnd(); ++it)
        EXPECT_NEAR(walkDialog.values().value(it.key()).toDouble(), it.value().toDouble(), 1e-9 * it.value().toDouble())
            << qPrintable(it.key());
}

// Every step the program runs has its menu entry, under its menu text, and
// its operation; a step added to the registry without an entry of its own gets one.
TEST(StepMenus, EveryStepHasItsMenuEntryAndOperation)
{
    Ui::MainWindow window;
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    Ui::OperationFactory factory(&window.presenter());
    for (const StepDefinition *step : StepRegistry::instance().steps()) {
        if (step->operationNumber == 0)
            continue;
        SCOPED_TRACE(step->name.toStdString());
        bool listed = false;
        for (const Ui::MainWindowForm::ActionRow &row : Ui::MainWindowForm::actionTable())
            if (row.operation == step->operationNumber) {
                listed = true;
                EXPECT_EQ(window.form().action(QLatin1String(row.objectName))->text(), step->shownInMenu());
            }
        EXPECT_TRUE(listed);
        const boost::shared_ptr<Core::Operations::Operation> op = factory.create(step->operationNumber);
        ASSERT_TRUE(op);
        if (const auto *process = dynamic_cast<const Core::Operations::ProcessOperation *>(op.get()))
            EXPECT_EQ(process->definition(), step);
    }

    // Without its row, "CVD" would still be in the Simulation menu.
    QList<Ui::MainWindowForm::ActionRow> fixed;
    for (const Ui::MainWindowForm::ActionRow &row : Ui::MainWindowForm::actionTable())
        if (row.operation != 33)
            fixed << row;
    int added = 0;
    for (const Ui::MainWindowForm::ActionRow &row : Ui::MainWindowForm::withRegistrySteps(fixed))
        if (row.operation == 33) {
            ++added;
            EXPECT_EQ(QLatin1String(row.menu), QStringLiteral("menuSimulation"));
            EXPECT_EQ(QString::fromUtf8(row.text), QStringLiteral("CVD"));
        }
    EXPECT_EQ(added, 1);
}
