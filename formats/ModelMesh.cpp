#include "formats/ModelMesh.h"

#include "formats/Layout.h"
#include "formats/Md2.h"
#include "formats/Mdl.h"
#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>
#include <cmath>

namespace zorvak {

namespace {

constexpr std::size_t kMdlTexCoordBytes = 12; // on-seam flag, s, t
constexpr std::size_t kMdlTriangleBytes = 16; // front flag, three vertex indices
constexpr std::size_t kMdlPackedBytes = 4;    // x, y, z and a normal's index
constexpr std::size_t kMdlBoundsBytes = 2 * kMdlPackedBytes;
constexpr std::size_t kMdlNameBytes = 16;
constexpr std::size_t kMdlPoseHeadBytes = kMdlBoundsBytes + kMdlNameBytes;
constexpr std::size_t kMd2TexCoordBytes = 4; // two shorts

std::string Text(std::size_t n) {
    return std::to_string(n);
}

TScenePoint ReadPoint(TByteReader& reader) {
    TScenePoint point;
    point.X = ReadFloat(reader);
    point.Y = ReadFloat(reader);
    point.Z = ReadFloat(reader);
    return point;
}

bool Finite(const TScenePoint& p) {
    return std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.Z);
}

// A packed vertex unpacked: each byte times the scale, plus the origin.
TScenePoint Unpack(std::span<const unsigned char> packed, const TScenePoint& scale,
                   const TScenePoint& origin) {
    return {packed[0] * scale.X + origin.X, packed[1] * scale.Y + origin.Y,
            packed[2] * scale.Z + origin.Z};
}

// Where the parts of a .mdl lie, found by one walk that checks them all.
struct TMdlLayout {
    TModelInfo Info;
    std::vector<std::size_t> SkinPixels;                // each skin's first picture
    std::vector<std::vector<std::size_t>> PoseVertices; // each pose's packed vertices
    std::size_t TexCoords = 0;
    std::size_t Triangles = 0;
};

std::int32_t ReadCount(TByteReader& reader, std::string_view what) {
    const std::int32_t value = reader.ReadInt32();
    CheckCount(reader, value, 0, what);
    return value;
}

TMdlLayout WalkMdlLayout(std::span<const unsigned char> mdl) {
    TByteReader reader = OpenTagged(mdl, kMdlTag, kMdlVersion, kMdlHeaderBytes, TrMark("Model"));
    TMdlLayout layout;
    TModelInfo& info = layout.Info;
    info.Scale = ReadPoint(reader);
    info.Origin = ReadPoint(reader);
    reader.Skip(4 * kFieldBytes); // radius, eye position
    const std::int32_t skins = ReadCount(reader, TrMark("Model skin count"));
    info.SkinWidth = reader.ReadInt32();
    info.SkinHeight = reader.ReadInt32();
    const std::int32_t vertices = ReadCount(reader, TrMark("Model vertex count"));
    const std::int32_t triangles = ReadCount(reader, TrMark("Model triangle count"));
    const std::int32_t frames = ReadCount(reader, TrMark("Model frame count"));
    reader.Skip(kFieldBytes); // sync type
    info.Flags = reader.ReadInt32();
    reader.Skip(kFieldBytes); // average size
    info.Vertices = static_cast<std::size_t>(vertices);
    info.Triangles = static_cast<std::size_t>(triangles);

    if (skins > 0) {
        const std::size_t pixels = CheckPictureSize(info.SkinWidth, info.SkinHeight);
        // A skin is at least its type and one pixel, or an empty group.
        CheckCount(reader, skins, kFieldBytes + std::min<std::size_t>(pixels, kFieldBytes),
                   TrMark("Model skin count"));
        info.Skins.reserve(static_cast<std::size_t>(skins));
        layout.SkinPixels.reserve(static_cast<std::size_t>(skins));
        for (std::int32_t s = 0; s < skins; ++s) {
            TModelSkin skin;
            skin.Group = reader.ReadInt32() != 0;
            if (skin.Group) {
                const std::int32_t pictures = ReadCount(reader, TrMark("Model skin group size"));
                CheckCount(reader, pictures, kFieldBytes + pixels, TrMark("Model skin group size"));
                skin.Pictures = static_cast<std::size_t>(pictures);
                reader.Skip(kFieldBytes * skin.Pictures); // intervals
            }
            layout.SkinPixels.push_back(reader.Position());
            if (!skin.Group)
                (void)CheckIndexedPixels(reader, info.SkinWidth, info.SkinHeight);
            reader.Skip(skin.Pictures * pixels);
            info.Skins.push_back(skin);
        }
    }
    CheckCount(reader, vertices, kMdlTexCoordBytes, TrMark("Model vertex count"));
    layout.TexCoords = reader.Position();
    reader.Skip(kMdlTexCoordBytes * info.Vertices);
    CheckCount(reader, triangles, kMdlTriangleBytes, TrMark("Model triangle count"));
    layout.Triangles = reader.Position();
    reader.Skip(kMdlTriangleBytes * info.Triangles);

    // The vertex count is bounded by the entry, so these cannot wrap.
    const std::size_t vertexBytes = kMdlPackedBytes * info.Vertices;
    const std::size_t poseBytes = kMdlPoseHeadBytes + vertexBytes;
    // A frame is at least a single one or an empty group.
    CheckCount(reader, frames, std::min(kFieldBytes + poseBytes, 2 * kFieldBytes + kMdlBoundsBytes),
               TrMark("Model frame count"));
    info.Frames.reserve(static_cast<std::size_t>(frames));
    layout.PoseVertices.reserve(static_cast<std::size_t>(frames));
    for (std::int32_t f = 0; f < frames; ++f) {
        TModelFrame frame;
        std::vector<std::size_t> at;
        frame.Group = reader.ReadInt32() != 0;
        std::vector<float> ends;
        if (frame.Group) {
            const std::int32_t poses = ReadCount(reader, TrMark("Model frame group size"));
            reader.Skip(kMdlBoundsBytes);
            CheckCount(reader, poses, kFieldBytes + poseBytes, TrMark("Model frame group size"));
            ends.resize(static_cast<std::size_t>(poses));
            float last = 0;
            for (std::size_t i = 0; i < ends.size(); ++i) {
                ends[i] = ReadFloat(reader);
                // The game refuses an interval that is not a positive time.
                if (!std::isfinite(ends[i]) || ends[i] <= 0)
                    throw TFailure(
                        FormatText(Tr("Model frame {1}'s interval {2} is not valid"), f, Text(i)));
                // Each interval ends its pose; one not past the last is never shown.
                ends[i] = std::max(ends[i], last);
                last = ends[i];
            }
        } else {
            ends.push_back(kModelFrameSeconds);
        }
        float start = 0;
        for (const float end : ends) {
            reader.Skip(kMdlBoundsBytes);
            TModelPose pose;
            pose.Name = FixedName(reader.Take(kMdlNameBytes));
            pose.Seconds = end - start;
            start = end;
            at.push_back(reader.Position());
            reader.Skip(vertexBytes);
            frame.Poses.push_back(std::move(pose));
        }
        info.Frames.push_back(std::move(frame));
        layout.PoseVertices.push_back(std::move(at));
    }
    return layout;
}

} // namespace

