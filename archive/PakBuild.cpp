#include "archive/PakBuild.h"

#include "archive/PakFormat.h"
#include "archive/PakWriter.h"
#include "framework/Failures.h"
#include "framework/Files.h"
#include "framework/Text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <utility>

namespace zorvak {

namespace {

struct TListedEntry {
    std::string Name;
    unsigned char Type;
};

[[noreturn]] void CannotRead(const std::string& path, int err) {
    throw TFailure("Cannot read " + path + ": " + TInOutFailure::FromErrno(err).what());
}

[[noreturn]] void CannotList(const std::string& dir, int err) {
    throw TFailure("Cannot list directory " + dir + ": " + TInOutFailure::FromErrno(err).what());
}

// Reads a whole directory listing at once, in the order the file system
// gives it. Takes the descriptor; a listing that fails stops the build.
void ListDirectory(int fd, const std::string& dir, std::vector<TListedEntry>& entries) {
    DIR* handle = ::fdopendir(fd);
    if (handle == nullptr) {
        const int err = errno;
        ::close(fd);
        CannotList(dir, err);
    }
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(handle);
        if (entry == nullptr)
            break;
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        entries.push_back({std::string(name), entry->d_type});
    }
    const int err = errno;
    ::closedir(handle);
    if (err != 0)
        CannotList(dir, err);
}

using TDirId = std::pair<dev_t, ino_t>;

class TTreeWalk {
public:
    TTreeWalk(std::vector<TPakBuildFile>& files, const TPakBuildHooks& hooks,
              std::uint32_t relativeFrom)
        : files_(files), hooks_(hooks), relativeFrom_(relativeFrom) {}

    // dirFd is an open descriptor of dir, which this takes over. Entries are
    // looked at relative to it, so deep trees cost no long path look-ups.
    bool Walk(int dirFd, const std::string& dir, const std::string& prefix) {
        // A directory met again below itself (a bind mount of an ancestor)
        // would never end the walk.
        struct stat st {};
        if (::fstat(dirFd, &st) != 0) {
            const int err = errno;
            ::close(dirFd);
            CannotList(dir, err);
        }
        const TDirId id{st.st_dev, st.st_ino};
        if (std::find(ancestors_.begin(), ancestors_.end(), id) != ancestors_.end()) {
            ::close(dirFd);
            return true;
        }
        // Entries are looked up through a second descriptor: the listing's
        // is closed once it has been read.
        const int lookupFd = ::dup(dirFd);
        if (lookupFd < 0) {
            const int err = errno;
            ::close(dirFd);
            CannotList(dir, err);
        }
        std::vector<TListedEntry> entries;
        try {
            ListDirectory(dirFd, dir, entries);
        } catch (...) {
            ::close(lookupFd);
            throw;
        }
        ancestors_.push_back(id);
        struct TClose {
            int Fd;
            ~TClose() { ::close(Fd); }
        } closeLookup{lookupFd};
        const bool finished = WalkEntries(lookupFd, dir, prefix, entries);
        ancestors_.pop_back();
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
                ::fstatat(dirFd, entry.Name.c_str(), &link, AT_SYMLINK_NOFOLLOW) != 0) {
                // Gone since the listing: nothing to store. Anything else
                // would leave a file out.
                if (errno == ENOENT)
                    continue;
                CannotRead(full, errno);
            }
            if (entry.Type == DT_DIR || S_ISDIR(link.st_mode)) {
                // O_NOFOLLOW: a directory swapped for a link since the
                // listing is not followed either.
                const int fd = ::openat(dirFd, entry.Name.c_str(),
                                        O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                if (fd < 0) {
                    if (errno == ENOENT || errno == ENOTDIR || errno == ELOOP)
                        continue;
                    CannotList(full, errno);
                }
                if (!Walk(fd, full, name + "/"))
                    return false;
                continue;
            }
            // A link stores what it points at when that is a regular file;
            // a link to a directory is not followed, so no loop can form.
            struct stat target = link;
            if (S_ISLNK(link.st_mode) && ::fstatat(dirFd, entry.Name.c_str(), &target, 0) != 0) {
                // A dangling link stores nothing; an unreadable target would
                // be a file left out.
                if (errno == ENOENT || errno == ELOOP)
                    continue;
                CannotRead(full, errno);
            }
            // Only regular files: reading a FIFO would hang the build.
            if (!S_ISREG(target.st_mode) || IsPakArchiveName(name) || IsTemporaryName(entry.Name))
                continue;
            if (hooks_.Output.Inode != 0 &&
                hooks_.Output.Device == static_cast<std::uint64_t>(target.st_dev) &&
                hooks_.Output.Inode == static_cast<std::uint64_t>(target.st_ino))
                continue;
            files_.push_back(
                {name, full, static_cast<std::int64_t>(target.st_size), relativeFrom_});
            if (hooks_.Found)
                hooks_.Found(files_.back());
        }
        return true;
    }

