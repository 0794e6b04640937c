#include "cli/Commands.h"
#include "cli/HelpTexts.h"

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

} // namespace

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
    std::string piece;
    piece.reserve(kListPiece + 1024);
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
        if (piece.size() >= kListPiece) {
            out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
            piece.clear();
        }
    }
    out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    if (longForm)
        out << index.Entries.size() << " entries, " << total << " bytes" << end;
    return index.Complete ? kExitOk : kExitProblems;
}

} // namespace zorvak
