#include "framework/Files.h"

#include "framework/Failures.h"
#include "framework/System.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
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

// Repeats a call that moves part of n bytes (step(done) moves from done on)
// until all are moved or it moves none; a signal's interruption is retried,
// any other failure thrown.
template <class TStep> std::size_t MoveAll(std::size_t n, TStep step) {
    std::size_t done = 0;
    while (done < n) {
        const ssize_t moved = step(done);
        if (moved < 0) {
            if (errno == EINTR)
                continue;
            ThrowForErrno(errno);
        }
        if (moved == 0)
            break;
        done += static_cast<std::size_t>(moved);
    }
    return done;
}

} // namespace

void TFileDescriptor::Reset(int fd) noexcept {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
}

int TFileDescriptor::Close() noexcept {
    const int fd = Release();
    if (fd >= 0 && ::close(fd) != 0)
        return errno;
    return 0;
}

TFileIdentity IdentityOf(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        ThrowForErrno(errno);
    return IdentityOfStat(st);
}

bool IdentityAt(const std::filesystem::path& path, TFileIdentity& identity, bool follow) {
    struct stat st {};
    if ((follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0)
        return false;
    identity = IdentityOfStat(st);
    return true;
}

TLockedFile::TLockedFile(const std::filesystem::path& path, TShareMode mode) : path_(path) {
    // O_NONBLOCK so that a FIFO chosen by mistake cannot hang the open; it is
    // refused below as not a regular file. On a regular file it changes
    // nothing, so it stays set.
    fd_.Reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    Take(mode);
}

TLockedFile::TLockedFile(const TDirectory& dir, const std::string& name, std::string_view path,
                         TShareMode mode)
    : path_(path) {
    fd_.Reset(::openat(dir.Get(), name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    Take(mode);
}

void TLockedFile::Take(TShareMode mode) {
    mode_ = mode;
    if (!fd_)
        throw TFileOpenFailure(path_);
    struct stat st {};
    if (::fstat(fd_.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        throw TFileOpenFailure(path_);
    if (mode != TShareMode::smUnlocked) {
        const int lock = mode == TShareMode::smExclusive ? LOCK_EX : LOCK_SH;
        if (::flock(fd_.Get(), lock | LOCK_NB) != 0) {
            if (mode == TShareMode::smShared && errno == EWOULDBLOCK)
                throw TFileInUseFailure(path_);
            throw TFileOpenFailure(path_);
        }
    }
    identity_ = IdentityOfStat(st);
}

void TLockedFile::ReadyForReplacing() {
    // A rename replaces an open file here; the lock stays to the end.
}

std::size_t TLockedFile::ReadAt(std::int64_t position, void* buffer, std::size_t n) const {
    auto* out = static_cast<unsigned char*>(buffer);
    return MoveAll(n, [&](std::size_t done) {
        return ::pread(fd_.Get(), out + done, n - done, position + static_cast<off_t>(done));
    });
}

TDirectory TDirectory::Open(const std::filesystem::path& path) {
    TFileDescriptor fd(
        ::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd)
        ThrowForErrno(errno);
    return TDirectory(std::move(fd), path);
}

TDirectory TDirectory::Level(const std::string& name, bool create) const {
    // A few rounds: a level another process removes between our mkdir and
    // our open is made again; one it makes before our mkdir is taken.
    for (int round = 0; round < 3; ++round) {
        TFileDescriptor fd(
            ::openat(Get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (fd)
            return TDirectory(std::move(fd), path_ / name);
        const int err = errno;
        if (err == ENOENT) {
            if (!create)
                return {};
            if (::mkdirat(Get(), name.c_str(), 0777) != 0 && errno != EEXIST)
                ThrowForErrno(errno);
            continue;
        }
        if (err == ENOTDIR || err == ELOOP) {
            struct stat st {};
            if (::fstatat(Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(st.st_mode))
                throw TLinkFailure(path_ / name);
            // Something else is in the way, which creating it reports so.
            ThrowForErrno(EEXIST);
        }
        ThrowForErrno(err);
    }
    ThrowForErrno(ENOENT);
}

TDirectory TDirectory::MakeLevel(const std::string& name) const {
    if (::mkdirat(Get(), name.c_str(), 0777) != 0 && errno != EEXIST)
        ThrowForErrno(errno);
    return Level(name, true);
}

TDirectory TDirectory::TryLevel(const std::string& name, int& err) const {
    TFileDescriptor fd(
        ::openat(Get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    err = fd ? 0 : errno;
    if (!fd)
        return {};
    return TDirectory(std::move(fd), path_ / name);
}

namespace {
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
} // namespace

int TDirectory::List(std::vector<TDirEntry>& entries) const {
    // The listing reads through a descriptor of its own, closed with it.
    const int fd = ::openat(Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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

int TDirectory::StatusOf(const std::string& name, bool follow, TFileKind& kind,
                         TFileIdentity& identity) const {
    struct stat st {};
    if (::fstatat(Get(), name.c_str(), &st, follow ? 0 : AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    kind = KindOfMode(st.st_mode);
    identity = IdentityOfStat(st);
    return 0;
}

bool StatusAt(const std::filesystem::path& path, bool follow, TFileKind& kind,
              TFileIdentity& identity) {
    struct stat st {};
    if ((follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0)
        return false;
    kind = KindOfMode(st.st_mode);
    identity = IdentityOfStat(st);
    return true;
}

bool RealPath(const std::filesystem::path& path, std::filesystem::path& real) {
    std::error_code ec;
    real = std::filesystem::canonical(path, ec);
    return !ec;
}

bool HeldByAnother(const std::filesystem::path& path) {
    const TFileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat st {};
    return fd && ::fstat(fd.Get(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
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

void MakeDirectory(const std::filesystem::path& path) {
    if (::mkdir(path.c_str(), 0777) != 0 && !(errno == EEXIST && IsDirectory(path)))
        ThrowForErrno(errno);
}

void ChangeDirectory(const std::filesystem::path& dir) {
    if (::chdir(dir.c_str()) != 0)
        ThrowForErrno(errno);
}

void TDirectory::Flush() const {
    // Some file systems cannot flush a directory by itself (EINVAL): their
    // names reach the disk with the files, or not at all.
    if (::fsync(Get()) != 0 && errno != EINVAL && errno != EROFS)
        ThrowForErrno(errno);
}

void TDirectory::FlushFileSystem() const {
    if (::syncfs(Get()) != 0)
        ThrowForErrno(errno);
}

bool CanFlushFileSystem() {
    return true;
}

std::int64_t TDirectory::FreeBytes() const {
    struct statvfs vfs {};
    if (::fstatvfs(Get(), &vfs) != 0)
        ThrowForErrno(errno);
    // The superuser may also fill the blocks kept back for it.
    const auto blocks = ::geteuid() == 0 ? vfs.f_bfree : vfs.f_bavail;
    return static_cast<std::int64_t>(blocks) * static_cast<std::int64_t>(vfs.f_frsize);
}

bool IdentityAt(const TDirectory& dir, const std::string& name, TFileIdentity& identity) {
    struct stat st {};
    if (::fstatat(dir.Get(), name.c_str(), &st, 0) != 0)
        return false;
    identity = IdentityOfStat(st);
    return true;
}

TOutputFile::TOutputFile(const TDirectory& dir, const std::string& name, TOutputMode mode)
    : dir_(dir), name_(name) {
    if (mode != TOutputMode::omAlwaysBeside) {
        bool taken = false;
        fd_.Reset(CreateExclusive(dir, name, taken));
        if (fd_) {
            written_ = name;
            return;
        }
        if (!taken)
            throw TFileCreateFailure(Target());
        if (mode == TOutputMode::omKeep) {
            // A directory of that name is in the way, not a file to keep.
            struct stat st {};
            if (::fstatat(dir.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISDIR(st.st_mode))
                throw TFileCreateFailure(Target());
            throw TFileExistsFailure(Target());
        }
    }
    // Something is there: what cannot be replaced is refused before any
    // work, a directory of that name or a file we may not write.
    struct stat st {};
    if (::fstatat(dir.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISDIR(st.st_mode) ||
            (S_ISREG(st.st_mode) && ::faccessat(dir.Get(), name.c_str(), W_OK, AT_EACCESS) != 0))
            throw TFileCreateFailure(Target());
        replaced_ = IdentityOfStat(st);
    } else if (errno != ENOENT) {
        throw TFileCreateFailure(Target());
    }
    CreateTemporary();
}

void TOutputFile::Discard() noexcept {
    if (!written_.empty()) {
        fd_.Reset();
        ::unlinkat(dir_.Get(), written_.c_str(), 0);
        written_.clear();
    }
}

void TOutputFile::TakeOwnerAndModeOf(const TLockedFile& other) {
    struct stat st {};
    if (::fstat(other.Descriptor(), &st) != 0)
        return;
    // Only the superuser may give a file away; the group may still follow.
    // The owner first, since a change of owner clears some mode bits.
    if (::fchown(fd_.Get(), st.st_uid, st.st_gid) != 0 &&
        ::fchown(fd_.Get(), static_cast<uid_t>(-1), st.st_gid) != 0) {
        // Kept as the process made it.
    }
    if (::fchmod(fd_.Get(), st.st_mode & 0777) != 0) {
        // Kept as the process made it.
    }
}

void TOutputFile::Flush() {
    if (::fsync(fd_.Get()) != 0)
        ThrowForErrno(errno);
    flushed_ = true;
}

void TOutputFile::Write(const void* buffer, std::size_t n) {
    const auto* in = static_cast<const unsigned char*>(buffer);
    const std::size_t done = MoveAll(n, [&](std::size_t at) {
        return ::pwrite(fd_.Get(), in + at, n - at, position_ + static_cast<off_t>(at));
    });
    // A write that moves nothing has no room left.
    if (done < n)
        ThrowForErrno(ENOSPC);
    Advance(static_cast<std::int64_t>(n));
}

void TOutputFile::Close() {
    // XFS and btrfs keep no promise for unflushed bytes renamed over an old
    // file: a crash could leave the name empty with the old bytes gone.
    if (written_ != name_ && replaced_.Inode != 0 && !flushed_ && ::fsync(fd_.Get()) != 0) {
        const int err = errno;
        Discard();
        ThrowForErrno(err);
    }
    // close() can report a delayed write error (NFS, quota): check it before
    // the file takes its name.
    if (const int err = fd_.Close(); err != 0) {
        Discard();
        ThrowForErrno(err);
    }
}

void TOutputFile::Commit() {
    Close();
    if (written_ != name_ &&
        ::renameat(dir_.Get(), written_.c_str(), dir_.Get(), name_.c_str()) != 0) {
        Discard();
        throw TFileCreateFailure(Target());
    }
    written_.clear();
}

bool TOutputFile::CommitOver(TLockedFile& held) {
    Close();
    const int dir = dir_.Get();
    if (::renameat2(dir, written_.c_str(), dir, name_.c_str(), RENAME_EXCHANGE) == 0) {
        struct stat st {};
        if (::fstatat(dir, written_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            IdentityOfStat(st).SameFileAs(held.Identity())) {
            // The held file now has the temporary's name, which goes.
            ::unlinkat(dir, written_.c_str(), 0);
            written_.clear();
            return true;
        }
        // Another file had taken the name: it gets it back, the output goes.
        if (::renameat2(dir, written_.c_str(), dir, name_.c_str(), RENAME_EXCHANGE) == 0) {
            Discard();
            return false;
        }
        // Put back by replacing the output; should even that fail, the file
        // keeps the temporary's name rather than be removed.
        const bool back = ::renameat(dir, written_.c_str(), dir, name_.c_str()) == 0;
        written_.clear();
        if (!back)
            throw TFileCreateFailure(Target());
        return false;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        // Nothing at the name (the archive was removed): nothing to replace.
        Discard();
        if (errno == ENOENT)
            return false;
        throw TFileCreateFailure(Target());
    }
    // A file system that cannot swap two names: looked at, then replaced,
    // which leaves a moment between the two.
    struct stat st {};
    if (::fstatat(dir, name_.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !IdentityOfStat(st).SameFileAs(held.Identity())) {
        Discard();
        return false;
    }
    if (::renameat(dir, written_.c_str(), dir, name_.c_str()) != 0) {
        Discard();
        throw TFileCreateFailure(Target());
    }
    written_.clear();
    return true;
}

int CreateExclusive(const TDirectory& dir, const std::string& name, bool& taken) {
    const int fd = ::openat(dir.Get(), name.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    taken = fd < 0 && errno == EEXIST;
    return fd;
}

unsigned ProcessNumber() {
    return static_cast<unsigned>(::getpid());
}

bool ProcessAlive(unsigned pid) {
    // EPERM: it runs, as another user.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

void HoldTemporary(int fd) {
    // Best effort: the owner's number in the name still tells it apart.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    }
}

bool IsLeftover(const TDirectory& dir, const std::string& name, TFileIdentity& identity) {
    const TFileDescriptor fd(::openat(dir.Get(), name.c_str(),
                                      O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
    struct stat st {};
    if (!fd || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    // A process of another system sharing the folder (a container) may
    // still write it: it holds the lock.
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0)
        return false;
    identity = IdentityOfStat(st);
    return true;
}

bool RemoveLeftover(const TDirectory& dir, const TLeftover& leftover) {
    struct stat st {};
    if (::fstatat(dir.Get(), leftover.Name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (!IdentityOfStat(st).SameFileAs(leftover.Identity))
        return false;
    return ::unlinkat(dir.Get(), leftover.Name.c_str(), 0) == 0 || errno == ENOENT;
}

TMappedTemporary::TMappedTemporary(const TDirectory& dir, std::size_t size)
    : dir_(dir), size_(size) {
    for (int attempt = 0; attempt < 100 && !fd_; ++attempt) {
        name_ = TemporaryName();
        fd_.Reset(::openat(dir.Get(), name_.c_str(),
                           O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!fd_ && errno != EEXIST)
            break;
    }
    if (!fd_)
        throw TFileCreateFailure(dir.Path());
    HoldTemporary(fd_.Get());
    void* map = MAP_FAILED;
    if (::ftruncate(fd_.Get(), static_cast<off_t>(size)) == 0)
        map = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd_.Get(), 0);
    if (map == MAP_FAILED) {
        ::unlinkat(dir.Get(), name_.c_str(), 0);
        throw TFileCreateFailure(dir.Path());
    }
    bytes_ = static_cast<unsigned char*>(map);
}

TMappedTemporary::~TMappedTemporary() {
    ::munmap(bytes_, size_);
    ::unlinkat(dir_.Get(), name_.c_str(), 0);
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
