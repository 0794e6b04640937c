#include "cli/PakTool.h"

#include "archive/PakBuild.h"
#include "archive/PakExtract.h"
#include "archive/PakReader.h"
#include "archive/PakVerify.h"
#include "framework/Failures.h"
#include "framework/Files.h"

#include <algorithm>
#include <chrono>
#include <iomanip>
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
    "input that is no archive at all. Messages go to standard error.\n";

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
        err_ << "\r\033[K[" << done << "/" << total << "] " << what.substr(0, 60) << std::flush;
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

class TPakTool {
public:
    TPakTool(std::ostream& out, std::ostream& err, bool progress)
        : out_(out), err_(err), progress_(err, progress) {}

    int Run(const std::vector<std::string>& args) {
        if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
            (args.empty() ? err_ : out_) << kUsage;
            return args.empty() ? kExitUnusable : kExitOk;
        }
        const std::string& command = args[0];
        try {
            if (command == "list")
                return List(args);
            if (command == "extract")
                return Extract(args);
            if (command == "build")
                return Build(args);
            if (command == "verify")
                return Verify(args);
        } catch (const TFailure& e) {
            progress_.Clear();
            Say(e.what());
            return kExitUnusable;
        } catch (const std::exception& e) {
            progress_.Clear();
            Say(e.what());
            return kExitUnusable;
        }
        return Usage("unknown command " + command);
    }

private:
    void Say(const std::string& message) { err_ << "zorvak-pak: " << message << "\n"; }
    void SayEntry(const std::string& archive, const std::string& entry,
                  const std::string& message) {
        progress_.Clear();
        err_ << "zorvak-pak: " << archive << ": " << entry << ": " << message << "\n";
    }
    int Usage(const std::string& message) {
        Say(message);
        err_ << "Try 'zorvak-pak --help'.\n";
        return kExitUnusable;
    }

    // Reads an archive's index; one that is not an archive is unusable input.
    std::optional<TPakIndex> OpenIndex(const std::string& archive) {
        if (!HasPakSignature(archive)) {
            Say(archive + ": Not a valid PAK file");
            return std::nullopt;
        }
        TPakIndex index = ReadPakIndex(archive);
        if (!index.Complete)
            Say(archive + ": the directory is cut short; " + std::to_string(index.Entries.size()) +
                " whole entries read");
        return index;
    }

    int List(const std::vector<std::string>& args) {
        const TArgs a = Parse(args, 1, {"-l"}, false, false);
        if (!a.Error.empty() || a.Positional.size() != 1)
            return Usage(a.Error.empty() ? "list takes one archive" : a.Error);
        const auto index = OpenIndex(a.Positional[0]);
        if (!index)
            return kExitUnusable;
        const bool longForm = a.Flags.count("-l") != 0;
        std::int64_t total = 0;
        for (const TPakEntry& e : index->Entries) {
            if (longForm)
                out_ << std::setw(10) << e.FilePos << " " << std::setw(10) << e.FileLength << " ";
            out_ << e.Name << "\n";
            total += e.FileLength;
        }
        if (longForm)
            out_ << index->Entries.size() << " entries, " << total << " bytes\n";
        return index->Complete ? kExitOk : kExitProblems;
    }

    int Extract(const std::vector<std::string>& args) {
        const TArgs a = Parse(args, 1, {}, true, false);
        if (!a.Error.empty() || a.Positional.empty())
            return Usage(a.Error.empty() ? "extract takes an archive" : a.Error);
        const std::string archive = a.Positional[0];
        const std::filesystem::path dir =
            a.Dir.empty() ? std::filesystem::path(".") : std::filesystem::path(a.Dir);
        const auto index = OpenIndex(archive);
        if (!index)
            return kExitUnusable;
        int status = index->Complete ? kExitOk : kExitProblems;

        // The entries to write: all, or the named ones; of names stored more
        // than once the first is taken, as the game does.
        std::vector<std::size_t> chosen;
        std::set<std::string> seen;
        const std::set<std::string> wanted(a.Positional.begin() + 1, a.Positional.end());
        for (std::size_t i = 0; i < index->Entries.size(); ++i) {
            const std::string& name = index->Entries[i].Name;
            if (!wanted.empty() && wanted.count(name) == 0)
                continue;
            if (!seen.insert(name).second) {
                SayEntry(archive, name, "stored again; the first one is kept");
                continue;
            }
            chosen.push_back(i);
        }
        for (const std::string& name : wanted)
            if (seen.count(name) == 0) {
                SayEntry(archive, name, "no such entry");
                status = kExitProblems;
            }

        struct TQuiet : TCopyObserver {
            void Started(std::int32_t) override {}
            bool BeforeChunk() override { return true; }
        } observer;
        std::size_t done = 0;
        for (const std::size_t i : chosen) {
            const TPakEntry& entry = index->Entries[i];
            progress_.Show(++done, chosen.size(), entry.Name);
            try {
                const std::filesystem::path out = EntryOutputPathIn(dir, entry.Name);
                std::error_code ec;
                if (!std::filesystem::is_directory(out.parent_path(), ec))
                    ForceDirPath(out.parent_path());
                CopyEntry(archive, entry.FilePos, entry.FileLength, out, entry.Name, observer);
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
        hooks.Pump = [] { return true; };
        hooks.Found = [this, &files](const TPakBuildFile& f) {
            progress_.Show(files.size() + 1, files.size() + 1, "found " + f.Name);
        };
        hooks.DataRow = [this, &files](std::size_t row) {
            progress_.Show(row + 1, files.size(), files[row].Name);
        };
        WalkPakTree(start, files, hooks);
        if (a.Flags.count("--sorted") != 0)
            std::sort(
                files.begin(), files.end(),
                [](const TPakBuildFile& x, const TPakBuildFile& y) { return x.Name < y.Name; });
        try {
            CheckPakBuild(files);
            WritePakFile(a.Output, files, hooks);
        } catch (const TFailure& e) {
            progress_.Clear();
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
        TLockedFile file(archive);
        const TPakReport report = VerifyPak(file);
        for (const TPakProblem& p : report.Problems) {
            if (p.Entry < 0)
                Say(archive + ": " + p.Text);
            else
                SayEntry(archive, "entry " + std::to_string(p.Entry) + " \"" + p.Name + "\"",
                         p.Text);
        }
        if (!report.Usable)
            return kExitUnusable;
        out_ << archive << ": " << report.Entries << " entries, " << report.Problems.size()
             << (report.Problems.size() == 1 ? " problem\n" : " problems\n");
        return report.Problems.empty() ? kExitOk : kExitProblems;
    }

    std::ostream& out_;
    std::ostream& err_;
    TProgress progress_;
};

} // namespace

int RunPakTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               bool progress) {
    return TPakTool(out, err, progress).Run(args);
}

} // namespace zorvak