TModelInfo ReadModelInfo(std::span<const unsigned char> mdl) {
    return WalkMdlLayout(mdl).Info;
}

TScene MdlScene(std::span<const unsigned char> mdl, std::size_t frameIndex, std::size_t poseIndex,
                std::size_t skinIndex, std::size_t skinPicture, const TPalette& palette) {
    const TMdlLayout layout = WalkMdlLayout(mdl);
    const TModelInfo& info = layout.Info;
    if (frameIndex >= info.Frames.size())
        throw TFailure(FormatText(Tr("Model has no frame {1}"), Text(frameIndex)));
    if (poseIndex >= info.Frames[frameIndex].Poses.size())
        throw TFailure(
            FormatText(Tr("Model frame {1} has no pose {2}"), Text(frameIndex), Text(poseIndex)));

    TScene scene;
    if (!info.Skins.empty()) {
        if (skinIndex >= info.Skins.size())
            throw TFailure(FormatText(Tr("Model has no skin {1}"), Text(skinIndex)));
        if (skinPicture >= info.Skins[skinIndex].Pictures)
            throw TFailure(FormatText(Tr("Model skin {1} has no picture {2}"), Text(skinIndex),
                                      Text(skinPicture)));
        const std::size_t pixels = CheckPictureSize(info.SkinWidth, info.SkinHeight);
        TByteReader reader(mdl);
        reader.Seek(layout.SkinPixels[skinIndex] + skinPicture * pixels);
        const TRgbaPicture skin =
            ToRgba(ReadIndexedPixels(reader, info.SkinWidth, info.SkinHeight), palette);
        scene.Textures.push_back({skin.Width, skin.Height, skin.Pixels});
    }

    struct TTexCoord {
        bool OnSeam = false;
        float S = 0;
        float T = 0;
    };
    std::vector<TTexCoord> coords(info.Vertices);
    TByteReader reader(mdl);
    reader.Seek(layout.TexCoords);
    for (TTexCoord& coord : coords) {
        coord.OnSeam = reader.ReadInt32() != 0;
        coord.S = static_cast<float>(reader.ReadInt32());
        coord.T = static_cast<float>(reader.ReadInt32());
    }
    std::vector<TScenePoint> points(info.Vertices);
    reader.Seek(layout.PoseVertices[frameIndex][poseIndex]);
    for (std::size_t v = 0; v < points.size(); ++v) {
        points[v] = Unpack(reader.Take(kMdlPackedBytes), info.Scale, info.Origin);
        // A scale or origin past a float's range would give the renderer no bounds.
        if (!Finite(points[v]))
            throw TFailure(FormatText(Tr("Model vertex {1} of frame {2} is not a finite point"),
                                      Text(v), Text(frameIndex)));
    }

    // The back half of the skin is the right half of the picture.
    const float backOffset = static_cast<float>(info.SkinWidth / 2);
    reader.Seek(layout.Triangles);
    scene.Vertices.reserve(3 * info.Triangles);
    scene.Triangles.reserve(info.Triangles);
    for (std::size_t t = 0; t < info.Triangles; ++t) {
        const bool front = reader.ReadInt32() != 0;
        TSceneTriangle triangle;
        triangle.Texture = scene.Textures.empty() ? -1 : 0;
        for (std::size_t c = 0; c < 3; ++c) {
            const std::int32_t index = reader.ReadInt32();
            if (index < 0 || static_cast<std::size_t>(index) >= info.Vertices)
                throw TFailure(FormatText(Tr("Model triangle {1} names vertex {2} of {3}"), Text(t),
                                          index, Text(info.Vertices)));
            const auto i = static_cast<std::size_t>(index);
            TSceneVertex vertex;
            vertex.At = points[i];
            vertex.S = coords[i].S + (coords[i].OnSeam && !front ? backOffset : 0.0f);
            vertex.T = coords[i].T;
            triangle.Corners[c] = static_cast<std::uint32_t>(scene.Vertices.size());
            scene.Vertices.push_back(vertex);
        }
        scene.Triangles.push_back(triangle);
    }
    FitBounds(scene);
    return scene;
}

