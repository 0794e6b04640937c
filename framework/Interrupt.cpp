#include "framework/Interrupt.h"

#include <atomic>

namespace zorvak {

namespace {
std::atomic<int> requested{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");
} // namespace

int InterruptRequested() {
    return requested.load(std::memory_order_relaxed);
}

void RequestInterrupt(int signal) {
    requested.store(signal, std::memory_order_relaxed);
}

void ClearInterrupt() {
    requested.store(0, std::memory_order_relaxed);
}

} // namespace zorvak
