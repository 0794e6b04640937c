#include "archive/PakExtract.h"

#include "archive/EntryDecoder.h"
#include "archive/PakFormat.h"
#include "archive/ZipFormat.h"
#include "framework/Failures.h"
#include "framework/System.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <optional>

namespace zorvak {

namespace {

[[noreturn]] void RefuseName(std::string_view name) {
    throw TFailure(FormatText(
        Tr("Unsafe entry name \"{1}\": it would not land inside the archive's directory"), name));
}

// A name that lands inside but that this system cannot make (a device
// name of Windows, say).
[[noreturn]] void RefuseNameHere(std::string_view name, const std::string& why) {
    throw TFailure(
        FormatText(Tr("Entry name \"{1}\" cannot be a file name on this system: {2}"), name, why));
}

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// A large piece: few system calls per big entry, memory still fixed.
constexpr std::size_t kFastChunkSize = 1024 * 1024;
// What a fast copier asks the kernel to copy at once.
constexpr std::size_t kKernelPiece = 16 * 1024 * 1024;
// Entries up to this size are copied out of the read-ahead window.
constexpr std::size_t kWindowedEntry = kSmallEntry;

} // namespace

TNameVerdict JudgeEntryName(std::string_view name) {
    if (name.empty())
        return TNameVerdict::nvNoFile;
    if (IsSeparator(name.front()) || name.find(':') != std::string_view::npos)
        return TNameVerdict::nvUnsafe;
    std::size_t start = 0;
    while (start < name.size()) {
        std::size_t end = start;
        while (end < name.size() && !IsSeparator(name[end]))
            ++end;
        const std::string_view level = name.substr(start, end - start);
        if (level == "." || level == "..")
            return TNameVerdict::nvUnsafe;
        start = end + 1;
    }
    return IsSeparator(name.back()) ? TNameVerdict::nvNoFile : TNameVerdict::nvSafe;
}

TEntryLevels EntryLevels(std::string_view name, const std::filesystem::path& dir) {
    switch (JudgeEntryName(name)) {
    case TNameVerdict::nvUnsafe:
        RefuseName(name);
    case TNameVerdict::nvNoFile:
        // The output would be a directory, as an empty name makes it.
        throw TFileCreateFailure(dir / std::string(name));
    case TNameVerdict::nvSafe:
        break;
    }
    TEntryLevels levels;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = start;
        while (end < name.size() && !IsLevelSeparator(name[end]))
            ++end;
        const std::string_view level = name.substr(start, end - start);
        if (!level.empty()) {
            if (const std::string why = NameProblemHere(level); !why.empty())
                RefuseNameHere(name, why);
        }
        if (end == name.size()) {
            levels.File = level;
            return levels;
        }
        if (!level.empty()) {
            if (levels.DirCount == TEntryLevels::kMaxLevels)
                throw TInOutFailure(kIoInvalidFilename);
            levels.Dirs[levels.DirCount++] = level;
        }
        start = end + 1;
    }
}

std::filesystem::path EntryOutputPathIn(const std::filesystem::path& dir, std::string_view name) {
    const TEntryLevels levels = EntryLevels(name, dir);
    std::filesystem::path out = dir;
    for (std::size_t i = 0; i < levels.DirCount; ++i)
        out /= std::string(levels.Dirs[i]);
    return out / std::string(levels.File);
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
        MakeDirectory(*it);
}

// The journal: a header, then two slots that the files the run writes take
// in turn, so the slot of the file before stays whole while the next one is
// filled. The state names the file and its step; it is stored last, in one
// aligned word, so whatever ends the run it names a slot that is complete.
class TExtractJournal {
public:
    enum TStep : std::uint64_t { jsBegun = 1, jsInPlace = 2, jsBeside = 3, jsDone = 4 };

    static constexpr char kMagic[8] = {'Z', 'V', 'K', 'J', 'R', 'N', 'L', '1'};
    static constexpr std::size_t kSlotBytes = 4096;
    static constexpr std::size_t kHeaderBytes = 4096;
    static constexpr std::size_t kBytes = kHeaderBytes + 2 * kSlotBytes;
    static constexpr std::size_t kStateAt = 8;
    static constexpr std::size_t kMadeAt = 16; // the journal's own change time, as made
    static constexpr std::size_t kSlotName = 20;
    static constexpr std::size_t kMaxName = kSlotBytes - kSlotName;

