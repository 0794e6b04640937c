#include "cli/PakTool.h"

#include "archive/PakBuild.h"
#include "archive/PakExtract.h"
#include "archive/PakNames.h"
#include "archive/PakReader.h"
#include "archive/PakVerify.h"
#include "framework/Failures.h"
#include "framework/Files.h"
#include "framework/Interrupt.h"
#include "framework/Text.h"

#include <algorithm>
#include <chrono>
#include <iomanip>
#include <new>
#include <optional>
#include <ostream>
#include <set>

namespace zorvak {

namespace {

constexpr const char* kUsage =
    "usage: zorvak-pak COMMAND ...\n"
    "\n"
    "  list ARCHIVE [-l]                  names of the entries; -l adds position,\n"
    "                                     length and a total line\n"
    "  extract ARCHIVE [-C DIR] [NAME...] all or the named entries into DIR\n"
    "                                     (default: the current directory)\n"
    "  build DIR -o ARCHIVE [--sorted]    pack the tree below DIR; --sorted stores\n"
    "                                     files in name order, byte for byte the\n"
    "                                     same archive whatever the disk's order\n"
    "  verify ARCHIVE                     report what would break in a game engine\n"
    "\n"
    "Exit status: 0 done and clean, 1 failures or problems found, 2 bad usage or\n"
    "input that is no archive at all, 130/143 stopped by SIGINT/SIGTERM (nothing\n"
    "half-written is left). Messages go to standard error.\n";

// A progress line on a terminal, redrawn at most ten times a second.
class TProgress {
public:
    TProgress(std::ostream& err, bool enabled) : err_(err), enabled_(enabled) {}
    ~TProgress() { Clear(); }
    void Show(std::size_t done, std::size_t total, const std::string& what) {
        if (!enabled_)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (shown_ && now - last_ < std::chrono::milliseconds(100) && done != total)
            return;
        last_ = now;
        shown_ = true;
        err_ << "\r\033[K[" << done << "/" << total << "] "
             << EscapeForTerminal(what.substr(0, 60), true) << std::flush;
    }
    void Clear() {
        if (shown_)
            err_ << "\r\033[K" << std::flush;
        shown_ = false;
    }

private:
    std::ostream& err_;
    bool enabled_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point last_;
};

struct TArgs {
    std::vector<std::string> Positional;
    std::set<std::string> Flags;
    std::string Dir;
    std::string Output;
    std::string Error;
};

TArgs Parse(const std::vector<std::string>& args, std::size_t from,
            const std::set<std::string>& flags, bool takesDir, bool takesOutput) {
    TArgs parsed;
    bool onlyNames = false;
    for (std::size_t i = from; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (onlyNames || a.empty() || a[0] != '-') {
            parsed.Positional.push_back(a);
        } else if (a == "--") {
            onlyNames = true;
        } else if (flags.count(a) != 0) {
            parsed.Flags.insert(a);
        } else if ((a == "-C" && takesDir) || (a == "-o" && takesOutput)) {
            if (i + 1 >= args.size()) {
                parsed.Error = a + " needs a value";
                return parsed;
            }
            (a == "-C" ? parsed.Dir : parsed.Output) = args[++i];
        } else {
            parsed.Error = "unknown option " + a;
            return parsed;
        }
    }
    return parsed;
}

// Stops a copy at a signal; the copy's clean-up removes what it wrote.
struct TInterruptible : TCopyObserver {
    void Started(std::int32_t) override {}
    bool BeforeChunk() override { return InterruptRequested() == 0; }
};

class TPakTool {
public:
    TPakTool(std::ostream& out, std::ostream& err, const TToolOptions& options)
        : out_(out), err_(err), options_(options), progress_(err, options.Progress) {}

    int Run(const std::vector<std::string>& args) {
        if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
            (args.empty() ? err_ : out_) << kUsage;
            return args.empty() ? kExitUnusable : kExitOk;
        }
        const std::string& command = args[0];
        try {
            int status = kExitUnusable;
            if (command == "list")
                status = List(args);
            else if (command == "extract")
                status = Extract(args);
            else if (command == "build")
                status = Build(args);
            else if (command == "verify")
                status = Verify(args);
            else
                return Usage("unknown command " + command);
            if (const int signal = InterruptRequested(); signal != 0) {
                Say("interrupted");
                return kExitSignalBase + signal;
            }
            return status;
        } catch (const std::bad_alloc&) {
            progress_.Clear();
            Say("Out of memory");
        } catch (const std::exception& e) {
            progress_.Clear();
            Say(e.what());
        }
        return kExitUnusable;
    }

private:
    // One line on err; whatever bytes it carries, none drives the terminal.
    void Say(const std::string& message) {
        progress_.Clear();
        err_ << "zorvak-pak: " << EscapeForTerminal(message, options_.ErrIsTerminal) << "\n";
    }
    void SayEntry(const std::string& archive, std::string_view entry, const std::string& message) {
        Say(archive + ": " + std::string(entry) + ": " + message);
    }
    int Usage(const std::string& message) {
        Say(message);
        err_ << "Try 'zorvak-pak --help'.\n";
        return kExitUnusable;
    }

