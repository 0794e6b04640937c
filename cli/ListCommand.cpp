#include "cli/Commands.h"
#include "cli/HelpTexts.h"

#include <cstdint>
#include <iomanip>

namespace zorvak {

int ListCommand(TToolState& tool, const std::vector<std::string>& args) {
    const TArgs a = Parse(args, "l0", {Flag("null", kOptNull)});
    if (const auto refused =
            tool.Refuse(a, kListHelp, a.Positional.size() == 1, "list takes one archive"))
        return *refused;
    std::optional<TLockedFile> file;
    TPakIndex index;
    if (!tool.OpenIndex(a.Positional[0], file, index))
        return kExitUnusable;
    std::ostream& out = tool.Out();
    const bool terminal = tool.Options().OutIsTerminal;
    const bool longForm = a.Has('l');
    // A name may hold any byte but NUL, a newline too: NUL-ended lines
    // give each back whole to a script (the shell's completion reads
    // them so). A terminal is a person, and still sees escapes.
    const bool nulEnded = a.Has('0') || a.Has(kOptNull);
    const bool raw = nulEnded && !terminal;
    const char end = nulEnded ? '\0' : '\n';
    std::int64_t total = 0;
    for (const TPakEntry e : index.Entries) {
        if (longForm)
            out << std::setw(10) << e.FilePos << " " << std::setw(10) << e.FileLength << " ";
        if (raw)
            out << e.Name;
        else
            out << EscapeForTerminal(e.Name, terminal);
        out << end;
        total += e.FileLength;
    }
    if (longForm)
        out << index.Entries.size() << " entries, " << total << " bytes" << end;
    return index.Complete ? kExitOk : kExitProblems;
}

} // namespace zorvak
