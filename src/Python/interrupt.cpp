#include "interrupt.h"

#include <atomic>

namespace Python {

namespace py = pybind11;

namespace {

std::atomic<Util::StopToken *> interruptTarget{nullptr};
struct sigaction pythonHandler; // what was installed before ours; read by the handler
bool installed = false;         // main thread only, under the GIL

// Async-signal-safe: one atomic load and store, then Python's handler, which
// only marks the signal. It may run on any thread the kernel picks.
extern "C" void interruptStep(int signal, siginfo_t *info, void *context)
{
    if (Util::StopToken *token = interruptTarget.load())
        token->request();
    if (pythonHandler.sa_flags & SA_SIGINFO)
        pythonHandler.sa_sigaction(signal, info, context);
    else if (pythonHandler.sa_handler != SIG_DFL && pythonHandler.sa_handler != SIG_IGN)
        pythonHandler.sa_handler(signal);
}

bool onMainThread()
{
    const py::module_ threading = py::module_::import("threading");
    return threading.attr("current_thread")().is(threading.attr("main_thread")());
}

bool interruptRaises()
{
    const py::module_ signalModule = py::module_::import("signal");
    return signalModule.attr("getsignal")(signalModule.attr("SIGINT")).is(signalModule.attr("default_int_handler"));
}

} // namespace

InterruptStopsSteps::InterruptStopsSteps(Util::StopToken &token) : m_token(token)
{
    if (!onMainThread() || !interruptRaises())
        return;
    m_active = true;
    m_outer = interruptTarget.exchange(&token);
    if (installed)
        return;
    struct sigaction ours = {};
    struct sigaction before = {};
    sigaction(SIGINT, nullptr, &before);
    ours.sa_sigaction = interruptStep;
    ours.sa_flags = (before.sa_flags & ~SA_RESETHAND) | SA_SIGINFO;
    sigemptyset(&ours.sa_mask);
    // The handler chains to pythonHandler, so it is set before ours can run.
    pythonHandler = before;
    if (sigaction(SIGINT, &ours, nullptr) != 0) {
        interruptTarget.store(m_outer);
        m_active = false;
        return;
    }
    installed = m_installed = true;
}

InterruptStopsSteps::~InterruptStopsSteps()
{
    if (!m_active)
        return;
    interruptTarget.store(m_outer);
    if (!m_installed)
        return;
    // A callback may have set a handler of its own meanwhile; that one stays.
    struct sigaction current = {};
    sigaction(SIGINT, nullptr, &current);
    if ((current.sa_flags & SA_SIGINFO) && current.sa_sigaction == interruptStep)
        sigaction(SIGINT, &pythonHandler, nullptr);
    installed = false;
}

void InterruptStopsSteps::raisePending() const
{
    if (m_active && m_token.requested() && PyErr_CheckSignals() != 0)
        throw py::error_already_set();
}

} // namespace Python
