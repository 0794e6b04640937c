#include "cli/ToolState.h"

#include "archive/PakExtract.h"
#include "framework/Interrupt.h"
#include "framework/OutputFile.h"
#include "framework/System.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace zorvak {

namespace {

// "812 B", "1.5 KiB", "230.0 MiB", "1.4 GiB"; the units in the user's
// language, the number always with a point.
std::string ByteSize(double bytes) {
    // TRANSLATORS: units of bytes in the progress line.
    static const char* const kUnits[] = {TrMark("B"), TrMark("KiB"), TrMark("MiB"), TrMark("GiB"),
                                         TrMark("TiB")};
    std::size_t unit = 0;
    while (bytes >= 1024 && unit + 1 < std::size(kUnits)) {
        bytes /= 1024;
        ++unit;
    }
    char text[32];
    if (unit == 0)
        std::snprintf(text, sizeof text, "%.0f", bytes);
    else
        std::snprintf(text, sizeof text, "%.1f", bytes);
    return std::string(text) + " " + Tr(kUnits[unit]);
}

// "0:07", "12:30", "2:05:00".
std::string Duration(double seconds) {
    const auto s = static_cast<long long>(seconds + 0.5);
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", s / 60, s % 60);
    return text;
}

// The name at hand, its end kept when it is long (the file's own name is
// there).
std::string Shortened(std::string_view what) {
    constexpr std::size_t kMost = 40;
    if (what.size() <= kMost)
        return EscapeForTerminal(what, true);
    return "..." + EscapeForTerminal(what.substr(what.size() - kMost + 3), true);
}

} // namespace

void TProgress::Show(std::uint64_t done, std::uint64_t total, std::string_view what) {
    if (!enabled_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!started_) {
        started_ = true;
        start_ = now;
    }
    const bool end = done >= total;
    if (width_ > 0 && now - last_ < std::chrono::milliseconds(100) && !end)
        return;
    const auto percent =
        total == 0 ? 100 : static_cast<int>(std::min<std::uint64_t>(done, total) * 100 / total);
    std::string line = (percent < 10    ? "  "
                        : percent < 100 ? " "
                                        : "") +
                       std::to_string(percent) + "%  " +
                       // TRANSLATORS: the progress line: bytes done of all.
                       FormatText(Tr("{1} of {2}"), ByteSize(static_cast<double>(done)),
                                  ByteSize(static_cast<double>(total)));
    // A rate and a time left once there is a second to judge by.
    const double seconds = std::chrono::duration<double>(now - start_).count();
    if (seconds >= 1 && done > 0) {
        const double rate = static_cast<double>(done) / seconds;
        line += "  " + ByteSize(rate) + "/s";
        if (!end)
            // TRANSLATORS: the progress line: the time left, as 1:05.
            line += "  " +
                    FormatText(Tr("{1} left"), Duration(static_cast<double>(total - done) / rate));
    }
    Draw(line + "  " + Shortened(what));
    last_ = now;
}

