#include "stoptoken.h"

namespace Util {

namespace {
thread_local const StopToken *current = nullptr;
}

StopScope::StopScope(const StopToken *token) : m_previous(current) { current = token; }

StopScope::~StopScope() { current = m_previous; }

bool stopRequested() { return current && current->requested(); }

const StopToken *currentStopToken() { return current; }

} // namespace Util
