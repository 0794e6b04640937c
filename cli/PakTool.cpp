#include "cli/PakTool.h"

#include "archive/PakBuild.h"
#include "archive/PakEdit.h"
#include "archive/PakExtract.h"
#include "archive/PakNames.h"
#include "archive/PakPalette.h"
#include "archive/PakReader.h"
#include "archive/PakVerify.h"
#include "cli/PakPictures.h"
#include "formats/Bsp.h"
#include "formats/EntryKind.h"
#include "formats/EntryParts.h"
#include "formats/Lmp.h"
#include "formats/Png.h"
#include "framework/Failures.h"
#include "framework/Files.h"
#include "framework/Interrupt.h"
#include "framework/Text.h"

#include <algorithm>
#include <chrono>
#include <getopt.h>
#include <iomanip>
#include <new>
#include <optional>
#include <ostream>
#include <set>
#include <unordered_set>

namespace zorvak {

namespace {

constexpr const char* kUsage =
    "usage: zorvak-pak COMMAND ...\n"
    "\n"
    "  list ARCHIVE [-l]                  names of the entries; -l adds position,\n"
    "                                     length and a total line\n"
    "  extract ARCHIVE [-C DIR] [-i PATTERN]... [--no-clobber] [--png] [NAME...]\n"
    "                                     all, the named or the matching entries\n"
    "                                     into DIR (default: the current directory);\n"
    "                                     --png adds their pictures as PNG files\n"
    "  cat ARCHIVE NAME                   one entry's bytes to standard output\n"
    "  info ARCHIVE NAME...               what the named entries hold\n"
    "  build DIR -o ARCHIVE [--sorted]    pack the tree below DIR; --sorted stores\n"
    "                                     files in name order, byte for byte the\n"
    "                                     same archive whatever the disk's order\n"
    "  verify ARCHIVE                     report what would break in a game engine\n"
    "  add ARCHIVE FILE... [--as NAME] [--prefix DIR/] [--dry-run]\n"
    "                                     store files (a folder: its tree) in it\n"
    "  rm ARCHIVE PATTERN... [--dry-run]  delete the matching entries\n"
    "  mv ARCHIVE OLD NEW [--dry-run]     rename an entry\n"
    "\n"
    "'zorvak-pak COMMAND --help' tells more of one command; --version prints\n"
    "the version.\n"
    "\n"
    "Exit status: 0 done and clean, 1 failures or problems found (an archive in\n"
    "use by another program too), 2 bad usage or input that is no archive at all,\n"
    "130/143 stopped by SIGINT/SIGTERM (nothing half-written is left). Messages\n"
    "go to standard error.\n";

constexpr const char* kListHelp =
    "usage: zorvak-pak list ARCHIVE [-l] [-0]\n"
    "\n"
    "Writes the names of the entries, one a line, in the archive's order.\n"
    "\n"
    "  -l         each line starts with the entry's position and length; a\n"
    "             last line counts the entries and their bytes\n"
    "  -0, --null end each line with a NUL byte instead of a newline and write\n"
    "             names as stored, control characters too, for scripts (a\n"
    "             terminal still sees them escaped)\n";

constexpr const char* kExtractHelp =
    "usage: zorvak-pak extract ARCHIVE [-C DIR] [-i PATTERN]... [--no-clobber] [--png]\n"
    "                          [--sync] [NAME...]\n"
    "\n"
    "Writes entries into files below DIR, making the directories their names\n"
    "need: every entry, or those named and those matching a pattern.\n"
    "\n"
    "  -C DIR         write below DIR (default: the current directory)\n"
    "  -i PATTERN     the entries whose names match PATTERN, ignoring the case of\n"
    "                 ASCII letters; may be given more than once. * matches any\n"
    "                 run of bytes, \"/\" included (so 'sound/*.wav' matches\n"
    "                 sound/ambience/wind.wav too), ? one byte, [...] one byte of\n"
    "                 a set ([!...] one not in it), \\ takes the next byte as it\n"
    "                 is. Quote patterns so the shell leaves them alone.\n"
    "  --no-clobber   keep files that exist already and name each one on\n"
    "                 standard error; a kept file is no failure\n"
    "  --sync         every file written is on the disk when the run ends\n"
    "  --png          also write the pictures an entry holds as PNG files beside\n"
    "                 its file: NAME.png for a picture (gfx/conback.lmp.png),\n"
    "                 NAME.png.d/PICTURE.png for each of a picture container's\n"
    "                 lumps, a map's textures, a model's skins and a sprite's\n"
    "                 frames, bytes of their names other than letters, digits,\n"
    "                 \"-\", \"_\", \"+\" and \".\" written %HH. Colours come from the\n"
    "                 archive's gfx/palette.lmp, else from the pak0.pak beside it,\n"
    "                 else grey levels (said once). The first 10,000 pictures of\n"
    "                 an entry are written (said when it holds more), none when\n"
    "                 the disk may not have room for them all\n"
    "  NAME           an entry by its exact name\n"
    "\n"
    "Of a name stored more than once, the first entry is written, as the game\n"
    "reads it. An entry whose name would land outside DIR is refused. A file\n"
    "that is there is replaced only by a complete copy. A file a stopped run\n"
    "left incomplete in DIR is removed (and said) before the next run there.\n";

constexpr const char* kCatHelp =
    "usage: zorvak-pak cat ARCHIVE NAME\n"
    "\n"
    "Writes the bytes of one entry to standard output and nothing else: the\n"
    "first entry named exactly NAME, else the first whose name differs from it\n"
    "only in the case of ASCII letters.\n";

constexpr const char* kInfoHelp =
    "usage: zorvak-pak info ARCHIVE NAME...\n"
    "\n"
    "Tells what each named entry holds, as the preview does: a line with its\n"
    "name, length and position, then its kind and size (a picture's width and\n"
    "height, a sound's format and length) and, below it, a picture container's\n"
    "lumps, a map's textures, a model's skins and frames or a sprite's frames,\n"
    "each list cut after 10,000 lines with one that counts the rest. Only\n"
    "headers are read: no picture is decoded to tell its size. NAME is found\n"
    "as cat finds it.\n";

constexpr const char* kBuildHelp =
    "usage: zorvak-pak build DIR -o ARCHIVE [--sorted]\n"
    "\n"
    "Packs the files below DIR into a new archive, named by their paths below\n"
    "DIR in lower case. An archive already at ARCHIVE is replaced only once the\n"
    "new one is complete, and is never packed into it.\n"
    "\n"
    "  -o ARCHIVE   the archive to write\n"
    "  --sorted     store the files in name order: byte for byte the same\n"
    "               archive whatever order the disk lists them in\n";

constexpr const char* kAddHelp =
    "usage: zorvak-pak add ARCHIVE FILE... [--as NAME] [--prefix DIR/] [--dry-run]\n"
    "\n"
    "Stores files in the archive under their own names, A-Z in lower case; a\n"
    "folder stores the files of its tree under their paths below it, passing\n"
    "over what build passes over. A name stored already is replaced in place.\n"
    "Prints one line per change (\"added NAME\", \"replaced NAME\").\n"
    "\n"
    "  --as NAME      store the one FILE under NAME, exactly as typed\n"
    "  --prefix DIR/  store every name below DIR/\n"
    "  --dry-run      print what would change (\"would add NAME\") and change\n"
    "                 nothing\n"
    "\n"
    "The archive is written anew beside the old one and takes its place only\n"
    "when complete; while that runs no other program may open it. When any\n"
    "part of the request cannot be done, nothing is changed and the status\n"
    "is 1.\n";

constexpr const char* kRmHelp =
    "usage: zorvak-pak rm ARCHIVE PATTERN... [--dry-run]\n"
    "\n"
    "Deletes every entry whose name matches a PATTERN, as extract -i matches\n"
    "(letter case ignored, * crossing \"/\"), a name stored twice included.\n"
    "Prints \"deleted NAME\" for each. A pattern that matches nothing changes\n"
    "nothing and the status is 1.\n"
    "\n"
    "  --dry-run   print what would change and change nothing\n";

constexpr const char* kMvHelp =
    "usage: zorvak-pak mv ARCHIVE OLD NEW [--dry-run]\n"
    "\n"
    "Renames the entry OLD, found as cat finds it, to NEW, stored exactly as\n"
    "typed. Prints \"renamed OLD -> NEW\". A NEW that another entry has\n"
    "already (letter case ignored) changes nothing and the status is 1.\n"
    "\n"
    "  --dry-run   print what would change and change nothing\n";

constexpr const char* kVerifyHelp =
    "usage: zorvak-pak verify ARCHIVE\n"
    "\n"
    "Reports, one line each on standard error, what would break in a game\n"
    "engine: a directory that does not fit the file, data outside it, names\n"
    "the engine cannot store or find, duplicates, overlapping entries, more\n"
    "entries than it loads. Then one line on standard output counts the\n"
    "entries and the problems; the status is 1 when there are any.\n";

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

// Ids of the options that have no short form.
enum : int {
    kOptHelp = 256,
    kOptNull,
    kOptNoClobber,
    kOptSorted,
    kOptPng,
    kOptAs,
    kOptPrefix,
    kOptDryRun,
    kOptSync,
};

// A command's arguments in command-line order: options (by their short
// letter or id) with their values, and the rest.
struct TArgs {
    std::vector<std::string> Positional;
    std::vector<std::pair<int, std::string>> Options;
    bool Help = false;
    std::string Error;

