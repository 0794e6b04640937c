// The file calls on Linux: descriptors, flock, the *at calls that never
// follow a link unless asked, renameat2 for swapping two names.
#include "framework/Directory.h"
#include "framework/Failures.h"
#include "framework/FileDescriptor.h"
#include "framework/FileIdentity.h"
#include "framework/LockedFile.h"
#include "framework/PathQueries.h"
#include "framework/System.h"

#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace zorvak {

namespace {

TFileIdentity IdentityOfStat(const struct stat& st) {
    TFileIdentity id;
    id.Device = static_cast<std::uint64_t>(st.st_dev);
    id.Inode = static_cast<std::uint64_t>(st.st_ino);
    id.Size = static_cast<std::int64_t>(st.st_size);
    id.ModifiedNs = std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
    id.ChangedNs = std::int64_t{st.st_ctim.tv_sec} * 1000000000 + st.st_ctim.tv_nsec;
    return id;
}

TFileKind KindOfMode(mode_t mode) {
    if (S_ISREG(mode))
        return TFileKind::fkRegular;
    if (S_ISDIR(mode))
        return TFileKind::fkDirectory;
    if (S_ISLNK(mode))
        return TFileKind::fkLink;
    return TFileKind::fkOther;
}

TFileKind KindOfListing(unsigned char type) {
    switch (type) {
    case DT_REG:
        return TFileKind::fkRegular;
    case DT_DIR:
        return TFileKind::fkDirectory;
    case DT_LNK:
        return TFileKind::fkLink;
    case DT_UNKNOWN:
        return TFileKind::fkUnknown;
    default:
        return TFileKind::fkOther;
    }
}

int Status(int result, const struct stat& st, TFileKind& kind, TFileIdentity& identity) {
    if (result != 0)
        return errno;
    kind = KindOfMode(st.st_mode);
    identity = IdentityOfStat(st);
    return 0;
}

int ErrnoUnless(bool done) {
    return done ? 0 : errno;
}

int OpenedOr(int fd, int& err) {
    err = fd < 0 ? errno : 0;
    return fd;
}

// O_NONBLOCK so that a FIFO chosen by mistake cannot hang the open; it is
// refused as not a regular file. On a regular file it changes nothing, so
// it stays set.
constexpr int kReading = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;

} // namespace

unsigned ProcessNumber() {
    return static_cast<unsigned>(::getpid());
}

