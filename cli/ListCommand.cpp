#include "archive/PakReader.h"
#include "archive/ZipFormat.h"
#include "cli/Commands.h"
#include "cli/HelpTexts.h"
#include "cli/Json.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <charconv>
#include <cstdint>

namespace zorvak {

namespace {

// How much of the listing is gathered before it is written: one write a
// piece rather than a stream operation a field.
constexpr std::size_t kListPiece = 64 * 1024;

// A number right-aligned in a field of width, as std::setw gives it.
void AppendField(std::string& out, std::int64_t value, std::size_t width) {
    char digits[24];
    const auto made = std::to_chars(digits, digits + sizeof digits, value);
    const auto n = static_cast<std::size_t>(made.ptr - digits);
    if (n < width)
        out.append(width - n, ' ');
    out.append(digits, n);
}

void Flush(std::ostream& out, std::string& piece, bool always = false) {
    if (always || piece.size() >= kListPiece) {
        out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        piece.clear();
    }
}

// How an entry's bytes are kept, as --json tells it.
std::string MethodOf(const TPakEntry& e) {
    if (e.Coding == nullptr || e.Coding->Method == TEntryMethod::emPlain)
        return "none";
    switch (e.Coding->Method) {
    case TEntryMethod::emStored:
        return "stored";
    case TEntryMethod::emDeflated:
        return "deflated";
    case TEntryMethod::emDaikatana:
        return "daikatana";
    default:
        return ZipMethodName(e.Coding->ZipMethod);
    }
}

void JsonEntries(std::ostream& out, TJsonWriter& json, const TPakIndex& index) {
    std::int64_t total = 0;
    json.Key("entries").BeginArray();
    for (const TPakEntry e : index.Entries) {
        json.BeginObject().Key("name").String(e.Name);
        json.Key("position").Number(e.FilePos).Key("length").Number(e.FileLength);
        json.Key("stored").Number(e.Coding != nullptr ? e.Coding->StoredLength : e.FileLength);
        json.Key("method").String(MethodOf(e)).EndObject();
        total += e.FileLength;
        Flush(out, json.Text());
    }
    json.EndArray().Key("count").Number(static_cast<std::int64_t>(index.Entries.size()));
    json.Key("bytes").Number(total);
}

} // namespace

int ListCommand(TToolState& tool, const std::vector<std::string>& args) {
    const TArgs a = Parse(args, "l0", {Flag("null", kOptNull), Flag("json", kOptJson)});
    const bool nulEnded = a.Has('0') || a.Has(kOptNull);
    const bool json = a.Has(kOptJson);
    const char* shape = a.Positional.empty()                  ? TrMark("list takes an archive")
                        : nulEnded && a.Positional.size() > 1 ? TrMark("list -0 takes one archive")
                        : nulEnded && json                    ? TrMark("list takes -0 or --json")
                                                              : nullptr;
    if (const auto refused = tool.Refuse(a, kListHelp, shape == nullptr, shape))
        return *refused;
    // What scripts read does not change with the language.
    std::optional<TEnglishTexts> english;
    if (json)
        english.emplace();
    std::ostream& out = tool.Out();
    const bool terminal = tool.Options().OutIsTerminal;
    const bool longForm = a.Has('l');
    const bool several = a.Positional.size() > 1;
    // A name may hold any byte but NUL, a newline too: NUL-ended lines
    // give each back whole to a script (the shell's completion reads
    // them so). A terminal is a person, and still sees escapes.
    const bool raw = nulEnded && !terminal;
    const char end = nulEnded ? '\0' : '\n';
    int status = kExitOk;
    TJsonWriter writer;
    std::string text;
    std::string& piece = json ? writer.Text() : text;
    piece.reserve(kListPiece + 1024);
    if (json)
        writer.BeginObject().Key("archives").BeginArray();
    for (std::size_t k = 0; k < a.Positional.size(); ++k) {
        const std::string& archive = a.Positional[k];
        std::optional<TLockedFile> file;
        TPakIndex index;
        bool opened = false;
        std::string failure;
        try {
            opened = tool.OpenIndex(archive, file, index);
            if (!opened)
                failure = Tr(kNotAPakFile);
        } catch (const TFileInUseFailure&) {
            throw;
        } catch (const TFailure& e) {
            // The next archive is still listed.
            failure = Reasoned(e);
            tool.Say(failure);
        }
        if (!opened) {
            status = std::max(status, kExitUnusable);
            if (json)
                writer.BeginObject()
                    .Key("path")
                    .String(archive)
                    .Key("error")
                    .String(failure)
                    .EndObject();
            continue;
        }
        if (!index.Complete)
            status = std::max(status, kExitProblems);
        if (json) {
            writer.BeginObject().Key("path").String(archive);
            writer.Key("kind").String(PakLayoutOf(index.Kind).Name);
            writer.Key("complete").Bool(index.Complete);
            JsonEntries(out, writer, index);
            writer.EndObject();
            continue;
        }
        if (several) {
            if (k > 0)
                piece += '\n';
            AppendForTerminal(piece, archive, terminal);
            piece += ":\n";
        }
        std::int64_t total = 0;
        for (const TPakEntry e : index.Entries) {
            if (longForm) {
                AppendField(piece, e.FilePos, 10);
                piece += ' ';
                AppendField(piece, e.FileLength, 10);
                piece += ' ';
            }
            if (raw)
                piece += e.Name;
            else
                AppendForTerminal(piece, e.Name, terminal, true);
            piece += end;
            total += e.FileLength;
            Flush(out, piece);
        }
        if (longForm) {
            piece += FormatText(
                TrPlural("{1} entries, {2} bytes", "{1} entries, {2} bytes", index.Entries.size()),
                index.Entries.size(), total);
            piece += end;
        }
    }
    if (json) {
        writer.EndArray().EndObject();
        piece += '\n';
    }
    Flush(out, piece, true);
    return status;
}

} // namespace zorvak
