// What tells one file, and one state of it, from another.
#pragma once

#include <cstdint>

namespace zorvak {

// Which file it is, its size, and when its contents and its inode last
// changed (nanoseconds).
struct TFileIdentity {
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::int64_t Size = 0;
    std::int64_t ModifiedNs = 0;
    std::int64_t ChangedNs = 0;

    bool SameFileAs(const TFileIdentity& other) const {
        return Device == other.Device && Inode == other.Inode;
    }
    // The same file with the same size and modification time: what an
    // archive must still be when its index is used.
    bool SameArchiveAs(const TFileIdentity& other) const {
        return SameFileAs(other) && Size == other.Size && ModifiedNs == other.ModifiedNs;
    }
    // Nothing about the file changed at all, its inode included.
    bool Unchanged(const TFileIdentity& other) const {
        return SameArchiveAs(other) && ChangedNs == other.ChangedNs;
    }
};

// Identity of an open descriptor. Throws TInOutFailure.
TFileIdentity IdentityOf(int fd);

} // namespace zorvak
