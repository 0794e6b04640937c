#include "framework/Files.h"

#include "framework/Failures.h"
#include "framework/System.h"

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace zorvak {

// Temporaries are named by a counter under the process's number, so the
// name tells whose it is and its length does not grow with the target's.
std::string TemporaryName() {
    // Asked each time: a process forked from this one names its own.
    const unsigned pid = ProcessNumber();
    static std::atomic<unsigned> serial{0};
    char name[48];
    std::snprintf(name, sizeof name, ".zorvak-%x-%x.tmp", pid, serial++);
    return name;
}

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

std::vector<std::string> SubdirectoryNames(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    std::vector<TDirEntry> entries;
    try {
        const TDirectory d = TDirectory::Open(dir);
        if (d.List(entries) != 0)
            return names;
        for (const TDirEntry& entry : entries) {
            TFileKind kind = entry.Kind;
            TFileIdentity identity;
            // A link is a place the user may go when it leads to a directory.
            if ((kind == TFileKind::fkLink || kind == TFileKind::fkUnknown) &&
                d.StatusOf(entry.Name, true, kind, identity) != 0)
                continue;
            if (kind == TFileKind::fkDirectory)
                names.push_back(entry.Name);
        }
    } catch (const TFailure&) {
    }
    return names;
}

const TDirectory& TDirectoryChain::Open(const std::string_view* levels, std::size_t count,
                                        bool make, std::size_t maxMissing) {
    // Keep the open levels these share with the ones before.
    std::size_t common = 0;
    while (common < count && common < names_.size() && names_[common] == levels[common])
        ++common;
    names_.resize(common);
    chain_.resize(common);
    bool making = false;
    for (std::size_t i = common; i < count; ++i) {
        const TDirectory& parent = i == 0 ? root_ : chain_[i - 1];
        std::string name(levels[i]);
        TDirectory next;
        if (!making) {
            next = parent.Level(name, false);
            if (!next) {
                // Past maxMissing the outermost missing level's parent would
                // be missing too: nothing is made.
                if (!make || count - i > maxMissing)
                    ThrowForErrno(ENOENT);
                making = true;
            }
        }
        if (making)
            next = parent.MakeLevel(name);
        names_.push_back(std::move(name));
        chain_.push_back(std::move(next));
    }
    return count == 0 ? root_ : chain_.back();
}

bool IsTemporaryName(std::string_view name) {
    return name.starts_with(".zorvak-") && name.ends_with(".tmp");
}

unsigned TemporaryOwner(std::string_view name) {
    constexpr std::string_view kLead = ".zorvak-";
    if (!IsTemporaryName(name))
        return 0;
    unsigned pid = 0;
    std::size_t i = kLead.size();
    for (; i < name.size() && name[i] != '-'; ++i) {
        const char c = name[i];
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0 || pid > 0x0FFFFFFFu)
            return 0;
        pid = pid * 16 + static_cast<unsigned>(digit);
    }
    return i < name.size() ? pid : 0;
}

std::vector<TLeftover> FindLeftovers(const TDirectory& dir) {
    std::vector<TLeftover> found;
    std::vector<TDirEntry> entries;
    if (dir.List(entries) != 0)
        return found;
    const unsigned self = ProcessNumber();
    for (const TDirEntry& entry : entries) {
        const unsigned owner = TemporaryOwner(entry.Name);
        if (owner == 0 || owner == self || ProcessAlive(owner))
            continue;
        TLeftover leftover{entry.Name, {}};
        if (IsLeftover(dir, entry.Name, leftover.Identity))
            found.push_back(std::move(leftover));
    }
    return found;
}

void TOutputFile::CreateTemporary() {
    for (int attempt = 0; attempt < 100 && !fd_; ++attempt) {
        written_ = TemporaryName();
        bool taken = false;
        fd_.Reset(CreateExclusive(dir_, written_, taken));
        if (!fd_ && !taken)
            break;
    }
    if (fd_)
        HoldTemporary(fd_.Get());
    if (!fd_) {
        written_.clear();
        throw TFileCreateFailure(Target());
    }
}

TOutputFile::~TOutputFile() {
    Discard();
}

std::size_t TOutputFile::Read(void*, std::size_t) {
    return 0;
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
