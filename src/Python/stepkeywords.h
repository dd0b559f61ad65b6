#pragma once

#include "Core/Steps/executor.h"

#include <QString>
#include <QStringList>

namespace Python {

// The Python keyword of a step parameter: the process list's name in snake
// case ("Film Thickness" -> film_thickness, "DepositOn" -> deposit_on), with a
// material's "_Id" dropped because the keyword takes the name or the id
// ("Conducting Material_Id" -> conducting_material).
QString keywordOf(const Core::Operations::StepParameterInfo &parameter);

// One step type as Python sees it: its list name, the parameters the runner
// reads and their keywords, index for index.
struct StepSignature
{
    int type = -1;
    QString name;
    QList<Core::Operations::StepParameterInfo> parameters;
    QStringList keywords;

    // The parameter a keyword stands for; -1 when the step has none.
    int indexOf(const QString &keyword) const { return keywords.indexOf(keyword); }
};

// Every step type in the runner's order, built once from the runner's own reads.
const QList<StepSignature> &stepSignatures();

} // namespace Python