    explicit TExtractJournal(const TDirectory& root) : file_(root, kBytes) {
        unsigned char* bytes = file_.Bytes();
        std::memcpy(bytes, kMagic, sizeof kMagic);
        // The file system's own clock, as files made later will show it.
        const std::int64_t made =
            IdentityAt(root, file_.Name(), identity_) ? identity_.ChangedNs : 0;
        std::memcpy(bytes + kMadeAt, &made, sizeof made);
    }

    void Begin(std::string_view name, std::int64_t length) {
        ++serial_;
        unsigned char* slot = Slot(file_.Bytes(), serial_);
        const std::uint64_t serial = serial_;
        const auto size = static_cast<std::uint32_t>(name.size() <= kMaxName ? name.size() : 0);
        std::memcpy(slot, &serial, 8);
        std::memcpy(slot + 8, &length, 8);
        std::memcpy(slot + 16, &size, 4);
        std::memcpy(slot + kSlotName, name.data(), size);
        Set(jsBegun);
    }
    void Set(TStep step) {
        std::atomic_ref<std::uint64_t>(State()).store(serial_ << 3 | step,
                                                      std::memory_order_release);
    }

    // What a journal read back says: the file of its last step.
    struct TLast {
        TStep Step = jsDone;
        std::string Name;
        std::int64_t Length = 0;
        std::int64_t MadeNs = 0;
    };
    static std::optional<TLast> Read(const TDirectory& dir, const std::string& name) {
        std::vector<unsigned char> bytes(kBytes);
        try {
            const TLockedFile file(dir, name, name, TShareMode::smUnlocked);
            if (file.ReadAt(0, bytes.data(), bytes.size()) != bytes.size())
                return std::nullopt;
        } catch (const TFailure&) {
            return std::nullopt;
        }
        if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
            return std::nullopt;
        std::uint64_t state = 0, serial = 0;
        std::uint32_t size = 0;
        TLast last;
        std::memcpy(&state, bytes.data() + kStateAt, 8);
        std::memcpy(&last.MadeNs, bytes.data() + kMadeAt, 8);
        const unsigned char* slot = Slot(bytes.data(), state >> 3);
        std::memcpy(&serial, slot, 8);
        std::memcpy(&last.Length, slot + 8, 8);
        std::memcpy(&size, slot + 16, 4);
        if (serial != state >> 3 || size > kMaxName)
            return last; // nothing begun yet
        last.Step = static_cast<TStep>(state & 7);
        last.Name.assign(reinterpret_cast<const char*>(slot + kSlotName), size);
        return last;
    }

private:
    static unsigned char* Slot(unsigned char* bytes, std::uint64_t serial) {
        return bytes + kHeaderBytes + (serial & 1) * kSlotBytes;
    }
    static const unsigned char* Slot(const unsigned char* bytes, std::uint64_t serial) {
        return bytes + kHeaderBytes + (serial & 1) * kSlotBytes;
    }
    std::uint64_t& State() { return *reinterpret_cast<std::uint64_t*>(file_.Bytes() + kStateAt); }

    TMappedTemporary file_;
    TFileIdentity identity_;
    std::uint64_t serial_ = 0;
};

