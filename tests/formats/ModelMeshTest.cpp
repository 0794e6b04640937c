// Models as scenes: where the vertices land, the seam, the skins, the poses
// and their times, and the models that claim more than they hold.
#include "formats/ModelMesh.h"
#include "MeshImages.h"
#include "support/FailureOf.h"

#include <cmath>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <limits>

namespace zorvak {
namespace {

using test::Bytes;
using test::FailureOf;

// Colour i is (i, 2i, 3i): a texel's colour tells its index.
TPalette CountingPalette() {
    TPalette palette;
    for (std::size_t i = 0; i < palette.Colours.size(); ++i)
        palette.Colours[i] = {static_cast<unsigned char>(i), static_cast<unsigned char>(2 * i),
                              static_cast<unsigned char>(3 * i)};
    return palette;
}

struct TCorner {
    float X, Y, Z, S, T;
};

// The corners of triangle t, in order.
std::vector<TCorner> Corners(const TScene& scene, std::size_t t) {
    std::vector<TCorner> corners;
    for (const std::uint32_t i : scene.Triangles.at(t).Corners) {
        const TSceneVertex& v = scene.Vertices.at(i);
        corners.push_back({v.At.X, v.At.Y, v.At.Z, v.S, v.T});
    }
    return corners;
}

MATCHER_P(CornersAre, expected, "") {
    if (arg.size() != expected.size())
        return false;
    for (std::size_t i = 0; i < arg.size(); ++i) {
        const TCorner& a = arg[i];
        const TCorner& b = expected[i];
        if (a.X != b.X || a.Y != b.Y || a.Z != b.Z || a.S != b.S || a.T != b.T) {
            *result_listener << "corner " << i << " is (" << a.X << " " << a.Y << " " << a.Z
                             << " / " << a.S << " " << a.T << ")";
            return false;
        }
    }
    return true;
}

TEST(MdlScene, VerticesScaledAndMovedWithTheSeamOnBackFaces) {
    const Bytes bytes = test::MdlImage(test::TinyMdl());
    const TScene scene = MdlScene(bytes, 0, 0, 0, 0, CountingPalette());
    ASSERT_EQ(scene.Triangles.size(), 2u);
    // The front triangle keeps its on-seam vertex's s; the back one moves it
    // into the skin's right half (4 / 2 texels over).
    EXPECT_THAT(Corners(scene, 0), CornersAre(std::vector<TCorner>{
                                       {-4, 0, 8, 0, 0}, {4, 0, 8, 1, 0}, {4, 8, 8, 1, 1}}));
    EXPECT_THAT(Corners(scene, 1), CornersAre(std::vector<TCorner>{
                                       {-4, 0, 8, 0, 0}, {4, 8, 8, 1, 1}, {-4, 8, 12, 2, 1}}));
    EXPECT_EQ(scene.Min.X, -4);
    EXPECT_EQ(scene.Max.Y, 8);
    EXPECT_EQ(scene.Max.Z, 12);
    ASSERT_EQ(scene.Textures.size(), 1u);
    EXPECT_EQ(scene.Triangles[1].Texture, 0);
    EXPECT_EQ(scene.Triangles[1].Lightmap, -1);
    const TSceneTexture& skin = scene.Textures[0];
    EXPECT_EQ(skin.Width, 4);
    EXPECT_EQ(skin.Height, 2);
    // Index 5 in the palette's colours, opaque.
    EXPECT_EQ(Bytes(skin.Rgba.begin() + 20, skin.Rgba.begin() + 24), (Bytes{5, 10, 15, 255}));
}

TEST(MdlScene, PosesOfAGroupAndTheirTimes) {
    const Bytes bytes = test::MdlImage(test::TinyMdl());
    const TModelInfo info = ReadModelInfo(bytes);
    ASSERT_EQ(info.Frames.size(), 2u);
    EXPECT_FALSE(info.Frames[0].Group);
    ASSERT_EQ(info.Frames[0].Poses.size(), 1u);
    EXPECT_EQ(info.Frames[0].Poses[0].Name, "stand");
    EXPECT_FLOAT_EQ(info.Frames[0].Poses[0].Seconds, 0.1f);
    ASSERT_EQ(info.Frames[1].Poses.size(), 2u);
    EXPECT_TRUE(info.Frames[1].Group);
    // Each interval closes its pose: 0.25, then 0.75 - 0.25.
    EXPECT_EQ(info.Frames[1].Poses[1].Name, "run2");
    EXPECT_FLOAT_EQ(info.Frames[1].Poses[0].Seconds, 0.25f);
    EXPECT_FLOAT_EQ(info.Frames[1].Poses[1].Seconds, 0.5f);
    EXPECT_EQ(info.Scale.X, 2);
    EXPECT_EQ(info.Origin.Z, 8);

    // The second pose's packed (1, 1, 1) times 2 plus the origin.
    const TScene run2 = MdlScene(bytes, 1, 1, 0, 0, CountingPalette());
    EXPECT_EQ(Corners(run2, 0)[0].X, -2);
    EXPECT_EQ(Corners(run2, 0)[0].Y, 2);
    EXPECT_EQ(Corners(run2, 0)[0].Z, 10);
}

TEST(MdlScene, SkinGroupPictureIsTheOneAskedFor) {
    test::TMdlImage model = test::TinyMdl();
    model.Skins.push_back({true, {Bytes(8, 40), Bytes(8, 41), Bytes(8, 42)}});
    const Bytes bytes = test::MdlImage(model);
    const TModelInfo info = ReadModelInfo(bytes);
    ASSERT_EQ(info.Skins.size(), 2u);
    EXPECT_TRUE(info.Skins[1].Group);
    EXPECT_EQ(info.Skins[1].Pictures, 3u);
    const TScene scene = MdlScene(bytes, 0, 0, 1, 2, CountingPalette());
    ASSERT_EQ(scene.Textures.size(), 1u);
    EXPECT_EQ(Bytes(scene.Textures[0].Rgba.begin(), scene.Textures[0].Rgba.begin() + 4),
              (Bytes{42, 84, 126, 255}));
}

TEST(MdlScene, AModelWithoutSkinsIsDrawnGrey) {
    test::TMdlImage model = test::TinyMdl();
    model.Skins.clear();
    const TScene scene = MdlScene(test::MdlImage(model), 0, 0, 0, 0, CountingPalette());
    EXPECT_TRUE(scene.Textures.empty());
    EXPECT_EQ(scene.Triangles[0].Texture, -1);
}

TEST(MdlScene, DamagedModelsAreRefusedWithTheirFault) {
    const auto read = [](const test::TMdlImage& model, std::size_t frame = 0, std::size_t pose = 0,
                         std::size_t skin = 0, std::size_t picture = 0) {
        return [=] { (void)MdlScene(test::MdlImage(model), frame, pose, skin, picture, {}); };
    };
    const auto patched = [](std::size_t at, std::int32_t value) {
        return [=] {
            Bytes bytes = test::MdlImage(test::TinyMdl());
            test::PatchI32(bytes, at, value);
            (void)MdlScene(bytes, 0, 0, 0, 0, {});
        };
    };
    const auto with = [](const std::function<void(test::TMdlImage&)>& change) {
        test::TMdlImage model = test::TinyMdl();
        change(model);
        return model;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct TCase {
        const char* Name;
        std::function<void()> Read;
        std::string Failure;
    };
    const TCase cases[] = {
        {"vertex index past the vertices",
         read(with([](auto& m) { m.Triangles[1].Corners[2] = 900; })),
         "Model triangle 1 names vertex 900 of 4"},
        {"negative vertex index", read(with([](auto& m) { m.Triangles[0].Corners[0] = -1; })),
         "Model triangle 0 names vertex -1 of 4"},
        {"vertex count past the bytes", patched(test::kMdlVertexCountAt, 100000),
         "Model vertex count 100000 runs past the end of the entry"},
        {"negative triangle count", patched(test::kMdlTriangleCountAt, -1),
         "Model triangle count -1 is not valid"},
        {"huge frame count", patched(test::kMdlFrameCountAt, 0x7FFFFFFF),
         "Model frame count 2147483647 runs past the end of the entry"},
        {"huge skin count", patched(test::kMdlSkinCountAt, 1 << 30),
         "Model skin count 1073741824 runs past the end of the entry"},
        {"skin without a size", patched(test::kMdlSkinWidthAt, 0),
         "Picture size 0 x 2 is not valid"},
        {"interval not a time", read(with([](auto& m) { m.Frames[1].Intervals[1] = 0; })),
         "Model frame 1's interval 1 is not valid"},
        {"interval not a number", read(with([=](auto& m) { m.Frames[1].Intervals[0] = nan; })),
         "Model frame 1's interval 0 is not valid"},
        {"scale past a float", read(with([](auto& m) { m.Scale.X = 3e38f; })),
         "Model vertex 1 of frame 0 is not a finite point"},
        {"frame past the frames", read(test::TinyMdl(), 2), "Model has no frame 2"},
        {"pose past the group", read(test::TinyMdl(), 1, 2), "Model frame 1 has no pose 2"},
        {"skin past the skins", read(test::TinyMdl(), 0, 0, 1), "Model has no skin 1"},
        {"picture past a single skin", read(test::TinyMdl(), 0, 0, 0, 1),
         "Model skin 0 has no picture 1"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(FailureOf(c.Read), c.Failure) << c.Name;
}

// Whatever byte a model is cut at, what is missing is told, never read.
TEST(ModelScenes, EveryCutShortModelIsRefused) {
    const Bytes mdl = test::MdlImage(test::TinyMdl());
    for (std::size_t size = 0; size < mdl.size(); ++size) {
        const Bytes cut(mdl.begin(), mdl.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_NE(FailureOf([&] { (void)MdlScene(cut, 1, 1, 0, 0, {}); }), "(no failure)") << size;
    }
    const Bytes md2 = test::Md2Image(test::TinyMd2());
    for (std::size_t size = 0; size < md2.size(); ++size) {
        const Bytes cut(md2.begin(), md2.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_NE(FailureOf([&] { (void)Md2Scene(cut, 1, nullptr); }), "(no failure)") << size;
    }
}

TEST(Md2Scene, FramesAndTexelsOfTheSkinFound) {
    const Bytes bytes = test::Md2Image(test::TinyMd2());
    const TModelInfo info = ReadMd2Info(bytes);
    ASSERT_EQ(info.Skins.size(), 1u);
    EXPECT_EQ(info.Skins[0].Name, "models/tiny/skin.pcx");
    ASSERT_EQ(info.Frames.size(), 2u);
    EXPECT_EQ(info.Frames[1].Poses.at(0).Name, "pose2");
    EXPECT_FLOAT_EQ(info.Frames[1].Poses.at(0).Seconds, 0.1f);

    // A skin twice the header's size: the coordinates follow it.
    const TRgbaPicture skin{16, 16, Bytes(16 * 16 * 4, 9)};
    const TScene scene = Md2Scene(bytes, 1, &skin);
    ASSERT_EQ(scene.Triangles.size(), 1u);
    EXPECT_THAT(Corners(scene, 0), CornersAre(std::vector<TCorner>{
                                       {10, 0, 0, 0, 0}, {14, 0, 0, 16, 0}, {10, 4, 2, 0, 8}}));
    ASSERT_EQ(scene.Textures.size(), 1u);
    EXPECT_EQ(scene.Textures[0].Width, 16);
    EXPECT_EQ(scene.Triangles[0].Texture, 0);

    // No skin found: grey, in the header's texels.
    const TScene grey = Md2Scene(bytes, 0, nullptr);
    EXPECT_TRUE(grey.Textures.empty());
    EXPECT_EQ(grey.Triangles[0].Texture, -1);
    EXPECT_EQ(Corners(grey, 0)[1].S, 8);
    EXPECT_EQ(grey.Max.Y, 8);
}

TEST(Md2Scene, DamagedModelsAreRefusedWithTheirFault) {
    const auto read = [](const std::function<void(test::TMd2Image&)>& change,
                         std::size_t frame = 0) {
        test::TMd2Image model = test::TinyMd2();
        change(model);
        return [=] { (void)Md2Scene(test::Md2Image(model), frame, nullptr); };
    };
    const auto patched = [](std::size_t at, std::int32_t value) {
        return [=] {
            Bytes bytes = test::Md2Image(test::TinyMd2());
            test::PatchI32(bytes, at, value);
            (void)Md2Scene(bytes, 0, nullptr);
        };
    };
    struct TCase {
        const char* Name;
        std::function<void()> Read;
        std::string Failure;
    };
    const TCase cases[] = {
        {"vertex index past the vertices", read([](auto& m) { m.Triangles[0].Vertices[1] = 3; }),
         "Quake II model triangle 0 names vertex 3 of 3"},
        {"coordinate index past the coordinates",
         read([](auto& m) { m.Triangles[0].Coords[2] = 500; }),
         "Quake II model triangle 0 names texture coordinate 500 of 3"},
        {"frame past the frames", read([](auto&) {}, 2), "Quake II model has no frame 2"},
        {"frame smaller than its vertices", patched(test::kMd2FrameSizeAt, 20),
         "Quake II model frame size 20 is not valid"},
        {"triangles outside the entry", patched(test::kMd2TrianglesAt, 1 << 30),
         "Quake II model's triangle list lies outside the entry"},
        {"huge triangle count", patched(test::kMd2TriangleCountAt, 0x7FFFFFFF),
         "Quake II model's triangle list lies outside the entry"},
        {"negative triangle count", patched(test::kMd2TriangleCountAt, -3),
         "Quake II model triangle count -3 is not valid"},
        {"negative frames offset", patched(test::kMd2FramesAt, -1),
         "Quake II model's frame list lies outside the entry"},
        {"scale past a float", read([](auto& m) { m.Frames[0].Scale.Y = 3e38f; }),
         "Quake II model vertex 2 of frame 0 is not a finite point"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(FailureOf(c.Read), c.Failure) << c.Name;
}

} // namespace
} // namespace zorvak
