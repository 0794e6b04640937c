// What differs between the systems the program runs on, below the file
// classes: small calls on descriptors and on names in a directory held
// open, and the few questions whose answer is the system's own. The file
// classes (framework/*.cpp) hold what an output, a locked file, a directory
// or a temporary does; each system's folder (linux/, win32/) implements
// this header and nothing else, so another system would implement it too.
//
// Names below are single levels in the directory held by dir, never
// reached through a link at the name unless follow says so. Calls that
// return int return 0, or the errno value of what was refused (Windows
// gives the errno of the same meaning).
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zorvak {

struct TDirEntry;
struct TFileIdentity;
enum class TFileKind;
enum class TShareMode;

// A write refused for the user's quota; systems without one by errno say
// the disk is full instead.
#ifdef EDQUOT
inline constexpr int kQuotaErrno = EDQUOT;
#else
inline constexpr int kQuotaErrno = ENOSPC;
#endif

// What a hold refused because another holds the file reports.
inline constexpr int kHeldErrno = EWOULDBLOCK;

// ---- Processes

unsigned ProcessNumber();
// Whether a process numbered pid runs on this system now.
bool ProcessAlive(unsigned pid);

// ---- Descriptors

// Closes fd; the errno of a delayed write error the close reports, or 0.
int CloseDescriptor(int fd);
// What the open fd is: its kind (fkOther for what is no file on a disk:
// a pipe, a device) and identity.
int StatusOfDescriptor(int fd, TFileKind& kind, TFileIdentity& identity);
// Moves up to n bytes between buffer and the file at position: the count
// moved, 0 at the end of the file, or -1 with the errno in err (EINTR: ask
// again).
std::int64_t ReadSome(int fd, std::int64_t position, void* buffer, std::size_t n, int& err);
std::int64_t WriteSome(int fd, std::int64_t position, const void* buffer, std::size_t n, int& err);
// Has what was written to fd reach the disk.
int FlushFile(int fd);
// Holds the file open as fd as mode asks, without waiting: a lock where
// the system needs one (where the open's share mode holds it, nothing to
// do). kHeldErrno when another holds it.
int HoldFile(int fd, TShareMode mode);
// Gives to the owner (where allowed) and permission bits of from, where
// the system has them; best effort.
void CopyOwnerAndMode(int from, int to);

// Copies up to n bytes of the file from at in to the file to at at without
// bringing them into the process, and moves both positions by what it
// copied. Returns that count, 0 at the end of from, or -1 with the errno in
// err (ENOSYS where the system has no such copy: use a buffer instead).
std::int64_t KernelCopy(int from, std::int64_t& in, int to, std::int64_t& at, std::size_t n,
                        int& err);
// The same through the kernel's file-to-stream copy, which also works where
// KernelCopy refuses two files on different file systems. Moves to's own
// file position as well.
std::int64_t StreamCopy(int from, std::int64_t& in, int to, std::int64_t& at, std::size_t n,
                        int& err);

// ---- Opening

// Opens a file for reading, a final link followed, held as mode asks where
// the open itself holds it (a share mode): the descriptor, or -1 with the
// errno in err, kHeldErrno when another's hold refuses the open. Neither
// hangs on a FIFO. The one in dir throws TInOutFailure where the system
// cannot name dir.
int OpenForReading(const std::filesystem::path& path, TShareMode mode, int& err);
int OpenForReadingAt(int dir, const std::string& name, TShareMode mode, int& err);
// Opens name, never a link at it, so that it may be removed by
// RemoveByDescriptor where the system can; a writer that still has it open
// refuses this where its share mode does.
int OpenForRemoving(int dir, const std::string& name, int& err);

// Opens the regular file name (never a link at it) to be written in place,
// but only where no other name leads to it (a hard link would see the
// change) and the system lets a second open write a file held open: the
// descriptor, or -1 with the errno in err (EMLINK for another name, ENOSYS
// where the system cannot).
int OpenForUpdatingAt(int dir, const std::string& name, int& err);
// Cuts the file open as fd to size bytes.
int CutFile(int fd, std::int64_t size);

// What a new file is for: an output written in one go, or a small file of
// the process's own that it maps (read and written, kept to the process).
enum class TNewFile { nfOutput, nfMapped };
// Creates name for writing, never through a link at the name: the new
// descriptor, or -1 with taken set when something has the name already.
int CreateExclusive(int dir, const std::string& name, TNewFile use, bool& taken);

// Opens the directory path (links followed, the user named it): the
// descriptor, or -1 with the errno in err.
int OpenDirectory(const std::filesystem::path& path, int& err);
// What opening a level below a directory met.
enum class TLevelLook { llDirectory, llMissing, llLink, llOther, llFailed };
// Opens the directory name, held so that it stays where it is: the
// descriptor when look is llDirectory, else -1 with the errno the system
// gave in err. Throws TInOutFailure where the level cannot be looked at.
int OpenLevel(int dir, const std::string& name, TLevelLook& look, int& err);

// ---- Names

// What name is; kind and identity when it is there. Throws TInOutFailure
// where the system cannot name dir.
int StatusOfName(int dir, const std::string& name, bool follow, TFileKind& kind,
                 TFileIdentity& identity);
// The same by path.
int StatusOfPath(const std::filesystem::path& path, bool follow, TFileKind& kind,
                 TFileIdentity& identity);
// Whether the regular file name may be replaced by this process: write
// permission, or no read-only attribute.
bool MayReplace(int dir, const std::string& name);
// Makes a directory; EEXIST when something has the name. The one in dir
// throws TInOutFailure where the system cannot name dir.
int MakeDirectoryAt(int dir, const std::string& name);
int MakeDirectoryNamed(const std::filesystem::path& path);
int RemoveName(int dir, const std::string& name);
// Renames from over to, replacing what is there.
int ReplaceName(int dir, const std::string& from, const std::string& to);
// Renames from to to, which must be free.
int MoveName(int dir, const std::string& from, const std::string& to);
// Swaps two names in one step; ENOSYS, EINVAL or EOPNOTSUPP where the
// system or file system cannot.
int ExchangeNames(int dir, const std::string& a, const std::string& b);
// Whether a file held open may be moved and removed by its descriptor,
// whatever name leads to it now.
bool CanMoveByDescriptor();
// Renames the file open as fd to name in dir, never over another file.
int MoveByDescriptor(int fd, int dir, const std::string& name);
// The file open as fd goes when its last descriptor is closed.
int RemoveByDescriptor(int fd);
// Whether a rename may replace a file that is open; where not, a file held
// open is closed before it is replaced.
bool CanReplaceOpenFiles();

// ---- Directories

// Every entry of dir but "." and "..", in the file system's order.
int ListDirectory(int dir, std::vector<TDirEntry>& entries);
// Bytes that may still be written below dir. Throws TInOutFailure.
std::int64_t FreeBytesBelow(int dir);
// Has the names changed in dir reach the disk. Throws TInOutFailure.
void FlushDirectory(int dir);
// Has every file on dir's file system reach the disk, where the system
// does (CanFlushFileSystem()). Throws TInOutFailure.
void FlushFileSystemOf(int dir);

// Each system also answers, whole, the path queries of PathQueries.h that
// are its own (RealPath, CanRead, CanWrite, IsDirectory, ChangeDirectory)
// and CanFlushFileSystem() of Directory.h.

// ---- Mapping

// Sizes the file open as fd to size and maps it for reading and writing:
// the bytes, or nullptr; mapping is the system's own handle where it has one.
unsigned char* MapFile(int fd, std::size_t size, std::intptr_t& mapping);
void UnmapFile(unsigned char* bytes, std::size_t size, std::intptr_t mapping);

// ---- Built on the calls above, for the file classes

// A name for a temporary beside an output, unique within the process.
std::string TemporaryName();
// Reads n bytes at position, fewer only at the end of the file; writes all
// n or throws (TInOutFailure, for the disk full where nothing moves).
std::size_t ReadFully(int fd, std::int64_t position, void* buffer, std::size_t n);
void WriteFully(int fd, std::int64_t position, const void* buffer, std::size_t n);
// Creates a fresh temporary in dir, held by this process while it is open:
// the descriptor with its name in name, or -1.
int CreateTemporaryIn(int dir, TNewFile use, std::string& name);

// ---- Names of levels

// Whether c separates directory levels in a path this system opens: "/",
// and on Windows also "\".
bool IsLevelSeparator(char c);

// Why this system cannot make a file or directory called level (one level,
// no separators), or empty when it can.
std::string NameProblemHere(std::string_view level);

// A path of levels joined by "/" as this system compares file names: the
// same text where letter case counts (Linux), else its letters in one case,
// as Windows folds them, so that two paths naming one file give one key.
std::string FileNameKey(std::string_view path);
// Whether this system's file names ignore letter case.
bool FileNamesIgnoreCase();

} // namespace zorvak
