// The main window's commands beyond its buttons: extracting into a folder
// the user chooses, dragging entries out, dropping files in, and editing
// the open archive.
#include "forms/Zorvmain.h"

#include "archive/PakEdit.h"
#include "forms/EditHistory.h"
#include "forms/EditRun.h"
#include "forms/ExtractionRun.h"
#include "framework/Failures.h"
#include "framework/Files.h"
#include "framework/Text.h"
#include "framework/ui/Application.h"
#include "framework/ui/Platform.h"
#include "framework/ui/Settings.h"
#include "framework/ui/Translations.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <algorithm>

namespace zorvak {

namespace {

std::string Bytes(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

// A folder a user typed as the place to store under: "/" between levels and
// one at its end, none at its start.
std::string StoredFolder(const QString& typed) {
    std::string folder = Bytes(typed);
    std::replace(folder.begin(), folder.end(), '\\', '/');
    while (!folder.empty() && folder.front() == '/')
        folder.erase(folder.begin());
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

// The adds of a folder's tree under folder (a stored folder, "" or ending
// in "/"): the folder keeps its own name as a level, as a file manager's
// copy would, so "sub" under "maps/" stores "maps/sub/...". The same for
// Add Folder and a drop. False when pump stopped the walk.
bool FolderChanges(const std::filesystem::path& dir, const std::string& folder,
                   const TFileIdentity& archive, std::vector<TPakChange>& changes) {
    std::filesystem::path named = dir;
    if (!named.has_filename())
        named = named.parent_path(); // "sub/" names sub
    std::string prefix = folder + named.filename().string();
    // A root has no name to keep; a name of its own level is no name.
    if (named.filename().empty() || named.filename() == "." || named.filename() == "..") {
        prefix = folder;
        if (!prefix.empty())
            prefix.pop_back();
    }
    return AddTreeChanges(
        dir, prefix, archive, [] { return true; }, changes);
}

// The folder the dialog named dialog was last in, else fallback.
QString LastFolderOr(const QString& dialog, const QString& fallback) {
    const QString last = LastFolder(dialog);
    return last.isEmpty() ? fallback : last;
}

} // namespace

void TZorvakForm::TellingArchiveInUse(const std::function<void()>& work) {
    if (PakPath.isEmpty() || HoldsArchive()) {
        work();
        return;
    }
    TellingInUse(ToFsPath(PakPath), work);
}

void TZorvakForm::ExtractTo1Click(QObject* sender) {
    if (PakList->count() == 0)
        return;
    const bool all = sender == ExtractAllTo1;
    const QString dialog = all ? QStringLiteral("ExtractAllTo") : QStringLiteral("ExtractTo");
    const QString initial = LastFolderOr(dialog, FromFsPath(ToFsPath(PakPath).parent_path()));
    const auto chosen = FileDialogs().GetExistingDirectory(
        this, all ? tr("Extract All To") : tr("Extract To"), initial);
    if (!chosen)
        return;
    RememberFolder(dialog, *chosen);
    extraction_->ExtractInto(
        ToFsPath(*chosen), [&] { ButtonExtractAllClick(all ? ButtonExtractAll : ButtonExtract); });
}

QStringList TZorvakForm::ExtractForDrag() {
    return extraction_->ForDrag();
}

void TZorvakForm::DragDone() {
    extraction_->DragDone();
}

void TZorvakForm::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (mime == nullptr || !mime->hasUrls() || event->source() == PakList)
        return;
    for (const QUrl& url : mime->urls())
        if (!url.isLocalFile())
            return;
    event->acceptProposedAction();
}

void TZorvakForm::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        paths.append(url.toLocalFile());
    event->acceptProposedAction();
    RunGuarded([this, paths] { DropFiles(paths); });
}

void TZorvakForm::DropFiles(const QStringList& paths) {
    if (paths.isEmpty())
        return;
    // A single archive (by its name or its signature) opens, as File, Open
    // Pak File would, refused as it would be; with no archive open there is
    // nothing to add to, so the open says what the file is.
    const std::filesystem::path first = ToFsPath(paths.front());
    const bool single = paths.size() == 1 && !IsDirectory(first);
    if (PakPath.isEmpty() || (single && (AsciiLower(first.extension().string()) == ".pak" ||
                                         HasArchiveSignature(first)))) {
        OpenArchive(paths.front());
        return;
    }
    AddUnderFolder(tr("Add to Archive"), tr("Store under the folder:"), paths);
}

void TZorvakForm::AddUnderFolder(const QString& title, const QString& prompt,
                                 const QStringList& paths) {
    const auto under = AskText(title, prompt, CurrentFolder());
    if (!under)
        return;
    const std::string folder = StoredFolder(*under);
    std::vector<TPakChange> changes;
    for (const QString& path : paths) {
        const std::filesystem::path fs = ToFsPath(path);
        if (IsDirectory(fs)) {
            if (!FolderChanges(fs, folder, PakIdentity, changes))
                return;
        } else {
            changes.push_back(TPakChange::AddFile(folder + fs.filename().string(), fs.string()));
        }
    }
    edit_->Run(changes);
}

QString TZorvakForm::CurrentFolder() const {
    const int k = CurrentIndex();
    if (k < 0 || k >= static_cast<int>(PakNames.size()))
        return {};
    const std::string_view name = PakNames[static_cast<std::size_t>(k)].Name;
    const std::size_t slash = name.rfind('/');
    return slash == std::string_view::npos ? QString() : DecodeName(name.substr(0, slash + 1));
}

void TZorvakForm::AddFiles1Click(QObject*) {
    if (PakPath.isEmpty())
        throw TFailure(FailureBytes(tr("Open an archive to add files to it")));
    TOpenFileRequest request;
    request.Title = tr("Add Files");
    request.Filters = QStringList{tr("All files (*)")};
    request.Folder = LastFolder(QStringLiteral("AddFiles"));
    const auto files = FileDialogs().GetOpenFileNames(this, request);
    if (!files)
        return;
    RememberFolder(QStringLiteral("AddFiles"), QFileInfo(files->front()).absolutePath());
    AddUnderFolder(tr("Add Files"), tr("Store under the folder:"), *files);
}

void TZorvakForm::AddFolder1Click(QObject*) {
    if (PakPath.isEmpty())
        throw TFailure(FailureBytes(tr("Open an archive to add files to it")));
    const auto chosen = FileDialogs().GetExistingDirectory(
        this, tr("Add Folder"),
        LastFolderOr(QStringLiteral("AddFolder"), FromFsPath(ToFsPath(PakPath).parent_path())));
    if (!chosen)
        return;
    // Where the folder was chosen from: its siblings are the likely next ones.
    RememberFolder(QStringLiteral("AddFolder"), QFileInfo(QDir::cleanPath(*chosen)).absolutePath());
    AddUnderFolder(tr("Add Folder"), tr("Store its files under the folder:"), {*chosen});
}

void TZorvakForm::Delete1Click(QObject*) {
    std::vector<TPakChange> changes;
    for (int i = 0; i < PakList->count(); ++i)
        if (RowSelected(i))
            changes.push_back(TPakChange::Delete(static_cast<std::size_t>(i)));
    if (changes.empty())
        return;
    const QString what = changes.size() == 1
                             ? tr("Delete 1 entry from %1?").arg(PakPath)
                             : tr("Delete %1 entries from %2?").arg(changes.size()).arg(PakPath);
    if (!Confirm(what))
        return;
    edit_->Run(changes);
}

void TZorvakForm::Rename1Click(QObject*) {
    const int k = CurrentIndex();
    if (k < 0 || k >= static_cast<int>(PakNames.size()))
        return;
    const QString old = DecodeName(PakNames[static_cast<std::size_t>(k)].Name);
    const auto typed = AskText(tr("Rename"), tr("New name:"), old);
    if (!typed || *typed == old)
        return;
    // A name the user typed is stored as typed.
    edit_->Run({TPakChange::Rename(static_cast<std::size_t>(k), Bytes(*typed), true)});
}

void TZorvakForm::Compact1Click(QObject*) {
    if (PakPath.isEmpty())
        throw TFailure(FailureBytes(tr("Open an archive to compact it")));
    edit_->Run({}, true);
}

void TZorvakForm::Undo1Click(QObject*) {
    edit_->Undo();
}

void TZorvakForm::Redo1Click(QObject*) {
    edit_->Redo();
}

void TZorvakForm::CreateHistoryCommands() {
    Edit1->addSeparator();
    Undo1 = Edit1->addAction(tr("&Undo"));
    Undo1->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
    Redo1 = Edit1->addAction(tr("&Redo"));
    Redo1->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
    const std::pair<QAction*, void (TZorvakForm::*)(QObject*)> commands[] = {
        {Undo1, &TZorvakForm::Undo1Click},
        {Redo1, &TZorvakForm::Redo1Click},
    };
    for (const auto& [action, handler] : commands) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        connect(action, &QAction::triggered, this,
                [this, action, handler] { RunGuarded([&] { (this->*handler)(action); }); });
    }
    edit_->HistoryChanged = [this] { ShowHistoryCommands(); };
    ShowHistoryCommands();
}

void TZorvakForm::ShowHistoryCommands() {
    const auto named = [](TEditKind kind) {
        switch (kind) {
        case TEditKind::ekAdd:
            return tr("Add");
        case TEditKind::ekReplace:
            return tr("Replace");
        case TEditKind::ekDelete:
            return tr("Delete");
        case TEditKind::ekRename:
            break;
        }
        return tr("Rename");
    };
    const TEditHistory& history = edit_->History();
    Undo1->setEnabled(history.CanUndo());
    Undo1->setText(history.CanUndo() ? tr("&Undo %1").arg(named(history.UndoKind())) : tr("&Undo"));
    Redo1->setEnabled(history.CanRedo());
    Redo1->setText(history.CanRedo() ? tr("&Redo %1").arg(named(history.RedoKind())) : tr("&Redo"));
}

} // namespace zorvak
