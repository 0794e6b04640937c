// Models and maps built in memory from a few points, for the scene readers'
// tests, the renderer's and the command's, and the fuzzers' seeds. Each
// writer lays its file out in the game's order and derives every count and
// offset from what it is given; tests damage the result by its named field
// offsets to make the refusals.
#pragma once

#include "FormatImages.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace zorvak::test {

struct TMeshPoint {
    float X = 0;
    float Y = 0;
    float Z = 0;
};

// Writes value over the four bytes at offset.
inline void PatchI32(Bytes& bytes, std::size_t offset, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i)
        bytes.at(offset + i) = static_cast<unsigned char>(u >> (8 * i));
}
inline std::int32_t ReadI32(const Bytes& bytes, std::size_t offset) {
    std::uint32_t u = 0;
    for (std::size_t i = 0; i < 4; ++i)
        u |= std::uint32_t{bytes.at(offset + i)} << (8 * i);
    return static_cast<std::int32_t>(u);
}

// ---- Quake models (.mdl, version 6) ----

// Where the header keeps its counts.
inline constexpr std::size_t kMdlSkinCountAt = 48;
inline constexpr std::size_t kMdlSkinWidthAt = 52;
inline constexpr std::size_t kMdlVertexCountAt = 60;
inline constexpr std::size_t kMdlTriangleCountAt = 64;
inline constexpr std::size_t kMdlFrameCountAt = 68;

// A skin: one picture, or a group of pictures with their intervals.
struct TMdlImageSkin {
    bool Group = false;
    std::vector<Bytes> Pictures; // each SkinWidth x SkinHeight indices
};
struct TMdlImageCoord {
    bool OnSeam = false;
    std::int32_t S = 0;
    std::int32_t T = 0;
};
struct TMdlImageTriangle {
    bool Front = true;
    std::array<std::int32_t, 3> Corners{};
};
struct TMdlImagePose {
    std::string Name;
    std::vector<std::array<unsigned char, 3>> Vertices; // packed, one per texture coordinate
};
// A single frame (one pose), or a group with each pose's closing time.
struct TMdlImageFrame {
    bool Group = false;
    std::vector<TMdlImagePose> Poses;
    std::vector<float> Intervals;
};
struct TMdlImage {
    TMeshPoint Scale{1, 1, 1};
    TMeshPoint Origin;
    std::int32_t SkinWidth = 4;
    std::int32_t SkinHeight = 2;
    std::int32_t Flags = 0;
    std::vector<TMdlImageSkin> Skins;
    std::vector<TMdlImageCoord> Coords; // one per vertex
    std::vector<TMdlImageTriangle> Triangles;
    std::vector<TMdlImageFrame> Frames;
};

inline Bytes MdlImage(const TMdlImage& model) {
    TBytesWriter w;
    w.Tag("IDPO").I32(6);
    w.F32(model.Scale.X).F32(model.Scale.Y).F32(model.Scale.Z);
    w.F32(model.Origin.X).F32(model.Origin.Y).F32(model.Origin.Z);
    w.F32(1).Zeros(12); // radius, eye position
    w.I32(static_cast<std::int32_t>(model.Skins.size())).I32(model.SkinWidth).I32(model.SkinHeight);
    w.I32(static_cast<std::int32_t>(model.Coords.size()));
    w.I32(static_cast<std::int32_t>(model.Triangles.size()));
    w.I32(static_cast<std::int32_t>(model.Frames.size()));
    w.I32(0).I32(model.Flags).F32(1);
    for (const TMdlImageSkin& skin : model.Skins) {
        w.I32(skin.Group ? 1 : 0);
        if (skin.Group) {
            w.I32(static_cast<std::int32_t>(skin.Pictures.size()));
            for (std::size_t i = 0; i < skin.Pictures.size(); ++i)
                w.F32(0.1f * static_cast<float>(i + 1));
        }
        for (const Bytes& picture : skin.Pictures)
            w.Raw(picture);
    }
    for (const TMdlImageCoord& coord : model.Coords)
        w.I32(coord.OnSeam ? 32 : 0).I32(coord.S).I32(coord.T);
    for (const TMdlImageTriangle& triangle : model.Triangles)
        w.I32(triangle.Front ? 1 : 0)
            .I32(triangle.Corners[0])
            .I32(triangle.Corners[1])
            .I32(triangle.Corners[2]);
    const auto pose = [&w](const TMdlImagePose& p) {
        w.Zeros(8).Name(p.Name, 16);
        for (const auto& v : p.Vertices)
            w.U8(v[0]).U8(v[1]).U8(v[2]).U8(0);
    };
    for (const TMdlImageFrame& frame : model.Frames) {
        w.I32(frame.Group ? 1 : 0);
        if (frame.Group) {
            w.I32(static_cast<std::int32_t>(frame.Poses.size())).Zeros(8);
            for (const float interval : frame.Intervals)
                w.F32(interval);
        }
        for (const TMdlImagePose& p : frame.Poses)
            pose(p);
    }
    return w.Out;
}