    bool Has(int id) const {
        return std::any_of(Options.begin(), Options.end(),
                           [id](const auto& o) { return o.first == id; });
    }
    // The value given last, as a repeated -C or -o means.
    std::string Last(int id) const {
        std::string value;
        for (const auto& [option, v] : Options)
            if (option == id)
                value = v;
        return value;
    }
    std::vector<std::string> All(int id) const {
        std::vector<std::string> values;
        for (const auto& [option, v] : Options)
            if (option == id)
                values.push_back(v);
        return values;
    }
};

// The option as the user wrote it, for a message: the long form up to any
// "=", or the short letter (which may sit inside a bundle like -lx).
std::string OptionAsWritten(char* const* argv, int next, int option) {
    if (option > 0 && option < 256)
        return std::string("-") + static_cast<char>(option);
    const std::string written = next > 0 ? argv[next - 1] : "";
    return written.substr(0, written.find('='));
}

// Parses args[1...] (args[0] is the command) with getopt_long. Options and
// the rest may come in any order, whatever POSIXLY_CORRECT says, since
// "extract ARCHIVE -C DIR" is how the commands have always been written;
// after "--" everything is a name. --help is every command's.
TArgs Parse(const std::vector<std::string>& args, const std::string& shortOptions,
            std::vector<option> longOptions = {}) {
    longOptions.push_back({"help", no_argument, nullptr, kOptHelp});
    longOptions.push_back({nullptr, 0, nullptr, 0});
    // getopt wants a writable argv with the program first; it reorders only
    // the pointers.
    std::vector<std::string> storage;
    storage.reserve(args.size());
    storage.emplace_back("zorvak-pak");
    storage.insert(storage.end(), args.begin() + 1, args.end());
    std::vector<char*> argv;
    for (std::string& a : storage)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(storage.size());
    // "-": the rest comes back in order as option 1; ":": a missing value is
    // told apart from an unknown option, and getopt prints nothing itself.
    const std::string optstring = "-:" + shortOptions;

    TArgs parsed;
    // 0, not 1: a full restart, as every run in one process needs.
    optind = 0;
    opterr = 0;
    for (;;) {
        const int c =
            getopt_long(argc, argv.data(), optstring.c_str(), longOptions.data(), nullptr);
        if (c == -1)
            break;
        if (c == 1) {
            parsed.Positional.emplace_back(optarg);
        } else if (c == kOptHelp) {
            parsed.Help = true;
            return parsed;
        } else if (c == ':') {
            // Some getopt_long say so of "--sorted=x" too, an option given
            // a value it does not take.
            const std::string written = OptionAsWritten(argv.data(), optind, optopt);
            const bool valueGiven =
                optopt >= 256 && optind > 0 &&
                std::string_view(argv[static_cast<std::size_t>(optind - 1)]).find('=') !=
                    std::string_view::npos;
            parsed.Error = written + (valueGiven ? " takes no value" : " needs a value");
            return parsed;
        } else if (c == '?') {
            // A known long option comes back as its id only when it was
            // given a value it does not take ("--sorted=x").
            parsed.Error = optopt >= 256
                               ? OptionAsWritten(argv.data(), optind, optopt) + " takes no value"
                               : "unknown option " + OptionAsWritten(argv.data(), optind, optopt);
            return parsed;
        } else {
            parsed.Options.emplace_back(c, optarg != nullptr ? optarg : "");
        }
    }
    for (int i = optind; i < argc; ++i)
        parsed.Positional.emplace_back(argv[static_cast<std::size_t>(i)]);
    return parsed;
}

// Whether name matches a shell-style pattern of extract -i. fnmatch runs in
// the C locale here (the tool never sets one), so it works on bytes and
// folds ASCII letters only, as names are compared everywhere else. Without
// FNM_PATHNAME a "*" crosses "/", and without FNM_PERIOD it matches a
// leading ".".
bool MatchesPattern(const std::string& pattern, std::string_view name) {
    return GlobMatches(pattern, name);
}

// An entry's bytes whole, from an archive that is still the one indexed:
// bytes rewritten in place while we read are no state it ever had.
std::vector<unsigned char> ReadWholeEntry(const TLockedFile& file, const TPakEntry& entry) {
    std::vector<unsigned char> bytes = ReadEntryBytes(file, entry);
    if (!IdentityOf(file.Descriptor()).SameArchiveAs(file.Identity()))
        throw TArchiveChangedFailure(file.Path());
    return bytes;
}

// An entry to extract; Raw is false when --no-clobber keeps its file.
struct TChosen {
    std::size_t Entry;
    bool Raw;
};

// ClassifyEntry needs no more of an entry than a map's header.
constexpr std::size_t kKindBytes = kBspHeaderBytes;

// A change as it would be: "added x" -> "would add x".
std::string WouldChange(const std::string& change) {
    static constexpr std::pair<std::string_view, std::string_view> kVerbs[] = {
        {"added ", "add "},
        {"replaced ", "replace "},
        {"deleted ", "delete "},
        {"renamed ", "rename "},
    };
    for (const auto& [done, todo] : kVerbs)
        if (change.starts_with(done))
            return "would " + std::string(todo) + change.substr(done.size());
    return "would have " + change;
}

// Whether something other than a directory is at path already (a link
// counts as itself, not as what it points at).
bool FileIsThere(const std::filesystem::path& path) {
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(path, ec);
    return !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
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
        if (args.empty()) {
            err_ << kUsage;
            return kExitUnusable;
        }
        const int status = RunCommand(args);
        // Output that never arrived is no success, whatever the command
        // thought (a full disk behind a redirection).
        if (!out_.flush()) {
            Say("cannot write to standard output");
            if (status == kExitOk)
                return kExitProblems;
        }
        return status;
    }

private:
    int RunCommand(const std::vector<std::string>& args) {
        if (args[0] == "--help" || args[0] == "-h" || (args[0] == "help" && args.size() == 1)) {
            out_ << kUsage;
            return kExitOk;
        }
        if (args[0] == "--version") {
            out_ << "zorvak-pak " << ZORVAK_VERSION << "\n";
            return kExitOk;
        }
        // "help COMMAND" is "COMMAND --help".
        if (args[0] == "help")
            return RunCommand({args[1], "--help"});
        const std::string& command = args[0];
        try {
            using TCommand = int (TPakTool::*)(const std::vector<std::string>&);
            static const std::pair<const char*, TCommand> kCommands[] = {
                {"list", &TPakTool::List},   {"extract", &TPakTool::Extract},
                {"cat", &TPakTool::Cat},     {"info", &TPakTool::Info},
                {"build", &TPakTool::Build}, {"verify", &TPakTool::Verify},
                {"add", &TPakTool::Add},     {"rm", &TPakTool::Remove},
                {"mv", &TPakTool::Move},
            };
            const auto found =
                std::find_if(std::begin(kCommands), std::end(kCommands),
                             [&command](const auto& c) { return command == c.first; });
            if (found == std::end(kCommands))
                return Usage("unknown command " + command);
            const int status = (this->*found->second)(args);
            // An edit that took effect is told as done, whenever a signal came.
            if (const int signal = InterruptRequested(); signal != 0 && !edited_) {
                Say("interrupted");
                return kExitSignalBase + signal;
            }
            return status;
        } catch (const TFileInUseFailure& e) {
            // For readers as for editors: a request that cannot be done
            // now, not a wrong one.
            Say(e.what());
            return kExitProblems;
        } catch (const std::bad_alloc&) {
            progress_.Clear();
            Say("Out of memory");
        } catch (const std::exception& e) {
            progress_.Clear();
            Say(e.what());
        }
        return kExitUnusable;
    }

