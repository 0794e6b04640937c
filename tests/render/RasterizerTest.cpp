#include "render/Rasterizer.h"
#include "SceneBuilder.h"
#include "framework/Failures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace zorvak {
namespace {

using test::AddBox;
using test::AddFacing;
using test::AddLightmap;
using test::AddTexture;
using test::TCorner;
using TPixel = std::array<std::uint8_t, 4>;

constexpr TPixel kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255};
constexpr TPixel kWhite{255, 255, 255, 255}, kClear{0, 0, 0, 0};
constexpr TPixel kGrey{kUntexturedGrey.R, kUntexturedGrey.G, kUntexturedGrey.B, 255};

TPixel PixelAt(const TRgbaPicture& picture, int x, int y) {
    const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.Width) +
                            static_cast<std::size_t>(x)) *
                           4;
    return {picture.Pixels[at], picture.Pixels[at + 1], picture.Pixels[at + 2],
            picture.Pixels[at + 3]};
}

std::string Text(const TPixel& p) {
    return std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]) + "," +
           std::to_string(p[3]);
}

// Looking at the plane x = 0 from +X, one unit a pixel: scene (x, y, z)
// lands on pixel (32 + y, 32 - z) of a 64 x 64 picture, nearer for larger x.
constexpr int kBoard = 64;
TCamera BoardCamera(TProjection projection = TProjection::Orthographic) {
    TCamera camera;
    camera.Eye = {100, 0, 0};
    camera.Yaw = 180;
    camera.Projection = projection;
    camera.HalfWidth = kBoard / 2.0;
    camera.FieldOfView = 30;
    return camera;
}

// A square on the board facing the camera, at height x, covering y and z in
// [lo, hi], texture coordinates from the top-left corner (s0, t0) to the
// bottom-right (s1, t1), lightmap likewise over (0, 0) to (ls1, lt1).
void AddSquare(TScene& scene, float x, float lo, float hi, std::int32_t texture,
               std::array<float, 4> st = {0, 0, 1, 1}, std::int32_t lightmap = -1,
               std::array<float, 2> light = {0, 0}) {
    const auto [s0, t0, s1, t1] = st;
    AddFacing(scene,
              {TCorner{{x, lo, hi}, s0, t0, 0, 0}, TCorner{{x, hi, hi}, s1, t0, light[0], 0},
               TCorner{{x, hi, lo}, s1, t1, light[0], light[1]},
               TCorner{{x, lo, lo}, s0, t1, 0, light[1]}},
              {1, 0, 0}, texture, lightmap);
}

// The test's own projection, from the camera's fields and the library's
// trigonometry: what the renderer is checked against.
struct TOwnProjection {
    double F[3], R[3], U[3], Eye[3], Scale;
    bool Perspective;
    int Width, Height;
    TOwnProjection(const TCamera& c, int width, int height) : Width(width), Height(height) {
        const double pi = 3.14159265358979323846;
        const double y = c.Yaw * pi / 180, p = c.Pitch * pi / 180;
        const double f[3] = {std::cos(p) * std::cos(y), std::cos(p) * std::sin(y), -std::sin(p)};
        const double r[3] = {std::sin(y), -std::cos(y), 0};
        const double u[3] = {std::sin(p) * std::cos(y), std::sin(p) * std::sin(y), std::cos(p)};
        std::copy(f, f + 3, F);
        std::copy(r, r + 3, R);
        std::copy(u, u + 3, U);
        Eye[0] = c.Eye.X;
        Eye[1] = c.Eye.Y;
        Eye[2] = c.Eye.Z;
        Perspective = c.Projection == TProjection::Perspective;
        Scale = Perspective ? width / 2.0 / std::tan(c.FieldOfView * pi / 360)
                            : width / 2.0 / c.HalfWidth;
    }
    std::array<double, 2> operator()(const TScenePoint& p) const {
        const double d[3] = {p.X - Eye[0], p.Y - Eye[1], p.Z - Eye[2]};
        auto dot = [&d](const double* a) { return d[0] * a[0] + d[1] * a[1] + d[2] * a[2]; };
        const double s = Perspective ? Scale / dot(F) : Scale;
        return {Width / 2.0 + dot(R) * s, Height / 2.0 - dot(U) * s};
    }
};

