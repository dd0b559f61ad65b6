#pragma once

#include "processdata.h"
#include "stepdefinition.h"

#include <QVariantMap>

namespace Model {
namespace Materials {
class Material;
}
} // namespace Model

namespace Core {
namespace Steps {

// The values a new step starts from: each parameter's declared default
// (parameters without one, a material among them, are left out). Given the
// height of the volume it will run on, a height that starts at its maximum
// starts at the volume's top, as the dialog's field does.
QVariantMap defaultValues(const StepDefinition &definition, unsigned volumeHeight = 0);

// values, with the declared default for every parameter they leave out: how a
// step is completed when it is built (program, Python), never when a stored
// list is read (a value missing there is an error).
QVariantMap withDefaults(const StepDefinition &definition, const QVariantMap &values, unsigned volumeHeight = 0);

// The values a step holds, by parameter name (a material as its id), for a
// dialog or a script to show.
QVariantMap valuesOf(const StepDefinition &definition, const ProcessData &step);

// A step of the definition's type holding values (by parameter name; a
// material by id or name) as a process list keeps them: each value in its
// stored kind, a material as its triple with the catalogue's name and an
// opaque colour, a choice's text or a flag's opposite beside it, and the
// visibility the batch dialog shows (an option not chosen hides its values).
// A value that does not convert is kept as given, so the executor refuses it
// with its own sentence.
ProcessData makeStep(const StepDefinition &definition, const QVariantMap &values);

// The sentence the executor would refuse a step of these values with, before
// touching any cell; empty when it would run. Dialogs ask it before they close.
QString refusalOf(const StepDefinition &definition, const QVariantMap &values);

// Writes one value into step as makeStep does.
void storeValue(ProcessData &step, const StepDefinition &definition, const StepParameter &param, const QVariant &value);

// A material's colour as a new step stores it: alpha 255.
QColor opaqueColor(const Model::Materials::Material &material);

} // namespace Steps
} // namespace Core
