// Planning an extraction: what a request asks for turned into the entries a
// run writes, in the archive's order, and all that is known of the run
// before its first byte is written: names and patterns that found nothing,
// entries passed over (a name stored again, another name for one file),
// files kept as they are, the bytes needed and how far the copier may read
// ahead. zorvak-pak's extract and the window's commands beyond the buttons
// run the one plan; each tells its facts in its own words.
#pragma once

#include "archive/PakReader.h"
#include "framework/Files.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zorvak {

// What the user asked for: the entries any of the first four take, none
// when none does.
struct TExtractRequest {
    bool All = false;                  // every entry
    std::vector<bool> Rows;            // entry i when Rows[i] (the window's selection)
    std::vector<std::string> Names;    // the entries of exactly these names
    std::vector<std::string> Patterns; // those whose names match one (GlobMatches)
    // Set: a file already at an entry's place below this directory is kept
    // rather than replaced (--no-clobber), so it needs no room.
    std::optional<std::filesystem::path> KeepExistingIn;
    // Kept entries stay in the plan's list, flagged: extract --png still
    // writes their pictures.
    bool ListKept = false;
};

struct TPlannedEntry {
    std::size_t Entry = 0; // its number in the index
    bool Kept = false;     // its file is there and stays
    // Where the run of small entries copied back to back from this one
    // ends: the copier reads ahead no further (TEntryCopier::ReadAheadTo).
    std::int64_t ReadAheadTo = 0;
};

// What is told of the entries asked for, in the archive's order.
enum class TExtractNoteKind : std::uint8_t {
    enKept,     // its file is there and stays (Path)
    enRepeated, // its name is stored again; First is written
    enSameFile, // another name for First's file on this system; First is written
};

struct TExtractNote {
    TExtractNoteKind Kind = TExtractNoteKind::enKept;
    std::size_t Entry = 0;
    std::size_t First = 0;
    std::filesystem::path Path;
};

// Entries that share bytes: valid, but the output may be far larger than
// the archive.
struct TExtractOverlap {
    std::int64_t Shared = 0;   // entries that begin inside an earlier one's bytes
    std::int64_t Distinct = 0; // bytes of the archive the written entries span
    std::int64_t Written = 0;  // bytes they extract to
};

struct TExtractPlan {
    std::vector<TPlannedEntry> Entries;
    // Every kept file; of the passed-over entries of each kind the first
    // kProblemRepeatsShown (a damaged directory may repeat a name millions
    // of times), counted in full below.
    std::vector<TExtractNote> Notes;
    std::int64_t Repeated = 0;
    std::int64_t SameFile = 0;
    std::vector<std::string> Missing;   // names no entry has, in byte order, once each
    std::vector<std::string> Unmatched; // patterns that matched nothing, in the order given
    std::int64_t Bytes = 0;             // what the entries written need
    TExtractOverlap Overlap;

    // Whether every entry asked for is written or kept as it is: another
    // name for a file taken already, a name or a pattern that found
    // nothing, is a failure of the run.
    bool Complete() const { return SameFile == 0 && Missing.empty() && Unmatched.empty(); }

    // Refuses, before anything is written, a run that needs more bytes than
    // dir has free: CheckRoomFor's "Disk full" with both figures.
    void CheckRoom(const TDirectory& dir) const;
};

// Of names stored more than once the first entry is taken, as the game
// reads it, and so is the first of names that make one file here. Looks
// below KeepExistingIn for files, a link counting as itself; a name that
// has no place there is left to the extraction, which tells why.
TExtractPlan PlanExtraction(const TPakEntries& entries, const TExtractRequest& request);

// Sets each entry's ReadAheadTo for a copier that takes planned in its
// order: the end of the run of small entries lying back to back from it.
void SetReadAheadEnds(const TPakEntries& entries, std::vector<TPlannedEntry>& planned);

} // namespace zorvak