// Inside (> 0), outside (< 0) or too near an edge to tell (0), by at least
// `clearance` pixels.
int SideOf(const std::array<std::array<double, 2>, 3>& t, double x, double y, double clearance) {
    const double area =
        (t[1][0] - t[0][0]) * (t[2][1] - t[0][1]) - (t[1][1] - t[0][1]) * (t[2][0] - t[0][0]);
    if (area == 0)
        return -1;
    bool inside = true;
    for (std::size_t i = 0; i < 3; ++i) {
        const auto& a = t[i];
        const auto& b = t[(i + 1) % 3];
        const double length = std::hypot(b[0] - a[0], b[1] - a[1]);
        const double distance = ((b[0] - a[0]) * (y - a[1]) - (b[1] - a[1]) * (x - a[0])) / length *
                                (area > 0 ? 1 : -1);
        if (distance < -clearance)
            return -1;
        inside = inside && distance > clearance;
    }
    return inside ? 1 : 0;
}

TEST(Rasterizer, EachStandardViewShowsTheBoxsSilhouetteAndTheFacesTowardsIt) {
    TScene scene;
    AddBox(scene, {-10, -25, 0}, {15, 20, 30});
    struct TCase {
        std::string Name;
        std::function<TCamera(const TScene&, int, int)> View;
        std::vector<TPixel> Seen;
    };
    const TCase cases[] = {
        {"front", FrontView, {kRed}},
        {"side", SideView, {kGreen}},
        {"top", TopView, {kBlue}},
        {"iso", IsoView, {kRed, kGreen, kBlue}},
    };
    const int width = 160, height = 120;
    for (const TCase& c : cases) {
        const TCamera camera = c.View(scene, width, height);
        const TRgbaPicture picture = RenderScene(scene, camera, width, height);
        const TOwnProjection project(camera, width, height);
        int checked = 0, wrong = 0;
        std::map<std::string, int> colours;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                int side = -1;
                for (const TSceneTriangle& tri : scene.Triangles) {
                    std::array<std::array<double, 2>, 3> t{};
                    for (std::size_t i = 0; i < 3; ++i)
                        t[i] = project(scene.Vertices[tri.Corners[i]].At);
                    side = std::max(side, SideOf(t, x + 0.5, y + 0.5, 0.05));
                }
                const TPixel pixel = PixelAt(picture, x, y);
                if (pixel[3] != 0)
                    ++colours[Text(pixel)];
                if (side == 0)
                    continue;
                ++checked;
                wrong += (pixel[3] != 0) != (side > 0);
            }
        EXPECT_EQ(wrong, 0) << c.Name;
        EXPECT_GT(checked, width * height * 9 / 10) << c.Name;
        // Only the faces turned towards the camera show.
        int seen = 0;
        for (const TPixel& colour : c.Seen) {
            EXPECT_GT(colours[Text(colour)], 50) << c.Name << " " << Text(colour);
            seen += colours[Text(colour)];
        }
        int drawn = 0;
        for (const auto& [colour, count] : colours)
            drawn += count;
        EXPECT_EQ(seen, drawn) << c.Name;
    }
}

