#pragma once

// Python's headers first: they use "slots" as a name, which Qt's headers define as a macro.
#include <pybind11/pybind11.h>

#include "Util/stoptoken.h"

#include <csignal>

namespace Python {

// While it lives, Ctrl+C also asks token to stop, so a long engine ends at its
// next stop point instead of after the step. Python's own handler only marks
// the signal, to be raised as KeyboardInterrupt once the main thread runs
// Python again, which with the GIL released is after the step.
//
// Constructed with the GIL held. It acts only on the main thread and only
// while Ctrl+C raises KeyboardInterrupt (Python's default handler): a script's
// own handler keeps its meaning. Nested scopes (a vol.run inside a progress
// callback) hand the signal to the innermost token and put the outer one back.
class InterruptStopsSteps
{
public:
    explicit InterruptStopsSteps(Util::StopToken &token);
    ~InterruptStopsSteps();
    InterruptStopsSteps(const InterruptStopsSteps &) = delete;
    InterruptStopsSteps &operator=(const InterruptStopsSteps &) = delete;

    // True when Ctrl+C now reaches the token: the caller then gives the runner the token.
    bool active() const { return m_active; }

    // After the released section, with the GIL held: when Ctrl+C stopped the
    // step, raises the KeyboardInterrupt Python's handler has pending.
    void raisePending() const;

private:
    bool m_active = false;
    bool m_installed = false;
    Util::StopToken *m_outer = nullptr;
    Util::StopToken &m_token;
};

} // namespace Python
