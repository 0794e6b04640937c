#include "archive/PakVerify.h"
#include "cli/Commands.h"
#include "cli/HelpTexts.h"
#include "cli/Json.h"
#include "framework/Text.h"
#include "framework/Translate.h"

namespace zorvak {

namespace {

// One archive's report: its problems on err, its summary on out, or all of
// it into json. Returns the archive's status.
int VerifyOne(TToolState& tool, const std::string& archive, TJsonWriter* json, std::string& text) {
    TPakReport report;
    try {
        TLockedFile file(tool.ArchiveFile(archive), TShareMode::smShared);
        tool.ArchiveHeld();
        report = VerifyPak(file);
    } catch (const TFileInUseFailure&) {
        throw;
    } catch (const TFailure& e) {
        tool.Say(Reasoned(e));
        if (json != nullptr)
            json->BeginObject()
                .Key("path")
                .String(archive)
                .Key("error")
                .String(Reasoned(e))
                .EndObject();
        return kExitUnusable;
    }
    for (const TPakProblem& p : report.Problems) {
        std::string line = p.Text;
        if (p.More > 0)
            line += " " + FormatText(TrPlural("(and {1} more entries like it)",
                                              "(and {1} more entries like it)", p.More),
                                     FormatThousands64(p.More));
        if (p.Entry < 0)
            tool.Say(archive + ": " + line);
        else
            tool.Say(archive + ": " +
                     // TRANSLATORS: verify: the entry's number, its name, the problem.
                     FormatText(Tr("entry {1} \"{2}\": {3}"), p.Entry,
                                EscapeName(p.Name, tool.Options().ErrIsTerminal), line));
    }
    if (json != nullptr) {
        json->BeginObject().Key("path").String(archive).Key("usable").Bool(report.Usable);
        json->Key("entries").Number(report.Entries).Key("problems").BeginArray();
        for (const TPakProblem& p : report.Problems) {
            json->BeginObject().Key("entry");
            if (p.Entry < 0)
                json->Null().Key("name").Null();
            else
                json->Number(p.Entry).Key("name").String(p.Name);
            json->Key("text").String(p.Text).Key("more").Number(p.More).EndObject();
        }
        json->EndArray().Key("total").Number(report.Total).Key("unused").Number(report.Unused);
        json->EndObject();
    } else if (report.Usable) {
        text += EscapeForTerminal(archive, tool.Options().OutIsTerminal) + ": " +
                FormatText(
                    TrPlural("{1} entries, {2} problem", "{1} entries, {2} problems", report.Total),
                    report.Entries, report.Total);
        if (report.Unused > 0)
            text += FormatText(TrPlural(", {1} bytes unused (left by edits; compact frees them)",
                                        ", {1} bytes unused (left by edits; compact frees them)",
                                        report.Unused),
                               FormatThousands64(report.Unused));
        text += "\n";
    }
    if (!report.Usable)
        return kExitUnusable;
    return report.Total == 0 ? kExitOk : kExitProblems;
}

} // namespace

int VerifyCommand(TToolState& tool, const std::vector<std::string>& args) {
    const TArgs a = Parse(args, "", {Flag("json", kOptJson)});
    if (const auto refused =
            tool.Refuse(a, kVerifyHelp, !a.Positional.empty(), TrMark("verify takes an archive")))
        return *refused;
    const bool json = a.Has(kOptJson);
    // What scripts read does not change with the language.
    std::optional<TEnglishTexts> english;
    if (json)
        english.emplace();
    TJsonWriter writer;
    std::string text;
    if (json)
        writer.BeginObject().Key("archives").BeginArray();
    int status = kExitOk;
    for (const std::string& archive : a.Positional) {
        status = std::max(status, VerifyOne(tool, archive, json ? &writer : nullptr, text));
        // Each summary as soon as it is known: a long run shows its way.
        tool.Out() << text << std::flush;
        text.clear();
    }
    if (json) {
        writer.EndArray().EndObject();
        tool.Out() << writer.Text() << "\n";
    }
    return status;
}

} // namespace zorvak
