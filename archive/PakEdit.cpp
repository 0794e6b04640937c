#include "archive/PakEdit.h"

#include "archive/PakBuild.h"
#include "archive/PakExtract.h"
#include "archive/PakFormat.h"
#include "archive/PakNames.h"
#include "archive/PakWriter.h"
#include "archive/ZipWriter.h"
#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <memory>
#include <optional>
#include <stdexcept>
#include <unordered_map>
#include <utility>

namespace zorvak {

TPakChange TPakChange::AddFile(std::string name, std::string path, bool typed) {
    return {TPakChangeKind::ckAddFile, std::move(name), typed, std::move(path), {}, 0};
}

TPakChange TPakChange::AddBytes(std::string name, std::string bytes, bool typed) {
    return {TPakChangeKind::ckAddBytes, std::move(name), typed, {}, std::move(bytes), 0};
}

TPakChange TPakChange::Delete(std::size_t entry) {
    return {TPakChangeKind::ckDelete, {}, false, {}, {}, entry};
}

TPakChange TPakChange::Rename(std::size_t entry, std::string name, bool typed) {
    return {TPakChangeKind::ckRename, std::move(name), typed, {}, {}, entry};
}

std::string_view TPakEditPlan::NameOf(std::size_t i, const TPakIndex& index) const {
    const TPakEditEntry& e = Entries[i];
    if (e.Name >= 0)
        return Names[static_cast<std::size_t>(e.Name)];
    return index.Entries[e.From].Name;
}

std::int64_t TPakEditPlan::SizeOf(std::size_t i, const TPakIndex& index) const {
    const TPakEditEntry& e = Entries[i];
    if (e.Source == TPakEditSource::esKept)
        return index.Entries[e.From].FileLength;
    return Added[e.From].Size;
}

namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFF;

// The most a ZIP member of a name and coded length can take with its
// local header, its ZIP64 extra, its central record and, for a file to be
// deflated, deflate's worst growth: an edit checks the room for that much.
std::int64_t ZipMemberBound(std::size_t nameLength, std::int64_t coded) {
    const auto name = static_cast<std::int64_t>(nameLength);
    return coded + coded / 1000 + 64 + 2 * (name + 128);
}
// The end records, the ZIP64 ones included.
constexpr std::int64_t kZipEndBound =
    static_cast<std::int64_t>(kZipEndSize + kZip64EndSize + kZip64LocatorSize);

// What the edit gives an entry: a name of the plan's, bytes of the plan's
// (-1: its own).
struct TGiven {
    std::int32_t Name = -1;
    std::int32_t Data = -1;
};

// The archive as the changes go by. The index's entries keep their numbers
// and cost a bit each (deleted or not) unless a change gives them a name or
// bytes; added entries follow them.
class TPlanner {
public:
    TPlanner(const TPakIndex& index, TPakEditPlan& plan)
        : index_(index), plan_(plan), n_(index.Entries.size()), deleted_(plan.DeletedFirst) {
        if (deleted_.empty())
            deleted_.assign(n_, false);
        plan_.DeletedFirstCount = static_cast<std::size_t>(
            std::count(plan_.DeletedFirst.begin(), plan_.DeletedFirst.end(), true));
    }

    void Change(const TPakChange& change) {
        switch (change.Kind) {
        case TPakChangeKind::ckDelete: {
            const std::size_t s = Present(change.Entry);
            Note(TPakNoteKind::nkDeleted, s, Given(s).Name, -1);
            Unname(s);
            deleted_[s] = true;
            break;
        }
        case TPakChangeKind::ckRename: {
            const std::size_t s = Present(change.Entry);
            const std::string name = StoredName(change);
            const std::string old(NameOf(s));
            if (name == old)
                break;
            if (const std::int64_t other = Holder(name, static_cast<std::int64_t>(s)); other >= 0)
                throw TFailure(FormatText(Tr("Cannot rename {1} to {2}: {3} is stored already"),
                                          old, name, NameOf(static_cast<std::size_t>(other))));
            const std::int32_t before = Given(s).Name;
            SetName(s, name);
            Note(TPakNoteKind::nkRenamed, s, before, Given(s).Name);
            break;
        }
        case TPakChangeKind::ckAddFile:
        case TPakChangeKind::ckAddBytes:
            Add(change);
            break;
        }
    }

    void Finish() {
        const std::int64_t archiveSize = index_.Identity.Size;
        const std::size_t count =
            n_ - static_cast<std::size_t>(std::count(deleted_.begin(), deleted_.end(), true)) +
            added_.size();
        plan_.Entries.reserve(count);
        std::int64_t end = static_cast<std::int64_t>(kPakHeaderSize) +
                           static_cast<std::int64_t>(count * kPakDirEntrySize);
        if (zip_)
            end = kZipEndBound;
        if (end > kPakMaxSize && !zip_)
            throw TFailure(ArchiveTooLargeMessage());
        for (std::size_t s = 0; s < n_ + added_.size(); ++s) {
            if (s < n_ && deleted_[s])
                continue;
            const TGiven given = Given(s);
            TPakEditEntry entry;
            entry.Name = given.Name;
            std::int64_t size = 0;
            if (given.Data >= 0) {
                const TPakEditData& data = plan_.Added[static_cast<std::size_t>(given.Data)];
                entry.Source = data.Path.empty() ? TPakEditSource::esBytes : TPakEditSource::esFile;
                entry.From = static_cast<std::uint32_t>(given.Data);
                size = data.Size;
            } else {
                const TPakEntry kept = index_.Entries[s];
                try {
                    CheckEntryBounds(kept, archiveSize);
                } catch (const TInOutFailure& e) {
                    throw TDamagedEntryFailure(kept.Name, e.what());
                }
                entry.From = static_cast<std::uint32_t>(s);
                size = kept.FileLength;
                if (zip_)
                    size = kept.Coding->StoredLength;
            }
            if (zip_)
                size = ZipMemberBound(NameOf(s).size(), size);
            end += size;
            if (end > kPakMaxSize && !zip_)
                throw TFailure(ArchiveTooLargeMessage(NameOf(s)));
            plan_.Entries.push_back(entry);
        }
        plan_.ArchiveSize = end;
    }

private:
    TGiven Given(std::size_t s) const {
        if (s >= n_)
            return added_[s - n_];
        const auto it = given_.find(static_cast<std::uint32_t>(s));
        return it == given_.end() ? TGiven{} : it->second;
    }
    TGiven& GivenToChange(std::size_t s) {
        return s >= n_ ? added_[s - n_] : given_[static_cast<std::uint32_t>(s)];
    }