bool ProcessAlive(unsigned pid) {
    // EPERM: it runs, as another user.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

int CloseDescriptor(int fd) {
    // close() can report a delayed write error (NFS, quota).
    return ErrnoUnless(::close(fd) == 0);
}

int StatusOfDescriptor(int fd, TFileKind& kind, TFileIdentity& identity) {
    struct stat st {};
    return Status(::fstat(fd, &st), st, kind, identity);
}

std::int64_t ReadSome(int fd, std::int64_t position, void* buffer, std::size_t n, int& err) {
    const ssize_t got = ::pread(fd, buffer, n, static_cast<off_t>(position));
    err = got < 0 ? errno : 0;
    return got;
}

std::int64_t WriteSome(int fd, std::int64_t position, const void* buffer, std::size_t n, int& err) {
    const ssize_t put = ::pwrite(fd, buffer, n, static_cast<off_t>(position));
    err = put < 0 ? errno : 0;
    return put;
}

int FlushFile(int fd) {
    return ErrnoUnless(::fsync(fd) == 0);
}

int HoldFile(int fd, TShareMode mode) {
    const int lock = mode == TShareMode::smShared ? LOCK_SH : LOCK_EX;
    return ErrnoUnless(::flock(fd, lock | LOCK_NB) == 0);
}

void CopyOwnerAndMode(int from, int to) {
    struct stat st {};
    if (::fstat(from, &st) != 0)
        return;
    // Only the superuser may give a file away; the group may still follow.
    // The owner first, since a change of owner clears some mode bits.
    if (::fchown(to, st.st_uid, st.st_gid) != 0 &&
        ::fchown(to, static_cast<uid_t>(-1), st.st_gid) != 0) {
        // Kept as the process made it.
    }
    if (::fchmod(to, st.st_mode & 0777) != 0) {
        // Kept as the process made it.
    }
}

std::int64_t KernelCopy(int from, std::int64_t& in, int to, std::int64_t& at, std::size_t n,
                        int& err) {
    loff_t inPos = in;
    loff_t atPos = at;
    const ssize_t put = ::copy_file_range(from, &inPos, to, &atPos, n, 0u);
    if (put < 0) {
        err = errno;
        return -1;
    }
    in = inPos;
    at = atPos;
    return put;
}

std::int64_t StreamCopy(int from, std::int64_t& in, int to, std::int64_t& at, std::size_t n,
                        int& err) {
    // sendfile writes at to's file position: put it where the output stands.
    if (::lseek(to, static_cast<off_t>(at), SEEK_SET) < 0) {
        err = errno;
        return -1;
    }
    off_t inPos = in;
    const ssize_t put = ::sendfile(to, from, &inPos, n);
    if (put < 0) {
        err = errno;
        return -1;
    }
    in = inPos;
    at += put;
    return put;
}

int OpenForReading(const std::filesystem::path& path, TShareMode, int& err) {
    return OpenedOr(::open(path.c_str(), kReading), err);
}

int OpenForReadingAt(int dir, const std::string& name, TShareMode, int& err) {
    return OpenedOr(::openat(dir, name.c_str(), kReading), err);
}

int OpenForRemoving(int dir, const std::string& name, int& err) {
    return OpenedOr(::openat(dir, name.c_str(), kReading | O_NOFOLLOW), err);
}

int OpenForUpdatingAt(int dir, const std::string& name, int& err) {
    TFileDescriptor fd(::openat(dir, name.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
        err = errno;
        return -1;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) {
        err = errno;
        return -1;
    }
    err = !S_ISREG(st.st_mode) ? EINVAL : st.st_nlink != 1 ? EMLINK : 0;
    return err == 0 ? fd.Release() : -1;
}

int CutFile(int fd, std::int64_t size) {
    return ::ftruncate(fd, static_cast<off_t>(size)) == 0 ? 0 : errno;
}

int CreateExclusive(int dir, const std::string& name, TNewFile use, bool& taken) {
    const bool mapped = use == TNewFile::nfMapped;
    const int fd = ::openat(
        dir, name.c_str(), (mapped ? O_RDWR : O_WRONLY) | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
        mapped ? 0600 : 0666);
    taken = fd < 0 && errno == EEXIST;
    return fd;
}

int OpenDirectory(const std::filesystem::path& path, int& err) {
    return OpenedOr(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), err);
}

int OpenLevel(int dir, const std::string& name, TLevelLook& look, int& err) {
    const int fd = ::openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    err = fd < 0 ? errno : 0;
    if (fd >= 0)
        look = TLevelLook::llDirectory;
    else if (err == ENOENT)
        look = TLevelLook::llMissing;
    else if (err == ENOTDIR || err == ELOOP) {
        struct stat st {};
        look = ::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)
                   ? TLevelLook::llLink
                   : TLevelLook::llOther;
    } else
        look = TLevelLook::llFailed;
    return fd;
}

int StatusOfName(int dir, const std::string& name, bool follow, TFileKind& kind,
                 TFileIdentity& identity) {
    struct stat st {};
    return Status(::fstatat(dir, name.c_str(), &st, follow ? 0 : AT_SYMLINK_NOFOLLOW), st, kind,
                  identity);
}

int StatusOfPath(const std::filesystem::path& path, bool follow, TFileKind& kind,
                 TFileIdentity& identity) {
    struct stat st {};
    return Status(follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st), st, kind,
                  identity);
}

bool MayReplace(int dir, const std::string& name) {
    return ::faccessat(dir, name.c_str(), W_OK, AT_EACCESS) == 0;
}

int MakeDirectoryAt(int dir, const std::string& name) {
    return ErrnoUnless(::mkdirat(dir, name.c_str(), 0777) == 0);
}

