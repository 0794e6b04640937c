#include "formats/MipTexture.h"

#include "formats/Layout.h"
#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

namespace zorvak {

TMipTextureHeader ReadMipTextureHeader(std::span<const unsigned char> bytes) {
    if (bytes.size() < kMipTextureHeaderBytes)
        throw TFailure(Tr("Texture header is cut short"));
    TByteReader reader(bytes);
    TMipTextureHeader header;
    header.Name = FixedName(reader.Take(kMipNameBytes));
    header.Width = reader.ReadUInt32();
    header.Height = reader.ReadUInt32();
    for (auto& offset : header.Offsets)
        offset = reader.ReadUInt32();
    return header;
}

namespace {

// The full-size level's pixels, every bound checked.
std::span<const unsigned char> FullLevel(std::span<const unsigned char> bytes,
                                         TMipTextureHeader& header) {
    header = ReadMipTextureHeader(bytes);
    if (header.Offsets[0] == 0)
        throw TFailure(FormatText(Tr("Texture {1} keeps its pixels elsewhere"), header.Name));
    const std::size_t count = CheckPictureSize(header.Width, header.Height);
    return SliceOf(bytes, header.Offsets[0], count,
                   FormatText(Tr("Pixel data of texture {1}"), header.Name));
}

} // namespace

TIndexedPicture ReadMipTexture(std::span<const unsigned char> bytes) {
    TMipTextureHeader header;
    TByteReader reader(FullLevel(bytes, header));
    return ReadIndexedPixels(reader, header.Width, header.Height);
}

TPalette ReadPaletteAfter(std::span<const unsigned char> bytes, std::size_t end,
                          const std::string& what) {
    const std::string palette = FormatText(Tr("Palette of {1}"), Tr(what.c_str()));
    const auto counted = SliceOf(bytes, end, 2, palette);
    const std::size_t count = static_cast<std::size_t>(counted[0] | counted[1] << 8);
    if (count > kPaletteColours)
        throw TFailure(FormatText(Tr("{1} holds {2} colours"), palette, count));
    const auto rgb = SliceOf(bytes, end + 2, count * 3, palette);
    TPalette colours;
    for (std::size_t i = 0; i < count; ++i)
        colours.Colours[i] = {rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]};
    return colours;
}

TPalette ReadMipTexturePalette(std::span<const unsigned char> bytes) {
    TMipTextureHeader header;
    (void)FullLevel(bytes, header);
    // The smallest level is an eighth of each side; the colours follow it.
    const std::uint64_t end =
        std::uint64_t{header.Offsets[kMipLevels - 1]} + (header.Width / 8) * (header.Height / 8);
    if (end > bytes.size())
        throw TFailure(
            FormatText(Tr("Palette of texture {1} lies outside the entry"), header.Name));
    return ReadPaletteAfter(bytes, static_cast<std::size_t>(end),
                            FormatText(Tr("texture {1}"), header.Name));
}

int HalfLifeTransparentIndex(const std::string& textureName) {
    return textureName.starts_with("{") ? kPaletteColours - 1 : kOpaque;
}

TPictureSize MipTextureSize(std::span<const unsigned char> bytes) {
    TMipTextureHeader header;
    (void)FullLevel(bytes, header);
    // Both fit an int: the size check bounds them.
    return {static_cast<int>(header.Width), static_cast<int>(header.Height)};
}

} // namespace zorvak
