// Files as the program opens them: archives for reading without sharing, and
// outputs that replace what was there only once they are complete.
#pragma once

#include "framework/Streams.h"

#include <filesystem>

namespace zorvak {

// A regular file opened for reading that no one else may open while we hold
// it: an exclusive advisory lock, taken without waiting. Throws
// TFileOpenFailure when the file is missing, not a regular file, or locked.
class TLockedFile : public TStream {
public:
    explicit TLockedFile(const std::filesystem::path& path);
    ~TLockedFile() override;
    TLockedFile(const TLockedFile&) = delete;
    TLockedFile& operator=(const TLockedFile&) = delete;

    std::size_t Read(void* buffer, std::size_t n) override;
    // Read-only: always throws.
    void Write(const void* buffer, std::size_t n) override;
    std::int64_t Seek(std::int64_t position) override;
    std::int64_t Position() const override { return position_; }
    std::int64_t Size() const override { return size_; }

    // Reads up to n bytes at position without moving Position(); returns
    // fewer only at the end of the file.
    std::size_t ReadAt(std::int64_t position, void* buffer, std::size_t n) const;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
    int fd_ = -1;
    std::int64_t size_ = 0;
    std::int64_t position_ = 0;
};

// An output written beside its target under a temporary name and renamed over
// the target by Commit(); dropped without Commit() it removes the temporary,
// so a failure never leaves a partial file under the target's name nor harms
// an older file there. Throws TFileCreateFailure (naming the target) when the
// target is a directory or a file we may not write, or the temporary cannot
// be created, and TInOutFailure when a write fails.
class TAtomicFile : public TStream {
public:
    // tempSuffix ends the temporary's name, e.g. ".pak" so a tree walk that
    // skips archives also skips a leftover.
    explicit TAtomicFile(const std::filesystem::path& target,
                         const std::string& tempSuffix = ".tmp");
    ~TAtomicFile() override;
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    // Write-only: always returns 0.
    std::size_t Read(void* buffer, std::size_t n) override;
    void Write(const void* buffer, std::size_t n) override;
    std::int64_t Seek(std::int64_t position) override;
    std::int64_t Position() const override { return position_; }
    std::int64_t Size() const override { return size_; }

    // Closes the temporary and renames it over the target. Throws
    // TFileCreateFailure when the rename is refused.
    void Commit();

    const std::filesystem::path& Target() const { return target_; }
    const std::filesystem::path& TempPath() const { return temp_; }

private:
    void Discard() noexcept;

    std::filesystem::path target_;
    std::filesystem::path temp_;
    int fd_ = -1;
    std::int64_t size_ = 0;
    std::int64_t position_ = 0;
};

// Whether two paths name the same file on disk (both must exist).
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

} // namespace zorvak
