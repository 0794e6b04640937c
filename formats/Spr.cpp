#include "formats/Spr.h"

#include "formats/Layout.h"
#include "framework/Failures.h"

namespace zorvak {

namespace {

constexpr std::uint64_t kPictureHeaderBytes = 16; // origin x, y, width, height

TSprPicture ReadPicture(TByteReader& reader) {
    TSprPicture picture;
    picture.OriginX = reader.ReadInt32();
    picture.OriginY = reader.ReadInt32();
    const std::int32_t width = reader.ReadInt32();
    const std::int32_t height = reader.ReadInt32();
    picture.Picture = ReadIndexedPixels(reader, width, height);
    return picture;
}

} // namespace

TSprite ReadSpr(std::span<const unsigned char> spr) {
    TByteReader reader = OpenTagged(spr, "IDSP", kSprVersion, kSprHeaderBytes, "Sprite");
    TSprite sprite;
    sprite.Type = reader.ReadInt32();
    reader.Skip(4); // radius
    sprite.MaxWidth = reader.ReadInt32();
    sprite.MaxHeight = reader.ReadInt32();
    const std::int32_t frames = reader.ReadInt32();
    reader.Skip(8); // beam length, sync type

    // A frame is at least its type and a picture header, or an empty group.
    CheckCount(reader, frames, 8, "Sprite frame count");
    sprite.Frames.resize(static_cast<std::size_t>(frames));
    for (TSprFrame& frame : sprite.Frames) {
        frame.Group = reader.ReadInt32() != 0;
        std::int32_t pictures = 1;
        if (frame.Group) {
            pictures = reader.ReadInt32();
            CheckCount(reader, pictures, 4 + kPictureHeaderBytes, "Sprite frame group size");
            reader.Skip(4 * static_cast<std::size_t>(pictures)); // intervals
        }
        for (std::int32_t i = 0; i < pictures; ++i)
            frame.Pictures.push_back(ReadPicture(reader));
    }
    return sprite;
}

} // namespace zorvak
