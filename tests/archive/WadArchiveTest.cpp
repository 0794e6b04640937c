// WAD2 and WAD3 files opened as archives: their lumps listed, each one shown
// as a picture of its own in the colours it takes, extracted as stored, and
// checked by verify.
#include "archive/WadArchive.h"
#include "archive/PakEdit.h"
#include "archive/PakExtract.h"
#include "archive/PakPalette.h"
#include "archive/PakVerify.h"
#include "formats/EntryParts.h"
#include "formats/FormatImages.h"
#include "formats/Wad2.h"
#include "support/FailureOf.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

namespace zorvak {
namespace {

using ::testing::HasSubstr;

TEST(WadArchive, LumpsAreEntriesShownAsPicturesOfTheirOwn) {
    test::Bytes palette(768);
    for (std::size_t i = 0; i < palette.size(); ++i)
        palette[i] = static_cast<unsigned char>(255 - i / 3);
    const test::Bytes help = test::MakeLmp(4, 2, {1, 2, 3, 4, 5, 6, 7, 8});
    const test::Bytes wall = test::MakeMipTexture("wall1", 16, 16, test::Bytes(256, 9));
    test::Bytes font(128 * 128, 7);
    const test::Bytes wad = test::MakeWad2({{"PALETTE", kWadTypePalette, palette},
                                            {"HELP0", kWadTypeStatusPicture, help},
                                            {"WALL1", kWadTypeMipTexture, wall},
                                            {"CONCHARS", kWadTypeMipTexture, font},
                                            {"NOTES", 0x50, {'h', 'i'}}});
    test::TTempDir dir;
    const auto path = dir / "gfx.wad";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(wad.data()), static_cast<std::streamsize>(wad.size()));
    TLockedFile file(path);
    const TPakIndex index = ReadPakIndex(file);
    EXPECT_EQ(index.Kind, TPakKind::pkWad2);
    EXPECT_TRUE(index.Complete);
    // The palette is the WAD's own lump.
    const TFoundPalette found = FindArchivePalette(file, index.Entries, path, TShareMode::smShared);
    EXPECT_EQ(found.Source, TPaletteSource::psArchive);
    EXPECT_EQ(found.Colours.Colours[1], (TRgb{254, 254, 254}));
    const struct {
        std::string Name;
        test::Bytes Stored;
        std::string Title; // the description's first line
        int Width;         // of its one picture; 0 for none
        std::uint8_t FirstRed;
    } cases[] = {
        {"PALETTE", palette, "Palette (a lump of a WAD2), 256 colours", 16, 255},
        {"HELP0", help, "Picture (a lump of a WAD2), 4 x 2", 4, 254},
        {"WALL1", wall, "Texture (a lump of a WAD2), 16 x 16", 16, 246},
        {"CONCHARS", font, "Console font (a lump of a WAD2), 128 x 128", 128, 248},
        {"NOTES", {'h', 'i'}, "Other (a lump of a WAD2), type 0x50, 2 bytes", 0, 0},
    };
    ASSERT_EQ(index.Entries.size(), std::size(cases));
    for (std::size_t i = 0; i < index.Entries.size(); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.Name);
        const TPakEntry entry = index.Entries[i];
        EXPECT_EQ(entry.Name, c.Name);
        // Extracted as stored.
        const std::vector<unsigned char> stored = ReadEntryBytes(file, entry);
        EXPECT_EQ(stored, c.Stored);
        const TEntryView view = ViewEntry(entry, stored);
        EXPECT_EQ(view.Kind, TEntryKind::ekWadLump);
        EXPECT_FALSE(PicturesInFolder(view.Kind));
        const std::vector<std::string> lines = DescribeEntry(view.Kind, entry.Name, view.Bytes);
        EXPECT_THAT(lines.at(0), HasSubstr(c.Title));
        const TEntryParts parts = ListEntryParts(view.Kind, entry.Name, view.Bytes);
        ASSERT_EQ(parts.Parts.size(), 1u);
        EXPECT_EQ(parts.Parts[0].Name, c.Name);
        EXPECT_EQ(parts.Parts[0].Picture, c.Width > 0);
        if (c.Width > 0) {
            const TRgbaPicture picture = DecodePart(view.Bytes, parts.Parts[0], found.Colours);
            EXPECT_EQ(picture.Width, c.Width);
            EXPECT_EQ(picture.Pixels.at(0), c.FirstRed);
        }
    }
}

TEST(WadArchive, DamageAndRefusals) {
    const test::Bytes lump = test::MakeLmp(2, 2, {1, 2, 3, 4});
    const auto bytesOf = [](const test::Bytes& b) { return std::vector<unsigned char>(b); };
    struct TCase {
        const char* What;
        test::Bytes Wad;
        std::size_t Listed;
        bool Complete;
        std::vector<std::string> Problems; // verify's, substrings in order
    } cases[] = {
        {"clean", test::MakeWad2({{"A", kWadTypeStatusPicture, lump}}), 1, true, {}},
        {"a name twice, then in other letters",
         test::MakeWad2({{"A", 0x42, lump}, {"A", 0x42, lump}, {"a", 0x42, lump}}),
         3,
         true,
         {"duplicate of lump 0", "differs only in letter case from lump 0"}},
        {"a count past the directory",
         [&] {
             test::Bytes b = test::MakeWad2({{"A", 0x42, lump}});
             b[4] = 9;
             return b;
         }(),
         1,
         false,
         {"the directory runs past the end of the file; 1 lumps read whole"}},
        {"a lump outside the file",
         [&] {
             test::Bytes b = test::MakeWad2({{"A", 0x42, lump}});
             b[b.size() - 32 + 4] = 0xFF; // its stored size
             return b;
         }(),
         1,
         true,
         {"its data lie outside the file"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TMemoryStream stream(bytesOf(c.Wad));
        const TPakIndex index = ReadPakIndex(stream);
        EXPECT_EQ(index.Entries.size(), c.Listed);
        EXPECT_EQ(index.Complete, c.Complete);
        const TPakReport report = VerifyPak(stream);
        ASSERT_EQ(report.Problems.size(), c.Problems.size());
        for (std::size_t i = 0; i < c.Problems.size(); ++i)
            EXPECT_THAT(report.Problems[i].Text, HasSubstr(c.Problems[i]));
    }
    // A WAD is read, never edited.
    TMemoryStream stream(bytesOf(test::MakeWad2({{"A", 0x42, lump}})));
    EXPECT_THAT(test::FailureOf([&] { PlanPakEdit(ReadPakIndex(stream), {}); }),
                HasSubstr("this is a WAD2 file"));
}

} // namespace
} // namespace zorvak