TEST(Rasterizer, TexturesLandWhereTheirCoordinatesSayAndRepeat) {
    const TPixel a{10, 20, 30, 255}, b{40, 50, 60, 255}, c{70, 80, 90, 255}, d{100, 110, 120, 255};
    struct TSample {
        int X, Y;
        TPixel Want;
    };
    struct TCase {
        std::string Name;
        int Width, Height;
        std::initializer_list<std::array<std::uint8_t, 4>> Texels;
        std::array<float, 4> St;
        std::vector<TSample> Samples;
    };
    // The square covers pixels 16..47 both ways.
    const TCase cases[] = {
        {"once",
         2,
         2,
         {a, b, c, d},
         {0, 0, 2, 2},
         {{24, 24, a}, {40, 24, b}, {24, 40, c}, {40, 40, d}}},
        {"twice across",
         2,
         2,
         {a, b, c, d},
         {0, 0, 4, 2},
         {{20, 24, a}, {28, 24, b}, {36, 24, a}, {44, 24, b}, {44, 40, d}}},
        {"from below zero",
         2,
         2,
         {a, b, c, d},
         {-1, -1, 1, 1},
         {{24, 24, d}, {40, 24, c}, {24, 40, b}, {40, 40, a}}},
        {"far from the origin",
         2,
         2,
         {a, b, c, d},
         {1000, -3000, 1002, -2998},
         {{24, 24, a}, {40, 24, b}, {24, 40, c}, {40, 40, d}}},
        {"three wide", 3, 1, {a, b, c}, {0, 0, 3, 1}, {{21, 30, a}, {32, 30, b}, {42, 30, c}}},
        {"three wide twice",
         3,
         1,
         {a, b, c},
         {0, 0, 6, 1},
         {{18, 30, a}, {24, 30, b}, {29, 30, c}, {34, 30, a}, {45, 30, c}}},
    };
    for (const TCase& k : cases) {
        TScene scene;
        const std::int32_t texture = AddTexture(scene, k.Width, k.Height, k.Texels);
        AddSquare(scene, 0, -16, 16, texture, k.St);
        for (TProjection projection : {TProjection::Orthographic, TProjection::Perspective}) {
            TCamera camera = BoardCamera(projection);
            if (projection == TProjection::Perspective)
                camera.FieldOfView = 35.489; // the square at depth 100 just as wide
            const TRgbaPicture picture = RenderScene(scene, camera, kBoard, kBoard);
            for (const TSample& s : k.Samples)
                EXPECT_EQ(Text(PixelAt(picture, s.X, s.Y)), Text(s.Want))
                    << k.Name << " at " << s.X << "," << s.Y
                    << (projection == TProjection::Perspective ? " perspective" : "");
            EXPECT_EQ(Text(PixelAt(picture, 8, 8)), Text(kClear)) << k.Name;
        }
    }
}

TEST(Rasterizer, TexturesFollowPerspectiveNotThePicturesRows) {
    // A floor going away from the camera, the texture's first half red and
    // its second blue: the change sits where the floor's middle projects,
    // well above the middle of the rows the floor covers.
    TScene scene;
    const std::int32_t texture = AddTexture(scene, 2, 1, {kRed, kBlue});
    AddFacing(scene,
              {TCorner{{10, -40, 0}, 0, 0}, TCorner{{110, -40, 0}, 2, 0},
               TCorner{{110, 40, 0}, 2, 1}, TCorner{{10, 40, 0}, 0, 1}},
              {0, 0, 1}, texture);
    const TCamera camera = [] {
        TCamera c = MapCamera({0, 0, 20}, 0);
        c.Pitch = 10;
        return c;
    }();
    const int width = 200, height = 200;
    const TRgbaPicture picture = RenderScene(scene, camera, width, height);
    const TOwnProjection project(camera, width, height);
    const double middle = project({60, 0, 0})[1];
    const double nearRow = project({10, 0, 0})[1], farRow = project({110, 0, 0})[1];
    ASSERT_GT((nearRow + farRow) / 2 - middle, 10); // a mapping along rows would be far off
    const int x = width / 2;
    EXPECT_EQ(Text(PixelAt(picture, x, static_cast<int>(middle) - 2)), Text(kBlue));
    EXPECT_EQ(Text(PixelAt(picture, x, static_cast<int>(middle) + 2)), Text(kRed));
}

TEST(Rasterizer, TheNearerSurfaceWinsWhicheverIsDrawnFirst) {
    struct TCase {
        TProjection Projection;
        bool NearFirst;
    };
    const TCase cases[] = {
        {TProjection::Orthographic, true},
        {TProjection::Orthographic, false},
        {TProjection::Perspective, true},
        {TProjection::Perspective, false},
    };
    for (const TCase& c : cases) {
        TScene scene;
        const std::int32_t red = AddTexture(scene, 1, 1, {kRed});
        const std::int32_t green = AddTexture(scene, 1, 1, {kGreen});
        if (c.NearFirst)
            AddSquare(scene, 10, -12, 4, red);
        AddSquare(scene, 0, -4, 12, green);
        if (!c.NearFirst)
            AddSquare(scene, 10, -12, 4, red);
        const TRgbaPicture picture = RenderScene(scene, BoardCamera(c.Projection), kBoard, kBoard);
        const std::string name = std::string(c.NearFirst ? "near first" : "far first") +
                                 (c.Projection == TProjection::Perspective ? ", perspective" : "");
        EXPECT_EQ(Text(PixelAt(picture, 32, 32)), Text(kRed)) << name;   // both: the near one
        EXPECT_EQ(Text(PixelAt(picture, 40, 24)), Text(kGreen)) << name; // the far one alone
    }
}

