#include "formats/Pcx.h"

#include "formats/Lmp.h"
#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>
#include <optional>
#include <string>

namespace zorvak {

namespace {

constexpr unsigned char kRunFlag = 0xC0;
constexpr unsigned char kRunLengthMask = 0x3F;

[[noreturn]] void PixelsRunPast() {
    throw TFailure(Tr("PCX pixels run past the end of the entry"));
}

// Decodes the plane bytes of every line in one go: real files let runs cross
// line ends, so lines are not decoded one by one. Without out the runs are
// only passed over, to tell whether the picture is all there.
void Unpack(std::span<const unsigned char> packed, std::size_t count, bool runLength,
            std::vector<unsigned char>* out) {
    if (!runLength) {
        if (packed.size() < count)
            PixelsRunPast();
        if (out != nullptr)
            out->assign(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(count));
        return;
    }
    // Two bytes give at most 63: a picture this entry cannot fill fails before
    // anything is allocated for it.
    if (count / kRunLengthMask > packed.size())
        PixelsRunPast();
    if (out != nullptr)
        out->reserve(count);
    std::size_t i = 0;
    std::size_t done = 0;
    while (done < count) {
        if (i >= packed.size())
            PixelsRunPast();
        unsigned char value = packed[i++];
        std::size_t run = 1;
        if ((value & kRunFlag) == kRunFlag) {
            run = value & kRunLengthMask;
            if (i >= packed.size())
                PixelsRunPast();
            value = packed[i++];
        }
        // A run may spill past the last line; the excess is padding to drop.
        run = std::min(run, count - done);
        if (out != nullptr)
            out->insert(out->end(), run, value);
        done += run;
    }
}

// The header checked, and where the planes and the palette are.
struct TPcxLayout {
    bool RunLength = false;
    std::size_t Planes = 0;
    std::size_t LineBytes = 0;
    std::size_t Width = 0;
    std::size_t Height = 0;
    std::span<const unsigned char> Packed;
    std::span<const unsigned char> Palette; // 768 bytes with one plane, else empty
};

TPcxLayout ReadLayout(std::span<const unsigned char> pcx) {
    if (pcx.empty() || pcx[0] != kPcxManufacturer)
        throw TFailure(Tr("Not a PCX file"));
    if (pcx.size() < kPcxHeaderBytes)
        throw TFailure(Tr("PCX header is cut short"));
    TByteReader reader(pcx);
    reader.Seek(kPcxEncodingAt);
    const std::uint8_t encoding = reader.ReadUInt8();
    const std::uint8_t bits = reader.ReadUInt8();
    const std::int64_t xMin = reader.ReadUInt16();
    const std::int64_t yMin = reader.ReadUInt16();
    const std::int64_t xMax = reader.ReadUInt16();
    const std::int64_t yMax = reader.ReadUInt16();
    reader.Seek(kPcxPlanesAt);
    const std::uint8_t planes = reader.ReadUInt8();
    const std::size_t lineBytes = reader.ReadUInt16();
    if (bits != 8 || (planes != 1 && planes != 3))
        throw TFailure(
            FormatText(TrPlural("PCX of {1} bits per pixel in {2} plane is not supported",
                                "PCX of {1} bits per pixel in {2} planes is not supported", planes),
                       bits, planes));
    const std::int64_t width = xMax - xMin + 1;
    const std::int64_t height = yMax - yMin + 1;
    (void)CheckPictureSize(width, height);
    TPcxLayout layout;
    layout.RunLength = encoding == 1;
    layout.Planes = planes;
    layout.LineBytes = lineBytes;
    layout.Width = static_cast<std::size_t>(width);
    layout.Height = static_cast<std::size_t>(height);
    if (lineBytes < layout.Width)
        throw TFailure(
            FormatText(Tr("PCX line length {1} is too short for width {2}"), lineBytes, width));

    layout.Packed = pcx.subspan(kPcxHeaderBytes);
    if (planes == 1) {
        if (pcx.size() < kPcxHeaderBytes + 1 + kPaletteBytes ||
            pcx[pcx.size() - kPaletteBytes - 1] != kPcxPaletteMarker)
            throw TFailure(Tr("PCX palette is missing"));
        layout.Palette = pcx.last(kPaletteBytes);
        layout.Packed = layout.Packed.first(layout.Packed.size() - kPaletteBytes - 1);
    }
    // Lines may be padded far past the width; the planes as decoded are held
    // to the same bound as the picture.
    if (lineBytes * planes * layout.Height > kMaxPictureRgbaBytes)
        throw TFailure(PictureTooLargeMessage(width, height));
    return layout;
}

// The indices of the decoded plane of an 8-bit picture, its lines' padding
// left out.
TIndexedPicture IndicesOf(const TPcxLayout& layout, const std::vector<unsigned char>& planeBytes) {
    const std::size_t w = layout.Width;
    const std::size_t h = layout.Height;
    TIndexedPicture picture;
    picture.Width = static_cast<int>(w);
    picture.Height = static_cast<int>(h);
    picture.Pixels.reserve(w * h);
    for (std::size_t y = 0; y < h; ++y) {
        const auto row = planeBytes.begin() + static_cast<std::ptrdiff_t>(y * layout.LineBytes);
        picture.Pixels.insert(picture.Pixels.end(), row, row + static_cast<std::ptrdiff_t>(w));
    }
    return picture;
}

// The opaque picture of the decoded planes; the indexed one too when asked.
TRgbaPicture Compose(const TPcxLayout& layout, const std::vector<unsigned char>& planeBytes,
                     const TPalette& palette, std::optional<TIndexedPicture>* indexed) {
    const std::size_t w = layout.Width;
    const std::size_t h = layout.Height;
    const std::size_t line = layout.LineBytes * layout.Planes;
    TRgbaPicture rgba;
    rgba.Width = static_cast<int>(w);
    rgba.Height = static_cast<int>(h);
    rgba.Pixels.resize(w * h * kRgbaBytes);
    std::size_t o = 0;
    for (std::size_t y = 0; y < h; ++y) {
        const unsigned char* row = planeBytes.data() + y * line;
        for (std::size_t x = 0; x < w; ++x) {
            if (layout.Planes == 1) {
                const TRgb& colour = palette.Colours[row[x]];
                rgba.Pixels[o++] = colour.R;
                rgba.Pixels[o++] = colour.G;
                rgba.Pixels[o++] = colour.B;
            } else {
                rgba.Pixels[o++] = row[x];
                rgba.Pixels[o++] = row[layout.LineBytes + x];
                rgba.Pixels[o++] = row[2 * layout.LineBytes + x];
            }
            rgba.Pixels[o++] = 255;
        }
    }
    if (indexed != nullptr && layout.Planes == 1)
        *indexed = IndicesOf(layout, planeBytes);
    return rgba;
}

TRgbaPicture Decode(std::span<const unsigned char> pcx, TPalette& palette,
                    std::optional<TIndexedPicture>* indexed) {
    const TPcxLayout layout = ReadLayout(pcx);
    if (!layout.Palette.empty())
        palette = ReadPalette(layout.Palette);
    std::vector<unsigned char> planeBytes;
    Unpack(layout.Packed, layout.LineBytes * layout.Planes * layout.Height, layout.RunLength,
           &planeBytes);
    return Compose(layout, planeBytes, palette, indexed);
}

} // namespace

TPcxPicture ReadPcx(std::span<const unsigned char> pcx) {
    TPcxPicture picture;
    picture.Rgba = Decode(pcx, picture.Palette, &picture.Indexed);
    return picture;
}

TRgbaPicture ReadPcxRgba(std::span<const unsigned char> pcx) {
    TPalette palette;
    return Decode(pcx, palette, nullptr);
}

TDecodedPicture ReadPcxPicture(std::span<const unsigned char> pcx) {
    const TPcxLayout layout = ReadLayout(pcx);
    std::vector<unsigned char> planeBytes;
    Unpack(layout.Packed, layout.LineBytes * layout.Planes * layout.Height, layout.RunLength,
           &planeBytes);
    if (layout.Planes == 1)
        return IndexedPicture(IndicesOf(layout, planeBytes), ReadPalette(layout.Palette));
    const TPalette none;
    return TrueColourPicture(Compose(layout, planeBytes, none, nullptr));
}

TPcxInfo ReadPcxInfo(std::span<const unsigned char> pcx) {
    const TPcxLayout layout = ReadLayout(pcx);
    Unpack(layout.Packed, layout.LineBytes * layout.Planes * layout.Height, layout.RunLength,
           nullptr);
    return {{static_cast<int>(layout.Width), static_cast<int>(layout.Height)}, layout.Planes == 1};
}

} // namespace zorvak
