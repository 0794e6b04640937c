// Extracting entries: which names are safe, where an entry goes, the
// directories it needs (opened by descriptor, never through a link), and
// the copy from the archive into a file that appears complete or not at all.
#pragma once

#include "archive/PakNames.h"
#include "archive/PakReader.h"
#include "framework/Files.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zorvak {

// The one rule for a stored name, used by extraction and by verify, the
// same on every platform the core is built for. Levels are what lies
// between "/" or "\" (a separator on some platforms, so counted as one
// here); empty levels between two separators are dropped.
enum class TNameVerdict {
    nvSafe,   // lands inside the destination
    nvUnsafe, // absolute, a "." or ".." level, or a ":" (a drive or a stream)
    nvNoFile, // empty or ending in a separator: it names no file
};
TNameVerdict JudgeEntryName(std::string_view name);

// An entry's name as this platform writes it: the directory levels (split
// at "/", empty ones dropped) and the file's own name. Views the name.
struct TEntryLevels {
    static constexpr std::size_t kMaxLevels = 32; // a 55-byte name has at most 28
    std::array<std::string_view, kMaxLevels> Dirs{};
    std::size_t DirCount = 0;
    std::string_view File;
};

// Splits name for writing below dir, at "/" (and "\" on Windows). Throws
// TFailure naming the entry for an unsafe name or one this system cannot
// make, TFileCreateFailure (dir + name) for one that names no file.
TEntryLevels EntryLevels(std::string_view name, const std::filesystem::path& dir);

// The output path of entry name: the directory, then the name's levels.
// Throws as EntryLevels does.
std::filesystem::path EntryOutputPathIn(const std::filesystem::path& dir, std::string_view name);

// How many missing directory levels are created for one entry at most.
inline constexpr int kMaxForcedLevels = 14;

// Creates dir and up to 14 missing levels above it, outermost first. Throws
// TInOutFailure for the first creation that fails; levels made before stay.
void ForceDirPath(const std::filesystem::path& dir);

class TExtractJournal;

// Where a run extracts to: a directory held by descriptor. The levels of
// the entry extracted last stay open, so entries in tree order open each
// directory once and no level is looked up by a long path.
//
// A run keeps a journal in the destination, a small mapped file named as a
// temporary, that tells at every moment which file it is writing and how
// long that file will be: a run stopped by anything, SIGKILL included,
// leaves it behind, and the next run there removes the file that was left
// incomplete, so nothing takes it for the entry. Storing into the journal
// costs no system call per file.
class TExtractTarget {
public:
    // Throws TInOutFailure when dir cannot be opened.
    explicit TExtractTarget(const std::filesystem::path& dir, bool journal = true);
    ~TExtractTarget();
    TExtractTarget(const TExtractTarget&) = delete;
    TExtractTarget& operator=(const TExtractTarget&) = delete;

    // Puts right what runs that were stopped left in the destination: the
    // file a journal names is removed when it is shorter than it was to be
    // (or empty and made by that run), and the temporaries of runs that have
    // ended go, there and beside that file. One line for each file removed.
    // Done once per target, before the first file is written at the latest.
    std::vector<std::string> Recover();

    // The journal's steps around one file the run writes below the
    // destination (named as an entry is, and the length it will have, or
    // kUnknownLength: then any such file found unfinished is removed):
    // before its output is made, once made, once complete.
    static constexpr std::int64_t kUnknownLength = -1;
    void Begin(std::string_view name, std::int64_t length);
    void Opened(const TOutputFile& out);
    void Done();

    // With flush set, every file the run writes is on the disk once Finish
    // returns (the whole file system flushed at once where the system can,
    // else each file as it is completed).
    void FlushAtEnd(bool flush) { flush_ = flush; }
    bool FlushingAtEnd() const { return flush_; }
    bool FlushesEachFile() const;
    // Ends the run: the flush asked for, and the journal removed. Throws
    // TInOutFailure for a write error the flush reports.
    void Finish();

