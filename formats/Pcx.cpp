#include "formats/Pcx.h"

#include "formats/Lmp.h"
#include "framework/Failures.h"

#include <algorithm>
#include <string>

namespace zorvak {

namespace {

constexpr unsigned char kRunFlag = 0xC0;
constexpr unsigned char kRunLengthMask = 0x3F;

// Decodes the plane bytes of every line in one go: real files let runs cross
// line ends, so lines are not decoded one by one.
std::vector<unsigned char> Unpack(std::span<const unsigned char> packed, std::size_t count,
                                  bool runLength) {
    std::vector<unsigned char> out;
    if (!runLength) {
        if (packed.size() < count)
            throw TFailure("PCX pixels run past the end of the entry");
        out.assign(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(count));
        return out;
    }
    // Two bytes give at most 63: a picture this entry cannot fill fails before
    // anything is allocated for it.
    if (count / kRunLengthMask > packed.size())
        throw TFailure("PCX pixels run past the end of the entry");
    out.reserve(count);
    std::size_t i = 0;
    while (out.size() < count) {
        if (i >= packed.size())
            throw TFailure("PCX pixels run past the end of the entry");
        unsigned char value = packed[i++];
        std::size_t run = 1;
        if ((value & kRunFlag) == kRunFlag) {
            run = value & kRunLengthMask;
            if (i >= packed.size())
                throw TFailure("PCX pixels run past the end of the entry");
            value = packed[i++];
        }
        // A run may spill past the last line; the excess is padding to drop.
        out.insert(out.end(), std::min(run, count - out.size()), value);
    }
    return out;
}

} // namespace

TPcxPicture ReadPcx(std::span<const unsigned char> pcx) {
    if (pcx.empty() || pcx[0] != kPcxManufacturer)
        throw TFailure("Not a PCX file");
    if (pcx.size() < kPcxHeaderBytes)
        throw TFailure("PCX header is cut short");
    TByteReader reader(pcx);
    reader.Skip(2); // manufacturer, version
    const std::uint8_t encoding = reader.ReadUInt8();
    const std::uint8_t bits = reader.ReadUInt8();
    const std::int64_t xMin = reader.ReadUInt16();
    const std::int64_t yMin = reader.ReadUInt16();
    const std::int64_t xMax = reader.ReadUInt16();
    const std::int64_t yMax = reader.ReadUInt16();
    reader.Seek(65);
    const std::uint8_t planes = reader.ReadUInt8();
    const std::size_t lineBytes = reader.ReadUInt16();
    if (bits != 8 || (planes != 1 && planes != 3))
        throw TFailure("PCX of " + std::to_string(bits) + " bits per pixel in " +
                       std::to_string(planes) + (planes == 1 ? " plane" : " planes") +
                       " is not supported");
    const std::int64_t width = xMax - xMin + 1;
    const std::int64_t height = yMax - yMin + 1;
    const std::size_t pixels = CheckPictureSize(width, height);
    const auto w = static_cast<std::size_t>(width);
    const auto h = static_cast<std::size_t>(height);
    if (lineBytes < w)
        throw TFailure("PCX line length " + std::to_string(lineBytes) + " is too short for width " +
                       std::to_string(width));

    TPcxPicture picture;
    std::span<const unsigned char> packed = pcx.subspan(kPcxHeaderBytes);
    if (planes == 1) {
        if (pcx.size() < kPcxHeaderBytes + 1 + kPaletteBytes ||
            pcx[pcx.size() - kPaletteBytes - 1] != kPcxPaletteMarker)
            throw TFailure("PCX palette is missing");
        picture.Palette = ReadPalette(pcx.last(kPaletteBytes));
        packed = packed.first(packed.size() - kPaletteBytes - 1);
    }
    // Lines may be padded far past the width; the planes as decoded are held
    // to the same bound as the picture.
    const std::size_t line = lineBytes * planes;
    if (line * h > kMaxPictureRgbaBytes)
        throw TFailure("Picture size " + std::to_string(width) + " x " + std::to_string(height) +
                       " is too large");
    const std::vector<unsigned char> planeBytes = Unpack(packed, line * h, encoding == 1);

    if (planes == 1) {
        TIndexedPicture indexed;
        indexed.Width = static_cast<int>(width);
        indexed.Height = static_cast<int>(height);
        indexed.Pixels.reserve(pixels);
        for (std::size_t y = 0; y < h; ++y) {
            const auto row = planeBytes.begin() + static_cast<std::ptrdiff_t>(y * line);
            indexed.Pixels.insert(indexed.Pixels.end(), row, row + static_cast<std::ptrdiff_t>(w));
        }
        picture.Rgba = ToRgba(indexed, picture.Palette);
        picture.Indexed = std::move(indexed);
        return picture;
    }
    picture.Rgba.Width = static_cast<int>(width);
    picture.Rgba.Height = static_cast<int>(height);
    picture.Rgba.Pixels.resize(pixels * 4);
    std::size_t o = 0;
    for (std::size_t y = 0; y < h; ++y) {
        const unsigned char* row = planeBytes.data() + y * line;
        for (std::size_t x = 0; x < w; ++x) {
            picture.Rgba.Pixels[o++] = row[x];
            picture.Rgba.Pixels[o++] = row[lineBytes + x];
            picture.Rgba.Pixels[o++] = row[2 * lineBytes + x];
            picture.Rgba.Pixels[o++] = 255;
        }
    }
    return picture;
}

} // namespace zorvak
