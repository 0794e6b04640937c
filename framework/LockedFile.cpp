#include "framework/LockedFile.h"

#include "framework/Directory.h"
#include "framework/Failures.h"
#include "framework/System.h"
#include "framework/Translate.h"

#include <cerrno>

namespace zorvak {

TLockedFile::TLockedFile(const std::filesystem::path& path, TShareMode mode)
    : path_(path.string()) {
    int err = 0;
    fd_.Reset(OpenForReading(path, mode, err));
    Take(mode, err);
}

TLockedFile::TLockedFile(const TDirectory& dir, const std::string& name, std::string_view path,
                         TShareMode mode)
    : path_(path) {
    int err = 0;
    fd_.Reset(OpenForReadingAt(dir.Get(), name, mode, err));
    Take(mode, err);
}

void TLockedFile::Take(TShareMode mode, int err) {
    mode_ = mode;
    // Someone holds it so that this hold is refused: in use, for a reader
    // that shares.
    const auto refused = [&](int why) {
        if (mode == TShareMode::smShared && why == kHeldErrno)
            throw TFileInUseFailure(path_);
        throw TFileOpenFailure(path_, why == kHeldErrno ? Tr("held by another program")
                                                        : SystemReason(why));
    };
    if (!fd_)
        refused(err);
    TFileKind kind = TFileKind::fkUnknown;
    if (const int status = StatusOfDescriptor(fd_.Get(), kind, identity_); status != 0)
        throw TFileOpenFailure(path_, SystemReason(status));
    if (kind != TFileKind::fkRegular)
        throw TFileOpenFailure(path_, kind == TFileKind::fkDirectory ? SystemReason(EISDIR)
                                                                     : Tr("not a regular file"));
    if (mode != TShareMode::smUnlocked)
        if (const int held = HoldFile(fd_.Get(), mode); held != 0)
            refused(held);
}

void TLockedFile::ReadyForReplacing() {
    // Where a rename replaces an open file, the hold stays to the end.
    if (!CanReplaceOpenFiles())
        fd_.Reset();
}

std::size_t TLockedFile::ReadAt(std::int64_t position, void* buffer, std::size_t n) const {
    return ReadFully(fd_.Get(), position, buffer, n);
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
    position_ = CheckedPosition(position);
    return position_;
}

void CheckSameArchive(const TLockedFile& file, const TFileIdentity& indexed) {
    if (!file.Identity().SameArchiveAs(indexed))
        throw TArchiveChangedFailure(file.Path());
}

} // namespace zorvak