namespace {

std::string Removed(const std::filesystem::path& path, std::int64_t size, std::string_view why) {
    // TRANSLATORS: a file removed, its size, and why (a text below).
    return FormatText(TrPlural("removed {1} ({2} byte), {3}", "removed {1} ({2} bytes), {3}", size),
                      DisplayPath(path), FormatThousands64(size), why);
}

// The leftovers of processes that have ended in dir, removed; of owner only
// when owner is not 0.
void RemoveLeftoversOf(const TDirectory& dir, unsigned owner, std::vector<std::string>& told) {
    for (const TLeftover& leftover : FindLeftovers(dir)) {
        if (owner != 0 && TemporaryOwner(leftover.Name) != owner)
            continue;
        if (TExtractJournal::Read(dir, leftover.Name))
            continue; // a journal: its own recovery removes it
        if (RemoveLeftover(dir, leftover))
            told.push_back(Removed(dir.Path() / leftover.Name, leftover.Identity.Size,
                                   Tr("left by a run that was stopped")));
    }
}

// The file a stopped run's journal names, removed when that run left it
// incomplete; its temporaries beside it go too.
void RecoverFile(TDirectoryChain& chain, const TExtractJournal::TLast& last, unsigned owner,
                 std::vector<std::string>& told) {
    if (last.Step == TExtractJournal::jsDone || last.Name.empty())
        return;
    const TDirectory* dir = nullptr;
    TEntryLevels levels;
    try {
        levels = EntryLevels(last.Name, chain.Root().Path());
        dir = &chain.Open(levels.Dirs.data(), levels.DirCount, false, 0);
    } catch (const TFailure&) {
        return; // its folder is gone, or was never made
    }
    RemoveLeftoversOf(*dir, owner, told);
    const std::string file(levels.File);
    TFileKind kind = TFileKind::fkUnknown;
    TFileIdentity there;
    if (dir->StatusOf(file, false, kind, there) != 0 || kind != TFileKind::fkRegular)
        return;
    // Written in place, it was being filled; only begun, the run may have
    // made it (then empty) or found it there (then older than the journal).
    const bool unknown = last.Length == TExtractTarget::kUnknownLength;
    const bool incomplete = last.Step == TExtractJournal::jsInPlace
                                ? unknown || there.Size < last.Length
                                : last.Step == TExtractJournal::jsBegun && there.Size == 0 &&
                                      (unknown || last.Length > 0) &&
                                      there.ChangedNs >= last.MadeNs;
    if (!incomplete)
        return;
    TLeftover leftover{file, there};
    if (RemoveLeftover(*dir, leftover))
        told.push_back(Removed(dir->Path() / file, there.Size,
                               unknown
                                   ? std::string(Tr("left unfinished by a run that was stopped"))
                                   : FormatText(TrPlural("an incomplete copy of {1} ({2} bytes) "
                                                         "left by a run that was stopped",
                                                         "an incomplete copy of {1} ({2} bytes) "
                                                         "left by a run that was stopped",
                                                         last.Length),
                                                last.Name, FormatThousands64(last.Length))));
}

} // namespace

TSameFileTable::TSameFileTable(const TPakEntries& entries)
    : entries_(entries), exact_(entries, false), folded_(FileNamesIgnoreCase()) {}

std::string TSameFileTable::Key(std::string_view name) const {
    std::string key;
    key.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (!IsLevelSeparator(name[i])) {
            key += name[i];
        } else if (!key.empty() && key.back() != '/') {
            key += '/';
        }
    }
    return folded_ ? FileNameKey(key) : key;
}

TSameFileTable::TSeen TSameFileTable::Insert(std::size_t i, std::size_t& first) {
    if (const std::int64_t same = exact_.Insert(i); same >= 0) {
        first = static_cast<std::size_t>(same);
        return TSeen::ssRepeated;
    }
    const std::string_view name = entries_[i].Name;
    const std::string key = Key(name);
    // Where case counts, most names are their own key: only names that
    // differ from theirs are kept, and looked for among the others.
    if (!folded_ && key == name) {
        const auto it = keys_.find(key);
        if (it == keys_.end())
            return TSeen::ssNew;
        first = it->second;
        return TSeen::ssSameFile;
    }
    if (!folded_) {
        if (const std::int64_t named = exact_.Find(key); named >= 0) {
            first = static_cast<std::size_t>(named);
            return TSeen::ssSameFile;
        }
    }
    const auto [it, fresh] = keys_.emplace(key, static_cast<std::uint32_t>(i));
    if (fresh)
        return TSeen::ssNew;
    first = it->second;
    return TSeen::ssSameFile;
}

std::vector<std::string> RemoveLeftovers(const TDirectory& dir) {
    std::vector<std::string> told;
    RemoveLeftoversOf(dir, 0, told);
    return told;
}

TExtractTarget::TExtractTarget(const std::filesystem::path& dir, bool journal)
    : chain_(TDirectory::Open(dir)), journaled_(journal) {}

TExtractTarget::~TExtractTarget() = default;

std::vector<std::string> TExtractTarget::Recover() {
    std::vector<std::string> told;
    if (recovered_)
        return told;
    recovered_ = true;
    const TDirectory& root = chain_.Root();
    for (const TLeftover& leftover : FindLeftovers(root)) {
        const std::optional<TExtractJournal::TLast> last =
            TExtractJournal::Read(root, leftover.Name);
        if (!last)
            continue;
        // Its own chain: the run's levels stay as they are.
        TDirectoryChain chain(TDirectory::Open(root.Path()));
        RecoverFile(chain, *last, TemporaryOwner(leftover.Name), told);
        RemoveLeftover(root, leftover);
    }
    RemoveLeftoversOf(root, 0, told);
    return told;
}

