// The main window's edit of the open archive (Add Files, Add Folder, a
// drop, Delete, Rename): planned against the index, written beside the
// archive with the gauge moving and the window alive, then read again with
// the list where it was.
#pragma once

#include "archive/PakEdit.h"
#include "forms/RunWindow.h"

#include <QCoreApplication>

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
    void Run(const std::vector<TPakChange>& changes, bool compact = false);

private:
    TRunControls controls_;
    TRunWindow& window_;
    TExtractionRun& extraction_;
    bool editing_ = false;
};

} // namespace zorvak
