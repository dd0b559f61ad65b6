#pragma once

#include "pythonerrors.h"
#include "stepkeywords.h"

#include "Core/Steps/processdata.h"

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
// out, so the executor names them. Raises StepError for a keyword the step
// does not take.
Core::Steps::ProcessData buildStep(const StepSignature &signature, const py::dict &keywords,
                                   const Model::Automaton::TotalVolume *volume);

// A step's values under their keywords, in Python kinds; masks as 2-D arrays.
py::dict stepKeywords(const Core::Steps::ProcessData &step);

// Every list step: keyword -> (list name, kind of value).
py::dict stepTypes();
// Every list step with its names, summary and parameters as declared.
py::list stepDefinitions();
// Every list step with its keywords, units, ranges and defaults, for help().
QString stepTable();

} // namespace Python
