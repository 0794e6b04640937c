// Reading a coded entry out (a ZIP member, a Daikatana entry): its bytes
// decoded in order, in memory that does not grow with the entry, each
// check made before the caller keeps anything: the stated size neither
// passed nor fallen short of, and the CRC where the archive stores one.
#pragma once

#include "archive/PakReader.h"
#include "framework/Files.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace zorvak {

class TEntryDecoder {
public:
    // Finds the coded bytes (after a ZIP member's local header) and checks
    // them against the archive's size. Throws "Damaged entry NAME: WHY" for
    // a member that cannot be decoded (its method by name, encryption), a
    // stated size its coded bytes cannot hold, or data outside the file.
    TEntryDecoder(const TLockedFile& archive, const TPakEntry& entry);
    // The same over any stream (verify reads so); not to be shared between
    // threads, as the file's reads are.
    TEntryDecoder(TStream& archive, const TPakEntry& entry);
    ~TEntryDecoder();
    TEntryDecoder(const TEntryDecoder&) = delete;
    TEntryDecoder& operator=(const TEntryDecoder&) = delete;

    // Up to n of the entry's next bytes into out, fewer only once all
    // FileLength are out. Throws "Damaged entry NAME: WHY" for coded bytes
    // that end early, are not valid, or give more than the stated size.
    std::size_t Read(unsigned char* out, std::size_t n);

    // Once every byte was read: when FileLength is the whole entry, that the
    // coded bytes end there and, where one is stored, that the CRC matches.
    // Throws as Read.
    void Finish();

    // Bytes handed out so far.
    std::int64_t Done() const { return done_; }

private:
    class TCodec;
    class TInflate;
    class TDaikatana;
    class TStoredCodec;

    using TReadAt = std::function<std::size_t(std::int64_t, unsigned char*, std::size_t)>;
    TEntryDecoder(TReadAt read, std::int64_t size, const TPakEntry& entry);

    [[noreturn]] void Damaged(const std::string& why) const;

    TReadAt read_;
    std::string name_;
    TEntryCoding coding_;
    std::int64_t want_ = 0; // FileLength
    std::int64_t done_ = 0;
    std::uint32_t crc_ = 0;
    std::unique_ptr<TCodec> codec_;
};

// The whole or first FileLength bytes of a coded entry, decoded and, when
// whole, checked. Throws as TEntryDecoder, and "Read beyond end of file".
std::vector<unsigned char> DecodeEntryBytes(const TLockedFile& archive, const TPakEntry& entry);

} // namespace zorvak
