#include "archive/PakFormat.h"
#include "archive/PakNames.h"
#include "archive/PakPalette.h"
#include "archive/PakReader.h"
#include "archive/PakWriter.h"
#include "framework/Failures.h"
#include "framework/Files.h"
#include "support/PakImage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <optional>
#include <random>

namespace zorvak {
namespace {

using test::PakEntryBytes;
using test::PakHeaderBytes;
using test::ToString;

std::int32_t Int32At(const std::string& bytes, std::size_t at) {
    TByteReader reader(std::span<const unsigned char>(
        reinterpret_cast<const unsigned char*>(bytes.data()) + at, 4));
    return reader.ReadInt32();
}

TPakIndex IndexOf(const std::string& bytes) {
    TMemoryStream stream(std::vector<unsigned char>(bytes.begin(), bytes.end()));
    return ReadPakIndex(stream);
}

TEST(PakWriter, OneEmptyFileMakesA76ByteArchive) {
    const std::string pak = ToString(BuildPakImage({{"empty.txt", ""}}));
    ASSERT_EQ(pak.size(), 76u);
    EXPECT_EQ(pak.substr(0, 4), "PACK");
    EXPECT_EQ(Int32At(pak, 4), 12);
    EXPECT_EQ(Int32At(pak, 8), 64);
    EXPECT_EQ(pak.substr(12, 10), std::string("empty.txt\0", 10));
    EXPECT_EQ(Int32At(pak, 12 + 56), 12);
    EXPECT_EQ(Int32At(pak, 12 + 60), 0);
}

TEST(PakWriter, LaysDataThenDirectoryInListOrder) {
    const std::string pak = ToString(BuildPakImage({{"abc", "123"}, {"sub/five", "12345"}}));
    ASSERT_EQ(pak.size(), 148u);
    EXPECT_EQ(Int32At(pak, 4), 20);
    EXPECT_EQ(Int32At(pak, 8), 128);
    EXPECT_EQ(pak.substr(12, 8), "12312345");
    EXPECT_EQ(Int32At(pak, 20 + 56), 12);
    EXPECT_EQ(Int32At(pak, 20 + 60), 3);
    EXPECT_EQ(pak.substr(84, 9), std::string("sub/five\0", 9));
    EXPECT_EQ(Int32At(pak, 84 + 56), 15);
    EXPECT_EQ(Int32At(pak, 84 + 60), 5);

    const TPakIndex index = IndexOf(pak);
    ASSERT_EQ(index.Count, 2);
    EXPECT_TRUE(index.Complete);
    EXPECT_EQ(index.Entries[1].Name, "sub/five");
    EXPECT_EQ(index.Entries[1].FilePos, 15);
}

TEST(PakWriter, NoEntriesIsTheHeaderAlone) {
    const std::string pak = ToString(BuildPakImage({}));
    ASSERT_EQ(pak.size(), 12u);
    EXPECT_EQ(Int32At(pak, 4), 12);
    EXPECT_EQ(Int32At(pak, 8), 0);
}

TEST(PakWriter, ReusedEntryBufferMayRepeatAnEarlierTail) {
    const std::string pak = ToString(BuildPakImage({{"long/name.wav", ""}, {"ab", ""}}));
    // The second record: "ab", its NUL, then the tail of the first name.
    EXPECT_EQ(pak.substr(12 + 64, 14), std::string("ab\0g/name.wav\0", 14));
    EXPECT_EQ(IndexOf(pak).Entries[1].Name, "ab");
}

TEST(PakWriter, NamesLongerThan55BytesAreRefused) {
    const std::string ok(55, 'a');
    EXPECT_NO_THROW(BuildPakImage({{ok, "x"}}));
    try {
        BuildPakImage({{ok + "b", "x"}});
        FAIL();
    } catch (const TFailure& e) {
        EXPECT_NE(std::string(e.what()).find(ok + "b"), std::string::npos);
    }
}

TEST(PakSignature, OnlyExactUpperCasePackPasses) {
    const struct {
        std::string Bytes;
        bool Pass;
        bool Sin = false; // passes as a SiN archive, not as a PAK
    } cases[] = {
        {"PACK", true},
        {"PACKxyz", true},
        {std::string("PACK\0", 5), true},
        {"pack", false},
        {"PAC", false},
        {"", false},
        {std::string("PA\0K", 4), false},
        {"PACX", false},
        {" PACK", false},
        {"SPAK", false, true},
        {"SPAKxyz", false, true},
        {std::string("SPA\0", 4), false},
        {"spak", false},
        {"SPA", false},
    };
    test::TTempDir dir;
    for (const auto& c : cases) {
        EXPECT_EQ(IsPakSignature(c.Bytes), c.Pass) << c.Bytes;
        test::WriteFile(dir / "t.pak", c.Bytes);
        EXPECT_EQ(HasPakSignature(dir / "t.pak"), c.Pass) << c.Bytes;
        EXPECT_EQ(HasArchiveSignature(dir / "t.pak"), c.Pass || c.Sin) << c.Bytes;
    }
    EXPECT_THROW(HasPakSignature(dir / "missing.pak"), TFileOpenFailure);
}

TEST(PakReader, ReadsSinArchivesByTheirOwnRecords) {
    const auto entry = [](const std::string& name, std::int32_t pos, std::int32_t length) {
        return test::LayoutEntryBytes(kSinLayout, name, pos, length);
    };
    const std::string longName = "models/" + std::string(112, 'm'); // 119 bytes and its NUL
    const std::string fullName(120, 'f');
    const struct {
        const char* What;
        std::string Bytes;
        std::vector<std::string> Names;
        std::int32_t Count;
        bool Complete;
    } cases[] = {
        {"names past a PAK's 56 bytes",
         PakHeaderBytes(12, 256, "SPAK") + entry(longName, 12, 0) + entry(fullName, 12, 0),
         {longName, fullName},
         2,
         true},
        {"a remainder below a record",
         PakHeaderBytes(12, 200, "SPAK") + entry("a", 12, 0) + std::string(72, 'z'),
         {"a"},
         1,
         true},
        {"cut mid-record",
         PakHeaderBytes(12, 256, "SPAK") + entry("a", 12, 0) + entry("b", 12, 0).substr(0, 127),
         {"a"},
         1,
         false},
        {"no entries", PakHeaderBytes(12, 0, "SPAK"), {}, 0, true},
    };
    for (const auto& c : cases) {
        const TPakIndex index = IndexOf(c.Bytes);
        EXPECT_EQ(index.Kind, TPakKind::pkSin) << c.What;
        EXPECT_EQ(index.Count, c.Count) << c.What;
        EXPECT_EQ(index.Complete, c.Complete) << c.What;
        std::vector<std::string> names;
        for (const TPakEntry e : index.Entries)
            names.emplace_back(e.Name);
        EXPECT_EQ(names, c.Names) << c.What;
    }
    // A PAK's own records stay 64 bytes, whatever follows the signature.
    EXPECT_EQ(IndexOf(PakHeaderBytes(12, 64) + PakEntryBytes("a", 12, 0)).Kind, TPakKind::pkQuake);
}

TEST(PakReader, CountFollowsDirLengthForCompleteDirectories) {
    const std::string entry = PakEntryBytes("progs.dat", 12, 0);
    const struct {
        std::int32_t DirLength;
        std::string Directory;
        std::int32_t Count;
        std::size_t Listed;
    } cases[] = {
        {64, entry, 1, 1},
        {100, entry + std::string(36, 'z'), 1, 1}, // a remainder below 64 is ignored
        {0, "", 0, 0},
        {-64, entry, -1, 0},
        {-1, "", 0, 0},
        {128, entry + entry, 2, 2}, // duplicates are both listed
    };
    for (const auto& c : cases) {
        const TPakIndex index = IndexOf(PakHeaderBytes(12, c.DirLength) + c.Directory);
        EXPECT_EQ(index.Count, c.Count) << c.DirLength;
        EXPECT_EQ(index.Entries.size(), c.Listed) << c.DirLength;
        EXPECT_TRUE(index.Complete);
    }
}

TEST(PakReader, NamesAreTheBytesUpToTheFirstNul) {
    const std::string full(56, 'n');
    const std::string pak = PakHeaderBytes(12, 192) + PakEntryBytes(full, 0, 0) +
                            PakEntryBytes("maps/E1M1.bsp", 0, 0, 'X') +
                            PakEntryBytes("maps/E1M1.bsp", 0, 0, '\xFF');
    const TPakIndex index = IndexOf(pak);
    ASSERT_EQ(index.Entries.size(), 3u);
    EXPECT_EQ(index.Entries[0].Name, full);
    EXPECT_EQ(index.Entries[1].Name, "maps/E1M1.bsp");
    EXPECT_EQ(index.Entries[2].Name, index.Entries[1].Name);
}

TEST(PakReader, ListsOnlyEntriesThatWereReadWhole) {
    const std::string e = PakEntryBytes("a", 12, 1);
    const struct {
        const char* What;
        std::string Bytes;
        std::int32_t Count;
        std::size_t Listed;
    } cases[] = {
        {"truncated header", std::string("PACK\x0C\0\0", 7), 0, 0},
        {"directory past the end", PakHeaderBytes(500, 64) + e, 0, 0},
        {"negative offset", PakHeaderBytes(-12, 64) + e, 0, 0},
        {"directory cut mid-entry", PakHeaderBytes(12, 128) + e + e.substr(0, 63), 1, 1},
        {"millions announced", PakHeaderBytes(12, 0x7FFFFFC0) + e + e, 2, 2},
    };
    for (const auto& c : cases) {
        const TPakIndex index = IndexOf(c.Bytes);
        EXPECT_FALSE(index.Complete) << c.What;
        EXPECT_EQ(index.Count, c.Count) << c.What;
        EXPECT_EQ(index.Entries.size(), c.Listed) << c.What;
    }
}

TEST(PakReader, RandomBytesAfterASignatureNeverListUnreadBytes) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 500; ++round) {
        std::string bytes = "PACK";
        const int length = static_cast<int>(random() % 400);
        for (int i = 0; i < length; ++i)
            bytes += static_cast<char>(random());
        const TPakIndex index = IndexOf(bytes);
        ASSERT_LE(index.Entries.size() * kPakDirEntrySize + kPakHeaderSize, bytes.size() + 12);
        if (!index.Complete) {
            EXPECT_EQ(index.Count, static_cast<std::int32_t>(index.Entries.size()));
        }
    }
}

