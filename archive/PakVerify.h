// Checks an archive for what would break it in a game engine: names the
// engine cannot find or store, data outside the file or overlapping, and the
// original engine's limits.
#pragma once

#include "archive/PakFormat.h"
#include "framework/Streams.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zorvak {

// A problem met at more entries than this is told for the first ones and
// then counted, so a damaged directory of millions of entries gives a
// readable report.
inline constexpr int kProblemRepeatsShown = 10;

struct TPakProblem {
    int Entry = -1;   // index in the directory, -1 for the archive as a whole
    std::string Name; // the entry's name as stored (bytes up to the first NUL)
    std::string Text; // what is wrong, one line
    // Set on a last line of a kind: how many more entries have it, untold.
    std::int64_t More = 0;
};

struct TPakReport {
    bool Usable = true; // false: not an archive at all, nothing else was checked
    std::int32_t Entries = 0;
    std::vector<TPakProblem> Problems;
    // Every problem found, the untold repeats included.
    std::int64_t Total = 0;
    // Bytes that neither the header, the directory nor an entry uses: what
    // edits leave behind until the archive is compacted, never damage.
    std::int64_t Unused = 0;
};

// Reads the whole directory of stream and reports the problems found, in
// directory order, the archive's own first.
TPakReport VerifyPak(TStream& stream);

} // namespace zorvak
