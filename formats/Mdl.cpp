#include "formats/Mdl.h"

#include "formats/Layout.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>

namespace zorvak {

namespace {

constexpr std::uint64_t kTexCoordBytes = 12; // on-seam flag, s, t
constexpr std::uint64_t kTriangleBytes = 16; // front flag, three vertex indices
constexpr std::uint64_t kFrameVertexBytes = 4;
constexpr std::uint64_t kFrameBoundsBytes = 8; // two packed vertices
constexpr std::size_t kFrameNameBytes = 16;
// Scale and origin (three floats each), radius, eye position (three).
constexpr std::size_t kVectorBytes = 10 * kFieldBytes;
// The tag and version, the vectors, then nine fields from the skin count on.
static_assert(kMdlHeaderBytes == 2 * kFieldBytes + kVectorBytes + 9 * kFieldBytes);

// A count read from the header or a group, refused when negative.
std::int32_t ReadCount(TByteReader& reader, std::string_view what) {
    const std::int32_t value = reader.ReadInt32();
    CheckCount(reader, value, 0, what);
    return value;
}

std::string ReadSimpleFrame(TByteReader& reader, std::uint64_t vertexBytes) {
    reader.Skip(kFrameBoundsBytes);
    std::string name = FixedName(reader.Take(kFrameNameBytes));
    reader.Skip(static_cast<std::size_t>(vertexBytes));
    return name;
}

} // namespace

TMdlHeader WalkMdl(std::span<const unsigned char> mdl,
                   const std::function<bool(const TMdlSkin&)>& skin,
                   const std::function<bool(const TMdlFrame&)>& frame) {
    TByteReader reader = OpenTagged(mdl, kMdlTag, kMdlVersion, kMdlHeaderBytes, TrMark("Model"));
    reader.Skip(kVectorBytes);
    TMdlHeader header;
    const std::int32_t skins = ReadCount(reader, TrMark("Model skin count"));
    header.SkinWidth = reader.ReadInt32();
    header.SkinHeight = reader.ReadInt32();
    header.Vertices = ReadCount(reader, TrMark("Model vertex count"));
    header.Triangles = ReadCount(reader, TrMark("Model triangle count"));
    const std::int32_t frames = ReadCount(reader, TrMark("Model frame count"));
    reader.Skip(kFieldBytes); // sync type
    header.Flags = reader.ReadInt32();
    reader.Skip(kFieldBytes); // average size
    header.Skins = static_cast<std::size_t>(skins);
    header.Frames = static_cast<std::size_t>(frames);

    // Every count is checked against what is left before the walk goes by it.
    if (skins > 0) {
        const std::uint64_t pixels = CheckPictureSize(header.SkinWidth, header.SkinHeight);
        // A skin is at least its type and one pixel, or an empty group.
        CheckCount(reader, skins, kFieldBytes + std::min<std::uint64_t>(pixels, kFieldBytes),
                   TrMark("Model skin count"));
        for (std::size_t s = 0; s < header.Skins; ++s) {
            TMdlSkin at;
            at.Index = s;
            at.Width = header.SkinWidth;
            at.Height = header.SkinHeight;
            at.Group = reader.ReadInt32() != 0;
            if (at.Group) {
                const std::int32_t pictures = ReadCount(reader, TrMark("Model skin group size"));
                CheckCount(reader, pictures, kFieldBytes + pixels, TrMark("Model skin group size"));
                at.Pictures = static_cast<std::size_t>(pictures);
                reader.Skip(kFieldBytes * at.Pictures); // intervals
                // The group's count was checked against its pictures too.
                at.Pixels = reader.Position();
                reader.Skip(at.Pictures * static_cast<std::size_t>(pixels));
            } else {
                at.Pixels = reader.Position();
                reader.Skip(CheckIndexedPixels(reader, header.SkinWidth, header.SkinHeight));
            }
            if (skin && !skin(at))
                return header;
        }
    }
    CheckCount(reader, header.Vertices, kTexCoordBytes, TrMark("Model vertex count"));
    reader.Skip(kTexCoordBytes * static_cast<std::size_t>(header.Vertices));
    CheckCount(reader, header.Triangles, kTriangleBytes, TrMark("Model triangle count"));
    reader.Skip(kTriangleBytes * static_cast<std::size_t>(header.Triangles));

    const std::uint64_t vertexBytes =
        kFrameVertexBytes * static_cast<std::uint64_t>(header.Vertices);
    const std::uint64_t simpleBytes = kFrameBoundsBytes + kFrameNameBytes + vertexBytes;
    // A frame is at least a simple one or an empty group.
    CheckCount(
        reader, frames,
        std::min<std::uint64_t>(kFieldBytes + simpleBytes, 2 * kFieldBytes + kFrameBoundsBytes),
        TrMark("Model frame count"));
    for (std::size_t f = 0; f < header.Frames; ++f) {
        TMdlFrame at;
        at.Index = f;
        at.Group = reader.ReadInt32() != 0;
        if (!at.Group) {
            at.FirstName = ReadSimpleFrame(reader, vertexBytes);
        } else {
            const std::int32_t members = ReadCount(reader, TrMark("Model frame group size"));
            reader.Skip(kFrameBoundsBytes);
            CheckCount(reader, members, kFieldBytes + simpleBytes,
                       TrMark("Model frame group size"));
            at.Members = static_cast<std::size_t>(members);
            reader.Skip(kFieldBytes * at.Members); // intervals
            // Only the first name is told; the rest are passed over.
            if (at.Members > 0)
                at.FirstName = ReadSimpleFrame(reader, vertexBytes);
            if (at.Members > 1)
                reader.Skip((at.Members - 1) * static_cast<std::size_t>(simpleBytes));
        }
        if (frame && !frame(at))
            return header;
    }
    return header;
}

} // namespace zorvak