    // Opens an archive for the whole run, shared with other readers, and
    // reads its index; one that is not an archive is unusable input.
    bool OpenIndex(const std::string& archive, std::optional<TLockedFile>& file, TPakIndex& index) {
        file.emplace(archive, TShareMode::smShared);
        if (!HasPakSignature(*file)) {
            Say(archive + ": " + kNotAPakFile);
            return false;
        }
        index = ReadPakIndex(*file);
        if (!index.Complete)
            Say(archive + ": the directory is cut short; " + std::to_string(index.Entries.size()) +
                " whole entries read");
        return true;
    }

    int List(const std::vector<std::string>& args) {
        const TArgs a = Parse(args, 1, {"-l"}, false, false);
        if (!a.Error.empty() || a.Positional.size() != 1)
            return Usage(a.Error.empty() ? "list takes one archive" : a.Error);
        std::optional<TLockedFile> file;
        TPakIndex index;
        if (!OpenIndex(a.Positional[0], file, index))
            return kExitUnusable;
        const bool longForm = a.Flags.count("-l") != 0;
        std::int64_t total = 0;
        for (const TPakEntry e : index.Entries) {
            if (longForm)
                out_ << std::setw(10) << e.FilePos << " " << std::setw(10) << e.FileLength << " ";
            out_ << EscapeForTerminal(e.Name, options_.OutIsTerminal) << "\n";
            total += e.FileLength;
        }
        if (longForm)
            out_ << index.Entries.size() << " entries, " << total << " bytes\n";
        return index.Complete ? kExitOk : kExitProblems;
    }

    // A notice when entries share bytes: valid, but the output may be far
    // larger than the archive.
    void SayOverlaps(const std::string& archive, const TPakEntries& entries,
                     const std::vector<std::size_t>& chosen) {
        std::vector<std::pair<std::int64_t, std::int64_t>> spans;
        for (const std::size_t i : chosen)
            if (entries[i].FileLength > 0 && entries[i].FilePos >= 0)
                spans.emplace_back(entries[i].FilePos,
                                   std::int64_t{entries[i].FilePos} + entries[i].FileLength);
        std::sort(spans.begin(), spans.end());
        std::int64_t shared = 0, reach = -1, distinct = 0, written = 0;
        for (const auto& [begin, end] : spans) {
            written += end - begin;
            if (begin < reach)
                ++shared;
            distinct += std::max<std::int64_t>(0, end - std::max(begin, reach));
            reach = std::max(reach, end);
        }
        if (shared > 0)
            Say(archive + ": " + std::to_string(shared) +
                " entries share bytes with others: " + FormatThousands64(distinct) +
                " bytes of the archive extract to " + FormatThousands64(written) + " bytes");
    }

    int Extract(const std::vector<std::string>& args) {
        const TArgs a = Parse(args, 1, {}, true, false);
        if (!a.Error.empty() || a.Positional.empty())
            return Usage(a.Error.empty() ? "extract takes an archive" : a.Error);
        const std::string archive = a.Positional[0];
        const std::filesystem::path dir =
            a.Dir.empty() ? std::filesystem::path(".") : std::filesystem::path(a.Dir);
        std::optional<TLockedFile> file;
        TPakIndex index;
        if (!OpenIndex(archive, file, index))
            return kExitUnusable;
        int status = index.Complete ? kExitOk : kExitProblems;

        // The entries to write: all, or the named ones; of names stored more
        // than once the first is taken, as the game does.
        std::vector<std::size_t> chosen;
        const std::set<std::string, std::less<>> wanted(a.Positional.begin() + 1,
                                                        a.Positional.end());
        std::set<std::string, std::less<>> found;
        TNameTable seen(index.Entries, false);
        std::int64_t bytes = 0, again = 0;
        for (std::size_t i = 0; i < index.Entries.size(); ++i) {
            const TPakEntry entry = index.Entries[i];
            if (!wanted.empty() && wanted.find(entry.Name) == wanted.end())
                continue;
            if (seen.Insert(i) >= 0) {
                // A damaged directory may repeat one name millions of times.
                if (again++ < kProblemRepeatsShown)
                    SayEntry(archive, entry.Name, "stored again; the first one is kept");
                continue;
            }
            if (!wanted.empty())
                found.emplace(entry.Name);
            chosen.push_back(i);
            bytes += std::max(0, entry.FileLength);
        }
        if (again > kProblemRepeatsShown)
            Say(archive + ": and " + FormatThousands64(again - kProblemRepeatsShown) +
                " more entries stored again");
        for (const std::string& name : wanted)
            if (found.count(name) == 0) {
                SayEntry(archive, name, "no such entry");
                status = kExitProblems;
            }

        std::error_code ec;
        if (!std::filesystem::is_directory(dir, ec))
            ForceDirPath(dir);
        TExtractTarget target(dir);
        try {
            CheckRoomFor(target.Root(), bytes);
        } catch (const TFailure& e) {
            Say(archive + ": " + e.what());
            return kExitProblems;
        }
        SayOverlaps(archive, index.Entries, chosen);

        TInterruptible observer;
        TEntryCopier copier(true);
        const auto held = [&file]() -> const TLockedFile& { return *file; };
        std::size_t done = 0;
        for (const std::size_t i : chosen) {
            if (InterruptRequested() != 0)
                break;
            const TPakEntry entry = index.Entries[i];
            progress_.Show(++done, chosen.size(), std::string(entry.Name));
            try {
                if (!ExtractEntry(target, entry, held, observer, copier))
                    break;
            } catch (const TArchiveChangedFailure& e) {
                // Every later entry would come from the changed archive.
                SayEntry(archive, entry.Name, e.what());
                return kExitProblems;
            } catch (const TFailure& e) {
                SayEntry(archive, entry.Name, e.what());
                status = kExitProblems;
            }
        }
        progress_.Clear();
        return status;
    }

