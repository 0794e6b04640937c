#include "framework/Interrupt.h"

#include <csignal>

namespace zorvak {

namespace {
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
    // A file-size limit then fails the write that passes it (EFBIG), which
    // is told and cleaned up as any other failure, instead of ending the
    // process with a temporary left behind.
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace zorvak
