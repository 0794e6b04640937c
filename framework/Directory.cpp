#include "framework/Directory.h"

#include "framework/Failures.h"
#include "framework/System.h"

#include <cerrno>

namespace zorvak {

TDirectory TDirectory::Open(const std::filesystem::path& path) {
    int err = 0;
    TFileDescriptor fd(OpenDirectory(path.empty() ? std::filesystem::path(".") : path, err));
    if (!fd)
        ThrowForErrno(err);
    return TDirectory(std::move(fd), path);
}

TDirectory TDirectory::Level(const std::string& name, bool create) const {
    // A few rounds: a level another process removes between our creation
    // and our open is made again; one it makes before ours is taken.
    for (int round = 0; round < 3; ++round) {
        TLevelLook look = TLevelLook::llFailed;
        int err = 0;
        TFileDescriptor fd(OpenLevel(Get(), name, look, err));
        switch (look) {
        case TLevelLook::llDirectory:
            return TDirectory(std::move(fd), path_ / name);
        case TLevelLook::llMissing:
            if (!create)
                return {};
            if (const int made = MakeDirectoryAt(Get(), name); made != 0 && made != EEXIST)
                ThrowForErrno(made);
            continue;
        case TLevelLook::llLink:
            throw TLinkFailure(path_ / name);
        case TLevelLook::llOther:
            // Something else is in the way, which creating it reports so.
            ThrowForErrno(EEXIST);
        case TLevelLook::llFailed:
            break;
        }
        ThrowForErrno(err);
    }
    ThrowForErrno(ENOENT);
}

TDirectory TDirectory::MakeLevel(const std::string& name) const {
    if (const int made = MakeDirectoryAt(Get(), name); made != 0 && made != EEXIST)
        ThrowForErrno(made);
    return Level(name, true);
}

TDirectory TDirectory::TryLevel(const std::string& name, int& err) const {
    TLevelLook look = TLevelLook::llFailed;
    TFileDescriptor fd(OpenLevel(Get(), name, look, err));
    if (look != TLevelLook::llDirectory)
        return {};
    err = 0;
    return TDirectory(std::move(fd), path_ / name);
}

int TDirectory::List(std::vector<TDirEntry>& entries) const {
    return ListDirectory(Get(), entries);
}

int TDirectory::StatusOf(const std::string& name, bool follow, TFileKind& kind,
                         TFileIdentity& identity) const {
    try {
        return StatusOfName(Get(), name, follow, kind, identity);
    } catch (const TInOutFailure&) {
        // The directory itself can no longer be named.
        return EIO;
    }
}

std::int64_t TDirectory::FreeBytes() const {
    return FreeBytesBelow(Get());
}

void TDirectory::Flush() const {
    FlushDirectory(Get());
}

void TDirectory::FlushFileSystem() const {
    FlushFileSystemOf(Get());
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

} // namespace zorvak
