#include "archive/PakBuild.h"

#include "archive/PakExtract.h"
#include "archive/PakFormat.h"
#include "archive/PakWriter.h"
#include "framework/Failures.h"
#include "framework/Files.h"
#include "framework/System.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <utility>

namespace zorvak {

namespace {
// Paths of the walk are written as this system writes them.
constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);
// The buffer of a build by the kernel's copy: a small file in one read, and
// the last way for a big one the kernel cannot copy.
constexpr std::size_t kBuildChunkSize = 1024 * 1024;
// A big file goes in by the kernel in pieces of this size, between which the
// build can be stopped.
constexpr std::int64_t kKernelCopyPiece = 64 * 1024 * 1024;
// The fewest small files a build reads ahead on other threads.
constexpr std::size_t kReadAheadFiles = 1000;
} // namespace

namespace {

[[noreturn]] void CannotRead(const std::string& path, int err) {
    throw TFailure(
        FormatText(Tr("Cannot read {1}: {2}"), path, TInOutFailure::FromErrno(err).what()));
}

[[noreturn]] void CannotList(const std::string& dir, const TFailure& failure) {
    throw TFailure(FormatText(Tr("Cannot list directory {1}: {2}"), dir, failure.what()));
}

[[noreturn]] void CannotList(const std::string& dir, int err) {
    CannotList(dir, TInOutFailure::FromErrno(err));
}

[[noreturn]] void ChangedWhileBuilding(const std::string& path) {
    throw TFailure(FormatText(Tr("File changed while building: {1}"), DisplayPath(path)));
}

class TTreeWalk {
public:
    TTreeWalk(std::vector<TPakBuildFile>& files, const TPakBuildHooks& hooks,
              std::uint32_t relativeFrom)
        : files_(files), hooks_(hooks), relativeFrom_(relativeFrom) {}

    // Entries are looked at relative to dir's descriptor, so deep trees cost
    // no long path look-ups.
    bool Walk(const TDirectory& dir, const std::string& path, const std::string& prefix) {
        // A directory met again below itself (a bind mount of an ancestor)
        // would never end the walk.
        TFileIdentity id;
        try {
            id = dir.Identity();
        } catch (const TFailure& failure) {
            CannotList(path, failure);
        }
        const auto seen = [&id](const TFileIdentity& a) { return a.SameFileAs(id); };
        if (std::any_of(ancestors_.begin(), ancestors_.end(), seen))
            return true;
        std::vector<TDirEntry> entries;
        if (const int err = dir.List(entries); err != 0)
            CannotList(path, err);
        ancestors_.push_back(id);
        const bool finished = threads_ > 1 && ancestors_.size() == 1
                                  ? WalkShared(dir, path, prefix, entries)
                                  : WalkEntries(dir, path, prefix, entries);
        ancestors_.pop_back();
        return finished;
    }

