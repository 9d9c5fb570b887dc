#include "link/Termination.h"

#include <atomic>

namespace brevolan {

namespace {
// Lock-free, so a signal handler may set it.
std::atomic<bool> g_terminating{false};
static_assert(std::atomic<bool>::is_always_lock_free);
} // namespace

void requestTermination() noexcept { g_terminating.store(true, std::memory_order_relaxed); }
bool terminationRequested() noexcept { return g_terminating.load(std::memory_order_relaxed); }
void clearTerminationRequest() noexcept { g_terminating.store(false, std::memory_order_relaxed); }

} // namespace brevolan
