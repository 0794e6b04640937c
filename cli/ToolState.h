// What every command of zorvak-pak shares: the streams, the one way a
// message is told, the progress line, and the archive opened for a run.
#pragma once

#include "archive/PakReader.h"
#include "cli/Args.h"
#include "cli/PakTool.h"
#include "framework/Failures.h"
#include "framework/Files.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace zorvak {

// A progress line on a terminal, by bytes, with the rate and the time
// left, redrawn at most ten times a second. On a dumb terminal it is
// redrawn with a carriage return and spaces alone.
class TProgress {
public:
    TProgress(std::ostream& err, bool enabled, bool dumb)
        : err_(err), enabled_(enabled), dumb_(dumb) {}
    ~TProgress() { Clear(); }
    TProgress(const TProgress&) = delete;
    TProgress& operator=(const TProgress&) = delete;
    void Enable(bool enabled) { enabled_ = enabled; }
    // done of total bytes; what is the file or entry at hand. The clock of
    // the rate starts at the first call.
    void Show(std::uint64_t done, std::uint64_t total, std::string_view what);
    // A walk's count of files found so far.
    void Count(std::size_t found, std::string_view what);
    void Clear();

private:
    void Draw(const std::string& line);

    std::ostream& err_;
    bool enabled_;
    bool dumb_;
    bool started_ = false;
    std::size_t width_ = 0; // of the line on screen; 0 when none is
    std::chrono::steady_clock::time_point start_, last_;
};

// A file of the run's own in the system's temporary folder, removed when
// dropped: what a pipe gave, or an archive on its way to one.
class TRunTemporary {
public:
    // what and extension go into its name, for whoever finds it.
    TRunTemporary(std::string_view what, std::string_view extension);
    ~TRunTemporary() { Remove(); }
    TRunTemporary(const TRunTemporary&) = delete;
    TRunTemporary& operator=(const TRunTemporary&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    // Removes the name now; a system that keeps the name of an open file
    // keeps it till the drop.
    void Remove();

private:
    std::filesystem::path path_;
};

class TToolState {
public:
    TToolState(std::ostream& out, std::ostream& err, const TToolOptions& options)
        : out_(out), err_(err), options_(options),
          progress_(err, options.Progress, options.DumbTerminal) {}

    std::ostream& Out() { return out_; }
    std::ostream& Err() { return err_; }
    const TToolOptions& Options() const { return options_; }
    TProgress& Progress() { return progress_; }
    // An edit replaced the archive: it is told as done, whenever a signal
    // came.
    void Edited() { edited_ = true; }
    bool HasEdited() const { return edited_; }

    // One line on err; whatever bytes it carries, none drives the terminal.
    void Say(const std::string& message);
    void SayEntry(const std::string& archive, std::string_view entry, const std::string& message);
    // The same for what is no failure (a file kept, a leftover removed, a
    // warning): --quiet leaves it out.
    void Note(const std::string& message);
    void NoteEntry(const std::string& archive, std::string_view entry, const std::string& message);
    // -v/--verbose: each file written is named.
    bool Verbose() const { return verbose_; }
    bool Quiet() const { return quiet_; }
    // One entry's failure told, the run's status made a failure. True when
    // the run must end there: every later entry would come from an archive
    // that changed under it.
    bool TellEntryFailure(const std::string& archive, std::string_view name, const TFailure& e,
                          int& status);
    int Usage(const std::string& message);
    // A command's --help, or its usage failure; nullopt when the arguments
    // are fine. Takes the options every command has (-v, -q, --progress).
    std::optional<int> Refuse(const TArgs& a, const char* help, bool shapeOk,
                              const char* shapeMessage);

    // Opens an archive for the whole run, shared with other readers unless
    // mode says otherwise, and reads its index; one that is not an archive
    // is unusable input. An exclusive open that someone else's lock refuses
    // is TFileInUseFailure, as a shared one is.
    bool OpenIndex(const std::string& archive, std::optional<TLockedFile>& file, TPakIndex& index,
                   TShareMode mode = TShareMode::smShared);
    // The file an archive argument opens: "-" is standard input, its own
    // file when it is a regular one, else its bytes spooled to a temporary
    // file once. Throws TFailure when it is asked for a second time.
    std::string ArchiveFile(const std::string& archive);
    // The file ArchiveFile gave is open: a spooled one needs its name no
    // longer (where the system allows, none is left even if the run is
    // killed).
    void ArchiveHeld() {
        if (spool_)
            spool_->Remove();
    }

private:
    std::ostream& out_;
    std::ostream& err_;
    TToolOptions options_;
    TProgress progress_;
    bool edited_ = false;
    bool verbose_ = false;
    bool quiet_ = false;
    bool inputTaken_ = false;
    std::optional<TRunTemporary> spool_;
};

// A failure as zorvak-pak tells it: its message, and for a file that could
// not be opened or created the system's reason ("Cannot open file x.pak:
// Permission denied").
std::string Reasoned(const std::exception& e);

// An entry's bytes whole, from an archive that is still the one indexed:
// bytes rewritten in place while we read are no state it ever had.
std::vector<unsigned char> ReadWholeEntry(const TLockedFile& file, const TPakEntry& entry);

} // namespace zorvak
