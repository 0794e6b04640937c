// Maps as scenes: each game's layout, the fans and their texture and light
// coordinates, shared textures, full-light faces, the player's start, and
// the maps that claim more than they hold.
#include "formats/MapMesh.h"
#include "MeshImages.h"
#include "fuzz/MeshFuzzCheck.h"
#include "support/FailureOf.h"
#include "support/FuzzInputs.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <map>

namespace zorvak {
namespace {

using test::Bytes;
using test::FailureOf;
using test::TBspImageKind;

TPalette CountingPalette() {
    TPalette palette;
    for (std::size_t i = 0; i < palette.Colours.size(); ++i)
        palette.Colours[i] = {static_cast<unsigned char>(i), static_cast<unsigned char>(2 * i),
                              static_cast<unsigned char>(3 * i)};
    return palette;
}

// Quake II's textures as an archive would give them: any name a 2 x 2
// picture of grey 77, each name asked for counted.
struct TTextureShelf {
    std::map<std::string, int> Asked;
    TMapTextureLookup Lookup() {
        return [this](std::string_view name) -> std::optional<TRgbaPicture> {
            ++Asked[std::string(name)];
            if (name.starts_with("missing"))
                return std::nullopt;
            return TRgbaPicture{2, 2, Bytes(16, 77)};
        };
    }
};

TMapScene Read(const test::TBspImage& map, TTextureShelf* shelf = nullptr) {
    TTextureShelf own;
    return ReadMapScene(test::BspImage(map), CountingPalette(), (shelf ? shelf : &own)->Lookup());
}

TEST(MapScene, EachGameDrawsItsFloorWithTextureAndLight) {
    struct TCase {
        TBspImageKind Kind;
        std::string Variant;
        bool Colour;      // RGB light
        Bytes FirstTexel; // of the floor's texture
    };
    const TCase cases[] = {
        {TBspImageKind::Quake, "version 29", false, {0, 0, 0, 255}},
        {TBspImageKind::Bsp2, "BSP2", false, {0, 0, 0, 255}},
        {TBspImageKind::Bsp2Old, "2PSB", false, {0, 0, 0, 255}},
        // Its own colours: index 0 is (255, 0, 0) there.
        {TBspImageKind::HalfLife, "version 30", true, {255, 0, 0, 255}},
        {TBspImageKind::Quake2, "IBSP version 38", true, {77, 77, 77, 77}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Variant);
        const TMapScene map = Read(test::QuadMap(c.Kind));
        EXPECT_EQ(map.Variant, c.Variant);
        EXPECT_EQ(map.Faces, 1u);
        const TScene& scene = map.Scene;
        // A fan over the face's corners, in the order of its edges.
        ASSERT_EQ(scene.Vertices.size(), 4u);
        ASSERT_EQ(scene.Triangles.size(), 2u);
        EXPECT_EQ(scene.Triangles[0].Corners, (std::array<std::uint32_t, 3>{0, 1, 2}));
        EXPECT_EQ(scene.Triangles[1].Corners, (std::array<std::uint32_t, 3>{0, 2, 3}));
        const TSceneVertex& far = scene.Vertices[2];
        EXPECT_EQ(far.At.X, 64);
        EXPECT_EQ(far.At.Y, 64);
        EXPECT_EQ(far.S, 64);
        EXPECT_EQ(far.T, 64);
        // 0 .. 64 texels is 4 spans of 16, so 5 samples each way.
        EXPECT_EQ(far.LightS, 4);
        EXPECT_EQ(far.LightT, 4);
        ASSERT_EQ(scene.Lightmaps.size(), 1u);
        const TSceneLightmap& light = scene.Lightmaps[0];
        EXPECT_EQ(light.Width, 5);
        EXPECT_EQ(light.Height, 5);
        ASSERT_EQ(light.Rgb.size(), 75u);
        EXPECT_EQ(Bytes(light.Rgb.begin() + 3, light.Rgb.begin() + 6),
                  c.Colour ? (Bytes{20, 21, 22}) : (Bytes{20, 20, 20}));
        EXPECT_EQ(light.Rgb[72], 250);
        ASSERT_EQ(scene.Textures.size(), 1u);
        EXPECT_EQ(Bytes(scene.Textures[0].Rgba.begin(), scene.Textures[0].Rgba.begin() + 4),
                  c.FirstTexel);
        EXPECT_EQ(scene.Triangles[1].Texture, 0);
        EXPECT_EQ(scene.Triangles[1].Lightmap, 0);
        EXPECT_EQ(scene.Max.X, 64);
        EXPECT_EQ(map.Start.Source, TMapStartSource::msPlayerStart);
        EXPECT_EQ(map.Start.At.X, 32);
        EXPECT_EQ(map.Start.At.Z, 24);
        EXPECT_EQ(map.Start.Yaw, 90);
    }
}

TEST(MapScene, LightExtentsFollowTheTextureAxesAndTheirOffsets) {
    test::TBspImage map = test::QuadMap();
    // s = x + 8 runs 8 .. 72: samples 0 .. 5; t = 4 - y runs -60 .. 4:
    // samples -4 .. 1, six each way.
    map.Faces[0].SAxis = {1, 0, 0, 8};
    map.Faces[0].TAxis = {0, -1, 0, 4};
    map.Faces[0].Light = Bytes(36, 100);
    const TScene scene = Read(map).Scene;
    ASSERT_EQ(scene.Lightmaps.size(), 1u);
    EXPECT_EQ(scene.Lightmaps[0].Width, 6);
    EXPECT_EQ(scene.Lightmaps[0].Height, 6);
    const TSceneVertex& origin = scene.Vertices[0];
    EXPECT_EQ(origin.S, 8);
    EXPECT_EQ(origin.T, 4);
    EXPECT_FLOAT_EQ(origin.LightS, 0.5f);  // (8 - 0) / 16
    EXPECT_FLOAT_EQ(origin.LightT, 4.25f); // (4 + 64) / 16
    EXPECT_FLOAT_EQ(scene.Vertices[2].LightT, 0.25f);
}

TEST(MapScene, FacesShareTheirTextureAndEachHasItsOwnLight) {
    test::TBspImage map = test::QuadMap();
    test::TBspImageFace wall = map.Faces[0];
    for (auto& corner : wall.Corners)
        corner.Z += 100;
    map.Faces.push_back(wall);
    const TScene scene = Read(map).Scene;
    ASSERT_EQ(scene.Triangles.size(), 4u);
    EXPECT_EQ(scene.Textures.size(), 1u);
    EXPECT_EQ(scene.Lightmaps.size(), 2u);
    EXPECT_EQ(scene.Triangles[3].Texture, 0);
    EXPECT_EQ(scene.Triangles[3].Lightmap, 1);
}

TEST(MapScene, OnlyTheWorldsFacesAreDrawn) {
    test::TBspImage map = test::QuadMap();
    map.Faces.push_back(map.Faces[0]);
    map.Faces[1].Corners.push_back({-10, 30, 0}); // a door of five corners
    map.WorldFaces = 1;
    const TMapScene scene = Read(map);
    EXPECT_EQ(scene.Faces, 1u);
    EXPECT_EQ(scene.Scene.Triangles.size(), 2u);
    EXPECT_EQ(scene.Scene.Min.X, 0);
}

TEST(MapScene, FullLightAndGreyFaces) {
    const auto quake = [](const std::string& name, bool lit = true) {
        test::TBspImage map = test::QuadMap();
        map.Textures[0].Name = name;
        if (!lit)
            map.Faces[0].Light.clear();
        return map;
    };
    test::TBspImage liquid = test::QuadMap(TBspImageKind::HalfLife);
    liquid.Textures[0].Name = "!water";
    test::TBspImage quake2Sky = test::QuadMap(TBspImageKind::Quake2);
    quake2Sky.Faces[0].Flags = 4;
    test::TBspImage missing = test::QuadMap();
    missing.Textures[0].Pixels.clear();
    test::TBspImage external = test::QuadMap(TBspImageKind::HalfLife);
    external.Textures[0].External = true;
    external.Textures[0].Palette.clear();
    test::TBspImage notFound = test::QuadMap(TBspImageKind::Quake2);
    notFound.Faces[0].TextureName = "missing/wall";
    test::TBspImage unlitStyle = test::QuadMap();
    unlitStyle.Faces[0].Styles = {255, 255, 255, 255};
    struct TCase {
        const char* Name;
        test::TBspImage Map;
        std::int32_t Texture;
        std::int32_t Lightmap;
    };
    const TCase cases[] = {
        {"sky", quake("sky4"), 0, -1},
        {"Quake's liquid", quake("*lava1"), 0, -1},
        {"Half-Life's liquid", liquid, 0, -1},
        {"Quake II's sky by its flags", quake2Sky, 0, -1},
        {"no light data", quake("floor", false), 0, -1},
        {"no light style", unlitStyle, 0, -1},
        {"missing texture slot", missing, -1, 0},
        {"texture kept outside the map", external, -1, 0},
        {"Quake II texture not found", notFound, -1, 0},
    };
    for (const TCase& c : cases) {
        const TScene scene = Read(c.Map).Scene;
        ASSERT_EQ(scene.Triangles.size(), 2u) << c.Name;
        EXPECT_EQ(scene.Triangles[0].Texture, c.Texture) << c.Name;
        EXPECT_EQ(scene.Triangles[0].Lightmap, c.Lightmap) << c.Name;
        EXPECT_EQ(scene.Textures.size(), c.Texture < 0 ? 0u : 1u) << c.Name;
    }
}

TEST(MapScene, SeeThroughTexelsOfFenceTextures) {
    for (const TBspImageKind kind : {TBspImageKind::Quake, TBspImageKind::HalfLife}) {
        test::TBspImage map = test::QuadMap(kind);
        map.Textures[0].Name = "{grate";
        map.Textures[0].Pixels[1] = 255;
        const TScene scene = Read(map).Scene;
        ASSERT_EQ(scene.Textures.size(), 1u);
        EXPECT_EQ(scene.Textures[0].Rgba[3], 255);
        EXPECT_EQ(scene.Textures[0].Rgba[7], 0);
    }
}

TEST(MapScene, QuakeIITexturesAskedOnceANameWhateverItsCase) {
    test::TBspImage map = test::QuadMap(TBspImageKind::Quake2);
    map.Faces.push_back(map.Faces[0]);
    map.Faces[1].TextureName = "E1/FLOOR";
    TTextureShelf shelf;
    const TScene scene = Read(map, &shelf).Scene;
    EXPECT_EQ(shelf.Asked.size(), 1u);
    EXPECT_EQ(scene.Textures.size(), 1u);
    EXPECT_EQ(scene.Triangles[3].Texture, 0);
}

TEST(MapScene, SteadyLightIsTheStyleZeroMap) {
    test::TBspImage map = test::QuadMap();
    // A flickering light first, the steady one second.
    map.Faces[0].Styles = {5, 0, 255, 255};
    map.Faces[0].Light = Bytes(25, 1);
    map.Faces[0].Light.insert(map.Faces[0].Light.end(), 25, 200);
    const TScene scene = Read(map).Scene;
    ASSERT_EQ(scene.Lightmaps.size(), 1u);
    EXPECT_EQ(scene.Lightmaps[0].Rgb[0], 200);
}

TEST(MapStart, FirstStartElseDeathmatchElseTheCentre) {
    const TScenePoint min{-10, 0, 0};
    const TScenePoint max{10, 40, 8};
    struct TCase {
        const char* Name;
        std::string Entities;
        TMapStartSource Source;
        float X, Y, Z, Yaw;
    };
    const TCase cases[] = {
        {"single player, after a deathmatch start",
         R"({"classname" "info_player_deathmatch" "origin" "1 2 3"})"
         R"({"origin" "4 5 6" "classname" "info_player_start" "angle" "270"})",
         TMapStartSource::msPlayerStart, 4, 5, 6, 270},
        {"deathmatch only", R"({"classname" "info_player_deathmatch" "origin" "-1 2.5 3"})",
         TMapStartSource::msDeathmatchStart, -1, 2.5f, 3, 0},
        {"angles give the yaw", R"({"classname" "info_player_start" "angles" "10 45 0"})",
         TMapStartSource::msPlayerStart, 0, 0, 0, 45},
        {"neither", R"({"classname" "worldspawn"})", TMapStartSource::msBoundsCentre, 0, 20, 4, 0},
        {"not a number", R"({"classname" "info_player_start" "origin" "nan inf 7"})",
         TMapStartSource::msPlayerStart, 0, 0, 0, 0},
        {"unclosed quote", R"({"classname" "info_player_start" "origin" "1 2)",
         TMapStartSource::msBoundsCentre, 0, 20, 4, 0},
    };
    for (const TCase& c : cases) {
        const TMapStart start = FindMapStart(c.Entities, min, max);
        EXPECT_EQ(start.Source, c.Source) << c.Name;
        EXPECT_EQ(start.At.X, c.X) << c.Name;
        EXPECT_EQ(start.At.Y, c.Y) << c.Name;
        EXPECT_EQ(start.At.Z, c.Z) << c.Name;
        EXPECT_EQ(start.Yaw, c.Yaw) << c.Name;
    }
}

void PatchU16(Bytes& bytes, std::size_t at, unsigned value) {
    bytes.at(at) = static_cast<unsigned char>(value);
    bytes.at(at + 1) = static_cast<unsigned char>(value >> 8);
}

// Where lump of a written map starts.
std::size_t LumpAt(const Bytes& bytes, TBspImageKind kind, std::size_t lump) {
    return static_cast<std::size_t>(test::ReadI32(bytes, test::BspLumpField(kind, lump)));
}

// Three 16 x 16 textures whose headers all point at one block of pixels:
// together they claim three times the pixels the lump holds.
Bytes OverlappingTextures() {
    test::TBspImage map = test::QuadMap();
    map.Textures.clear();
    map.Faces.resize(3, map.Faces[0]);
    for (std::int32_t f = 0; f < 3; ++f)
        map.Faces[static_cast<std::size_t>(f)].Texture = f;
    Bytes bytes = test::BspImage(map);
    test::TBytesWriter lump;
    lump.I32(3).I32(16).I32(56).I32(96);
    for (std::uint32_t t = 0; t < 3; ++t)
        lump.Name("t" + std::to_string(t), 16).U32(16).U32(16).U32(120 - 40 * t).Zeros(12);
    lump.Zeros(256);
    // The new lump goes at the end, the directory pointed at it.
    const std::size_t field = test::BspLumpField(TBspImageKind::Quake, 2);
    test::PatchI32(bytes, field, static_cast<std::int32_t>(bytes.size()));
    test::PatchI32(bytes, field + 4, static_cast<std::int32_t>(lump.Size()));
    bytes.insert(bytes.end(), lump.Out.begin(), lump.Out.end());
    return bytes;
}

TEST(MapScene, DamagedMapsAreRefusedWithTheirFault) {
    using K = TBspImageKind;
    const test::TBspImageLumps q = test::BspImageLumps(K::Quake);
    // A map of kind changed by change, its bytes then by patch.
    const auto map = [](K kind, const std::function<void(test::TBspImage&)>& change,
                        const std::function<void(Bytes&)>& patch = {}) {
        return [=] {
            test::TBspImage image = test::QuadMap(kind);
            if (change)
                change(image);
            Bytes bytes = test::BspImage(image);
            if (patch)
                patch(bytes);
            (void)ReadMapScene(bytes, {}, {});
        };
    };
    const auto patch = [&](K kind, const std::function<void(Bytes&)>& change) {
        return map(kind, {}, change);
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct TCase {
        const char* Name;
        std::function<void()> Read;
        std::string Failure;
    };
    const TCase cases[] = {
        {"not a map", [] { (void)ReadMapScene(Bytes(200, 7), {}, {}); },
         "Not a version 29 map (version 117901063)"},
        {"lump outside the entry",
         patch(K::Quake,
               [&](Bytes& b) {
                   test::PatchI32(b, test::BspLumpField(K::Quake, q.Lighting), 1 << 30);
               }),
         "Map lump lighting lies outside the entry"},
        {"Quake II lump outside the entry",
         patch(K::Quake2,
               [](Bytes& b) { test::PatchI32(b, test::BspLumpField(K::Quake2, 6) + 4, 1 << 30); }),
         "Quake II map lump faces lies outside the entry"},
        {"faces not whole records",
         patch(K::Quake,
               [&](Bytes& b) { test::PatchI32(b, test::BspLumpField(K::Quake, q.Faces) + 4, 19); }),
         "Map lump faces holds 19 bytes, not whole records of 20"},
        {"no world model",
         patch(K::Quake,
               [&](Bytes& b) { test::PatchI32(b, test::BspLumpField(K::Quake, q.Models) + 4, 0); }),
         "Map holds no models"},
        {"world faces past the faces",
         patch(K::Quake,
               [&](Bytes& b) { test::PatchI32(b, LumpAt(b, K::Quake, q.Models) + 60, 5); }),
         "Map world model names faces 0 to 5 of 1"},
        {"surfedge past the edges",
         patch(K::Quake,
               [&](Bytes& b) { test::PatchI32(b, LumpAt(b, K::Quake, q.SurfEdges), 99); }),
         "Map surfedge 0 names edge 99 of 5"},
        {"edge past the vertices",
         patch(K::Quake, [&](Bytes& b) { PatchU16(b, LumpAt(b, K::Quake, q.Edges) + 4, 99); }),
         "Map edge 1 names vertex 99 of 4"},
        {"face past the texture information",
         patch(K::Quake, [&](Bytes& b) { PatchU16(b, LumpAt(b, K::Quake, q.Faces) + 10, 7); }),
         "Map face 0 names texture information 7 of 1"},
        {"texture information past the textures",
         map(K::Quake, [](auto& m) { m.Faces[0].Texture = 3; }),
         "Map texture information 0 names texture 3 of 1"},
        {"light data past the lump", map(K::Quake, [](auto& m) { m.Faces[0].Light.resize(24); }),
         "Map face 0's light data lies outside the entry"},
        {"light extents past any face",
         map(K::Quake,
             [](auto& m) {
                 m.Faces[0].SAxis = {1e9f, 0, 0, 0};
             }),
         "Map face 0's light extents are not valid"},
        {"vertex not a number", map(K::Quake, [=](auto& m) { m.Faces[0].Corners[2].Y = nan; }),
         "Map vertex 2 is not a finite point"},
        {"axes not numbers", map(K::Quake2, [=](auto& m) { m.Faces[0].TAxis[3] = nan; }),
         "Map texture information 0's axes are not finite"},
        {"negative edge count",
         patch(K::Bsp2, [](Bytes& b) { test::PatchI32(b, LumpAt(b, K::Bsp2, 7) + 12, -1); }),
         "Map face 0's edge count -1 is not valid"},
        {"huge edge count",
         patch(K::Bsp2,
               [](Bytes& b) { test::PatchI32(b, LumpAt(b, K::Bsp2, 7) + 12, 2000000000); }),
         "Map face 0 names surfedges 0 to 2000000000 of 4"},
        {"faces walking the same edges",
         map(
             K::Quake, [](auto& m) { m.Faces.resize(3, m.Faces[0]); },
             [&](Bytes& b) {
                 const std::size_t third = LumpAt(b, K::Quake, q.Faces) + 40;
                 test::PatchI32(b, third + 4, 4); // its edges start where the second's do
                 PatchU16(b, third + 8, 8);
             }),
         "Map faces name 16 edges, more than the 12 the map holds"},
        {"overlapping textures", [] { (void)ReadMapScene(OverlappingTextures(), {}, {}); },
         "Map textures claim more pixels than the textures lump holds"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(FailureOf(c.Read), c.Failure) << c.Name;
}

// Whatever byte a map is cut at, some lump is then outside it.
TEST(MapScene, EveryCutShortMapIsRefused) {
    for (const TBspImageKind kind :
         {TBspImageKind::Quake, TBspImageKind::Bsp2, TBspImageKind::Quake2}) {
        const Bytes bytes = test::BspImage(test::QuadMap(kind));
        for (std::size_t size = 0; size < bytes.size(); ++size) {
            const Bytes cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
            EXPECT_NE(FailureOf([&] { (void)ReadMapScene(cut, {}, {}); }), "(no failure)") << size;
        }
    }
}

TEST(MeshFuzzReplay, KnownInputsReadWithoutFault) {
    const int replayed =
        test::ForEachFuzzInput("mesh_corpus", "mesh", [](const auto& path, const Bytes& bytes) {
            EXPECT_EQ(test::MeshFuzzFault(bytes), "") << path;
        });
    EXPECT_GT(replayed, 0) << "the seed corpus is missing";
}

} // namespace
} // namespace zorvak