// A model to draw: one 4 x 2 skin of indices 0 .. 7, four vertices making two
// triangles (the second facing away, across the seam), and a frame "stand"
// then a group "run1", "run2" closing at 0.25 and 0.75 seconds. Scale 2,
// origin (-4, 0, 8).
inline TMdlImage TinyMdl() {
    TMdlImage model;
    model.Scale = {2, 2, 2};
    model.Origin = {-4, 0, 8};
    model.Skins.push_back({false, {Bytes{0, 1, 2, 3, 4, 5, 6, 7}}});
    model.Coords = {{false, 0, 0}, {true, 1, 0}, {false, 1, 1}, {true, 0, 1}};
    model.Triangles = {{true, {0, 1, 2}}, {false, {0, 2, 3}}};
    model.Frames.push_back({false, {{"stand", {{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 2}}}}, {}});
    model.Frames.push_back({true,
                            {{"run1", {{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 2}}},
                             {"run2", {{1, 1, 1}, {5, 1, 1}, {5, 5, 1}, {1, 5, 3}}}},
                            {0.25f, 0.75f}});
    return model;
}

// ---- Quake II models (.md2, version 8) ----

inline constexpr std::size_t kMd2FrameSizeAt = 16;
inline constexpr std::size_t kMd2VertexCountAt = 24;
inline constexpr std::size_t kMd2TriangleCountAt = 32;
inline constexpr std::size_t kMd2TrianglesAt = 52;
inline constexpr std::size_t kMd2FramesAt = 56;

struct TMd2ImageTriangle {
    std::array<std::uint16_t, 3> Vertices{};
    std::array<std::uint16_t, 3> Coords{};
};
struct TMd2ImageFrame {
    std::string Name;
    TMeshPoint Scale{1, 1, 1};
    TMeshPoint Origin;
    std::vector<std::array<unsigned char, 3>> Vertices;
};
struct TMd2Image {
    std::int32_t SkinWidth = 8;
    std::int32_t SkinHeight = 8;
    std::vector<std::string> Skins;
    std::vector<std::array<std::int16_t, 2>> Coords;
    std::vector<TMd2ImageTriangle> Triangles;
    std::vector<TMd2ImageFrame> Frames; // all of as many vertices
};