void TExtractTarget::Begin(std::string_view name, std::int64_t length) {
    if (!journaled_)
        return;
    if (!journal_) {
        Recover();
        try {
            journal_ = std::make_unique<TExtractJournal>(chain_.Root());
        } catch (const TFailure&) {
            // A file system that cannot map a file: the run goes on without
            // one, as runs did before journals.
            journaled_ = false;
            return;
        }
    }
    journal_->Begin(name, length);
}

void TExtractTarget::Opened(const TOutputFile& out) {
    if (journal_)
        journal_->Set(out.Beside() ? TExtractJournal::jsBeside : TExtractJournal::jsInPlace);
}

void TExtractTarget::Done() {
    if (journal_)
        journal_->Set(TExtractJournal::jsDone);
}

bool TExtractTarget::FlushesEachFile() const {
    return flush_ && !CanFlushFileSystem();
}

void TExtractTarget::Finish() {
    journal_.reset();
    if (flush_ && CanFlushFileSystem())
        chain_.Root().FlushFileSystem();
}

const TDirectory& TExtractTarget::DirectoryFor(const TEntryLevels& levels) {
    try {
        return chain_.Open(levels.Dirs.data(), levels.DirCount, true,
                           static_cast<std::size_t>(kMaxForcedLevels));
    } catch (const TInOutFailure& failure) {
        // Known here: the directory the entry needed.
        std::filesystem::path dir = Path();
        for (std::size_t i = 0; i < levels.DirCount; ++i)
            dir /= std::string(levels.Dirs[i]);
        throw failure.About(dir);
    }
}

void CheckRoomFor(const TDirectory& dir, std::int64_t bytes) {
    if (bytes <= 0)
        return;
    const std::int64_t free = dir.FreeBytes();
    if (bytes > free)
        throw TFailure(
            FormatText(Tr("Disk full: the entries need {1} bytes and {2} has {3} bytes free"),
                       FormatThousands64(bytes), DisplayPath(dir.Path()), FormatThousands64(free)));
}

TEntryCopier::TEntryCopier(bool fast, TKernelCopy first)
    : fast_(fast), kernel_(fast ? first : TKernelCopy::kcNone),
      buffer_(new unsigned char[fast ? kFastChunkSize : kCopyChunkSize]) {}

std::size_t TEntryCopier::ChunkSize() const {
    return fast_ ? kFastChunkSize : kCopyChunkSize;
}

std::size_t TEntryCopier::PieceSize(std::int64_t length) const {
    // A big entry the kernel copies goes in few calls, which across file
    // systems is 6 % of the time; a stop request is still looked at every
    // few milliseconds.
    if (fast_ && kernel_ != TKernelCopy::kcNone &&
        length > static_cast<std::int64_t>(kWindowedEntry))
        return kKernelPiece;
    return ChunkSize();
}

