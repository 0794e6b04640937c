#include "formats/EntryKind.h"
#include "FormatImages.h"
#include "formats/EntryParts.h"
#include "formats/Png.h"
#include "framework/Failures.h"

#include <gtest/gtest.h>

namespace zorvak {
namespace {

using test::Bytes;

Bytes Tagged(const std::string& tag) {
    Bytes out(tag.begin(), tag.end());
    out.resize(200);
    return out;
}

TEST(EntryKind, ByNameSignatureAndExtension) {
    Bytes bsp(200);
    bsp[0] = 29;
    const Bytes wave = test::MakeRiffWave({});
    struct TCase {
        const char* Name;
        Bytes Entry;
        TEntryKind Kind;
    };
    const TCase cases[] = {
        {"GFX/Palette.LMP", {}, TEntryKind::ekPalette},
        {"gfx/colormap.lmp", {}, TEntryKind::ekColormap},
        {"gfx/conback.lmp", {}, TEntryKind::ekLmpPicture},
        {"palette.lmp", {}, TEntryKind::ekLmpPicture}, // only the one under gfx/
        {"gfx.wad", {}, TEntryKind::ekWad2},
        {"textures/base.WAD", {}, TEntryKind::ekWad2},
        {"maps/e1m1.bsp", {}, TEntryKind::ekBsp},
        {"maps/e1m1.BSP.bak", bsp, TEntryKind::ekUnknown},
        {"maps/e1m1", bsp, TEntryKind::ekBsp},
        {"maps/large", Tagged("BSP2"), TEntryKind::ekBsp},
        {"maps/older", Tagged("2PSB"), TEntryKind::ekBsp},
        {"maps/other", Tagged("BSP1"), TEntryKind::ekUnknown},
        {"progs/player.mdl", {}, TEntryKind::ekModel},
        {"progs/renamed", Tagged("IDPO"), TEntryKind::ekModel},
        {"progs/s_light.spr", {}, TEntryKind::ekSprite},
        {"progs/looks.txt", Tagged("IDSP"), TEntryKind::ekSprite},
        {"sprites/halflife.dat", test::SprHalfLifeHeader(0, 3).Out, TEntryKind::ekSprite},
        {"maps/base1.bsp", test::MakeQuake2Map({}), TEntryKind::ekQuake2Map},
        {"maps/base1.txt", test::MakeQuake2Map({}), TEntryKind::ekQuake2Map},
        {"maps/q3dm1.bsp", Bytes{'I', 'B', 'S', 'P', 46, 0, 0, 0}, TEntryKind::ekBsp},
        {"maps/q3dm1", Bytes{'I', 'B', 'S', 'P', 46, 0, 0, 0}, TEntryKind::ekUnknown},
        {"pics/a.wav", Tagged("WAD2"), TEntryKind::ekWad2},
        // A signature wins over every name: the palette's, gfx.wad's, an extension.
        {"gfx/palette.lmp", Tagged("IDSP"), TEntryKind::ekSprite},
        {"gfx.wad", Tagged("IDPO"), TEntryKind::ekModel},
        {"halflife.pcx", Tagged("WAD3"), TEntryKind::ekWad2},
        {"maps/large.dat", Tagged("BSP2"), TEntryKind::ekBsp},
        {"maps/older.wal", Tagged("2PSB"), TEntryKind::ekBsp},
        {"sound/x.txt", wave, TEntryKind::ekWave},
        {"x.tga", Bytes{0xFF, 0xD8, 0xFF, 0xE0}, TEntryKind::ekImage},
        {"x.dat", Bytes{0xFF, 0xD8, 0xFE}, TEntryKind::ekUnknown}, // a marker must follow
        {"sound/misc/null", wave, TEntryKind::ekWave},
        {"sound/misc/NULL.WAV", {}, TEntryKind::ekWave},
        {"gfx/env/sky.tga", {}, TEntryKind::ekTga},
        {"textures/e1u1/floor.WAL", {}, TEntryKind::ekWal},
        {"models/tank/tris.md2", {}, TEntryKind::ekMd2},
        {"models/renamed.mdl", Tagged("IDP2"), TEntryKind::ekMd2},
        {"sprites/s_bubble.sp2", {}, TEntryKind::ekSp2},
        {"sprites/renamed.spr", Tagged("IDS2"), TEntryKind::ekSp2},
        {"x.jpeg", {}, TEntryKind::ekImage},
        {"x.dat", Bytes(std::begin(kPngSignature), std::end(kPngSignature)), TEntryKind::ekImage},
        {"pics/title.pcx", {}, TEntryKind::ekPcx},
        {"autoexec.cfg", {}, TEntryKind::ekText},
        {"quake.rc", {}, TEntryKind::ekText},
        {"scripts/sky.SHADER", {}, TEntryKind::ekText},
        {"maps/e1m1.ent", {}, TEntryKind::ekText},
        {"progs.dat", {}, TEntryKind::ekUnknown},
        {"noextension", Bytes{29, 0, 0, 0}, TEntryKind::ekUnknown}, // too short for a map
    };
    for (const TCase& c : cases)
        EXPECT_EQ(ClassifyEntry(c.Name, c.Entry), c.Kind) << c.Name;
}

TEST(EntryKind, DescriptionsAreWhatInfoPrints) {
    const Bytes wad =
        test::MakeWad2({{"NUM_1", 0x42, test::MakeLmp(2, 3, Bytes(6))},
                        {"sky1", 0x44, test::MakeMipTexture("sky1", 16, 32, Bytes(512))},
                        {"broken", 0x42, test::MakeLmp(9, 9, Bytes(1))},
                        {"noise", 0x43, Bytes(5)}});
    const Bytes bsp = test::MakeBsp({test::MakeMipTexture("*lava1", 16, 16, Bytes(256)), {}});
    // Known by its signature alone, with no extension.
    Bytes bsp2 = bsp;
    std::copy_n("BSP2", 4, bsp2.begin());
    const Bytes wave =
        test::MakeRiffWave({test::FormatChunk(1, 1, 11025, 8), test::Chunk("data", Bytes(22050)),
                            test::CueChunk(2205), test::MarkChunk(100)});
    test::TBytesWriter mdl = test::MdlHeader(1, 8, 8, 0, 0, 1);
    mdl.I32(0).Zeros(64).I32(0).Raw(test::MdlFrame("idle", 0));
    test::TBytesWriter spr = test::SprHeader(1);
    spr.I32(1)
        .I32(2)
        .U32(0)
        .U32(0)
        .Raw(test::SprPicture(1, 2, {1, 2}))
        .Raw(test::SprPicture(3, 1, {1, 2, 3}));
    struct TCase {
        const char* Name;
        Bytes Entry;
        std::vector<std::string> Lines;
    };
    const TCase cases[] = {
        {"gfx/palette.lmp", Bytes(768), {"Palette, 256 colours"}},
        {"gfx/colormap.lmp", Bytes(16385), {"Light table, 256 colours x 64 light levels"}},
        {"gfx/ranking.lmp", test::MakeLmp(2, 2, Bytes(4)), {"Picture, 2 x 2"}},
        {"gfx.wad",
         wad,
         {"Picture container (WAD2), 4 lumps", "  NUM_1: picture, 2 x 3",
          "  sky1: texture, 16 x 32",
          "  broken: picture, cannot read: Picture pixels run past the end of the entry",
          "  noise: other, type 0x43, 5 bytes"}},
        {"maps/start.bsp",
         bsp,
         {"Map, version 29, 2 textures", "  0: *lava1, 16 x 16", "  1: (missing)"}},
        {"maps/large", bsp2, {"Map, BSP2, 2 textures", "  0: *lava1, 16 x 16", "  1: (missing)"}},
        {"models/tank/tris.md2",
         test::MakeMd2({"models/tank/skin.pcx"}, {"stand01", "stand02"}),
         {"Quake II model, 1 skin of 256 x 128, 3 vertices, 1 triangle, 2 frames",
          "  skin 0: models/tank/skin.pcx", "  frame 0: stand01", "  frame 1: stand02"}},
        {"sprites/s_bubble.sp2",
         test::MakeSp2({{"sprites/s_bubble.pcx", 16}}),
         {"Quake II sprite, 1 frame", "  frame 0: sprites/s_bubble.pcx, 16 x 16"}},
        {"textures/e1u1/water.wal",
         test::MakeWal("e1u1/water1", 8, 8, Bytes(64), "e1u1/water2"),
         {"Quake II texture, e1u1/water1, 8 x 8, next frame e1u1/water2"}},
        {"progs/m.mdl",
         mdl.Out,
         {"Model, 1 skin of 8 x 8, 0 vertices, 0 triangles, 1 frame", "  frame 0: idle"}},
        {"progs/s.spr",
         spr.Out,
         {"Sprite, 1 frame, up to 4 x 3", "  frame 0: group of 2 pictures, 1 x 2, 3 x 1"}},
        {"sound/ambience/drip.wav",
         wave,
         {"Sound, PCM, 1 channel, 11025 Hz, 8-bit, 2.00 s (22050 frames)",
          "  loops from frame 2205 (0.20 s) for 100 frames",
          "  samples at offset 44, 22050 bytes"}},
        {"autoexec.cfg", Bytes{'b', 'i', 'n', 'd', '\n', 'x'}, {"Text, 2 lines, 6 bytes"}},
        {"gfx/env/sky.tga",
         Bytes{0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 24, 0, 0x81, 1, 2, 3},
         {"TGA picture, 2 x 1, 24-bit true-colour, run-length coded"}},
        {"gfx/env/cut.tga",
         Bytes(18),
         {"TGA picture", "Cannot read: TGA image type 0 is not supported"}},
        {"progs.dat", Bytes(1), {"Unknown kind, 1 byte"}},
        {"pics/photo.dat", Bytes{0xFF, 0xD8, 0xFF, 0xDB}, {"JPEG picture, 4 bytes"}},
        {"halflife.wad", test::MakeWad2({}), {"Picture container (WAD2), 0 lumps"}},
        {"halflife.wad",
         Bytes{'W', 'A', 'D', '3', 0, 0, 0, 0, 12, 0, 0, 0},
         {"Picture container (WAD3), 0 lumps"}},
        {"maps/bad.bsp", Bytes(10), {"Map", "Cannot read: Map header is cut short"}},
        // Quake II's names its textures, kept as entries of their own.
        {"maps/base1.bsp",
         test::MakeQuake2Map({"e1u1/floor", "sky", "E1U1/Floor"}),
         {"Quake II map, 2 textures", "  0: e1u1/floor", "  1: sky"}},
        {"maps/q3dm1.bsp",
         [] {
             Bytes map = test::MakeQuake2Map({});
             map[4] = 46;
             return map;
         }(),
         {"Map", "Cannot read: Not a version 29 map (IBSP version 46)"}},
        {"gfx/huge.lmp",
         test::MakeLmp(60000, 60000, {}),
         {"Picture", "Cannot read: Picture size 60000 x 60000 is too large"}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(DescribeEntry(c.Name, c.Entry), c.Lines) << c.Name;
}

// Each list stops at the cap, with a line that counts the rest; a sprite's
// pictures are counted against the cap together.
TEST(EntryKind, LongListsInDescriptionsAreCutWithALineForTheRest) {
    test::TBytesWriter model = test::MdlHeader(10002, 1, 1, 0, 0, 10001);
    for (int i = 0; i < 10002; ++i)
        model.I32(1).I32(0);
    for (int i = 0; i < 10001; ++i)
        model.I32(0).Raw(test::MdlFrame("f" + std::to_string(i), 0));
    test::TBytesWriter sprite = test::SprHeader(2);
    sprite.I32(1).I32(10005).Zeros(4 * 10005);
    for (int i = 0; i < 10005; ++i)
        sprite.Raw(test::SprPicture(1, 1, {1}));
    sprite.I32(0).Raw(test::SprPicture(1, 1, {1}));
    struct TCase {
        const char* Name;
        Bytes Entry;
        std::size_t Lines;
        std::size_t At; // a line to look at, and what it says
        std::string Says;
        std::string Last;
    };
    const TCase cases[] = {
        {"gfx.wad", test::MakeWad2Naming(10003, "p", 0x42, test::MakeLmp(1, 1, {1})), 10002, 10000,
         "  p9999: picture, 1 x 1", "  and 3 more lumps"},
        {"a.bsp", test::MakeBspNaming(10001, test::MakeMipTexture("t", 1, 1, {1})), 10002, 10000,
         "  9999: t, 1 x 1", "  and 1 more texture"},
        {"a.mdl", model.Out, 20003, 10001, "  and 2 more skin groups", "  and 1 more frame"},
        {"a.spr", sprite.Out, 3, 0, "Sprite, 2 frames, up to 4 x 3", "  and 1 more frame"},
        {"q2.bsp",
         [] {
             std::vector<std::string> names;
             for (int i = 0; i < 10003; ++i)
                 names.push_back("t" + std::to_string(i));
             return test::MakeQuake2Map(names);
         }(),
         10002, 10000, "  9999: t9999", "  and 3 more textures"},
    };
    for (const TCase& c : cases) {
        const std::vector<std::string> lines = DescribeEntry(c.Name, c.Entry);
        ASSERT_EQ(lines.size(), c.Lines) << c.Name << ": " << lines.back();
        EXPECT_EQ(lines[c.At], c.Says) << c.Name;
        EXPECT_EQ(lines.back(), c.Last) << c.Name;
        // Asked to stop, a description ends long before its lists do.
        EXPECT_LT(DescribeEntry(c.Name, c.Entry, [] { return true; }).size(), 2048u) << c.Name;
    }
    const std::vector<std::string> group = DescribeEntry("a.spr", sprite.Out);
    EXPECT_TRUE(group[1].starts_with("  frame 0: group of 10005 pictures, 1 x 1, 1 x 1"));
    EXPECT_TRUE(group[1].ends_with(", 1 x 1, and 5 more")) << group[1].substr(group[1].size() - 40);
}

// Every part of an entry decoded, by its name; what cannot be is listed as
// "NAME: MESSAGE".
struct TDecoded {
    std::vector<std::pair<std::string, TRgbaPicture>> Pictures;
    std::vector<std::string> Problems;
};

TDecoded DecodeAll(const char* name, const Bytes& bytes, const TPalette& palette) {
    TDecoded out;
    const TEntryParts parts = ListEntryParts(ClassifyEntry(name, bytes), name, bytes);
    for (const TEntryPart& part : parts.Parts) {
        try {
            out.Pictures.emplace_back(part.Name, DecodePart(bytes, part, palette));
        } catch (const TFailure& failure) {
            out.Problems.push_back(part.Name + ": " + failure.what());
        }
    }
    return out;
}

TEST(EntryKind, PicturesApplyEachKindsTransparency) {
    TPalette palette = GreyPalette();
    palette.Colours[255] = {9, 9, 9};
    Bytes font(128 * 128, 255);
    font[0] = 0;
    const Bytes wad =
        test::MakeWad2({{"pic", 0x42, test::MakeLmp(1, 2, {255, 0})},
                        {"tex", 0x44, test::MakeMipTexture("tex", 16, 16, Bytes(256, 255))},
                        {"conchars", 0x44, font},
                        {"bad", 0x44, Bytes(10)}});
    const TDecoded pictures = DecodeAll("gfx.wad", wad, palette);
    ASSERT_EQ(pictures.Pictures.size(), 3u);
    EXPECT_EQ(pictures.Problems, std::vector<std::string>{"bad: Texture header is cut short"});
    struct TCase {
        const char* Name;
        std::size_t Pixel;
        std::vector<unsigned char> Rgba;
    };
    const TCase cases[] = {
        {"pic", 0, {9, 9, 9, 0}},      {"pic", 1, {0, 0, 0, 255}},      {"tex", 0, {9, 9, 9, 255}},
        {"conchars", 0, {0, 0, 0, 0}}, {"conchars", 1, {9, 9, 9, 255}},
    };
    for (const TCase& c : cases) {
        const auto it = std::find_if(pictures.Pictures.begin(), pictures.Pictures.end(),
                                     [&](const auto& p) { return p.first == c.Name; });
        ASSERT_NE(it, pictures.Pictures.end()) << c.Name;
        const auto at = it->second.Pixels.begin() + static_cast<std::ptrdiff_t>(4 * c.Pixel);
        EXPECT_EQ(std::vector<unsigned char>(at, at + 4), c.Rgba) << c.Name << " " << c.Pixel;
    }
    // A sprite's 255 is see-through too; a model skin's is not.
    test::TBytesWriter spr = test::SprHeader(1);
    spr.I32(0).Raw(test::SprPicture(1, 1, {255}));
    test::TBytesWriter mdl = test::MdlHeader(1, 1, 1, 0, 0, 0);
    mdl.I32(0).U8(255);
    EXPECT_EQ(DecodeAll("s.spr", spr.Out, palette).Pictures.at(0).second.Pixels[3], 0);
    EXPECT_EQ(DecodeAll("m.mdl", mdl.Out, palette).Pictures.at(0).second.Pixels[3], 255);
    // A palette shows its own colours whatever palette is passed.
    Bytes own(768, 0);
    own[3 * 7] = 200;
    const auto swatch = DecodeAll("gfx/palette.lmp", own, palette).Pictures.at(0).second;
    EXPECT_EQ(swatch.Width, 16);
    EXPECT_EQ(swatch.Pixels[4 * 7], 200);
}

} // namespace
} // namespace zorvak