    std::string_view NameOf(std::size_t s) const {
        const std::int32_t name = Given(s).Name;
        if (name >= 0)
            return plan_.Names[static_cast<std::size_t>(name)];
        return index_.Entries[s].Name;
    }

    void Note(TPakNoteKind kind, std::size_t s, std::int32_t old, std::int32_t fresh) {
        plan_.Notes.push_back({kind, static_cast<std::uint32_t>(s), old, fresh});
    }

    std::size_t Present(std::size_t entry) const {
        if (entry >= n_)
            throw TFailure(
                FormatText(TrPlural("There is no entry {1}: the archive has {2} entries",
                                    "There is no entry {1}: the archive has {2} entries", n_),
                           entry, n_));
        if (deleted_[entry])
            throw TFailure(FormatText(Tr("Entry {1} ({2}) is deleted already"), entry,
                                      index_.Entries[entry].Name));
        return entry;
    }

    std::string StoredName(const TPakChange& change) const {
        std::string name = change.Typed ? change.Name : AsciiLower(change.Name);
        CheckNewPakName(name, index_.Kind);
        return name;
    }

    void Add(const TPakChange& change) {
        const std::string name = StoredName(change);
        TPakEditData data;
        if (change.Kind == TPakChangeKind::ckAddFile) {
            data.Path = change.Path;
            // The copy opens the file later; what it must find is fixed here.
            TFileKind kind = TFileKind::fkUnknown;
            if (data.Path.empty() || !StatusAt(data.Path, true, kind, data.File))
                throw TFileOpenFailure(data.Path);
            if (kind != TFileKind::fkRegular)
                throw TFailure(
                    FormatText(Tr("Cannot add {1}: it is not a regular file"), data.Path));
            if (!CanRead(data.Path))
                throw TFileOpenFailure(data.Path);
            if (index_.Identity.Inode != 0 && data.File.SameFileAs(index_.Identity))
                throw TFailure(
                    FormatText(Tr("Cannot add {1}: it is the archive being edited"), data.Path));
            data.Size = data.File.Size;
        } else {
            data.Bytes = change.Bytes;
            data.Size = static_cast<std::int64_t>(data.Bytes.size());
        }
        if (data.Size > kPakMaxSize && !zip_)
            throw TFailure(FileTooLargeMessage(data.Size, data.Path.empty() ? name : data.Path));

        const std::int64_t holder = Holder(name, -1);
        if (holder >= 0) {
            const auto s = static_cast<std::size_t>(holder);
            if (const std::int32_t had = Given(s).Data; had >= 0)
                throw TFailure(TwoFilesOneNameMessage(
                    name, Source(plan_.Added[static_cast<std::size_t>(had)]), Source(data)));
            const std::int32_t before = Given(s).Name;
            GivenToChange(s).Data = static_cast<std::int32_t>(plan_.Added.size());
            plan_.Added.push_back(std::move(data));
            SetName(s, name);
            Note(TPakNoteKind::nkReplaced, s, before, Given(s).Name);
            return;
        }
        TGiven slot;
        slot.Data = static_cast<std::int32_t>(plan_.Added.size());
        plan_.Added.push_back(std::move(data));
        added_.push_back(slot);
        SetName(n_ + added_.size() - 1, name);
        Note(TPakNoteKind::nkAdded, n_ + added_.size() - 1, -1, added_.back().Name);
    }

    static std::string Source(const TPakEditData& data) {
        return data.Path.empty() ? std::string(Tr("bytes given")) : DisplayPath(data.Path);
    }

    void SetName(std::size_t s, const std::string& name) {
        Unname(s);
        GivenToChange(s).Name = static_cast<std::int32_t>(plan_.Names.size());
        plan_.Names.push_back(name);
        named_[AsciiLower(name)] = static_cast<std::uint32_t>(s);
    }

    void Unname(std::size_t s) {
        if (Given(s).Name >= 0) {
            const auto it = named_.find(AsciiLower(NameOf(s)));
            if (it != named_.end() && it->second == s)
                named_.erase(it);
        }
    }

    // The first entry now stored under name (letter case ignored) other
    // than except, or -1. Entries named by the edit are in named_; the
    // index's own are found through the table, passing over those the edit
    // deleted or renamed (a damaged archive may store a name many times).
    std::int64_t Holder(const std::string& name, std::int64_t except) {
        std::int64_t best = -1;
        if (const auto it = named_.find(AsciiLower(name));
            it != named_.end() && it->second != except)
            best = it->second;
        const auto left = [&](std::int64_t e) {
            const auto s = static_cast<std::size_t>(e);
            return e != except && !deleted_[s] && Given(s).Name < 0;
        };
        std::int64_t first = -1;
        if (!table_ && ++scans_ <= kScansBeforeTable) {
            // Hashing every name costs more than a few passes that compare
            // lengths first: adding one file to a big archive stays quick.
            for (std::size_t i = 0; i < n_ && first < 0; ++i)
                if (index_.Entries[i].Name.size() == name.size() &&
                    SameTextAscii(index_.Entries[i].Name, name) &&
                    left(static_cast<std::int64_t>(i)))
                    first = static_cast<std::int64_t>(i);
        } else {
            Index();
            for (std::int64_t e = table_->Find(name); e >= 0 && first < 0; e = Next(e))
                if (left(e))
                    first = e; // the first that is left is the lowest
        }
        if (first >= 0 && (best < 0 || first < best))
            best = first;
        return best;
    }

