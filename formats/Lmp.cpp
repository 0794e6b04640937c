#include "formats/Lmp.h"

#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <numeric>
#include <string>

namespace zorvak {

namespace {

// A reader past the header, and the size the header gives.
TByteReader LmpHeader(std::span<const unsigned char> bytes, TPictureSize& size) {
    if (bytes.size() < kLmpHeaderBytes)
        throw TFailure(Tr("Picture header is cut short"));
    TByteReader reader(bytes);
    size.Width = reader.ReadInt32();
    size.Height = reader.ReadInt32();
    return reader;
}

constexpr std::size_t kColormapBytes = std::size_t{kPaletteColours} * kColormapLevels;

// The refusal of a table cut short.
[[noreturn]] void HoldsTooFew(const char* what, std::size_t held, std::size_t needed) {
    throw TFailure(FormatText(Tr("{1} holds {2} bytes, not {3}"), Tr(what), held, needed));
}

} // namespace

TIndexedPicture ReadLmpPicture(std::span<const unsigned char> bytes) {
    TPictureSize size;
    TByteReader reader = LmpHeader(bytes, size);
    return ReadIndexedPixels(reader, size.Width, size.Height);
}

TPictureSize LmpPictureSize(std::span<const unsigned char> bytes) {
    TPictureSize size;
    const TByteReader reader = LmpHeader(bytes, size);
    (void)CheckIndexedPixels(reader, size.Width, size.Height);
    return size;
}

TPalette ReadPalette(std::span<const unsigned char> bytes) {
    if (bytes.size() < kPaletteBytes)
        HoldsTooFew(TrMark("Palette"), bytes.size(), kPaletteBytes);
    TPalette palette;
    for (std::size_t i = 0; i < palette.Colours.size(); ++i)
        palette.Colours[i] = {bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]};
    return palette;
}

void CheckColormap(std::span<const unsigned char> bytes) {
    // The file carries one byte more than the table; it is not part of it.
    if (bytes.size() < kColormapBytes)
        HoldsTooFew(TrMark("Light table"), bytes.size(), kColormapBytes);
}

TIndexedPicture ReadColormap(std::span<const unsigned char> bytes) {
    CheckColormap(bytes);
    TByteReader reader(bytes);
    return ReadIndexedPixels(reader, kPaletteColours, kColormapLevels);
}

TIndexedPicture PaletteSwatch() {
    TIndexedPicture swatch;
    swatch.Width = kPaletteSwatchSide;
    swatch.Height = kPaletteSwatchSide;
    swatch.Pixels.resize(kPaletteColours);
    std::iota(swatch.Pixels.begin(), swatch.Pixels.end(), static_cast<unsigned char>(0));
    return swatch;
}

} // namespace zorvak