    // One line on err; whatever bytes it carries, none drives the terminal.
    void Say(const std::string& message) {
        progress_.Clear();
        err_ << "zorvak-pak: " << EscapeForTerminal(message, options_.ErrIsTerminal) << "\n";
    }
    void SayEntry(const std::string& archive, std::string_view entry, const std::string& message) {
        Say(archive + ": " + std::string(entry) + ": " + message);
    }
    // One entry's failure told, the run's status made a failure. True when
    // the run must end there: every later entry would come from an archive
    // that changed under it.
    bool TellEntryFailure(const std::string& archive, std::string_view name, const TFailure& e,
                          int& status) {
        SayEntry(archive, name, e.what());
        status = kExitProblems;
        return dynamic_cast<const TArchiveChangedFailure*>(&e) != nullptr;
    }
    int Usage(const std::string& message) {
        Say(message);
        err_ << "Try 'zorvak-pak --help'.\n";
        return kExitUnusable;
    }
    // A command's --help, or its usage failure; nullopt when the arguments
    // are fine.
    std::optional<int> Refuse(const TArgs& a, const char* help, bool shapeOk,
                              const char* shapeMessage) {
        if (a.Help) {
            out_ << help;
            return kExitOk;
        }
        if (!a.Error.empty())
            return Usage(a.Error);
        if (!shapeOk)
            return Usage(shapeMessage);
        return std::nullopt;
    }

