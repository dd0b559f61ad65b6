#include "pythonerrors.h"

#include <pybind11/eval.h>

namespace Python {

namespace {

PyObject *stepErrorType = nullptr; // torvane.StepError, kept for the life of the process

const char *const StepErrorSource = R"(
class StepError(Exception):
    """A step the runner refused or that failed.

    code   -- the runner's result code: 1 a parameter is missing, 2 a value is
              invalid (not convertible, not finite, outside the volume, an
              unknown material), 3 no such process, -1 no volume to work on.
    reason -- the runner's sentence saying why; the message also names the
              keyword each parameter it mentions was given by.
    step   -- the step's list name.
    volume -- for ProcessList.run, the volume as the steps before the failure
              left it (None when no volume was made); None otherwise.
    """

    def __init__(self, code, reason, step="", hint="", shown=""):
        super().__init__((shown or reason) + (" " + hint if hint else ""))
        self.code = code
        self.reason = reason
        self.step = step
        self.volume = None
)";


} // namespace

void defineStepError(py::module_ &module)
{
    py::dict scope = module.attr("__dict__");
    py::exec(StepErrorSource, scope);
    stepErrorType = module.attr("StepError").ptr();
    Py_INCREF(stepErrorType);
    module.attr("StepError").attr("__module__") = "torvane";
}

void raiseStepError(int code, const QString &reason, const QString &step, const QString &hint, py::object volume,
                    const QString &shown)
{
    py::object error =
        py::reinterpret_borrow<py::object>(stepErrorType)(code, text(reason), text(step), text(hint), text(shown));
    error.attr("volume") = volume;
    PyErr_SetObject(stepErrorType, error.ptr());
    throw py::error_already_set();
}

void raise(PyObject *type, const QString &message)
{
    PyErr_SetString(type, message.toUtf8().constData());
    throw py::error_already_set();
}

} // namespace Python
