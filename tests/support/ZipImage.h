// ZIP images written byte by byte from the format's layout, with the knobs
// other makers' archives turn (data descriptors, ZIP64 records, code page
// 437 and UTF-8 names, methods this program does not decode) and the
// damage tests need (a wrong CRC or size, a local header that differs).
#pragma once

#include "archive/ZipFormat.h"

#include <zlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zorvak::test {

struct TZipSpec {
    TZipSpec(std::string name, std::string data, std::uint16_t method = kZipMethodDeflated,
             std::uint16_t flags = 0, bool zip64 = false, std::string centralExtra = {},
             std::optional<std::uint32_t> crc = {}, std::optional<std::uint64_t> size = {},
             std::optional<std::string> localName = {})
        : Name(std::move(name)), Data(std::move(data)), Method(method), Flags(flags), Zip64(zip64),
          CentralExtra(std::move(centralExtra)), Crc(crc), Size(size),
          LocalName(std::move(localName)) {}
    std::string Name;                          // as stored
    std::string Data;                          // the member's bytes
    std::uint16_t Method = kZipMethodDeflated; // another method stores Data as they are
    std::uint16_t Flags = 0;                   // kZipFlagDescriptor writes a descriptor
    bool Zip64 = false;                        // sizes and offset in ZIP64 extras
    std::string CentralExtra;                  // more extra fields, as they are
    std::optional<std::uint32_t> Crc;          // stated instead of the true one
    std::optional<std::uint64_t> Size;         // stated instead of the true one
    std::optional<std::string> LocalName;      // the local header's, when it differs
};

inline std::string Raw16(std::uint16_t v) {
    unsigned char b[2];
    ZipPut16(b, v);
    return std::string(reinterpret_cast<const char*>(b), 2);
}
inline std::string Raw32(std::uint32_t v) {
    unsigned char b[4];
    ZipPut32(b, v);
    return std::string(reinterpret_cast<const char*>(b), 4);
}
inline std::string Raw64(std::uint64_t v) {
    unsigned char b[8];
    ZipPut64(b, v);
    return std::string(reinterpret_cast<const char*>(b), 8);
}

inline std::string RawDeflate(const std::string& data) {
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(out.size() - z.avail_out);
    deflateEnd(&z);
    return out;
}

inline std::uint32_t Crc32Of(const std::string& data) {
    return static_cast<std::uint32_t>(
        crc32(0L, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// The archive: prefix (bytes before it, as a self-extracting program has),
// the members, the central directory, the ZIP64 end records when zip64End,
// and the end record with comment.
inline std::string ZipImage(const std::vector<TZipSpec>& members, bool zip64End = false,
                            const std::string& prefix = "", const std::string& comment = "") {
    std::string out = prefix;
    std::string central;
    for (const TZipSpec& m : members) {
        const std::string coded = m.Method == kZipMethodDeflated ? RawDeflate(m.Data) : m.Data;
        const std::uint32_t crc = m.Crc.value_or(Crc32Of(m.Data));
        const std::uint64_t size = m.Size.value_or(m.Data.size());
        const auto offset = static_cast<std::uint64_t>(out.size() - prefix.size());
        const bool descriptor = (m.Flags & kZipFlagDescriptor) != 0;
        const std::string localName = m.LocalName.value_or(m.Name);
        std::string localExtra;
        if (m.Zip64)
            localExtra = Raw16(kZipExtraZip64) + Raw16(16) + Raw64(size) + Raw64(coded.size());
        out += Raw32(kZipLocalSignature) + Raw16(m.Zip64 ? 45 : 20) + Raw16(m.Flags) +
               Raw16(m.Method) + Raw32(0);
        if (descriptor)
            out += Raw32(0) + Raw32(0) + Raw32(0);
        else if (m.Zip64)
            out += Raw32(crc) + Raw32(kZip32Escape) + Raw32(kZip32Escape);
        else
            out += Raw32(crc) + Raw32(static_cast<std::uint32_t>(coded.size())) +
                   Raw32(static_cast<std::uint32_t>(size));
        out += Raw16(static_cast<std::uint16_t>(localName.size())) +
               Raw16(static_cast<std::uint16_t>(localExtra.size())) + localName + localExtra;
        out += coded;
        if (descriptor)
            out += Raw32(kZipDescriptorSignature) + Raw32(crc) +
                   Raw32(static_cast<std::uint32_t>(coded.size())) +
                   Raw32(static_cast<std::uint32_t>(size));
        std::string extra;
        if (m.Zip64)
            extra = Raw16(kZipExtraZip64) + Raw16(24) + Raw64(size) + Raw64(coded.size()) +
                    Raw64(offset);
        extra += m.CentralExtra;
        central += Raw32(kZipCentralSignature) + Raw16(kZipMadeByUnix) + Raw16(m.Zip64 ? 45 : 20) +
                   Raw16(m.Flags) + Raw16(m.Method) + Raw32(0) + Raw32(crc);
        if (m.Zip64)
            central += Raw32(kZip32Escape) + Raw32(kZip32Escape);
        else
            central += Raw32(static_cast<std::uint32_t>(coded.size())) +
                       Raw32(static_cast<std::uint32_t>(size));
        central += Raw16(static_cast<std::uint16_t>(m.Name.size())) +
                   Raw16(static_cast<std::uint16_t>(extra.size())) + Raw16(0) + Raw16(0) +
                   Raw16(0) + Raw32(0100644u << 16) +
                   Raw32(m.Zip64 ? kZip32Escape : static_cast<std::uint32_t>(offset)) + m.Name +
                   extra;
    }
    const auto directory = static_cast<std::uint64_t>(out.size() - prefix.size());
    out += central;
    const auto count = static_cast<std::uint64_t>(members.size());
    if (zip64End) {
        const auto record = static_cast<std::uint64_t>(out.size() - prefix.size());
        out += Raw32(kZip64EndSignature) + Raw64(44) + Raw16(kZipMadeByUnix) + Raw16(45) +
               Raw32(0) + Raw32(0) + Raw64(count) + Raw64(count) + Raw64(central.size()) +
               Raw64(directory);
        out += Raw32(kZip64LocatorSignature) + Raw32(0) + Raw64(record) + Raw32(1);
        out += Raw32(kZipEndSignature) + Raw16(0) + Raw16(0) + Raw16(kZip16Escape) +
               Raw16(kZip16Escape) + Raw32(kZip32Escape) + Raw32(kZip32Escape);
    } else {
        out += Raw32(kZipEndSignature) + Raw16(0) + Raw16(0) +
               Raw16(static_cast<std::uint16_t>(count)) + Raw16(static_cast<std::uint16_t>(count)) +
               Raw32(static_cast<std::uint32_t>(central.size())) +
               Raw32(static_cast<std::uint32_t>(directory));
    }
    out += Raw16(static_cast<std::uint16_t>(comment.size())) + comment;
    return out;
}

} // namespace zorvak::test
