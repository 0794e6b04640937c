#include "formats/Spr.h"

#include "formats/Layout.h"
#include "framework/Failures.h"

#include <algorithm>

namespace zorvak {

namespace {

constexpr std::uint64_t kPictureHeaderBytes = 16; // origin x, y, width, height
// The tag, the version and seven fields from the type on.
static_assert(kSprHeaderBytes == 9 * kFieldBytes);

} // namespace

TSprHeader WalkSpr(std::span<const unsigned char> spr,
                   const std::function<bool(const TSprFrame&)>& frame,
                   const std::function<bool(const TSprPicture&)>& picture) {
    TByteReader reader = OpenTagged(spr, kSprTag, kSprVersion, kSprHeaderBytes, "Sprite");
    TSprHeader header;
    header.Type = reader.ReadInt32();
    reader.Skip(kFieldBytes); // radius
    header.MaxWidth = reader.ReadInt32();
    header.MaxHeight = reader.ReadInt32();
    const std::int32_t frames = reader.ReadInt32();
    reader.Skip(2 * kFieldBytes); // beam length, sync type

    // A frame is at least its type and a picture header, or an empty group.
    CheckCount(reader, frames,
               std::min<std::uint64_t>(kFieldBytes + kPictureHeaderBytes, 2 * kFieldBytes),
               "Sprite frame count");
    header.Frames = static_cast<std::size_t>(frames);
    for (std::size_t f = 0; f < header.Frames; ++f) {
        TSprFrame at;
        at.Index = f;
        at.Group = reader.ReadInt32() != 0;
        if (at.Group) {
            const std::int32_t pictures = reader.ReadInt32();
            CheckCount(reader, pictures, kFieldBytes + kPictureHeaderBytes,
                       "Sprite frame group size");
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