    int Build(const std::vector<std::string>& args) {
        const TArgs a = Parse(args, 1, {"--sorted"}, false, true);
        if (!a.Error.empty() || a.Positional.size() != 1 || a.Output.empty())
            return Usage(a.Error.empty() ? "build takes a directory and -o ARCHIVE" : a.Error);
        const std::filesystem::path start = a.Positional[0];
        std::error_code ec;
        if (!std::filesystem::is_directory(start, ec)) {
            Say(start.string() + ": not a directory");
            return kExitUnusable;
        }
        std::vector<TPakBuildFile> files;
        TPakBuildHooks hooks;
        hooks.Pump = [] { return InterruptRequested() == 0; };
        // Free of the dialog's rules: no locks and no second look by name,
        // each file's identity checked around its copy instead.
        hooks.Inputs = TShareMode::smUnlocked;
        hooks.MeasureAgain = false;
        hooks.Found = [this, &files](const TPakBuildFile& f) {
            progress_.Show(files.size() + 1, files.size() + 1, "found " + f.Name);
        };
        hooks.DataRow = [this, &files](std::size_t row) {
            progress_.Show(row + 1, files.size(), files[row].Name);
        };
        // An archive there already is never packed into its successor,
        // whatever it is called.
        IdentityAt(a.Output, hooks.Output, true);
        try {
            if (!WalkPakTree(start, files, hooks))
                return kExitProblems;
            if (a.Flags.count("--sorted") != 0)
                std::sort(
                    files.begin(), files.end(),
                    [](const TPakBuildFile& x, const TPakBuildFile& y) { return x.Name < y.Name; });
            CheckPakBuild(files);
            if (!WritePakFile(a.Output, files, hooks))
                return kExitProblems;
        } catch (const TFailure& e) {
            Say(a.Output + ": " + e.what());
            return kExitProblems;
        }
        progress_.Clear();
        return kExitOk;
    }

    int Verify(const std::vector<std::string>& args) {
        const TArgs a = Parse(args, 1, {}, false, false);
        if (!a.Error.empty() || a.Positional.size() != 1)
            return Usage(a.Error.empty() ? "verify takes one archive" : a.Error);
        const std::string archive = a.Positional[0];
        TLockedFile file(archive, TShareMode::smShared);
        const TPakReport report = VerifyPak(file);
        for (const TPakProblem& p : report.Problems) {
            std::string text = p.Text;
            if (p.More > 0)
                text += " (and " + FormatThousands64(p.More) + " more entries like it)";
            if (p.Entry < 0)
                Say(archive + ": " + text);
            else
                SayEntry(archive, "entry " + std::to_string(p.Entry) + " \"" + p.Name + "\"", text);
        }
        if (!report.Usable)
            return kExitUnusable;
        out_ << EscapeForTerminal(archive, options_.OutIsTerminal) << ": " << report.Entries
             << " entries, " << report.Total << (report.Total == 1 ? " problem\n" : " problems\n");
        return report.Total == 0 ? kExitOk : kExitProblems;
    }

    std::ostream& out_;
    std::ostream& err_;
    TToolOptions options_;
    TProgress progress_;
};

} // namespace

std::string EscapeForTerminal(std::string_view bytes, bool invalidUtf8) {
    const bool highToo = invalidUtf8 && !IsValidUtf8(bytes);
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u != 0x7F && (u < 0x80 || !highToo)) {
            out += c;
            continue;
        }
        switch (c) {
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default: {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\x";
            out += kHex[u >> 4];
            out += kHex[u & 15];
        }
        }
    }
    return out;
}

int RunPakTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const TToolOptions& options) {
    return TPakTool(out, err, options).Run(args);
}

int RunPakTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               bool progress) {
    TToolOptions options;
    options.Progress = progress;
    return RunPakTool(args, out, err, options);
}

} // namespace zorvak
