// Daikatana's PAKs: told from Quake's by their records alone, their
// compressed entries decoded code by code, each refusal and boundary.
#include "archive/EntryDecoder.h"
#include "archive/PakExtract.h"
#include "archive/PakReader.h"
#include "archive/PakVerify.h"
#include "framework/Failures.h"
#include "support/PakImage.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

namespace zorvak {
namespace {

using ::testing::HasSubstr;

struct TDkEntry {
    std::string Name;
    std::string Stored; // the bytes in the archive
    std::int32_t Size;  // stated, decoded
    bool Compressed;
};

// Header, the entries' bytes back to back, then 72-byte records.
std::string DaikatanaImage(const std::vector<TDkEntry>& entries) {
    std::string data;
    std::string directory;
    for (const TDkEntry& e : entries) {
        const auto pos = static_cast<std::int32_t>(kPakHeaderSize + data.size());
        data += e.Stored;
        std::string record = e.Name;
        record.resize(kPakNameSize, '\0');
        unsigned char ints[16];
        PutInt32(ints, pos);
        PutInt32(ints + 4, e.Compressed ? e.Size : static_cast<std::int32_t>(e.Stored.size()));
        PutInt32(ints + 8, e.Compressed ? static_cast<std::int32_t>(e.Stored.size()) : 0);
        PutInt32(ints + 12, e.Compressed ? 1 : 0);
        directory += record + std::string(reinterpret_cast<const char*>(ints), sizeof ints);
    }
    return test::PakHeaderBytes(static_cast<std::int32_t>(kPakHeaderSize + data.size()),
                                static_cast<std::int32_t>(directory.size())) +
           data + directory;
}

std::string Bytes(std::initializer_list<int> codes) {
    std::string out;
    for (int c : codes)
        out += static_cast<char>(c);
    return out;
}

TEST(EntryDecoder, DecodesDaikatanasCodes) {
    const struct {
        const char* What;
        std::string Coded;
        std::int32_t Size;
        std::string Expect; // "! ..." a substring of the refusal
    } cases[] = {
        {"literal bytes", Bytes({2, 'a', 'b', 'c', 255}), 3, "abc"},
        {"zeros", Bytes({64, 127, 255}), 67, std::string(67, '\0')},
        {"a repeated byte", Bytes({128, 'x', 191, 'y', 255}), 67, "xx" + std::string(65, 'y')},
        {"a back reference that overlaps what it writes", Bytes({1, 'a', 'b', 193, 0, 255}), 5,
         "ababa"},
        {"254 does nothing", Bytes({0, 'q', 254, 0, 'r', 255}), 2, "qr"},
        {"no end mark, the size reached", Bytes({1, 'o', 'k'}), 2, "ok"},
        {"a back reference before the first byte", Bytes({0, 'a', 192, 5, 255}), 3,
         "! a back reference reaches before the entry's first byte"},
        {"cut inside literal bytes", Bytes({5, 'a'}), 6,
         "! its coded data end inside a run of bytes"},
        {"fewer bytes than stated", Bytes({0, 'a', 255}), 4, "! its data end after 1 of its 4"},
        {"more bytes than stated", Bytes({3, 'a', 'b', 'c', 'd', 255}), 2,
         "! it decodes to more than its stated 2 bytes"},
        {"a size no code could reach", Bytes({0, 'a', 255}), 100000,
         "! it states 100000 bytes, more than its 3 coded bytes can hold"},
    };
    test::TTempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        const auto path = dir / "dk.pak";
        const std::string image = DaikatanaImage(
            {{"plain.txt", "as is", 5, false}, {"maps/x.bsp", c.Coded, c.Size, true}});
        std::ofstream(path, std::ios::binary) << image;
        TLockedFile file(path);
        const TPakIndex index = ReadPakIndex(file);
        EXPECT_EQ(index.Kind, TPakKind::pkDaikatana);
        ASSERT_EQ(index.Entries.size(), 2u);
        const std::vector<unsigned char> plain = ReadEntryBytes(file, index.Entries[0]);
        EXPECT_EQ(std::string(plain.begin(), plain.end()), "as is");
        std::string got;
        try {
            const std::vector<unsigned char> bytes = ReadEntryBytes(file, index.Entries[1]);
            got.assign(bytes.begin(), bytes.end());
        } catch (const TFailure& e) {
            got = std::string("! ") + e.what();
        }
        if (c.Expect.starts_with("! "))
            EXPECT_THAT(got, HasSubstr(c.Expect.substr(2)));
        else
            EXPECT_EQ(got, c.Expect);
        // Verify decodes it as extraction does.
        TMemoryStream stream(std::vector<unsigned char>(image.begin(), image.end()));
        const TPakReport report = VerifyPak(stream);
        EXPECT_EQ(report.Total, c.Expect.starts_with("! ") ? 1 : 0);
    }
}

// Eight records are 576 bytes, a length both layouts divide: the records
// decide, and an archive that reads as Quake's stays Quake's.
TEST(EntryDecoder, TellsDaikatanasRecordsFromQuakes) {
    std::vector<TDkEntry> eight;
    for (int i = 0; i < 8; ++i)
        eight.push_back({"f" + std::to_string(i), Bytes({0, 'a' + i, 255}), 1, true});
    std::vector<std::pair<std::string, std::string>> nine;
    for (int i = 0; i < 9; ++i)
        nine.emplace_back("q" + std::to_string(i), std::string(1, static_cast<char>('a' + i)));
    const struct {
        const char* What;
        std::string Bytes;
        TPakKind Kind;
        std::size_t Entries;
    } cases[] = {
        {"eight Daikatana records", DaikatanaImage(eight), TPakKind::pkDaikatana, 8},
        {"nine Quake records", test::ToString(BuildPakImage(nine)), TPakKind::pkQuake, 9},
        {"one Daikatana record", DaikatanaImage({{"a", "abc", 3, false}}), TPakKind::pkDaikatana,
         1},
        {"a Quake directory of 72 bytes that fits neither",
         test::PakHeaderBytes(12, 72) + std::string(72, 'x'), TPakKind::pkQuake, 1},
    };
    for (const auto& c : cases) {
        TMemoryStream stream(std::vector<unsigned char>(c.Bytes.begin(), c.Bytes.end()));
        const TPakIndex index = ReadPakIndex(stream);
        EXPECT_EQ(index.Kind, c.Kind) << c.What;
        EXPECT_EQ(index.Entries.size(), c.Entries) << c.What;
    }
}

} // namespace
} // namespace zorvak