    // The directories at the start are walked on this many threads.
    void Share(unsigned threads) { threads_ = threads; }

private:
    // The start directory's entries with each folder among them walked on a
    // thread of its own, their files put back in the walk's order: the same
    // list, and the same first failure, as one thread gives.
    bool WalkShared(const TDirectory& dir, const std::string& path, const std::string& prefix,
                    const std::vector<TDirEntry>& entries) {
        struct TPart {
            std::vector<TPakBuildFile> Files;
            std::exception_ptr Failure;
            bool Finished = true;
        };
        std::vector<TPart> parts(entries.size());
        TPakBuildHooks quiet = hooks_;
        quiet.Found = nullptr;
        std::atomic<std::size_t> next{0};
        const auto work = [&] {
            for (std::size_t i = next++; i < entries.size(); i = next++) {
                if (entries[i].Kind != TFileKind::fkDirectory)
                    continue;
                TTreeWalk walk(parts[i].Files, quiet, relativeFrom_);
                walk.ancestors_ = ancestors_;
                try {
                    parts[i].Finished = walk.WalkEntries(dir, path, prefix, {entries[i]});
                } catch (...) {
                    parts[i].Failure = std::current_exception();
                }
            }
        };
        {
            std::vector<std::jthread> threads;
            for (unsigned t = 1; t < threads_; ++t)
                threads.emplace_back(work);
            work();
        }
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].Kind != TFileKind::fkDirectory) {
                if (!WalkEntries(dir, path, prefix, {entries[i]}))
                    return false;
                continue;
            }
            if (parts[i].Failure)
                std::rethrow_exception(parts[i].Failure);
            for (TPakBuildFile& file : parts[i].Files) {
                files_.push_back(std::move(file));
                if (hooks_.Found)
                    hooks_.Found(files_.back());
            }
            if (!parts[i].Finished)
                return false;
        }
        return true;
    }

    bool WalkEntries(const TDirectory& dir, const std::string& path, const std::string& prefix,
                     const std::vector<TDirEntry>& entries) {
        for (const TDirEntry& entry : entries) {
            if (!hooks_.Pump())
                return false;
            const std::string full = !path.empty() && IsLevelSeparator(path.back())
                                         ? path + entry.Name
                                         : path + kSeparator + entry.Name;
            const std::string name = prefix + AsciiLower(entry.Name);
            TFileKind kind = entry.Kind;
            TFileIdentity identity;
            bool linked = false;
            if (kind != TFileKind::fkDirectory) {
                // Gone since the listing: nothing to store. Anything else
                // would leave a file out.
                if (const int err = dir.StatusOf(entry.Name, false, kind, identity); err != 0) {
                    if (err == ENOENT)
                        continue;
                    CannotRead(full, err);
                }
            }
            if (kind == TFileKind::fkDirectory) {
                // Never through a link: a directory swapped for one since
                // the listing is passed over too.
                int err = 0;
                const TDirectory sub = dir.TryLevel(entry.Name, err);
                if (!sub) {
                    if (err == ENOENT || err == ENOTDIR || err == ELOOP)
                        continue;
                    CannotList(full, err);
                }
                if (!Walk(sub, full, name + "/"))
                    return false;
                continue;
            }
            // A link stores what it points at when that is a regular file;
            // a link to a directory is not followed, so no loop can form.
            if (kind == TFileKind::fkLink) {
                linked = true;
                // A dangling link stores nothing; an unreadable target would
                // be a file left out.
                if (const int err = dir.StatusOf(entry.Name, true, kind, identity); err != 0) {
                    if (err == ENOENT || err == ELOOP)
                        continue;
                    CannotRead(full, err);
                }
            }
            // Only regular files: reading a FIFO would hang the build.
            if (kind != TFileKind::fkRegular || IsPakArchiveName(name) ||
                IsTemporaryName(entry.Name))
                continue;
            if (hooks_.Output.Inode != 0 && hooks_.Output.SameFileAs(identity))
                continue;
            files_.push_back({name, full, identity.Size, relativeFrom_, linked});
            if (hooks_.Found)
                hooks_.Found(files_.back());
        }
        return true;
    }

    std::vector<TPakBuildFile>& files_;
    const TPakBuildHooks& hooks_;
    std::uint32_t relativeFrom_;
    std::vector<TFileIdentity> ancestors_;
    unsigned threads_ = 1;
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

// A small file read whole by ReadAhead, or what stopped it.
struct TReadFile {
    bool Small = false; // false: the writer opens and copies it itself
    std::size_t Size = 0;
    // As long as the longest file read into it: memory follows the files.
    std::vector<unsigned char> Bytes;
    TFileIdentity Identity;
    std::exception_ptr Failure;
    bool Ready = false;
};

// Threads that open and read the small files of a build ahead of its writer,
// a window of kSlots files ahead at most, so that the system calls of many
// small files run on every core while memory stays flat. Each thread walks
// the directories with its own descriptors.
class TReadAhead {
public:
    TReadAhead(const std::vector<TPakBuildFile>& files, TShareMode inputs, unsigned threads)
        : files_(files), inputs_(inputs) {
        for (unsigned t = 0; t < threads; ++t)
            threads_.emplace_back([this] { Work(); });
    }
    TReadAhead(const TReadAhead&) = delete;
    TReadAhead& operator=(const TReadAhead&) = delete;
    ~TReadAhead() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        slotFree_.notify_all();
        for (std::thread& t : threads_)
            t.join();
    }

    // File i, the next in the list's order, once it is read: its slot stays
    // the caller's until the next Take. Rethrows what stopped its read.
    TReadFile& Take(std::size_t i) {
        std::unique_lock lock(mutex_);
        taken_ = i; // the slot of i - 1 is free again
        if (readersWaiting_ > 0 && taken_ >= resumeAt_)
            slotFree_.notify_all();
        TReadFile& slot = slots_[i % kSlots];
        // Woken only while it waits, and then once a few files are read: a
        // hand-over per small file would cost more than its read.
        const auto there = [&] { return slot.Ready && readOf_[i % kSlots] == i; };
        if (!there()) {
            waitFor_ = i;
            waitUntil_ = std::min(i + kWakeAfter, files_.size() - 1);
            writerWaiting_ = true;
            readDone_.wait(lock, [&] { return wokenUp_; });
            wokenUp_ = false;
            writerWaiting_ = false;
        }
        if (slot.Failure)
            std::rethrow_exception(slot.Failure);
        return slot;
    }