// Header, skins, texture coordinates, triangles, frames.
inline Bytes Md2Image(const TMd2Image& model) {
    const auto vertices =
        static_cast<std::uint32_t>(model.Frames.empty() ? 0 : model.Frames[0].Vertices.size());
    const std::uint32_t frameSize = 40 + 4 * vertices;
    const std::uint32_t skinsAt = 68;
    const auto coordsAt = skinsAt + 64 * static_cast<std::uint32_t>(model.Skins.size());
    const auto trianglesAt = coordsAt + 4 * static_cast<std::uint32_t>(model.Coords.size());
    const auto framesAt = trianglesAt + 12 * static_cast<std::uint32_t>(model.Triangles.size());
    const auto end = framesAt + frameSize * static_cast<std::uint32_t>(model.Frames.size());
    TBytesWriter w;
    w.Tag("IDP2").U32(8).I32(model.SkinWidth).I32(model.SkinHeight).U32(frameSize);
    w.U32(static_cast<std::uint32_t>(model.Skins.size())).U32(vertices);
    w.U32(static_cast<std::uint32_t>(model.Coords.size()));
    w.U32(static_cast<std::uint32_t>(model.Triangles.size())).U32(0);
    w.U32(static_cast<std::uint32_t>(model.Frames.size()));
    w.U32(skinsAt).U32(coordsAt).U32(trianglesAt).U32(framesAt).U32(end).U32(end);
    for (const std::string& skin : model.Skins)
        w.Name(skin, 64);
    for (const auto& coord : model.Coords)
        w.U16(static_cast<std::uint16_t>(coord[0])).U16(static_cast<std::uint16_t>(coord[1]));
    for (const TMd2ImageTriangle& t : model.Triangles) {
        for (const std::uint16_t v : t.Vertices)
            w.U16(v);
        for (const std::uint16_t c : t.Coords)
            w.U16(c);
    }
    for (const TMd2ImageFrame& frame : model.Frames) {
        w.F32(frame.Scale.X).F32(frame.Scale.Y).F32(frame.Scale.Z);
        w.F32(frame.Origin.X).F32(frame.Origin.Y).F32(frame.Origin.Z).Name(frame.Name, 16);
        for (const auto& v : frame.Vertices)
            w.U8(v[0]).U8(v[1]).U8(v[2]).U8(0);
    }
    return w.Out;
}

// One triangle on an 8 x 8 skin named "models/tiny/skin.pcx", in frames
// "pose1" and "pose2" (scale 0.5, origin (10, 0, 0)).
inline TMd2Image TinyMd2() {
    TMd2Image model;
    model.Skins = {"models/tiny/skin.pcx"};
    model.Coords = {{0, 0}, {8, 0}, {0, 4}};
    model.Triangles = {{{0, 1, 2}, {0, 1, 2}}};
    model.Frames = {{"pose1", {1, 1, 1}, {}, {{0, 0, 0}, {8, 0, 0}, {0, 8, 0}}},
                    {"pose2", {0.5f, 0.5f, 0.5f}, {10, 0, 0}, {{0, 0, 0}, {8, 0, 0}, {0, 8, 4}}}};
    return model;
}

// ---- Maps (.bsp) ----

enum class TBspImageKind { Quake, HalfLife, Bsp2, Bsp2Old, Quake2 };

struct TBspImageTexture {
    std::string Name;
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    Bytes Pixels;          // empty: the slot is missing (offset -1)
    bool External = false; // a header only, its pixels kept in a picture container
    Bytes Palette;         // Half-Life's: 256 RGB triples after the levels
};

// A face: its corners in order, its texture axes (x, y, z, offset), its
// texture (Quake's and Half-Life's by index, Quake II's by name), and its
// light: the samples of each of its styles, back to back (none: offset -1).
struct TBspImageFace {
    std::vector<TMeshPoint> Corners;
    std::array<float, 4> SAxis{1, 0, 0, 0};
    std::array<float, 4> TAxis{0, 1, 0, 0};
    std::int32_t Texture = 0;
    std::string TextureName; // Quake II's
    std::int32_t Flags = 0;  // of its texture information
    std::array<unsigned char, 4> Styles{0, 255, 255, 255};
    Bytes Light;
};

struct TBspImage {
    TBspImageKind Kind = TBspImageKind::Quake;
    std::vector<TBspImageTexture> Textures;
    std::vector<TBspImageFace> Faces;
    // The first this many faces are the world's; the rest a second model's.
    std::size_t WorldFaces = std::numeric_limits<std::size_t>::max();
    std::string Entities;
};

// The lumps by their place in the directory.
struct TBspImageLumps {
    std::size_t Entities, Textures, Vertices, TexInfo, Faces, Lighting, Edges, SurfEdges, Models,
        Count, DirectoryAt;
};
inline TBspImageLumps BspImageLumps(TBspImageKind kind) {
    if (kind == TBspImageKind::Quake2)
        return {0, 0, 2, 5, 6, 7, 11, 12, 13, 19, 8};
    return {0, 2, 3, 6, 7, 8, 12, 13, 14, 15, 4};
}
// Where a written map keeps lump's offset (its length follows).
inline std::size_t BspLumpField(TBspImageKind kind, std::size_t lump) {
    return BspImageLumps(kind).DirectoryAt + 8 * lump;
}
inline std::size_t BspFaceBytes(TBspImageKind kind) {
    return kind == TBspImageKind::Bsp2 || kind == TBspImageKind::Bsp2Old ? 28 : 20;
}

