// Reading an archive: the signature test and the directory index.
#pragma once

#include "archive/EntryCoding.h"
#include "archive/PakFormat.h"
#include "framework/Files.h"
#include "framework/Streams.h"
#include "framework/Translate.h"

#include <cstdint>
#include <filesystem>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace zorvak {

// One directory entry; Name views the index's name block.
struct TPakEntry {
    std::string_view Name; // bytes as stored, up to the first NUL
    std::int64_t FilePos = 0;
    // Its length as it is read out; for a coded entry, less than the
    // coding's Size asks for its first FileLength bytes only.
    std::int64_t FileLength = 0;
    // How its bytes are stored; null for an entry whose bytes lie at FilePos
    // as they are (every PAK entry). Views the index's codings.
    const TEntryCoding* Coding = nullptr;
};

// The entries of a directory, kept compact: all names in one block and a
// small fixed record per entry, so memory follows what the archive holds.
class TPakEntries {
public:
    class iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = TPakEntry;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = TPakEntry;
        iterator() = default;
        iterator(const TPakEntries* owner, std::size_t i) : owner_(owner), i_(i) {}
        TPakEntry operator*() const { return (*owner_)[i_]; }
        iterator& operator++() {
            ++i_;
            return *this;
        }
        bool operator==(const iterator& other) const { return i_ == other.i_; }

    private:
        const TPakEntries* owner_ = nullptr;
        std::size_t i_ = 0;
    };

    std::size_t size() const { return records_.size(); }
    bool empty() const { return records_.empty(); }
    TPakEntry operator[](std::size_t i) const {
        const TRecord& r = records_[i];
        const TEntryCoding* coding = nullptr;
        if (!codings_.empty() && (codings_[i].Method != TEntryMethod::emPlain || codings_[i].Lump))
            coding = &codings_[i];
        return {std::string_view(names_.data() + r.NameOffset, r.NameLength), r.FilePos,
                r.FileLength, coding};
    }
    // Throws std::out_of_range past the end.
    TPakEntry at(std::size_t i) const;
    iterator begin() const { return {this, 0}; }
    iterator end() const { return {this, records_.size()}; }

    // Room for entries whose names take up to nameBytes in all, so that
    // reading a directory never moves what it has read.
    void reserve(std::size_t entries, std::size_t nameBytes = 0, bool coded = false) {
        records_.reserve(entries);
        names_.reserve(nameBytes);
        if (coded)
            codings_.reserve(entries);
    }
    void push_back(const TPakEntry& entry);
    void clear();

private:
    struct TRecord {
        std::uint32_t NameOffset;
        std::uint32_t NameLength;
        std::int64_t FilePos;
        std::int64_t FileLength;
    };
    std::vector<TRecord> records_;
    std::string names_;
    // One for each record once any entry is coded; empty for a PAK.
    std::vector<TEntryCoding> codings_;
};

struct TPakIndex {
    // Which layout the directory was read in; only a Quake PAK is edited.
    TPakKind Kind = TPakKind::pkQuake;
    // DirLength div 64 when the whole directory was read (negative for a
    // negative length); the number of entries read when it was cut short.
    std::int32_t Count = 0;
    TPakEntries Entries;
    // False when the header or the directory ran past the end of the file.
    bool Complete = true;
    // Where the header puts the directory.
    std::int64_t DirOffset = 0;
    // The archive as it was when the index was read; later reads check it.
    TFileIdentity Identity;
    // A ZIP's folder members, which are not listed: where each one's local
    // header begins (Begin) and that plus its coded length (End), so that
    // verify knows every byte a member takes.
    std::vector<TPakSpan> Folders;
};

// "Not a valid PAK file", the one refusal of a file that is no archive.
inline constexpr const char* kNotAPakFile = TrMark("Not a valid PAK file");

// Opens path without sharing and tests its first four bytes for "PACK".
// Throws TFileOpenFailure when it cannot be opened.
bool HasPakSignature(const std::filesystem::path& path);
// The same test on a file already open.
bool HasPakSignature(const TLockedFile& file);
// The same tests for any kind ReadPakIndex reads ("PACK", "SPAK", or a
// ZIP's local header or end record).
bool HasArchiveSignature(const std::filesystem::path& path);
bool HasArchiveSignature(const TLockedFile& file);

// Reads the header and the directory, the directory in bounded pieces. Only
// entries whose 64 bytes were all read are listed; memory is bounded by
// the stream's size, never by what the header announces. A ZIP is read by
// ReadZipIndex. Throws only when the stream itself fails.
TPakIndex ReadPakIndex(TStream& stream);
// The same on an open archive, keeping its identity in the index.
TPakIndex ReadPakIndex(TLockedFile& file);

// Where an entry's bytes end in the archive: its data's end, or a coded
// entry's coded bytes' end after a member's fixed header (the names that
// lie between are not counted: the span may be short, never long).
std::int64_t StoredEnd(const TPakEntry& entry);

// Bytes of the indexed archive that neither the header, the directory nor
// an entry's data use: what edits that append leave behind. 0 for a ZIP,
// whose local headers only verify reads.
std::int64_t UnusedBytes(const TPakIndex& index);

// Opens path without sharing and reads its index. Throws TFileOpenFailure.
TPakIndex ReadPakIndex(const std::filesystem::path& path);

} // namespace zorvak
