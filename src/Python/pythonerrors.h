#pragma once

// Python's headers first: they use "slots" as a name, which Qt's headers define as a macro.
#include <pybind11/pybind11.h>

#include <QString>

#include <string>

namespace Python {

namespace py = pybind11;

inline std::string text(const QString &value) { return value.toStdString(); }
inline QString qtext(const std::string &value) { return QString::fromStdString(value); }

// Defines torvane.StepError in the module; call once at import.
void defineStepError(py::module_ &module);

// Raises torvane.StepError with the runner's result code and sentence; hint
// is added to the message only. volume: what a failed list run left. shown,
// when given, is the message's sentence instead of reason (the reason with
// the caller's keywords in it).
[[noreturn]] void raiseStepError(int code, const QString &reason, const QString &step, const QString &hint = QString(),
                                 py::object volume = py::none(), const QString &shown = QString());

// Raises a Python exception of type (PyExc_ValueError ...) with message.
[[noreturn]] void raise(PyObject *type, const QString &message);

} // namespace Python
