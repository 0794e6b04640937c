// Files as the program opens them: archives for reading without sharing,
// directories held by descriptor so nothing is reached through a link, and
// outputs that replace what was there only once they are complete.
#pragma once

#include "framework/Streams.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zorvak {

// A descriptor that closes itself.
class TFileDescriptor {
public:
    TFileDescriptor() = default;
    explicit TFileDescriptor(int fd) : fd_(fd) {}
    ~TFileDescriptor() { Reset(); }
    TFileDescriptor(TFileDescriptor&& other) noexcept : fd_(other.Release()) {}
    TFileDescriptor& operator=(TFileDescriptor&& other) noexcept;
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;

    int Get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int Release() noexcept;
    void Reset(int fd = -1) noexcept;
    // Closes now; returns 0, or the errno of a delayed write error.
    int Close() noexcept;

private:
    int fd_ = -1;
};

// What tells one state of a file from another: which file it is, its size,
// and when its contents and its inode last changed (nanoseconds).
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

class TDirectory;

enum class TShareMode {
    smExclusive, // no one else may open it while we hold it
    smShared,    // others may read it too, no one may hold it exclusively
    smUnlocked,  // no lock: the caller checks the file's identity instead
};

// A regular file opened for reading under an advisory lock, taken without
// waiting. Throws TFileOpenFailure when the file is missing, not a regular
// file or, exclusively opened, locked; a shared open of a file someone holds
// exclusively throws TFileInUseFailure.
class TLockedFile : public TStream {
public:
    explicit TLockedFile(const std::filesystem::path& path,
                         TShareMode mode = TShareMode::smExclusive);
    // The file name in dir (a final link is followed); path is for messages.
    TLockedFile(const TDirectory& dir, const std::string& name, std::string_view path,
                TShareMode mode = TShareMode::smExclusive);
    TLockedFile(const TLockedFile&) = delete;
    TLockedFile& operator=(const TLockedFile&) = delete;

    std::size_t Read(void* buffer, std::size_t n) override;
    // Read-only: always throws.
    void Write(const void* buffer, std::size_t n) override;
    std::int64_t Seek(std::int64_t position) override;
    std::int64_t Position() const override { return position_; }
    std::int64_t Size() const override { return identity_.Size; }

    // Reads up to n bytes at position without moving Position(); returns
    // fewer only at the end of the file.
    std::size_t ReadAt(std::int64_t position, void* buffer, std::size_t n) const;

    // Made ready to be replaced by a rename over its name: Windows refuses
    // to replace a file that is open, so the file is closed there (and no
    // longer readable); Linux keeps it open and locked until the rename.
    void ReadyForReplacing();
    // Whether the file may be moved by this open (held exclusively): an edit
    // then moves it aside itself rather than replace it by its name.
    bool CanBeMoved() const { return mode_ == TShareMode::smExclusive; }

    // For messages: kept as plain bytes, a path object per file opened costs.
    std::filesystem::path Path() const { return path_; }
    // The file as it was when opened.
    const TFileIdentity& Identity() const { return identity_; }
    int Descriptor() const { return fd_.Get(); }

private:
    void Take(TShareMode mode);

    std::string path_;
    TFileDescriptor fd_;
    TFileIdentity identity_;
    std::int64_t position_ = 0;
    TShareMode mode_ = TShareMode::smExclusive;
};

// Throws TArchiveChangedFailure unless file is still the archive whose
// index was read (same file, size and modification time).
void CheckSameArchive(const TLockedFile& file, const TFileIdentity& indexed);

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

// Whether name is one of the temporaries this program writes beside its
// outputs (a leftover of a run that was killed).
bool IsTemporaryName(std::string_view name);
// The number of the process that made the temporary name, or 0 when the
// name does not tell.
unsigned TemporaryOwner(std::string_view name);

// A temporary that no live process holds: left by a run that was stopped.
struct TLeftover {
    std::string Name;
    TFileIdentity Identity;
};

// The temporaries in dir whose process has ended and which no process
// holds open (a writer keeps its temporary locked, or on Windows unshared,
// while it writes). Whatever cannot be listed or looked at is passed over.
std::vector<TLeftover> FindLeftovers(const TDirectory& dir);
// Removes the leftover from dir, unless another file has taken its name
// since it was found. True when it is gone.
bool RemoveLeftover(const TDirectory& dir, const TLeftover& leftover);

// A small file of the process's own in a directory, named as a temporary
// and mapped into memory: what the process stores in it is in the file at
// once, without a system call, and stays there whatever ends the process
// (a power loss aside). Held locked, so no other run takes it for a
// leftover, and removed when dropped.
class TMappedTemporary {
public:
    // Throws TFileCreateFailure (naming the directory) when it cannot be
    // made or mapped.
    TMappedTemporary(const TDirectory& dir, std::size_t size);
    ~TMappedTemporary();
    TMappedTemporary(const TMappedTemporary&) = delete;
    TMappedTemporary& operator=(const TMappedTemporary&) = delete;

    unsigned char* Bytes() const { return bytes_; }
    std::size_t Size() const { return size_; }
    const std::string& Name() const { return name_; }

private:
    const TDirectory& dir_;
    std::string name_;
    TFileDescriptor fd_;
    std::intptr_t mapping_ = 0; // the system's own handle where it has one
    unsigned char* bytes_ = nullptr;
    std::size_t size_ = 0;
};

