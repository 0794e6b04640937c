// Editing an archive without rebuilding it from a folder: a list of changes
// is planned against the archive's index, where every refusal is made, then
// applied in one of two ways. Appending: the new entries' bytes and a new
// directory go after the archive's end and reach the disk, then the 12-byte
// header is rewritten to point at them, so at every moment the file is the
// old archive (with a tail no one reads) or the new one. Rewriting: the
// whole new archive is written beside the old one in the builder's layout
// (header, data in list order, directory, header again) and renamed over
// it only when it is complete.
//
// Decisions:
// - Changes take effect one after another: a rename frees its old name for
//   a later add, a delete makes the entry unknown to later changes.
// - An added name already stored (letter case ignored) replaces the first
//   entry of that name in place, under the added name; any other name goes
//   at the end. Adding one name twice in a request is refused, as the
//   builder refuses two files under one name.
// - New names follow the builder: relative, one "/" between levels, at most
//   55 bytes, A-Z lowered unless typed, never equal once lowered to another
//   name of the result. Kept entries keep their names and bytes as they
//   are, also names the builder would not write (a second entry of one name,
//   56 bytes); an entry whose data lie outside the archive can be deleted
//   but not kept.
// - An edit appends unless asked to compact, or the bytes no entry uses
//   (old directories, deleted or replaced entries' data) would pass half
//   the file, or another name (a hard link) leads to the archive, which must
//   keep the old contents, or the file cannot be written in place (not
//   ours to write; Windows, which shares no second open of the held
//   archive), or the appended archive would reach 2 GiB. Compacting is the
//   rewrite: the same bytes a rewrite of each edit would have given.
// - Deleted bytes stay in the file until it is compacted.
// - Kept entries whose data lie back to back are copied as one range, by
//   the kernel where it can, so a rewrite costs about a copy.
// - The rewritten archive gets the old one's permission bits (rwx), and its
//   owner where we may; it is flushed to disk before it takes the old one's
//   name, which it takes from the file a link points to, not from the link.
// - An undo or a redo is an edit too: PlanPakRestore lays out the entries as
//   they were, kept ones where they are and the others put back from the
//   bytes kept of them (ReadStoredEntry), so it appends or rewrites as any
//   edit does.
#pragma once

#include "archive/EntryCoding.h"
#include "archive/PakReader.h"
#include "framework/Files.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorvak {

enum class TPakChangeKind {
    ckAddFile,  // store the file at Path under Name
    ckAddBytes, // store Bytes under Name
    ckDelete,   // drop entry number Entry
    ckRename,   // give entry number Entry the name Name
};

struct TPakChange {
    TPakChangeKind Kind = TPakChangeKind::ckAddFile;
    std::string Name;
    // The user typed Name: it is stored as typed (verify warns of upper
    // case). Otherwise A-Z are lowered, as the builder names files.
    bool Typed = false;
    std::string Path;      // plain bytes; a final link is followed
    std::string Bytes;     // for tests and small tools
    std::size_t Entry = 0; // its number in the index

    static TPakChange AddFile(std::string name, std::string path, bool typed = false);
    static TPakChange AddBytes(std::string name, std::string bytes, bool typed = false);
    static TPakChange Delete(std::size_t entry);
    static TPakChange Rename(std::size_t entry, std::string name, bool typed = false);
};

enum class TPakEditSource : std::uint8_t { esKept, esFile, esBytes };

// The data of an added entry.
struct TPakEditData {
    std::string Path;  // esFile
    std::string Bytes; // esBytes
    std::int64_t Size = 0;
    TFileIdentity File; // esFile: as planned; it must still be so when copied
    // esFile: where its bytes begin in the file (a restore's piece), and for
    // a ZIP member put back as it was stored, its coding: its coded bytes,
    // Coding->StoredLength of them, are copied as they are.
    std::int64_t Offset = 0;
    std::optional<TEntryCoding> Coding;
};

// One entry of the new archive, small: an archive may hold millions.
struct TPakEditEntry {
    TPakEditSource Source = TPakEditSource::esKept;
    std::uint32_t From = 0; // esKept: its number in the index; else its item in Added
    std::int32_t Name = -1; // its item in Names; -1: the kept entry's own name
};

enum class TPakNoteKind : std::uint8_t { nkAdded, nkReplaced, nkDeleted, nkRenamed };

