#include "archive/PakExtract.h"
#include "archive/PakNames.h"
#include "cli/Commands.h"
#include "cli/HelpTexts.h"
#include "framework/Interrupt.h"
#include "framework/Translate.h"

#include <algorithm>
#include <cstdint>

namespace zorvak {

namespace {

// An entry's bytes to out through one buffer. What was written before a
// failure stays written (a pipe cannot take it back); the status says it
// is not the whole entry.
void CatEntry(std::ostream& out, const TLockedFile& file, const TPakEntry& entry) {
    std::vector<unsigned char> buffer(std::clamp<std::size_t>(
        static_cast<std::size_t>(std::max<std::int64_t>(entry.FileLength, 0)), 1,
        std::size_t{1} << 16));
    const bool whole =
        ReadEntryPieces(file, entry, buffer, [&out](std::span<const unsigned char> piece) {
            // The run's end tells a failed output once, for every command.
            return InterruptRequested() == 0 &&
                   static_cast<bool>(out.write(reinterpret_cast<const char*>(piece.data()),
                                               static_cast<std::streamsize>(piece.size())));
        });
    // Bytes rewritten in place while we read are no state the archive ever
    // had as a whole.
    if (whole && entry.FileLength > 0 &&
        !IdentityOf(file.Descriptor()).SameArchiveAs(file.Identity()))
        throw TArchiveChangedFailure(file.Path());
}

} // namespace

int CatCommand(TToolState& tool, const std::vector<std::string>& args) {
    const TArgs a = Parse(args, "");
    if (const auto refused = tool.Refuse(a, kCatHelp, a.Positional.size() == 2,
                                         TrMark("cat takes an archive and one entry name")))
        return *refused;
    const std::string& archive = a.Positional[0];
    const std::string& name = a.Positional[1];
    std::optional<TLockedFile> file;
    TPakIndex index;
    if (!tool.OpenIndex(archive, file, index))
        return kExitUnusable;
    const std::optional<std::size_t> found = FirstEntryNamed(index.Entries, name);
    if (!found) {
        tool.SayEntry(archive, name, Tr("no such entry"));
        return kExitProblems;
    }
    const TPakEntry entry = index.Entries[*found];
    try {
        CatEntry(tool.Out(), *file, entry);
    } catch (const TFailure& e) {
        tool.SayEntry(archive, std::string(entry.Name), Reasoned(e));
        return kExitProblems;
    }
    return index.Complete ? kExitOk : kExitProblems;
}

} // namespace zorvak
