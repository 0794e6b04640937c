#include "framework/Interrupt.h"

#include <atomic>
#include <csignal>

namespace zorvak {

namespace {
std::atomic<int> requested{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

extern "C" void OnInterruptSignal(int signal) {
    RequestInterrupt(signal);
}
} // namespace

void InstallInterruptHandlers() {
    struct sigaction action {};
    action.sa_handler = OnInterruptSignal;
    sigemptyset(&action.sa_mask);
    // Calls interrupted by the signal go on; the work checks between steps.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

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