    // Opens an archive for the whole run, shared with other readers unless
    // mode says otherwise, and reads its index; one that is not an archive
    // is unusable input. An exclusive open that someone else's lock refuses
    // is TFileInUseFailure, as a shared one is.
    bool OpenIndex(const std::string& archive, std::optional<TLockedFile>& file, TPakIndex& index,
                   TShareMode mode = TShareMode::smShared) {
        if (mode == TShareMode::smExclusive) {
            try {
                file.emplace(archive, mode);
            } catch (const TFileOpenFailure&) {
                if (HeldByAnother(archive))
                    throw TFileInUseFailure(archive);
                throw;
            }
        } else {
            file.emplace(archive, mode);
        }
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
        const TArgs a = Parse(args, "l0", {{"null", no_argument, nullptr, kOptNull}});
        if (const auto refused =
                Refuse(a, kListHelp, a.Positional.size() == 1, "list takes one archive"))
            return *refused;
        std::optional<TLockedFile> file;
        TPakIndex index;
        if (!OpenIndex(a.Positional[0], file, index))
            return kExitUnusable;
        const bool longForm = a.Has('l');
        // A name may hold any byte but NUL, a newline too: NUL-ended lines
        // give each back whole to a script (the shell's completion reads
        // them so). A terminal is a person, and still sees escapes.
        const bool nulEnded = a.Has('0') || a.Has(kOptNull);
        const bool raw = nulEnded && !options_.OutIsTerminal;
        const char end = nulEnded ? '\0' : '\n';
        std::int64_t total = 0;
        for (const TPakEntry e : index.Entries) {
            if (longForm)
                out_ << std::setw(10) << e.FilePos << " " << std::setw(10) << e.FileLength << " ";
            if (raw)
                out_ << e.Name;
            else
                out_ << EscapeForTerminal(e.Name, options_.OutIsTerminal);
            out_ << end;
            total += e.FileLength;
        }
        if (longForm)
            out_ << index.Entries.size() << " entries, " << total << " bytes" << end;
        return index.Complete ? kExitOk : kExitProblems;
    }

