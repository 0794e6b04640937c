#include "framework/OutputFile.h"

#include "framework/Failures.h"
#include "framework/System.h"
#include "framework/Temporaries.h"

#include <cerrno>
#include <utility>
#include <vector>

namespace zorvak {

TOutputFile::TOutputFile(const TDirectory& dir, const std::string& name, TOutputMode mode)
    : dir_(dir), name_(name) {
    TFileKind kind = TFileKind::fkUnknown;
    if (mode != TOutputMode::omAlwaysBeside) {
        bool taken = false;
        fd_.Reset(CreateExclusive(dir.Get(), name, TNewFile::nfOutput, taken));
        if (fd_) {
            written_ = name;
            return;
        }
        if (!taken)
            throw TFileCreateFailure(Target());
        if (mode == TOutputMode::omKeep) {
            // A directory of that name is in the way, not a file to keep.
            TFileIdentity there;
            if (dir.StatusOf(name, false, kind, there) == 0 && kind == TFileKind::fkDirectory)
                throw TFileCreateFailure(Target());
            throw TFileExistsFailure(Target());
        }
    }
    // Something is there: what cannot be replaced is refused before any
    // work, a directory of that name or a file we may not write.
    if (const int err = dir.StatusOf(name, false, kind, replaced_); err == 0) {
        if (kind == TFileKind::fkDirectory ||
            (kind == TFileKind::fkRegular && !MayReplace(dir.Get(), name)))
            throw TFileCreateFailure(Target());
    } else {
        replaced_ = {};
        if (err != ENOENT)
            throw TFileCreateFailure(Target());
    }
    CreateTemporary();
}

void TOutputFile::CreateTemporary() {
    fd_.Reset(CreateTemporaryIn(dir_.Get(), TNewFile::nfOutput, written_));
    if (!fd_)
        throw TFileCreateFailure(Target());
}

TOutputFile::~TOutputFile() {
    Discard();
}

void TOutputFile::Discard() noexcept {
    if (grownFrom_ >= 0) {
        if (fd_)
            CutFile(fd_.Get(), grownFrom_);
        fd_.Reset();
        grownFrom_ = -1;
        return;
    }
    if (!written_.empty()) {
        fd_.Reset();
        RemoveName(dir_.Get(), written_);
        written_.clear();
    }
}

std::size_t TOutputFile::Read(void*, std::size_t) {
    return 0;
}

void TOutputFile::Write(const void* buffer, std::size_t n) {
    WriteFully(fd_.Get(), position_, buffer, n);
    Advance(static_cast<std::int64_t>(n));
}

void TOutputFile::Advance(std::int64_t n) {
    flushed_ = false;
    position_ += n;
    if (position_ > size_)
        size_ = position_;
}

std::int64_t TOutputFile::Seek(std::int64_t position) {
    position_ = CheckedPosition(position);
    return position_;
}

void TOutputFile::TakeOwnerAndModeOf(const TLockedFile& other) {
    CopyOwnerAndMode(other.Descriptor(), fd_.Get());
}

void TOutputFile::Flush() {
    if (const int err = FlushFile(fd_.Get()); err != 0)
        ThrowForErrno(err);
    flushed_ = true;
}

void TOutputFile::Close() {
    // Some file systems (XFS, btrfs) keep no promise for unflushed bytes
    // renamed over an old file: a crash could leave the name empty with
    // the old bytes gone. What replaces an older file reaches the disk
    // before it takes its name.
    if (Beside() && replaced_.Inode != 0 && !flushed_)
        if (const int err = FlushFile(fd_.Get()); err != 0) {
            Discard();
            ThrowForErrno(err);
        }
    // Closing can report a delayed write error (NFS, quota): check it
    // before the file takes its name.
    if (const int err = fd_.Close(); err != 0) {
        Discard();
        ThrowForErrno(err);
    }
}

void TOutputFile::Commit() {
    Close();
    if (Beside() && ReplaceName(dir_.Get(), written_, name_) != 0) {
        Discard();
        throw TFileCreateFailure(Target());
    }
    written_.clear();
}

bool TOutputFile::Leads(const std::string& name, const TLockedFile& held) const {
    TFileKind kind = TFileKind::fkUnknown;
    TFileIdentity there;
    return dir_.StatusOf(name, false, kind, there) == 0 && there.SameFileAs(held.Identity());
}

bool TOutputFile::CommitOver(TLockedFile& held) {
    Close();
    const int dir = dir_.Get();
    const int swapped = ExchangeNames(dir, written_, name_);
    if (swapped == 0) {
        if (Leads(written_, held)) {
            // The held file now has the temporary's name, which goes.
            RemoveName(dir, written_);
            written_.clear();
            return true;
        }
        // Another file had taken the name: it gets it back, the output goes.
        if (ExchangeNames(dir, written_, name_) == 0) {
            Discard();
            return false;
        }
        // Put back by replacing the output; should even that fail, the file
        // keeps the temporary's name rather than be removed.
        const bool back = ReplaceName(dir, written_, name_) == 0;
        written_.clear();
        if (!back)
            throw TFileCreateFailure(Target());
        return false;
    }
    if (swapped != EINVAL && swapped != ENOSYS && swapped != EOPNOTSUPP) {
        // Nothing at the name (the archive was removed): nothing to replace.
        Discard();
        if (swapped == ENOENT)
            return false;
        throw TFileCreateFailure(Target());
    }
    // No swap of two names here: the name is looked at, then the held file
    // moved aside by itself where it may be, else replaced by its name,
    // which leaves a moment between the look and the replacing.
    if (!Leads(name_, held)) {
        Discard();
        return false;
    }
    if (held.CanBeMoved() && CanMoveByDescriptor())
        return CommitAside(held);
    held.ReadyForReplacing();
    if (ReplaceName(dir, written_, name_) != 0) {
        Discard();
        throw TFileCreateFailure(Target());
    }
    written_.clear();
    return true;
}

bool TOutputFile::CommitAside(TLockedFile& held) {
    // The held file itself is moved aside, then the output takes the name
    // that is free now; a file that takes it first keeps it.
    const int dir = dir_.Get();
    const std::string aside = TemporaryName();
    const int old = held.Descriptor();
    if (MoveByDescriptor(old, dir, aside) != 0) {
        Discard();
        return false;
    }
    if (!Leads(aside, held)) {
        // Moved by the name it was opened by: put back what was moved.
        MoveName(dir, aside, name_);
        Discard();
        return false;
    }
    const bool moved = MoveName(dir, written_, name_) == 0;
    if (moved)
        written_.clear();
    // The old archive goes either way: replaced by the output, or by the
    // file that took its name as it was being replaced.
    if (RemoveByDescriptor(old) != 0) {
        held.ReadyForReplacing();
        RemoveName(dir, aside);
    }
    held.ReadyForReplacing();
    if (!moved)
        Discard();
    return moved;
}

std::unique_ptr<TOutputFile> TOutputFile::Grow(const TDirectory& dir, const std::string& name,
                                               const TLockedFile& held) {
    int err = 0;
    TFileDescriptor fd(OpenForUpdatingAt(dir.Get(), name, err));
    if (!fd || !IdentityOf(fd.Get()).SameArchiveAs(held.Identity()))
        return nullptr;
    // Made through the plain constructor's shape, with nothing created.
    std::unique_ptr<TOutputFile> out(new TOutputFile(dir, name, fd));
    return out;
}

TOutputFile::TOutputFile(const TDirectory& dir, const std::string& name, TFileDescriptor& fd)
    : dir_(dir), name_(name), fd_(std::move(fd)) {
    TFileKind kind = TFileKind::fkUnknown;
    StatusOfDescriptor(fd_.Get(), kind, replaced_);
    size_ = position_ = grownFrom_ = replaced_.Size;
}

bool TOutputFile::CommitGrown(const TLockedFile& held, const void* head, std::size_t n,
                              bool durable, const std::function<void()>& written) {
    const int fd = fd_.Get();
    std::vector<unsigned char> before(n);
    if (ReadFully(fd, 0, before.data(), n) != n)
        throw TArchiveChangedFailure(Target());
    if (durable)
        Flush();
    if (!Leads(name_, held)) {
        Discard();
        return false;
    }
    grownFrom_ = -1;
    WriteFully(fd, 0, head, n);
    if (written)
        written();
    if (durable)
        Flush();
    // Moved away as the head was written: the file goes back to what it
    // was, so the one that took the name is the only change there.
    if (!Leads(name_, held)) {
        WriteFully(fd, 0, before.data(), n);
        CutFile(fd, replaced_.Size);
        if (durable)
            FlushFile(fd);
        fd_.Reset();
        return false;
    }
    if (const int err = fd_.Close(); err != 0)
        ThrowForErrno(err);
    return true;
}

namespace {
TDirectory OpenParentFor(const std::filesystem::path& target) {
    try {
        return TDirectory::Open(target.parent_path());
    } catch (const TFailure&) {
        throw TFileCreateFailure(target);
    }
}
} // namespace

TAtomicFile::TAtomicFile(const std::filesystem::path& target)
    : target_(target), dir_(OpenParentFor(target)),
      out_(dir_, target.filename().string(), TOutputMode::omAlwaysBeside) {}

void TAtomicFile::Commit() {
    out_.Flush();
    out_.Commit();
    dir_.Flush();
}

} // namespace zorvak