    std::vector<TPakBuildFile>& files_;
    const TPakBuildHooks& hooks_;
    std::uint32_t relativeFrom_;
    std::vector<TDirId> ancestors_;
};

// The directory of each row, opened below the start directory level by
// level without following a link, the last row's levels kept open.
class TRowDirectories {
public:
    const TDirectory& Of(const TPakBuildFile& row, std::string& base) {
        const std::string_view path = row.Path;
        const std::string_view rel =
            path.substr(std::min<std::size_t>(row.RelativeFrom, path.size()));
        if (!chain_ || root_ != path.substr(0, path.size() - rel.size())) {
            root_ = std::string(path.substr(0, path.size() - rel.size()));
            try {
                chain_.emplace(TDirectory::Open(root_.empty() ? "." : root_));
            } catch (const TFailure&) {
                throw TFileOpenFailure(row.Path);
            }
        }
        std::array<std::string_view, 64> levels{};
        std::size_t count = 0, start = 0;
        for (std::size_t slash; (slash = rel.find('/', start)) != std::string_view::npos;
             start = slash + 1) {
            if (count == levels.size())
                throw TFileOpenFailure(row.Path);
            levels[count++] = rel.substr(start, slash - start);
        }
        base = std::string(rel.substr(start));
        try {
            return chain_->Open(levels.data(), count, false, 0);
        } catch (const TFailure&) {
            throw TFileOpenFailure(row.Path);
        }
    }

private:
    std::string root_;
    std::optional<TDirectoryChain> chain_;
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
        CannotList(start.string(), errno);
    const std::string root = start.string();
    const auto relativeFrom =
        static_cast<std::uint32_t>(root.size() + (root.ends_with('/') ? 0 : 1));
    return TTreeWalk(files, checked, relativeFrom).Walk(fd, root, "");
}

void CheckPakBuild(const std::vector<TPakBuildFile>& files) {
    const std::int64_t directory = static_cast<std::int64_t>(files.size()) * kPakDirEntrySize;
    std::int64_t end = kPakHeaderSize + directory;
    std::unordered_map<std::string_view, const TPakBuildFile*> names;
    names.reserve(files.size());
    for (const TPakBuildFile& file : files) {
        CheckPakName(file.Name);
        // Names are lowered when stored: the second of two files that
        // differ only in letter case would be lost on extraction.
        const auto [first, fresh] = names.emplace(file.Name, &file);
        if (!fresh)
            throw TFailure("Two files would be stored as " + file.Name + ": " +
                           DisplayPath(first->second->Path) + " and " + DisplayPath(file.Path));
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
    TAtomicFile archive(output);
    TWriteBehind buffered(archive);
    TPakWriter writer(buffered, static_cast<std::int32_t>(files.size()));
    const auto buffer = std::make_unique<unsigned char[]>(kCopyChunkSize);

    // What each file was when it was opened; it must still be so after its
    // copy, and in the directory pass: a writer changes a file's times
    // before its bytes, so a change during the copy shows.
    std::vector<TFileIdentity> copied(files.size());
    TRowDirectories dirs;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!Pump(hooks))
            return false;
        if (hooks.DataRow)
            hooks.DataRow(i);
        std::string base;
        const TDirectory& dir = dirs.Of(files[i], base);
        TLockedFile input(dir, base, files[i].Path, hooks.Inputs);
        writer.BeginEntry(files[i].Name);
        // The size at this open is what is stored; a file that shrinks stops
        // the build rather than store bytes no read filled.
        std::int64_t left = input.Size();
        std::int64_t at = 0;
        while (left > 0) {
            const std::size_t want = left >= static_cast<std::int64_t>(kCopyChunkSize)
                                         ? kCopyChunkSize
                                         : static_cast<std::size_t>(left);
            if (input.ReadAt(at, buffer.get(), want) != want)
                throw TInOutFailure(kIoReadBeyondEnd);
            writer.WriteData(buffer.get(), want);
            at += static_cast<std::int64_t>(want);
            left -= static_cast<std::int64_t>(want);
        }
        copied[i] = input.Identity();
        if (!IdentityOf(input.Descriptor()).Unchanged(copied[i]))
            throw TFailure("File changed while building: " + DisplayPath(files[i].Path));
    }

    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!Pump(hooks))
            return false;
        // Looked at again where the copy found it: the directory records what
        // was copied, and a file changed meanwhile would make the archive
        // hold a state the tree never had.
        if (hooks.MeasureAgain) {
            std::string base;
            TFileIdentity now;
            if (!IdentityAt(dirs.Of(files[i], base), base, now))
                throw TFileOpenFailure(files[i].Path);
            if (!now.Unchanged(copied[i]))
                throw TFailure("File changed while building: " + DisplayPath(files[i].Path));
        }
        if (hooks.DirectoryRow)
            hooks.DirectoryRow(i);
    }
    writer.Finish();
    buffered.Flush();
    archive.Commit();
    return true;
}

} // namespace zorvak
