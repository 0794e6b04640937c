#include "archive/PakBuild.h"

#include "archive/PakFormat.h"
#include "archive/PakWriter.h"
#include "framework/Failures.h"
#include "framework/Files.h"
#include "framework/Text.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace zorvak {

namespace {

struct TListedEntry {
    std::string Name;
    unsigned char Type;
};

// Reads a whole directory listing at once, in the order the file system
// gives it. Takes the descriptor; false when it cannot be listed.
bool ListDirectory(int fd, std::vector<TListedEntry>& entries) {
    DIR* handle = ::fdopendir(fd);
    if (handle == nullptr) {
        ::close(fd);
        return false;
    }
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

    // dirFd is an open descriptor of dir, which this takes over. Entries are
    // looked at relative to it, so deep trees cost no long path look-ups.
    bool Walk(int dirFd, const std::string& dir, const std::string& prefix) {
        // A directory met again below itself (a bind mount of an ancestor)
        // would never end the walk.
        struct stat st {};
        if (::fstat(dirFd, &st) != 0) {
            ::close(dirFd);
            return true;
        }
        const TDirId id{st.st_dev, st.st_ino};
        if (std::find(ancestors_.begin(), ancestors_.end(), id) != ancestors_.end()) {
            ::close(dirFd);
            return true;
        }
        // Entries are looked up through a second descriptor: the listing's
        // is closed once it has been read.
        const int lookupFd = ::dup(dirFd);
        std::vector<TListedEntry> entries;
        if (lookupFd < 0 || !ListDirectory(dirFd, entries)) {
            if (lookupFd >= 0)
                ::close(lookupFd);
            return true;
        }
        ancestors_.push_back(id);
        const bool finished = WalkEntries(lookupFd, dir, prefix, entries);
        ancestors_.pop_back();
        ::close(lookupFd);
        return finished;
    }

private:
    bool WalkEntries(int dirFd, const std::string& dir, const std::string& prefix,
                     const std::vector<TListedEntry>& entries) {
        for (const TListedEntry& entry : entries) {
            if (!hooks_.Pump())
                return false;
            const std::string full = dir.ends_with('/') ? dir + entry.Name : dir + "/" + entry.Name;
            const std::string name = prefix + AsciiLower(entry.Name);
            struct stat link {};
            if (entry.Type != DT_DIR &&
                ::fstatat(dirFd, entry.Name.c_str(), &link, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            if (entry.Type == DT_DIR || S_ISDIR(link.st_mode)) {
                // O_NOFOLLOW: a directory swapped for a link since the
                // listing is not followed either.
                const int fd = ::openat(dirFd, entry.Name.c_str(),
                                        O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                if (fd >= 0 && !Walk(fd, full, name + "/"))
                    return false;
                continue;
            }
            // A link stores what it points at when that is a regular file;
            // a link to a directory is not followed, so no loop can form.
            struct stat target = link;
            if (S_ISLNK(link.st_mode) && ::fstatat(dirFd, entry.Name.c_str(), &target, 0) != 0)
                continue;
            // Only regular files: reading a FIFO would hang the build.
            if (!S_ISREG(target.st_mode) || IsPakArchiveName(name))
                continue;
            files_.push_back({name, full, static_cast<std::int64_t>(target.st_size)});
            if (hooks_.Found)
                hooks_.Found(files_.back());
        }
        return true;
    }

    std::vector<TPakBuildFile>& files_;
    const TPakBuildHooks& hooks_;
    std::vector<TDirId> ancestors_;
};

bool Pump(const TPakBuildHooks& hooks) {
    return !hooks.Pump || hooks.Pump();
}

// Collects the archive's many small writes into few large ones, in a buffer
// of fixed size, so memory stays flat whatever the files.
class TWriteBehind : public TStream {
public:
    explicit TWriteBehind(TStream& out) : out_(out), buffer_(new unsigned char[kCapacity]) {}

    std::size_t Read(void*, std::size_t) override { return 0; }
    void Write(const void* data, std::size_t n) override {
        if (used_ + n > kCapacity)
            Flush();
        if (n >= kCapacity) {
            out_.Write(data, n);
        } else {
            std::memcpy(buffer_.get() + used_, data, n);
            used_ += n;
        }
    }
    std::int64_t Seek(std::int64_t position) override {
        Flush();
        return out_.Seek(position);
    }
    std::int64_t Position() const override {
        return out_.Position() + static_cast<std::int64_t>(used_);
    }
    std::int64_t Size() const override { return std::max(out_.Size(), Position()); }

    void Flush() {
        if (used_ > 0)
            out_.Write(buffer_.get(), used_);
        used_ = 0;
    }

private:
    static constexpr std::size_t kCapacity = 256 * 1024;
    TStream& out_;
    std::unique_ptr<unsigned char[]> buffer_;
    std::size_t used_ = 0;
};

} // namespace

bool IsPakArchiveName(std::string_view storedName) {
    return storedName.ends_with(".pak");
}

bool WalkPakTree(const std::filesystem::path& start, std::vector<TPakBuildFile>& files,
                 const TPakBuildHooks& hooks) {
    TPakBuildHooks checked = hooks;
    checked.Pump = [&hooks] { return Pump(hooks); };
    const int fd = ::open(start.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return true; // a directory that cannot be listed adds nothing
    return TTreeWalk(files, checked).Walk(fd, start.string(), "");
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
    TWriteBehind buffered(archive);
    TPakWriter writer(buffered, static_cast<std::int32_t>(files.size()));
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
        // The size is measured again by the path the copy used. The
        // directory records what was copied; a file written to meanwhile
        // would make the archive hold a state it never had.
        struct stat st {};
        if (::stat(files[i].Path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            throw TFileOpenFailure(files[i].Path);
        if (static_cast<std::int64_t>(st.st_size) != copied[i])
            throw TFailure("File changed while building: " + DisplayPath(files[i].Path));
        if (hooks.DirectoryRow)
            hooks.DirectoryRow(i);
    }
    writer.Finish();
    buffered.Flush();
    archive.Commit();
    return true;
}

} // namespace zorvak