TEST(Rasterizer, SeeThroughTexelsShowWhatIsBehind) {
    // The near square's texture is red on the left, see-through on the right.
    struct TCase {
        std::string Name;
        int Behind; // 0: nothing, 1: drawn before, 2: drawn after the near one
        TPixel Right;
    };
    const TCase cases[] = {
        {"nothing behind", 0, kClear},
        {"behind, drawn first", 1, kGreen},
        {"behind, drawn after", 2, kGreen}, // see-through texels leave no depth
    };
    for (const TCase& c : cases) {
        TScene scene;
        const std::int32_t holed = AddTexture(scene, 2, 1, {kRed, {9, 9, 9, 0}});
        const std::int32_t green = AddTexture(scene, 1, 1, {kGreen});
        if (c.Behind == 1)
            AddSquare(scene, 0, -16, 16, green);
        AddSquare(scene, 10, -16, 16, holed, {0, 0, 2, 1});
        if (c.Behind == 2)
            AddSquare(scene, 0, -16, 16, green);
        const TRgbaPicture picture = RenderScene(scene, BoardCamera(), kBoard, kBoard);
        EXPECT_EQ(Text(PixelAt(picture, 24, 32)), Text(kRed)) << c.Name;
        EXPECT_EQ(Text(PixelAt(picture, 40, 32)), Text(c.Right)) << c.Name;
    }
}

TEST(Rasterizer, TrianglesReachingBehindTheEyeAreCutNotWrapped) {
    // A floor far larger than the view, under and behind the eye. Whatever
    // the pitch, the floor fills the rows below the horizon and nothing
    // above it.
    TScene scene;
    AddFacing(scene,
              {TCorner{{-10000, -10000, 0}}, TCorner{{10000, -10000, 0}},
               TCorner{{10000, 10000, 0}}, TCorner{{-10000, 10000, 0}}},
              {0, 0, 1});
    // A triangle wholly behind the eye, which must leave no trace.
    AddFacing(scene, {TCorner{{-50, -5, 15}}, TCorner{{-50, 5, 15}}, TCorner{{-50, 0, 25}}},
              {1, 0, 0});
    const double pitches[] = {0, 30, -30, 60, -60};
    const int width = 200, height = 150;
    for (double pitch : pitches) {
        TCamera camera = MapCamera({0, 0, 20}, 0);
        camera.Pitch = pitch;
        const TRgbaPicture picture = RenderScene(scene, camera, width, height);
        const double pi = 3.14159265358979323846;
        const double horizon = height / 2.0 - width / 2.0 * std::tan(pitch * pi / 180);
        int wrong = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                if (std::fabs(y + 0.5 - horizon) < 2)
                    continue;
                const bool floor = y + 0.5 > horizon;
                wrong += (PixelAt(picture, x, y)[3] != 0) != floor;
            }
        EXPECT_EQ(wrong, 0) << "pitch " << pitch;
        // As lines, the cut along the near plane is no edge of the floor's:
        // the bottom row shows only where the floor's diagonal crosses it.
        TRenderOptions lines;
        lines.Wireframe = TWireframe::Lines;
        lines.WireDepthTest = false;
        const TRgbaPicture wire = RenderScene(scene, camera, width, height, lines);
        int edge = 0;
        for (int x = 0; x < width; ++x)
            edge += PixelAt(wire, x, height - 1)[3] != 0;
        EXPECT_LT(edge, 5) << "pitch " << pitch;
    }
}

TEST(Rasterizer, AWallBesideTheEyeEndsAtTheNearPlane) {
    // A wall half a unit to the right, from behind the eye to ahead of it.
    // The near plane (one unit ahead) cuts it along column 100 + 0.5 * 100
    // / 1: the wall fills the columns from the middle up to there, and as
    // lines that cut is no edge of the wall's.
    TScene scene;
    AddFacing(scene,
              {TCorner{{-50, -0.5f, 10}}, TCorner{{50, -0.5f, 10}}, TCorner{{50, -0.5f, 30}},
               TCorner{{-50, -0.5f, 30}}},
              {0, 1, 0});
    const TCamera camera = MapCamera({0, 0, 20}, 0);
    const TRgbaPicture solid = RenderScene(scene, camera, 200, 150);
    for (int x = 0; x < 200; ++x) {
        const bool wall = x >= 101 && x <= 148;
        if (x == 100 || x == 149)
            continue;
        EXPECT_EQ(PixelAt(solid, x, 75)[3] != 0, wall) << x;
    }
    TRenderOptions lines;
    lines.Wireframe = TWireframe::Lines;
    lines.WireDepthTest = false;
    const TRgbaPicture wire = RenderScene(scene, camera, 200, 150, lines);
    int edge = 0;
    for (int y = 0; y < 150; ++y)
        edge += PixelAt(wire, 149, y)[3] != 0;
    EXPECT_LT(edge, 10);
}