    // The case-blind table of the index, made at the first look-up, so a
    // delete alone costs none; entries of one name are chained in order.
    void Index() {
        if (table_)
            return;
        table_.emplace(index_.Entries, true);
        std::unordered_map<std::uint32_t, std::uint32_t> last;
        for (std::size_t i = 0; i < n_; ++i) {
            const std::int64_t first = table_->Insert(i);
            if (first < 0)
                continue;
            if (next_.empty())
                next_.assign(n_, kNone);
            const auto f = static_cast<std::uint32_t>(first);
            const auto [it, fresh] = last.emplace(f, f);
            next_[it->second] = static_cast<std::uint32_t>(i);
            it->second = static_cast<std::uint32_t>(i);
        }
    }

    std::int64_t Next(std::int64_t e) const {
        if (next_.empty() || next_[static_cast<std::size_t>(e)] == kNone)
            return -1;
        return next_[static_cast<std::size_t>(e)];
    }

    const TPakIndex& index_;
    TPakEditPlan& plan_;
    std::size_t n_;
    bool zip_ = index_.Kind == TPakKind::pkZip;
    std::vector<bool> deleted_;                       // of the index's entries
    std::unordered_map<std::uint32_t, TGiven> given_; // index entries the edit names or fills
    std::vector<TGiven> added_;
    std::unordered_map<std::string, std::uint32_t> named_; // lowered name -> slot
    std::optional<TNameTable> table_;
    static constexpr int kScansBeforeTable = 8;
    int scans_ = 0;                   // look-ups answered by a pass over the index
    std::vector<std::uint32_t> next_; // the next index entry of the same name
};

// Reports and pumps before a step, at least once per MiB and per 256 steps:
// a Pump that handles events costs too much to run for each small entry.
class TTicker {
public:
    // Counts the bytes written after base, of total.
    TTicker(const TPakEditHooks& hooks, const TOutputFile& out, std::int64_t base,
            std::int64_t total)
        : hooks_(hooks), out_(out), base_(base), total_(total) {}

    bool Before(std::int64_t bytes) {
        if (started_ && bytes_ < kPumpBytes && steps_ < kPumpSteps) {
            bytes_ += bytes;
            ++steps_;
            return true;
        }
        started_ = true;
        bytes_ = bytes;
        steps_ = 1;
        if (hooks_.Progress)
            hooks_.Progress(out_.Position() - base_, total_);
        return !hooks_.Pump || hooks_.Pump();
    }

private:
    static constexpr std::int64_t kPumpBytes = 1024 * 1024;
    static constexpr int kPumpSteps = 256;
    const TPakEditHooks& hooks_;
    const TOutputFile& out_;
    std::int64_t base_;
    std::int64_t total_;
    bool started_ = false;
    std::int64_t bytes_ = 0;
    int steps_ = 0;
};

// The file a path names, a final link followed, so that the edit replaces
// the archive and not a link to it.
std::filesystem::path ResolveArchive(const std::filesystem::path& archive) {
    std::filesystem::path real;
    if (!RealPath(archive, real))
        throw TFileOpenFailure(archive);
    return real;
}

// Where an edit that appends puts the directory, and what the result
// holds. Kept entries stay where they are; added ones follow the archive's
// end in the plan's order, the new directory after them.
struct TAppendLayout {
    std::int64_t Base = 0; // the archive's end, where the added bytes begin
    std::int64_t DirOffset = 0;
    std::int64_t Size = 0;
    // Bytes of the result no entry uses, counted as the entries' lengths
    // summed: exact unless entries share bytes, as only other makers'
    // archives have, and then short of the truth.
    std::int64_t Unused = 0;
    bool Fits = false; // below the format's 2 GiB
};

TAppendLayout LayOutAppend(const TPakIndex& index, const TPakEditPlan& plan) {
    TAppendLayout layout;
    layout.Base = index.Identity.Size;
    std::int64_t added = 0, used = 0;
    for (std::size_t i = 0; i < plan.Entries.size(); ++i) {
        const std::int64_t size = plan.SizeOf(i, index);
        used += size;
        if (plan.Entries[i].Source != TPakEditSource::esKept)
            added += size;
    }
    layout.DirOffset = layout.Base + added;
    const auto dirLength = static_cast<std::int64_t>(plan.Entries.size() * kPakDirEntrySize);
    layout.Size = layout.DirOffset + dirLength;
    layout.Fits = layout.Size <= kPakMaxSize;
    used += static_cast<std::int64_t>(kPakHeaderSize) + dirLength;
    layout.Unused = std::max<std::int64_t>(0, layout.Size - used);
    return layout;
}

class TEditWriter {
public:
    // Rewrites into out, or with append appends there what is not kept.
    TEditWriter(const std::filesystem::path& archive, const TLockedFile& old,
                const TPakIndex& index, const TPakEditPlan& plan, const TPakEditHooks& hooks,
                TOutputFile& out, const TAppendLayout* append = nullptr)
        : archive_(archive), old_(old), index_(index), plan_(plan), hooks_(hooks), out_(out),
          append_(append),
          ticker_(hooks, out, append != nullptr ? index.Identity.Size : 0, TotalBytes()),
          copier_(true) {}

