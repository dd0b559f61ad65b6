#pragma once

#include <atomic>

namespace Util {

// A request to end a long computation early. request() is one lock-free
// atomic store, so a signal handler or a Cancel button on another thread may
// call it; the computation asks between its iterations.
class StopToken
{
public:
    void request() noexcept { m_stop.store(true, std::memory_order_relaxed); }
    void clear() noexcept { m_stop.store(false, std::memory_order_relaxed); }
    bool requested() const noexcept { return m_stop.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> m_stop{false};
};

// Makes token the one that stopRequested() asks on this thread while the scope
// lives. The engines' iteration loops run on the thread that called them, so a
// step runner hands its token to every engine of a step without each engine's
// constructor taking one.
class StopScope
{
public:
    explicit StopScope(const StopToken *token);
    ~StopScope();
    StopScope(const StopScope &) = delete;
    StopScope &operator=(const StopScope &) = delete;

private:
    const StopToken *m_previous;
};

// True when this thread's current token has been asked to stop; false without one.
bool stopRequested();

// This thread's current token, or null: a loop that runs in pool tasks takes
// it on the calling thread and asks it there.
const StopToken *currentStopToken();

} // namespace Util
