#include "formats/Lmp.h"

#include "framework/Failures.h"

#include <numeric>
#include <string>

namespace zorvak {

TIndexedPicture ReadLmpPicture(std::span<const unsigned char> bytes) {
    if (bytes.size() < kLmpHeaderBytes)
        throw TFailure("Picture header is cut short");
    TByteReader reader(bytes);
    const std::int32_t width = reader.ReadInt32();
    const std::int32_t height = reader.ReadInt32();
    return ReadIndexedPixels(reader, width, height);
}

TPalette ReadPalette(std::span<const unsigned char> bytes) {
    if (bytes.size() < kPaletteBytes)
        throw TFailure("Palette holds " + std::to_string(bytes.size()) + " bytes, not " +
                       std::to_string(kPaletteBytes));
    TPalette palette;
    for (std::size_t i = 0; i < palette.Colours.size(); ++i)
        palette.Colours[i] = {bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]};
    return palette;
}

TIndexedPicture ReadColormap(std::span<const unsigned char> bytes) {
    // The file carries one byte more than the table; it is not part of it.
    constexpr std::size_t tableBytes = std::size_t{kPaletteColours} * kColormapLevels;
    if (bytes.size() < tableBytes)
        throw TFailure("Light table holds " + std::to_string(bytes.size()) + " bytes, not " +
                       std::to_string(tableBytes));
    TByteReader reader(bytes);
    return ReadIndexedPixels(reader, kPaletteColours, kColormapLevels);
}

TIndexedPicture PaletteSwatch() {
    TIndexedPicture swatch;
    swatch.Width = 16;
    swatch.Height = 16;
    swatch.Pixels.resize(kPaletteColours);
    std::iota(swatch.Pixels.begin(), swatch.Pixels.end(), static_cast<unsigned char>(0));
    return swatch;
}

} // namespace zorvak