inline Bytes BspImage(const TBspImage& map) {
    const TBspImageLumps at = BspImageLumps(map.Kind);
    const bool quake2 = map.Kind == TBspImageKind::Quake2;
    const bool wide = BspFaceBytes(map.Kind) == 28;
    std::vector<TBytesWriter> lumps(at.Count);

    lumps[at.Entities].Tag(map.Entities).U8(0);
    if (!quake2) {
        TBytesWriter& textures = lumps[at.Textures];
        textures.I32(static_cast<std::int32_t>(map.Textures.size()));
        std::vector<Bytes> bodies;
        for (const TBspImageTexture& t : map.Textures) {
            Bytes body;
            if (t.External)
                body = TBytesWriter().Name(t.Name, 16).U32(t.Width).U32(t.Height).Zeros(16).Out;
            else if (!t.Pixels.empty())
                body = MakeMipTexture(t.Name, t.Width, t.Height, t.Pixels);
            if (!t.Palette.empty())
                body = TBytesWriter().Raw(body).U16(256).Raw(t.Palette).Zeros(2).Out;
            bodies.push_back(body);
        }
        auto offset = static_cast<std::int32_t>(4 + 4 * bodies.size());
        for (const Bytes& body : bodies) {
            textures.I32(body.empty() ? -1 : offset);
            offset += static_cast<std::int32_t>(body.size());
        }
        for (const Bytes& body : bodies)
            textures.Raw(body);
    }

    // Every corner a vertex of its own; edge 0 is never used, as -0 is 0.
    TBytesWriter& edges = lumps[at.Edges];
    edges.Zeros(wide ? 8 : 4);
    std::uint32_t vertex = 0;
    std::int32_t edge = 1;
    std::int32_t surfEdge = 0;
    std::uint32_t light = 0;
    for (std::size_t f = 0; f < map.Faces.size(); ++f) {
        const TBspImageFace& face = map.Faces[f];
        const auto corners = static_cast<std::uint32_t>(face.Corners.size());
        for (const TMeshPoint& p : face.Corners)
            lumps[at.Vertices].F32(p.X).F32(p.Y).F32(p.Z);
        const std::int32_t first = surfEdge;
        for (std::uint32_t c = 0; c < corners; ++c) {
            std::uint32_t a = vertex + c;
            std::uint32_t b = vertex + (c + 1) % corners;
            // Every other edge is stored the other way and walked backwards.
            const bool backwards = c % 2 == 1;
            if (backwards)
                std::swap(a, b);
            if (wide)
                edges.U32(a).U32(b);
            else
                edges.U16(a).U16(b);
            lumps[at.SurfEdges].I32(backwards ? -edge : edge);
            ++edge;
            ++surfEdge;
        }
        vertex += corners;

        TBytesWriter& texInfo = lumps[at.TexInfo];
        for (const float v : face.SAxis)
            texInfo.F32(v);
        for (const float v : face.TAxis)
            texInfo.F32(v);
        if (quake2)
            texInfo.I32(face.Flags).I32(0).Name(face.TextureName, 32).I32(-1);
        else
            texInfo.I32(face.Texture).I32(face.Flags);

        const std::int32_t lightOffset = face.Light.empty() ? -1 : static_cast<std::int32_t>(light);
        lumps[at.Lighting].Raw(face.Light);
        light += static_cast<std::uint32_t>(face.Light.size());
        TBytesWriter& faces = lumps[at.Faces];
        if (wide)
            faces.I32(0)
                .I32(0)
                .I32(first)
                .I32(static_cast<std::int32_t>(corners))
                .I32(static_cast<std::int32_t>(f));
        else
            faces.U16(0).U16(0).I32(first).U16(corners).U16(static_cast<unsigned>(f));
        for (const unsigned char style : face.Styles)
            faces.U8(style);
        faces.I32(lightOffset);
    }

    const std::size_t world = std::min(map.WorldFaces, map.Faces.size());
    const auto model = [&](std::size_t first, std::size_t count) {
        TBytesWriter& models = lumps[at.Models];
        models.Zeros(36).Zeros(quake2 ? 4 : 20);
        models.I32(static_cast<std::int32_t>(first)).I32(static_cast<std::int32_t>(count));
    };
    model(0, world);
    if (world < map.Faces.size())
        model(world, map.Faces.size() - world);

    TBytesWriter out;
    if (map.Kind == TBspImageKind::Quake2)
        out.Tag("IBSP").I32(38);
    else if (map.Kind == TBspImageKind::Bsp2)
        out.Tag("BSP2");
    else if (map.Kind == TBspImageKind::Bsp2Old)
        out.Tag("2PSB");
    else
        out.I32(map.Kind == TBspImageKind::HalfLife ? 30 : 29);
    auto offset = static_cast<std::uint32_t>(at.DirectoryAt + 8 * at.Count);
    for (const TBytesWriter& lump : lumps) {
        out.U32(offset).U32(static_cast<std::uint32_t>(lump.Size()));
        offset += static_cast<std::uint32_t>(lump.Size());
    }
    for (const TBytesWriter& lump : lumps)
        out.Raw(lump.Out);
    return out.Out;
}

