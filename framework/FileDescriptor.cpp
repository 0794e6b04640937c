#include "framework/FileDescriptor.h"

#include "framework/Directory.h"
#include "framework/Failures.h"
#include "framework/FileIdentity.h"
#include "framework/System.h"

#include <cerrno>

namespace zorvak {

TFileDescriptor& TFileDescriptor::operator=(TFileDescriptor&& other) noexcept {
    if (this != &other)
        Reset(other.Release());
    return *this;
}

int TFileDescriptor::Release() noexcept {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void TFileDescriptor::Reset(int fd) noexcept {
    if (fd_ >= 0)
        CloseDescriptor(fd_);
    fd_ = fd;
}

int TFileDescriptor::Close() noexcept {
    const int fd = Release();
    return fd >= 0 ? CloseDescriptor(fd) : 0;
}

TFileIdentity IdentityOf(int fd) {
    TFileKind kind = TFileKind::fkUnknown;
    TFileIdentity identity;
    if (const int err = StatusOfDescriptor(fd, kind, identity); err != 0)
        ThrowForErrno(err);
    return identity;
}

namespace {
// Repeats a call that moves part of n bytes (step(done, err) moves from
// done on) until all are moved or it moves none; a signal's interruption is
// retried, any other failure thrown.
template <class TStep> std::size_t MoveAll(std::size_t n, TStep step) {
    std::size_t done = 0;
    while (done < n) {
        int err = 0;
        const std::int64_t moved = step(done, err);
        if (moved < 0) {
            if (err == EINTR)
                continue;
            ThrowForErrno(err);
        }
        if (moved == 0)
            break;
        done += static_cast<std::size_t>(moved);
    }
    return done;
}
} // namespace

std::size_t ReadFully(int fd, std::int64_t position, void* buffer, std::size_t n) {
    auto* out = static_cast<unsigned char*>(buffer);
    return MoveAll(n, [&](std::size_t done, int& err) {
        return ReadSome(fd, position + static_cast<std::int64_t>(done), out + done, n - done, err);
    });
}

void WriteFully(int fd, std::int64_t position, const void* buffer, std::size_t n) {
    const auto* in = static_cast<const unsigned char*>(buffer);
    const std::size_t done = MoveAll(n, [&](std::size_t at, int& err) {
        return WriteSome(fd, position + static_cast<std::int64_t>(at), in + at, n - at, err);
    });
    // A write that moves nothing has no room left.
    if (done < n)
        ThrowForErrno(ENOSPC);
}

} // namespace zorvak