    bool Write() {
        if (append_ == nullptr)
            WritePakHeader(out_, 0, EntryCount());
        for (std::size_t i = 0; i < plan_.Entries.size(); ++i) {
            const TPakEditEntry& entry = plan_.Entries[i];
            if (entry.Source == TPakEditSource::esKept) {
                if (append_ != nullptr)
                    continue;
                const TPakEntry kept = index_.Entries[entry.From];
                if (kept.FileLength == 0)
                    continue;
                // Runs of entries stored back to back are one range to copy.
                if (runEnd_ != kept.FilePos || runEnd_ == runBegin_) {
                    if (!FlushRun())
                        return false;
                    runBegin_ = kept.FilePos;
                }
                runEnd_ = std::int64_t{kept.FilePos} + kept.FileLength;
                continue;
            }
            if (!FlushRun())
                return false;
            const TPakEditData& data = plan_.Added[entry.From];
            if (entry.Source == TPakEditSource::esBytes) {
                if (!ticker_.Before(data.Size))
                    return false;
                out_.Write(data.Bytes.data(), data.Bytes.size());
            } else if (!CopyFile(data)) {
                return false;
            }
        }
        if (!FlushRun())
            return false;
        return WriteDirectory();
    }

private:
    std::int64_t EntryCount() const { return static_cast<std::int64_t>(plan_.Entries.size()); }
    std::int64_t TotalBytes() const {
        return append_ != nullptr ? append_->Size - index_.Identity.Size : plan_.ArchiveSize;
    }

    [[noreturn]] static void ChangedWhileEditing(const std::string& path) {
        throw TFailure(FormatText(Tr("File changed while editing: {1}"), DisplayPath(path)));
    }

    bool FlushRun() {
        while (runBegin_ < runEnd_) {
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(
                runEnd_ - runBegin_, static_cast<std::int64_t>(copier_.ChunkSize())));
            if (!ticker_.Before(static_cast<std::int64_t>(n)))
                return false;
            // Shorter than its index says: the archive changed under us.
            if (!copier_.Copy(old_, runBegin_, n, out_))
                throw TArchiveChangedFailure(archive_);
            runBegin_ += static_cast<std::int64_t>(n);
        }
        runBegin_ = runEnd_ = 0;
        return true;
    }

    bool CopyFile(const TPakEditData& data) {
        const auto piece = static_cast<std::int64_t>(copier_.ChunkSize());
        if (!ticker_.Before(std::min(data.Size, piece)))
            return false;
        const TLockedFile input(data.Path, hooks_.Inputs);
        if (!input.Identity().SameArchiveAs(data.File))
            throw TFailure(FormatText(Tr("File changed since the edit was planned: {1}"),
                                      DisplayPath(data.Path)));
        CheckSizeKnown(input, data.Path);
        for (std::int64_t at = 0; at < data.Size;) {
            const std::int64_t n = std::min(data.Size - at, piece);
            if (at > 0 && !ticker_.Before(n))
                return false;
            if (!copier_.Copy(input, data.Offset + at, static_cast<std::size_t>(n), out_))
                ChangedWhileEditing(data.Path);
            at += n;
        }
        // A writer changes a file's times before its bytes: a change during
        // the copy shows here.
        if (!IdentityOf(input.Descriptor()).Unchanged(input.Identity()))
            ChangedWhileEditing(data.Path);
        return true;
    }

    // The builder's directory: one record buffer reused for every entry, so
    // the bytes after a name's NUL are what the builder would leave there.
    bool WriteDirectory() {
        const std::int64_t dirOffset = out_.Position();
        std::vector<unsigned char> piece;
        piece.reserve(std::min(plan_.Entries.size(), kPakDirectoryPieceRecords) * kPakDirEntrySize);
        TPakDirEntry record;
        // Where the next entry's data were written; an append keeps the
        // kept ones where they are.
        std::int64_t pos =
            append_ != nullptr ? append_->Base : static_cast<std::int64_t>(kPakHeaderSize);
        for (std::size_t i = 0; i < plan_.Entries.size(); ++i) {
            SetPakEntryName(record, plan_.NameOf(i, index_));
            const std::int64_t size = plan_.SizeOf(i, index_);
            const TPakEditEntry& entry = plan_.Entries[i];
            if (append_ != nullptr && entry.Source == TPakEditSource::esKept) {
                record.FilePos = static_cast<std::int32_t>(index_.Entries[entry.From].FilePos);
            } else {
                record.FilePos = static_cast<std::int32_t>(pos);
                pos += size;
            }
            record.FileLength = static_cast<std::int32_t>(size);
            unsigned char bytes[kPakDirEntrySize];
            EncodePakDirEntry(record, bytes);
            piece.insert(piece.end(), bytes, bytes + sizeof bytes);
            if (piece.size() == kPakDirectoryPieceRecords * kPakDirEntrySize ||
                i + 1 == plan_.Entries.size()) {
                if (!ticker_.Before(static_cast<std::int64_t>(piece.size())))
                    return false;
                out_.Write(piece.data(), piece.size());
                piece.clear();
            }
        }
        if (pos != dirOffset ||
            out_.Position() != (append_ != nullptr ? append_->Size : plan_.ArchiveSize))
            throw TFailure(FormatText(Tr("The new archive of {1} does not have the planned size"),
                                      DisplayPath(archive_)));
        // An append's header is written last, by the commit.
        if (append_ == nullptr) {
            WritePakHeader(out_, dirOffset, EntryCount());
            out_.Seek(plan_.ArchiveSize);
        }
        return true;
    }

    const std::filesystem::path& archive_;
    const TLockedFile& old_;
    const TPakIndex& index_;
    const TPakEditPlan& plan_;
    const TPakEditHooks& hooks_;
    TOutputFile& out_;
    const TAppendLayout* append_;
    TTicker ticker_;
    TEntryCopier copier_;
    std::int64_t runBegin_ = 0;
    std::int64_t runEnd_ = 0;
};

