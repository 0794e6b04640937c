#include "framework/Files.h"

#include "framework/Failures.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zorvak {

namespace {

void CloseQuietly(int& fd) noexcept {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

TLockedFile::TLockedFile(const std::filesystem::path& path) : path_(path) {
    // O_NONBLOCK so that a FIFO chosen by mistake cannot hang the open; it is
    // refused below as not a regular file.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd_ < 0)
        throw TFileOpenFailure(path);
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) || ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        CloseQuietly(fd_);
        throw TFileOpenFailure(path);
    }
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
    size_ = static_cast<std::int64_t>(st.st_size);
}

TLockedFile::~TLockedFile() {
    CloseQuietly(fd_);
}

std::size_t TLockedFile::ReadAt(std::int64_t position, void* buffer, std::size_t n) const {
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd_, out + done, n - done, position + static_cast<off_t>(done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ThrowForErrno(errno);
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

std::size_t TLockedFile::Read(void* buffer, std::size_t n) {
    const std::size_t got = ReadAt(position_, buffer, n);
    position_ += static_cast<std::int64_t>(got);
    return got;
}

void TLockedFile::Write(const void*, std::size_t) {
    throw TInOutFailure(kIoAccessDenied);
}

std::int64_t TLockedFile::Seek(std::int64_t position) {
    if (position < 0)
        throw TFailure("Stream seek error");
    position_ = position;
    return position_;
}

TAtomicFile::TAtomicFile(const std::filesystem::path& target, const std::string& tempSuffix)
    : target_(target) {
    // What could not be created in place is refused before any work: a
    // directory of that name, or a file we may not write.
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 &&
        (S_ISDIR(st.st_mode) || ::access(target.c_str(), W_OK) != 0))
        throw TFileCreateFailure(target);
    static std::atomic<unsigned> serial{0};
    const std::filesystem::path dir = target.parent_path();
    const std::string stem = "." + target.filename().string() + "." + std::to_string(::getpid());
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temp_ = dir / (stem + "-" + std::to_string(serial++) + tempSuffix);
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        temp_.clear();
        throw TFileCreateFailure(target);
    }
}

TAtomicFile::~TAtomicFile() {
    Discard();
}

void TAtomicFile::Discard() noexcept {
    if (fd_ >= 0) {
        CloseQuietly(fd_);
        ::unlink(temp_.c_str());
    }
}

std::size_t TAtomicFile::Read(void*, std::size_t) {
    return 0;
}

void TAtomicFile::Write(const void* buffer, std::size_t n) {
    const auto* in = static_cast<const unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        const ssize_t put =
            ::pwrite(fd_, in + done, n - done, position_ + static_cast<off_t>(done));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            ThrowForErrno(errno);
        }
        if (put == 0)
            ThrowForErrno(ENOSPC);
        done += static_cast<std::size_t>(put);
    }
    position_ += static_cast<std::int64_t>(n);
    if (position_ > size_)
        size_ = position_;
}

std::int64_t TAtomicFile::Seek(std::int64_t position) {
    if (position < 0)
        throw TFailure("Stream seek error");
    position_ = position;
    return position_;
}

void TAtomicFile::Commit() {
    // close() can report a delayed write error (NFS, quota): check it before
    // the rename makes the file visible.
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp_.c_str());
        ThrowForErrno(err);
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        ::unlink(temp_.c_str());
        throw TFileCreateFailure(target_);
    }
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}

} // namespace zorvak