TEST(Rasterizer, LightmapsDarkenAndBrightenTheTexture) {
    struct TCase {
        std::string Name;
        std::uint8_t Light;
        bool Overbright;
        std::uint8_t Want; // of a 200 texel
    };
    const TCase cases[] = {
        {"half light, overbright", 128, true, 200},
        {"quarter", 64, true, 100},
        {"dark", 0, true, 0},
        {"full, clamped", 255, true, 255},
        {"full, plain", 255, false, 200},
        {"half, plain", 128, false, 100},
    };
    for (const TCase& c : cases) {
        TScene scene;
        const std::int32_t texture = AddTexture(scene, 1, 1, {{200, 200, 200, 255}});
        const std::int32_t lightmap =
            AddLightmap(scene, 2, 2, {c.Light, c.Light, c.Light, c.Light});
        AddSquare(scene, 0, -16, 16, texture, {0, 0, 1, 1}, lightmap, {1, 1});
        TRenderOptions options;
        options.Overbright = c.Overbright;
        const TRgbaPicture picture = RenderScene(scene, BoardCamera(), kBoard, kBoard, options);
        EXPECT_EQ(Text(PixelAt(picture, 30, 30)), Text({c.Want, c.Want, c.Want, 255})) << c.Name;
    }
    // Between a dark sample and a bright one the light rises smoothly.
    TScene scene;
    const std::int32_t texture = AddTexture(scene, 1, 1, {{100, 100, 100, 255}});
    const std::int32_t lightmap = AddLightmap(scene, 2, 1, {0, 255});
    AddSquare(scene, 0, -16, 16, texture, {0, 0, 1, 1}, lightmap, {1, 0});
    const TRgbaPicture picture = RenderScene(scene, BoardCamera(), kBoard, kBoard);
    int last = -1;
    for (int x = 16; x < 48; ++x) {
        const int value = PixelAt(picture, x, 30)[0];
        EXPECT_GT(value, last) << x;
        last = value;
    }
    EXPECT_LT(PixelAt(picture, 16, 30)[0], 10);
    EXPECT_GT(PixelAt(picture, 47, 30)[0], 185);
    EXPECT_NEAR(PixelAt(picture, 32, 30)[0], 100, 5); // half of 255 is the texture's own
}

TEST(Rasterizer, WindingDecidesWhichSideIsDrawn) {
    struct TCase {
        bool ClockwiseOnPicture, Cull;
        TWinding Front;
        bool Drawn;
    };
    const TCase cases[] = {
        {true, true, TWinding::Clockwise, true},
        {false, true, TWinding::Clockwise, false},
        {true, true, TWinding::CounterClockwise, false},
        {false, true, TWinding::CounterClockwise, true},
        {true, false, TWinding::Clockwise, true},
        {false, false, TWinding::Clockwise, true},
    };
    for (const TCase& c : cases) {
        TScene scene;
        // Pixel (32 + y, 32 - z): top-left, top-right, bottom runs clockwise.
        std::vector<TCorner> corners = {TCorner{{0, -16, 16}}, TCorner{{0, 16, 16}},
                                        TCorner{{0, 0, -16}}};
        if (!c.ClockwiseOnPicture)
            std::swap(corners[1], corners[2]);
        const auto first = static_cast<std::uint32_t>(scene.Vertices.size());
        for (const TCorner& corner : corners)
            scene.Vertices.push_back({corner.At});
        scene.Triangles.push_back({{first, first + 1, first + 2}, -1, -1});
        TRenderOptions options;
        options.CullBackFaces = c.Cull;
        options.FrontWinding = c.Front;
        const TRgbaPicture picture = RenderScene(scene, BoardCamera(), kBoard, kBoard, options);
        EXPECT_EQ(Text(PixelAt(picture, 32, 24)), Text(c.Drawn ? kGrey : kClear))
            << c.ClockwiseOnPicture << c.Cull << static_cast<int>(c.Front);
    }
}

