// ZIP archives read, decoded, verified and written: other makers' layouts
// written byte by byte, each refusal, and each boundary.
#include "archive/EntryDecoder.h"
#include "archive/PakEdit.h"
#include "archive/PakExtract.h"
#include "archive/PakReader.h"
#include "archive/PakVerify.h"
#include "archive/ZipBuild.h"
#include "support/FailureOf.h"
#include "support/TempDir.h"
#include "support/ZipImage.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iterator>

namespace zorvak {
namespace {

using test::TZipSpec;
using test::ZipImage;
using ::testing::HasSubstr;

TPakIndex IndexOf(const std::string& bytes) {
    TMemoryStream stream(std::vector<unsigned char>(bytes.begin(), bytes.end()));
    return ReadPakIndex(stream);
}

// What each entry decodes to, or why it does not.
std::vector<std::string> Decoded(const std::filesystem::path& path, const TPakIndex& index) {
    TLockedFile file(path);
    std::vector<std::string> out;
    for (const TPakEntry entry : index.Entries) {
        try {
            const std::vector<unsigned char> bytes = ReadEntryBytes(file, entry);
            out.emplace_back(bytes.begin(), bytes.end());
        } catch (const TFailure& e) {
            out.push_back(std::string("! ") + e.what());
        }
    }
    return out;
}

TEST(ZipArchive, ReadsWhatOtherMakersWrite) {
    const std::string text = "The quick brown fox jumps over the lazy dog. ";
    std::string many;
    for (int i = 0; i < 300; ++i)
        many += text;
    // The Info-ZIP Unicode path field: version 1, the CRC of the header's
    // name, the UTF-8 name.
    const auto unicodePath = [](const std::string& stored, const std::string& utf8) {
        const std::string body = "\x01" + test::Raw32(test::Crc32Of(stored)) + utf8;
        return test::Raw16(kZipExtraUnicodePath) +
               test::Raw16(static_cast<std::uint16_t>(body.size())) + body;
    };
    struct TCase {
        const char* What;
        std::string Bytes;
        std::vector<std::string> Names;
        std::vector<std::string> Contents; // "! ..." a substring of the refusal
        bool Complete = true;
    } cases[] = {
        {"deflated and stored",
         ZipImage({{"maps/e1m1.bsp", many}, {"gfx/a.lmp", "abc", kZipMethodStored}}),
         {"maps/e1m1.bsp", "gfx/a.lmp"},
         {many, "abc"}},
        {"a streamed member: its sizes in a descriptor after its data",
         ZipImage({{"progs/s.txt", many, kZipMethodDeflated, kZipFlagDescriptor}}),
         {"progs/s.txt"},
         {many}},
        {"ZIP64 sizes, offset and end records",
         ZipImage(
             {{"a", "one", kZipMethodStored, 0, true}, {"b", many, kZipMethodDeflated, 0, true}},
             true),
         {"a", "b"},
         {"one", many}},
        {"an empty archive", ZipImage({}), {}, {}},
        {"UTF-8 flagged, code page 437 and Unicode path names",
         ZipImage({{"sound/h\xC3\xA9llo.wav", "x", kZipMethodStored, kZipFlagUtf8},
                   {"caf\x82.txt", "y", kZipMethodStored},
                   {"na\x8Fve.txt", "z", kZipMethodStored, 0, false,
                    unicodePath("na\x8Fve.txt", "na\xC3\xAFve.txt")}}),
         {"sound/h\xC3\xA9llo.wav", "caf\xC3\xA9.txt", "na\xC3\xAFve.txt"},
         {"x", "y", "z"}},
        {"a Unicode path field for another name is not taken",
         ZipImage({{"old.txt", "o", kZipMethodStored, 0, false, unicodePath("new.txt", "x.txt")}}),
         {"old.txt"},
         {"o"}},
        {"folder members are not listed",
         ZipImage({{"maps/", "", kZipMethodStored}, {"maps/a.bsp", "a", kZipMethodStored}}),
         {"maps/a.bsp"},
         {"a"}},
        {"a name is cut at a NUL, as a PAK's is",
         ZipImage({{std::string("evil.txt\0../../x", 16), "e", kZipMethodStored}}),
         {"evil.txt"},
         {"e"}},
        {"a comment after the end record",
         ZipImage({{"a.txt", "a", kZipMethodStored}}, false, "", "made by hand PK\x05\x06"),
         {"a.txt"},
         {"a"}},
        {"a method not decoded is named, and so is encryption",
         ZipImage({{"x.lzma", "data", 14}, {"y.bin", "data", kZipMethodStored, kZipFlagEncrypted}}),
         {"x.lzma", "y.bin"},
         {"! compressed with LZMA (method 14)", "! it is encrypted"}},
        {"a wrong CRC",
         ZipImage({{"a", many, kZipMethodDeflated, 0, false, "", 0x12345678u}}),
         {"a"},
         {"! its CRC is"}},
        {"more bytes than stated",
         ZipImage({{"a", many, kZipMethodDeflated, 0, false, "", std::nullopt, 100}}),
         {"a"},
         {"! decodes to more than its stated 100 bytes"}},
        {"fewer bytes than stated",
         ZipImage({{"a", "short", kZipMethodDeflated, 0, false, "", std::nullopt, 9}}),
         {"a"},
         {"! its data end after 5 of its 9 bytes"}},
        {"a size its deflated bytes cannot hold",
         ZipImage({{"bomb", "tiny", kZipMethodDeflated, 0, false, "", std::nullopt,
                    std::uint64_t{1} << 40}}),
         {"bomb"},
         {"! more than its"}},
        {"stored with two sizes",
         ZipImage({{"a", "abc", kZipMethodStored, 0, false, "", std::nullopt, 2}}),
         {"a"},
         {"! it is stored, yet states 2 bytes in 3"}},
        {"a local header that is not there",
         [] {
             std::string bytes =
                 ZipImage({{"a", "abc", kZipMethodStored}, {"b", "def", kZipMethodStored}});
             bytes[bytes.find("PK\x03\x04", 1)] = 'X';
             return bytes;
         }(),
         {"a", "b"},
         {"abc", "! no local header where the directory puts it"}},
    };
    test::TTempDir dir;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        const auto path = dir / "t.pk3";
        { std::ofstream(path, std::ios::binary) << c.Bytes; }
        const TPakIndex index = ReadPakIndex(path);
        EXPECT_EQ(index.Kind, TPakKind::pkZip);
        EXPECT_EQ(index.Complete, c.Complete);
        std::vector<std::string> names;
        for (const TPakEntry e : index.Entries)
            names.emplace_back(e.Name);
        EXPECT_EQ(names, c.Names);
        const std::vector<std::string> got = Decoded(path, index);
        ASSERT_EQ(got.size(), c.Contents.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            if (c.Contents[i].starts_with("! "))
                EXPECT_THAT(got[i], HasSubstr(c.Contents[i].substr(2))) << names[i];
            else
                EXPECT_EQ(got[i], c.Contents[i]) << names[i];
        }
    }
}

TEST(ZipArchive, DamagedDirectoriesListWhatIsWhole) {
    const std::string whole =
        ZipImage({{"a", "1", kZipMethodStored}, {"b", "2", kZipMethodStored}});
    const std::size_t directory = whole.find("PK\x01\x02");
    const std::size_t second = whole.find("PK\x01\x02", directory + 1);
    const std::size_t end = whole.find("PK\x05\x06");
    struct TCase {
        const char* What;
        std::string Bytes;
        std::size_t Listed;
        bool Complete;
    } cases[] = {
        {"whole", whole, 2, true},
        {"no end record", whole.substr(0, end), 0, false},
        {"the second record's signature broken",
         whole.substr(0, second) + "XX" + whole.substr(second + 2), 1, false},
        {"a count past the records",
         whole.substr(0, end + 8) + test::Raw16(60000) + test::Raw16(60000) +
             whole.substr(end + 12),
         2, false},
        {"a directory said to lie past the end record",
         whole.substr(0, end + 16) + test::Raw32(0x7FFFFFF0) + whole.substr(end + 20), 0, false},
        {"spanned over disks", whole.substr(0, end + 4) + test::Raw16(1) + whole.substr(end + 6), 0,
         false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        const TPakIndex index = IndexOf(c.Bytes);
        EXPECT_EQ(index.Entries.size(), c.Listed);
        EXPECT_EQ(index.Complete, c.Complete);
    }
}

TEST(ZipArchive, VerifyReportsWhatAReaderWouldMeet) {
    const std::string text(5000, 'q');
    const std::string clean =
        ZipImage({{"maps/a.bsp", text}, {"gfx/b.lmp", "bb", kZipMethodStored}});
    std::string overlapping = clean;
    {
        // The second record's offset moved onto the first member.
        const std::size_t second = clean.find("PK\x01\x02", clean.find("PK\x01\x02") + 1);
        overlapping.replace(second + 42, 4, test::Raw32(0));
    }
    struct TCase {
        const char* What;
        std::string Bytes;
        std::vector<std::string> Problems; // substrings, in order
        std::int64_t Unused = 0;
    } cases[] = {
        {"clean", clean, {}},
        {"a local name that differs",
         ZipImage({{"a.txt", "a", kZipMethodStored, 0, false, "", std::nullopt, std::nullopt,
                    std::string("b.txt")}}),
         {"its local header differs from the directory in its name \"b.txt\""}},
        {"a wrong CRC",
         ZipImage({{"a", text, kZipMethodDeflated, 0, false, "", 7u}}),
         {"its CRC is"}},
        {"a method not decoded",
         ZipImage({{"a", "x", 12}}),
         {"cannot be checked: it is compressed with bzip2"}},
        {"members that overlap",
         overlapping,
         {"its data overlap those of entry 0", "its local header differs", "its CRC is"},
         // The second member's own header and bytes, which nothing names now.
         41},
        {"names a game would not find",
         ZipImage({{"Maps/A.bsp", "x", kZipMethodStored}, {"maps/a.bsp", "y", kZipMethodStored}}),
         {"upper-case", "differs only in letter case from entry 0"}},
        {"a folder member's bytes are used",
         ZipImage({{"maps/", "", kZipMethodStored}, {"maps/a.bsp", "a", kZipMethodStored}}),
         {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TMemoryStream stream(std::vector<unsigned char>(c.Bytes.begin(), c.Bytes.end()));
        const TPakReport report = VerifyPak(stream);
        EXPECT_TRUE(report.Usable);
        ASSERT_EQ(report.Problems.size(), c.Problems.size());
        for (std::size_t i = 0; i < c.Problems.size(); ++i)
            EXPECT_THAT(report.Problems[i].Text, HasSubstr(c.Problems[i]));
        EXPECT_EQ(report.Unused, c.Unused);
    }
}

} // namespace
} // namespace zorvak

namespace zorvak {
namespace {

#ifndef _WIN32
// What a command prints, and whether it ended well.
bool RunCommand(const std::string& command, std::string& out) {
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return false;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    return pclose(pipe) == 0;
}

bool Have(const char* program) {
    std::string ignored;
    return RunCommand(std::string("command -v ") + program, ignored);
}

void WriteTree(const std::filesystem::path& root,
               const std::vector<std::pair<std::string, std::string>>& files) {
    for (const auto& [name, data] : files) {
        std::filesystem::create_directories((root / name).parent_path());
        std::ofstream(root / name, std::ios::binary) << data;
    }
}

TEST(ZipArchive, OthersReadWhatItBuilds) {
    if (!Have("python3") || !Have("unzip"))
        GTEST_SKIP() << "python3 and unzip check the archive; one is missing";
    std::string compressible;
    for (int i = 0; compressible.size() < 3 * kZipBuildPiece + 17; ++i)
        compressible += "line " + std::to_string(i % 977) + " of a map's entities\n";
    std::string noise(100000, '\0');
    std::uint32_t state = 12345;
    for (char& c : noise) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    const std::vector<std::pair<std::string, std::string>> files = {
        {"empty.cfg", ""},
        {"maps/big.ent", compressible},
        {"sound/h\xC3\xA9llo.wav", "RIFF0000WAVE"},
        {"progs/noise.bin", noise},
        // Pieces deflate cannot shrink, in stored blocks, then pieces it can.
        {"demos/mixed.dem",
         [&] {
             std::string mixed;
             while (mixed.size() < 2 * kZipBuildPiece)
                 mixed += noise;
             return mixed + compressible;
         }()},
    };
    test::TTempDir dir;
    WriteTree(dir / "tree", files);
    std::vector<TPakBuildFile> found;
    ASSERT_TRUE(WalkPakTree(dir / "tree", found, {}));
    std::sort(found.begin(), found.end(),
              [](const TPakBuildFile& a, const TPakBuildFile& b) { return a.Name < b.Name; });
    // One thread or three: the same bytes.
    std::string built[2];
    for (int threads : {0, 3}) {
        TPakBuildHooks hooks;
        hooks.Readers = static_cast<unsigned>(threads);
        const auto out = dir / ("t" + std::to_string(threads) + ".pk3");
        ASSERT_TRUE(WriteZipFile(out, found, hooks, true));
        std::ifstream in(out, std::ios::binary);
        built[threads == 0 ? 0 : 1].assign(std::istreambuf_iterator<char>(in), {});
    }
    EXPECT_EQ(built[0], built[1]);
    const auto pk3 = dir / "t0.pk3";
    std::string said;
    EXPECT_TRUE(RunCommand("unzip -t " + pk3.string(), said)) << said;
    // Python's reader, byte for byte against the tree.
    said.clear();
    const std::string check =
        "import sys, zipfile, os\n"
        "z = zipfile.ZipFile(sys.argv[1])\n"
        "assert z.testzip() is None\n"
        "names = sorted(i.filename for i in z.infolist())\n"
        "print(names)\n"
        "for n in names:\n"
        "    assert z.read(n) == open(os.path.join(sys.argv[2], n), 'rb').read(), n\n";
    EXPECT_TRUE(RunCommand(
        "python3 -c \"" + check + "\" " + pk3.string() + " " + (dir / "tree").string(), said))
        << said;
    EXPECT_THAT(said, HasSubstr("'sound/h\xC3\xA9llo.wav'"));
    // And its own reader.
    const TPakIndex index = ReadPakIndex(pk3);
    ASSERT_EQ(index.Entries.size(), files.size());
    for (const auto& d : Decoded(pk3, index))
        EXPECT_FALSE(d.starts_with("! ")) << d;
}

// Python's writer: deflated, stored, streamed (its sizes in a descriptor)
// and UTF-8 named members, each extracted byte for byte.
TEST(ZipArchive, ExtractsWhatPythonWrites) {
    if (!Have("python3"))
        GTEST_SKIP() << "python3 writes the archive";
    test::TTempDir dir;
    const auto pk3 = dir / "py.pk3";
    const std::string write =
        "import sys, zipfile\n"
        "z = zipfile.ZipFile(sys.argv[1], 'w')\n"
        "z.writestr('maps/e1m1.ent', b'{ light }\\n' * 5000, zipfile.ZIP_DEFLATED)\n"
        "z.writestr('gfx/a.lmp', bytes(range(256)), zipfile.ZIP_STORED)\n"
        "with z.open('progs/streamed.dat', 'w') as f: f.write(b'stream' * 3000)\n"
        "z.writestr('sound/h\\u00e9llo.wav', b'RIFF', zipfile.ZIP_DEFLATED)\n"
        "z.close()\n";
    std::string said;
    ASSERT_TRUE(RunCommand("python3 -c \"" + write + "\" " + pk3.string(), said)) << said;
    const TPakIndex index = ReadPakIndex(pk3);
    std::vector<std::string> names;
    for (const TPakEntry e : index.Entries)
        names.emplace_back(e.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"maps/e1m1.ent", "gfx/a.lmp", "progs/streamed.dat",
                                               "sound/h\xC3\xA9llo.wav"}));
    std::string light, bytes, stream;
    for (int i = 0; i < 5000; ++i)
        light += "{ light }\n";
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    for (int i = 0; i < 3000; ++i)
        stream += "stream";
    EXPECT_EQ(Decoded(pk3, index), (std::vector<std::string>{light, bytes, stream, "RIFF"}));
    // And extracted into files, as zorvak-pak and the window do.
    std::filesystem::create_directory(dir / "out");
    TExtractTarget target(dir / "out");
    TLockedFile file(pk3);
    struct TNoGauge : TCopyObserver {
        void Started(std::int32_t) override {}
        bool BeforeChunk() override { return true; }
    } gauge;
    TEntryCopier copier(true);
    for (const TPakEntry e : index.Entries)
        ASSERT_TRUE(ExtractEntry(
            target, e, [&]() -> const TLockedFile& { return file; }, gauge, copier));
    target.Finish();
    std::ifstream in(dir / "out" / "progs" / "streamed.dat", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), stream);
}

TEST(ZipArchive, EditsKeepUntouchedMembersCodedAsTheyAre) {
    if (!Have("python3"))
        GTEST_SKIP() << "python3 checks the archive";
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "entity " + std::to_string(i) + "\n";
    test::TTempDir dir;
    const auto pk3 = dir / "e.pk3";
    {
        std::ofstream(pk3, std::ios::binary)
            << ZipImage({{"maps/streamed.ent", text, kZipMethodDeflated, kZipFlagDescriptor},
                         {"gfx/a.lmp", "abc", kZipMethodStored},
                         {"gone.txt", "bye"},
                         {"old.txt", "renamed bytes"}});
    }
    WriteTree(dir.Path(), {{"new.cfg", "bind x +jump\n"}});
    const std::string before = [&] {
        std::ifstream in(pk3, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    const TPakIndex index = ReadPakIndex(pk3);
    const TPakEditPlan plan =
        PlanPakEdit(index, {TPakChange::Delete(2), TPakChange::Rename(3, "new/name.txt"),
                            TPakChange::AddFile("new.cfg", (dir / "new.cfg").string())});
    ASSERT_TRUE(ApplyPakEdit(pk3, index, plan, {}));
    const TPakIndex after = ReadPakIndex(pk3);
    std::vector<std::string> names;
    for (const TPakEntry e : after.Entries)
        names.emplace_back(e.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"maps/streamed.ent", "gfx/a.lmp", "new/name.txt",
                                               "new.cfg"}));
    EXPECT_EQ(Decoded(pk3, after),
              (std::vector<std::string>{text, "abc", "renamed bytes", "bind x +jump\n"}));
    // The kept members' coded bytes are the old ones, byte for byte.
    const std::string after_bytes = [&] {
        std::ifstream in(pk3, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    const std::string coded = test::RawDeflate(text);
    EXPECT_NE(before.find(coded), std::string::npos);
    EXPECT_NE(after_bytes.find(coded), std::string::npos);
    EXPECT_EQ(after.Entries[0].Coding->ZipMethod, kZipMethodDeflated);
    TMemoryStream stream(std::vector<unsigned char>(after_bytes.begin(), after_bytes.end()));
    EXPECT_EQ(VerifyPak(stream).Total, 0);
    std::string said;
    EXPECT_TRUE(RunCommand("python3 -c \"import sys, zipfile; "
                           "assert zipfile.ZipFile(sys.argv[1]).testzip() is None\" " +
                               pk3.string(),
                           said))
        << said;
}
#endif

} // namespace
} // namespace zorvak