// Where the entry's bytes as the archive stores them begin: a ZIP member's
// after its local header. Throws "Damaged entry" when they do not lie
// within the archive.
std::int64_t StoredStart(const TLockedFile& archive, const TPakEntry& entry) {
    if (entry.Coding == nullptr || !entry.Coding->LocalHeader) {
        try {
            CheckEntryBounds(entry, archive.Size());
        } catch (const TInOutFailure& e) {
            throw TFailure(DamagedEntryMessage(entry.Name, e.what()));
        }
        return entry.FilePos;
    }
    unsigned char local[kZipLocalSize];
    if (archive.ReadAt(entry.FilePos, local, sizeof local) != sizeof local ||
        ZipGet32(local) != kZipLocalSignature)
        throw TFailure(
            DamagedEntryMessage(entry.Name, Tr("no local header where the directory puts it")));
    const std::int64_t at = entry.FilePos + ZipLocalHeaderLength(local);
    if (at > archive.Size() - entry.Coding->StoredLength)
        throw TFailure(
            DamagedEntryMessage(entry.Name, Tr("its data run past the end of the file")));
    return at;
}

// Rewrites a ZIP as the plan says: kept members as they are stored, their
// coded bytes copied and a header written anew (under a new name for a
// renamed one), added ones deflated, then the central directory.
class TZipEditWriter {
public:
    TZipEditWriter(const std::filesystem::path& archive, const TLockedFile& old,
                   const TPakIndex& index, const TPakEditPlan& plan, const TPakEditHooks& hooks,
                   TOutputFile& out)
        : archive_(archive), old_(old), index_(index), plan_(plan), hooks_(hooks),
          ticker_(hooks, out, 0, plan.ArchiveSize), writer_(out),
          buffer_(new unsigned char[kPiece]) {}

    bool Write() {
        for (std::size_t i = 0; i < plan_.Entries.size(); ++i) {
            const TPakEditEntry& entry = plan_.Entries[i];
            const std::string name(plan_.NameOf(i, index_));
            const bool going = entry.Source == TPakEditSource::esKept
                                   ? Keep(index_.Entries[entry.From], name)
                                   : Add(plan_.Added[entry.From], name);
            if (!going)
                return false;
        }
        writer_.Finish();
        return true;
    }

private:
    static constexpr std::size_t kPiece = 1024 * 1024;

    bool Keep(const TPakEntry& kept, const std::string& name) {
        return CopyCoded(old_, StoredStart(old_, kept), *kept.Coding, name,
                         // Shorter than its index says: the archive changed under us.
                         [this] { throw TArchiveChangedFailure(archive_); });
    }

    // A member's coded bytes at at of from, copied as they are under a new
    // local header; short is called when from ends first.
    bool CopyCoded(const TLockedFile& from, std::int64_t at, const TEntryCoding& coding,
                   const std::string& name, const std::function<void()>& shortRead) {
        TZipMemberInfo info;
        info.Name = name;
        info.Method = coding.ZipMethod;
        info.DosTime = coding.DosTime;
        info.ExternalAttributes = coding.ExternalAttributes;
        info.MadeBy = coding.MadeBy;
        info.Flags = coding.ZipFlags;
        writer_.BeginMember(info, std::max(coding.Size, coding.StoredLength));
        for (std::int64_t left = coding.StoredLength; left > 0;) {
            const auto n = static_cast<std::size_t>(
                std::min<std::int64_t>(left, static_cast<std::int64_t>(kPiece)));
            if (!ticker_.Before(static_cast<std::int64_t>(n)))
                return false;
            if (from.ReadAt(at, buffer_.get(), n) != n)
                shortRead();
            writer_.WriteCoded({buffer_.get(), n});
            at += static_cast<std::int64_t>(n);
            left -= static_cast<std::int64_t>(n);
        }
        writer_.EndMember(coding.Crc, coding.Size);
        return true;
    }

    [[noreturn]] static void ChangedWhileEditing(const std::string& path) {
        throw TFailure(FormatText(Tr("File changed while editing: {1}"), DisplayPath(path)));
    }

