// zorvak-pak render: pictures of a cube model and a room map built from
// their byte layouts, each side its own colour, looked at as a user would:
// which side shows where, and what is refused.
#include "cli/PakTool.h"
#include "formats/MeshImages.h"
#include "formats/PngCheck.h"
#include "support/PakImage.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>

namespace zorvak {
namespace {

using test::Bytes;
using test::CubeModel;
using test::MapIndex;
using test::ModelIndex;
using test::RoomMap;
using test::WriteFile;

// The archive's palette: index i is (i, 255 - i, i / 2).
TRgb Colour(unsigned char i) {
    return {i, static_cast<unsigned char>(255 - i), static_cast<unsigned char>(i / 2)};
}

std::string Text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

struct TPicture {
    int Status = 0;
    std::string Err;
    TRgbaPicture Rgba;
};

TPicture Render(std::vector<std::string> args) {
    std::ostringstream out, err;
    args.insert(args.end(), {"-o", "-"});
    TPicture p;
    p.Status = RunPakTool(args, out, err, false);
    p.Err = err.str();
    const std::string png = out.str();
    test::TPngRead read;
    if (p.Status == kExitOk && test::PngFault(Bytes(png.begin(), png.end()), read).empty())
        p.Rgba = read.Rgba;
    return p;
}

// The colour at (x, y), as RGBA.
std::array<unsigned char, 4> At(const TRgbaPicture& p, int x, int y) {
    const auto i = 4 * (static_cast<std::size_t>(y) * static_cast<std::size_t>(p.Width) +
                        static_cast<std::size_t>(x));
    return {p.Pixels[i], p.Pixels[i + 1], p.Pixels[i + 2], p.Pixels[i + 3]};
}
std::array<unsigned char, 4> Opaque(TRgb c) {
    return {c.R, c.G, c.B, 255};
}

TEST(RenderCommand, DrawsEachViewOfAModelAndAMap) {
    test::TTempDir dir;
    Bytes palette;
    for (int i = 0; i < 256; ++i) {
        const TRgb c = Colour(static_cast<unsigned char>(i));
        palette.insert(palette.end(), {c.R, c.G, c.B});
    }
    const auto pak = (dir / "a.pak").string();
    WriteFile(pak, BuildPakImage({{"gfx/palette.lmp", Text(palette)},
                                  {"progs/cube.mdl", Text(CubeModel())},
                                  {"maps/east.bsp", Text(RoomMap(0))},
                                  {"maps/north.bsp", Text(RoomMap(90))},
                                  {"sound/a.wav", "RIFF"}}));
    const std::array<unsigned char, 4> clear{0, 0, 0, 0};
    const struct {
        std::vector<std::string> Args;
        std::array<unsigned char, 4> Centre; // what the middle of the picture shows
        std::array<unsigned char, 4> Corner; // and its top left corner
    } cases[] = {
        // The model's +X side faces a front view, +Y a side view, +Z a top
        // one, on a see-through background.
        {{"render", pak, "progs/cube.mdl", "--view", "front"},
         Opaque(Colour(ModelIndex(0))),
         clear},
        {{"render", pak, "progs/cube.mdl", "--view", "side"}, Opaque(Colour(ModelIndex(2))), clear},
        {{"render", pak, "progs/cube.mdl", "--view", "top"}, Opaque(Colour(ModelIndex(4))), clear},
        // A map from its start: the wall ahead, whichever way it faces.
        {{"render", pak, "maps/east.bsp"},
         Opaque(Colour(MapIndex(0))),
         Opaque(Colour(MapIndex(0)))},
        {{"render", pak, "maps/north.bsp", "--size", "64x48"},
         Opaque(Colour(MapIndex(2))),
         Opaque(Colour(MapIndex(2)))},
        // From above, the room's floor shows through its ceiling's back.
        {{"render", pak, "maps/east.bsp", "--view", "top"}, Opaque(Colour(MapIndex(5))), clear},
    };
    for (const auto& c : cases) {
        const TPicture p = Render(c.Args);
        const std::string shown = ::testing::PrintToString(c.Args);
        ASSERT_EQ(p.Status, kExitOk) << shown << p.Err;
        ASSERT_GT(p.Rgba.Width, 0) << shown;
        EXPECT_EQ(At(p.Rgba, p.Rgba.Width / 2, p.Rgba.Height / 2), c.Centre) << shown;
        EXPECT_EQ(At(p.Rgba, 0, 0), c.Corner) << shown;
    }
    // The default size, and the flattened frame drawn differently: fitted
    // to its bounds, it is wider than tall from the front.
    const TPicture tall = Render({"render", pak, "progs/cube.mdl", "--view", "front"});
    const TPicture flat =
        Render({"render", pak, "progs/cube.mdl", "--view", "front", "--frame", "1"});
    EXPECT_EQ(tall.Rgba.Width, 512);
    EXPECT_EQ(tall.Rgba.Height, 512);
    EXPECT_NE(tall.Rgba.Pixels, flat.Rgba.Pixels);
    EXPECT_EQ(At(flat.Rgba, 256, 100), clear);
    EXPECT_EQ(At(tall.Rgba, 256, 100), Opaque(Colour(ModelIndex(0))));
    // The same picture every run.
    EXPECT_EQ(Render({"render", pak, "progs/cube.mdl"}).Rgba.Pixels,
              Render({"render", pak, "progs/cube.mdl"}).Rgba.Pixels);
}

TEST(RenderCommand, RefusesWhatIsNoModelOrMap) {
    test::TTempDir dir;
    Bytes cut = CubeModel();
    cut.resize(cut.size() - 20);
    const auto pak = (dir / "a.pak").string();
    WriteFile(pak, BuildPakImage({{"progs/cube.mdl", Text(CubeModel())},
                                  {"progs/cut.mdl", Text(cut)},
                                  {"sound/a.wav", "RIFF"}}));
    const struct {
        std::vector<std::string> Args;
        int Status;
        const char* Says;
    } cases[] = {
        {{"render", pak, "sound/a.wav"}, kExitProblems, "sound/a.wav: it is "},
        {{"render", pak, "gone.mdl"}, kExitProblems, "gone.mdl: no such entry"},
        {{"render", pak, "progs/cut.mdl"}, kExitProblems, "progs/cut.mdl: "},
        {{"render", pak, "progs/cube.mdl", "--frame", "2"}, kExitProblems, "frame 2"},
        {{"render", pak, "progs/cube.mdl", "--skin", "1"}, kExitProblems, "skin 1"},
        {{"render", pak, "progs/cube.mdl", "--size", "0x10"}, kExitUnusable, "--size takes WxH"},
        {{"render", pak, "progs/cube.mdl", "--size", "9000x10"}, kExitUnusable, "--size takes WxH"},
        {{"render", pak, "progs/cube.mdl", "--size", "64"}, kExitUnusable, "--size takes WxH"},
        {{"render", pak, "progs/cube.mdl", "--frame", "-1"}, kExitUnusable, "--frame takes"},
        {{"render", pak, "progs/cube.mdl", "--view", "back"}, kExitUnusable, "--view takes"},
        {{"render", pak, "progs/cube.mdl", "-o", pak}, kExitProblems, "is the archive"},
    };
    for (const auto& c : cases) {
        std::ostringstream out, err;
        std::vector<std::string> args = c.Args;
        if (std::find(args.begin(), args.end(), "-o") == args.end())
            args.insert(args.end(), {"-o", (dir / "out.png").string()});
        const int status = RunPakTool(args, out, err, false);
        EXPECT_EQ(status, c.Status) << ::testing::PrintToString(args) << err.str();
        EXPECT_THAT(err.str(), ::testing::HasSubstr(c.Says)) << ::testing::PrintToString(args);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "out.png"));
}

} // namespace
} // namespace zorvak
