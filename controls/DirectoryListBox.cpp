#include "controls/DirectoryListBox.h"

#include "framework/Files.h"
#include "framework/ui/Application.h"
#include "framework/ui/Colors.h"
#include "framework/ui/FormKit.h"
#include "framework/ui/Platform.h"
#include "resources/Pictures.h"

#include <QApplication>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>

#include <algorithm>
#include <string>
#include <vector>

namespace zorvak {

namespace {

constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kPathRole = Qt::UserRole;
// Pixels each directory level is moved right in the tree list.
constexpr int kLevelIndent = 8;

// The glyph with its look on the selected row made now, in the designed
// palette: the toolkit would tint it with the desktop's highlight.
QIcon Glyph(const char* name) {
    QIcon icon = NamedGlyph(QString::fromLatin1(name));
    QStyleOption option;
    option.palette = DesignedPalette();
    for (const QSize& size : icon.availableSizes())
        icon.addPixmap(QApplication::style()->generatedIconPixmap(QIcon::Selected,
                                                                  icon.pixmap(size, 1.0), &option),
                       QIcon::Selected);
    return icon;
}

QByteArray PathBytes(const std::filesystem::path& path) {
    return QByteArray::fromStdString(path.string());
}

std::filesystem::path BytesPath(const QByteArray& bytes) {
    return std::filesystem::path(bytes.toStdString());
}

std::filesystem::path Normalised(const std::filesystem::path& path) {
    std::filesystem::path normal = path.lexically_normal();
    if (!normal.has_filename() && normal.has_parent_path() && normal != normal.root_path())
        normal = normal.parent_path();
    return normal;
}

// The sub-directories of dir, sorted as a user reads them. Links to
// directories are listed: they are places the user may go.
std::vector<std::string> SubDirectories(const std::filesystem::path& dir) {
    std::vector<std::string> names = SubdirectoryNames(dir);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int order = DecodeName(a).compare(DecodeName(b), Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    return names;
}

} // namespace

TDirectoryListBox::TDirectoryListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    // Rows 16 pixels high, each moved right by its level.
    setItemDelegate(new TFixedRowDelegate(16, this, kLevelRole, kLevelIndent));
    setIconSize(QSize(16, 16));
    // Moving rebuilds the rows; do it once the activating event is over.
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const int row = this->row(item);
        QTimer::singleShot(0, this, [this, row] { RunGuarded([this, row] { OpenRow(row); }); });
    });
}

void TDirectoryListBox::SetDirectory(const std::filesystem::path& path) {
    const std::filesystem::path target = Normalised(std::filesystem::absolute(path));
    ChangeDirectory(target);
    directory_ = target;
    Refresh();
    Q_EMIT DirectoryChanged();
}

void TDirectoryListBox::OpenRow(int row) {
    if (QListWidgetItem* line = item(row))
        SetDirectory(BytesPath(line->data(kPathRole).toByteArray()));
}

void TDirectoryListBox::Refresh() {
    clear();
    const QIcon open = Glyph("folder-open");
    const QIcon closed = Glyph("folder-closed");
    std::filesystem::path level = directory_.root_path();
    int depth = 0;
    auto addRow = [this](const QIcon& icon, const QString& text, const std::filesystem::path& at,
                         int indent) {
        auto* row = new QListWidgetItem(icon, text, this);
        row->setData(kPathRole, PathBytes(at));
        row->setData(kLevelRole, indent);
        return row;
    };
    addRow(open, FromFsPath(level), level, depth);
    for (const std::filesystem::path& part : directory_.relative_path()) {
        if (part.empty())
            continue;
        level /= part;
        addRow(open, DecodeName(part.string()), level, ++depth);
    }
    setCurrentRow(count() - 1);
    for (const std::string& name : SubDirectories(directory_))
        addRow(closed, DecodeName(name), directory_ / name, depth + 1);
}

} // namespace zorvak
