// A descriptor that closes itself: the one handle type every file class
// holds (a descriptor on Linux, a handle kept in an int on Windows).
#pragma once

namespace zorvak {

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

} // namespace zorvak