void TProgress::Count(std::size_t found, std::string_view what) {
    if (!enabled_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (width_ > 0 && now - last_ < std::chrono::milliseconds(100))
        return;
    // TRANSLATORS: the progress line while a folder is walked: files found.
    Draw(FormatText(Tr("{1} found"), FormatThousands64(static_cast<std::int64_t>(found))) + "  " +
         Shortened(what));
    last_ = now;
}

void TProgress::Draw(const std::string& line) {
    if (dumb_) {
        // Spaces cover what the last line had beyond this one.
        err_ << '\r' << line << std::string(width_ > line.size() ? width_ - line.size() : 0, ' ')
             << std::flush;
    } else {
        err_ << "\r\033[K" << line << std::flush;
    }
    width_ = std::max<std::size_t>(line.size(), 1);
}

void TProgress::Clear() {
    if (width_ == 0)
        return;
    if (dumb_)
        err_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
    else
        err_ << "\r\033[K" << std::flush;
    width_ = 0;
}

std::string Reasoned(const std::exception& e) {
    std::string text = e.what();
    std::string reason;
    if (const auto* open = dynamic_cast<const TFileOpenFailure*>(&e))
        reason = open->Reason();
    else if (const auto* create = dynamic_cast<const TFileCreateFailure*>(&e))
        reason = create->Reason();
    if (!reason.empty())
        // TRANSLATORS: a failure and the system's reason for it
        // ("Cannot open file x.pak: Permission denied").
        return FormatText(Tr("{1}: {2}"), text, reason);
    return text;
}

void TToolState::Say(const std::string& message) {
    progress_.Clear();
    err_ << "zorvak-pak: " << EscapeForTerminal(message, options_.ErrIsTerminal) << "\n";
}

void TToolState::SayEntry(const std::string& archive, std::string_view entry,
                          const std::string& message) {
    // The name as list prints it, so it is told apart from every other.
    Say(archive + ": " + EscapeName(entry, options_.ErrIsTerminal) + ": " + message);
}

void TToolState::Note(const std::string& message) {
    if (!quiet_)
        Say(message);
}

void TToolState::NoteEntry(const std::string& archive, std::string_view entry,
                           const std::string& message) {
    if (!quiet_)
        SayEntry(archive, entry, message);
}

bool TToolState::TellEntryFailure(const std::string& archive, std::string_view name,
                                  const TFailure& e, int& status) {
    SayEntry(archive, name, Reasoned(e));
    status = kExitProblems;
    return dynamic_cast<const TArchiveChangedFailure*>(&e) != nullptr;
}

int TToolState::Usage(const std::string& message) {
    Say(message);
    err_ << Tr("Try 'zorvak-pak --help'.\n");
    return kExitUnusable;
}

std::optional<int> TToolState::Refuse(const TArgs& a, const char* help, bool shapeOk,
                                      const char* shapeMessage) {
    if (a.Help) {
        out_ << Tr(help);
        return kExitOk;
    }
    if (!a.Error.empty())
        return Usage(a.Error);
    verbose_ = a.Has('v');
    quiet_ = a.Has('q');
    if (verbose_ && quiet_)
        return Usage(Tr("-v and -q cannot go together"));
    if (a.Has(kOptProgress)) {
        const std::string when = a.Last(kOptProgress);
        if (when != "auto" && when != "always" && when != "never")
            return Usage(FormatText(Tr("--progress takes auto, always or never, not {1}"), when));
        progress_.Enable(when == "always" || (when == "auto" && options_.Progress));
    }
    // Only errors: no line that moves.
    if (quiet_)
        progress_.Enable(false);
    if (!shapeOk)
        return Usage(Tr(shapeMessage));
    return std::nullopt;
}

TRunTemporary::TRunTemporary(std::string_view what, std::string_view extension) {
    static unsigned made = 0;
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
    if (ec)
        folder = ".";
    // The process and a count make the name the run's own; the clock keeps
    // a name a killed run left from being taken for this run's.
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = folder / ("zorvak-pak-" + std::string(what) + "-" + std::to_string(ProcessNumber()) +
                      "-" + std::to_string(++made) + "-" +
                      std::to_string(static_cast<unsigned long long>(now) % 1000000007ull) +
                      std::string(extension));
}

void TRunTemporary::Remove() {
    std::error_code ec;
    if (!path_.empty() && (std::filesystem::remove(path_, ec) || !ec))
        path_.clear();
}

std::string TToolState::ArchiveFile(const std::string& archive) {
    if (archive != "-")
        return archive;
    if (inputTaken_)
        throw TFailure(Tr("standard input can be read only once"));
    inputTaken_ = true;
    if (!options_.InputFile.empty())
        return options_.InputFile;
    if (options_.Input == nullptr)
        throw TFailure(Tr("there is no standard input to read"));
    // A pipe cannot seek: its bytes go to a file first, written beside its
    // name and renamed once whole.
    spool_.emplace("stdin", ".spool");
    const TDirectory folder = TDirectory::Open(spool_->Path().parent_path());
    TOutputFile out(folder, spool_->Path().filename().string(), TOutputMode::omAlwaysBeside);
    std::vector<char> buffer(1 << 20);
    while (*options_.Input) {
        if (InterruptRequested() != 0)
            throw TFailure(Tr("interrupted"));
        options_.Input->read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        out.Write(buffer.data(), static_cast<std::size_t>(options_.Input->gcount()));
    }
    if (options_.Input->bad())
        throw TFailure(Tr("Cannot read standard input"));
    out.Commit();
    return spool_->Path().string();
}

bool TToolState::OpenIndex(const std::string& archive, std::optional<TLockedFile>& file,
                           TPakIndex& index, TShareMode mode) {
    if (archive == "-" && mode == TShareMode::smExclusive) {
        Say(Tr("standard input cannot be edited; give the archive's name"));
        return false;
    }
    if (mode == TShareMode::smExclusive) {
        try {
            file.emplace(archive, mode);
        } catch (const TFileOpenFailure&) {
            if (HeldByAnother(archive))
                throw TFileInUseFailure(archive);
            throw;
        }
    } else {
        file.emplace(ArchiveFile(archive), mode);
        ArchiveHeld();
    }
    if (!HasArchiveSignature(*file)) {
        Say(archive + ": " + Tr(kNotAPakFile));
        return false;
    }
    index = ReadPakIndex(*file);
    if (!index.Complete)
        Say(archive + ": " +
            FormatText(TrPlural("the directory is cut short; {1} whole entries read",
                                "the directory is cut short; {1} whole entries read",
                                index.Entries.size()),
                       index.Entries.size()));
    return true;
}

std::vector<unsigned char> ReadWholeEntry(const TLockedFile& file, const TPakEntry& entry) {
    std::vector<unsigned char> bytes = ReadEntryBytes(file, entry);
    if (!IdentityOf(file.Descriptor()).SameArchiveAs(file.Identity()))
        throw TArchiveChangedFailure(file.Path());
    return bytes;
}

} // namespace zorvak