// An output file in a directory that appears under its name complete or not
// at all. A name that is free is created directly (and removed again when
// the output is dropped without Commit()); a name that is taken, or every
// name with omAlwaysBeside, is written beside under a temporary name and
// renamed over the target by Commit(), so an older file there stays whole
// until then. A link at the name is replaced, never followed. Throws
// TFileCreateFailure (naming the target) when the target is a directory or
// a file we may not write, or nothing can be created.
enum class TOutputMode {
    omReplace,      // a free name directly, a taken one written beside and renamed over
    omAlwaysBeside, // every name written beside and renamed over
    omKeep,         // a taken name is left as it is: TFileExistsFailure
};

class TOutputFile : public TStream {
public:
    TOutputFile(const TDirectory& dir, const std::string& name,
                TOutputMode mode = TOutputMode::omReplace);
    ~TOutputFile() override;
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    // Write-only: always returns 0.
    std::size_t Read(void* buffer, std::size_t n) override;
    void Write(const void* buffer, std::size_t n) override;
    std::int64_t Seek(std::int64_t position) override;
    std::int64_t Position() const override { return position_; }
    std::int64_t Size() const override { return size_; }

    // Closes the output and gives it its name. An output written beside an
    // older file is flushed to disk first, so the name never shows a file
    // whose bytes a crash could still take away. Throws TFileCreateFailure
    // when the rename is refused, TInOutFailure for a delayed write error.
    void Commit();
    // Gives the output the name of the file held open as held, but only
    // while that name still holds held's file: the two are swapped in one
    // step and what was swapped out is looked at. A file that took the name
    // meanwhile stays there whole, the output is removed, and the answer is
    // false. On true the held file has no name left (its bytes go when it is
    // closed). Throws as Commit does.
    bool CommitOver(TLockedFile& held);

    // Gives the output the owner (where allowed) and permission bits of
    // another file: best effort, the bytes are what matter.
    void TakeOwnerAndModeOf(const TLockedFile& other);
    // Has the bytes written reach the disk before the rename shows them.
    // Throws TInOutFailure.
    void Flush();

    // The file that was at the name before (Device 0 when it was free).
    const TFileIdentity& Replaced() const { return replaced_; }
    // For copies made by the kernel; the position moves by what they wrote.
    int Descriptor() const { return fd_.Get(); }
    void Advance(std::int64_t n);
    std::filesystem::path Target() const { return dir_.Path() / name_; }
    // Name of what is being written: the target itself, or the temporary.
    const std::string& WrittenName() const { return written_; }
    // Whether it is written beside the target, under a temporary name.
    bool Beside() const { return written_ != name_; }

private:
    // Opens a fresh temporary beside the target as written_.
    void CreateTemporary();
    // Closes the descriptor, first flushing what will replace an older
    // file; on a failure the output is discarded and the failure thrown.
    void Close();
    void Discard() noexcept;

    const TDirectory& dir_;
    std::string name_;
    std::string written_;
    TFileDescriptor fd_;
    TFileIdentity replaced_;
    std::int64_t size_ = 0;
    std::int64_t position_ = 0;
    bool flushed_ = false; // nothing written since the last Flush()
};

// An output named by its path, always written beside and renamed over,
// durably.
class TAtomicFile : public TStream {
public:
    explicit TAtomicFile(const std::filesystem::path& target);

    std::size_t Read(void* buffer, std::size_t n) override { return out_.Read(buffer, n); }
    void Write(const void* buffer, std::size_t n) override { out_.Write(buffer, n); }
    std::int64_t Seek(std::int64_t position) override { return out_.Seek(position); }
    std::int64_t Position() const override { return out_.Position(); }
    std::int64_t Size() const override { return out_.Size(); }
    // Flushes the bytes, renames them over the target and flushes the
    // folder, so that after a crash the name holds the old file or the new
    // one, never an empty one.
    void Commit();

    const std::filesystem::path& Target() const { return target_; }
    std::filesystem::path TempPath() const { return dir_.Path() / out_.WrittenName(); }

private:
    std::filesystem::path target_;
    TDirectory dir_;
    TOutputFile out_;
};

// What path is now (a final link followed when follow); false when nothing
// is there.
bool StatusAt(const std::filesystem::path& path, bool follow, TFileKind& kind,
              TFileIdentity& identity);
// The absolute path of what path names, every link on the way followed;
// false when nothing is there.
bool RealPath(const std::filesystem::path& path, std::filesystem::path& real);
// Whether someone holds the regular file at path so that an exclusive open
// is refused (a lock on Linux, a share mode on Windows).
bool HeldByAnother(const std::filesystem::path& path);
// Whether this process may read the file at path.
bool CanRead(const std::filesystem::path& path);
// Whether this process may make files in the directory at path.
bool CanWrite(const std::filesystem::path& path);

// Whether the system flushes a whole file system in one call; where it
// does not, files are flushed one by one.
bool CanFlushFileSystem();

// Whether path is a directory now (a final link followed).
bool IsDirectory(const std::filesystem::path& path);
// Makes the directory path, whose parent must exist; one that is there
// already is fine. Throws TInOutFailure for the errno of a refusal.
void MakeDirectory(const std::filesystem::path& path);
// The names of the sub-directories of dir and of the links to directories
// in it, hidden ones too, in the file system's order; none when dir cannot
// be listed.
std::vector<std::string> SubdirectoryNames(const std::filesystem::path& dir);
// Makes dir the program's current directory. Throws TInOutFailure.
void ChangeDirectory(const std::filesystem::path& dir);

// The identity of what is at path now (of a final link itself unless
// follow); false when nothing is there.
bool IdentityAt(const std::filesystem::path& path, TFileIdentity& identity, bool follow = false);
// The same for name in dir, a final link followed.
bool IdentityAt(const TDirectory& dir, const std::string& name, TFileIdentity& identity);

} // namespace zorvak
