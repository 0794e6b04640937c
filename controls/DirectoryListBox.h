// A directory tree list, as the build dialog lets the user walk the disk.
#pragma once

#include <QListWidget>

#include <filesystem>

namespace zorvak {

// A directory tree list: the levels from the root down to the current
// directory, then the current directory's sub-directories. Activating a row
// (double-click, Enter) moves there. Its current directory is also the
// program's current directory.
class TDirectoryListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TDirectoryListBox(QWidget* parent = nullptr);

    const std::filesystem::path& Directory() const { return directory_; }
    // Makes path (absolute) the current directory of the list and of the
    // program, and lists it. Throws the I/O failure when it cannot be
    // entered; nothing changes then.
    void SetDirectory(const std::filesystem::path& path);
    // Lists the current directory again.
    void Refresh();
    // What activating a row does: moves to that row's directory.
    void OpenRow(int row);

Q_SIGNALS:
    void DirectoryChanged();

private:
    void RowActivated(QListWidgetItem* item);

    std::filesystem::path directory_;
};

} // namespace zorvak