bool TEntryCopier::Copy(const TLockedFile& from, std::int64_t pos, std::size_t n,
                        TOutputFile& out) {
    const auto end = pos + static_cast<std::int64_t>(n);
    if (fast_ && n <= kWindowedEntry) {
        if (windowFile_ != &from || !windowIdentity_.Unchanged(from.Identity()) ||
            pos < windowPos_ || end > windowEnd_) {
            // Entries lie back to back in most archives: one read serves
            // hundreds of small ones.
            windowFile_ = nullptr;
            std::size_t ahead = kFastChunkSize;
            if (readAheadEnd_ > end)
                ahead = static_cast<std::size_t>(
                    std::min<std::int64_t>(readAheadEnd_ - pos, static_cast<std::int64_t>(ahead)));
            else if (readAheadEnd_ > 0)
                ahead = n;
            const std::size_t got = from.ReadAt(pos, buffer_.get(), ahead);
            readSinceCheck_ = true;
            windowFile_ = &from;
            windowIdentity_ = from.Identity();
            windowPos_ = pos;
            windowEnd_ = pos + static_cast<std::int64_t>(got);
            if (end > windowEnd_)
                return false; // the archive ended
        }
        out.Write(buffer_.get() + (pos - windowPos_), n);
        return true;
    }
    readSinceCheck_ = true;
    while (kernel_ != TKernelCopy::kcNone && n > 0) {
        std::int64_t at = out.Position();
        int err = 0;
        const std::int64_t put =
            kernel_ == TKernelCopy::kcBetweenFiles
                ? KernelCopy(from.Descriptor(), pos, out.Descriptor(), at, n, err)
                : StreamCopy(from.Descriptor(), pos, out.Descriptor(), at, n, err);
        if (put > 0) {
            n -= static_cast<std::size_t>(put);
            out.Advance(put);
            continue;
        }
        if (put == 0)
            return false; // the archive ended
        if (err == EINTR)
            continue;
        if (err == ENOSPC || err == kQuotaErrno || err == EIO || err == EFBIG)
            ThrowForErrno(err);
        // Not between these two files (another file system, an old kernel,
        // a system without such a copy): the next way from now on.
        kernel_ =
            kernel_ == TKernelCopy::kcBetweenFiles ? TKernelCopy::kcStream : TKernelCopy::kcNone;
    }
    windowFile_ = nullptr; // the buffer is about to hold other bytes
    return CopyChunks(from, pos, static_cast<std::int64_t>(n), {buffer_.get(), ChunkSize()},
                      [&out](const unsigned char* bytes, std::size_t k) { out.Write(bytes, k); });
}

void TEntryCopier::Decode(TEntryDecoder& decoder, TOutputFile& out) {
    windowFile_ = nullptr; // the buffer is about to hold other bytes
    readSinceCheck_ = true;
    const std::size_t n = decoder.Read(buffer_.get(), ChunkSize());
    out.Write(buffer_.get(), n);
}

bool CopyChunks(const TLockedFile& from, std::int64_t pos, std::int64_t n,
                std::span<unsigned char> buffer,
                const std::function<void(const unsigned char*, std::size_t)>& sink) {
    while (n > 0) {
        const std::size_t chunk =
            static_cast<std::size_t>(std::min(n, static_cast<std::int64_t>(buffer.size())));
        if (from.ReadAt(pos, buffer.data(), chunk) != chunk)
            return false; // no byte that was not read is written
        sink(buffer.data(), chunk);
        pos += static_cast<std::int64_t>(chunk);
        n -= static_cast<std::int64_t>(chunk);
    }
    return true;
}

void TEntryCopier::ConfirmSource(const TLockedFile& from) {
    // A writer changes a file's times before its bytes, so bytes read before
    // this look that show the same times are the archive's own.
    if (!readSinceCheck_)
        return;
    if (!IdentityOf(from.Descriptor()).SameArchiveAs(from.Identity()))
        throw TArchiveChangedFailure(from.Path());
    readSinceCheck_ = false;
}

void CheckEntryBounds(const TPakEntry& entry, std::int64_t archiveSize) {
    if (entry.FilePos < 0 || entry.FileLength < 0 ||
        (entry.Coding != nullptr && (entry.Coding->StoredLength < 0 || entry.Coding->Size < 0)))
        throw TDamagedEntryFailure(entry.Name, Tr("its position or length is negative"));
    if (entry.Coding != nullptr) {
        // The coded bytes, and a member's fixed header before them, lie in
        // the file; what the header's names add is checked when it is read.
        const std::int64_t stored = entry.Coding->StoredLength;
        const std::int64_t header =
            entry.Coding->LocalHeader ? static_cast<std::int64_t>(kZipLocalSize) : 0;
        if (stored > archiveSize || entry.FilePos > archiveSize - stored - header)
            throw TInOutFailure(kIoReadBeyondEnd);
        return;
    }
    if (std::int64_t{entry.FilePos} + entry.FileLength > archiveSize)
        throw TInOutFailure(kIoReadBeyondEnd);
}

std::vector<unsigned char> ReadEntryBytes(const TLockedFile& archive, const TPakEntry& entry) {
    CheckEntryBounds(entry, archive.Size());
    if (entry.Coding != nullptr)
        return DecodeEntryBytes(archive, entry);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(entry.FileLength));
    if (archive.ReadAt(entry.FilePos, bytes.data(), bytes.size()) != bytes.size())
        throw TInOutFailure(kIoReadBeyondEnd);
    return bytes;
}

