// grep: the entries whose bytes match a pattern, line by line as grep reads
// files, PAK and ZIP alike.
#include "archive/PakExtract.h"
#include "archive/PakNames.h"
#include "cli/Commands.h"
#include "cli/HelpTexts.h"
#include "framework/Interrupt.h"
#include "framework/Text.h"
#include "framework/TextPattern.h"
#include "framework/Translate.h"

#include <algorithm>
#include <cstring>

namespace zorvak {

namespace {

constexpr std::size_t kPiece = 64 * 1024;
// An entry holding a NUL byte within its first bytes is binary, as grep
// judges files.
constexpr std::size_t kBinaryHead = 32 * 1024;
// A line is held whole to be searched; a longer one is searched in pieces
// of this size, so no entry can make a run hold more.
constexpr std::size_t kLongestLine = 64 * 1024 * 1024;

// One entry's lines searched as its pieces arrive. Text entries print each
// matching line; a binary one prints one line at its first match (a NUL ends
// a line there too, so a long run of zeros is no long line).
class TEntryGrep {
public:
    TEntryGrep(TToolState& tool, const TTextPattern& pattern, std::string_view name)
        : tool_(tool), pattern_(pattern), name_(name) {}

    // False once nothing more can be told of the entry.
    bool Take(std::span<const unsigned char> piece) {
        if (InterruptRequested() != 0)
            return false;
        const std::string_view bytes(reinterpret_cast<const char*>(piece.data()), piece.size());
        if (seen_ < kBinaryHead &&
            bytes.substr(0, kBinaryHead - seen_).find('\0') != std::string_view::npos)
            binary_ = true;
        seen_ += bytes.size();
        std::size_t from = 0;
        while (from < bytes.size()) {
            const std::size_t end = binary_ ? bytes.find_first_of(std::string_view("\n\0", 2), from)
                                            : bytes.find('\n', from);
            if (end == std::string_view::npos) {
                line_.append(bytes.substr(from));
                if (line_.size() >= kLongestLine && !Line(line_))
                    return false;
                break;
            }
            // A line begun in an earlier piece is joined; else it is
            // searched where it lies.
            std::string_view line = bytes.substr(from, end - from);
            if (!line_.empty())
                line = line_.append(line);
            if (!Line(line))
                return false;
            from = end + 1;
        }
        return true;
    }

    // The last line, which no newline ends.
    void Finish() {
        if (!line_.empty())
            Line(line_);
    }

    bool Matched() const { return matched_; }

private:
    // Searches one line, then lets go of what was held; false when a
    // binary entry has told its match.
    bool Line(std::string_view line) {
        ++number_;
        const bool hit = pattern_.Matches(line);
        if (hit) {
            matched_ = true;
            if (binary_) {
                tool_.Out() << FormatText(Tr("Binary entry {1} matches"),
                                          EscapeName(name_, tool_.Options().OutIsTerminal))
                            << "\n";
                line_.clear();
                return false;
            }
            Print(line);
        }
        line_.clear();
        return true;
    }

    void Print(std::string_view line) {
        const bool terminal = tool_.Options().OutIsTerminal;
        std::string text = EscapeName(name_, terminal) + ":" + std::to_string(number_) + ":";
        // A pipe gets the line's bytes as they are, as grep gives them; a
        // terminal gets no byte that could drive it (a CR ending a DOS line
        // is left out there).
        if (terminal) {
            if (line.ends_with('\r'))
                line.remove_suffix(1);
            AppendForTerminal(text, line, true);
        } else {
            text += line;
        }
        text += '\n';
        tool_.Out() << text;
    }

    TToolState& tool_;
    const TTextPattern& pattern_;
    std::string_view name_;
    std::string line_;
    std::size_t seen_ = 0;
    std::size_t number_ = 0;
    bool binary_ = false;
    bool matched_ = false;
};

} // namespace

int GrepCommand(TToolState& tool, const std::vector<std::string>& args) {
    const TArgs a = Parse(args, "iFE");
    if (const auto refused = tool.Refuse(a, kGrepHelp, a.Positional.size() >= 2,
                                         TrMark("grep takes a pattern and an archive")))
        return *refused;
    if (a.Has('F') && a.Has('E'))
        return tool.Usage(Tr("grep takes one of -F and -E"));
    const TPatternSyntax syntax = a.Has('F')   ? TPatternSyntax::psFixed
                                  : a.Has('E') ? TPatternSyntax::psExtended
                                               : TPatternSyntax::psBasic;
    std::optional<TTextPattern> pattern;
    try {
        pattern.emplace(a.Positional[0], syntax, a.Has('i'));
    } catch (const TFailure& e) {
        return tool.Usage(e.what());
    }
    const std::string& archive = a.Positional[1];
    const std::vector<std::string> names(a.Positional.begin() + 2, a.Positional.end());
    std::optional<TLockedFile> file;
    TPakIndex index;
    if (!tool.OpenIndex(archive, file, index))
        return kExitUnusable;

    bool matched = false;
    bool failed = !index.Complete;
    std::vector<unsigned char> buffer(kPiece);
    for (const std::size_t i : FirstOfEachName(index.Entries)) {
        const TPakEntry& entry = index.Entries[i];
        if (!names.empty() && std::none_of(names.begin(), names.end(), [&](const std::string& n) {
                return GlobMatches(n, entry.Name);
            }))
            continue;
        if (InterruptRequested() != 0)
            break;
        TEntryGrep grep(tool, *pattern, entry.Name);
        try {
            if (ReadEntryPieces(*file, entry, buffer,
                                [&grep](std::span<const unsigned char> p) { return grep.Take(p); }))
                grep.Finish();
            if (!IdentityOf(file->Descriptor()).SameArchiveAs(file->Identity()))
                throw TArchiveChangedFailure(file->Path());
        } catch (const TFailure& e) {
            int status = kExitOk;
            failed = true;
            if (tool.TellEntryFailure(archive, entry.Name, e, status))
                break;
        }
        matched = matched || grep.Matched();
    }
    // grep's statuses: a failure outweighs what was found.
    if (failed)
        return kExitUnusable;
    return matched ? kExitOk : kExitProblems;
}

} // namespace zorvak