// A 64 x 64 floor square at height 0 from the origin along +X and +Y, its
// texture 0 ("floor", 4 x 4 indices 0 .. 15; Quake II's "e1/floor") and its
// light 5 x 5 samples of 10, 20, ... row by row (RGB for Half-Life and Quake
// II: each sample its value, plus 1, plus 2); a player start at
// (32, 16, 24) facing 90 degrees.
inline TBspImage QuadMap(TBspImageKind kind = TBspImageKind::Quake) {
    TBspImage map;
    map.Kind = kind;
    const bool colour = kind == TBspImageKind::HalfLife || kind == TBspImageKind::Quake2;
    Bytes pixels;
    for (unsigned char i = 0; i < 16; ++i)
        pixels.push_back(i);
    if (kind != TBspImageKind::Quake2) {
        TBspImageTexture floor{"floor", 4, 4, pixels, false, {}};
        if (kind == TBspImageKind::HalfLife)
            for (unsigned i = 0; i < 256; ++i)
                floor.Palette.insert(floor.Palette.end(),
                                     {static_cast<unsigned char>(255 - i), 0, 0});
        map.Textures.push_back(floor);
    }
    TBspImageFace face;
    face.Corners = {{0, 0, 0}, {64, 0, 0}, {64, 64, 0}, {0, 64, 0}};
    face.TextureName = "e1/floor";
    for (unsigned char i = 0; i < 25; ++i) {
        const auto value = static_cast<unsigned char>(10 * (i + 1));
        if (colour)
            face.Light.insert(face.Light.end(), {value, static_cast<unsigned char>(value + 1),
                                                 static_cast<unsigned char>(value + 2)});
        else
            face.Light.push_back(value);
    }
    map.Faces.push_back(face);
    map.Entities = "{\n\"classname\" \"worldspawn\"\n}\n"
                   "{\n\"classname\" \"info_player_start\"\n\"origin\" \"32 16 24\"\n"
                   "\"angle\" \"90\"\n}\n";
    return map;
}

// ---- A box seen from outside (a model) and from inside (a map) ----

// The six sides of a box: centre direction (which way the viewer looks at
// the side, from its front), and the side's up.
struct TSide {
    TMeshPoint Look;
    TMeshPoint Up;
};
constexpr TSide kSides[] = {
    {{1, 0, 0}, {0, 0, 1}},  {{-1, 0, 0}, {0, 0, 1}}, {{0, 1, 0}, {0, 0, 1}},
    {{0, -1, 0}, {0, 0, 1}}, {{0, 0, 1}, {1, 0, 0}},  {{0, 0, -1}, {1, 0, 0}},
};

