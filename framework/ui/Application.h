// The application's title, the guard every event handler runs through, and
// the pump that long work calls between its steps.
#pragma once

#include <QString>

#include <functional>

namespace zorvak {

// The title of the error boxes and of the task-bar button.
void SetApplicationTitle(const QString& title);
QString ApplicationTitle();

// Runs handler; a failure that leaves it is shown in the application's error
// box (error icon, OK, the title, the message followed by ".") and goes no
// further, so no exception ever crosses the event loop.
void RunGuarded(const std::function<void()>& handler) noexcept;

// The message shown for an exception in flight; call inside a catch block.
QString CurrentFailureMessage();

// Handles the pending window events. Anything may happen meanwhile: callers
// re-check what they rely on afterwards.
void ProcessMessages();

} // namespace zorvak