private:
    static constexpr std::size_t kSlots = 64;
    // How many files after its own the writer would see read before it is
    // woken, well within the window.
    static constexpr std::size_t kWakeAfter = 16;

    void Work() {
        TRowDirectories dirs;
        for (;;) {
            std::size_t i = 0;
            {
                std::unique_lock lock(mutex_);
                // A slot is free once the writer has taken a later file.
                const auto free = [&] {
                    return stop_ || next_ >= files_.size() || next_ < taken_ + kSlots;
                };
                // Looked at again after each wait: another reader may have
                // taken the freed slots meanwhile, and a file read past the
                // window would overwrite one the writer has yet to take.
                while (!free()) {
                    // Back once half the window is free again.
                    resumeAt_ = next_ + 1 - kSlots + kSlots / 2;
                    ++readersWaiting_;
                    slotFree_.wait(lock, [&] { return stop_ || taken_ >= resumeAt_; });
                    --readersWaiting_;
                }
                if (stop_ || next_ >= files_.size())
                    return;
                i = next_++;
                readOf_[i % kSlots] = i;
                slots_[i % kSlots].Ready = false;
            }
            TReadFile& slot = slots_[i % kSlots];
            Read(dirs, i, slot);
            bool wake = false;
            {
                const std::lock_guard lock(mutex_);
                slot.Ready = true;
                // Its file is there, and either the files after it are too,
                // or no read to come would wake it: the window is full, or
                // every file is taken.
                const TReadFile& wanted = slots_[waitFor_ % kSlots];
                wake = writerWaiting_ && !wokenUp_ && wanted.Ready &&
                       readOf_[waitFor_ % kSlots] == waitFor_ &&
                       (i >= waitUntil_ || next_ >= files_.size() || next_ >= taken_ + kSlots);
                wokenUp_ = wokenUp_ || wake;
            }
            if (wake)
                readDone_.notify_one();
        }
    }

    void Read(TRowDirectories& dirs, std::size_t i, TReadFile& slot) {
        slot.Failure = nullptr;
        slot.Small = false;
        // Big when walked: the writer copies it by the kernel, opening it
        // itself, and looks at its size then.
        if (files_[i].Size > static_cast<std::int64_t>(kSmallEntry))
            return;
        try {
            std::string base;
            const TDirectory& dir = dirs.Of(files_[i], base);
            const TLockedFile input(dir, base, files_[i].Path, inputs_);
            const std::int64_t size = input.Size();
            if (size > static_cast<std::int64_t>(kSmallEntry))
                return;
            slot.Small = true;
            slot.Size = static_cast<std::size_t>(size);
            if (slot.Bytes.size() < slot.Size)
                slot.Bytes.resize(slot.Size);
            if (input.ReadAt(0, slot.Bytes.data(), slot.Size) != slot.Size)
                throw TInOutFailure(kIoReadBeyondEnd);
            CheckSizeKnown(input, files_[i].Path);
            slot.Identity = input.Identity();
            CheckUnchangedSince(input, slot.Identity, files_[i].Path);
        } catch (...) {
            slot.Failure = std::current_exception();
        }
    }

    const std::vector<TPakBuildFile>& files_;
    TShareMode inputs_;
    std::array<TReadFile, kSlots> slots_;
    std::array<std::size_t, kSlots> readOf_{};
    std::mutex mutex_;
    std::condition_variable slotFree_; // readers wait for a slot
    std::condition_variable readDone_; // the writer waits for its file
    std::size_t next_ = 0;             // the next file a thread reads
    std::size_t taken_ = 0;            // the file the writer takes now
    unsigned readersWaiting_ = 0;
    std::size_t resumeAt_ = 0; // the file whose taking frees the readers
    bool writerWaiting_ = false;
    std::size_t waitFor_ = 0;   // the file the writer waits for
    std::size_t waitUntil_ = 0; // and the one after it whose read wakes it
    bool wokenUp_ = false;
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

} // namespace

