#include "framework/Temporaries.h"

#include "framework/Failures.h"
#include "framework/LockedFile.h"
#include "framework/System.h"

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace zorvak {

namespace {
constexpr std::string_view kLead = ".zorvak-";
} // namespace

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

int CreateTemporaryIn(int dir, TNewFile use, std::string& name) {
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        name = TemporaryName();
        bool taken = false;
        fd = CreateExclusive(dir, name, use, taken);
        if (fd < 0 && !taken)
            break;
    }
    if (fd < 0) {
        name.clear();
        return -1;
    }
    // Held while it is written, so no other run takes it for a leftover;
    // best effort: the owner's number in the name still tells it apart.
    HoldFile(fd, TShareMode::smExclusive);
    return fd;
}

bool IsTemporaryName(std::string_view name) {
    return name.starts_with(kLead) && name.ends_with(".tmp");
}

unsigned TemporaryOwner(std::string_view name) {
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

namespace {
// Whether the temporary name in dir is a regular file no process holds (a
// writer's lock, or its share mode): its identity when it is.
bool IsLeftover(const TDirectory& dir, const std::string& name, TFileIdentity& identity) {
    int err = 0;
    const TFileDescriptor fd(OpenForRemoving(dir.Get(), name, err));
    TFileKind kind = TFileKind::fkUnknown;
    if (!fd || StatusOfDescriptor(fd.Get(), kind, identity) != 0 || kind != TFileKind::fkRegular)
        return false;
    // A process of another system sharing the folder (a container) may
    // still write it: it holds the lock.
    return HoldFile(fd.Get(), TShareMode::smExclusive) == 0;
}
} // namespace

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

bool RemoveLeftover(const TDirectory& dir, const TLeftover& leftover) {
    TFileKind kind = TFileKind::fkUnknown;
    TFileIdentity now;
    if (CanMoveByDescriptor()) {
        // Looked at and removed through one open, so what goes is what was
        // looked at.
        int err = 0;
        const TFileDescriptor fd(OpenForRemoving(dir.Get(), leftover.Name, err));
        if (!fd)
            return err == ENOENT;
        return StatusOfDescriptor(fd.Get(), kind, now) == 0 && now.SameFileAs(leftover.Identity) &&
               RemoveByDescriptor(fd.Get()) == 0;
    }
    if (const int err = dir.StatusOf(leftover.Name, false, kind, now); err != 0)
        return err == ENOENT;
    if (!now.SameFileAs(leftover.Identity))
        return false;
    const int err = RemoveName(dir.Get(), leftover.Name);
    return err == 0 || err == ENOENT;
}

TMappedTemporary::TMappedTemporary(const TDirectory& dir, std::size_t size)
    : dir_(dir), size_(size) {
    fd_.Reset(CreateTemporaryIn(dir.Get(), TNewFile::nfMapped, name_));
    if (!fd_)
        throw TFileCreateFailure(dir.Path());
    bytes_ = MapFile(fd_.Get(), size, mapping_);
    if (bytes_ == nullptr) {
        fd_.Reset();
        RemoveName(dir.Get(), name_);
        throw TFileCreateFailure(dir.Path());
    }
}

TMappedTemporary::~TMappedTemporary() {
    UnmapFile(bytes_, size_, mapping_);
    fd_.Reset();
    RemoveName(dir_.Get(), name_);
}

TScratchFile::TScratchFile(const std::filesystem::path& folder) {
    try {
        dir_ = TDirectory::Open(folder);
    } catch (const TFailure&) {
        throw TFileCreateFailure(folder);
    }
    // Made as a mapped temporary is: read and written, kept to the process.
    fd_.Reset(CreateTemporaryIn(dir_.Get(), TNewFile::nfMapped, name_));
    if (!fd_)
        throw TFileCreateFailure(folder);
}

TScratchFile::~TScratchFile() {
    fd_.Reset();
    RemoveName(dir_.Get(), name_);
}

std::int64_t TScratchFile::Append(const void* bytes, std::size_t n) {
    const std::int64_t at = size_;
    try {
        WriteFully(fd_.Get(), at, bytes, n);
    } catch (...) {
        // A part written counts for nothing: the next append goes there.
        CutFile(fd_.Get(), at);
        throw;
    }
    size_ += static_cast<std::int64_t>(n);
    return at;
}

void TScratchFile::CutTo(std::int64_t size) {
    if (size < 0 || size >= size_)
        return;
    CutFile(fd_.Get(), size);
    size_ = size;
}

} // namespace zorvak
