// Directories held by descriptor, so nothing below them is reached through
// a link.
#pragma once

#include "framework/FileDescriptor.h"
#include "framework/FileIdentity.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvak {

// What a directory entry is.
enum class TFileKind { fkUnknown, fkRegular, fkDirectory, fkLink, fkOther };

// One entry of a listing; Kind as the listing tells it (fkUnknown when the
// file system does not say).
struct TDirEntry {
    std::string Name;
    TFileKind Kind = TFileKind::fkUnknown;
};

// An open directory. Levels below it are opened relative to its descriptor
// and never through a symbolic link, so what is written below it stays
// below it whatever the names say.
class TDirectory {
public:
    TDirectory() = default;
    // Opens path itself; links in it are followed, since the user named it.
    // Throws TInOutFailure for the open's errno.
    static TDirectory Open(const std::filesystem::path& path);

    // The sub-directory name, opened without following a link. A missing
    // one gives an empty TDirectory unless create is set, when it is made
    // (one another process made meanwhile is taken as it is). Throws
    // TLinkFailure for a link, and TInOutFailure for anything else in the
    // way or a creation refused (a file in the way: the errno of mkdir,
    // EEXIST).
    TDirectory Level(const std::string& name, bool create) const;
    // The same for a level known to be missing: made first, then opened.
    TDirectory MakeLevel(const std::string& name) const;

    // The same, for a walk that goes on past what cannot be opened: empty,
    // with the errno in err, for a level missing, a link or not a directory.
    TDirectory TryLevel(const std::string& name, int& err) const;

    // Every entry but "." and "..", in the file system's order, read at
    // once. Returns 0, or the errno of a listing that failed.
    int List(std::vector<TDirEntry>& entries) const;
    // What name is, a final link followed when follow is set. Returns 0, or
    // the errno of the look.
    int StatusOf(const std::string& name, bool follow, TFileKind& kind,
                 TFileIdentity& identity) const;
    // The directory's own identity. Throws TInOutFailure.
    TFileIdentity Identity() const { return IdentityOf(Get()); }

    // Bytes that may still be written below this directory.
    std::int64_t FreeBytes() const;
    // Has the names made, replaced or removed in this directory reach the
    // disk: a rename is only durable once its directory is. Throws
    // TInOutFailure for a write error the flush reports.
    void Flush() const;
    // Has every file written on this directory's file system reach the disk.
    // Throws TInOutFailure. Only where CanFlushFileSystem() says so.
    void FlushFileSystem() const;

    explicit operator bool() const { return static_cast<bool>(fd_); }
    int Get() const { return fd_.Get(); }
    // The path the directory was reached by, for messages.
    const std::filesystem::path& Path() const { return path_; }

private:
    TDirectory(TFileDescriptor fd, std::filesystem::path path)
        : fd_(std::move(fd)), path_(std::move(path)) {}
    TFileDescriptor fd_;
    std::filesystem::path path_;
};

// Directories below a root, each level opened from the one above without
// following a link. The levels of the last call stay open, so paths taken in
// tree order open each directory once.
class TDirectoryChain {
public:
    explicit TDirectoryChain(TDirectory root) : root_(std::move(root)) {}

    // The directory levels[0..count) below the root. A missing level is made
    // when make is set, unless more than maxMissing are missing (then "File
    // not found" and nothing is made), and is "File not found" otherwise.
    // Throws TLinkFailure for a link met, and TInOutFailure otherwise.
    const TDirectory& Open(const std::string_view* levels, std::size_t count, bool make,
                           std::size_t maxMissing);

    const TDirectory& Root() const { return root_; }

private:
    TDirectory root_;
    std::vector<std::string> names_;
    std::vector<TDirectory> chain_;
};

// Whether the system flushes a whole file system in one call; where it
// does not, files are flushed one by one.
bool CanFlushFileSystem();

} // namespace zorvak