    // A notice when entries share bytes: valid, but the output may be far
    // larger than the archive.
    void SayOverlaps(const std::string& archive, const TPakEntries& entries,
                     const std::vector<TChosen>& chosen) {
        std::vector<std::pair<std::int64_t, std::int64_t>> spans;
        for (const auto& [i, raw] : chosen)
            if (raw && entries[i].FileLength > 0 && entries[i].FilePos >= 0)
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
        const TArgs a = Parse(args, "C:i:",
                              {{"no-clobber", no_argument, nullptr, kOptNoClobber},
                               {"png", no_argument, nullptr, kOptPng},
                               {"sync", no_argument, nullptr, kOptSync}});
        if (const auto refused =
                Refuse(a, kExtractHelp, !a.Positional.empty(), "extract takes an archive"))
            return *refused;
        const std::string archive = a.Positional[0];
        const std::string dirArg = a.Last('C');
        const std::filesystem::path dir =
            dirArg.empty() ? std::filesystem::path(".") : std::filesystem::path(dirArg);
        const bool noClobber = a.Has(kOptNoClobber);
        const bool png = a.Has(kOptPng);
        std::optional<TLockedFile> file;
        TPakIndex index;
        if (!OpenIndex(archive, file, index))
            return kExitUnusable;
        int status = index.Complete ? kExitOk : kExitProblems;
        // What a stopped run left there is put right before anything is
        // judged by what the folder holds (--no-clobber would keep it).
        std::optional<TExtractTarget> target;
        std::error_code ec;
        if (std::filesystem::is_directory(dir, ec))
            Recover(target.emplace(dir));

        // The entries to write: all, or the named ones and those a pattern
        // matches; of names stored more than once the first is taken, as the
        // game does. With --png an entry whose file is kept still gets its
        // pictures.
        std::vector<TChosen> chosen;
        const std::set<std::string, std::less<>> wanted(a.Positional.begin() + 1,
                                                        a.Positional.end());
        const std::vector<std::string> patterns = a.All('i');
        std::vector<bool> matched(patterns.size(), false);
        const bool everything = wanted.empty() && patterns.empty();
        std::set<std::string, std::less<>> found;
        TSameFileTable seen(index.Entries);
        std::int64_t bytes = 0, again = 0, sameFile = 0;
        for (std::size_t i = 0; i < index.Entries.size(); ++i) {
            const TPakEntry entry = index.Entries[i];
            bool take = everything || wanted.find(entry.Name) != wanted.end();
            for (std::size_t p = 0; p < patterns.size(); ++p)
                if (MatchesPattern(patterns[p], entry.Name)) {
                    matched[p] = true;
                    take = true;
                }
            if (!take)
                continue;
            std::size_t first = 0;
            const TSameFileTable::TSeen known = seen.Insert(i, first);
            if (known == TSameFileTable::TSeen::ssRepeated) {
                // A damaged directory may repeat one name millions of times.
                if (again++ < kProblemRepeatsShown)
                    SayEntry(archive, entry.Name, "stored again; the first one is kept");
                continue;
            }
            if (known == TSameFileTable::TSeen::ssSameFile) {
                // Written, it would take the place of the one the game reads.
                if (sameFile++ < kProblemRepeatsShown)
                    SayEntry(archive, entry.Name,
                             "names the same file as " + std::string(index.Entries[first].Name) +
                                 " on this system; that one is kept");
                status = kExitProblems;
                continue;
            }
            if (!wanted.empty())
                found.emplace(entry.Name);
            if (noClobber && KeepExisting(dir, !dirArg.empty(), entry.Name)) {
                if (png)
                    chosen.push_back({i, false});
                continue;
            }
            chosen.push_back({i, true});
            bytes += std::max(0, entry.FileLength);
        }
        if (again > kProblemRepeatsShown)
            Say(archive + ": and " + FormatThousands64(again - kProblemRepeatsShown) +
                " more entries stored again");
        if (sameFile > kProblemRepeatsShown)
            Say(archive + ": and " + FormatThousands64(sameFile - kProblemRepeatsShown) +
                " more entries naming a file another entry names");
        for (const std::string& name : wanted)
            if (found.count(name) == 0) {
                SayEntry(archive, name, "no such entry");
                status = kExitProblems;
            }
        for (std::size_t p = 0; p < patterns.size(); ++p)
            if (!matched[p]) {
                SayEntry(archive, patterns[p], "no entry matches");
                status = kExitProblems;
            }

        if (!target) {
            ForceDirPath(dir);
            Recover(target.emplace(dir));
        }
        // Also for a file that appears after the look above.
        target->KeepExisting(noClobber);
        target->FlushAtEnd(a.Has(kOptSync));
        try {
            CheckRoomFor(target->Root(), bytes);
        } catch (const TFailure& e) {
            Say(archive + ": " + e.what());
            return kExitProblems;
        }
        SayOverlaps(archive, index.Entries, chosen);

        // The names the run writes files of: a picture of the same name
        // would take one's place.
        std::unordered_set<std::string_view> extracted;
        if (png)
            for (const TChosen& c : chosen)
                extracted.insert(index.Entries[c.Entry].Name);
        TInterruptible observer;
        TEntryCopier copier(true);
        const auto held = [&file]() -> const TLockedFile& { return *file; };
        // For each entry, where the run of small entries back to back from
        // it ends: the copier reads ahead no further.
        std::vector<std::int64_t> runEnd(chosen.size(), 0);
        for (std::size_t k = chosen.size(); k-- > 0;) {
            const TPakEntry e = index.Entries[chosen[k].Entry];
            const std::int64_t end = std::int64_t{e.FilePos} + e.FileLength;
            runEnd[k] = end;
            if (k + 1 < chosen.size()) {
                const TPakEntry next = index.Entries[chosen[k + 1].Entry];
                if (next.FilePos == end && next.FileLength >= 0 &&
                    static_cast<std::size_t>(next.FileLength) <= kSmallEntry)
                    runEnd[k] = runEnd[k + 1];
            }
        }
        std::size_t done = 0;
        for (std::size_t k = 0; k < chosen.size(); ++k) {
            const TChosen& c = chosen[k];
            if (InterruptRequested() != 0)
                break;
            const TPakEntry entry = index.Entries[c.Entry];
            copier.ReadAheadTo(runEnd[k]);
            progress_.Show(++done, chosen.size(), std::string(entry.Name));
            try {
                if (c.Raw && !ExtractEntry(*target, entry, held, observer, copier))
                    break;
            } catch (const TFileExistsFailure& e) {
                SayKept(e.Path(), dir, !dirArg.empty());
            } catch (const TFailure& e) {
                if (TellEntryFailure(archive, entry.Name, e, status))
                    return kExitProblems;
                continue;
            }
            if (!png)
                continue;
            try {
                if (!WritePictures(*target, archive, *file, index, entry, extracted, dir,
                                   !dirArg.empty()))
                    status = kExitProblems;
            } catch (const TArchiveChangedFailure& e) {
                SayEntry(archive, entry.Name, e.what());
                return kExitProblems;
            } catch (const TFailure& e) {
                SayEntry(archive, entry.Name, e.what());
                status = kExitProblems;
            }
        }
        progress_.Clear();
        try {
            target->Finish();
        } catch (const TFailure& e) {
            Say(DisplayPath(dir) + ": " + e.what());
            status = kExitProblems;
        }
        return status;
    }