inline TMeshPoint Cross(TMeshPoint a, TMeshPoint b) {
    return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}

// The corners of a side of the box of half size h around centre, facing a
// viewer who looks along look, clockwise as that viewer sees them (the
// game's winding for a front face).
inline std::vector<TMeshPoint> SideCorners(const TSide& side, float h, TMeshPoint centre = {}) {
    const TMeshPoint r = Cross(side.Look, side.Up);
    std::vector<TMeshPoint> corners;
    for (const auto& [a, b] : {std::pair{-1, 1}, {1, 1}, {1, -1}, {-1, -1}})
        corners.push_back({centre.X + h * (side.Look.X + a * r.X + b * side.Up.X),
                           centre.Y + h * (side.Look.Y + a * r.Y + b * side.Up.Y),
                           centre.Z + h * (side.Look.Z + a * r.Z + b * side.Up.Z)});
    return corners;
}

// Palette index of side i of the model; the map's walls use others.
inline unsigned char ModelIndex(std::size_t side) {
    return static_cast<unsigned char>(10 + 10 * side);
}
inline unsigned char MapIndex(std::size_t side) {
    return static_cast<unsigned char>(100 + 10 * side);
}
// A cube of side 32 around the origin; frame 1 is flattened to half its
// height. Seen from outside, each side shows its own palette index.
inline Bytes CubeModel() {
    TMdlImage model;
    model.Scale = {0.25f, 0.25f, 0.25f};
    model.Origin = {-16, -16, -16};
    model.SkinWidth = 8;
    model.SkinHeight = 1;
    Bytes skin(8, 0);
    for (std::size_t s = 0; s < 6; ++s)
        skin[s] = ModelIndex(s);
    model.Skins.push_back({false, {skin}});
    TMdlImagePose tall{"tall", {}}, flat{"flat", {}};
    for (std::size_t s = 0; s < 6; ++s) {
        // The viewer of an outer side looks at it from outside: inwards.
        const TSide inward{{-kSides[s].Look.X, -kSides[s].Look.Y, -kSides[s].Look.Z}, kSides[s].Up};
        const auto corners = SideCorners(inward, 16, {});
        const auto first = static_cast<std::int32_t>(model.Coords.size());
        for (const TMeshPoint& c : corners) {
            // Outer corners: the side is at the far end of the look, so
            // flip it back out.
            const TMeshPoint p{c.X - 32 * inward.Look.X, c.Y - 32 * inward.Look.Y,
                               c.Z - 32 * inward.Look.Z};
            model.Coords.push_back({false, static_cast<std::int32_t>(s), 0});
            const auto pack = [](float v) { return static_cast<unsigned char>((v + 16) * 4); };
            tall.Vertices.push_back({pack(p.X), pack(p.Y), pack(p.Z)});
            flat.Vertices.push_back({pack(p.X), pack(p.Y), pack(p.Z / 2)});
        }
        model.Triangles.push_back({true, {first, first + 1, first + 2}});
        model.Triangles.push_back({true, {first, first + 2, first + 3}});
    }
    model.Frames.push_back({false, {tall}, {}});
    model.Frames.push_back({false, {flat}, {}});
    return MdlImage(model);
}

// A room 256 units wide around the origin, seen from inside, each wall of
// its own texture; the player starts at (0, 0, -40) facing yaw.
inline Bytes RoomMap(int yaw) {
    TBspImage map;
    for (std::size_t s = 0; s < 6; ++s) {
        map.Textures.push_back(
            {"wall" + std::to_string(s), 16, 16, Bytes(256, MapIndex(s)), false, {}});
        TBspImageFace face;
        face.Corners = SideCorners(kSides[s], 128);
        face.Texture = static_cast<std::int32_t>(s);
        map.Faces.push_back(face);
    }
    map.Entities = "{\n\"classname\" \"worldspawn\"\n}\n{\n\"classname\" \"info_player_start\"\n"
                   "\"origin\" \"0 0 -40\"\n\"angle\" \"" +
                   std::to_string(yaw) + "\"\n}\n";
    return BspImage(map);
}

} // namespace zorvak::test
