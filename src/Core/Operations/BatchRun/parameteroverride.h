#pragma once

#include "Core/Steps/processdata.h"

#include <QString>

namespace Core {
namespace Operations {

// One stored value of a process list replaced from outside the file, as
// "POSITION:PARAMETER=VALUE" (position 1 is the first step). The value is text
// and is converted by the kind of the value it replaces, exactly as the list
// file's text is, so the step runner checks it as it checks a stored value.
struct ParameterOverride
{
    int position = 0;
    QString parameter;
    QString value;

    // "POSITION:PARAMETER", the name a sweep gives the column of this value.
    QString target() const { return QStringLiteral("%1:%2").arg(position).arg(parameter); }

    // False, with the reason in error, when text is not of that form.
    static bool parse(const QString &text, ParameterOverride &result, QString *error);
    // Parses "POSITION:PARAMETER" alone (no value).
    static bool parseTarget(const QString &text, ParameterOverride &result, QString *error);

    // Replaces the value in list; a parameter may be named by an alias its
    // step declares. False, with the reason (and the nearest names), when the
    // position is outside the list or that step has no such parameter; the list is then
    // unchanged. A material is set by its name or id, through the name
    // parameter ("Material") or the id parameter ("Material_Id"); its name,
    // id and colour then come from the catalogue together.
    bool apply(Core::Steps::ProcessList &list, QString *error) const;
};

} // namespace Operations
} // namespace Core
