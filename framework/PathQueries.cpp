#include "framework/PathQueries.h"

#include "framework/Failures.h"
#include "framework/LockedFile.h"
#include "framework/System.h"

#include <cerrno>

namespace zorvak {

bool StatusAt(const std::filesystem::path& path, bool follow, TFileKind& kind,
              TFileIdentity& identity) {
    return StatusOfPath(path, follow, kind, identity) == 0;
}

bool IdentityAt(const std::filesystem::path& path, TFileIdentity& identity, bool follow) {
    TFileKind kind = TFileKind::fkUnknown;
    return StatusOfPath(path, follow, kind, identity) == 0;
}

bool IdentityAt(const TDirectory& dir, const std::string& name, TFileIdentity& identity) {
    TFileKind kind = TFileKind::fkUnknown;
    return StatusOfName(dir.Get(), name, true, kind, identity) == 0;
}

bool HeldByAnother(const std::filesystem::path& path) {
    // Asked as an exclusive open asks: only another's hold refuses it so.
    int err = 0;
    const TFileDescriptor fd(OpenForReading(path, TShareMode::smExclusive, err));
    if (!fd)
        return err == kHeldErrno;
    TFileKind kind = TFileKind::fkUnknown;
    TFileIdentity identity;
    return StatusOfDescriptor(fd.Get(), kind, identity) == 0 && kind == TFileKind::fkRegular &&
           HoldFile(fd.Get(), TShareMode::smExclusive) == kHeldErrno;
}

void MakeDirectory(const std::filesystem::path& path) {
    if (const int err = MakeDirectoryNamed(path); err != 0 && !(err == EEXIST && IsDirectory(path)))
        ThrowForErrno(err);
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

} // namespace zorvak
