#include "formats/Spr.h"

#include "formats/Layout.h"
#include "formats/MipTexture.h"
#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>

namespace zorvak {

namespace {

constexpr std::uint64_t kPictureHeaderBytes = 16; // origin x, y, width, height
// The tag, the version and seven fields from the type on; Half-Life's add
// the texture format.
static_assert(kSprHeaderBytes == 9 * kFieldBytes);
static_assert(kSprHalfLifeHeaderBytes == kSprHeaderBytes + kFieldBytes);
constexpr const char* kPaletteOf = TrMark("sprite");

} // namespace

TSprHeader ReadSprHeader(std::span<const unsigned char> spr) {
    if (!HasTag(spr, 0, kSprTag))
        throw TFailure(Tr("Not a sprite file"));
    if (spr.size() < kSprHeaderBytes)
        throw TFailure(Tr("Sprite header is cut short"));
    TByteReader reader(spr);
    reader.Skip(kSprTag.size());
    const std::int32_t version = reader.ReadInt32();
    if (version != kSprVersion && version != kSprHalfLifeVersion)
        throw TFailure(FormatText(Tr("Sprite version {1} is not supported"), version));
    TSprHeader header;
    header.HalfLife = version == kSprHalfLifeVersion;
    if (header.HalfLife && spr.size() < kSprHalfLifeHeaderBytes)
        throw TFailure(Tr("Sprite header is cut short"));
    header.Type = reader.ReadInt32();
    if (header.HalfLife)
        header.TextureFormat = reader.ReadInt32();
    reader.Skip(kFieldBytes); // radius
    header.MaxWidth = reader.ReadInt32();
    header.MaxHeight = reader.ReadInt32();
    const std::int32_t frames = reader.ReadInt32();
    reader.Skip(2 * kFieldBytes); // beam length, sync type
    header.FramesAt = reader.Position();
    if (header.HalfLife) {
        // Checked whole here: every frame is drawn in these colours.
        (void)ReadPaletteAfter(spr, header.FramesAt, kPaletteOf);
        const std::size_t colours = reader.ReadUInt16();
        reader.Skip(3 * colours);
        header.FramesAt = reader.Position();
    }
    // A frame is at least its type and a picture header, or an empty group.
    CheckCount(reader, frames,
               std::min<std::uint64_t>(kFieldBytes + kPictureHeaderBytes, 2 * kFieldBytes),
               TrMark("Sprite frame count"));
    header.Frames = static_cast<std::size_t>(frames);
    return header;
}

TPalette ReadSprPalette(std::span<const unsigned char> spr) {
    const TSprHeader header = ReadSprHeader(spr);
    if (!header.HalfLife)
        throw TFailure(Tr("Sprite version 1 carries no colours"));
    return ReadPaletteAfter(spr, kSprHalfLifeHeaderBytes, kPaletteOf);
}

int SprTransparentIndex(const TSprHeader& header) {
    return !header.HalfLife || header.TextureFormat == kSprAlphaTest ? kSpriteTransparentIndex
                                                                     : kOpaque;
}

std::string SprTextureFormatText(std::int32_t format) {
    static constexpr const char* kNames[] = {"normal", "additive", "index alpha", "alpha test"};
    return format >= 0 && format < static_cast<std::int32_t>(std::size(kNames))
               ? kNames[format]
               : "texture format " + std::to_string(format);
}

TSprHeader WalkSpr(std::span<const unsigned char> spr,
                   const std::function<bool(const TSprFrame&)>& frame,
                   const std::function<bool(const TSprPicture&)>& picture) {
    const TSprHeader header = ReadSprHeader(spr);
    TByteReader reader(spr);
    reader.Skip(header.FramesAt);
    for (std::size_t f = 0; f < header.Frames; ++f) {
        TSprFrame at;
        at.Index = f;
        at.Group = reader.ReadInt32() != 0;
        if (at.Group) {
            const std::int32_t pictures = reader.ReadInt32();
            CheckCount(reader, pictures, kFieldBytes + kPictureHeaderBytes,
                       TrMark("Sprite frame group size"));
            at.Pictures = static_cast<std::size_t>(pictures);
            reader.Skip(kFieldBytes * at.Pictures); // intervals
        }
        if (frame && !frame(at))
            return header;
        for (std::size_t p = 0; p < at.Pictures; ++p) {
            TSprPicture one;
            one.Frame = f;
            one.Member = p;
            one.Group = at.Group;
            one.OriginX = reader.ReadInt32();
            one.OriginY = reader.ReadInt32();
            const std::int32_t width = reader.ReadInt32();
            const std::int32_t height = reader.ReadInt32();
            const std::size_t pixels = CheckIndexedPixels(reader, width, height);
            one.Width = width;
            one.Height = height;
            one.Pixels = reader.Position();
            reader.Skip(pixels);
            if (picture && !picture(one))
                return header;
        }
    }
    return header;
}

} // namespace zorvak
