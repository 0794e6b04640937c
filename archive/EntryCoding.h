// How an entry is stored when its bytes in the archive are not simply its
// bytes: a ZIP member (stored or deflated, behind a local header, with a
// CRC) or a Daikatana PAK's compressed entry. A PAK entry has no coding.
#pragma once

#include <cstdint>
#include <string>

namespace zorvak {

enum class TEntryMethod : std::uint8_t {
    emPlain,       // the entry's bytes lie at FilePos as they are: no coding
    emStored,      // as they are, but behind a header and checked by a CRC
    emDeflated,    // raw deflate
    emDaikatana,   // Daikatana's runs and back references
    emUnsupported, // a ZIP method this program does not decode (ZipMethod)
};

struct TEntryCoding {
    TEntryMethod Method = TEntryMethod::emPlain;
    // FilePos is where a ZIP local header begins: the data follow it and
    // its variable fields.
    bool LocalHeader = false;
    bool Encrypted = false;
    bool HasCrc = false;
    std::uint16_t ZipMethod = 0; // as stored, for the refusal of one not decoded
    std::uint16_t ZipFlags = 0;
    // What an edit that keeps a ZIP member keeps of its central record.
    std::uint16_t MadeBy = 0;
    std::uint32_t DosTime = 0;
    std::uint32_t ExternalAttributes = 0;
    std::uint32_t Crc = 0;
    std::int64_t StoredLength = 0; // the coded bytes the archive holds
    std::int64_t Size = 0;         // the entry's length decoded, as stated
    // A lump of a WAD opened as an archive: its type, and whether the WAD
    // is Half-Life's (its pictures carry their colours). Its bytes are as
    // they are (emPlain), read whole.
    bool Lump = false;
    bool HalfLifeLump = false;
    std::uint8_t LumpType = 0;
};

// "deflated", "LZMA", "method 77": how a ZIP method is named in messages.
std::string ZipMethodName(std::uint16_t method);

} // namespace zorvak