namespace {

constexpr const char* kMd2 = TrMark("Quake II model");

// what is marked TrMark where it is written.
std::size_t Md2Count(std::int32_t count, const char* what) {
    if (count < 0)
        throw TFailure(FormatText(Tr("Quake II model {1} {2} is not valid"), Tr(what), count));
    return static_cast<std::size_t>(count);
}

// count records of size bytes at offset, all inside the entry.
std::span<const unsigned char> Md2List(std::span<const unsigned char> md2, std::int32_t offset,
                                       std::size_t count, std::size_t size, const char* what) {
    const std::string name = FormatText(Tr("Quake II model's {1}"), Tr(what));
    if (offset < 0)
        throw TFailure(FormatText(Tr("{1} lies outside the entry"), name));
    // Both below 2^31, so the product fits.
    return SliceOf(md2, static_cast<std::uint64_t>(offset), std::uint64_t{count} * size, name);
}

struct TMd2Layout {
    TModelInfo Info;
    std::size_t FrameSize = 0;
    std::span<const unsigned char> TexCoords;
    std::span<const unsigned char> Triangles;
    std::span<const unsigned char> Frames;
};

TMd2Layout ReadMd2Layout(std::span<const unsigned char> md2) {
    TByteReader reader = OpenTagged(md2, kMd2Tag, kMd2Version, kMd2HeaderBytes, kMd2, true);
    TMd2Layout layout;
    TModelInfo& info = layout.Info;
    info.SkinWidth = reader.ReadInt32();
    info.SkinHeight = reader.ReadInt32();
    const std::int32_t frameSize = reader.ReadInt32();
    const std::size_t skins = Md2Count(reader.ReadInt32(), TrMark("skin count"));
    info.Vertices = Md2Count(reader.ReadInt32(), TrMark("vertex count"));
    const std::size_t coords = Md2Count(reader.ReadInt32(), TrMark("texture coordinate count"));
    info.Triangles = Md2Count(reader.ReadInt32(), TrMark("triangle count"));
    (void)Md2Count(reader.ReadInt32(), TrMark("command count"));
    const std::size_t frames = Md2Count(reader.ReadInt32(), TrMark("frame count"));
    const std::int32_t skinsAt = reader.ReadInt32();
    const std::int32_t coordsAt = reader.ReadInt32();
    const std::int32_t trianglesAt = reader.ReadInt32();
    const std::int32_t framesAt = reader.ReadInt32();
    // A frame holds its name and every vertex: a size short of that would
    // read one frame's vertices as the next one's name.
    const std::uint64_t least =
        kMd2FrameNameAt + kMd2FrameNameBytes + std::uint64_t{info.Vertices} * kMd2VertexBytes;
    if (frames > 0 && (frameSize < 0 || static_cast<std::uint64_t>(frameSize) < least))
        throw TFailure(FormatText(Tr("Quake II model frame size {1} is not valid"), frameSize));
    layout.FrameSize = frames > 0 ? static_cast<std::size_t>(frameSize) : 0;
    const auto names = Md2List(md2, skinsAt, skins, kMd2SkinNameBytes, TrMark("skin list"));
    layout.TexCoords =
        Md2List(md2, coordsAt, coords, kMd2TexCoordBytes, TrMark("texture coordinates"));
    layout.Triangles =
        Md2List(md2, trianglesAt, info.Triangles, kMd2TriangleBytes, TrMark("triangle list"));
    layout.Frames = Md2List(md2, framesAt, frames, layout.FrameSize, TrMark("frame list"));
    info.Skins.reserve(skins);
    for (std::size_t i = 0; i < skins; ++i) {
        TModelSkin skin;
        skin.Name = FixedName(names.subspan(i * kMd2SkinNameBytes, kMd2SkinNameBytes));
        info.Skins.push_back(std::move(skin));
    }
    info.Frames.reserve(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        TModelFrame frame;
        frame.Poses.push_back({FixedName(layout.Frames.subspan(
                                   i * layout.FrameSize + kMd2FrameNameAt, kMd2FrameNameBytes)),
                               kModelFrameSeconds});
        info.Frames.push_back(std::move(frame));
    }
    return layout;
}

bool WholePicture(const TRgbaPicture& picture) {
    return picture.Width > 0 && picture.Height > 0 &&
           picture.Pixels.size() == kRgbaBytes * static_cast<std::size_t>(picture.Width) *
                                        static_cast<std::size_t>(picture.Height);
}

} // namespace