    // What stopped runs left in the destination, put right and told.
    void Recover(TExtractTarget& target) {
        for (const std::string& line : target.Recover())
            Say(line);
    }

    // With --png: the pictures entry holds, as PNG files beside its own
    // (cli/PakPictures.h). False when one could not be written; one that
    // cannot be decoded is only told, since the entry's own file holds it
    // still.
    bool WritePictures(TExtractTarget& target, const std::string& archive, const TLockedFile& file,
                       const TPakIndex& index, const TPakEntry& entry,
                       const std::unordered_set<std::string_view>& extracted,
                       const std::filesystem::path& dir, bool dirGiven) {
        // The kind from the first bytes, so no other entry is read whole.
        CheckEntryBounds(entry, file.Size());
        std::vector<unsigned char> head(
            std::min(static_cast<std::size_t>(entry.FileLength), kKindBytes));
        head.resize(file.ReadAt(entry.FilePos, head.data(), head.size()));
        const TEntryKind kind = ClassifyEntry(entry.Name, head);
        if (!HoldsPictures(kind))
            return true;
        const std::vector<unsigned char> bytes = ReadWholeEntry(file, entry);
        const TPalette& palette =
            NeedsPalette(kind) ? Palette(archive, file, index) : GreyPaletteOnce();
        const TPictureOutput output{
            target,
            file,
            extracted,
            [&](std::string_view name, const std::string& message) {
                SayEntry(archive, name, message);
            },
            [&](const std::filesystem::path& path) { SayKept(path, dir, dirGiven); },
            [] { return InterruptRequested() != 0; }};
        return WriteEntryPictures(output, entry.Name, kind, bytes, palette);
    }

    static const TPalette& GreyPaletteOnce() {
        static const TPalette grey = GreyPalette();
        return grey;
    }

    // The colours of palette pictures, found at the first one: the archive's
    // own gfx/palette.lmp, else the one in the pak0.pak beside it (the game's
    // base archive), else a grey ramp, said once.
    const TPalette& Palette(const std::string& archive, const TLockedFile& file,
                            const TPakIndex& index) {
        if (!palette_)
            palette_ = FindPalette(archive, file, index);
        return *palette_;
    }

    TPalette FindPalette(const std::string& archive, const TLockedFile& file,
                         const TPakIndex& index) {
        const TFoundPalette found =
            FindArchivePalette(file, index.Entries, archive, TShareMode::smShared);
        for (const std::string& problem : found.Problems)
            Say(archive + ": " + problem);
        if (found.Source == TPaletteSource::psGrey)
            Say(archive + ": no palette found (no " + kPaletteEntryName + " in it or in a " +
                kBasePakName + " beside it); palette pictures are written in grey");
        return found.Colours;
    }

    // With --no-clobber: whether the entry's file is there already, and so
    // kept (and told). Decided before anything is written, so kept files
    // need no room. A name that has no place below dir is left to the
    // extraction, which tells why.
    bool KeepExisting(const std::filesystem::path& dir, bool dirGiven, std::string_view name) {
        std::filesystem::path path;
        try {
            path = EntryOutputPathIn(dir, name);
        } catch (const TFailure&) {
            return false;
        }
        if (!FileIsThere(path))
            return false;
        SayKept(path, dir, dirGiven);
        return true;
    }

    // Shown as the user would write it: below -C's directory, or as the
    // entry's own path when extracting here.
    void SayKept(const std::filesystem::path& path, const std::filesystem::path& dir,
                 bool dirGiven) {
        Say("kept " + (dirGiven ? path : path.lexically_relative(dir)).string() + ": it exists");
    }

    int Cat(const std::vector<std::string>& args) {
        const TArgs a = Parse(args, "");
        if (const auto refused = Refuse(a, kCatHelp, a.Positional.size() == 2,
                                        "cat takes an archive and one entry name"))
            return *refused;
        const std::string& archive = a.Positional[0];
        const std::string& name = a.Positional[1];
        std::optional<TLockedFile> file;
        TPakIndex index;
        if (!OpenIndex(archive, file, index))
            return kExitUnusable;
        const std::optional<std::size_t> found = FirstEntryNamed(index.Entries, name);
        if (!found) {
            SayEntry(archive, name, "no such entry");
            return kExitProblems;
        }
        const TPakEntry entry = index.Entries[*found];
        try {
            CatEntry(*file, entry);
        } catch (const TFailure& e) {
            SayEntry(archive, std::string(entry.Name), e.what());
            return kExitProblems;
        }
        return index.Complete ? kExitOk : kExitProblems;
    }

