// The picture container and maps' textures: both hold mip textures.
#include "FormatImages.h"
#include "formats/Bsp.h"
#include "formats/EntryKind.h"
#include "formats/EntryParts.h"
#include "formats/Md2.h"
#include "formats/Quake2Map.h"
#include "formats/Spr.h"
#include "formats/Wad2.h"
#include "formats/Wal.h"
#include "support/FailureOf.h"

#include <functional>
#include <gtest/gtest.h>

namespace zorvak {
namespace {

using test::Bytes;
using test::FailureOf;
using test::TBytesWriter;

Bytes Ramp(std::size_t n, unsigned start = 0) {
    Bytes out(n);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<unsigned char>(start + i);
    return out;
}

Bytes GfxWad() {
    return test::MakeWad2({
        {"NUM_0", 0x42, test::MakeLmp(3, 2, {1, 2, 3, 4, 5, 255})},
        {"brick", 0x44, test::MakeMipTexture("brick", 16, 16, Ramp(256))},
        {"PALETTE", 0x40, Ramp(768)},
        {"CONCHARS", 0x44, Ramp(128 * 128, 7)}, // the real one says texture too
        {"sound", 0x43, Bytes{1, 2, 3}},
    });
}

TEST(Wad2, ListsLumpsAndDecodesEachKind) {
    const Bytes wad = GfxWad();
    const std::vector<TWadLump> lumps = ReadWadDirectory(wad);
    ASSERT_EQ(lumps.size(), 5u);
    struct TCase {
        TWadLumpKind Kind;
        int Width, Height;
        int Transparent;
    };
    const TCase expected[] = {
        {TWadLumpKind::wlkStatusPicture, 3, 2, 255}, {TWadLumpKind::wlkMipTexture, 16, 16, kOpaque},
        {TWadLumpKind::wlkPalette, 16, 16, kOpaque}, {TWadLumpKind::wlkConsoleFont, 128, 128, 0},
        {TWadLumpKind::wlkOther, 0, 0, kOpaque},
    };
    for (std::size_t i = 0; i < lumps.size(); ++i) {
        SCOPED_TRACE(lumps[i].Name);
        EXPECT_EQ(KindOfLump(lumps[i]), expected[i].Kind);
        EXPECT_EQ(TransparentIndexOf(KindOfLump(lumps[i])), expected[i].Transparent);
        if (expected[i].Kind == TWadLumpKind::wlkOther) {
            EXPECT_EQ(FailureOf([&] { ReadWadPicture(wad, lumps[i]); }),
                      "Lump sound is not a picture");
            continue;
        }
        const TIndexedPicture picture = ReadWadPicture(wad, lumps[i]);
        EXPECT_EQ(picture.Width, expected[i].Width);
        EXPECT_EQ(picture.Height, expected[i].Height);
    }
    EXPECT_EQ(ReadWadPicture(wad, lumps[0]).Pixels, (Bytes{1, 2, 3, 4, 5, 255}));
    EXPECT_EQ(ReadWadPicture(wad, lumps[1]).Pixels, Ramp(256));

    // Character 17 is the second row's second cell: rows 8..15, columns 8..15.
    const TIndexedPicture font = ReadWadPicture(wad, lumps[3]);
    const TIndexedPicture glyph = ConsoleCharacter(font, 17);
    ASSERT_EQ(glyph.Pixels.size(), 64u);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(glyph.Pixels[static_cast<std::size_t>(y * 8 + x)],
                      static_cast<unsigned char>(7 + (8 + y) * 128 + 8 + x));
}

TEST(Wad2, HostileContainersFailWithAMessage) {
    auto patched = [](std::size_t at, std::int32_t value) {
        Bytes wad = GfxWad();
        for (int i = 0; i < 4; ++i)
            wad[at + static_cast<std::size_t>(i)] =
                static_cast<unsigned char>(static_cast<std::uint32_t>(value) >> (8 * i));
        return wad;
    };
    const std::size_t directory = GfxWad().size() - 5 * kWadDirEntryBytes;
    auto picture = [](const Bytes& wad, std::size_t lump) {
        return [wad, lump] { ReadWadPicture(wad, ReadWadDirectory(wad).at(lump)); };
    };
    auto texture = [](std::uint32_t width, std::uint32_t height) {
        const Bytes wad =
            test::MakeWad2({{"big", 0x44, test::MakeMipTexture("big", width, height, {})}});
        return [wad] { ReadWadPicture(wad, ReadWadDirectory(wad).at(0)); };
    };
    Bytes compressed = GfxWad();
    compressed[directory + 13] = 1;
    struct TCase {
        const char* Name;
        std::function<void()> Read;
        std::string Failure;
    };
    const TCase cases[] = {
        {"magic",
         [] {
             ReadWadDirectory(Bytes{'W', 'A', 'D', '4', 0, 0, 0, 0, 0, 0, 0, 0});
         },
         "Not a WAD2 file"},
        {"a WAD3's count past the end",
         [] {
             ReadWadDirectory(Bytes{'W', 'A', 'D', '3', 1, 0, 0, 0, 12, 0, 0, 0});
         },
         "WAD3 lump count 1 runs past the end of the entry"},
        {"count past the end", [&] { ReadWadDirectory(patched(4, 6)); },
         "WAD2 lump count 6 runs past the end of the entry"},
        {"huge count", [&] { ReadWadDirectory(patched(4, 0x7FFFFFFF)); },
         "WAD2 lump count 2147483647 runs past the end of the entry"},
        {"negative count", [&] { ReadWadDirectory(patched(4, -1)); },
         "WAD2 lump count -1 is not valid"},
        {"directory outside", [&] { ReadWadDirectory(patched(8, 1 << 30)); },
         "WAD2 directory lies outside the entry"},
        {"lump outside", picture(patched(directory, 0x7FFFFFF0), 0),
         "Lump NUM_0 lies outside the entry"},
        {"lump size past the end", picture(patched(directory + 4, -1), 0),
         "Lump NUM_0 lies outside the entry"},
        {"compressed", picture(compressed, 0), "Lump NUM_0 is compressed"},
        {"texture pixels outside", picture(patched(directory + 32 + 4, 41), 1),
         "Pixel data of texture brick lies outside the entry"},
        {"texture too large", texture(60000, 60000), "Picture size 60000 x 60000 is too large"},
        {"texture overflowing 32 bits", texture(0x10000, 0x10000),
         "Picture size 65536 x 65536 is too large"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(FailureOf(c.Read), c.Failure) << c.Name;
}

void ExpectTheThreeTextures(const Bytes& bsp, const TBspInfo& info) {
    ASSERT_EQ(info.Textures.size(), 3u);
    EXPECT_EQ(info.Textures[0].Name, "*water1");
    EXPECT_EQ(info.Textures[0].Width, 16u);
    EXPECT_TRUE(info.Textures[1].Missing);
    EXPECT_EQ(info.Textures[2].Name, "+0button");
    EXPECT_EQ(info.Textures[2].Width, 32u);
    EXPECT_EQ(info.Textures[2].Height, 16u);
    EXPECT_EQ(ReadBspTexture(bsp, info, 0).Pixels, Ramp(256, 3));
    const TIndexedPicture button = ReadBspTexture(bsp, info, 2);
    EXPECT_EQ(button.Width, 32);
    EXPECT_EQ(button.Pixels, Ramp(512, 9));
    EXPECT_EQ(FailureOf([&] { ReadBspTexture(bsp, info, 1); }),
              "Texture 1 is missing from the map");
}

TEST(Bsp, ListsTexturesAndMarksTheMissing) {
    const Bytes version29 = test::MakeBsp({test::MakeMipTexture("*water1", 16, 16, Ramp(256, 3)),
                                           {},
                                           test::MakeMipTexture("+0button", 32, 16, Ramp(512, 9))});
    // The large maps' variants keep version 29's textures lump.
    for (const char* variant : {"", "BSP2", "2PSB"}) {
        Bytes bsp = version29;
        if (*variant != '\0')
            std::copy(variant, variant + 4, bsp.begin());
        const TBspInfo info = ReadBspInfo(bsp);
        EXPECT_EQ(info.Variant, *variant != '\0' ? variant : "version 29");
        ExpectTheThreeTextures(bsp, info);
    }
}

TEST(Bsp, HostileMapsFailWithAMessage) {
    const Bytes good = test::MakeBsp({test::MakeMipTexture("wall", 16, 16, Ramp(256))});
    auto patched = [&](std::size_t at, std::int32_t value) {
        Bytes bsp = good;
        for (int i = 0; i < 4; ++i)
            bsp[at + static_cast<std::size_t>(i)] =
                static_cast<unsigned char>(static_cast<std::uint32_t>(value) >> (8 * i));
        return bsp;
    };
    auto texture = [](const Bytes& bsp) {
        return [bsp] { ReadBspTexture(bsp, ReadBspInfo(bsp), 0); };
    };
    const std::size_t lump = kBspHeaderBytes; // where the textures lump starts
    struct TCase {
        const char* Name;
        std::function<void()> Read;
        std::string Failure;
    };
    const TCase cases[] = {
        {"version", [&] { ReadBspInfo(patched(0, 31)); }, "Not a version 29 map (version 31)"},
        {"another variant's signature", [&] { ReadBspInfo(patched(0, 0x31505342)); },
         "Not a version 29 map (version 827347778)"},
        {"short", [&] { ReadBspInfo(Bytes(good.begin(), good.begin() + 100)); },
         "Map header is cut short"},
        {"lump outside", [&] { ReadBspInfo(patched(4 + 8 * 7, 0x7FFFFFFF)); },
         "Map lump faces lies outside the entry"},
        {"lump length wraps", [&] { ReadBspInfo(patched(4 + 8 * 2 + 4, -1)); },
         "Map lump textures lies outside the entry"},
        {"texture count", [&] { ReadBspInfo(patched(lump, 1000)); },
         "Texture count 1000 runs past the end of the textures lump"},
        {"negative texture count", [&] { ReadBspInfo(patched(lump, -5)); },
         "Texture count -5 runs past the end of the textures lump"},
        // Every slot may name one texture: a count is bounded apart from the bytes.
        {"more textures than a map holds",
         [&] { ReadBspInfo(test::MakeBsp(std::vector<Bytes>(kBspMaxTextures + 1))); },
         "Texture count 65537 is more than a map holds"},
        {"texture offset", [&] { ReadBspInfo(patched(lump + 4, 1000)); },
         "Texture 0 lies outside the textures lump"},
        {"pixels outside", texture(patched(lump + 8 + 24, 1000)),
         "Pixel data of texture wall lies outside the entry"},
        {"pixels elsewhere", texture(patched(lump + 8 + 24, 0)),
         "Texture wall keeps its pixels elsewhere"},
        {"too large", texture(patched(lump + 8 + 16, 0x7FFFFFFF)),
         "Picture size 2147483647 x 16 is too large"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(FailureOf(c.Read), c.Failure) << c.Name;
    EXPECT_EQ(ReadBspInfo(test::MakeBsp(std::vector<Bytes>(kBspMaxTextures))).Textures.size(),
              static_cast<std::size_t>(kBspMaxTextures));
}

TEST(Wal, ReadsTheFullLevelAndRefusesWhatIsNotThere) {
    const Bytes good = test::MakeWal("e1u1/floor1_3", 2, 2, {1, 2, 3, 4}, "e1u1/floor1_4");
    const TWalHeader header = ReadWalHeader(good);
    EXPECT_EQ(header.Name, "e1u1/floor1_3");
    EXPECT_EQ(header.NextFrame, "e1u1/floor1_4");
    EXPECT_EQ(ReadWal(good).Pixels, (Bytes{1, 2, 3, 4}));
    const auto patched = [&](std::size_t at, std::uint32_t value) {
        Bytes wal = good;
        for (int i = 0; i < 4; ++i)
            wal[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
        return wal;
    };
    const struct {
        const char* What;
        Bytes Wal;
        std::string Failure;
    } cases[] = {
        {"header cut short", Bytes(good.begin(), good.begin() + 99), "Texture header is cut short"},
        {"pixels outside", patched(40, 5000),
         "Pixel data of texture e1u1/floor1_3 lies outside the entry"},
        {"pixels cut short", Bytes(good.begin(), good.begin() + 102),
         "Pixel data of texture e1u1/floor1_3 lies outside the entry"},
        {"no width", patched(32, 0), "Picture size 0 x 2 is not valid"},
        {"too large", patched(32, 0x7FFFFFFF), "Picture size 2147483647 x 2 is too large"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FailureOf([&] { ReadWal(c.Wal); }), c.Failure) << c.What;
        EXPECT_EQ(FailureOf([&] { WalSize(c.Wal); }), c.Failure) << c.What;
        // From the header alone and the entry's length, as a map's textures are.
        const Bytes head(c.Wal.begin(),
                         c.Wal.begin() + static_cast<std::ptrdiff_t>(
                                             std::min<std::size_t>(c.Wal.size(), kWalHeaderBytes)));
        EXPECT_EQ(FailureOf([&] { WalSize(head, c.Wal.size()); }), c.Failure) << c.What;
    }
}

// A map names each texture once, in the order its records first use it,
// spellings that differ in letter case being one entry of the archive.
TEST(Quake2Map, NamesEachTextureOnceInTheOrderFirstUsed) {
    const Bytes map = test::MakeQuake2Map(
        {"e1u1/floor1_3", "e1u1/wall", "E1U1/FLOOR1_3", "e1u1/floor1_3", "sky", ""});
    const struct {
        std::size_t Most;
        std::vector<std::string> Textures;
    } cases[] = {
        {10, {"e1u1/floor1_3", "e1u1/wall", "sky", ""}},
        {2, {"e1u1/floor1_3", "e1u1/wall"}},
        {0, {}},
    };
    for (const auto& c : cases) {
        const TQuake2Map read = ReadQuake2Map(map, c.Most);
        EXPECT_EQ(read.Records, 6u);
        EXPECT_EQ(read.TextureCount, 4u);
        EXPECT_EQ(read.Textures, c.Textures) << c.Most;
    }
    EXPECT_EQ(Quake2TextureEntry("e1u1/wall"), "textures/e1u1/wall.wal");
    EXPECT_TRUE(ReadQuake2Map(test::MakeQuake2Map({}), 10).Textures.empty());
}

TEST(Quake2Map, HostileMapsFailWithAMessage) {
    const Bytes good = test::MakeQuake2Map({"a", "b"});
    const auto patched = [&](std::size_t at, std::uint32_t value) {
        Bytes bsp = good;
        for (int i = 0; i < 4; ++i)
            bsp[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
        return bsp;
    };
    const auto lump = [](std::size_t i) { return 8 + 8 * i; };
    const struct {
        const char* What;
        Bytes Map;
        std::string Failure;
    } cases[] = {
        {"tag", patched(0, 0x50534249 + 1), "Not a Quake II map file"},
        {"header cut short", Bytes(good.begin(), good.begin() + 159),
         "Quake II map header is cut short"},
        {"version", patched(4, 46), "Quake II map version 46 is not supported"},
        {"a lump past the end", patched(lump(7), 1000),
         "Quake II map lump lighting lies outside the entry"},
        {"a lump's length wraps", patched(lump(18) + 4, 0xFFFFFFFF),
         "Quake II map lump areaportals lies outside the entry"},
        {"texture information past the end", patched(lump(5) + 4, 76 * 3),
         "Quake II map lump texinfo lies outside the entry"},
        {"a record cut short", patched(lump(5) + 4, 76 + 75),
         "Quake II map's texture information holds 151 bytes, not whole records of 76"},
        {"more records than a map holds",
         test::MakeQuake2Map(std::vector<std::string>(kQuake2MaxTexinfo + 1, "a")),
         "Quake II map's texture information holds 131073 records, more than a map holds"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FailureOf([&] { ReadQuake2Map(c.Map, 10); }), c.Failure) << c.What;
    EXPECT_EQ(
        ReadQuake2Map(test::MakeQuake2Map(std::vector<std::string>(kQuake2MaxTexinfo, "a")), 10)
            .TextureCount,
        1u);
}

TEST(QuakeII, ModelsAndSpritesNameTheirPictures) {
    const Bytes md2 = test::MakeMd2({"models/tank/skin.pcx", "models/tank/pain.pcx"},
                                    {"stand01", "stand02", "pain101"});
    const TMd2Model model = ReadMd2(md2);
    EXPECT_EQ(model.Skins,
              (std::vector<std::string>{"models/tank/skin.pcx", "models/tank/pain.pcx"}));
    EXPECT_EQ(model.Frames, (std::vector<std::string>{"stand01", "stand02", "pain101"}));
    EXPECT_EQ(model.SkinWidth, 256);
    EXPECT_EQ(model.Vertices, 3u);
    const auto frames = ReadSp2(test::MakeSp2({{"sprites/s_bubble.pcx", 16}}));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].Picture, "sprites/s_bubble.pcx");
    EXPECT_EQ(frames[0].Width, 16);

    const auto patched = [](Bytes bytes, std::size_t at, std::int32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + static_cast<std::size_t>(i)] =
                static_cast<unsigned char>(static_cast<std::uint32_t>(value) >> (8 * i));
        return bytes;
    };
    const Bytes sp2 = test::MakeSp2({{"a.pcx", 8}});
    const struct {
        const char* What;
        std::function<void()> Read;
        std::string Failure;
    } cases[] = {
        {"not a model", [&] { ReadMd2(sp2); }, "Not a Quake II model file"},
        {"header cut short", [&] { ReadMd2(Bytes(md2.begin(), md2.begin() + 67)); },
         "Quake II model header is cut short"},
        {"version", [&] { ReadMd2(patched(md2, 4, 7)); },
         "Quake II model version 7 is not supported"},
        {"negative skins", [&] { ReadMd2(patched(md2, 20, -1)); },
         "Quake II model skin count -1 is not valid"},
        {"skins past the end", [&] { ReadMd2(patched(md2, 20, 1000)); },
         "Quake II model's skin list lies outside the entry"},
        {"frames past the end", [&] { ReadMd2(patched(md2, 40, 1 << 20)); },
         "Quake II model's frame list lies outside the entry"},
        // A frame size that leaves no room for its vertices.
        {"frame size", [&] { ReadMd2(patched(md2, 16, 40)); },
         "Quake II model frame size 40 is not valid"},
        {"not a sprite", [&] { ReadSp2(md2); }, "Not a Quake II sprite file"},
        {"sprite frames past the end", [&] { ReadSp2(patched(sp2, 8, 2)); },
         "Quake II sprite frame count 2 runs past the end of the entry"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FailureOf(c.Read), c.Failure) << c.What;
}

// Half-Life's textures and pictures, in a WAD3 or a version 30 map, are
// drawn in the colours they carry, whatever the archive's palette; a
// texture named "{..." leaves index 255 out.
TEST(HalfLife, PicturesTakeTheirOwnColours) {
    const auto colours = [](std::size_t count) {
        TBytesWriter w;
        w.U16(static_cast<unsigned>(count));
        for (std::size_t i = 0; i < count; ++i)
            w.U8(static_cast<unsigned>(i * 10)).U8(static_cast<unsigned>(i * 20)).U8(30);
        return w.Out;
    };
    const auto texture = [&](const std::string& name, const Bytes& after) {
        Bytes pixels(64, 1);
        pixels[0] = 255;
        Bytes out = test::MakeMipTexture(name, 8, 8, pixels);
        out.insert(out.end(), after.begin(), after.end());
        return out;
    };
    const auto tagged = [](Bytes bytes, const char* tag) {
        std::copy_n(tag, 4, bytes.begin());
        return bytes;
    };
    Bytes picture = test::MakeLmp(2, 1, {1, 1});
    const Bytes two = colours(2);
    picture.insert(picture.end(), two.begin(), two.end());
    const Bytes wad3 = tagged(test::MakeWad2({{"{fence", 0x43, texture("{fence", colours(256))},
                                              {"hud", 0x42, picture},
                                              {"wall", 0x43, texture("wall", colours(256))},
                                              {"many", 0x43, texture("many", colours(300))},
                                              {"cut", 0x43, texture("cut", {0})}}),
                              "WAD3");
    Bytes bsp30 = test::MakeBsp({texture("{leaf", colours(256))});
    bsp30[0] = 30;
    // Sprites' colours are (i, 2i, 3i); 255 is (255, 254, 253).
    const auto sprite = [](std::int32_t format) {
        return test::SprHalfLifeHeader(1, format).I32(0).Raw(test::SprPicture(2, 1, {255, 1})).Out;
    };
    const Bytes alphaTest = sprite(kSprAlphaTest), indexAlpha = sprite(kSprIndexAlpha),
                additive = sprite(kSprAdditive);
    const struct {
        const char* What;
        TEntryKind Kind;
        const Bytes& Entry;
        std::size_t Part;
        std::string Problem;
        Bytes FirstTwo; // RGBA of the first two pixels
    } cases[] = {
        {"a see-through texture",
         TEntryKind::ekWad2,
         wad3,
         0,
         "",
         {246, 236, 30, 0, 10, 20, 30, 255}},
        {"a picture", TEntryKind::ekWad2, wad3, 1, "", {10, 20, 30, 255, 10, 20, 30, 255}},
        {"an opaque texture",
         TEntryKind::ekWad2,
         wad3,
         2,
         "",
         {246, 236, 30, 255, 10, 20, 30, 255}},
        {"too many colours",
         TEntryKind::ekWad2,
         wad3,
         3,
         "Palette of texture many holds 300 colours",
         {}},
        {"colours cut short",
         TEntryKind::ekWad2,
         wad3,
         4,
         "Palette of texture cut lies outside the entry",
         {}},
        {"a version 30 map's texture",
         TEntryKind::ekBsp,
         bsp30,
         0,
         "",
         {246, 236, 30, 0, 10, 20, 30, 255}},
        {"an alpha-tested sprite's frame",
         TEntryKind::ekSprite,
         alphaTest,
         0,
         "",
         {255, 254, 253, 0, 1, 2, 3, 255}},
        // Its indices are degrees of opacity, not one see-through colour.
        {"an index-alpha sprite's frame",
         TEntryKind::ekSprite,
         indexAlpha,
         0,
         "",
         {255, 254, 253, 255, 1, 2, 3, 255}},
        {"an additive sprite's frame",
         TEntryKind::ekSprite,
         additive,
         0,
         "",
         {255, 254, 253, 255, 1, 2, 3, 255}},
    };
    TPalette archive = GreyPalette(); // never used for these
    for (const auto& c : cases) {
        const TEntryParts parts = ListEntryParts(c.Kind, "x", c.Entry);
        ASSERT_LT(c.Part, parts.Parts.size()) << c.What;
        const TEntryPart& part = parts.Parts[c.Part];
        EXPECT_FALSE(part.InPalette) << c.What;
        EXPECT_EQ(part.Problem, c.Problem) << c.What;
        if (!c.Problem.empty())
            continue;
        const TRgbaPicture rgba = DecodePart(c.Entry, part, archive);
        EXPECT_EQ(Bytes(rgba.Pixels.begin(), rgba.Pixels.begin() + 8), c.FirstTwo) << c.What;
    }
    EXPECT_EQ(DescribeEntry("halflife.wad", wad3)[0], "Picture container (WAD3), 5 lumps");
    EXPECT_EQ(DescribeEntry("sprites/fire.spr", alphaTest),
              (std::vector<std::string>{"Sprite (Half-Life), alpha test, 1 frame, up to 4 x 3",
                                        "  frame 0: 2 x 1"}));
}

} // namespace
} // namespace zorvak
