// The main window's edit of the open archive (Add Files, Add Folder, a
// drop, Delete, Rename, and Undo and Redo of them): planned against the
// index, written beside the archive with the gauge moving and the window
// alive, then read again with the list where it was.
#pragma once

#include "archive/PakEdit.h"
#include "forms/EditHistory.h"
#include "forms/RunWindow.h"

#include <QCoreApplication>

#include <functional>
#include <optional>
#include <vector>

namespace zorvak {

class TExtractionRun;

class TEditRun {
    Q_DECLARE_TR_FUNCTIONS(zorvak::TEditRun)

public:
    // The box and the pace of events are the extraction's: one of the two
    // runs at a time.
    TEditRun(const TRunControls& controls, TRunWindow& window, TExtractionRun& extraction);

    // From when the archive is held until the edit has ended.
    bool Running() const { return editing_; }
    // Refused while an extraction or another edit runs; changes that change
    // nothing write nothing. Compacting, the archive is written anew without
    // what earlier edits left unused, changes or not.
    // An edit that changes entries is kept in the history first (see
    // TEditHistory); when its bytes cannot be kept, the user is asked
    // whether to make it all the same, which forgets the history. A
    // compaction changes no entry: it is no step, and the steps stay.
    void Run(const std::vector<TPakChange>& changes, bool compact = false);
    // The last edit undone, or the last undone made again, refused as Run
    // is, and refused, the history forgotten, when the archive changed since
    // the window last wrote or read it.
    void Undo();
    void Redo();
    const TEditHistory& History() const { return history_; }
    // The window read an archive, as the user asked (not after an edit): the
    // history goes.
    void ArchiveOpened();
    // The window closes: the history goes.
    void ForgetHistory();
    // Told whenever what can be undone or redone may have changed.
    std::function<void()> HistoryChanged;

private:
    enum class TWay { wEdit, wUndo, wRedo };
    // Run, Undo and Redo: an undo or a redo plans nothing from changes.
    void Edit(const std::vector<TPakChange>& changes, bool compact, TWay way);
    // What is applied to the archive held as held (once it is known to be
    // the indexed one): plan, once the history has its step, or the history's
    // undo or redo, planned into restore; none when the edit is not to be
    // made.
    const TPakEditPlan* Planned(const TLockedFile& held, const TPakIndex& index,
                                const TPakEditPlan& plan, TWay way,
                                const std::function<bool()>& pump,
                                std::optional<TEditHistory::TStep>& step,
                                std::optional<TPakEditPlan>& restore);
    void TellHistory();

    TRunControls controls_;
    TRunWindow& window_;
    TExtractionRun& extraction_;
    bool editing_ = false;
    bool rereading_ = false; // the archive is read again after an edit
    TEditHistory history_;
};

} // namespace zorvak
