#include "archive/PakNames.h"
#include "archive/WadArchive.h"
#include "cli/Commands.h"
#include "cli/HelpTexts.h"
#include "cli/Json.h"
#include "formats/EntryKind.h"
#include "framework/Interrupt.h"
#include "framework/Text.h"
#include "framework/Translate.h"

namespace zorvak {

namespace {

// Whether every argument names a file that is an archive: then info tells
// each archive, not entries of the first.
bool AllArchives(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        // Standard input can be looked at only by reading it.
        if (path == "-")
            continue;
        TFileKind kind = TFileKind::fkUnknown;
        TFileIdentity identity;
        if (!StatusAt(path, true, kind, identity) || kind != TFileKind::fkRegular)
            return false;
        try {
            if (!HasArchiveSignature(TLockedFile(path, TShareMode::smUnlocked)))
                return false;
        } catch (const TFailure&) {
            return false;
        }
    }
    return true;
}

// One archive's summary: its kind, whether its directory is whole, its
// entries and their bytes, and the bytes no entry uses.
int DescribeArchive(TToolState& tool, const std::string& archive, TJsonWriter* json) {
    std::optional<TLockedFile> file;
    TPakIndex index;
    if (!tool.OpenIndex(archive, file, index)) {
        if (json != nullptr)
            json->BeginObject()
                .Key("path")
                .String(archive)
                .Key("error")
                .String(Tr(kNotAPakFile))
                .EndObject();
        return kExitUnusable;
    }
    std::int64_t bytes = 0;
    for (const TPakEntry e : index.Entries)
        bytes += e.FileLength;
    const char* kind = PakLayoutOf(index.Kind).Name;
    const std::int64_t count = static_cast<std::int64_t>(index.Entries.size());
    if (json != nullptr) {
        json->BeginObject().Key("path").String(archive).Key("kind").String(kind);
        json->Key("complete").Bool(index.Complete);
        json->Key("count").Number(count);
        json->Key("bytes").Number(bytes).Key("size").Number(index.Identity.Size);
        json->Key("unused").Number(UnusedBytes(index)).EndObject();
    } else {
        const bool escapeAll = tool.Options().OutIsTerminal;
        // TRANSLATORS: info of an archive: its kind and size.
        tool.Out() << EscapeForTerminal(archive, escapeAll) << ":\n  "
                   << FormatText(TrPlural("{1}, {2} bytes", "{1}, {2} bytes", index.Identity.Size),
                                 Tr(kind), FormatThousands64(index.Identity.Size))
                   << "\n  "
                   << FormatText(index.Complete
                                     ? TrPlural("{1} entry, {2} bytes in all",
                                                "{1} entries, {2} bytes in all", count)
                                     : TrPlural("{1} entry, {2} bytes in all; the directory is "
                                                "cut short",
                                                "{1} entries, {2} bytes in all; the directory is "
                                                "cut short",
                                                count),
                                 FormatThousands64(count), FormatThousands64(bytes))
                   << "\n";
    }
    return index.Complete ? kExitOk : kExitProblems;
}

} // namespace

int InfoCommand(TToolState& tool, const std::vector<std::string>& args) {
    const TArgs a = Parse(args, "", {Flag("json", kOptJson)});
    if (const auto refused = tool.Refuse(a, kInfoHelp, !a.Positional.empty(),
                                         TrMark("info takes an archive and entry names, or "
                                                "archives")))
        return *refused;
    const bool json = a.Has(kOptJson);
    // What scripts read does not change with the language.
    std::optional<TEnglishTexts> english;
    if (json)
        english.emplace();
    TJsonWriter writer;
    int status = kExitOk;
    if (a.Positional.size() == 1 || AllArchives(a.Positional)) {
        if (json)
            writer.BeginObject().Key("archives").BeginArray();
        for (const std::string& archive : a.Positional) {
            try {
                status = std::max(status, DescribeArchive(tool, archive, json ? &writer : nullptr));
            } catch (const TFileInUseFailure&) {
                throw;
            } catch (const TFailure& e) {
                tool.Say(Reasoned(e));
                if (json)
                    writer.BeginObject()
                        .Key("path")
                        .String(archive)
                        .Key("error")
                        .String(Reasoned(e))
                        .EndObject();
                status = kExitUnusable;
            }
        }
        if (json)
            tool.Out() << writer.EndArray().EndObject().Text() << "\n";
        return status;
    }
    const std::string& archive = a.Positional[0];
    std::optional<TLockedFile> file;
    TPakIndex index;
    if (!tool.OpenIndex(archive, file, index))
        return kExitUnusable;
    status = index.Complete ? kExitOk : kExitProblems;
    if (json)
        writer.BeginObject().Key("path").String(archive).Key("entries").BeginArray();
    for (std::size_t n = 1; n < a.Positional.size(); ++n) {
        if (InterruptRequested() != 0)
            break;
        const std::string& name = a.Positional[n];
        const std::optional<std::size_t> found = FirstEntryNamed(index.Entries, name);
        if (!found) {
            tool.SayEntry(archive, name, Tr("no such entry"));
            if (json)
                writer.BeginObject()
                    .Key("name")
                    .String(name)
                    .Key("error")
                    .String(Tr("no such entry"))
                    .EndObject();
            status = kExitProblems;
            continue;
        }
        const TPakEntry entry = index.Entries[*found];
        TEntryView view;
        try {
            view = ViewEntry(entry, ReadWholeEntry(*file, entry));
        } catch (const TFailure& e) {
            if (json)
                writer.BeginObject()
                    .Key("name")
                    .String(entry.Name)
                    .Key("error")
                    .String(Reasoned(e))
                    .EndObject();
            if (tool.TellEntryFailure(archive, entry.Name, e, status))
                break;
            continue;
        }
        // Told from headers only, and a stop request ends even an entry of
        // a million lumps.
        const std::vector<std::string> lines = DescribeEntry(
            view.Kind, entry.Name, view.Bytes, [] { return InterruptRequested() != 0; });
        if (InterruptRequested() != 0)
            break;
        if (json) {
            writer.BeginObject().Key("name").String(entry.Name);
            writer.Key("length").Number(entry.FileLength).Key("position").Number(entry.FilePos);
            writer.Key("kind").String(lines.empty() ? "" : lines[0]).Key("lines").BeginArray();
            for (std::size_t l = 1; l < lines.size(); ++l)
                writer.String(lines[l]);
            writer.EndArray().EndObject();
            continue;
        }
        const bool escapeAll = tool.Options().OutIsTerminal;
        // TRANSLATORS: info of an entry: its name, length and position.
        tool.Out() << FormatText(TrPlural("{1}: {2} byte at {3}", "{1}: {2} bytes at {3}",
                                          entry.FileLength),
                                 EscapeName(entry.Name, escapeAll), entry.FileLength, entry.FilePos)
                   << "\n";
        for (const std::string& line : lines)
            tool.Out() << "  " << EscapeForTerminal(line, escapeAll) << "\n";
    }
    if (json)
        tool.Out() << writer.EndArray().EndObject().Text() << "\n";
    return status;
}

} // namespace zorvak