TEST(PakReader, ReadsFromDiskWithoutSharing) {
    test::TTempDir dir;
    const auto path = dir / "pak0.pak";
    test::WriteFile(path, BuildPakImage({{"sound/a.wav", "RIFF"}}));
    {
        TLockedFile holder(path);
        EXPECT_THROW(ReadPakIndex(path), TFileOpenFailure);
    }
    EXPECT_EQ(ReadPakIndex(path).Entries.at(0).Name, "sound/a.wav");
}

TPakEntries EntriesNamed(const std::vector<std::string>& names) {
    TPakEntries entries;
    for (const std::string& name : names)
        entries.push_back({name, 0, 0});
    return entries;
}

// The first of names[0..before) equal to names[i] (ignoring ASCII case when
// folded), by a plain search; -1 for none.
std::int64_t FirstEqual(const std::vector<std::string>& names, std::size_t i, std::size_t before,
                        bool folded) {
    const auto lower = [](std::string text) {
        for (char& c : text)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return text;
    };
    const std::string wanted = folded ? lower(names[i]) : names[i];
    for (std::size_t j = 0; j < before; ++j)
        if ((folded ? lower(names[j]) : names[j]) == wanted)
            return static_cast<std::int64_t>(j);
    return -1;
}

// Both tables and the single look-up find the first entry of a name; what
// each Insert answers is checked against a plain search.
TEST(PakNames, LookUpsFindTheFirstEntryOfAName) {
    const std::string n54(54, 'n');
    // Many names and each again in capitals: long probe chains, every
    // capitalised one a repeat once lowered.
    std::vector<std::string> many;
    for (int i = 0; i < 3000; ++i)
        many.push_back("maps/m" + std::to_string(i) + ".bsp");
    for (int i = 0; i < 3000; ++i)
        many.push_back("MAPS/M" + std::to_string(i) + ".BSP");
    const struct {
        const char* What;
        std::vector<std::string> Names;
        std::string Query;
        std::int64_t Exact;  // the exact table's answer, -1 for none
        std::int64_t Folded; // the case-blind table's
        std::int64_t First;  // FirstEntryNamed's
    } cases[] = {
        {"exact", {"a.txt", "b.txt"}, "b.txt", 1, 1, 1},
        {"only case-blind", {"Maps/E1M1.bsp"}, "maps/e1m1.bsp", -1, 0, 0},
        {"an entry repeated", {"x", "y", "x"}, "x", 0, 0, 0},
        {"alike once lowered: exact first", {"README", "readme"}, "readme", 1, 0, 1},
        {"alike once lowered: the first kept", {"ReadMe", "README", "readme"}, "rEADME", -1, 0, 0},
        {"only ASCII letters fold", {"\xC4.txt"}, "\xE4.txt", -1, -1, -1},
        {"an empty name", {"a", ""}, "", 1, 1, 1},
        {"a prefix is another name", {"gfx/palette.lmp"}, "gfx/palette", -1, -1, -1},
        {"55-byte names", {n54 + "A", n54 + "a"}, n54 + "a", 1, 0, 1},
        {"many", many, "MAPS/M2999.BSP", 5999, 2999, 5999},
        {"many, none of the name", many, "maps/m3000.bsp", -1, -1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        const TPakEntries entries = EntriesNamed(c.Names);
        for (const bool folded : {false, true}) {
            TNameTable table(entries, folded);
            for (std::size_t i = 0; i < entries.size(); ++i)
                ASSERT_EQ(table.Insert(i), FirstEqual(c.Names, i, i, folded)) << i;
            const std::int64_t wanted = folded ? c.Folded : c.Exact;
            EXPECT_EQ(table.Find(c.Query), wanted) << folded;
            EXPECT_EQ(TNameTable::Of(entries, folded).Find(c.Query), wanted) << folded;
        }
        const std::optional<std::size_t> first = FirstEntryNamed(entries, c.Query);
        EXPECT_EQ(first ? static_cast<std::int64_t>(*first) : -1, c.First);
    }
}

// 768 bytes: colour i is (i, 255 - i, tint).
std::string PaletteBytes(unsigned char tint) {
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += {static_cast<char>(i), static_cast<char>(255 - i), static_cast<char>(tint)};
    return bytes;
}

// The palette rule where the window's and the tool's tests do not reach:
// what goes wrong on the way is told, and only a pak0.pak held by another
// makes the greys worth asking again.
TEST(PakPalette, ProblemsOnTheWayAreToldAndHeldFilesAskedAgain) {
    const std::string picture = ToString(BuildPakImage({{"a.lmp", "x"}}));
    const std::string shortOwn = ToString(BuildPakImage({{"gfx/palette.lmp", "short"}}));
    const std::string withPalette = ToString(BuildPakImage({{"gfx/palette.lmp", PaletteBytes(9)}}));
    const std::string pastTheEnd =
        PakHeaderBytes(12, 64) + PakEntryBytes("gfx/palette.lmp", 12, 768);
    const struct {
        const char* What;
        const char* ArchiveName;
        std::string Archive;
        std::string Pak0; // none when empty
        bool Held;        // pak0.pak held by another meanwhile
        TPaletteSource Source;
        std::string Told; // the problems, "; " between; {pak0} its path, {Pak0} as shown
        bool Final;
    } cases[] = {
        {"both cut short", "mod.pak", shortOwn,
         ToString(BuildPakImage({{"gfx/palette.lmp", "RGB"}})), false, TPaletteSource::psGrey,
         "this archive's gfx/palette.lmp: Palette holds 5 bytes, not 768; {pak0}: "
         "gfx/palette.lmp: Palette holds 3 bytes, not 768",
         true},
        {"its own past the end", "mod.pak", pastTheEnd, withPalette, false,
         TPaletteSource::psBeside, "this archive's gfx/palette.lmp: Read beyond end of file", true},
        {"the archive is the pak0.pak", "pak0.pak", picture, "", false, TPaletteSource::psGrey, "",
         true},
        {"pak0.pak held", "mod.pak", picture, withPalette, true, TPaletteSource::psGrey,
         "{pak0}: Cannot open file {Pak0}", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        test::TTempDir dir;
        const std::filesystem::path path = dir / c.ArchiveName;
        test::WriteFile(path, c.Archive);
        const std::string pak0 = (dir.Path() / "pak0.pak").string();
        if (!c.Pak0.empty())
            test::WriteFile(pak0, c.Pak0);
        std::optional<TLockedFile> holder;
        if (c.Held)
            holder.emplace(pak0);
        TLockedFile archive(path);
        const TPakIndex index = ReadPakIndex(archive);
        const TFoundPalette found =
            FindArchivePalette(archive, index.Entries, path, TShareMode::smExclusive);
        EXPECT_EQ(found.Source, c.Source);
        EXPECT_EQ(found.Final, c.Final);
        std::string told;
        for (const std::string& problem : found.Problems)
            told += (told.empty() ? "" : "; ") + problem;
        std::string wanted = c.Told;
        for (const auto& [token, text] :
             {std::pair<std::string, std::string>{"{pak0}", pak0}, {"{Pak0}", DisplayPath(pak0)}})
            for (std::size_t at; (at = wanted.find(token)) != std::string::npos;)
                wanted.replace(at, token.size(), text);
        EXPECT_EQ(told, wanted);
        const TRgb colour = found.Colours.Colours[1];
        const TRgb wantedColour =
            c.Source == TPaletteSource::psGrey ? TRgb{1, 1, 1} : TRgb{1, 254, 9};
        EXPECT_EQ(colour, wantedColour);
        if (c.Source == TPaletteSource::psGrey) {
            EXPECT_EQ(NoPaletteNote(found),
                      "No palette found (" +
                          (told.empty() ? "gfx/palette.lmp is in neither this archive nor a "
                                          "pak0.pak beside it"
                                        : told) +
                          "): shown in greys");
        }
    }
}

} // namespace
} // namespace zorvak
