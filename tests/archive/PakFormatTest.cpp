#include "archive/PakFormat.h"
#include "archive/PakReader.h"
#include "archive/PakWriter.h"
#include "framework/Failures.h"
#include "framework/Files.h"
#include "support/PakImage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
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
    } cases[] = {
        {"PACK", true},   {"PACKxyz", true}, {std::string("PACK\0", 5), true}, {"pack", false},
        {"PAC", false},   {"", false},       {std::string("PA\0K", 4), false}, {"PACX", false},
        {" PACK", false},
    };
    test::TTempDir dir;
    for (const auto& c : cases) {
        EXPECT_EQ(IsPakSignature(c.Bytes), c.Pass) << c.Bytes;
        test::WriteFile(dir / "t.pak", c.Bytes);
        EXPECT_EQ(HasPakSignature(dir / "t.pak"), c.Pass) << c.Bytes;
    }
    EXPECT_THROW(HasPakSignature(dir / "missing.pak"), TFileOpenFailure);
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

} // namespace
} // namespace zorvak