    // The directory the entry's file goes in, its levels opened below the
    // destination without following a link (TLinkFailure names one met) and
    // the missing ones made; more than 14 missing is "File not found", with
    // nothing made, as ForceDirPath would fail. A TInOutFailure thrown knows
    // the directory (Path()).
    const TDirectory& DirectoryFor(const TEntryLevels& levels);

    // Whether files already there are kept (TFileExistsFailure) rather
    // than replaced.
    void KeepExisting(bool keep) { keep_ = keep; }
    TOutputMode Mode() const { return keep_ ? TOutputMode::omKeep : TOutputMode::omReplace; }

    const TDirectory& Root() const { return chain_.Root(); }
    const std::filesystem::path& Path() const { return chain_.Root().Path(); }

private:
    TDirectoryChain chain_;
    bool keep_ = false;
    bool journaled_;
    bool recovered_ = false;
    bool flush_ = false;
    std::unique_ptr<TExtractJournal> journal_;
};

// Entries whose files are one and the same on this system although their
// names are not the same bytes: "a//b" and "a/b", and where file names
// ignore letter case (Windows) "Readme.TXT" and "readme.txt". Of such
// entries, in the order added, the first keeps the file: the game reads the
// first too.
class TSameFileTable {
public:
    explicit TSameFileTable(const TPakEntries& entries);

    enum class TSeen { ssNew, ssRepeated, ssSameFile };
    // Adds entry i: new, the name of an earlier entry again, or another
    // name for an earlier entry's file; first is that entry.
    TSeen Insert(std::size_t i, std::size_t& first);

private:
    // The name's levels joined by "/", empty ones dropped, compared as this
    // system compares file names.
    std::string Key(std::string_view name) const;

    const TPakEntries& entries_;
    TNameTable exact_;
    bool folded_;
    std::unordered_map<std::string, std::uint32_t> keys_;
};

// Removes the temporaries that runs which have ended left in dir (an edit's
// or a build's archive, a replaced file), but not their journals, which only
// an extraction's recovery reads. One line for each file removed.
std::vector<std::string> RemoveLeftovers(const TDirectory& dir);

// Refuses, before anything is written, a run that needs more bytes than dir
// has free: "Disk full" with both figures.
void CheckRoomFor(const TDirectory& dir, std::int64_t bytes);

// What the copy reports while it runs.
class TCopyObserver {
public:
    virtual ~TCopyObserver() = default;
    // Once, before the first chunk: the number of chunk steps the gauge
    // should span (length div 10240 + 1).
    virtual void Started(std::int32_t maxValue) = 0;
    // Before each chunk; returning false abandons the copy.
    virtual bool BeforeChunk() = 0;
    // After each chunk, the bytes it put in the output (decoded, for a
    // coded entry): for a gauge that moves by bytes.
    virtual void Copied(std::int64_t /*bytes*/) {}
};

// The one chunked copy: n bytes at pos of from, read into buffer a piece of
// its size at a time and each piece handed to sink. False when from ends
// first; nothing of a short piece is handed on.
bool CopyChunks(const TLockedFile& from, std::int64_t pos, std::int64_t n,
                std::span<unsigned char> buffer,
                const std::function<void(const unsigned char*, std::size_t)>& sink);

// Moves an entry's bytes from the archive into its output: through one
// 10240-byte buffer, or, when fast, small entries out of a 1 MiB window read
// ahead from the archive and big ones in large pieces by the kernel where
// the system can copy between the two files: a copy between files, else
// one through the kernel's stream copy (which crosses file systems), else
// the buffer. Each refusal is learnt once, for the rest of the run.
// Entries up to this size are small: copied out of a window read ahead.
inline constexpr std::size_t kSmallEntry = 64 * 1024;

// The first of the kernel's copies a fast copier tries; the later ones
// follow when it is refused.
enum class TKernelCopy : std::uint8_t { kcBetweenFiles, kcStream, kcNone };

class TEntryDecoder;

