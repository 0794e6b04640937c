// Reads back what the PNG writer wrote, checking every rule a viewer would:
// signature, chunk order, CRCs, the header, the palette and transparency
// chunks, the compressed rows.
#pragma once

#include "formats/Picture.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>
#include <zlib.h>

namespace zorvak::test {

// A PNG file as read: how a viewer sees it, and, for one of palette indices,
// the indices, colours and alphas it holds.
struct TPngRead {
    TRgbaPicture Rgba;
    unsigned ColourType = 0;
    std::vector<unsigned char> Indices;
    std::vector<TRgb> Colours;         // PLTE
    std::vector<unsigned char> Alphas; // tRNS
};

// "" and the file in out, or what is wrong.
inline std::string PngFault(const std::vector<unsigned char>& png, TPngRead& out) {
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 8 || !std::equal(signature, signature + 8, png.begin()))
        return "signature";
    auto be32 = [](const unsigned char* at) {
        return std::uint32_t{at[0]} << 24 | std::uint32_t{at[1]} << 16 | std::uint32_t{at[2]} << 8 |
               at[3];
    };
    std::vector<std::string> types;
    std::vector<unsigned char> header, packed;
    out = {};
    std::size_t at = 8;
    while (at < png.size()) {
        if (png.size() - at < 12)
            return "chunk cut short";
        const std::uint32_t length = be32(png.data() + at);
        if (png.size() - at - 12 < length)
            return "chunk length past the end";
        const std::string type(png.begin() + static_cast<std::ptrdiff_t>(at + 4),
                               png.begin() + static_cast<std::ptrdiff_t>(at + 8));
        const unsigned char* data = png.data() + at + 8;
        const uLong crc = crc32(crc32(0L, Z_NULL, 0), png.data() + at + 4, length + 4);
        if (crc != be32(png.data() + at + 8 + length))
            return "CRC of " + type;
        const bool afterImage = std::find(types.begin(), types.end(), "IDAT") != types.end();
        if (type == "IHDR") {
            header.assign(data, data + length);
        } else if (type == "IDAT") {
            packed.insert(packed.end(), data, data + length);
        } else if (type == "PLTE") {
            if (afterImage || length % 3 != 0 || length == 0 || length > 768)
                return "palette chunk";
            for (std::uint32_t i = 0; i < length; i += 3)
                out.Colours.push_back({data[i], data[i + 1], data[i + 2]});
        } else if (type == "tRNS") {
            if (afterImage || out.Colours.empty() || length > out.Colours.size())
                return "transparency chunk";
            out.Alphas.assign(data, data + length);
        }
        types.push_back(type);
        at += 12 + length;
    }
    if (types.size() < 3 || types.front() != "IHDR" || types.back() != "IEND")
        return "chunk order";
    if (header.size() != 13)
        return "header length";
    out.ColourType = header[9];
    const std::vector<unsigned char> form(header.begin() + 8, header.end());
    std::size_t pixelBytes = 4;
    if (form == std::vector<unsigned char>{8, 3, 0, 0, 0}) {
        if (out.Colours.empty())
            return "indices without a palette";
        pixelBytes = 1;
    } else if (form != std::vector<unsigned char>{8, 6, 0, 0, 0}) {
        return "not 8-bit RGBA or indices without interlace";
    } else if (!out.Colours.empty() || !out.Alphas.empty()) {
        return "palette chunks in an RGBA file";
    }
    const std::uint32_t width = be32(header.data()), height = be32(header.data() + 4);
    if (width == 0 || height == 0 || width > 4096 * 4096 || height > 4096 * 4096)
        return "size";
    const std::size_t rowBytes = 1 + pixelBytes * std::size_t{width};
    std::vector<unsigned char> raw(rowBytes * height + 1);
    uLongf rawSize = static_cast<uLongf>(raw.size());
    if (uncompress(raw.data(), &rawSize, packed.data(), static_cast<uLong>(packed.size())) != Z_OK)
        return "inflate";
    if (rawSize != rowBytes * height)
        return "row bytes";
    out.Rgba.Width = static_cast<int>(width);
    out.Rgba.Height = static_cast<int>(height);
    for (std::size_t y = 0; y < height; ++y) {
        if (raw[y * rowBytes] != 0)
            return "filter";
        const auto row = raw.begin() + static_cast<std::ptrdiff_t>(y * rowBytes + 1);
        const auto end = row + static_cast<std::ptrdiff_t>(rowBytes - 1);
        if (pixelBytes == 4) {
            out.Rgba.Pixels.insert(out.Rgba.Pixels.end(), row, end);
            continue;
        }
        for (auto it = row; it != end; ++it) {
            if (*it >= out.Colours.size())
                return "index past the palette";
            const TRgb& c = out.Colours[*it];
            const unsigned char alpha = *it < out.Alphas.size() ? out.Alphas[*it] : 255;
            out.Rgba.Pixels.insert(out.Rgba.Pixels.end(), {c.R, c.G, c.B, alpha});
            out.Indices.push_back(*it);
        }
    }
    return "";
}

// The same, the picture as a viewer sees it alone.
inline std::string PngFault(const std::vector<unsigned char>& png, TRgbaPicture& out) {
    TPngRead read;
    const std::string fault = PngFault(png, read);
    out = std::move(read.Rgba);
    return fault;
}

} // namespace zorvak::test