TEST(Rasterizer, WireframeShowsEdgesHiddenOrNot) {
    // A red square in front (pixels 16..47) and a green one behind it
    // (pixels 8..39 across, 8..39 down): the far square's right edge runs
    // behind the near one at column 39.
    TScene scene;
    AddSquare(scene, 10, -16, 16, AddTexture(scene, 1, 1, {kRed}));
    AddFacing(
        scene,
        {TCorner{{0, -24, 24}}, TCorner{{0, 8, 24}}, TCorner{{0, 8, -8}}, TCorner{{0, -24, -8}}},
        {1, 0, 0}, AddTexture(scene, 1, 1, {kGreen}));
    const TPixel background{0, 0, 64, 255};
    struct TCase {
        std::string Name;
        TWireframe Mode;
        bool DepthTest;
        TPixel HiddenEdge, NearEdge, Inside;
    };
    const TCase cases[] = {
        {"overlay", TWireframe::Overlay, true, kRed, kWhite, kRed},
        {"hidden lines", TWireframe::Lines, true, background, kWhite, background},
        {"all lines", TWireframe::Lines, false, kWhite, kWhite, background},
        {"off", TWireframe::Off, true, kRed, kRed, kRed},
    };
    for (const TCase& c : cases) {
        TRenderOptions options;
        options.Wireframe = c.Mode;
        options.WireDepthTest = c.DepthTest;
        options.Background = {background[0], background[1], background[2], background[3]};
        const TRgbaPicture picture = RenderScene(scene, BoardCamera(), kBoard, kBoard, options);
        EXPECT_EQ(Text(PixelAt(picture, 39, 30)), Text(c.HiddenEdge)) << c.Name;
        EXPECT_EQ(Text(PixelAt(picture, 30, 16)), Text(c.NearEdge)) << c.Name; // top edge
        EXPECT_EQ(Text(PixelAt(picture, 47, 30)), Text(c.NearEdge)) << c.Name; // right edge
        EXPECT_EQ(Text(PixelAt(picture, 36, 22)), Text(c.Inside)) << c.Name;
        EXPECT_EQ(Text(PixelAt(picture, 60, 60)), Text(background)) << c.Name;
    }
}

TEST(Rasterizer, FlatShadingLightsFacesByTheirAngleAndOffKeepsTheSkin) {
    TScene scene;
    AddBox(scene, {-10, -10, -10}, {10, 10, 10});
    for (TSceneTexture& texture : scene.Textures)
        texture.Rgba = {200, 200, 200, 255};
    const TCamera camera = IsoView(scene, 120, 120);
    // Points on the +X, +Y and +Z faces as the iso view shows them.
    const TOwnProjection project(camera, 120, 120);
    const auto pixelOf = [&](const TScenePoint& p) {
        const auto at = project(p);
        return std::array<int, 2>{static_cast<int>(at[0]), static_cast<int>(at[1])};
    };
    const auto onX = pixelOf({10, 0, 0}), onY = pixelOf({0, 10, 0}), onZ = pixelOf({0, 0, 10});
    TRenderOptions options;
    const TRgbaPicture plain = RenderScene(scene, camera, 120, 120, options);
    for (const auto& at : {onX, onY, onZ})
        EXPECT_EQ(Text(PixelAt(plain, at[0], at[1])), Text({200, 200, 200, 255}));
    options.FlatShading = true;
    const TRgbaPicture shaded = RenderScene(scene, camera, 120, 120, options);
    const int x = PixelAt(shaded, onX[0], onX[1])[0], y = PixelAt(shaded, onY[0], onY[1])[0];
    const int z = PixelAt(shaded, onZ[0], onZ[1])[0];
    // The light comes from above, the front and a little from the left.
    EXPECT_GT(z, x);
    EXPECT_GT(x, y);
    EXPECT_LT(z, 200);
    EXPECT_GT(y, 0);
}

