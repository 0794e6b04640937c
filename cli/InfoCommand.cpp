#include "archive/PakNames.h"
#include "archive/WadArchive.h"
#include "cli/Commands.h"
#include "cli/HelpTexts.h"
#include "formats/EntryKind.h"
#include "framework/Interrupt.h"

namespace zorvak {

int InfoCommand(TToolState& tool, const std::vector<std::string>& args) {
    const TArgs a = Parse(args, "");
    if (const auto refused = tool.Refuse(a, kInfoHelp, a.Positional.size() >= 2,
                                         "info takes an archive and entry names"))
        return *refused;
    const std::string& archive = a.Positional[0];
    std::optional<TLockedFile> file;
    TPakIndex index;
    if (!tool.OpenIndex(archive, file, index))
        return kExitUnusable;
    int status = index.Complete ? kExitOk : kExitProblems;
    for (std::size_t n = 1; n < a.Positional.size(); ++n) {
        if (InterruptRequested() != 0)
            break;
        const std::string& name = a.Positional[n];
        const std::optional<std::size_t> found = FirstEntryNamed(index.Entries, name);
        if (!found) {
            tool.SayEntry(archive, name, "no such entry");
            status = kExitProblems;
            continue;
        }
        const TPakEntry entry = index.Entries[*found];
        TEntryView view;
        try {
            view = ViewEntry(entry, ReadWholeEntry(*file, entry));
        } catch (const TFailure& e) {
            if (tool.TellEntryFailure(archive, entry.Name, e, status))
                return kExitProblems;
            continue;
        }
        // Told from headers only, and a stop request ends even an entry of
        // a million lumps.
        const std::vector<std::string> lines = DescribeEntry(
            view.Kind, entry.Name, view.Bytes, [] { return InterruptRequested() != 0; });
        if (InterruptRequested() != 0)
            break;
        const bool escapeAll = tool.Options().OutIsTerminal;
        tool.Out() << EscapeName(entry.Name, escapeAll) << ": " << entry.FileLength
                   << (entry.FileLength == 1 ? " byte" : " bytes") << " at " << entry.FilePos
                   << "\n";
        for (const std::string& line : lines)
            tool.Out() << "  " << EscapeForTerminal(line, escapeAll) << "\n";
    }
    return status;
}

} // namespace zorvak