std::vector<unsigned char> ReadEntryHead(const TLockedFile& archive, const TPakEntry& entry,
                                         std::size_t most) {
    TPakEntry head = entry;
    head.FileLength = std::min(entry.FileLength, static_cast<std::int64_t>(most));
    if (entry.Coding != nullptr)
        return ReadEntryBytes(archive, head);
    CheckEntryBounds(entry, archive.Size());
    std::vector<unsigned char> bytes(static_cast<std::size_t>(head.FileLength));
    bytes.resize(archive.ReadAt(entry.FilePos, bytes.data(), bytes.size()));
    return bytes;
}

bool ReadEntryPieces(const TLockedFile& archive, const TPakEntry& entry,
                     std::span<unsigned char> buffer,
                     const std::function<bool(std::span<const unsigned char>)>& sink) {
    CheckEntryBounds(entry, archive.Size());
    if (entry.Coding != nullptr) {
        TEntryDecoder decoder(archive, entry);
        while (decoder.Done() < entry.FileLength)
            if (!sink({buffer.data(), decoder.Read(buffer.data(), buffer.size())}))
                return false;
        decoder.Finish();
        return true;
    }
    std::int64_t at = entry.FilePos;
    std::int64_t left = entry.FileLength;
    while (left > 0) {
        const auto n = static_cast<std::size_t>(
            std::min<std::int64_t>(left, static_cast<std::int64_t>(buffer.size())));
        // A short read means the archive shrank under us.
        if (archive.ReadAt(at, buffer.data(), n) != n)
            throw TInOutFailure(kIoReadBeyondEnd);
        if (!sink({buffer.data(), n}))
            return false;
        at += static_cast<std::int64_t>(n);
        left -= static_cast<std::int64_t>(n);
    }
    return true;
}

bool ExtractEntry(TExtractTarget& target, const TPakEntry& entry,
                  const std::function<const TLockedFile&()>& archive, TCopyObserver& observer,
                  TEntryCopier& copier) {
    const TEntryLevels levels = EntryLevels(entry.Name, target.Path());
    const TDirectory& dir = target.DirectoryFor(levels);
    if (entry.FilePos < 0 || entry.FileLength < 0)
        CheckEntryBounds(entry, 0);
    const TLockedFile& source = archive();
    CheckEntryBounds(entry, source.Size());
    // A coded entry's refusals (its method, its header) come before any
    // file is made for it.
    std::unique_ptr<TEntryDecoder> decoder;
    if (entry.Coding != nullptr)
        decoder = std::make_unique<TEntryDecoder>(source, entry);
    target.Begin(entry.Name, entry.FileLength);
    TOutputFile out(dir, std::string(levels.File), target.Mode());
    target.Opened(out);
    if (out.Replaced().SameFileAs(source.Identity()))
        throw TFailure(
            FormatText(Tr("Entry {1} would overwrite the archive it is read from"), entry.Name));

    std::int64_t remaining = entry.FileLength;
    observer.Started(
        static_cast<std::int32_t>(remaining / static_cast<std::int64_t>(kCopyChunkSize) + 1));
    if (decoder) {
        // Decoded a piece at a time, and kept only once every check of the
        // whole entry (its size, its CRC) has passed.
        while (decoder->Done() < entry.FileLength) {
            if (!observer.BeforeChunk())
                return false;
            const std::int64_t before = decoder->Done();
            copier.Decode(*decoder, out);
            observer.Copied(decoder->Done() - before);
        }
        decoder->Finish();
    }
    std::int64_t at = entry.FilePos;
    const auto chunkSize = static_cast<std::int64_t>(copier.PieceSize(remaining));
    while (!decoder && remaining > 0) {
        if (!observer.BeforeChunk())
            return false;
        const auto chunk = static_cast<std::size_t>(std::min(remaining, chunkSize));
        // A short read means the archive shrank under us: write nothing of it.
        if (!copier.Copy(source, at, chunk, out))
            throw TInOutFailure(kIoReadBeyondEnd);
        at += static_cast<std::int64_t>(chunk);
        remaining -= static_cast<std::int64_t>(chunk);
        observer.Copied(static_cast<std::int64_t>(chunk));
    }
    // Bytes written in place while we read would be a state the archive
    // never had as a whole: the output is dropped.
    if (entry.FileLength > 0)
        copier.ConfirmSource(source);
    if (target.FlushesEachFile())
        out.Flush();
    out.Commit();
    target.Done();
    return true;
}

} // namespace zorvak