class TEntryCopier {
public:
    explicit TEntryCopier(bool fast = false, TKernelCopy first = TKernelCopy::kcBetweenFiles);
    std::size_t ChunkSize() const;
    // The piece ExtractEntry hands to Copy for an entry of length bytes:
    // 16 MiB where a fast copier's kernel copies it, else ChunkSize().
    std::size_t PieceSize(std::int64_t length) const;
    // Copies n bytes at pos of from to out's position. False when from ends
    // first; throws the read's or the write's failure.
    bool Copy(const TLockedFile& from, std::int64_t pos, std::size_t n, TOutputFile& out);
    // The next piece (ChunkSize() bytes, fewer at the end) of a coded
    // entry, decoded to out's position. Throws the decoder's failures.
    void Decode(TEntryDecoder& decoder, TOutputFile& out);
    // Throws TArchiveChangedFailure when from has changed since it was
    // opened; looks (one fstat) only when bytes were read since it last did,
    // so entries served from the window cost nothing here.
    void ConfirmSource(const TLockedFile& from);
    // Where the small entries to come end, as far as they lie back to back:
    // the window reads no further (a big entry after them is copied by the
    // kernel, and bytes read ahead for it would be read twice). 0: no limit.
    void ReadAheadTo(std::int64_t end) { readAheadEnd_ = end; }

private:
    bool fast_;
    TKernelCopy kernel_;
    std::unique_ptr<unsigned char[]> buffer_;
    // The read-ahead window: which file's bytes [windowPos_, windowEnd_).
    // Known by address and identity: another file opened later at the same
    // address must not be served these bytes.
    const TLockedFile* windowFile_ = nullptr;
    TFileIdentity windowIdentity_;
    std::int64_t windowPos_ = 0;
    std::int64_t windowEnd_ = 0;
    std::int64_t readAheadEnd_ = 0;
    bool readSinceCheck_ = false;
};

// The one bounds check of an entry against its archive: "Damaged entry" for
// a negative position or length, "Read beyond end of file" for data (a
// coded entry's coded bytes) that run past archiveSize.
void CheckEntryBounds(const TPakEntry& entry, std::int64_t archiveSize);

// An entry's bytes read whole from the archive (for a sound to play), after
// the bounds check, so nothing is allocated for a damaged entry; a coded
// one decoded, and checked when FileLength is all of it. Throws as
// CheckEntryBounds, "Read beyond end of file" for a short read, and the
// decoder's failures.
std::vector<unsigned char> ReadEntryBytes(const TLockedFile& archive, const TPakEntry& entry);

// The first bytes of an entry, at most most of them (fewer where the
// archive ends first), to tell its kind. Throws as ReadEntryBytes.
std::vector<unsigned char> ReadEntryHead(const TLockedFile& archive, const TPakEntry& entry,
                                         std::size_t most);

// An entry's bytes handed to sink a piece at a time, each at most
// buffer's size; sink answers false to stop, and then so does this. A
// coded entry is checked at its end, after sink had its bytes: a caller
// that must not keep a damaged entry keeps them aside until this returns.
// Throws as ReadEntryBytes.
bool ReadEntryPieces(const TLockedFile& archive, const TPakEntry& entry,
                     std::span<unsigned char> buffer,
                     const std::function<bool(std::span<const unsigned char>)>& sink);

// The one step that extracts an entry, for the window and the tool alike:
// its levels below target, then the archive (opened by archive(), which may
// check it), then the output beside or at its name, the copy and the commit.
// Returns false when the observer abandoned the copy (nothing is left of
// it). Throws the unsafe-name failure, the levels' failures, "Damaged entry"
// for a negative position or length, "Read beyond end of file" when the
// archive ends before the entry does, the output's and the copy's failures,
// TFailure when the output is the archive itself, and TArchiveChangedFailure
// when the archive changed while it was read.
bool ExtractEntry(TExtractTarget& target, const TPakEntry& entry,
                  const std::function<const TLockedFile&()>& archive, TCopyObserver& observer,
                  TEntryCopier& copier);

} // namespace zorvak
