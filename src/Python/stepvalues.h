#pragma once

#include "pythonerrors.h"
#include "stepkeywords.h"

#include "Core/Steps/processdata.h"

namespace Python {

// The step of that list name; raises StepError (code 3) when there is none.
const StepSignature &signatureOf(const std::string &name);

// A step of the signature's type holding the keywords' values as the runner
// reads them: numbers, flags and texts as they are, materials by name or id,
// positions as Util::Vector3D, masks (2-D arrays [x, y] or image files) as
// bits with their size. Raises StepError for a keyword the step does not take.
Core::Steps::ProcessData buildStep(const StepSignature &signature, const py::dict &keywords);

// A step's values under their keywords, in Python kinds; masks as 2-D arrays.
py::dict stepKeywords(const Core::Steps::ProcessData &step);

// Every step type: keyword -> (list name, kind of value).
py::dict stepTypes();
// One line per step type with its keywords, for docstrings.
QString stepTable();

} // namespace Python