    // An entry's bytes to out through one buffer. What was written before
    // a failure stays written (a pipe cannot take it back); the status says
    // it is not the whole entry.
    void CatEntry(const TLockedFile& file, const TPakEntry& entry) {
        CheckEntryBounds(entry, file.Size());
        std::vector<char> buffer(std::min<std::size_t>(static_cast<std::size_t>(entry.FileLength),
                                                       std::size_t{1} << 16));
        std::int64_t at = entry.FilePos;
        std::int64_t remaining = entry.FileLength;
        while (remaining > 0) {
            if (InterruptRequested() != 0)
                return;
            const auto n = static_cast<std::size_t>(
                std::min<std::int64_t>(remaining, static_cast<std::int64_t>(buffer.size())));
            // A short read means the archive shrank under us.
            if (file.ReadAt(at, buffer.data(), n) != n)
                throw TInOutFailure(kIoReadBeyondEnd);
            // The run's end tells a failed output once, for every command.
            if (!out_.write(buffer.data(), static_cast<std::streamsize>(n)))
                return;
            at += static_cast<std::int64_t>(n);
            remaining -= static_cast<std::int64_t>(n);
        }
        // Bytes rewritten in place while we read are no state the archive
        // ever had as a whole.
        if (entry.FileLength > 0 && !IdentityOf(file.Descriptor()).SameArchiveAs(file.Identity()))
            throw TArchiveChangedFailure(file.Path());
    }

    int Info(const std::vector<std::string>& args) {
        const TArgs a = Parse(args, "");
        if (const auto refused = Refuse(a, kInfoHelp, a.Positional.size() >= 2,
                                        "info takes an archive and entry names"))
            return *refused;
        const std::string& archive = a.Positional[0];
        std::optional<TLockedFile> file;
        TPakIndex index;
        if (!OpenIndex(archive, file, index))
            return kExitUnusable;
        int status = index.Complete ? kExitOk : kExitProblems;
        for (std::size_t n = 1; n < a.Positional.size(); ++n) {
            if (InterruptRequested() != 0)
                break;
            const std::string& name = a.Positional[n];
            const std::optional<std::size_t> found = FirstEntryNamed(index.Entries, name);
            if (!found) {
                SayEntry(archive, name, "no such entry");
                status = kExitProblems;
                continue;
            }
            const TPakEntry entry = index.Entries[*found];
            std::vector<unsigned char> bytes;
            try {
                bytes = ReadWholeEntry(*file, entry);
            } catch (const TFailure& e) {
                if (TellEntryFailure(archive, entry.Name, e, status))
                    return kExitProblems;
                continue;
            }
            // Told from headers only, and a stop request ends even an entry
            // of a million lumps.
            const std::vector<std::string> lines =
                DescribeEntry(entry.Name, bytes, [] { return InterruptRequested() != 0; });
            if (InterruptRequested() != 0)
                break;
            const bool escapeAll = options_.OutIsTerminal;
            out_ << EscapeForTerminal(entry.Name, escapeAll) << ": " << entry.FileLength
                 << (entry.FileLength == 1 ? " byte" : " bytes") << " at " << entry.FilePos << "\n";
            for (const std::string& line : lines)
                out_ << "  " << EscapeForTerminal(line, escapeAll) << "\n";
        }
        return status;
    }

    int Build(const std::vector<std::string>& args) {
        const TArgs a = Parse(args, "o:", {{"sorted", no_argument, nullptr, kOptSorted}});
        const std::string output = a.Last('o');
        if (const auto refused = Refuse(a, kBuildHelp, a.Positional.size() == 1 && !output.empty(),
                                        "build takes a directory and -o ARCHIVE"))
            return *refused;
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
        hooks.Told = [this](const std::string& line) { Say(line); };
        // An archive there already is never packed into its successor,
        // whatever it is called.
        IdentityAt(output, hooks.Output, true);
        try {
            if (!WalkPakTree(start, files, hooks))
                return kExitProblems;
            if (a.Has(kOptSorted))
                std::sort(
                    files.begin(), files.end(),
                    [](const TPakBuildFile& x, const TPakBuildFile& y) { return x.Name < y.Name; });
            CheckPakBuild(files, true);
            if (!WritePakFile(output, files, hooks))
                return kExitProblems;
        } catch (const TFailure& e) {
            Say(output + ": " + e.what());
            return kExitProblems;
        }
        progress_.Clear();
        return kExitOk;
    }

    // The archive an edit works on, held for the whole run: exclusively, so
    // no other program reads or edits it meanwhile (a dry run only reads).
    // Nullopt once open, else the status to end with: an archive in use is
    // a request that cannot be done now, not a wrong one.
    std::optional<int> OpenForEdit(const std::string& archive, bool dryRun,
                                   std::optional<TLockedFile>& file, TPakIndex& index) {
        try {
            if (!OpenIndex(archive, file, index,
                           dryRun ? TShareMode::smShared : TShareMode::smExclusive))
                return kExitUnusable;
        } catch (const TFileInUseFailure& e) {
            Say(e.what());
            return kExitProblems;
        }
        return std::nullopt;
    }

    // Plans changes and, unless dryRun, applies them; prints one line per
    // change, "would ..." for a dry run. Any refusal changes nothing.
    int Edit(const std::string& archive, std::optional<TLockedFile>& file, const TPakIndex& index,
             const std::vector<TPakChange>& changes, bool dryRun, std::vector<bool> deleted = {}) {
        TPakEditPlan plan;
        try {
            plan = PlanPakEdit(index, changes, std::move(deleted));
        } catch (const TFailure& e) {
            Say(archive + ": " + e.what());
            return kExitProblems;
        }
        if (plan.Unchanged()) {
            Say(archive + ": nothing to change");
            return kExitOk;
        }
        // An edit with nothing to copy would never ask the pump.
        if (InterruptRequested() != 0)
            return kExitProblems;
        if (!dryRun) {
            TPakEditHooks hooks;
            // The run's own open holds the archive exclusively: the edit reads
            // through it, as a second open would only refuse ourselves.
            hooks.Held = &*file;
            hooks.Inputs = TShareMode::smUnlocked;
            hooks.Pump = [] { return InterruptRequested() == 0; };
            hooks.Told = [this](const std::string& line) { Say(line); };
            hooks.Progress = [this](std::int64_t done, std::int64_t total) {
                progress_.Show(static_cast<std::size_t>(done >> 20),
                               static_cast<std::size_t>(total >> 20), "MiB written");
            };
            try {
                if (!ApplyPakEdit(archive, index, plan, hooks))
                    return kExitProblems;
            } catch (const TFailure& e) {
                Say(archive + ": " + e.what());
                return kExitProblems;
            }
            edited_ = true;
            progress_.Clear();
        }
        plan.ForEachChange(index, [&](const std::string& change) {
            out_ << EscapeForTerminal(dryRun ? WouldChange(change) : change, options_.OutIsTerminal)
                 << "\n";
        });
        return kExitOk;
    }

