#include "stepregistry.h"

#include <QSet>
#include <QtGlobal>

#include <algorithm>

namespace Core {
namespace Steps {

const StepParameter *StepDefinition::parameter(const QString &wanted) const
{
    for (const StepParameter &param : parameters)
        if (param.name == wanted || param.valueName() == wanted)
            return &param;
    return nullptr;
}

const StepParameter *StepDefinition::parameterOrAlias(const QString &wanted) const
{
    if (const StepParameter *param = parameter(wanted))
        return param;
    for (const StepParameter &param : parameters)
        if (param.aliases.contains(wanted))
            return &param;
    return nullptr;
}

QStringList StepDefinition::parameterNames() const
{
    QStringList all;
    for (const StepParameter &param : parameters) {
        all << param.name;
        if (param.valueName() != param.name)
            all << param.valueName();
        all << param.aliases;
    }
    return all;
}

QStringList StepDefinition::names() const
{
    // Names that differ only in case or spacing are one name.
    QStringList all{name};
    QSet<QString> seen{StepRegistry::normalized(name)};
    for (const QString &other : QStringList{menuText, comboText} + aliases)
        if (!other.isEmpty() && !seen.contains(StepRegistry::normalized(other))) {
            seen.insert(StepRegistry::normalized(other));
            all << other;
        }
    return all;
}

QString StepRegistry::normalized(const QString &name) { return name.simplified().toLower(); }

const StepRegistry &StepRegistry::instance()
{
    static const StepRegistry registry;
    return registry;
}

StepRegistry::StepRegistry()
{
    addPhotolithographySteps(m_definitions);
    addWetEtchingSteps(m_definitions);
    addMooreSteps(m_definitions);
    addDistanceCountingSteps(m_definitions);
    addColumnSteps(m_definitions);
    addSceneSteps(m_definitions);
    addDopingSteps(m_definitions);
    addLineOfSightSteps(m_definitions);
    addImplantSteps(m_definitions);

    for (const StepDefinition &definition : m_definitions)
        m_steps << &definition;
    // List types in their order, the program's own steps after them.
    std::stable_sort(m_steps.begin(), m_steps.end(), [](const StepDefinition *a, const StepDefinition *b) {
        const unsigned ta = unsigned(a->type), tb = unsigned(b->type);
        return ta < tb;
    });

    // Two steps under one name or number would make lists and scripts ambiguous.
    QSet<QString> names;
    QSet<int> types, operations;
    for (const StepDefinition *step : m_steps) {
        Q_ASSERT_X(step->run, "StepRegistry", qPrintable(step->name));
        if (step->type >= 0) {
            Q_ASSERT_X(!types.contains(step->type), "StepRegistry", qPrintable(step->name));
            types.insert(step->type);
            m_typeLimit = std::max(m_typeLimit, step->type + 1);
        }
        if (step->operationNumber != 0) {
            Q_ASSERT_X(!operations.contains(step->operationNumber), "StepRegistry", qPrintable(step->name));
            operations.insert(step->operationNumber);
        }
        for (const QString &name : step->names()) {
            Q_ASSERT_X(!names.contains(normalized(name)), "StepRegistry", qPrintable(name));
            names.insert(normalized(name));
        }
        // An alias that is another parameter's name would make a value's target ambiguous.
        QSet<QString> parameterNames;
        for (const QString &name : step->parameterNames()) {
            Q_ASSERT_X(!parameterNames.contains(name), "StepRegistry", qPrintable(step->name + QLatin1String(": ") + name));
            parameterNames.insert(name);
        }
    }
}

const StepDefinition *StepRegistry::ofType(int type) const
{
    if (type < 0)
        return nullptr;
    for (const StepDefinition *step : m_steps)
        if (step->type == type)
            return step;
    return nullptr;
}

const StepDefinition *StepRegistry::named(const QString &name) const
{
    const QString wanted = normalized(name);
    if (wanted.isEmpty())
        return nullptr;
    for (const StepDefinition *step : m_steps)
        for (const QString &known : step->names())
            if (normalized(known) == wanted)
                return step;
    return nullptr;
}

const StepDefinition *StepRegistry::ofOperation(int operationNumber) const
{
    if (operationNumber == 0)
        return nullptr;
    for (const StepDefinition *step : m_steps)
        if (step->operationNumber == operationNumber)
            return step;
    return nullptr;
}

QList<const StepDefinition *> StepRegistry::comboSteps() const
{
    QList<const StepDefinition *> listed;
    for (const StepDefinition *step : m_steps)
        if (step->inLists())
            listed << step;
    std::stable_sort(listed.begin(), listed.end(), [](const StepDefinition *a, const StepDefinition *b) {
        if (a->comboOrder != b->comboOrder)
            return a->comboOrder < b->comboOrder;
        return a->shownInCombo().compare(b->shownInCombo(), Qt::CaseInsensitive) < 0;
    });
    return listed;
}

} // namespace Steps
} // namespace Core
