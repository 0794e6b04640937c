// The main window's commands beyond its buttons: extracting into a folder
// the user chooses, dragging entries out, dropping files in, and editing
// the open archive.
#include "forms/Zorvmain.h"

#include "archive/PakEdit.h"
#include "archive/PakExtract.h"
#include "controls/Gauges.h"
#include "framework/Failures.h"
#include "framework/Files.h"
#include "framework/Text.h"
#include "framework/ui/Application.h"
#include "framework/ui/Platform.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <set>

namespace zorvak {

namespace {

// Where a run extracts to, for the length of the command; then where the
// command it ran inside of extracts to (a drag's run may be under way).
struct TDestinationScope {
    std::filesystem::path& Destination;
    std::filesystem::path Outer;
    TDestinationScope(std::filesystem::path& destination, std::filesystem::path value)
        : Destination(destination), Outer(destination) {
        Destination = std::move(value);
    }
    ~TDestinationScope() { Destination = std::move(Outer); }
    TDestinationScope(const TDestinationScope&) = delete;
    TDestinationScope& operator=(const TDestinationScope&) = delete;
};

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

// How many names a box lists before it counts the rest.
constexpr std::size_t kNamesShown = 10;

// A name as a line of a box: control characters would break the lines.
QString NameLine(std::string_view name) {
    QString text = DecodeName(name);
    for (QChar& c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QChar(u'?');
    return text.isEmpty() ? QStringLiteral("(an empty name)") : text;
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
    const QString initial = FromFsPath(ToFsPath(PakPath).parent_path());
    const auto chosen = FileDialogs().GetExistingDirectory(
        this, all ? QStringLiteral("Extract All To") : QStringLiteral("Extract To"), initial);
    if (!chosen)
        return;
    const TDestinationScope scope(runDestination_, ToFsPath(*chosen));
    try {
        TellingArchiveInUse([&] { ButtonExtractAllClick(all ? ButtonExtractAll : ButtonExtract); });
    } catch (const TInOutFailure& failure) {
        // The buttons keep the bare classic texts; here the path is named.
        const std::filesystem::path concerned =
            failure.Path().empty() ? ToFsPath(*chosen) : failure.Path();
        throw TFailure(std::string(failure.what()) + ": " + DisplayPath(concerned));
    }
}

QStringList TZorvakForm::ExtractForDrag() {
    std::vector<int> rows;
    for (int i = 0; i < PakList->count(); ++i)
        if (RowSelected(i))
            rows.push_back(i);
    if (rows.empty())
        return {};
    // The folder of the last drag serves again for the same entries of the
    // same archive, as long as what it handed over is there.
    if (dragFolder_ && dragGeneration_ == indexGeneration_ && dragRows_ == rows) {
        TFileKind kind = TFileKind::fkUnknown;
        TFileIdentity now;
        bool whole = StatusAt(ToFsPath(PakPath), true, kind, now) && now.SameArchiveAs(PakIdentity);
        for (const QString& file : dragFiles_)
            whole = whole && StatusAt(ToFsPath(file), false, kind, now);
        if (whole)
            return dragFiles_;
    }

    // Where the platform needs the files to exist before the drop. The
    // last drag's folder stays until this one is ready: a drop of it may
    // still be copying.
    auto made = std::make_unique<QTemporaryDir>();
    if (!made->isValid())
        throw TFileCreateFailure(ToFsPath(made->path()));
    const std::filesystem::path folder = ToFsPath(made->path());
    // What can be made inside the folder is carried, the rest named; the
    // drop receives the top level of each name, once.
    std::vector<bool> take(static_cast<std::size_t>(PakList->count()), false);
    std::vector<std::string> leftOut;
    std::set<std::string> tops;
    for (const int row : rows) {
        const std::string_view name = PakNames[static_cast<std::size_t>(row)].Name;
        try {
            const TEntryLevels levels = EntryLevels(name, folder);
            tops.insert(std::string(levels.DirCount > 0 ? levels.Dirs[0] : levels.File));
            take[static_cast<std::size_t>(row)] = true;
        } catch (const TFailure&) {
            leftOut.emplace_back(name);
        }
    }
    if (tops.empty()) {
        TellLeftOut(leftOut);
        return {};
    }

    bool complete = false;
    try {
        const TDestinationScope scope(runDestination_, folder);
        TellingArchiveInUse([&] {
            complete = RunExtraction([&take](int i) {
                return i >= 0 && static_cast<std::size_t>(i) < take.size() &&
                       take[static_cast<std::size_t>(i)];
            });
        });
    } catch (...) {
        // Unlike the buttons' run, a failed drag gives them back at once.
        ButtonExtract->setEnabled(CurrentIndex() >= 0);
        ButtonExtractAll->setEnabled(PakList->count() > 0);
        throw;
    }
    // Cut short: some files are missing, so nothing is handed over.
    if (!complete)
        return {};
    QStringList files;
    for (const std::string& top : tops) {
        const std::filesystem::path path = folder / top;
        std::error_code ec;
        if (std::filesystem::exists(path, ec))
            files.append(FromFsPath(path));
    }
    dragFolder_ = std::move(made);
    dragGeneration_ = indexGeneration_;
    dragRows_ = std::move(rows);
    dragFiles_ = files;
    dragLeftOut_ = std::move(leftOut);
    return files;
}

void TZorvakForm::DragDone() {
    if (dragFolder_)
        TellLeftOut(dragLeftOut_);
}

void TZorvakForm::TellLeftOut(const std::vector<std::string>& names) {
    if (names.empty())
        return;
    QString text = names.size() == 1
                       ? QStringLiteral("1 entry was left out, as its name would not make a file "
                                        "inside the folder:")
                       : QStringLiteral("%1 entries were left out, as their names would not make "
                                        "files inside the folder:")
                             .arg(names.size());
    for (std::size_t i = 0; i < names.size() && i < kNamesShown; ++i)
        text += QLatin1Char('\n') + NameLine(names[i]);
    if (names.size() > kNamesShown)
        text += QStringLiteral("\nand %1 more").arg(names.size() - kNamesShown);
    ShowMessageBox(text, ApplicationTitle(), TMsgIcon::mbiWarning);
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
    if (PakPath.isEmpty() ||
        (single && (AsciiLower(first.extension().string()) == ".pak" || HasPakSignature(first)))) {
        OpenArchive(paths.front());
        return;
    }
    const auto under = AskText(QStringLiteral("Add to Archive"),
                               QStringLiteral("Store under the folder:"), CurrentFolder());
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
    RunEdit(changes);
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
        throw TFailure("Open an archive to add files to it");
    TOpenFileRequest request;
    request.Title = QStringLiteral("Add Files");
    request.Filters = QStringList{QStringLiteral("All files (*)")};
    const auto files = FileDialogs().GetOpenFileNames(this, request);
    if (!files)
        return;
    const auto under = AskText(QStringLiteral("Add Files"),
                               QStringLiteral("Store under the folder:"), CurrentFolder());
    if (!under)
        return;
    const std::string folder = StoredFolder(*under);
    std::vector<TPakChange> changes;
    for (const QString& file : *files) {
        const std::filesystem::path fs = ToFsPath(file);
        changes.push_back(TPakChange::AddFile(folder + fs.filename().string(), fs.string()));
    }
    RunEdit(changes);
}

void TZorvakForm::AddFolder1Click(QObject*) {
    if (PakPath.isEmpty())
        throw TFailure("Open an archive to add files to it");
    const auto chosen = FileDialogs().GetExistingDirectory(
        this, QStringLiteral("Add Folder"), FromFsPath(ToFsPath(PakPath).parent_path()));
    if (!chosen)
        return;
    const auto under =
        AskText(QStringLiteral("Add Folder"), QStringLiteral("Store its files under the folder:"),
                CurrentFolder());
    if (!under)
        return;
    std::vector<TPakChange> changes;
    if (FolderChanges(ToFsPath(*chosen), StoredFolder(*under), PakIdentity, changes))
        RunEdit(changes);
}

void TZorvakForm::Delete1Click(QObject*) {
    std::vector<TPakChange> changes;
    for (int i = 0; i < PakList->count(); ++i)
        if (RowSelected(i))
            changes.push_back(TPakChange::Delete(static_cast<std::size_t>(i)));
    if (changes.empty())
        return;
    const QString what =
        changes.size() == 1
            ? QStringLiteral("Delete 1 entry from %1?").arg(PakPath)
            : QStringLiteral("Delete %1 entries from %2?").arg(changes.size()).arg(PakPath);
    if (!Confirm(what))
        return;
    RunEdit(changes);
}

void TZorvakForm::Rename1Click(QObject*) {
    const int k = CurrentIndex();
    if (k < 0 || k >= static_cast<int>(PakNames.size()))
        return;
    const QString old = DecodeName(PakNames[static_cast<std::size_t>(k)].Name);
    const auto typed = AskText(QStringLiteral("Rename"), QStringLiteral("New name:"), old);
    if (!typed || *typed == old)
        return;
    // A name the user typed is stored as typed.
    RunEdit({TPakChange::Rename(static_cast<std::size_t>(k), Bytes(*typed), true)});
}

void TZorvakForm::RunEdit(const std::vector<TPakChange>& changes) {
    if (changes.empty() || PakPath.isEmpty())
        return;
    if (inRun_)
        throw TFailure("An extraction is running: edit the archive when it has ended");
    // The keys of the Edit menu work while its menu is greyed.
    if (editing_)
        throw TFailure("An edit is running: make the next one when it has ended");
    const std::filesystem::path archive = ToFsPath(PakPath);
    // Said plainly, before anything is planned: the new archive is written
    // beside the old one.
    if (!CanWrite(archive.parent_path()))
        throw TFailure("Cannot change " + DisplayPath(archive) + ": there is no write access to " +
                       DisplayPath(archive.parent_path()));
    TPakIndex index;
    index.Count = PakCount;
    index.Entries = PakNames;
    index.Complete = PakComplete;
    index.Identity = PakIdentity;
    const TPakEditPlan plan = PlanPakEdit(index, changes);
    if (plan.Unchanged())
        return;

    const QPointer<TZorvakForm> self(this);
    const std::uint64_t generation = indexGeneration_;
    const int current = CurrentIndex();
    const int scrolled = PakList->verticalScrollBar()->value();
    ButtonExtract->setEnabled(false);
    ButtonExtractAll->setEnabled(false);
    Edit1->setEnabled(false);
    struct TEnd {
        QPointer<TZorvakForm> Form;
        ~TEnd() {
            if (!Form)
                return;
            Form->editing_ = false;
            Form->Edit1->setEnabled(true);
            Form->ButtonExtract->setEnabled(Form->CurrentIndex() >= 0);
            Form->ButtonExtractAll->setEnabled(Form->PakList->count() > 0);
        }
    } end{self};
    ShowDone(false);
    ExName->setText(QStringLiteral("Writing ") + FromFsPath(archive.filename()));
    ExGauge->SetProgress(0);
    ExGauge->SetMaxValue(100);
    framePump_.Restart();

    TPakEditHooks hooks;
    hooks.Progress = [this, self](std::int64_t done, std::int64_t total) {
        if (self && total > 0)
            ExGauge->SetProgress(static_cast<int>(done * 100 / total));
    };
    // Another archive opened, or the window closed, meanwhile: the edit
    // ends and the archive stays as it was.
    hooks.Pump = [this, self, generation] {
        if (!self || closing_)
            return false;
        framePump_.Pump();
        return self && !closing_ && generation == indexGeneration_;
    };
    // Told before it is held: from here on the window's own hold would look
    // like another program's.
    bool applied = false;
    TellingArchiveInUse([&] {
        editing_ = true;
        applied = ApplyPakEdit(archive, index, plan, hooks);
    });
    if (!applied || !self)
        return;

    // The archive is a new file: read again, the list where it was.
    OpenArchive(PakPath);
    if (PakList->count() > 0) {
        const QSignalBlocker blocker(PakList);
        if (current >= 0)
            PakList->setCurrentRow(std::min(current, PakList->count() - 1),
                                   QItemSelectionModel::NoUpdate);
        PakList->verticalScrollBar()->setValue(scrolled);
    }
    PakListClick(PakList);
}

} // namespace zorvak
