#include "framework/ui/Application.h"

#include "framework/Failures.h"
#include "framework/ui/Dialogs.h"

#include <QCoreApplication>

#include <exception>
#include <new>

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
        return QStringLiteral("Out of memory");
    } catch (const std::exception& e) {
        // Messages hold path bytes; show them as the file system spells them.
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown failure");
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

} // namespace zorvak