    int Add(const std::vector<std::string>& args) {
        const TArgs a = Parse(args, "",
                              {{"as", required_argument, nullptr, kOptAs},
                               {"prefix", required_argument, nullptr, kOptPrefix},
                               {"dry-run", no_argument, nullptr, kOptDryRun}});
        if (const auto refused =
                Refuse(a, kAddHelp, a.Positional.size() >= 2, "add takes an archive and files"))
            return *refused;
        const bool named = a.Has(kOptAs);
        if (named && a.Positional.size() != 2)
            return Usage("--as names one file");
        if (named && a.Has(kOptPrefix))
            return Usage("--as gives the whole name; --prefix goes without it");
        const std::string& archive = a.Positional[0];
        const bool dryRun = a.Has(kOptDryRun);
        std::optional<TLockedFile> file;
        TPakIndex index;
        if (const auto failed = OpenForEdit(archive, dryRun, file, index))
            return *failed;
        std::string prefix = a.Last(kOptPrefix);
        if (!prefix.empty() && prefix.back() != '/')
            prefix += '/';

        std::vector<TPakChange> changes;
        for (std::size_t i = 1; i < a.Positional.size(); ++i) {
            const std::string& path = a.Positional[i];
            if (!IsDirectory(path)) {
                changes.push_back(
                    named ? TPakChange::AddFile(a.Last(kOptAs), path, true)
                          : TPakChange::AddFile(
                                prefix + std::filesystem::path(path).filename().string(), path));
                continue;
            }
            if (named) {
                Say(path + ": a folder adds its tree; --as names one file");
                return kExitProblems;
            }
            try {
                if (!AddTreeChanges(
                        path, prefix, index.Identity, [] { return InterruptRequested() == 0; },
                        changes))
                    return kExitProblems;
            } catch (const TFailure& e) {
                Say(path + ": " + e.what());
                return kExitProblems;
            }
        }
        return Edit(archive, file, index, changes, dryRun);
    }

    int Remove(const std::vector<std::string>& args) {
        const TArgs a = Parse(args, "", {{"dry-run", no_argument, nullptr, kOptDryRun}});
        if (const auto refused =
                Refuse(a, kRmHelp, a.Positional.size() >= 2, "rm takes an archive and entry names"))
            return *refused;
        const std::string& archive = a.Positional[0];
        const bool dryRun = a.Has(kOptDryRun);
        std::optional<TLockedFile> file;
        TPakIndex index;
        if (const auto failed = OpenForEdit(archive, dryRun, file, index))
            return *failed;
        const std::vector<std::string> patterns(a.Positional.begin() + 1, a.Positional.end());
        std::vector<bool> matched(patterns.size(), false);
        // A bit an entry, however many it deletes: a directory may hold
        // millions.
        std::vector<bool> deleted(index.Entries.size(), false);
        for (std::size_t i = 0; i < index.Entries.size(); ++i) {
            for (std::size_t p = 0; p < patterns.size(); ++p)
                if (MatchesPattern(patterns[p], index.Entries[i].Name)) {
                    matched[p] = true;
                    deleted[i] = true;
                }
        }
        int status = kExitOk;
        for (std::size_t p = 0; p < patterns.size(); ++p)
            if (!matched[p]) {
                SayEntry(archive, patterns[p], "no entry matches");
                status = kExitProblems;
            }
        if (status != kExitOk)
            return status;
        return Edit(archive, file, index, {}, dryRun, std::move(deleted));
    }

    int Move(const std::vector<std::string>& args) {
        const TArgs a = Parse(args, "", {{"dry-run", no_argument, nullptr, kOptDryRun}});
        if (const auto refused = Refuse(a, kMvHelp, a.Positional.size() == 3,
                                        "mv takes an archive, an entry name and its new name"))
            return *refused;
        const std::string& archive = a.Positional[0];
        const bool dryRun = a.Has(kOptDryRun);
        std::optional<TLockedFile> file;
        TPakIndex index;
        if (const auto failed = OpenForEdit(archive, dryRun, file, index))
            return *failed;
        const std::optional<std::size_t> found = FirstEntryNamed(index.Entries, a.Positional[1]);
        if (!found) {
            SayEntry(archive, a.Positional[1], "no such entry");
            return kExitProblems;
        }
        return Edit(archive, file, index, {TPakChange::Rename(*found, a.Positional[2], true)},
                    dryRun);
    }

    int Verify(const std::vector<std::string>& args) {
        const TArgs a = Parse(args, "");
        if (const auto refused =
                Refuse(a, kVerifyHelp, a.Positional.size() == 1, "verify takes one archive"))
            return *refused;
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
    std::optional<TPalette> palette_;
    bool edited_ = false; // an edit replaced the archive
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