TEST(Rasterizer, DamagedSceneDataIsSkippedOrDrawnPlain) {
    struct TCase {
        std::string Name;
        std::function<void(TScene&)> Damage;
        TPixel Want;
    };
    const TCase cases[] = {
        {"sound", [](TScene&) {}, {100, 100, 100, 255}},
        {"corner past the vertices",
         [](TScene& s) { s.Triangles[0].Corners[1] = 99; },
         {100, 100, 100, 255}}, // the other half of the square still covers it
        {"every corner past",
         [](TScene& s) {
             for (auto& t : s.Triangles)
                 t.Corners[2] = 1000;
         },
         kClear},
        {"texture past the list",
         [](TScene& s) {
             for (auto& t : s.Triangles)
                 t.Texture = 7;
         },
         {80, 80, 80, 255}}, // grey 160 at half light
        {"texture short of its size",
         [](TScene& s) { s.Textures[0].Rgba.pop_back(); },
         {80, 80, 80, 255}},
        {"lightmap past the list",
         [](TScene& s) {
             for (auto& t : s.Triangles)
                 t.Lightmap = 3;
         },
         {200, 200, 200, 255}}, // full light: the texture's own colour
        {"lightmap short of its size",
         [](TScene& s) { s.Lightmaps[0].Rgb.resize(5); },
         {200, 200, 200, 255}},
        {"corner not a number",
         [](TScene& s) {
             for (auto& v : s.Vertices)
                 v.At.Y = std::numeric_limits<float>::quiet_NaN();
         },
         kClear},
        {"texture coordinates out of range",
         [](TScene& s) {
             for (auto& v : s.Vertices)
                 v.S = 1e30f;
         },
         {100, 100, 100, 255}},
    };
    for (const TCase& c : cases) {
        TScene scene;
        const std::int32_t texture = AddTexture(scene, 1, 1, {{200, 200, 200, 255}});
        const std::int32_t lightmap = AddLightmap(scene, 1, 1, {64});
        AddSquare(scene, 0, -16, 16, texture, {0, 0, 1, 1}, lightmap);
        c.Damage(scene);
        const TRgbaPicture picture = RenderScene(scene, BoardCamera(), kBoard, kBoard);
        // In the square's lower-left triangle.
        EXPECT_EQ(Text(PixelAt(picture, 24, 36)), Text(c.Want)) << c.Name;
    }
    for (const auto& [width, height] : {std::pair{0, 10}, std::pair{10, -1}})
        EXPECT_THROW((void)RenderScene(TScene{}, BoardCamera(), width, height), TFailure);
}

TEST(Rasterizer, NeighbouringTrianglesLeaveNoCracks) {
    // A disc of thin triangles round a centre off the pixel grid: every
    // pixel centre clearly inside it is drawn.
    TScene scene;
    const int spokes = 37;
    const double pi = 3.14159265358979323846;
    scene.Vertices.push_back({{0, 0.3f, 0.7f}});
    for (int i = 0; i < spokes; ++i) {
        const double angle = 2 * pi * i / spokes;
        scene.Vertices.push_back({{0, static_cast<float>(0.3 + 28 * std::cos(angle)),
                                   static_cast<float>(0.7 + 28 * std::sin(angle))}});
    }
    for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(spokes); ++i)
        scene.Triangles.push_back(
            {{0, 1 + i, 1 + (i + 1) % static_cast<std::uint32_t>(spokes)}, -1, -1});
    TRenderOptions options;
    options.CullBackFaces = false;
    const TRgbaPicture picture = RenderScene(scene, BoardCamera(), kBoard, kBoard, options);
    int holes = 0;
    for (int y = 0; y < kBoard; ++y)
        for (int x = 0; x < kBoard; ++x) {
            const double dy = x + 0.5 - 32 - 0.3, dz = 32 - (y + 0.5) - 0.7;
            if (std::hypot(dy, dz) < 27)
                holes += PixelAt(picture, x, y)[3] == 0;
        }
    EXPECT_EQ(holes, 0);
}

