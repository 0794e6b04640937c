// A request to stop long work, made by SIGINT or SIGTERM (or a test): the
// work sees it at its next step and ends through its normal clean-up, so no
// temporary is left behind.
#pragma once

namespace zorvak {

// Routes SIGINT and SIGTERM to RequestInterrupt.
void InstallInterruptHandlers();
// The signal that asked to stop, 0 when none did.
int InterruptRequested();
// Safe in a signal handler.
void RequestInterrupt(int signal);
void ClearInterrupt();

} // namespace zorvak