    bool Add(const TPakEditData& data, const std::string& name) {
        std::optional<TLockedFile> input;
        if (!data.Path.empty()) {
            input.emplace(data.Path, hooks_.Inputs);
            if (!input->Identity().SameArchiveAs(data.File))
                throw TFailure(FormatText(Tr("File changed since the edit was planned: {1}"),
                                          DisplayPath(data.Path)));
            CheckSizeKnown(*input, data.Path);
            // A member put back as it was stored.
            if (data.Coding)
                return CopyCoded(*input, data.Offset, *data.Coding, name,
                                 [&data] { ChangedWhileEditing(data.Path); });
        }
        TZipMemberInfo info;
        info.Name = name;
        info.Method = data.Size == 0 ? kZipMethodStored : kZipMethodDeflated;
        info.DosTime = DosTimeOf(input ? input->Identity().ModifiedNs / 1000000000
                                       : static_cast<std::int64_t>(std::time(nullptr)));
        writer_.BeginMember(info, data.Size + data.Size / 256 + 1024);
        z_stream z{};
        if (deflateInit2(&z, kZipEditLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            throw std::bad_alloc();
        const std::unique_ptr<z_stream, int (*)(z_stream*)> owner(&z, deflateEnd);
        std::vector<unsigned char> coded(deflateBound(&z, kPiece) + 64);
        std::uint32_t crc = 0;
        for (std::int64_t at = 0; at < data.Size || (at == 0 && info.Method != kZipMethodStored);) {
            const auto n = static_cast<std::size_t>(
                std::min<std::int64_t>(data.Size - at, static_cast<std::int64_t>(kPiece)));
            if (!ticker_.Before(static_cast<std::int64_t>(n)))
                return false;
            const unsigned char* bytes = buffer_.get();
            if (input) {
                if (input->ReadAt(data.Offset + at, buffer_.get(), n) != n)
                    ChangedWhileEditing(data.Path);
            } else {
                bytes = reinterpret_cast<const unsigned char*>(data.Bytes.data()) + at;
            }
            crc = static_cast<std::uint32_t>(crc32(crc, bytes, static_cast<uInt>(n)));
            at += static_cast<std::int64_t>(n);
            const bool last = at >= data.Size;
            z.next_in = const_cast<Bytef*>(bytes);
            z.avail_in = static_cast<uInt>(n);
            do {
                z.next_out = coded.data();
                z.avail_out = static_cast<uInt>(coded.size());
                deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
                writer_.WriteCoded({coded.data(), coded.size() - z.avail_out});
            } while (z.avail_out == 0 || (last && z.avail_in > 0));
            if (last)
                break;
        }
        writer_.EndMember(crc, data.Size);
        // A writer changes a file's times before its bytes: a change during
        // the copy shows here.
        if (input && !IdentityOf(input->Descriptor()).Unchanged(input->Identity()))
            ChangedWhileEditing(data.Path);
        return true;
    }

    static constexpr int kZipEditLevel = 6;
    const std::filesystem::path& archive_;
    const TLockedFile& old_;
    const TPakIndex& index_;
    const TPakEditPlan& plan_;
    const TPakEditHooks& hooks_;
    TTicker ticker_;
    TZipWriter writer_;
    std::unique_ptr<unsigned char[]> buffer_;
};

} // namespace

void TPakEditPlan::ForEachChange(const TPakIndex& index,
                                 const std::function<void(const std::string&)>& told,
                                 bool planned) const {
    const auto name = [&](std::int32_t item, std::uint32_t entry) {
        return item >= 0 ? Names[static_cast<std::size_t>(item)]
                         : std::string(index.Entries[entry].Name);
    };
    // Each change done, or as a dry run says it would be.
    const char* const deletedText = planned ? Tr("would delete {1}") : Tr("deleted {1}");
    const auto deleted = [&](std::int32_t item, std::uint32_t entry) {
        told(FormatText(deletedText, name(item, entry)));
    };
    for (std::size_t i = 0; i < DeletedFirst.size(); ++i)
        if (DeletedFirst[i])
            deleted(-1, static_cast<std::uint32_t>(i));
    for (const TPakChangeNote& note : Notes) {
        switch (note.Kind) {
        case TPakNoteKind::nkAdded:
            told(FormatText(planned ? Tr("would add {1}") : Tr("added {1}"),
                            name(note.New, note.Entry)));
            break;
        case TPakNoteKind::nkDeleted:
            deleted(note.Old, note.Entry);
            break;
        case TPakNoteKind::nkRenamed:
            told(FormatText(planned ? Tr("would rename {1} -> {2}") : Tr("renamed {1} -> {2}"),
                            name(note.Old, note.Entry), name(note.New, note.Entry)));
            break;
        case TPakNoteKind::nkReplaced: {
            const std::string old = name(note.Old, note.Entry);
            const std::string fresh = name(note.New, note.Entry);
            if (old == fresh)
                told(FormatText(planned ? Tr("would replace {1}") : Tr("replaced {1}"), fresh));
            else
                told(FormatText(planned ? Tr("would replace {1} (now named {2})")
                                        : Tr("replaced {1} (now named {2})"),
                                old, fresh));
            break;
        }
        }
    }
}

std::vector<std::string> TPakEditPlan::Changes(const TPakIndex& index) const {
    std::vector<std::string> texts;
    ForEachChange(index, [&texts](const std::string& text) { texts.push_back(text); });
    return texts;
}

namespace {
// An edit writes a Quake PAK's header and directory, or a ZIP's: on
// another kind it would leave a file that kind's readers cannot read.
void CheckEditableKind(const TPakIndex& index) {
    if (index.Kind != TPakKind::pkQuake && index.Kind != TPakKind::pkZip)
        throw TFailure(FormatText(Tr("Only PAK and ZIP archives can be edited; this is a {1}"),
                                  Tr(PakLayoutOf(index.Kind).Name)));
}

// The index whole, of a kind an edit writes.
void CheckEditableIndex(const TPakIndex& index) {
    CheckEditableKind(index);
    // Entries past a cut, or a count the directory does not hold, would be
    // dropped without being asked for.
    if (!index.Complete || index.Count < 0 ||
        static_cast<std::size_t>(index.Count) != index.Entries.size())
        throw TFailure(Tr("The archive's directory is damaged or cut short; it cannot be edited"));
}
} // namespace

TPakEditPlan PlanPakEdit(const TPakIndex& index, const std::vector<TPakChange>& changes,
                         std::vector<bool> deleteFirst) {
    CheckEditableIndex(index);
    if (!deleteFirst.empty() && deleteFirst.size() != index.Entries.size())
        throw TFailure(FormatText(Tr("The entries to delete do not match the archive's {1}"),
                                  index.Entries.size()));
    TPakEditPlan plan;
    plan.Archive = index.Identity;
    plan.IndexEntries = index.Entries.size();
    plan.DeletedFirst = std::move(deleteFirst);
    TPlanner planner(index, plan);
    for (const TPakChange& change : changes)
        planner.Change(change);
    planner.Finish();
    return plan;
}

TPakEditPlan PlanPakRestore(const TPakIndex& index, const TPakRestore& restore) {
    CheckEditableIndex(index);
    const std::size_t n = index.Entries.size();
    const bool zip = index.Kind == TPakKind::pkZip;
    TPakEditPlan plan;
    plan.Archive = index.Identity;
    plan.IndexEntries = n;
    plan.Names = restore.Names;
    const std::size_t longest = zip ? 0xFFFF : kPakNameSize;
    for (const std::string& name : plan.Names)
        if (name.empty() || name.find('\0') != std::string::npos || name.size() > longest)
            throw TFailure("The name \"" + name.substr(0, name.find('\0')) +
                           "\" cannot be stored: a name is 1 to " + std::to_string(longest) +
                           " bytes without a NUL");
    TFileIdentity file;
    if (!restore.Pieces.empty()) {
        TFileKind kind = TFileKind::fkUnknown;
        if (restore.Path.empty() || !StatusAt(restore.Path, true, kind, file))
            throw TFileOpenFailure(restore.Path);
        if (kind != TFileKind::fkRegular)
            throw TFailure("Cannot restore from " + DisplayPath(restore.Path) +
                           ": it is not a regular file");
        if (!CanRead(restore.Path))
            throw TFileOpenFailure(restore.Path);
        if (index.Identity.Inode != 0 && file.SameFileAs(index.Identity))
            throw TFailure("Cannot restore from " + DisplayPath(restore.Path) +
                           ": it is the archive being edited");
    }
    std::vector<bool> kept(n, false);
    std::int64_t last = -1;
    std::int64_t end = zip ? kZipEndBound
                           : static_cast<std::int64_t>(kPakHeaderSize) +
                                 static_cast<std::int64_t>(restore.Items.size() * kPakDirEntrySize);
    if (end > kPakMaxSize && !zip)
        throw TFailure(ArchiveTooLargeMessage());
    plan.Entries.reserve(restore.Items.size());
    for (const TPakRestore::TItem& item : restore.Items) {
        if (item.Name >= 0 && static_cast<std::size_t>(item.Name) >= plan.Names.size())
            throw TFailure("There is no name " + std::to_string(item.Name) + " to give an entry");
        const auto given = static_cast<std::size_t>(item.Name);
        TPakEditEntry entry;
        entry.Name = item.Name;
        std::int64_t size = 0;
        std::string_view name;
        if (item.Entry >= 0) {
            const auto s = static_cast<std::size_t>(item.Entry);
            if (item.Piece >= 0)
                throw TFailure("Entry " + std::to_string(s) + " is kept and put back at once");
            if (s >= n)
                throw TFailure("There is no entry " + std::to_string(s) + ": the archive has " +
                               std::to_string(n) + " entries");
            if (item.Entry <= last)
                throw TFailure("Entry " + std::to_string(s) +
                               " is kept out of the archive's order, or twice");
            last = item.Entry;
            kept[s] = true;
            const TPakEntry e = index.Entries[s];
            try {
                CheckEntryBounds(e, index.Identity.Size);
            } catch (const TInOutFailure& x) {
                throw TFailure(DamagedEntryMessage(e.Name, x.what()));
            }
            entry.From = static_cast<std::uint32_t>(s);
            size = zip ? e.Coding->StoredLength : e.FileLength;
            name = e.Name;
            if (item.Name >= 0 && plan.Names[given] == e.Name)
                entry.Name = -1;
            else if (item.Name >= 0)
                plan.Notes.push_back({TPakNoteKind::nkRenamed, entry.From, -1, item.Name});
        } else {
            if (item.Piece < 0 || static_cast<std::size_t>(item.Piece) >= restore.Pieces.size())
                throw TFailure("There is no piece " + std::to_string(item.Piece) + " to put back");
            if (item.Name < 0)
                throw TFailure("Piece " + std::to_string(item.Piece) +
                               " is put back without a name");
            const TPakRestore::TPiece& piece = restore.Pieces[static_cast<std::size_t>(item.Piece)];
            name = plan.Names[given];
            if (piece.Coding && !zip)
                throw TFailure("Cannot put " + std::string(name) +
                               " back as a ZIP member: the archive is a PAK");
            if (piece.Offset < 0 || piece.Length < 0 || piece.Offset > file.Size ||
                piece.Length > file.Size - piece.Offset ||
                (piece.Coding && piece.Coding->StoredLength != piece.Length))
                throw TFailure("The bytes of " + std::string(name) + " do not lie within " +
                               DisplayPath(restore.Path));
            TPakEditData data;
            data.Path = restore.Path;
            data.File = file;
            data.Offset = piece.Offset;
            data.Coding = piece.Coding;
            data.Size = piece.Coding ? piece.Coding->Size : piece.Length;
            if (data.Size > kPakMaxSize && !zip)
                throw TFailure(FileTooLargeMessage(data.Size, name));
            entry.Source = TPakEditSource::esFile;
            entry.From = static_cast<std::uint32_t>(plan.Added.size());
            plan.Added.push_back(std::move(data));
            plan.Notes.push_back(
                {TPakNoteKind::nkAdded, static_cast<std::uint32_t>(n + entry.From), -1, item.Name});
            size = piece.Length;
        }
        if (zip)
            size = ZipMemberBound(name.size(), size);
        end += size;
        if (end > kPakMaxSize && !zip)
            throw TFailure(ArchiveTooLargeMessage(name));
        plan.Entries.push_back(entry);
    }
    plan.DeletedFirst.assign(n, false);
    for (std::size_t s = 0; s < n; ++s)
        if (!kept[s]) {
            plan.DeletedFirst[s] = true;
            ++plan.DeletedFirstCount;
        }
    plan.ArchiveSize = end;
    return plan;
}

std::int64_t StoredLengthOf(const TPakEntry& entry) {
    return entry.Coding != nullptr && entry.Coding->Method != TEntryMethod::emPlain
               ? entry.Coding->StoredLength
               : entry.FileLength;
}

bool ReadStoredEntry(const TLockedFile& archive, const TPakEntry& entry,
                     std::span<unsigned char> buffer,
                     const std::function<bool(std::span<const unsigned char>)>& sink) {
    if (buffer.empty())
        throw std::invalid_argument("ReadStoredEntry needs a buffer");
    std::int64_t at = StoredStart(archive, entry);
    for (std::int64_t left = StoredLengthOf(entry); left > 0;) {
        const auto n = static_cast<std::size_t>(
            std::min<std::int64_t>(left, static_cast<std::int64_t>(buffer.size())));
        if (archive.ReadAt(at, buffer.data(), n) != n)
            throw TArchiveChangedFailure(archive.Path());
        if (!sink(buffer.first(n)))
            return false;
        at += static_cast<std::int64_t>(n);
        left -= static_cast<std::int64_t>(n);
    }
    return true;
}

bool ApplyPakEdit(const std::filesystem::path& archive, const TPakIndex& index,
                  const TPakEditPlan& plan, const TPakEditHooks& hooks) {
    CheckEditableKind(index);
    if (!plan.Archive.Unchanged(index.Identity) || plan.IndexEntries != index.Entries.size())
        throw TFailure(
            FormatText(Tr("The edit of {1} was planned on another index"), DisplayPath(archive)));
    const std::filesystem::path real = ResolveArchive(archive);
    const std::string name = real.filename().string();
    TDirectory dir;
    try {
        dir = TDirectory::Open(real.parent_path());
    } catch (const TFailure&) {
        throw TFileOpenFailure(archive);
    }
    std::optional<TLockedFile> opened;
    if (hooks.Held == nullptr)
        opened.emplace(dir, name, archive.string(), hooks.Archive);
    TLockedFile& old = hooks.Held != nullptr ? *hooks.Held : *opened;
    CheckSameArchive(old, index.Identity);
    if (hooks.Appended != nullptr)
        *hooks.Appended = false;
    if (plan.Unchanged() && !hooks.Compact)
        return true;
    // What stopped edits left here takes room the new archive may need.
    for (const std::string& line : RemoveLeftovers(dir))
        if (hooks.Told)
            hooks.Told(line);
    const auto reached = [&hooks](TPakEditStep step) {
        if (hooks.Reached)
            hooks.Reached(step);
    };
    const bool zip = index.Kind == TPakKind::pkZip;
    if (!hooks.Compact && !zip) {
        const TAppendLayout layout = LayOutAppend(index, plan);
        // Past half the file unused, the rewrite frees it.
        if (layout.Fits && layout.Unused <= layout.Size / 2) {
            if (const std::unique_ptr<TOutputFile> grown = TOutputFile::Grow(dir, name, old)) {
                CheckRoomFor(dir, layout.Size - index.Identity.Size);
                if (!TEditWriter(archive, old, index, plan, hooks, *grown, &layout).Write())
                    return false;
                if (hooks.Progress)
                    hooks.Progress(layout.Size - index.Identity.Size,
                                   layout.Size - index.Identity.Size);
                reached(TPakEditStep::esAppended);
                if (hooks.Durable)
                    grown->Flush();
                reached(TPakEditStep::esAppendFlushed);
                // Cut or grown by a program that takes no lock: its bytes and
                // ours overlap.
                if (IdentityOf(grown->Descriptor()).Size != layout.Size)
                    throw TArchiveChangedFailure(archive);
                unsigned char head[kPakHeaderSize];
                EncodePakHeader({kPakMagic, static_cast<std::int32_t>(layout.DirOffset),
                                 static_cast<std::int32_t>(layout.Size - layout.DirOffset)},
                                head);
                if (!grown->CommitGrown(old, head, sizeof head, hooks.Durable,
                                        [&] { reached(TPakEditStep::esHeaderWritten); }))
                    throw TArchiveReplacedFailure(archive);
                if (hooks.Appended != nullptr)
                    *hooks.Appended = true;
                return true;
            }
        }
    }
    CheckRoomFor(dir, plan.ArchiveSize);

    TOutputFile out(dir, name, TOutputMode::omAlwaysBeside);
    out.TakeOwnerAndModeOf(old);
    if (!(zip ? TZipEditWriter(archive, old, index, plan, hooks, out).Write()
              : TEditWriter(archive, old, index, plan, hooks, out).Write()))
        return false;
    if (hooks.Progress)
        hooks.Progress(out.Size(), out.Size());
    reached(TPakEditStep::esWritten);
    if (hooks.Durable)
        out.Flush();
    reached(TPakEditStep::esFlushed);
    // Written in place while we copied: the new archive would hold a state
    // the old one never had.
    if (!IdentityOf(old.Descriptor()).SameArchiveAs(index.Identity))
        throw TArchiveChangedFailure(archive);
    // Replaced under its name: the swap finds another file there and leaves
    // it as it is.
    if (!out.CommitOver(old))
        throw TArchiveReplacedFailure(archive);
    if (hooks.Durable)
        dir.Flush();
    return true;
}

bool AddTreeChanges(const std::filesystem::path& dir, std::string_view prefix,
                    const TFileIdentity& archive, const std::function<bool()>& pump,
                    std::vector<TPakChange>& changes) {
    std::vector<TPakBuildFile> files;
    TPakBuildHooks hooks;
    hooks.Pump = pump;
    hooks.Output = archive;
    const bool finished = WalkPakTree(dir, files, hooks);
    std::string lead(prefix);
    if (!lead.empty() && lead.back() != '/')
        lead += '/';
    changes.reserve(changes.size() + files.size());
    for (TPakBuildFile& file : files)
        changes.push_back(TPakChange::AddFile(lead + file.Name, std::move(file.Path)));
    return finished;
}

} // namespace zorvak