const TDirectory& TRowDirectories::Of(const TPakBuildFile& row, std::string& base) {
    const std::string_view path = row.Path;
    const std::string_view rel = path.substr(std::min<std::size_t>(row.RelativeFrom, path.size()));
    if (!chain_ || root_ != path.substr(0, path.size() - rel.size())) {
        root_ = std::string(path.substr(0, path.size() - rel.size()));
        try {
            chain_.emplace(TDirectory::Open(root_.empty() ? "." : root_));
        } catch (const TFailure&) {
            throw TFileOpenFailure(row.Path);
        }
    }
    std::array<std::string_view, kMaxLevels> levels{};
    std::size_t count = 0, start = 0;
    for (std::size_t at = 0; at < rel.size(); ++at) {
        if (!IsLevelSeparator(rel[at]))
            continue;
        if (count == levels.size())
            throw TFileOpenFailure(row.Path);
        levels[count++] = rel.substr(start, at - start);
        start = at + 1;
    }
    base = std::string(rel.substr(start));
    try {
        return chain_->Open(levels.data(), count, false, 0);
    } catch (const TFailure&) {
        throw TFileOpenFailure(row.Path);
    }
}

void CheckUnchangedSince(const TLockedFile& input, const TFileIdentity& opened,
                         const std::string& path) {
    // A writer changes a file's times before its bytes: a change during the
    // copy shows here.
    if (!IdentityOf(input.Descriptor()).Unchanged(opened))
        ChangedWhileBuilding(path);
}

void CheckSizeKnown(const TLockedFile& input, const std::string& path) {
    unsigned char probe = 0;
    if (input.Size() == 0 && input.ReadAt(0, &probe, 1) != 0)
        throw TFailure(FormatText(
            Tr("Cannot store {1}: the system gives it no size (it is made as it is read)"),
            DisplayPath(path)));
}

bool IsPakArchiveName(std::string_view storedName) {
    return storedName.ends_with(".pak");
}

bool WalkPakTree(const std::filesystem::path& start, std::vector<TPakBuildFile>& files,
                 const TPakBuildHooks& hooks) {
    TPakBuildHooks checked = hooks;
    checked.Pump = [&hooks] { return Pump(hooks); };
    TDirectory dir;
    try {
        dir = TDirectory::Open(start);
    } catch (const TFailure& failure) {
        CannotList(start.string(), failure);
    }
    const std::string root = start.string();
    const auto relativeFrom = static_cast<std::uint32_t>(
        root.size() + (!root.empty() && IsLevelSeparator(root.back()) ? 0 : 1));
    TTreeWalk walk(files, checked, relativeFrom);
    walk.Share(hooks.Readers);
    return walk.Walk(dir, root, "");
}

void CheckPakBuild(const std::vector<TPakBuildFile>& files, bool newNames, TPakKind kind) {
    const bool zip = kind == TPakKind::pkZip;
    const std::int64_t directory =
        static_cast<std::int64_t>(files.size()) * static_cast<std::int64_t>(kPakDirEntrySize);
    std::int64_t end = static_cast<std::int64_t>(kPakHeaderSize) + directory;
    std::unordered_map<std::string_view, const TPakBuildFile*> names;
    names.reserve(files.size());
    for (const TPakBuildFile& file : files) {
        if (!newNames) {
            CheckPakName(file.Name);
        } else {
            try {
                CheckNewPakName(file.Name, kind);
            } catch (const TFailure& failure) {
                // The stored name is lowered: the path tells which file.
                // TRANSLATORS: a name's problem, and the file it came from.
                throw TFailure(FormatText(Tr("{1} ({2})"), failure.what(), DisplayPath(file.Path)));
            }
        }
        // Names are lowered when stored: the second of two files that
        // differ only in letter case would be lost on extraction.
        const auto [first, fresh] = names.emplace(file.Name, &file);
        if (!fresh)
            throw TFailure(TwoFilesOneNameMessage(file.Name, DisplayPath(first->second->Path),
                                                  DisplayPath(file.Path)));
        if (zip)
            continue;
        if (file.Size > kPakMaxSize)
            throw TFailure(FileTooLargeMessage(file.Size, DisplayPath(file.Path)));
        end += file.Size;
        if (end > kPakMaxSize)
            throw TFailure(ArchiveTooLargeMessage(DisplayPath(file.Path)));
    }
}

