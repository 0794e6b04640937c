#include "framework/ui/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace zorvak {

namespace {

const QString kRecentKey = QStringLiteral("RecentArchives");
const QString kChosenKey = QStringLiteral("OpenDialog/LastArchive");
const QString kFoldersGroup = QStringLiteral("Folders/");
const QString kWindowsGroup = QStringLiteral("Windows/");

// An ini file everywhere (not the registry on Windows), so that one path
// names all of it. The names are given here rather than taken from the
// application, which --reset-settings has not made yet.
QSettings Store() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("zorvak"),
                     QStringLiteral("zorvak"));
}

// One spelling per file: "/q/./a.pak" and "/q//a.pak" are "/q/a.pak". A ".."
// stays: through a link, "/q/sub/.." need not be "/q".
QString Clean(const QString& path) {
    // Not QFileInfo's absolute path, which takes ".." away.
    const QString absolute =
        QDir::isRelativePath(path) ? QDir::currentPath() + QLatin1Char('/') + path : path;
    QStringList kept;
    for (const QString& level : absolute.split(QLatin1Char('/'))) {
        if (level != QLatin1String("."))
            kept.append(level);
    }
    QString clean = kept.join(QLatin1Char('/'));
    while (clean.contains(QStringLiteral("//")))
        clean.replace(QStringLiteral("//"), QStringLiteral("/"));
    if (clean.size() > 1 && clean.endsWith(QLatin1Char('/')))
        clean.chop(1);
    return clean;
}

void WriteRecent(QStringList list) {
    while (list.size() > kMostRecentArchives)
        list.removeLast();
    QSettings store = Store();
    store.setValue(kRecentKey, list);
}

} // namespace

void SetSettingsFolder(const QString& folder) {
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

void ForgetAllSettings() {
    QSettings store = Store();
    store.clear();
    store.sync();
}

QStringList RecentArchives() {
    // Read as stored by this program or edited by hand: blanks and repeats
    // are passed over, and the list is cut at its length.
    QStringList list;
    for (const QString& path : Store().value(kRecentKey).toStringList()) {
        if (path.isEmpty() || list.contains(path))
            continue;
        list.append(path);
        if (list.size() == kMostRecentArchives)
            break;
    }
    return list;
}

void RememberRecentArchive(const QString& path) {
    if (path.isEmpty())
        return;
    const QString clean = Clean(path);
    QStringList list = RecentArchives();
    list.removeAll(clean);
    list.prepend(clean);
    WriteRecent(list);
}

void ForgetRecentArchive(const QString& path) {
    QStringList list = RecentArchives();
    list.removeAll(path);
    list.removeAll(Clean(path));
    WriteRecent(list);
}

QString LastChosenArchive() {
    return Store().value(kChosenKey).toString();
}

void RememberChosenArchive(const QString& path) {
    QSettings store = Store();
    store.setValue(kChosenKey, path);
}

QString LastFolder(const QString& dialog) {
    const QString folder = Store().value(kFoldersGroup + dialog).toString();
    // A folder since removed would open the dialog nowhere useful.
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return {};
    return folder;
}

void RememberFolder(const QString& dialog, const QString& folder) {
    if (folder.isEmpty())
        return;
    QSettings store = Store();
    store.setValue(kFoldersGroup + dialog, Clean(folder));
}

std::optional<TWindowPlace> SavedWindowPlace(const QString& window) {
    QSettings store = Store();
    store.beginGroup(kWindowsGroup + window);
    const QVariant position = store.value(QStringLiteral("Position"));
    const QSize size = store.value(QStringLiteral("Size")).toSize();
    if (!position.isValid() || !size.isValid() || size.isEmpty())
        return std::nullopt;
    return TWindowPlace{position.toPoint(), size};
}

void SaveWindowPlace(const QString& window, const TWindowPlace& place) {
    QSettings store = Store();
    store.beginGroup(kWindowsGroup + window);
    store.setValue(QStringLiteral("Position"), place.Position);
    store.setValue(QStringLiteral("Size"), place.Size);
}

} // namespace zorvak
