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
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace zorvak {

// A progress line on a terminal, redrawn at most ten times a second.
class TProgress {
public:
    TProgress(std::ostream& err, bool enabled) : err_(err), enabled_(enabled) {}
    ~TProgress() { Clear(); }
    TProgress(const TProgress&) = delete;
    TProgress& operator=(const TProgress&) = delete;
    void Show(std::size_t done, std::size_t total, const std::string& what);
    void Clear();

private:
    std::ostream& err_;
    bool enabled_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point last_;
};

class TToolState {
public:
    TToolState(std::ostream& out, std::ostream& err, const TToolOptions& options)
        : out_(out), err_(err), options_(options), progress_(err, options.Progress) {}

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
    // One entry's failure told, the run's status made a failure. True when
    // the run must end there: every later entry would come from an archive
    // that changed under it.
    bool TellEntryFailure(const std::string& archive, std::string_view name, const TFailure& e,
                          int& status);
    int Usage(const std::string& message);
    // A command's --help, or its usage failure; nullopt when the arguments
    // are fine.
    std::optional<int> Refuse(const TArgs& a, const char* help, bool shapeOk,
                              const char* shapeMessage);

    // Opens an archive for the whole run, shared with other readers unless
    // mode says otherwise, and reads its index; one that is not an archive
    // is unusable input. An exclusive open that someone else's lock refuses
    // is TFileInUseFailure, as a shared one is.
    bool OpenIndex(const std::string& archive, std::optional<TLockedFile>& file, TPakIndex& index,
                   TShareMode mode = TShareMode::smShared);

private:
    std::ostream& out_;
    std::ostream& err_;
    TToolOptions options_;
    TProgress progress_;
    bool edited_ = false;
};

// A failure as zorvak-pak tells it: its message, and for a file that could
// not be opened or created the system's reason ("Cannot open file x.pak:
// Permission denied").
std::string Reasoned(const std::exception& e);

// An entry's bytes whole, from an archive that is still the one indexed:
// bytes rewritten in place while we read are no state it ever had.
std::vector<unsigned char> ReadWholeEntry(const TLockedFile& file, const TPakEntry& entry);

} // namespace zorvak