int MakeDirectoryNamed(const std::filesystem::path& path) {
    return ErrnoUnless(::mkdir(path.c_str(), 0777) == 0);
}

int RemoveName(int dir, const std::string& name) {
    return ErrnoUnless(::unlinkat(dir, name.c_str(), 0) == 0);
}

int ReplaceName(int dir, const std::string& from, const std::string& to) {
    return ErrnoUnless(::renameat(dir, from.c_str(), dir, to.c_str()) == 0);
}

int MoveName(int dir, const std::string& from, const std::string& to) {
    return ErrnoUnless(::renameat2(dir, from.c_str(), dir, to.c_str(), RENAME_NOREPLACE) == 0);
}

int ExchangeNames(int dir, const std::string& a, const std::string& b) {
    return ErrnoUnless(::renameat2(dir, a.c_str(), dir, b.c_str(), RENAME_EXCHANGE) == 0);
}

bool CanMoveByDescriptor() {
    return false;
}

int MoveByDescriptor(int, int, const std::string&) {
    return ENOSYS;
}

int RemoveByDescriptor(int) {
    return ENOSYS;
}

bool CanReplaceOpenFiles() {
    return true;
}

int ListDirectory(int dir, std::vector<TDirEntry>& entries) {
    // The listing reads through a descriptor of its own, closed with it.
    const int fd = ::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    DIR* handle = ::fdopendir(fd);
    if (handle == nullptr) {
        const int err = errno;
        ::close(fd);
        return err;
    }
    int err = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(handle);
        if (entry == nullptr) {
            err = errno;
            break;
        }
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            entries.push_back({std::string(name), KindOfListing(entry->d_type)});
    }
    ::closedir(handle);
    return err;
}

std::int64_t FreeBytesBelow(int dir) {
    struct statvfs vfs {};
    if (::fstatvfs(dir, &vfs) != 0)
        ThrowForErrno(errno);
    // The superuser may also fill the blocks kept back for it.
    const auto blocks = ::geteuid() == 0 ? vfs.f_bfree : vfs.f_bavail;
    return static_cast<std::int64_t>(blocks) * static_cast<std::int64_t>(vfs.f_frsize);
}

void FlushDirectory(int dir) {
    // Some file systems cannot flush a directory by itself (EINVAL): their
    // names reach the disk with the files, or not at all.
    if (::fsync(dir) != 0 && errno != EINVAL && errno != EROFS)
        ThrowForErrno(errno);
}

void FlushFileSystemOf(int dir) {
    if (::syncfs(dir) != 0)
        ThrowForErrno(errno);
}

bool CanFlushFileSystem() {
    return true;
}

bool RealPath(const std::filesystem::path& path, std::filesystem::path& real) {
    std::error_code ec;
    real = std::filesystem::canonical(path, ec);
    return !ec;
}

bool CanRead(const std::filesystem::path& path) {
    return ::faccessat(AT_FDCWD, path.c_str(), R_OK, AT_EACCESS) == 0;
}

bool CanWrite(const std::filesystem::path& path) {
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

bool IsDirectory(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void ChangeDirectory(const std::filesystem::path& dir) {
    if (::chdir(dir.c_str()) != 0)
        ThrowForErrno(errno);
}

unsigned char* MapFile(int fd, std::size_t size, std::intptr_t&) {
    void* map = MAP_FAILED;
    if (::ftruncate(fd, static_cast<off_t>(size)) == 0)
        map = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    return map == MAP_FAILED ? nullptr : static_cast<unsigned char*>(map);
}

void UnmapFile(unsigned char* bytes, std::size_t size, std::intptr_t) {
    ::munmap(bytes, size);
}

bool IsLevelSeparator(char c) {
    return c == '/';
}

std::string NameProblemHere(std::string_view) {
    // Any byte but "/" and NUL may name a file here.
    return {};
}

std::string FileNameKey(std::string_view path) {
    return std::string(path);
}

bool FileNamesIgnoreCase() {
    return false;
}

} // namespace zorvak
