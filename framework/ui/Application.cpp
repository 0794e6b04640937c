#include "framework/ui/Application.h"

#include "framework/Failures.h"
#include "framework/Files.h"
#include "framework/ui/Dialogs.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include <exception>
#include <new>
#include <string_view>

namespace zorvak {

namespace {
QString& TitleStore() {
    static QString title = QStringLiteral("Zorvak");
    return title;
}
} // namespace

void SetApplicationTitle(const QString& title) {
    TitleStore() = title;
    QCoreApplication::setApplicationName(title);
}

QString ApplicationTitle() {
    return TitleStore();
}

QString CurrentFailureMessage() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return QCoreApplication::translate("zorvak::RunGuarded", "Out of memory");
    } catch (const std::exception& e) {
        // Messages hold path bytes; show them as the file system spells them.
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QCoreApplication::translate("zorvak::RunGuarded", "Unknown failure");
    }
}

void RunGuarded(const std::function<void()>& handler) noexcept {
    try {
        handler();
    } catch (...) {
        try {
            ShowErrorBox(CurrentFailureMessage());
        } catch (...) {
            // Nothing sensible is left to report with.
        }
    }
}

void ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TellingInUse(const std::filesystem::path& path, const std::function<void()>& work) {
    try {
        work();
    } catch (const TFileOpenFailure& failure) {
        // Only the open of path itself: an added file refused is told as it is.
        if (std::string_view(failure.what()) == TFileOpenFailure(path).what() &&
            HeldByAnother(path))
            throw TFileInUseFailure(path);
        throw;
    }
}

namespace {

// What the user does with the keyboard, the mouse, a pen or a drop.
bool IsUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

bool IsEscape(const QEvent* event) {
    if (event->type() == QEvent::KeyPress)
        return static_cast<const QKeyEvent*>(event)->key() == Qt::Key_Escape;
    if (event->type() == QEvent::Shortcut)
        return static_cast<const QShortcutEvent*>(event)->key() == QKeySequence(Qt::Key_Escape);
    return false;
}

} // namespace

TStoppableWait::TStoppableWait() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

TStoppableWait::~TStoppableWait() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool TStoppableWait::KeepWaiting() {
    if (!calledOff_ && QCoreApplication::instance() != nullptr)
        ProcessMessages();
    return !calledOff_;
}

bool TStoppableWait::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close) {
        // A window the user closes, not a menu or a tip going away.
        const auto* widget = qobject_cast<const QWidget*>(watched);
        if (widget != nullptr &&
            (widget->windowType() == Qt::Window || widget->windowType() == Qt::Dialog))
            calledOff_ = true;
        return false;
    }
    if (!IsUserInput(event->type()))
        return false;
    if (IsEscape(event))
        calledOff_ = true;
    return true;
}

} // namespace zorvak