// Rooms of lit, textured faces and a box seen from inside: enough triangles
// across enough rows to give every thread work.
TScene BusyScene() {
    TScene scene;
    const std::int32_t stone = AddTexture(scene, 4, 2,
                                          {{200, 10, 10, 255},
                                           {10, 200, 10, 255},
                                           {10, 10, 200, 255},
                                           {9, 9, 9, 0},
                                           {90, 90, 10, 255},
                                           {10, 90, 90, 255},
                                           {90, 10, 90, 255},
                                           {250, 250, 250, 255}});
    const std::int32_t odd =
        AddTexture(scene, 3, 1, {{1, 2, 3, 255}, {60, 70, 80, 255}, {255, 128, 0, 255}});
    std::uint8_t level = 40;
    for (int i = 0; i < 12; ++i)
        for (int j = 0; j < 12; ++j) {
            const std::int32_t lightmap =
                AddLightmap(scene, 2, 2, {level, static_cast<std::uint8_t>(level + 50), 200, 90});
            level = static_cast<std::uint8_t>(level + 13);
            const float y = -300 + 50.0f * static_cast<float>(i),
                        z = -300 + 50.0f * static_cast<float>(j);
            // A wall ahead and a floor below, facing the eye.
            AddFacing(scene,
                      {TCorner{{300, y, z}, 0, 0, 0, 0}, TCorner{{300, y + 50, z}, 37, 0, 1, 0},
                       TCorner{{300, y + 50, z + 50}, 37, 29, 1, 1},
                       TCorner{{300, y, z + 50}, 0, 29, 0, 1}},
                      {-1, 0, 0}, (i + j) % 2 == 0 ? stone : odd, lightmap);
            AddFacing(scene,
                      {TCorner{{y, z, -60}, 0, 0}, TCorner{{y + 50, z, -60}, 64, 0},
                       TCorner{{y + 50, z + 50, -60}, 64, 64}, TCorner{{y, z + 50, -60}, 0, 64}},
                      {0, 0, 1}, stone);
        }
    AddBox(scene, {80, -40, -50}, {140, 30, 20});
    FitBounds(scene);
    return scene;
}

TEST(Rasterizer, SameBytesEveryRunAndForAnyNumberOfThreads) {
    const TScene scene = BusyScene();
    TFly fly;
    fly.Eye = {-20, 10, 5};
    fly.Turn(8, 12);
    struct TCase {
        std::string Name;
        TCamera Camera;
        TWireframe Wireframe;
        bool FlatShading;
    };
    const TCase cases[] = {
        {"flying", fly.Camera(), TWireframe::Off, false},
        {"flying, overlay", fly.Camera(), TWireframe::Overlay, true},
        {"iso", IsoView(scene, 317, 203), TWireframe::Off, true},
        {"top, lines", TopView(scene, 317, 203), TWireframe::Lines, false},
    };
    for (const TCase& c : cases) {
        TRenderOptions options;
        options.Wireframe = c.Wireframe;
        options.FlatShading = c.FlatShading;
        options.Threads = 1;
        const TRgbaPicture one = RenderScene(scene, c.Camera, 317, 203, options);
        int drawn = 0;
        for (std::size_t i = 3; i < one.Pixels.size(); i += 4)
            drawn += one.Pixels[i] != 0;
        EXPECT_GT(drawn, 317 * 203 / 20) << c.Name; // an empty picture would prove nothing
        EXPECT_EQ(RenderScene(scene, c.Camera, 317, 203, options).Pixels, one.Pixels) << c.Name;
        // One rasterizer reused across sizes and thread counts.
        TRasterizer rasterizer;
        for (int threads : {2, 3, 0, 16}) {
            options.Threads = threads;
            TRgbaPicture other;
            other.Width = 50;
            other.Height = 40;
            rasterizer.Render(scene, c.Camera, options, other);
            other.Width = 317;
            other.Height = 203;
            rasterizer.Render(scene, c.Camera, options, other);
            EXPECT_EQ(other.Pixels, one.Pixels) << c.Name << ", " << threads << " threads";
        }
    }
}

TEST(Rasterizer, DrawsIntoTheCallersRowsLeavingThePaddingAlone) {
    const TScene scene = BusyScene();
    const TCamera camera = IsoView(scene, 40, 30);
    const TRgbaPicture whole = RenderScene(scene, camera, 40, 30);
    const std::ptrdiff_t stride = 40 * 4 + 12;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(stride) * 30, 0xAB);
    TRasterizer rasterizer;
    rasterizer.Render(scene, camera, {}, TPixelTarget{pixels.data(), 40, 30, stride});
    for (std::size_t y = 0; y < 30; ++y) {
        const auto row = pixels.begin() + static_cast<std::ptrdiff_t>(y) * stride;
        EXPECT_TRUE(
            std::equal(row, row + 160, whole.Pixels.begin() + static_cast<std::ptrdiff_t>(y) * 160))
            << y;
        EXPECT_TRUE(std::all_of(row + 160, row + stride, [](std::uint8_t b) { return b == 0xAB; }))
            << y;
    }
}

} // namespace
} // namespace zorvak