// One change as the user is told it, small: an edit may delete millions.
// Names are items of the plan's Names, or -1 for the index entry's own.
struct TPakChangeNote {
    TPakNoteKind Kind = TPakNoteKind::nkAdded;
    std::uint32_t Entry = 0; // the index entry deleted, renamed or replaced
    std::int32_t Old = -1;   // its name before the change
    std::int32_t New = -1;   // the name it gets
};

struct TPakEditPlan {
    std::vector<TPakEditEntry> Entries; // the new archive's, in order
    std::vector<std::string> Names;
    std::vector<TPakEditData> Added;
    // The index entries the edit deletes before its other changes, one bit
    // each (empty: none), and the changes after them.
    std::vector<bool> DeletedFirst;
    std::size_t DeletedFirstCount = 0;
    std::vector<TPakChangeNote> Notes;
    std::int64_t ArchiveSize = 0; // the new archive's length in bytes
    // The index planned against: only it can apply the plan.
    TFileIdentity Archive;
    std::size_t IndexEntries = 0;

    std::string_view NameOf(std::size_t i, const TPakIndex& index) const;
    std::int64_t SizeOf(std::size_t i, const TPakIndex& index) const;

    // Whether the edit changes nothing.
    bool Unchanged() const { return DeletedFirstCount == 0 && Notes.empty(); }
    // What changes, for the user, in the order of the request: "added x",
    // "replaced y", "deleted z", "renamed a -> b", or as a dry run tells
    // them when planned is set, "would add x"; each text made as it is
    // handed to told, so that millions of them never sit in memory.
    void ForEachChange(const TPakIndex& index, const std::function<void(const std::string&)>& told,
                       bool planned = false) const;
    std::vector<std::string> Changes(const TPakIndex& index) const;
};

// Resolves changes against index (read from the archive file, so that it
// holds the archive's identity and size) and checks every rule before
// anything is written. Throws TFailure naming the first problem: an index
// cut short, a new name unsafe by JudgeEntryName, naming no file, with an
// empty level or a NUL, over 55 bytes, or equal once lowered to another
// entry's; an entry to delete or rename that is not there (or deleted
// already); a file missing or unreadable (TFileOpenFailure), not a regular
// file, or the archive itself; a kept entry outside the archive; a file of
// 2 GiB or an archive that would reach 2 GiB. The entries set in
// deleteFirst (one bit per index entry, or empty) are deleted before the
// changes: the way to delete many, in memory that stays within a bit for
// each entry besides the index.
TPakEditPlan PlanPakEdit(const TPakIndex& index, const std::vector<TPakChange>& changes,
                         std::vector<bool> deleteFirst = {});

// An archive's entries laid out anew, as they were before an edit or after
// it (an undo, a redo): each an entry of the index kept, or a piece of
// another file put back.
struct TPakRestore {
    struct TItem {
        std::int64_t Entry = -1; // the index entry kept, or -1
        std::int32_t Piece = -1; // else an item of Pieces
        std::int32_t Name = -1;  // an item of Names; -1 for a kept entry's own
    };
    struct TPiece {
        std::int64_t Offset = 0; // in the file at Path
        std::int64_t Length = 0; // the bytes there: coded ones, with a coding
        // Set: the bytes are a ZIP member's as it stored them (ReadStoredEntry),
        // put back with its method, CRC, time and attributes. Unset: the
        // entry's own bytes.
        std::optional<TEntryCoding> Coding;
    };
    std::vector<TItem> Items; // the new archive's entries, in order
    std::vector<std::string> Names;
    std::vector<TPiece> Pieces;
    std::string Path; // the file the pieces are in
};

// Plans the edit that leaves the archive holding restore's entries, in its
// order, for an undo or a redo. Names are stored as given: they are names
// the archive held, which need not meet the rules for new ones (56 bytes, a
// name stored twice); only the format's own limits are checked. Kept
// entries stay in the index's order, each once: an edit never reorders
// them, so neither does its undo. Throws TFailure for what PlanPakEdit
// refuses of the archive (its kind, a damaged directory, a kept entry
// outside it, 2 GiB), an item naming no entry, piece or name, kept entries
// out of order or twice, a piece without a name or outside its file, a coded
// piece for a PAK, and the file as PlanPakEdit refuses an added one.
TPakEditPlan PlanPakRestore(const TPakIndex& index, const TPakRestore& restore);

