// The one picture model: what each kind lists from its headers, which parts
// share their stored pixels, the cap, and damage told per part.
#include "formats/EntryParts.h"
#include "FormatImages.h"
#include "formats/EntryKind.h"
#include "formats/Spr.h"
#include "framework/Text.h"
#include "support/FailureOf.h"

#include <gtest/gtest.h>

namespace zorvak {
namespace {

using test::Bytes;
using test::TBytesWriter;

// A part as one line: its name (or place), format, size, see-through index,
// grid, colours and problem.
std::string Summary(const TEntryPart& p) {
    std::string s = p.Name.empty() ? "#" + std::to_string(p.Index) +
                                         (p.InGroup ? "." + std::to_string(p.Member) : "")
                                   : p.Name;
    s += " (" + std::string(p.Format) + ")";
    if (!p.Picture)
        s += " none";
    else if (p.Damaged)
        s += " damaged";
    else
        s += " " + std::to_string(p.Width) + "x" + std::to_string(p.Height);
    if (p.Source.Transparent != kOpaque)
        s += " clear " + std::to_string(p.Source.Transparent);
    if (p.GridCell != 0)
        s += " grid " + std::to_string(p.GridCell);
    if (!p.InPalette)
        s += " own colours";
    if (!p.Problem.empty())
        s += ": " + p.Problem;
    return s;
}

// The little-endian value at offset of bytes replaced.
Bytes Patched(Bytes bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
    return bytes;
}

TEntryParts List(const std::string& name, const Bytes& bytes,
                 const std::function<bool()>& stop = {}) {
    return ListEntryParts(ClassifyEntry(name, bytes), name, bytes, stop);
}

TEST(EntryParts, EachKindListsWhatItHoldsFromItsHeaders) {
    // The last lump's stored size runs past the entry.
    Bytes wad = test::MakeWad2({{"NUM_1", 0x42, test::MakeLmp(2, 3, Bytes(6))},
                                {"sky1", 0x44, test::MakeMipTexture("sky1", 16, 32, Bytes(512))},
                                {"PALETTE", 0x40, Bytes(768)},
                                {"conchars", 0x44, Bytes(128 * 128)},
                                {"noise", 0x43, Bytes(5)},
                                {"cut", 0x42, Bytes(3)},
                                {"far", 0x42, Bytes(8)}});
    wad = Patched(wad, wad.size() - 32 + 4, 1000);
    TBytesWriter mdl = test::MdlHeader(2, 4, 2, 0, 0, 0);
    mdl.I32(0).Raw(Bytes(8, 1)).I32(1).I32(2).U32(0).U32(0).Raw(Bytes(16, 2));
    TBytesWriter spr = test::SprHeader(2);
    spr.I32(0).Raw(test::SprPicture(2, 1, {5, 255})).I32(1).I32(2).U32(0).U32(0);
    spr.Raw(test::SprPicture(1, 1, {6})).Raw(test::SprPicture(4, 3, Bytes(12, 7)));
    const Bytes pcx = test::PcxHeader(2, 1, 1, 2).U8(0xC2).U8(3).U8(0x0C).Zeros(768).Out;
    const auto halfLife = [](std::int32_t format) {
        return test::SprHalfLifeHeader(1, format).I32(0).Raw(test::SprPicture(2, 1, {5, 255})).Out;
    };
    struct TCase {
        const char* Name;
        Bytes Entry;
        TPartList List;
        std::vector<std::string> Parts;
    };
    const TCase cases[] = {
        {"gfx/palette.lmp",
         Bytes(768),
         TPartList::plNone,
         {"gfx/palette.lmp (palette, 256 colours) 16x16 own colours"}},
        {"gfx/palette.lmp",
         Bytes(5),
         TPartList::plNone,
         {"gfx/palette.lmp (palette, 256 colours) 16x16 own colours: Palette holds 5 bytes, not "
          "768"}},
        {"gfx/colormap.lmp",
         Bytes(16385),
         TPartList::plNone,
         {"gfx/colormap.lmp (light table, 64 levels) 256x64"}},
        {"gfx/pause.lmp",
         test::MakeLmp(2, 1, {1, 2}),
         TPartList::plNone,
         {"gfx/pause.lmp (palette picture (.lmp)) 2x1 clear 255"}},
        {"gfx/bad.lmp",
         test::MakeLmp(9, 9, {1}),
         TPartList::plNone,
         {"gfx/bad.lmp (palette picture (.lmp)) 9x9 clear 255: Picture pixels run past the end "
          "of the entry"}},
        {"gfx/cut.lmp",
         Bytes(3),
         TPartList::plNone,
         {"gfx/cut.lmp (palette picture (.lmp)) damaged clear 255: Picture header is cut short"}},
        {"pics/dots.pcx",
         pcx,
         TPartList::plNone,
         {"pics/dots.pcx (PCX, 8-bit with its palette) 2x1 own colours"}},
        {"pics/bad.pcx",
         Bytes{0x0A},
         TPartList::plNone,
         {"pics/bad.pcx (PCX picture) damaged own colours: PCX header is cut short"}},
        {"env/sky.tga",
         test::TgaHeader(2, 2, 1, 24).Raw(Bytes(6)).Out,
         TPartList::plNone,
         {"env/sky.tga (TGA, true-colour) 2x1 own colours"}},
        {"env/bad.tga",
         test::TgaHeader(9, 2, 1, 8).Out,
         TPartList::plNone,
         {"env/bad.tga (TGA picture) damaged own colours: TGA colour map is missing or cut "
          "short"}},
        {"gfx.wad",
         wad,
         TPartList::plLumps,
         {"NUM_1 (picture) 2x3 clear 255", "sky1 (texture) 16x32",
          "PALETTE (palette) 16x16 own colours", "conchars (console font) 128x128 clear 0 grid 8",
          "noise (other) none: Lump noise is not a picture (type 0x43)",
          "cut (picture) damaged clear 255: Picture header is cut short",
          "far (picture) damaged: Lump far lies outside the entry"}},
        {"maps/e1m1.bsp",
         test::MakeBsp({test::MakeMipTexture("*lava1", 16, 16, Bytes(256)), {}}),
         TPartList::plTextures,
         {"*lava1 (texture) 16x16", "#1 (texture) none: Texture 1 is missing from the map"}},
        {"progs/m.mdl",
         mdl.Out,
         TPartList::plSkins,
         {"#0 (skin) 4x2", "#1.0 (skin) 4x2", "#1.1 (skin) 4x2"}},
        {"progs/s.spr",
         spr.Out,
         TPartList::plFrames,
         {"#0 (sprite frame) 2x1 clear 255", "#1.0 (sprite frame) 1x1 clear 255",
          "#1.1 (sprite frame) 4x3 clear 255"}},
        // Half-Life's: in their own colours, 255 clear where alpha-tested.
        {"sprites/a.spr",
         halfLife(kSprAlphaTest),
         TPartList::plFrames,
         {"#0 (sprite frame, alpha test) 2x1 clear 255 own colours"}},
        {"sprites/i.spr",
         halfLife(kSprIndexAlpha),
         TPartList::plFrames,
         {"#0 (sprite frame, index alpha) 2x1 own colours"}},
        {"sprites/o.spr", halfLife(7), TPartList::plFrames, {"#0 (sprite frame) 2x1 own colours"}},
        // Its textures are entries of their own: with no archive, none is found.
        {"maps/base1.bsp",
         test::MakeQuake2Map({"e1u1/floor", "e1u1/FLOOR"}),
         TPartList::plTextures,
         {"e1u1/floor (Quake II texture (.wal)) damaged: Not in the archive: "
          "textures/e1u1/floor.wal"}},
        {"autoexec.cfg", Bytes{'x'}, TPartList::plNone, {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TEntryParts parts = List(c.Name, c.Entry);
        EXPECT_EQ(parts.List, c.List);
        EXPECT_EQ(parts.Total, c.Parts.size());
        std::vector<std::string> told;
        for (const TEntryPart& part : parts.Parts) {
            told.push_back(Summary(part));
            // What the headers told is what decoding finds.
            std::string failure;
            try {
                const TRgbaPicture picture = DecodePart(c.Entry, part, GreyPalette());
                EXPECT_EQ(picture.Width, part.Width) << told.back();
                EXPECT_EQ(picture.Height, part.Height) << told.back();
            } catch (const TFailure& f) {
                failure = f.what();
            }
            EXPECT_EQ(failure, part.Problem) << told.back();
        }
        EXPECT_EQ(told, c.Parts);
    }
}

// Only the entry's own header or directory fails the listing.
TEST(EntryParts, AnEntryWhoseLayoutCannotBeReadThrows) {
    struct TCase {
        const char* Name;
        Bytes Entry;
        std::string Failure;
    };
    const TCase cases[] = {
        {"gfx.wad", Bytes{'W', 'A', 'D', '2'}, "Not a WAD2 file"},
        {"maps/a.bsp", Bytes(10), "Map header is cut short"},
        {"progs/a.mdl", test::MdlHeader(3, 1, 1, 0, 0, 0).I32(0).U8(1).Out,
         "Model skin count 3 runs past the end of the entry"},
        {"progs/a.spr", test::SprHeader(1).I32(0).Raw(test::SprPicture(2, 2, {1})).Out,
         "Picture pixels run past the end of the entry"},
        {"sprites/a.spr", test::SprHalfLifeHeader(0, kSprNormal, 257).Out,
         "Palette of sprite holds 257 colours"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(test::FailureOf([&] { (void)List(c.Name, c.Entry); }), c.Failure) << c.Name;
}

// Parts share a source exactly when they are the same stored bytes read the
// same way: a letter for each source, in the order each first comes.
TEST(EntryParts, PartsOfOneStoredPictureShareTheirSource) {
    const Bytes picture = test::MakeLmp(1, 1, {1});
    const Bytes texture = test::MakeMipTexture("t", 16, 16, Bytes(256, 3));
    // The second record reads the same bytes as a texture.
    const Bytes twoWays =
        Patched(test::MakeWad2Naming(3, "p", 0x42, picture), 12 + picture.size() + 32 + 12, 0x44);
    struct TCase {
        const char* What;
        const char* Name;
        Bytes Entry;
        std::string Sources;
    };
    const TCase cases[] = {
        {"records naming one lump", "gfx.wad", test::MakeWad2Naming(3, "p", 0x42, picture), "AAA"},
        {"one lump read two ways", "gfx.wad", twoWays, "ABA"},
        {"lumps of their own", "gfx.wad",
         test::MakeWad2({{"a", 0x42, picture}, {"b", 0x42, picture}}), "AB"},
        {"slots naming one texture", "a.bsp", test::MakeBspNaming(4, texture), "AAAA"},
        {"textures of their own", "a.bsp", test::MakeBsp({texture, texture}), "AB"},
        {"alike skins", "a.mdl", test::MakeModelOfSkins(3, 2, 2), "ABC"},
    };
    for (const TCase& c : cases) {
        const TEntryParts parts = List(c.Name, c.Entry);
        std::vector<TPartSource> seen;
        std::string sources;
        for (const TEntryPart& part : parts.Parts) {
            const auto at = std::find(seen.begin(), seen.end(), part.Source);
            sources += static_cast<char>('A' + (at - seen.begin()));
            if (at == seen.end())
                seen.push_back(part.Source);
        }
        EXPECT_EQ(sources, c.Sources) << c.What;
    }
}

// The entries of an archive by name, letter case ignored, as the preview
// and --png find them; each look-up counted. An entry named "held" cannot
// be read.
struct TFakeArchive {
    struct TStored {
        std::string Name;
        std::uint64_t Position;
        Bytes Data;
    };
    std::vector<TStored> Entries;
    int Lookups = 0;
    TEntryLookup Lookup() {
        return [this](std::string_view name, std::size_t most) -> std::optional<TFoundEntry> {
            ++Lookups;
            for (const TStored& e : Entries) {
                if (AsciiLower(e.Name) != AsciiLower(name))
                    continue;
                if (e.Name.find("held") != std::string::npos)
                    throw TFailure("The archive is in use by another program");
                const auto kept = static_cast<std::ptrdiff_t>(std::min(most, e.Data.size()));
                return TFoundEntry{e.Position, e.Data.size(),
                                   Bytes(e.Data.begin(), e.Data.begin() + kept)};
            }
            return std::nullopt;
        };
    }
};

// A Quake II map's textures are the archive's .wal entries: each found by
// name once when listed and once when decoded, told when it is not there or
// cannot be read, and drawn in the palette given.
TEST(EntryParts, AQuake2MapsTexturesAreTheArchivesWalEntries) {
    const Bytes floor = test::MakeWal("e1u1/floor", 2, 2, {1, 2, 3, 4});
    TFakeArchive archive;
    archive.Entries = {
        {"textures/e1u1/floor.wal", 1000, floor},
        {"textures/e1u1/cut.wal", 2000, Bytes(floor.begin(), floor.begin() + 50)},
        {"textures/e1u1/far.wal", 3000, Patched(floor, 40, 5000)}, // its pixels' offset
        {"textures/e1u1/held.wal", 4000, floor},
        {"TEXTURES/E1U1/ALIAS.WAL", 1000, floor}, // the floor's bytes under another name
    };
    const Bytes map = test::MakeQuake2Map({"e1u1/floor", "e1u1/gone", "e1u1/cut", "E1U1/FLOOR",
                                           "e1u1/far", "e1u1/held", "e1u1/alias"});
    const TEntryParts parts =
        ListEntryParts(TEntryKind::ekQuake2Map, "maps/base1.bsp", map, {}, archive.Lookup());
    EXPECT_EQ(archive.Lookups, 6);
    const std::string wal = " (Quake II texture (.wal)) ";
    const std::vector<std::string> expected = {
        "e1u1/floor" + wal + "2x2",
        "e1u1/gone" + wal + "damaged: Not in the archive: textures/e1u1/gone.wal",
        "e1u1/cut" + wal + "damaged: Texture header is cut short",
        "e1u1/far" + wal + "damaged: Pixel data of texture e1u1/floor lies outside the entry",
        "e1u1/held" + wal + "damaged: The archive is in use by another program",
        "e1u1/alias" + wal + "2x2",
    };
    std::vector<std::string> told;
    for (const TEntryPart& part : parts.Parts)
        told.push_back(Summary(part));
    EXPECT_EQ(told, expected);
    ASSERT_EQ(parts.Parts.size(), expected.size());
    EXPECT_TRUE(parts.Parts[1].NotFound);
    EXPECT_FALSE(parts.Parts[2].NotFound);
    // One stored texture under two names is one picture.
    EXPECT_EQ(parts.Parts[0].Source, parts.Parts[5].Source);
    TPalette palette = GreyPalette();
    palette.Colours[1] = {9, 8, 7};
    for (const TEntryPart& part : parts.Parts) {
        std::string failure;
        try {
            const TRgbaPicture picture = DecodePart(map, part, palette, archive.Lookup());
            EXPECT_EQ(Bytes(picture.Pixels.begin(), picture.Pixels.begin() + 4),
                      (Bytes{9, 8, 7, 255}));
        } catch (const TFailure& f) {
            failure = f.what();
        }
        EXPECT_EQ(failure, part.Problem) << part.Name;
    }
    EXPECT_EQ(archive.Lookups, 6 + 2); // the two pictures' entries, read whole

    // However many records name a texture, it is listed, found and read once.
    archive.Lookups = 0;
    const Bytes many = test::MakeQuake2Map(std::vector<std::string>(100000, "e1u1/floor"));
    const TEntryParts one =
        ListEntryParts(TEntryKind::ekQuake2Map, "maps/many.bsp", many, {}, archive.Lookup());
    ASSERT_EQ(one.Parts.size(), 1u);
    EXPECT_EQ(one.Total, 1u);
    (void)DecodePart(many, one.Parts[0], palette, archive.Lookup());
    EXPECT_EQ(archive.Lookups, 2);
}

// However many parts an entry claims, kMaxListedParts are listed and the
// rest counted.
TEST(EntryParts, ListsStopAtTheCapAndCountTheRest) {
    TBytesWriter group = test::MdlHeader(2, 1, 1, 0, 0, 0);
    group.I32(0).U8(1).I32(1).I32(20000).Zeros(4 * 20000).Raw(Bytes(20000, 2));
    TBytesWriter frames = test::SprHeader(12000);
    for (int i = 0; i < 12000; ++i)
        frames.I32(0).Raw(test::SprPicture(1, 1, {1}));
    struct TCase {
        const char* Name;
        Bytes Entry;
        std::size_t Total;
        std::string Last; // the last part listed
        bool Records;     // a record each: a stop request is heard among them
    };
    const TCase cases[] = {
        {"gfx.wad", test::MakeWad2Naming(100000, "p", 0x42, test::MakeLmp(1, 1, {1})), 100000,
         "p9999 (picture) 1x1 clear 255", true},
        {"a.bsp", test::MakeBspNaming(65536, test::MakeMipTexture("t", 16, 16, Bytes(256))), 65536,
         "t (texture) 16x16", true},
        {"a.mdl", test::MakeModelOfSkins(20000, 1, 1), 20000, "#9999 (skin) 1x1", true},
        // Two records: the group's pictures are counted, not walked.
        {"a.mdl", group.Out, 20001, "#1.9998 (skin) 1x1", false},
        {"a.spr", frames.Out, 12000, "#9999 (sprite frame) 1x1 clear 255", true},
        {"q2.bsp",
         [] {
             std::vector<std::string> names;
             for (int i = 0; i < 10003; ++i)
                 names.push_back("t" + std::to_string(i));
             return test::MakeQuake2Map(names);
         }(),
         10003, "t9999 (Quake II texture (.wal)) damaged: Not in the archive: textures/t9999.wal",
         true},
    };
    for (const TCase& c : cases) {
        const TEntryParts parts = List(c.Name, c.Entry);
        EXPECT_EQ(parts.Parts.size(), kMaxListedParts) << c.Name;
        EXPECT_EQ(parts.Total, c.Total) << c.Name;
        EXPECT_FALSE(parts.Stopped) << c.Name;
        EXPECT_EQ(Summary(parts.Parts.back()), c.Last);
        if (!c.Records)
            continue;
        // Stopped at once, a listing ends long before the cap.
        const TEntryParts stopped = List(c.Name, c.Entry, [] { return true; });
        EXPECT_TRUE(stopped.Stopped) << c.Name;
        EXPECT_LT(stopped.Parts.size(), kMaxListedParts / 2) << c.Name;
    }
}

} // namespace
} // namespace zorvak
