// The application's title, the guard every event handler runs through, and
// the pump that long work calls between its steps.
#pragma once

#include <QObject>
#include <QString>

#include <filesystem>
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

// Runs work, which opens path among its steps. When that open is refused
// because another program holds the file, the failure says so ("<path> is
// in use by another program") rather than "Cannot open file". Only for
// commands that run while nothing of this program holds path itself: its
// own hold would look the same.
void TellingInUse(const std::filesystem::path& path, const std::function<void()>& work);

// The wait of a synchronous step the user may call off, such as a sound
// played to its end: while it lasts the window keeps drawing, but the
// user's input is dropped, so no key or click pressed meanwhile runs once
// the wait is over. Escape, or a window being closed (the close goes on),
// calls the wait off.
class TStoppableWait : public QObject {
public:
    TStoppableWait();
    ~TStoppableWait() override;
    TStoppableWait(const TStoppableWait&) = delete;
    TStoppableWait& operator=(const TStoppableWait&) = delete;

    // Handles the pending events; false once the wait was called off.
    bool KeepWaiting();
    bool CalledOff() const { return calledOff_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool calledOff_ = false;
};

} // namespace zorvak
