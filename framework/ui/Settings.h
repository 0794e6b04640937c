// What the window program remembers from one run to the next, in one file:
// the recent archives, the archive the open dialog offers, the folder each
// file dialog last opened in, and where the preview was left. Each call
// reads or writes the file at once, so two running windows share it.
#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

namespace zorvak {

// The file is zorvak/zorvak.ini in the user's settings folder (on Linux
// $XDG_CONFIG_HOME, else ~/.config). Tests point it at a folder of their own.
void SetSettingsFolder(const QString& folder);

// Forgets everything stored.
void ForgetAllSettings();

// How many recent archives the File menu lists.
inline constexpr int kMostRecentArchives = 8;

// The archives opened last, most recent first, each once, at most
// kMostRecentArchives.
QStringList RecentArchives();
// path goes to the top of the list (from lower down, if it was there).
void RememberRecentArchive(const QString& path);
// path leaves the list.
void ForgetRecentArchive(const QString& path);

// The archive chosen last in the open dialog; empty when none was.
QString LastChosenArchive();
void RememberChosenArchive(const QString& path);

// The folder the dialog named dialog last opened in; empty when none is
// remembered or it is a folder no more.
QString LastFolder(const QString& dialog);
void RememberFolder(const QString& dialog, const QString& folder);

// Where a window was left: its outer top-left and its inner size.
struct TWindowPlace {
    QPoint Position;
    QSize Size;
};
// The place window was saved at; none when none was, or the size stored is
// no size.
std::optional<TWindowPlace> SavedWindowPlace(const QString& window);
void SaveWindowPlace(const QString& window, const TWindowPlace& place);

} // namespace zorvak
