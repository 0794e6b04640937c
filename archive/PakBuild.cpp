#include "archive/PakBuild.h"

#include "archive/PakFormat.h"
#include "archive/PakWriter.h"
#include "framework/Failures.h"
#include "framework/Files.h"
#include "framework/Text.h"

#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <utility>

namespace zorvak {

namespace {

struct TListedEntry {
    std::string Name;
    unsigned char Type;
};

// Reads a whole directory listing at once, in the order the file system
// gives it; false when it cannot be listed.
bool ListDirectory(const std::filesystem::path& dir, std::vector<TListedEntry>& entries) {
    DIR* handle = ::opendir(dir.c_str());
    if (handle == nullptr)
        return false;
    while (const dirent* entry = ::readdir(handle)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        entries.push_back({std::string(name), entry->d_type});
    }
    ::closedir(handle);
    return true;
}

using TDirId = std::pair<dev_t, ino_t>;

class TTreeWalk {
public:
    TTreeWalk(std::vector<TPakBuildFile>& files, const TPakBuildHooks& hooks)
        : files_(files), hooks_(hooks) {}

    bool Walk(const std::filesystem::path& dir, const std::string& prefix) {
        // A directory met again below itself (a bind mount of an ancestor)
        // would never end the walk.
        struct stat st {};
        if (::stat(dir.c_str(), &st) != 0)
            return true;
        const TDirId id{st.st_dev, st.st_ino};
        for (const TDirId& ancestor : ancestors_)
            if (ancestor == id)
                return true;
        std::vector<TListedEntry> entries;
        if (!ListDirectory(dir, entries))
            return true;
        ancestors_.push_back(id);
        for (const TListedEntry& entry : entries) {
            if (!hooks_.Pump())
                return false;
            const std::filesystem::path full = dir / entry.Name;
            const std::string name = prefix + AsciiLower(entry.Name);
            if (entry.Type == DT_DIR) {
                if (!Walk(full, name + "/"))
                    return false;
                continue;
            }
            struct stat link {};
            if (::lstat(full.c_str(), &link) != 0)
                continue;
            if (S_ISDIR(link.st_mode)) {
                if (!Walk(full, name + "/"))
                    return false;
                continue;
            }
            // A link stores what it points at when that is a regular file;
            // a link to a directory is not followed, so no loop can form.
            struct stat target = link;
            if (S_ISLNK(link.st_mode) && ::stat(full.c_str(), &target) != 0)
                continue;
            // Only regular files: reading a FIFO would hang the build.
            if (!S_ISREG(target.st_mode) || IsPakArchiveName(name))
                continue;
            files_.push_back({name, full, static_cast<std::int64_t>(target.st_size)});
            if (hooks_.Found)
                hooks_.Found(files_.back());
        }
        ancestors_.pop_back();
        return true;
    }

private:
    std::vector<TPakBuildFile>& files_;
    const TPakBuildHooks& hooks_;
    std::vector<TDirId> ancestors_;
};

bool Pump(const TPakBuildHooks& hooks) {
    return !hooks.Pump || hooks.Pump();
}

} // namespace

std::string PakStoredName(const std::filesystem::path& relative) {
    std::string name;
    for (const std::filesystem::path& level : relative) {
        const std::string text = level.string();
        if (text.empty() || text == "/" || text == ".")
            continue;
        if (!name.empty())
            name += '/';
        name += AsciiLower(text);
    }
    return name;
}

bool IsPakArchiveName(std::string_view storedName) {
    return storedName.ends_with(".pak");
}

bool WalkPakTree(const std::filesystem::path& start, std::vector<TPakBuildFile>& files,
                 const TPakBuildHooks& hooks) {
    TPakBuildHooks checked = hooks;
    checked.Pump = [&hooks] { return Pump(hooks); };
    return TTreeWalk(files, checked).Walk(start, "");
}

void CheckPakBuild(const std::vector<TPakBuildFile>& files) {
    const std::int64_t directory = static_cast<std::int64_t>(files.size()) * kPakDirEntrySize;
    std::int64_t end = kPakHeaderSize + directory;
    for (const TPakBuildFile& file : files) {
        CheckPakName(file.Name);
        if (file.Size > kPakMaxSize)
            throw TFailure("File too large for a PAK archive (" + std::to_string(file.Size) +
                           " bytes): " + DisplayPath(file.Path));
        end += file.Size;
        if (end > kPakMaxSize)
            throw TFailure("Archive would reach 2 GiB at " + DisplayPath(file.Path));
    }
}

std::filesystem::path PakOutputPath(const std::filesystem::path& start, std::string_view baseName,
                                    bool caseSensitiveNames) {
    // The edit filters typed keys but not pasted text.
    if (baseName.find('/') != std::string_view::npos ||
        baseName.find('\0') != std::string_view::npos)
        throw TFailure("Invalid PAK name " + std::string(baseName));
    const std::string file =
        caseSensitiveNames ? AsciiLower(baseName) + ".pak" : std::string(baseName) + ".PAK";
    return start / file;
}

bool WritePakFile(const std::filesystem::path& output, const std::vector<TPakBuildFile>& files,
                  const TPakBuildHooks& hooks) {
    TAtomicFile archive(output, ".pak");
    TPakWriter writer(archive, static_cast<std::int32_t>(files.size()));
    const auto buffer = std::make_unique<unsigned char[]>(kCopyChunkSize);
    std::vector<std::int64_t> copied(files.size(), 0);

    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!Pump(hooks))
            return false;
        if (hooks.DataRow)
            hooks.DataRow(i);
        TLockedFile input(files[i].Path);
        writer.BeginEntry(files[i].Name);
        // The size at this open is what is stored; a file that grows while
        // it is copied gives exactly these bytes, one that shrinks stops the
        // build rather than store bytes no read filled.
        std::int64_t left = input.Size();
        while (left > 0) {
            const std::size_t want = left >= static_cast<std::int64_t>(kCopyChunkSize)
                                         ? kCopyChunkSize
                                         : static_cast<std::size_t>(left);
            if (input.Read(buffer.get(), want) != want)
                throw TInOutFailure(kIoReadBeyondEnd);
            writer.WriteData(buffer.get(), want);
            left -= static_cast<std::int64_t>(want);
        }
        copied[i] = input.Size();
    }

    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!Pump(hooks))
            return false;
        {
            TLockedFile input(files[i].Path);
            // The directory records what was copied; a file written to
            // meanwhile would make the archive hold a state it never had.
            if (input.Size() != copied[i])
                throw TFailure("File changed while building: " + DisplayPath(files[i].Path));
        }
        if (hooks.DirectoryRow)
            hooks.DirectoryRow(i);
    }
    writer.Finish();
    archive.Commit();
    return true;
}

} // namespace zorvak
