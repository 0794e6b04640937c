#include "forms/ExtractionRun.h"

#include "archive/PakExtract.h"
#include "archive/PakExtractLanes.h"
#include "archive/PakExtractPlan.h"
#include "controls/Gauges.h"
#include "controls/PakListBox.h"
#include "framework/Failures.h"
#include "framework/Files.h"
#include "framework/Text.h"
#include "framework/ui/Application.h"
#include "framework/ui/Dialogs.h"
#include "framework/ui/Platform.h"
#include "framework/ui/Translations.h"

#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTemporaryDir>

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>
#include <set>
#include <utility>

namespace zorvak {

namespace {

// Feeds the copy's progress to the gauge and keeps the window alive between
// chunks; ends the copy when the window goes or stillValid no longer holds.
class TGaugeObserver : public TCopyObserver {
public:
    TGaugeObserver(TExtractionRun& run, const TRunControls& controls,
                   std::function<bool()> stillValid)
        : run_(run), window_(controls.Window), gauge_(controls.Gauge),
          stillValid_(std::move(stillValid)) {}
    void Started(std::int32_t maxValue) override {
        gauge_->SetProgress(0);
        gauge_->SetMaxValue(maxValue);
    }
    bool BeforeChunk() override {
        if (!window_)
            return false;
        run_.PumpDuringRun();
        if (!window_ || !stillValid_())
            return false;
        gauge_->SetProgress(gauge_->Progress() + 1);
        return true;
    }

private:
    TExtractionRun& run_;
    QPointer<QWidget> window_;
    TGauge* gauge_;
    std::function<bool()> stillValid_;
};

// Where a run extracts to, for the length of the command; then where the
// command it ran inside of extracts to (a drag's run may be under way).
// Nothing is put back once the window, and the run with it, has gone.
struct TDestinationScope {
    std::filesystem::path& Destination;
    std::filesystem::path Outer;
    QPointer<QWidget> Window;
    TDestinationScope(std::filesystem::path& destination, std::filesystem::path value,
                      QWidget* window)
        : Destination(destination), Outer(destination), Window(window) {
        Destination = std::move(value);
    }
    ~TDestinationScope() {
        if (Window)
            Destination = std::move(Outer);
    }
    TDestinationScope(const TDestinationScope&) = delete;
    TDestinationScope& operator=(const TDestinationScope&) = delete;
};

// How many names a box lists before it counts the rest.
constexpr std::size_t kNamesShown = 10;

// A name as a line of a box: control characters would break the lines.
QString NameLine(std::string_view name) {
    QString text = DecodeName(name);
    for (QChar& c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QChar(u'?');
    return text.isEmpty() ? QCoreApplication::translate("zorvak::TExtractionRun", "(an empty name)")
                          : text;
}

// Names in one warning box under a heading: one for a single name, one
// with %1 for their count; the first kNamesShown, then how many more.
void TellNames(const QString& one, const QString& many, const std::vector<std::string>& names,
               std::size_t total) {
    if (total == 0)
        return;
    QString text = total == 1 ? one : many.arg(total);
    for (std::size_t i = 0; i < names.size() && i < kNamesShown; ++i)
        text += QLatin1Char('\n') + NameLine(names[i]);
    if (total > std::min(names.size(), kNamesShown))
        text +=
            QLatin1Char('\n') + QCoreApplication::translate("zorvak::TExtractionRun", "and %1 more")
                                    .arg(total - std::min(names.size(), kNamesShown));
    ShowMessageBox(text, ApplicationTitle(), TMsgIcon::mbiWarning);
}

// The selection's entries whose names cannot be made into files inside the
// drag's folder, in one box.
void TellLeftOut(const std::vector<std::string>& names) {
    TellNames(QCoreApplication::translate("zorvak::TExtractionRun",
                                          "1 entry was left out, as its name would not make a file "
                                          "inside the folder:"),
              QCoreApplication::translate("zorvak::TExtractionRun",
                                          "%1 entries were left out, as their names would not make "
                                          "files inside the folder:"),
              names, names.size());
}

// Entries a run into a folder passed over, as each names the file an
// earlier one wrote there: writing it would replace the one the game reads.
void TellSameFile(const std::vector<std::string>& lines, std::size_t total) {
    TellNames(
        QCoreApplication::translate("zorvak::TExtractionRun",
                                    "1 entry was passed over, as it names the same file as an "
                                    "earlier entry on this system:"),
        QCoreApplication::translate("zorvak::TExtractionRun",
                                    "%1 entries were passed over, as each names the same file as "
                                    "an earlier entry on this system:"),
        lines, total);
}

} // namespace

TExtractionRun::TExtractionRun(const TRunControls& controls, TRunWindow& window)
    : controls_(controls), window_(window) {}

TExtractionRun::~TExtractionRun() = default;

std::filesystem::path TExtractionRun::Destination() const {
    return destination_.empty() ? ToFsPath(window_.ArchivePath()).parent_path() : destination_;
}

void TExtractionRun::ShowRunRow() {
    TPakListBox* list = controls_.List;
    if (runRow_ < 0 || runRow_ >= list->count())
        return;
    // Show the entry by moving the caret; the selection stays as it is,
    // since the run reads it.
    {
        const QSignalBlocker blocker(list);
        list->setCurrentRow(runRow_, QItemSelectionModel::NoUpdate);
    }
    list->scrollToItem(list->item(runRow_));
    runRow_ = -1;
}

void TExtractionRun::ShowDone(bool shown) {
    // During a run the box is drawn once a frame: what it shows is set then.
    doneShown_ = shown;
    if (!inRun_)
        controls_.Done->setVisible(shown);
}

void TExtractionRun::ShowExtracting(const std::string& name) {
    if (inRun_) {
        runName_ = name;
        return;
    }
    controls_.Name->setText(DecodeName(name));
    controls_.Box->repaint();
}

void TExtractionRun::ShowRunBox() {
    if (!runName_.empty()) {
        controls_.Name->setText(DecodeName(runName_));
        runName_.clear();
    }
    if (controls_.Done->isHidden() == doneShown_)
        controls_.Done->setVisible(doneShown_);
}

void TExtractionRun::PumpDuringRun() {
    // Events are handled, and the box drawn, once a frame; the first call of
    // a run always handles them.
    const QPointer<QGroupBox> box(controls_.Box);
    bool held = false;
    pump_.Pump([&] {
        ShowRunRow();
        ShowRunBox();
        held = !box->updatesEnabled();
        if (held)
            box->setUpdatesEnabled(true);
    });
    if (held && box)
        box->setUpdatesEnabled(false);
}

void TExtractionRun::GiveButtonsBack() {
    controls_.Extract->setEnabled(controls_.List->currentRow() >= 0);
    controls_.ExtractAll->setEnabled(controls_.List->count() > 0);
}

void TExtractionRun::EndRun(int current, std::uint64_t generation) {
    runRow_ = -1;
    readAhead_.clear();
    readAheadTo_ = 0;
    target_.reset();
    for (auto& copier : copiers_)
        copier.reset();
    runArchive_.reset();
    ShowRunBox();
    inRun_ = false;
    if (window_.IndexGeneration() != generation)
        return;
    TPakListBox* list = controls_.List;
    const QSignalBlocker blocker(list);
    if (current >= 0 && current < list->count())
        list->setCurrentRow(current, QItemSelectionModel::NoUpdate);
    else
        list->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

TExtractionRun::TTake TExtractionRun::SettleEntries(const TTake& take) {
    // Nothing is written when the whole run cannot fit where it goes.
    const TPakEntries& entries = window_.Entries();
    const int n = controls_.List->count();
    if (destination_.empty()) {
        // The buttons: every row take holds, asked again as the run reaches
        // it, and the room for what they hold now.
        readAhead_.clear();
        std::int64_t bytes = 0;
        for (int i = 0; i < n; ++i)
            if (take(i))
                bytes +=
                    std::max<std::int64_t>(0, entries.at(static_cast<std::size_t>(i)).FileLength);
        if (bytes > 0)
            CheckRoomFor(TDirectory::Open(Destination()), bytes);
        return take;
    }
    // A run into a folder takes the request as it stands now, planned as
    // zorvak-pak plans one: a name stored again is written once, from its
    // first entry, and another name for a file taken already is passed over.
    TExtractRequest request;
    request.Rows.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        request.Rows[static_cast<std::size_t>(i)] = take(i);
    TExtractPlan plan = PlanExtraction(entries, request);
    if (plan.Bytes > 0)
        plan.CheckRoom(TDirectory::Open(Destination()));
    auto rows = std::make_shared<std::vector<bool>>(static_cast<std::size_t>(n), false);
    readAhead_.assign(static_cast<std::size_t>(n), 0);
    for (const TPlannedEntry& planned : plan.Entries) {
        (*rows)[planned.Entry] = true;
        readAhead_[planned.Entry] = planned.ReadAheadTo;
    }
    settled_ = std::move(plan.Entries);
    sameFile_.Lines.clear();
    sameFile_.Total = static_cast<std::size_t>(plan.SameFile);
    for (const TExtractNote& note : plan.Notes)
        if (note.Kind == TExtractNoteKind::enSameFile)
            sameFile_.Lines.push_back(
                ArgBytes(tr("%1 (as %2)"), {entries[note.Entry].Name, entries[note.First].Name}));
    return [rows](int i) {
        return i >= 0 && static_cast<std::size_t>(i) < rows->size() &&
               (*rows)[static_cast<std::size_t>(i)];
    };
}

bool TExtractionRun::Run(const TTake& asked) {
    controls_.Extract->setEnabled(false);
    controls_.ExtractAll->setEnabled(false);
    TPakListBox* list = controls_.List;
    const int n = list->count();
    const std::uint64_t generation = window_.IndexGeneration();
    const QPointer<QWidget> window(controls_.Window);
    // The box is drawn once a frame while the run lasts, and for good after
    // it, also when a failure leaves it. The caret, moved to show each entry,
    // goes back to the entry the user chose: Play acts on it.
    struct TFrameScope {
        TExtractionRun* Run;
        QPointer<QGroupBox> Box;
        bool Outer;
        int Current;
        std::uint64_t Generation;
        bool Ended = false;
        void End() {
            if (Ended || !Outer || !Box)
                return;
            Ended = true;
            Run->EndRun(Current, Generation);
            Box->setUpdatesEnabled(true);
        }
        ~TFrameScope() { End(); }
    } scope{this, controls_.Box, !inRun_, list->currentRow(), generation};
    if (scope.Outer) {
        pump_.Restart();
        controls_.Box->setUpdatesEnabled(false);
        inRun_ = true;
    }

    settled_.clear();
    const TTake take = SettleEntries(asked);
    bool complete = true;
    const std::vector<TPlannedEntry> planned = std::exchange(settled_, {});
    const bool lanes = scope.Outer && LanesFor(planned.size()) > 1;
    if (lanes) {
        complete = RunInLanes(planned, generation);
        if (!window || window_.Closing())
            return false;
    }
    for (int i = 0; i < (lanes ? 0 : n); ++i) {
        if (take(i)) {
            runRow_ = i;
            const auto row = static_cast<std::size_t>(i);
            readAheadTo_ = row < readAhead_.size() ? readAhead_[row] : 0;
            ExtractFile(std::string(window_.Entries()[static_cast<std::size_t>(i)].Name));
            if (!window)
                return false;
        }
        PumpDuringRun();
        // Anything may have happened meanwhile: the window closing ends the
        // run; another archive opened ends it too, its list is not this one;
        // so does the drag it works for, called off.
        if (!window || window_.Closing())
            return false;
        if (generation != window_.IndexGeneration() || list->DragCalledOff()) {
            complete = false;
            break;
        }
    }
    scope.End();
    GiveButtonsBack();
    if (complete) {
        const TSameFileNames told = std::exchange(sameFile_, {});
        TellSameFile(told.Lines, told.Total);
    }
    return complete;
}

bool TExtractionRun::RunInLanes(const std::vector<TPlannedEntry>& planned,
                                std::uint64_t generation) {
    // What the threads read is the run's own: events handled between
    // entries may close the window or open another archive.
    const TPakEntries entries = window_.Entries();
    const std::filesystem::path archive = ToFsPath(window_.ArchivePath());
    const std::filesystem::path destination = Destination();
    TExtractTarget target(destination);
    target.Recover();
    const std::shared_ptr<TLockedFile> held =
        destination == archive.parent_path()
            ? std::make_shared<TLockedFile>(target.Root(), archive.filename().string(),
                                            archive.string())
            : std::make_shared<TLockedFile>(archive);
    CheckSameArchive(*held, window_.ArchiveIdentity());

    const QPointer<QWidget> window(controls_.Window);
    TPakListBox* list = controls_.List;
    TGauge* gauge = controls_.Gauge;
    gauge->SetProgress(0);
    gauge->SetMaxValue(static_cast<std::int32_t>(
        std::min<std::size_t>(planned.size(), std::numeric_limits<std::int32_t>::max())));
    ShowDone(false);
    bool gone = false;
    bool cut = false;
    TLaneHooks hooks;
    hooks.Told = [&](const TPlannedEntry& p, const TLaneOutcome& outcome) {
        if (outcome.Kind == TLaneOutcome::okFailed)
            std::rethrow_exception(outcome.Failure);
        runRow_ = static_cast<int>(p.Entry);
        runName_ = std::string(entries[p.Entry].Name);
        gauge->SetProgress(gauge->Progress() + 1);
        PumpDuringRun();
        gone = !window || window_.Closing();
        cut = !gone && (generation != window_.IndexGeneration() || list->DragCalledOff());
        return !gone && !cut;
    };
    const bool complete =
        ExtractInLanes(target, *held, entries, planned, LanesFor(planned.size()), hooks);
    if (gone)
        return false;
    target.Finish();
    if (complete)
        ShowDone(true);
    return complete && !cut;
}

void TExtractionRun::ExtractFile(const std::string& name) {
    ShowDone(false);
    const int k = window_.FindEntry(name);
    if (k < 0)
        throw TListIndexFailure();

    ShowExtracting(name);

    // The entry is found by its name; its output is named by the name given.
    const TPakEntry found = window_.Entries().at(static_cast<std::size_t>(k));
    TPakEntry entry = found;
    entry.Name = name;
    const std::filesystem::path archive = ToFsPath(window_.ArchivePath());
    const std::filesystem::path destination = Destination();
    std::unique_ptr<TExtractTarget> local;
    TExtractTarget* target = target_.get();
    if (target == nullptr || target->Path() != destination) {
        local = std::make_unique<TExtractTarget>(destination);
        target = local.get();
    }
    // The buttons copy in the classic 10240-byte chunks; a run into a folder
    // copies as zorvak-pak does, reading ahead as its plan says.
    const bool fast = !destination_.empty();
    // Each kind is made once and kept for the run: a run started inside
    // another (events are handled between chunks) must not take away the
    // copier the outer one is copying with.
    std::unique_ptr<TEntryCopier>& copier = copiers_[fast ? 1 : 0];
    if (!copier)
        copier = std::make_unique<TEntryCopier>(fast);
    copier->ReadAheadTo(fast ? readAheadTo_ : 0);
    // The buttons open it once per entry, without sharing, and only while
    // it is the archive that was indexed; a run into a folder once for the
    // run. Beside the archive, relative to the directory the run holds open.
    const QPointer<QWidget> window(controls_.Window);
    const std::uint64_t generation = window_.IndexGeneration();
    std::optional<TLockedFile> held;
    std::shared_ptr<TLockedFile> runHeld;
    const std::string archiveName = archive.filename().string();
    const bool beside = destination == archive.parent_path();
    const auto open = [&]() -> const TLockedFile& {
        const bool once = fast && inRun_;
        if (once && runArchive_ && runArchiveGeneration_ == generation) {
            runHeld = runArchive_;
            return *runHeld;
        }
        if (once) {
            runHeld = beside ? std::make_shared<TLockedFile>(target->Root(), archiveName,
                                                             archive.string())
                             : std::make_shared<TLockedFile>(archive);
            CheckSameArchive(*runHeld, window_.ArchiveIdentity());
            runArchive_ = runHeld;
            runArchiveGeneration_ = generation;
            return *runHeld;
        }
        if (beside)
            held.emplace(target->Root(), archiveName, archive.string());
        else
            held.emplace(archive);
        CheckSameArchive(*held, window_.ArchiveIdentity());
        return *held;
    };

    TGaugeObserver observer(*this, controls_, [this, generation] {
        return !window_.Closing() && generation == window_.IndexGeneration() &&
               !controls_.List->DragCalledOff();
    });
    const bool done = ExtractEntry(*target, entry, open, observer, *copier);
    if (!window)
        return;
    if (inRun_ && local)
        target_ = std::move(local);
    if (done && !window_.Closing() && generation == window_.IndexGeneration())
        ShowDone(true);
}

void TExtractionRun::ExtractInto(const std::filesystem::path& folder,
                                 const std::function<void()>& work) {
    const TDestinationScope scope(destination_, folder, controls_.Window);
    try {
        window_.TellingArchiveInUse(work);
    } catch (const TInOutFailure& failure) {
        // The buttons keep the bare classic texts; here the path is named.
        const std::filesystem::path concerned = failure.Path().empty() ? folder : failure.Path();
        throw TFailure(ArgBytes(tr("%1: %2"), {failure.what(), DisplayPath(concerned)}));
    }
}

QStringList TExtractionRun::ForDrag() {
    TPakListBox* list = controls_.List;
    std::vector<int> rows;
    for (int i = 0; i < list->count(); ++i)
        if (window_.RowSelected(i))
            rows.push_back(i);
    if (rows.empty())
        return {};
    // The folder of the last drag serves again for the same entries of the
    // same archive, as long as what it handed over is there.
    if (drag_.Dir && drag_.Generation == window_.IndexGeneration() && drag_.Rows == rows) {
        TFileKind kind = TFileKind::fkUnknown;
        TFileIdentity now;
        bool whole = StatusAt(ToFsPath(window_.ArchivePath()), true, kind, now) &&
                     now.SameArchiveAs(window_.ArchiveIdentity());
        for (const QString& file : drag_.Files)
            whole = whole && StatusAt(ToFsPath(file), false, kind, now);
        if (whole)
            return drag_.Files;
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
    std::vector<bool> take(static_cast<std::size_t>(list->count()), false);
    std::vector<std::string> leftOut;
    std::set<std::string> tops;
    const TPakEntries& entries = window_.Entries();
    for (const int row : rows) {
        const std::string_view name = entries[static_cast<std::size_t>(row)].Name;
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
    const QPointer<QWidget> window(controls_.Window);
    try {
        const TDestinationScope scope(destination_, folder, controls_.Window);
        window_.TellingArchiveInUse([&] {
            complete = Run([&take](int i) {
                return i >= 0 && static_cast<std::size_t>(i) < take.size() &&
                       take[static_cast<std::size_t>(i)];
            });
        });
    } catch (...) {
        // Unlike the buttons' run, a failed drag gives them back at once.
        if (window)
            GiveButtonsBack();
        throw;
    }
    // Cut short: some files are missing, so nothing is handed over.
    if (!complete || !window)
        return {};
    QStringList files;
    for (const std::string& top : tops) {
        const std::filesystem::path path = folder / top;
        std::error_code ec;
        if (std::filesystem::exists(path, ec))
            files.append(FromFsPath(path));
    }
    drag_.Dir = std::move(made);
    drag_.Generation = window_.IndexGeneration();
    drag_.Rows = std::move(rows);
    drag_.Files = files;
    drag_.LeftOut = std::move(leftOut);
    return files;
}

void TExtractionRun::DragDone() {
    if (drag_.Dir)
        TellLeftOut(drag_.LeftOut);
}

} // namespace zorvak
