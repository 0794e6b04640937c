#include "archive/PakExtract.h"

#include "archive/PakFormat.h"
#include "framework/Failures.h"
#include "framework/Files.h"

#include <array>
#include <cerrno>
#include <sys/stat.h>
#include <vector>

namespace zorvak {

namespace {

[[noreturn]] void RefuseName(const std::string& name) {
    throw TFailure("Unsafe entry name \"" + name +
                   "\": it would not land inside the archive's directory");
}

bool IsDirectory(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

std::filesystem::path EntryOutputPath(const std::filesystem::path& archive,
                                      const std::string& name) {
    return EntryOutputPathIn(archive.parent_path(), name);
}

std::filesystem::path EntryOutputPathIn(const std::filesystem::path& dir, const std::string& name) {
    if (name.empty() || name.front() == '/')
        RefuseName(name);
    if (name.size() >= 2 && name[1] == ':' &&
        ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')))
        RefuseName(name);
    std::filesystem::path out = dir;
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t slash = std::min(name.find('/', start), name.size());
        const std::string level = name.substr(start, slash - start);
        if (level.empty() || level == "." || level == "..")
            RefuseName(name);
        out /= level;
        start = slash + 1;
    }
    return out;
}

void ForceDirPath(const std::filesystem::path& dir) {
    std::vector<std::filesystem::path> levels;
    std::filesystem::path d = dir;
    if (!d.empty() && !d.has_filename())
        d = d.parent_path();
    while (!d.empty() && !IsDirectory(d) && static_cast<int>(levels.size()) < kMaxForcedLevels) {
        levels.push_back(d);
        const std::filesystem::path up = d.parent_path();
        if (up == d)
            break;
        d = up;
    }
    for (auto it = levels.rbegin(); it != levels.rend(); ++it)
        if (::mkdir(it->c_str(), 0777) != 0)
            ThrowForErrno(errno);
}

bool CopyEntry(const std::filesystem::path& archive, std::int32_t pos, std::int32_t length,
               const std::filesystem::path& out, const std::string& name, TCopyObserver& observer) {
    if (pos < 0 || length < 0)
        throw TFailure("Damaged entry " + name + ": its position or length is negative");
    TLockedFile source(archive);
    if (SameFile(out, archive))
        throw TFailure("Entry " + name + " would overwrite the archive it is read from");
    if (std::int64_t{pos} + length > source.Size())
        throw TInOutFailure(kIoReadBeyondEnd);
    TAtomicFile target(out);

    std::int64_t remaining = length;
    observer.Started(static_cast<std::int32_t>(remaining / kCopyChunkSize + 1));
    std::array<unsigned char, kCopyChunkSize> buffer;
    std::int64_t at = pos;
    while (remaining > 0) {
        if (!observer.BeforeChunk())
            return false;
        const std::size_t chunk = remaining >= static_cast<std::int64_t>(kCopyChunkSize)
                                      ? kCopyChunkSize
                                      : static_cast<std::size_t>(remaining);
        // A short read means the archive shrank under us: write nothing of it.
        if (source.ReadAt(at, buffer.data(), chunk) != chunk)
            throw TInOutFailure(kIoReadBeyondEnd);
        target.Write(buffer.data(), chunk);
        at += static_cast<std::int64_t>(chunk);
        remaining -= static_cast<std::int64_t>(chunk);
    }
    target.Commit();
    return true;
}

} // namespace zorvak
