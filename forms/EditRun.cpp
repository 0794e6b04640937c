#include "forms/EditRun.h"

#include "controls/Gauges.h"
#include "controls/PakListBox.h"
#include "forms/ExtractionRun.h"
#include "framework/Failures.h"
#include "framework/Files.h"
#include "framework/ui/Platform.h"
#include "framework/ui/Translations.h"

#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>

namespace zorvak {

TEditRun::TEditRun(const TRunControls& controls, TRunWindow& window, TExtractionRun& extraction)
    : controls_(controls), window_(window), extraction_(extraction) {}

void TEditRun::Run(const std::vector<TPakChange>& changes, bool compact) {
    const QString path = window_.ArchivePath();
    if ((changes.empty() && !compact) || path.isEmpty())
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
    if (plan.Unchanged() && !compact)
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
    // Told before it is held: from here on the window's own hold would look
    // like another program's.
    bool applied = false;
    window_.TellingArchiveInUse([&] {
        editing_ = true;
        applied = ApplyPakEdit(archive, index, plan, hooks);
    });
    if (!applied || !window)
        return;

    // The archive has a new directory: read again, the list where it was.
    const QString reread = window_.ArchivePath();
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

} // namespace zorvak
