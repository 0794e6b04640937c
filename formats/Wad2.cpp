#include "formats/Wad2.h"

#include "formats/Layout.h"
#include "formats/Lmp.h"
#include "formats/Lookup.h"
#include "formats/MipTexture.h"
#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <cstdio>
#include <utility>

namespace zorvak {

namespace {

// Offset, stored size and size; type and compression; the pad; the name.
static_assert(kWadDirEntryBytes ==
              3 * sizeof(std::uint32_t) + 2 * sizeof(std::uint8_t) + kWadPadBytes + kWadNameBytes);

// A lump that holds a picture: its kind, its bytes and, for the squares of
// fixed size (the palette's swatch, the console font), their side once the
// bytes are known to be there.
struct TPictureLump {
    TWadLumpKind Kind = TWadLumpKind::wlkOther;
    std::span<const unsigned char> Bytes;
    int Side = 0;
};

// Throws as WadLumpBytes, or TFailure "Lump NAME is not a picture".
TPictureLump PictureLump(std::span<const unsigned char> wad, const TWadLump& lump) {
    TPictureLump picture;
    picture.Kind = KindOfLump(lump);
    if (picture.Kind == TWadLumpKind::wlkOther)
        throw TFailure(FormatText(Tr("Lump {1} is not a picture"), lump.Name));
    picture.Bytes = WadLumpBytes(wad, lump);
    if (picture.Kind == TWadLumpKind::wlkPalette) {
        (void)ReadPalette(picture.Bytes); // only to fail on a short one
        picture.Side = kPaletteSwatchSide;
    } else if (picture.Kind == TWadLumpKind::wlkConsoleFont) {
        (void)CheckIndexedPixels(TByteReader(picture.Bytes), kConsoleFontSide, kConsoleFontSide);
        picture.Side = kConsoleFontSide;
    }
    return picture;
}

} // namespace

TWadDirectory ReadWadHeader(std::span<const unsigned char> wad) {
    const bool halfLife = HasTag(wad, 0, kWad3Tag);
    if ((!halfLife && !HasTag(wad, 0, kWad2Tag)) || wad.size() < kWadHeaderBytes)
        throw TFailure(Tr("Not a WAD2 file"));
    const std::string tag(halfLife ? kWad3Tag : kWad2Tag);
    TByteReader reader(wad);
    reader.Skip(kWad2Tag.size());
    const std::int32_t count = reader.ReadInt32();
    const std::int32_t offset = reader.ReadInt32();
    if (offset < 0 || static_cast<std::uint64_t>(offset) > wad.size())
        throw TFailure(FormatText(Tr("{1} directory lies outside the entry"), tag));
    reader.Seek(static_cast<std::size_t>(offset));
    CheckCount(reader, count, kWadDirEntryBytes, FormatText(Tr("{1} lump count"), tag));
    return {static_cast<std::size_t>(count), static_cast<std::size_t>(offset), halfLife};
}

TWadLump ReadWadLump(std::span<const unsigned char> wad, const TWadDirectory& directory,
                     std::size_t index) {
    if (index >= directory.Count)
        throw TListIndexFailure();
    TByteReader reader(wad);
    reader.Seek(directory.Offset + index * kWadDirEntryBytes);
    TWadLump lump;
    lump.Offset = reader.ReadUInt32();
    lump.DiskSize = reader.ReadUInt32();
    lump.Size = reader.ReadUInt32();
    lump.Type = reader.ReadUInt8();
    lump.Compression = reader.ReadUInt8();
    lump.HalfLife = directory.HalfLife;
    reader.Skip(kWadPadBytes);
    lump.Name = FixedName(reader.Take(kWadNameBytes));
    return lump;
}

std::vector<unsigned char> LoneLumpWad(bool halfLife, std::string_view name, std::uint8_t type,
                                       std::span<const unsigned char> lump) {
    std::vector<unsigned char> wad(kWadHeaderBytes + lump.size() + kWadDirEntryBytes, 0);
    const std::string_view tag = halfLife ? kWad3Tag : kWad2Tag;
    std::copy(tag.begin(), tag.end(), wad.begin());
    const auto directory = static_cast<std::int32_t>(kWadHeaderBytes + lump.size());
    PutInt32(wad.data() + 4, 1);
    PutInt32(wad.data() + 8, directory);
    std::copy(lump.begin(), lump.end(), wad.begin() + kWadHeaderBytes);
    unsigned char* record = wad.data() + directory;
    PutInt32(record, static_cast<std::int32_t>(kWadHeaderBytes));
    PutInt32(record + 4, static_cast<std::int32_t>(lump.size()));
    PutInt32(record + 8, static_cast<std::int32_t>(lump.size()));
    record[12] = type;
    const std::size_t n = std::min(name.size(), kWadNameBytes);
    std::copy(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(n), record + 16);
    return wad;
}

std::vector<TWadLump> ReadWadDirectory(std::span<const unsigned char> wad) {
    const TWadDirectory directory = ReadWadHeader(wad);
    std::vector<TWadLump> lumps;
    lumps.reserve(directory.Count);
    for (std::size_t i = 0; i < directory.Count; ++i)
        lumps.push_back(ReadWadLump(wad, directory, i));
    return lumps;
}

// What the directory's types say a lump holds; any other type is "other".
constexpr std::pair<std::uint8_t, TWadLumpKind> kTypedKinds[] = {
    {kWadTypePalette, TWadLumpKind::wlkPalette},
    {kWadTypeStatusPicture, TWadLumpKind::wlkStatusPicture},
    {kWadTypeMipTexture, TWadLumpKind::wlkMipTexture},
};

TWadLumpKind KindOfLump(const TWadLump& lump) {
    constexpr std::uint32_t fontBytes = kConsoleFontSide * kConsoleFontSide;
    if (lump.HalfLife)
        return lump.Type == kWad3TypeMipTexture     ? TWadLumpKind::wlkMipTexture
               : lump.Type == kWadTypeStatusPicture ? TWadLumpKind::wlkStatusPicture
                                                    : TWadLumpKind::wlkOther;
    if (AsciiLower(lump.Name) == "conchars" && lump.DiskSize == fontBytes)
        return TWadLumpKind::wlkConsoleFont;
    return Lookup(kTypedKinds, lump.Type, TWadLumpKind::wlkOther);
}

bool HasOwnPalette(const TWadLump& lump) {
    return lump.HalfLife && KindOfLump(lump) != TWadLumpKind::wlkOther;
}

TPalette WadLumpPalette(std::span<const unsigned char> wad, const TWadLump& lump) {
    const TPictureLump picture = PictureLump(wad, lump);
    if (picture.Kind == TWadLumpKind::wlkMipTexture)
        return ReadMipTexturePalette(picture.Bytes);
    // A picture's colours follow its width, height and pixels.
    const TPictureSize size = LmpPictureSize(picture.Bytes);
    return ReadPaletteAfter(picture.Bytes,
                            8 + static_cast<std::size_t>(size.Width) *
                                    static_cast<std::size_t>(size.Height),
                            "picture " + lump.Name);
}

// How each kind of lump is called; any other is "other".
constexpr std::pair<TWadLumpKind, const char*> kLumpKindNames[] = {
    {TWadLumpKind::wlkPalette, "palette"},
    {TWadLumpKind::wlkStatusPicture, "picture"},
    {TWadLumpKind::wlkMipTexture, "texture"},
    {TWadLumpKind::wlkConsoleFont, "console font"},
};

const char* LumpKindName(TWadLumpKind kind) {
    return Lookup(kLumpKindNames, kind, "other");
}

std::string LumpTypeText(std::uint8_t type) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", type);
    return text;
}

