#pragma once

#include "stepdefinition.h"

#include <QList>
#include <QString>

namespace Core {
namespace Steps {

// Every process step the system knows, declared once per family. Front ends
// build their names, dialogs, keywords and help from it.
class StepRegistry
{
public:
    static const StepRegistry &instance();

    // List steps by type, then the program's own steps.
    const QList<const StepDefinition *> &steps() const { return m_steps; }
    const StepDefinition *ofType(int type) const;
    // By any of its names; case and runs of blanks do not matter.
    const StepDefinition *named(const QString &name) const;
    const StepDefinition *ofOperation(int operationNumber) const;
    // The steps of the batch dialog's process list, in its order.
    QList<const StepDefinition *> comboSteps() const;
    // The largest list type plus one.
    int typeLimit() const { return m_typeLimit; }

    // "Isotropic  etching" -> "isotropic etching": the form names are compared in.
    static QString normalized(const QString &name);

private:
    StepRegistry();

    QList<StepDefinition> m_definitions;
    QList<const StepDefinition *> m_steps;
    int m_typeLimit = 0;
};

// The families' declarations; each appends its steps.
void addSceneSteps(QList<StepDefinition> &steps);
void addDistanceCountingSteps(QList<StepDefinition> &steps);
void addMooreSteps(QList<StepDefinition> &steps);
void addColumnSteps(QList<StepDefinition> &steps);
void addPhotolithographySteps(QList<StepDefinition> &steps);
void addWetEtchingSteps(QList<StepDefinition> &steps);
void addDopingSteps(QList<StepDefinition> &steps);
void addLineOfSightSteps(QList<StepDefinition> &steps);
void addImplantSteps(QList<StepDefinition> &steps);

// The definition of a list type; a step of an unknown type has none.
inline const StepDefinition *definitionOf(int type) { return StepRegistry::instance().ofType(type); }

} // namespace Steps
} // namespace Core
