// An archive as the program opens it for reading: locked, or held without
// sharing, so that what its index says stays true while it is open.
#pragma once

#include "framework/FileDescriptor.h"
#include "framework/FileIdentity.h"
#include "framework/Streams.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace zorvak {

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
    // Checks and holds what the open gave: err is the open's errno.
    void Take(TShareMode mode, int err);

    std::string path_;
    TFileDescriptor fd_;
    TFileIdentity identity_;
    std::int64_t position_ = 0;
    TShareMode mode_ = TShareMode::smExclusive;
};

// Throws TArchiveChangedFailure unless file is still the archive whose
// index was read (same file, size and modification time).
void CheckSameArchive(const TLockedFile& file, const TFileIdentity& indexed);

} // namespace zorvak
