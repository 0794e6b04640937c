#include "cli/PakTool.h"

#include "cli/Commands.h"
#include "cli/HelpTexts.h"
#include "framework/Interrupt.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <ostream>
#include <string_view>
#include <vector>

namespace zorvak {

namespace {

// Edits (insertions, deletions, changes, swaps of two neighbours) from a to b.
std::size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                                d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

// Whether arg is one of the options every command takes, as they may come
// before the command too ("zorvak-pak -q extract ...").
bool IsCommonOption(std::string_view arg) {
    if (arg == "--verbose" || arg == "--quiet" || arg.starts_with("--progress="))
        return true;
    return arg.size() >= 2 && arg[0] == '-' && arg[1] != '-' &&
           arg.find_first_not_of("vq", 1) == std::string_view::npos;
}

int RunCommand(TToolState& tool, std::vector<std::string> args) {
    // Common options before the command go after it, where it parses them.
    std::size_t common = 0;
    for (;;) {
        if (common < args.size() && IsCommonOption(args[common]))
            ++common;
        else if (common + 1 < args.size() && args[common] == "--progress")
            common += 2;
        else
            break;
    }
    if (common == args.size() && common > 0)
        return tool.Usage(Tr("no command given"));
    if (common > 0)
        std::rotate(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(common),
                    args.begin() + static_cast<std::ptrdiff_t>(common) + 1);
    if (args[0] == "--help" || args[0] == "-h" || (args[0] == "help" && args.size() == 1)) {
        tool.Out() << Tr(kUsage);
        return kExitOk;
    }
    if (args[0] == "--version") {
        tool.Out() << "zorvak-pak " << ZORVAK_VERSION << "\n";
        return kExitOk;
    }
    // "help COMMAND" is "COMMAND --help".
    if (args[0] == "help")
        return RunCommand(tool, {args[1], "--help"});
    const std::string& command = args[0];
    try {
        using TCommand = int (*)(TToolState&, const std::vector<std::string>&);
        static const std::pair<const char*, TCommand> kCommands[] = {
            {"list", &ListCommand},       {"extract", &ExtractCommand}, {"cat", &CatCommand},
            {"info", &InfoCommand},       {"build", &BuildCommand},     {"verify", &VerifyCommand},
            {"add", &AddCommand},         {"rm", &RemoveCommand},       {"mv", &MoveCommand},
            {"compact", &CompactCommand}, {"diff", &DiffCommand},       {"grep", &GrepCommand},
            {"mount", &MountCommand},     {"render", &RenderCommand},
        };
        const auto found = std::find_if(std::begin(kCommands), std::end(kCommands),
                                        [&command](const auto& c) { return command == c.first; });
        if (found == std::end(kCommands)) {
            // A command one or two slips away, or one begun: named back.
            std::string best;
            std::size_t bestDistance = 3;
            for (const auto& c : kCommands) {
                const std::string_view name = c.first;
                const std::size_t distance = command.size() >= 2 && name.starts_with(command)
                                                 ? 0
                                                 : EditDistance(AsciiLower(command), name);
                if (distance < bestDistance && distance < name.size()) {
                    best = name;
                    bestDistance = distance;
                }
            }
            return tool.Usage(
                best.empty()
                    ? FormatText(Tr("unknown command {1}"), command)
                    : FormatText(Tr("unknown command {1}; did you mean {2}?"), command, best));
        }
        const int status = found->second(tool, args);
        // An edit that took effect is told as done, whenever a signal came.
        if (const int signal = InterruptRequested(); signal != 0 && !tool.HasEdited()) {
            tool.Say(Tr("interrupted"));
            return kExitSignalBase + signal;
        }
        return status;
    } catch (const TFileInUseFailure& e) {
        // For readers as for editors: a request that cannot be done now,
        // not a wrong one.
        tool.Say(Reasoned(e));
        return kExitProblems;
    } catch (const std::bad_alloc&) {
        tool.Progress().Clear();
        tool.Say(Tr("Out of memory"));
    } catch (const std::exception& e) {
        tool.Progress().Clear();
        tool.Say(Reasoned(e));
    }
    return kExitUnusable;
}

} // namespace

std::string EscapeForTerminal(std::string_view bytes, bool invalidUtf8) {
    std::string out;
    AppendForTerminal(out, bytes, invalidUtf8);
    return out;
}

std::string EscapeName(std::string_view bytes, bool invalidUtf8) {
    std::string out;
    AppendForTerminal(out, bytes, invalidUtf8, true);
    return out;
}

void AppendForTerminal(std::string& out, std::string_view bytes, bool invalidUtf8, bool backslash) {
    // Most names need no escape: they go out whole.
    const bool plain = std::all_of(bytes.begin(), bytes.end(), [backslash](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 0x20 && u < 0x7F && (c != '\\' || !backslash);
    });
    if (plain) {
        out += bytes;
        return;
    }
    const bool highToo = invalidUtf8 && !IsValidUtf8(bytes);
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        // A backslash is escaped too, so that no two names print alike.
        if (c == '\\' && backslash) {
            out += "\\\\";
            continue;
        }
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
}

int RunPakTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const TToolOptions& options) {
    TToolState tool(out, err, options);
    if (args.empty()) {
        err << Tr(kUsage);
        return kExitUnusable;
    }
    const int status = RunCommand(tool, args);
    // Output that never arrived is no success, whatever the command
    // thought (a full disk behind a redirection).
    if (!out.flush()) {
        tool.Say(Tr("cannot write to standard output"));
        if (status == kExitOk)
            return kExitProblems;
    }
    return status;
}

int RunPakTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               bool progress) {
    TToolOptions options;
    options.Progress = progress;
    return RunPakTool(args, out, err, options);
}

} // namespace zorvak
