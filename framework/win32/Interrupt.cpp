#include "framework/Interrupt.h"

#include "framework/win32/Native.h"

#include <csignal>

namespace zorvak {

namespace {
// Called on a thread of its own: the work sees the request at its next step,
// so the process is not ended from here.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        RequestInterrupt(SIGINT);
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        RequestInterrupt(SIGTERM);
        return TRUE;
    default:
        return FALSE;
    }
}
} // namespace

void InstallInterruptHandlers() {
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

} // namespace zorvak