// The entry's bytes as the archive stores them, handed to sink a piece at a
// time (each at most buffer's size): a PAK entry's own, a ZIP member's coded
// bytes behind its local header, not decoded, so a member is put back as it
// was, even one that does not decode. sink answers false to stop, and then
// so does this. Throws "Damaged entry" for bytes outside the archive or a
// missing local header, and TArchiveChangedFailure for a short read.
bool ReadStoredEntry(const TLockedFile& archive, const TPakEntry& entry,
                     std::span<unsigned char> buffer,
                     const std::function<bool(std::span<const unsigned char>)>& sink);
// How many bytes ReadStoredEntry hands over for entry.
std::int64_t StoredLengthOf(const TPakEntry& entry);

// The steps between the last byte of a new archive and its taking the old
// one's name.
enum class TPakEditStep {
    // Rewriting:
    esWritten, // every byte is written, nothing flushed yet
    esFlushed, // the new archive is on the disk, the old one still named
    // Appending:
    esAppended,      // the new bytes and directory follow the old archive, not flushed
    esAppendFlushed, // they are on the disk, the header still the old one's
    esHeaderWritten, // the header points at the new directory, not yet flushed
};

struct TPakEditHooks {
    // Called between pieces of the work: about once per MiB written, and
    // at least once per 256 added entries. It may handle events, and answers
    // false when the edit must end (also when index or plan are about to
    // go): nothing is read from them or called after that.
    std::function<bool()> Pump;
    // Called before Pump: bytes of the new archive written so far, of all.
    std::function<void(std::int64_t done, std::int64_t total)> Progress;
    // How the archive is held while it is rewritten: exclusive, as the
    // window opens it, keeps any other editor out until the rename.
    TShareMode Archive = TShareMode::smExclusive;
    // The archive as the caller holds it already (for the whole run), read
    // from instead of a second open, which a holder's own share mode would
    // refuse on Windows.
    TLockedFile* Held = nullptr;
    TShareMode Inputs = TShareMode::smExclusive; // the added files
    // Flush the new archive to disk before the rename, and its folder after:
    // the old one holds the only copy of every kept entry.
    bool Durable = true;
    // Called as the edit reaches each step after the last byte is written,
    // so that a test can change the archive, or stop the edit as a crash
    // would by throwing, at that moment.
    std::function<void(TPakEditStep)> Reached;
    // Rewrite even where appending would do, freeing what earlier edits left
    // unused.
    bool Compact = false;
    // Set to whether the edit appended (false: it rewrote, or was stopped).
    bool* Appended = nullptr;
    // Told one line for each leftover of a stopped run removed beside the
    // archive.
    std::function<void(const std::string&)> Told;
};

// Applies plan to archive by appending or by rewriting (see above): a
// rewrite writes the archive plan describes beside archive and renames it
// over archive. With Compact, a plan without changes rewrites too.
// Refuses, before anything is created, an archive that is no longer the
// indexed one (TArchiveChangedFailure) or cannot be opened
// (TFileOpenFailure, or TFileInUseFailure for a shared open), and new bytes
// that will not fit beside the old ones ("Disk full" with both figures).
// Throws the output's and the copy's failures, TArchiveChangedFailure when
// the archive changes before the rename, and TFailure for an added file
// changed since it was planned or while it was copied; the old archive
// then stays whole and no temporary is left. The new archive takes the old
// one's name only while that name still holds the indexed file, in one
// step: a file moved in over the archive at any moment before stays there
// whole (TArchiveReplacedFailure); an append is undone then, the archive
// cut back to what it was. A plan without changes writes nothing. Returns
// false, having removed the temporary or cut the archive back to its
// length, when Pump stopped it.
bool ApplyPakEdit(const std::filesystem::path& archive, const TPakIndex& index,
                  const TPakEditPlan& plan, const TPakEditHooks& hooks);

// Appends an add for every file the builder's walk stores below dir (its
// skip rules: archives, our temporaries, and the archive being edited,
// known by its identity), named prefix, "/" and the file's path below dir,
// A-Z lowered. Throws the walk's failures; returns false when pump stopped
// it (changes then holds what was found so far).
bool AddTreeChanges(const std::filesystem::path& dir, std::string_view prefix,
                    const TFileIdentity& archive, const std::function<bool()>& pump,
                    std::vector<TPakChange>& changes);

} // namespace zorvak
