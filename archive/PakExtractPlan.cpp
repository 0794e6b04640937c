#include "archive/PakExtractPlan.h"

#include "archive/PakExtract.h"
#include "archive/PakVerify.h"
#include "framework/Failures.h"
#include "framework/Text.h"

#include <algorithm>
#include <set>
#include <string_view>
#include <utility>

namespace zorvak {

namespace {

// Whether something other than a directory is at path already (a link
// counts as itself, not as what it points at).
bool FileIsThere(const std::filesystem::path& path) {
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(path, ec);
    return !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

// The file an entry would be written to when it is there already, decided
// before anything is written. None for a name that has no place below dir:
// the extraction refuses it with the reason.
std::optional<std::filesystem::path> ExistingFile(const std::filesystem::path& dir,
                                                  std::string_view name) {
    std::filesystem::path path;
    try {
        path = EntryOutputPathIn(dir, name);
    } catch (const TFailure&) {
        return std::nullopt;
    }
    if (!FileIsThere(path))
        return std::nullopt;
    return path;
}

TExtractOverlap OverlapOf(const TPakEntries& entries, const std::vector<TPlannedEntry>& planned) {
    std::vector<std::pair<std::int64_t, std::int64_t>> spans;
    TExtractOverlap overlap;
    for (const TPlannedEntry& p : planned) {
        const TPakEntry e = entries[p.Entry];
        if (!p.Kept && e.FileLength > 0 && e.FilePos >= 0) {
            // A coded entry's span is its coded bytes.
            spans.emplace_back(e.FilePos, StoredEnd(e));
            overlap.Written += e.FileLength;
        }
    }
    std::sort(spans.begin(), spans.end());
    std::int64_t reach = -1;
    for (const auto& [begin, end] : spans) {
        if (begin < reach)
            ++overlap.Shared;
        overlap.Distinct += std::max<std::int64_t>(0, end - std::max(begin, reach));
        reach = std::max(reach, end);
    }
    return overlap;
}

} // namespace

// From the last entry back: each copied entry's run reaches as far as the
// next copied one's when that one is small and starts where it ends. A
// kept entry is never read by the copier, so it neither joins nor breaks
// a run.
void SetReadAheadEnds(const TPakEntries& entries, std::vector<TPlannedEntry>& planned) {
    const TPlannedEntry* next = nullptr;
    for (std::size_t k = planned.size(); k-- > 0;) {
        TPlannedEntry& p = planned[k];
        const TPakEntry e = entries[p.Entry];
        const std::int64_t end = std::int64_t{e.FilePos} + e.FileLength;
        p.ReadAheadTo = end;
        // A coded entry is read by its decoder, never out of the window.
        if (p.Kept || e.Coding != nullptr)
            continue;
        if (next != nullptr) {
            const TPakEntry n = entries[next->Entry];
            if (n.Coding == nullptr && n.FilePos == end && n.FileLength >= 0 &&
                static_cast<std::size_t>(n.FileLength) <= kSmallEntry)
                p.ReadAheadTo = next->ReadAheadTo;
        }
        next = &p;
    }
}

void TExtractPlan::CheckRoom(const TDirectory& dir) const {
    CheckRoomFor(dir, Bytes);
}

TExtractPlan PlanExtraction(const TPakEntries& entries, const TExtractRequest& request) {
    TExtractPlan plan;
    const std::set<std::string, std::less<>> wanted(request.Names.begin(), request.Names.end());
    std::set<std::string_view, std::less<>> found;
    std::vector<bool> matched(request.Patterns.size(), false);
    TSameFileTable seen(entries);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TPakEntry entry = entries[i];
        bool take = request.All || (i < request.Rows.size() && request.Rows[i]);
        if (!wanted.empty() && wanted.find(entry.Name) != wanted.end()) {
            take = true;
            found.insert(entry.Name);
        }
        // Every pattern is tried, so each one that matches is known.
        for (std::size_t p = 0; p < request.Patterns.size(); ++p)
            if (GlobMatches(request.Patterns[p], entry.Name)) {
                matched[p] = true;
                take = true;
            }
        if (!take)
            continue;
        std::size_t first = 0;
        const TSameFileTable::TSeen known = seen.Insert(i, first);
        if (known == TSameFileTable::TSeen::ssRepeated) {
            if (plan.Repeated++ < kProblemRepeatsShown)
                plan.Notes.push_back({TExtractNoteKind::enRepeated, i, first, {}});
            continue;
        }
        if (known == TSameFileTable::TSeen::ssSameFile) {
            // Written, it would take the place of the one the game reads.
            if (plan.SameFile++ < kProblemRepeatsShown)
                plan.Notes.push_back({TExtractNoteKind::enSameFile, i, first, {}});
            continue;
        }
        if (request.KeepExistingIn) {
            if (auto path = ExistingFile(*request.KeepExistingIn, entry.Name)) {
                plan.Notes.push_back({TExtractNoteKind::enKept, i, i, std::move(*path)});
                if (request.ListKept)
                    plan.Entries.push_back({i, true, 0});
                continue;
            }
        }
        plan.Entries.push_back({i, false, 0});
        plan.Bytes += std::max<std::int64_t>(0, entry.FileLength);
    }
    for (const std::string& name : wanted)
        if (found.find(name) == found.end())
            plan.Missing.push_back(name);
    for (std::size_t p = 0; p < request.Patterns.size(); ++p)
        if (!matched[p])
            plan.Unmatched.push_back(request.Patterns[p]);
    SetReadAheadEnds(entries, plan.Entries);
    plan.Overlap = OverlapOf(entries, plan.Entries);
    return plan;
}

} // namespace zorvak
