// Extracting a plan on several threads: the entries of one folder all go
// to one thread, so that files are created in distinct folders at once and
// no two threads wait on one folder. What happened to each entry comes back
// to the caller's thread in the plan's order, so that what is told, and
// where a failure ends the run, are those of a run on one thread.
#pragma once

#include "archive/PakExtract.h"
#include "archive/PakExtractPlan.h"

#include <cstddef>
#include <exception>
#include <filesystem>
#include <functional>
#include <vector>

namespace zorvak {

// What became of one planned entry.
struct TLaneOutcome {
    enum TKind { okDone, okStopped, okFailed } Kind = okDone;
    std::exception_ptr Failure; // okFailed: what ExtractEntry threw
};

struct TLaneHooks {
    // Asked before each entry and between chunks on every thread: false
    // stops the run there (nothing half-written stays).
    std::function<bool()> Going;
    // On the caller's thread, for each planned entry that is not kept, in
    // the plan's order: false ends the run after it.
    std::function<bool(const TPlannedEntry&, const TLaneOutcome&)> Told;
};

// How many threads a run of entries many entries takes: every core (up to
// four), one for few entries, where threads would cost more than they give.
unsigned LanesFor(std::size_t entries);

// The folders of the entries, one lane each in turn of their first entry,
// lanes threads: for each planned entry, its lane.
std::vector<unsigned> AssignLanes(const TPakEntries& entries,
                                  const std::vector<TPlannedEntry>& planned, unsigned lanes);

// Extracts planned into target's destination on lanes threads, each with a
// target of its own on the same destination (journaled and flushed as
// target is) and a copier of its own reading ahead within its lane. target
// has been recovered. Returns false when a Told or Going stopped the run.
bool ExtractInLanes(TExtractTarget& target, const TLockedFile& archive, const TPakEntries& entries,
                    const std::vector<TPlannedEntry>& planned, unsigned lanes,
                    const TLaneHooks& hooks);

} // namespace zorvak
