#include "formats/Mdl.h"

#include "formats/Layout.h"
#include "framework/Failures.h"

#include <algorithm>

namespace zorvak {

namespace {

constexpr std::uint64_t kTexCoordBytes = 12; // on-seam flag, s, t
constexpr std::uint64_t kTriangleBytes = 16; // front flag, three vertex indices
constexpr std::uint64_t kFrameVertexBytes = 4;
constexpr std::uint64_t kFrameBoundsBytes = 8; // two packed vertices
constexpr std::size_t kFrameNameBytes = 16;

std::int32_t ReadCount(TByteReader& reader, const char* what) {
    const std::int32_t value = reader.ReadInt32();
    if (value < 0)
        throw TFailure(std::string("Model ") + what + " " + std::to_string(value) +
                       " is not valid");
    return value;
}

std::string ReadSimpleFrame(TByteReader& reader, std::uint64_t vertexBytes) {
    reader.Skip(kFrameBoundsBytes);
    std::string name = FixedName(reader.Take(kFrameNameBytes));
    reader.Skip(static_cast<std::size_t>(vertexBytes));
    return name;
}

} // namespace

TMdlModel ReadMdl(std::span<const unsigned char> mdl) {
    TByteReader reader = OpenTagged(mdl, "IDPO", kMdlVersion, kMdlHeaderBytes, "Model");
    reader.Skip(40); // scale, origin, radius, eye position
    TMdlModel model;
    const std::int32_t skins = ReadCount(reader, "skin count");
    model.SkinWidth = reader.ReadInt32();
    model.SkinHeight = reader.ReadInt32();
    model.Vertices = ReadCount(reader, "vertex count");
    model.Triangles = ReadCount(reader, "triangle count");
    const std::int32_t frames = ReadCount(reader, "frame count");
    reader.Skip(4); // sync type
    model.Flags = reader.ReadInt32();
    reader.Skip(4); // average size

    // Every count is checked against what is left before anything is sized by it.
    if (skins > 0) {
        const std::uint64_t pixels = CheckPictureSize(model.SkinWidth, model.SkinHeight);
        // A skin is at least its type and one pixel, or an empty group.
        CheckCount(reader, skins, 4 + std::min<std::uint64_t>(pixels, 4), "Model skin count");
        model.Skins.resize(static_cast<std::size_t>(skins));
        for (TMdlSkin& skin : model.Skins) {
            std::int32_t pictures = 1;
            skin.Group = reader.ReadInt32() != 0;
            if (skin.Group) {
                pictures = ReadCount(reader, "skin group size");
                CheckCount(reader, pictures, 4 + pixels, "Model skin group size");
                reader.Skip(4 * static_cast<std::size_t>(pictures)); // intervals
            }
            for (std::int32_t i = 0; i < pictures; ++i)
                skin.Pictures.push_back(
                    ReadIndexedPixels(reader, model.SkinWidth, model.SkinHeight));
        }
    }
    CheckCount(reader, model.Vertices, kTexCoordBytes, "Model vertex count");
    reader.Skip(kTexCoordBytes * static_cast<std::size_t>(model.Vertices));
    CheckCount(reader, model.Triangles, kTriangleBytes, "Model triangle count");
    reader.Skip(kTriangleBytes * static_cast<std::size_t>(model.Triangles));

    const std::uint64_t vertexBytes =
        kFrameVertexBytes * static_cast<std::uint64_t>(model.Vertices);
    const std::uint64_t simpleBytes = kFrameBoundsBytes + kFrameNameBytes + vertexBytes;
    // A frame is at least a simple one or an empty group.
    CheckCount(reader, frames, std::min(4 + simpleBytes, 4 + 4 + kFrameBoundsBytes),
               "Model frame count");
    model.Frames.resize(static_cast<std::size_t>(frames));
    for (TMdlFrame& frame : model.Frames) {
        frame.Group = reader.ReadInt32() != 0;
        if (!frame.Group) {
            frame.Names.push_back(ReadSimpleFrame(reader, vertexBytes));
            continue;
        }
        const std::int32_t members = ReadCount(reader, "frame group size");
        reader.Skip(kFrameBoundsBytes);
        CheckCount(reader, members, 4 + simpleBytes, "Model frame group size");
        reader.Skip(4 * static_cast<std::size_t>(members)); // intervals
        for (std::int32_t i = 0; i < members; ++i)
            frame.Names.push_back(ReadSimpleFrame(reader, vertexBytes));
    }
    return model;
}

} // namespace zorvak
