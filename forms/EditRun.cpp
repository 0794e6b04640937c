#include "forms/EditRun.h"

#include "controls/Gauges.h"
#include "controls/PakListBox.h"
#include "forms/ExtractionRun.h"
#include "framework/Failures.h"
#include "framework/Files.h"
#include "framework/ui/Dialogs.h"
#include "framework/ui/Platform.h"
#include "framework/ui/Translations.h"

#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>
#include <optional>
#include <utility>

namespace zorvak {

TEditRun::TEditRun(const TRunControls& controls, TRunWindow& window, TExtractionRun& extraction)
    : controls_(controls), window_(window), extraction_(extraction) {}

void TEditRun::Run(const std::vector<TPakChange>& changes, bool compact) {
    Edit(changes, compact, TWay::wEdit);
}

void TEditRun::Undo() {
    Edit({}, false, TWay::wUndo);
}

void TEditRun::Redo() {
    Edit({}, false, TWay::wRedo);
}

void TEditRun::ArchiveOpened() {
    if (rereading_)
        return;
    ForgetHistory();
}

void TEditRun::ForgetHistory() {
    history_.Clear();
    TellHistory();
}

void TEditRun::TellHistory() {
    if (HistoryChanged)
        HistoryChanged();
}

void TEditRun::Edit(const std::vector<TPakChange>& changes, bool compact, TWay way) {
    const QString path = window_.ArchivePath();
    if ((changes.empty() && !compact && way == TWay::wEdit) || path.isEmpty())
        return;
    if ((way == TWay::wUndo && !history_.CanUndo()) || (way == TWay::wRedo && !history_.CanRedo()))
        return;
    if (extraction_.Running())
        throw TFailure(
            FailureBytes(tr("An extraction is running: edit the archive when it has ended")));
    // The keys of the Edit menu work while its menu is greyed.
    if (editing_)
        throw TFailure(FailureBytes(tr("An edit is running: make the next one when it has ended")));
    const std::filesystem::path archive = ToFsPath(path);
    // Said plainly, before anything is planned: a compacted archive is
    // written beside the old one.
    if (!CanWrite(archive.parent_path()))
        throw TFailure(ArgBytes(tr("Cannot change %1: there is no write access to %2"),
                                {DisplayPath(archive), DisplayPath(archive.parent_path())}));
    const TPakIndex index = window_.IndexToEdit();
    const TPakEditPlan plan = PlanPakEdit(index, changes);
    if (plan.Unchanged() && !compact && way == TWay::wEdit)
        return;

    const QPointer<QWidget> window(controls_.Window);
    TPakListBox* list = controls_.List;
    const std::uint64_t generation = window_.IndexGeneration();
    const int current = list->currentRow();
    const int scrolled = list->verticalScrollBar()->value();
    controls_.Extract->setEnabled(false);
    controls_.ExtractAll->setEnabled(false);
    controls_.EditMenu->setEnabled(false);
    struct TEnd {
        TEditRun* Run;
        QPointer<QWidget> Window;
        ~TEnd() {
            if (!Window)
                return;
            Run->editing_ = false;
            Run->controls_.EditMenu->setEnabled(true);
            Run->extraction_.GiveButtonsBack();
        }
    } end{this, window};
    extraction_.ShowDone(false);
    controls_.Name->setText(tr("Writing %1").arg(FromFsPath(archive.filename())));
    controls_.Gauge->SetProgress(0);
    controls_.Gauge->SetMaxValue(100);
    TFramePump& pump = extraction_.FramePump();
    pump.Restart();

    TPakEditHooks hooks;
    hooks.Compact = compact;
    hooks.Progress = [this, window](std::int64_t done, std::int64_t total) {
        if (window && total > 0)
            controls_.Gauge->SetProgress(static_cast<int>(done * 100 / total));
    };
    // Another archive opened, or the window closed, meanwhile: the edit
    // ends and the archive stays as it was.
    hooks.Pump = [this, window, generation, &pump] {
        if (!window || window_.Closing())
            return false;
        pump.Pump();
        return window && !window_.Closing() && generation == window_.IndexGeneration();
    };
    // An undo's bytes come from the recovery file, which the window holds.
    if (way != TWay::wEdit)
        hooks.Inputs = TShareMode::smUnlocked;
    // Told before it is held: from here on the window's own hold would look
    // like another program's.
    bool applied = false;
    const std::uint64_t history = history_.Generation();
    std::optional<TEditHistory::TStep> step;
    std::optional<TPakEditPlan> restore;
    try {
        window_.TellingArchiveInUse([&] {
            editing_ = true;
            // Held once for the whole edit: what is kept for an undo is read
            // from the very archive the edit then writes.
            TLockedFile held(archive);
            CheckSameArchive(held, index.Identity);
            const TPakEditPlan* toApply =
                Planned(held, index, plan, way, hooks.Pump, step, restore);
            if (toApply == nullptr || !window)
                return;
            hooks.Held = &held;
            applied = ApplyPakEdit(archive, index, *toApply, hooks);
        });
    } catch (const TArchiveChangedFailure& failure) {
        if (!window)
            throw;
        if (step)
            history_.Forget(*step);
        if (way == TWay::wEdit)
            throw;
        // The steps are the archive's as the window left it, which it no
        // longer is.
        ForgetHistory();
        if (dynamic_cast<const TArchiveReplacedFailure*>(&failure) != nullptr)
            throw;
        const QString what = way == TWay::wUndo
                                 ? tr("Cannot undo: %1 has changed outside Zorvak since it was "
                                      "edited, so its edits can no longer be undone or redone")
                                 : tr("Cannot redo: %1 has changed outside Zorvak since it was "
                                      "edited, so its edits can no longer be undone or redone");
        throw TFailure(what.arg(path).toStdString());
    } catch (...) {
        if (window && step)
            history_.Forget(*step);
        throw;
    }
    if (!window)
        return;
    if (step && applied)
        history_.Push(std::move(*step));
    else if (step)
        history_.Forget(*step);
    else if (applied && way == TWay::wUndo)
        history_.Undone(history);
    else if (applied && way == TWay::wRedo)
        history_.Redone(history);
    TellHistory();
    if (!applied)
        return;

    // The archive has a new directory: read again, the list where it was.
    const QString reread = window_.ArchivePath();
    // Read again as the edit left it: the history stays.
    rereading_ = true;
    struct TRereading {
        bool& Flag;
        ~TRereading() { Flag = false; }
    } rereading{rereading_};
    window_.OpenArchive(reread);
    if (list->count() > 0) {
        const QSignalBlocker blocker(list);
        if (current >= 0)
            list->setCurrentRow(std::min(current, list->count() - 1),
                                QItemSelectionModel::NoUpdate);
        list->verticalScrollBar()->setValue(scrolled);
    }
    window_.ShowCurrentEntry();
}

const TPakEditPlan* TEditRun::Planned(const TLockedFile& held, const TPakIndex& index,
                                      const TPakEditPlan& plan, TWay way,
                                      const std::function<bool()>& pump,
                                      std::optional<TEditHistory::TStep>& step,
                                      std::optional<TPakEditPlan>& restore) {
    if (way == TWay::wUndo) {
        restore = history_.PlanUndo(held, index, pump);
        return restore ? &*restore : nullptr;
    }
    if (way == TWay::wRedo) {
        restore = history_.PlanRedo(index);
        return &*restore;
    }
    // A compaction changes no entry: it is no step, and the steps stay.
    if (plan.Unchanged())
        return &plan;
    try {
        step = history_.Record(held, index, plan, pump);
        if (!step)
            return nullptr;
    } catch (const TArchiveChangedFailure&) {
        throw;
    } catch (const TFailure& failure) {
        // Only the undo needs those bytes: the user decides.
        if (!Confirm(tr("This edit could not be undone: %1.\n\nMake it all the same? The edits "
                        "before it could then no longer be undone either.")
                         .arg(QString::fromStdString(failure.what()))))
            return nullptr;
        ForgetHistory();
    }
    return &plan;
}

} // namespace zorvak
