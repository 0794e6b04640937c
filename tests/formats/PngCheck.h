// Reads back what the PNG writer wrote, checking every rule a viewer would:
// signature, chunk order, CRCs, the header, the compressed rows.
#pragma once

#include "formats/Picture.h"

#include <cstdint>
#include <string>
#include <vector>
#include <zlib.h>

namespace zorvak::test {

// "" and the picture in out, or what is wrong.
inline std::string PngFault(const std::vector<unsigned char>& png, TRgbaPicture& out) {
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 8 || !std::equal(signature, signature + 8, png.begin()))
        return "signature";
    auto be32 = [&](std::size_t at) {
        return std::uint32_t{png[at]} << 24 | std::uint32_t{png[at + 1]} << 16 |
               std::uint32_t{png[at + 2]} << 8 | png[at + 3];
    };
    std::vector<std::string> types;
    std::vector<unsigned char> header, packed;
    std::size_t at = 8;
    while (at < png.size()) {
        if (png.size() - at < 12)
            return "chunk cut short";
        const std::uint32_t length = be32(at);
        if (png.size() - at - 12 < length)
            return "chunk length past the end";
        const std::string type(png.begin() + static_cast<std::ptrdiff_t>(at + 4),
                               png.begin() + static_cast<std::ptrdiff_t>(at + 8));
        const unsigned char* data = png.data() + at + 8;
        const uLong crc = crc32(crc32(0L, Z_NULL, 0), png.data() + at + 4, length + 4);
        if (crc != be32(at + 8 + length))
            return "CRC of " + type;
        if (type == "IHDR")
            header.assign(data, data + length);
        else if (type == "IDAT")
            packed.insert(packed.end(), data, data + length);
        types.push_back(type);
        at += 12 + length;
    }
    if (types.size() < 3 || types.front() != "IHDR" || types.back() != "IEND")
        return "chunk order";
    if (header.size() != 13)
        return "header length";
    const std::vector<unsigned char> form(header.begin() + 8, header.end());
    if (form != std::vector<unsigned char>{8, 6, 0, 0, 0})
        return "not 8-bit RGBA without interlace";
    auto headerBe32 = [&](std::size_t i) {
        return std::uint32_t{header[i]} << 24 | std::uint32_t{header[i + 1]} << 16 |
               std::uint32_t{header[i + 2]} << 8 | header[i + 3];
    };
    const std::uint32_t width = headerBe32(0), height = headerBe32(4);
    if (width == 0 || height == 0 || width > 4096 * 4096 || height > 4096 * 4096)
        return "size";
    const std::size_t rowBytes = 1 + 4 * std::size_t{width};
    std::vector<unsigned char> raw(rowBytes * height + 1);
    uLongf rawSize = static_cast<uLongf>(raw.size());
    if (uncompress(raw.data(), &rawSize, packed.data(), static_cast<uLong>(packed.size())) != Z_OK)
        return "inflate";
    if (rawSize != rowBytes * height)
        return "row bytes";
    out.Width = static_cast<int>(width);
    out.Height = static_cast<int>(height);
    out.Pixels.clear();
    for (std::size_t y = 0; y < height; ++y) {
        if (raw[y * rowBytes] != 0)
            return "filter";
        out.Pixels.insert(out.Pixels.end(),
                          raw.begin() + static_cast<std::ptrdiff_t>(y * rowBytes + 1),
                          raw.begin() + static_cast<std::ptrdiff_t>((y + 1) * rowBytes));
    }
    return "";
}

} // namespace zorvak::test
