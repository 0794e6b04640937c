// The main window's extraction: the run of Extract and Extract All over
// the list, the same run into a folder the user chose (Extract To) and into
// a folder of its own for a drag out of the list. It holds what a run keeps
// for its length (the destination's open directories, the copy buffer),
// shows its progress in the window's box and keeps the window alive.
#pragma once

#include "forms/RunWindow.h"
#include "framework/ui/FormKit.h"

#include <QCoreApplication>
#include <QStringList>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QTemporaryDir;

namespace zorvak {

class TEntryCopier;
class TExtractTarget;
struct TPlannedEntry;

class TExtractionRun {
    Q_DECLARE_TR_FUNCTIONS(zorvak::TExtractionRun)

public:
    // Whether a run takes row i; asked again as the run reaches the row.
    using TTake = std::function<bool(int)>;

    TExtractionRun(const TRunControls& controls, TRunWindow& window);
    ~TExtractionRun();
    TExtractionRun(const TExtractionRun&) = delete;
    TExtractionRun& operator=(const TExtractionRun&) = delete;

    // Whether a run is under way, its archive held for each entry.
    bool Running() const { return inRun_; }
    // How often long work handles events; 0 for every step (tests). An edit
    // keeps the same pace.
    void SetPumpInterval(int milliseconds) { pump_.SetInterval(milliseconds); }
    TFramePump& FramePump() { return pump_; }

    // Every row for which take holds, in list order. True when it went to
    // the end; false when the window closed, another archive opened or the
    // drag it works for was called off meanwhile.
    bool Run(const TTake& take);
    // The entry found by name (FindEntry), written under its name given,
    // with the gauge moving; "Done !" when it is complete.
    void ExtractFile(const std::string& name);
    // Runs work (the run of Extract or Extract All) into folder rather than
    // beside the archive; a failure of a file or a directory names its path.
    void ExtractInto(const std::filesystem::path& folder, const std::function<void()>& work);
    // Extracts the selected entries into a folder of their own for a drag
    // out of the list; returns the files and folders to hand over once
    // every one is complete, none when the run failed or was cut short.
    // Entries whose names would land outside the folder are left out and
    // named when the drag has ended (DragDone). The folder of a drag that
    // was not carried out serves the next drag of the same selection while
    // the archive is unchanged.
    QStringList ForDrag();
    void DragDone();

    // The list was refilled: a run's caret does not move into the new one.
    void IndexRefilled() { runRow_ = -1; }
    // "Done !" in the box: at once, or during a run at its next frame.
    void ShowDone(bool shown);
    // Handles pending events during a run, at most once a frame; the box is
    // drawn then.
    void PumpDuringRun();
    // Extract while an entry is current, Extract All while there are any.
    void GiveButtonsBack();

private:
    // Settles, before anything is written, which entries the run takes and
    // whether they fit where they go. The buttons take every row take
    // holds, asked again as the run reaches it (they follow the selection
    // as it is then), and check the room for what those hold now. A run
    // into a folder (Extract To, a drag) runs the core's plan of the
    // request as it stands at the start.
    TTake SettleEntries(const TTake& take);
    // The settled plan of a run into a folder, outside any other run, on
    // every core: each entry told as it is done, at most once a frame.
    // False as Run answers; the run may have ended the window.
    bool RunInLanes(const std::vector<TPlannedEntry>& planned, std::uint64_t generation);
    // Beside the archive, or the folder of ExtractInto or a drag.
    std::filesystem::path Destination() const;
    // After a run, also one a failure left: the box drawn for good, the
    // caret back on the entry the user chose (current) while the list is
    // the one the run walked.
    void EndRun(int current, std::uint64_t generation);
    void ShowRunRow();
    void ShowExtracting(const std::string& name);
    void ShowRunBox();

    TRunControls controls_;
    TRunWindow& window_;
    TFramePump pump_;
    bool inRun_ = false;
    // What the box shows at the next frame of a run: the row, the name and
    // whether "Done !" is up.
    int runRow_ = -1;
    std::string runName_;
    bool doneShown_ = false;
    // Held for the length of a run: the destination's open directories and
    // the copy buffer.
    std::unique_ptr<TExtractTarget> target_;
    // The buttons' classic copier and the fast one of runs into a folder.
    std::array<std::unique_ptr<TEntryCopier>, 2> copiers_;
    // A run into a folder opens the archive once, as zorvak-pak does, and
    // holds it until the run ends; shared, so that a run started inside it
    // does not close the file the outer one copies from.
    std::shared_ptr<TLockedFile> runArchive_;
    std::uint64_t runArchiveGeneration_ = 0;
    // Where the copier of a run into a folder reads ahead to, by row (the
    // plan's), and for the entry being extracted.
    std::vector<std::int64_t> readAhead_;
    std::int64_t readAheadTo_ = 0;
    // The plan SettleEntries made of a run into a folder.
    std::vector<TPlannedEntry> settled_;
    // The entries the plan of a run into a folder passed over as another
    // name for a file taken already, told when the run has ended.
    struct TSameFileNames {
        std::vector<std::string> Lines;
        std::size_t Total = 0;
    } sameFile_;
    // Where a run extracts to when not beside the archive.
    std::filesystem::path destination_;
    // The folder the last drag out extracted into, and for what: the rows
    // of which index, the files handed over and the names left out. Removed
    // with the window, or when a drag of another selection is ready.
    struct TDragFolder {
        std::unique_ptr<QTemporaryDir> Dir;
        std::uint64_t Generation = 0;
        std::vector<int> Rows;
        QStringList Files;
        std::vector<std::string> LeftOut;
    } drag_;
};

} // namespace zorvak