int TransparentIndexOf(const TWadLump& lump) {
    if (lump.HalfLife)
        return KindOfLump(lump) == TWadLumpKind::wlkMipTexture ? HalfLifeTransparentIndex(lump.Name)
                                                               : kOpaque;
    return TransparentIndexOf(KindOfLump(lump));
}

int TransparentIndexOf(TWadLumpKind kind) {
    // The console draws its characters over the scene with 0 as the gap;
    // status-bar pictures leave 255 out.
    switch (kind) {
    case TWadLumpKind::wlkStatusPicture:
        return 255;
    case TWadLumpKind::wlkConsoleFont:
        return 0;
    default:
        return kOpaque;
    }
}

std::span<const unsigned char> WadLumpBytes(std::span<const unsigned char> wad,
                                            const TWadLump& lump) {
    const auto bytes =
        SliceOf(wad, lump.Offset, lump.DiskSize, FormatText(Tr("Lump {1}"), lump.Name));
    if (lump.Compression != 0)
        throw TFailure(FormatText(Tr("Lump {1} is compressed"), lump.Name));
    return bytes;
}

TIndexedPicture ReadWadPicture(std::span<const unsigned char> wad, const TWadLump& lump) {
    const TPictureLump picture = PictureLump(wad, lump);
    switch (picture.Kind) {
    case TWadLumpKind::wlkMipTexture:
        return ReadMipTexture(picture.Bytes);
    case TWadLumpKind::wlkPalette:
        return PaletteSwatch();
    case TWadLumpKind::wlkConsoleFont: {
        TByteReader reader(picture.Bytes);
        return ReadIndexedPixels(reader, picture.Side, picture.Side);
    }
    default:
        return ReadLmpPicture(picture.Bytes);
    }
}

TPictureSize WadPictureSize(std::span<const unsigned char> wad, const TWadLump& lump) {
    const TPictureLump picture = PictureLump(wad, lump);
    if (picture.Kind == TWadLumpKind::wlkMipTexture)
        return MipTextureSize(picture.Bytes);
    if (picture.Kind == TWadLumpKind::wlkStatusPicture)
        return LmpPictureSize(picture.Bytes);
    return {picture.Side, picture.Side};
}

TIndexedPicture ConsoleCharacter(const TIndexedPicture& font, unsigned char c) {
    if (font.Width != kConsoleFontSide || font.Height != kConsoleFontSide)
        throw TFailure(Tr("Not a console font"));
    constexpr int perRow = kConsoleFontSide / kConsoleCharSide;
    return CropPicture(font, c % perRow * kConsoleCharSide, c / perRow * kConsoleCharSide,
                       kConsoleCharSide, kConsoleCharSide);
}

} // namespace zorvak
