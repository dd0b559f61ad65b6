#pragma once

#include "pythonerrors.h"
#include "stepkeywords.h"

#include "Core/Steps/processdata.h"

#include <QMap>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Python {

// The list step going by name (its list name, menu text, batch combo text or
// an alias; case does not matter); raises StepError (code 3) when there is none.
const StepSignature &signatureNamed(const std::string &name);

// A step of the signature's type as a process list would hold it, built by
// the core's makeStep from the declared defaults overlaid with the keywords:
// numbers, flags and texts as given, materials by name or id, positions as
// (x, y, z), masks (2-D arrays [x, y] or image files) as bits with their size
// taken from the array unless given by keyword. A height that starts at the
// volume's top defaults to volume's height. Parameters without a default stay
// out, so the executor names them; a mask left out is none. A parameter's
// alias keyword (film_thickness for CVD's thickness) stands for it. Raises
// StepError for a keyword the step does not take (with the nearest ones) or
// a parameter given twice. used, when given, receives the keyword each given
// parameter came by, by parameter name.
Core::Steps::ProcessData buildStep(const StepSignature &signature, const py::dict &keywords,
                                   const Model::Automaton::TotalVolume *volume,
                                   QMap<QString, QString> *used = nullptr);

// The executor's sentence with each parameter it quotes followed by the
// keyword the caller gave it by, or its own keyword: "\"Thickness\" (film_thickness) must be ...".
QString withKeywords(const QString &sentence, const StepSignature &signature, const QMap<QString, QString> &used);

// A step's values under their keywords, in Python kinds; masks as 2-D arrays.
py::dict stepKeywords(const Core::Steps::ProcessData &step);

// Every list step: keyword -> (list name, kind of value).
py::dict stepTypes();
// Every list step with its names, summary and parameters as declared.
py::list stepDefinitions();
// Every list step with its keywords, units, ranges and defaults, for help().
QString stepTable();

} // namespace Python
