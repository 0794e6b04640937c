// Looking entries up by name among many: one table of entry numbers over the
// index's own name block, exact or ignoring ASCII letter case.
#pragma once

#include "archive/PakReader.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace zorvak {

// What verify flags in a name and what this program never writes into one:
// a control byte (a terminal may act on it), and a level that begins or
// ends with a space (file systems trim or refuse it).
bool HasControlByte(std::string_view name);
bool HasSpaceAtLevelEdge(std::string_view name);

// The entry a user names: the first of exactly that name, else the first
// that differs only in ASCII letter case; none when there is neither. For a
// single look-up (a table is quicker for many).
std::optional<std::size_t> FirstEntryNamed(const TPakEntries& entries, std::string_view name);

// The entries a game reads: the first of each exact name, in the archive's
// order.
std::vector<std::size_t> FirstOfEachName(const TPakEntries& entries);

class TNameTable {
public:
    // A table for the entries of entries (which must outlive it), empty at
    // first; folded compares names without regard to ASCII letter case.
    TNameTable(const TPakEntries& entries, bool folded);

    // Adds entry i unless an earlier entry has the same name; returns that
    // entry's number, or -1 when i was added.
    std::int64_t Insert(std::size_t i);
    // The first added entry named name, or -1.
    std::int64_t Find(std::string_view name) const;

    // Both tables filled with every entry, for look-ups.
    static TNameTable Of(const TPakEntries& entries, bool folded);

private:
    std::uint64_t Hash(std::string_view name) const;
    bool Same(std::string_view a, std::string_view b) const;

    const TPakEntries* entries_;
    bool folded_;
    std::vector<std::uint32_t> slots_; // entry number + 1; 0 is free
    std::size_t mask_ = 0;
};

} // namespace zorvak
