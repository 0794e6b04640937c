#include "archive/PakVerify.h"
#include "cli/Commands.h"
#include "cli/HelpTexts.h"
#include "framework/Text.h"

namespace zorvak {

int VerifyCommand(TToolState& tool, const std::vector<std::string>& args) {
    const TArgs a = Parse(args, "");
    if (const auto refused =
            tool.Refuse(a, kVerifyHelp, a.Positional.size() == 1, "verify takes one archive"))
        return *refused;
    const std::string archive = a.Positional[0];
    TLockedFile file(archive, TShareMode::smShared);
    const TPakReport report = VerifyPak(file);
    for (const TPakProblem& p : report.Problems) {
        std::string text = p.Text;
        if (p.More > 0)
            text += " (and " + FormatThousands64(p.More) + " more entries like it)";
        if (p.Entry < 0)
            tool.Say(archive + ": " + text);
        else
            tool.SayEntry(archive, "entry " + std::to_string(p.Entry) + " \"" + p.Name + "\"",
                          text);
    }
    if (!report.Usable)
        return kExitUnusable;
    tool.Out() << EscapeForTerminal(archive, tool.Options().OutIsTerminal) << ": " << report.Entries
               << " entries, " << report.Total << (report.Total == 1 ? " problem" : " problems");
    if (report.Unused > 0)
        tool.Out() << ", " << FormatThousands64(report.Unused)
                   << " bytes unused (left by edits; compact frees them)";
    tool.Out() << "\n";
    return report.Total == 0 ? kExitOk : kExitProblems;
}

} // namespace zorvak