TModelInfo ReadMd2Info(std::span<const unsigned char> md2) {
    return ReadMd2Layout(md2).Info;
}

TScene Md2Scene(std::span<const unsigned char> md2, std::size_t frameIndex,
                const TRgbaPicture* skin) {
    const TMd2Layout layout = ReadMd2Layout(md2);
    const TModelInfo& info = layout.Info;
    if (frameIndex >= info.Frames.size())
        throw TFailure(FormatText(Tr("Quake II model has no frame {1}"), Text(frameIndex)));

    TScene scene;
    float scaleS = 1;
    float scaleT = 1;
    if (skin && WholePicture(*skin)) {
        scene.Textures.push_back({skin->Width, skin->Height, skin->Pixels});
        // The coordinates count texels of the header's skin size.
        if (info.SkinWidth > 0 && info.SkinHeight > 0) {
            scaleS = static_cast<float>(skin->Width) / static_cast<float>(info.SkinWidth);
            scaleT = static_cast<float>(skin->Height) / static_cast<float>(info.SkinHeight);
        }
    }

    TByteReader frame(layout.Frames.subspan(frameIndex * layout.FrameSize, layout.FrameSize));
    const TScenePoint scale = ReadPoint(frame);
    const TScenePoint origin = ReadPoint(frame);
    frame.Skip(kMd2FrameNameBytes);
    std::vector<TScenePoint> points(info.Vertices);
    for (std::size_t v = 0; v < points.size(); ++v) {
        points[v] = Unpack(frame.Take(kMd2VertexBytes), scale, origin);
        if (!Finite(points[v]))
            throw TFailure(
                FormatText(Tr("Quake II model vertex {1} of frame {2} is not a finite point"),
                           Text(v), Text(frameIndex)));
    }

    const std::size_t coords = layout.TexCoords.size() / kMd2TexCoordBytes;
    TByteReader triangles(layout.Triangles);
    TByteReader coordReader(layout.TexCoords);
    scene.Vertices.reserve(3 * info.Triangles);
    scene.Triangles.reserve(info.Triangles);
    for (std::size_t t = 0; t < info.Triangles; ++t) {
        std::array<std::size_t, 3> vertex{};
        std::array<std::size_t, 3> coord{};
        for (std::size_t& v : vertex)
            v = triangles.ReadUInt16();
        for (std::size_t& c : coord)
            c = triangles.ReadUInt16();
        TSceneTriangle triangle;
        triangle.Texture = scene.Textures.empty() ? -1 : 0;
        for (std::size_t c = 0; c < 3; ++c) {
            if (vertex[c] >= info.Vertices)
                throw TFailure(FormatText(Tr("Quake II model triangle {1} names vertex {2} of {3}"),
                                          Text(t), Text(vertex[c]), Text(info.Vertices)));
            if (coord[c] >= coords)
                throw TFailure(FormatText(
                    Tr("Quake II model triangle {1} names texture coordinate {2} of {3}"), Text(t),
                    Text(coord[c]), Text(coords)));
            coordReader.Seek(coord[c] * kMd2TexCoordBytes);
            const auto s = static_cast<std::int16_t>(coordReader.ReadUInt16());
            const auto tt = static_cast<std::int16_t>(coordReader.ReadUInt16());
            TSceneVertex corner;
            corner.At = points[vertex[c]];
            corner.S = static_cast<float>(s) * scaleS;
            corner.T = static_cast<float>(tt) * scaleT;
            triangle.Corners[c] = static_cast<std::uint32_t>(scene.Vertices.size());
            scene.Vertices.push_back(corner);
        }
        scene.Triangles.push_back(triangle);
    }
    FitBounds(scene);
    return scene;
}

} // namespace zorvak