std::filesystem::path PakOutputPath(const std::filesystem::path& start, std::string_view baseName,
                                    bool caseSensitiveNames) {
    // The edit filters typed keys but not pasted text.
    if (baseName.find('/') != std::string_view::npos ||
        baseName.find('\0') != std::string_view::npos)
        throw TFailure(FormatText(Tr("Invalid PAK name {1}"), baseName));
    const std::string file =
        caseSensitiveNames ? AsciiLower(baseName) + ".pak" : std::string(baseName) + ".PAK";
    return start / file;
}

void TellLeftoversRemoved(const std::filesystem::path& output, const TPakBuildHooks& hooks) {
    try {
        for (const std::string& line : RemoveLeftovers(TDirectory::Open(output.parent_path())))
            if (hooks.Told)
                hooks.Told(line);
    } catch (const TFailure&) {
        // A folder that cannot be opened is told by the archive's creation.
    }
}

bool WritePakFile(const std::filesystem::path& output, const std::vector<TPakBuildFile>& files,
                  const TPakBuildHooks& hooks) {
    TellLeftoversRemoved(output, hooks);
    TAtomicFile archive(output);
    TWriteBehind buffered(archive);
    TPakWriter writer(buffered, static_cast<std::int32_t>(files.size()));
    const std::size_t chunk = hooks.KernelCopy ? kBuildChunkSize : kCopyChunkSize;
    const auto buffer = std::make_unique<unsigned char[]>(chunk);
    // Only zorvak-pak's build copies by the kernel; the dialog needs no copier.
    std::optional<TEntryCopier> copier;
    if (hooks.KernelCopy)
        copier.emplace(true, *hooks.KernelCopy);

    // What each file was when it was opened; it must still be so after its
    // copy, and in the directory pass: a writer changes a file's times
    // before its bytes, so a change during the copy shows.
    std::vector<TFileIdentity> copied(files.size());
    TRowDirectories dirs;
    std::optional<TReadAhead> ahead;
    // Only many small files pay for the threads: with fewer, or with the
    // time in big files' copies, they only take the writer's cores.
    const auto small = static_cast<std::size_t>(
        std::count_if(files.begin(), files.end(), [](const TPakBuildFile& f) {
            return f.Size <= static_cast<std::int64_t>(kSmallEntry);
        }));
    if (hooks.KernelCopy && hooks.Readers > 0 && small >= kReadAheadFiles)
        ahead.emplace(files, hooks.Inputs, hooks.Readers);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!Pump(hooks))
            return false;
        if (hooks.DataRow)
            hooks.DataRow(i);
        if (ahead) {
            const TReadFile& read = ahead->Take(i);
            if (read.Small) {
                writer.BeginEntry(files[i].Name);
                if (read.Size > 0)
                    writer.WriteData(read.Bytes.data(), read.Size);
                copied[i] = read.Identity;
                continue;
            }
        }
        std::string base;
        const TDirectory& dir = dirs.Of(files[i], base);
        TLockedFile input(dir, base, files[i].Path, hooks.Inputs);
        writer.BeginEntry(files[i].Name);
        // The size at this open is what is stored; a file that shrinks stops
        // the build rather than store bytes no read filled.
        const std::int64_t size = input.Size();
        bool whole = true;
        if (hooks.KernelCopy && size > static_cast<std::int64_t>(kSmallEntry)) {
            buffered.Flush();
            // In pieces, so that a big file can be stopped and followed.
            bool stopped = false;
            writer.PutData(static_cast<std::size_t>(size), [&] {
                for (std::int64_t at = 0; whole && !stopped && at < size;) {
                    const std::int64_t n = std::min(size - at, kKernelCopyPiece);
                    whole = copier->Copy(input, at, static_cast<std::size_t>(n), archive.Output());
                    at += n;
                    if (whole && hooks.Copied)
                        hooks.Copied(n);
                    stopped = at < size && !Pump(hooks);
                }
            });
            if (stopped)
                return false;
        } else {
            whole = CopyChunks(input, 0, size, {buffer.get(), chunk},
                               [&writer](const unsigned char* bytes, std::size_t n) {
                                   writer.WriteData(bytes, n);
                               });
            if (whole && hooks.KernelCopy && hooks.Copied)
                hooks.Copied(size);
        }
        if (!whole)
            throw TInOutFailure(kIoReadBeyondEnd);
        CheckSizeKnown(input, files[i].Path);
        copied[i] = input.Identity();
        CheckUnchangedSince(input, copied[i], files[i].Path);
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
                ChangedWhileBuilding(files[i].Path);
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
