// The command-line companion, run as a script would run it.
#include "cli/PakTool.h"
#include "archive/PakReader.h"
#include "archive/PakWriter.h"
#include "formats/FormatImages.h"
#include "formats/PngCheck.h"
#include "framework/Files.h"
#include "framework/Interrupt.h"
#include "framework/System.h"
#include "framework/Text.h"
#include "support/Child.h"
#include "support/PakImage.h"
#include "support/Platform.h"
#include "support/TempDir.h"
#include "support/ZipImage.h"

#include <algorithm>
#include <csignal>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace zorvak {
namespace {

using test::PakEntryBytes;
using test::PakHeaderBytes;
using test::ReadFile;
using test::TTempDir;
using test::WriteFile;
using ::testing::HasSubstr;

struct TRun {
    int Status;
    std::string Out;
    std::string Err;
};

TRun RunTool(std::vector<std::string> args) {
    std::ostringstream out, err;
    const int status = RunPakTool(args, out, err, false);
    return {status, out.str(), err.str()};
}

// a.pak in dir, holding files in that order: the archive most runs work on.
std::string WritePak(const TTempDir& dir,
                     const std::vector<std::pair<std::string, std::string>>& files) {
    const auto pak = (dir / "a.pak").string();
    WriteFile(pak, BuildPakImage(files));
    return pak;
}

// Rows run in one process, in order, as the tests do: each parse starts
// afresh whatever the one before left (an error inside a bundle, a "--").
TEST(PakTool, UsageAndUnknownCommands) {
    const struct {
        std::vector<std::string> Args;
        int Status;
        bool UsageOnOut;
        const char* Says = ""; // a phrase of out (status 0) or err
    } cases[] = {
        {{"--help"}, kExitOk, true},
        {{}, kExitUnusable, false},
        {{"frobnicate"}, kExitUnusable, false, "unknown command frobnicate\n"},
        // A typed mistake is named back: a slip, two swapped letters, a
        // command begun, a shift key held.
        {{"extarct"}, kExitUnusable, false, "unknown command extarct; did you mean extract?"},
        {{"lsit", "a.pak"}, kExitUnusable, false, "did you mean list?"},
        {{"comp"}, kExitUnusable, false, "did you mean compact?"},
        {{"VERIFY"}, kExitUnusable, false, "did you mean verify?"},
        {{"x"}, kExitUnusable, false, "unknown command x\n"},
        {{"list"}, kExitUnusable, false},
        {{"list", "a", "b"}, kExitUnusable, false},
        {{"extract", "a.pak", "-C"}, kExitUnusable, false},
        {{"build", "dir"}, kExitUnusable, false},
        {{"verify", "a.pak", "--bogus"}, kExitUnusable, false, "unknown option --bogus"},
        {{"--version"}, kExitOk, false, "zorvak-pak 1."},
        {{"extract", "--help"}, kExitOk, true, "usage: zorvak-pak extract ARCHIVE"},
        {{"help", "cat"}, kExitOk, true, "usage: zorvak-pak cat ARCHIVE NAME"},
        {{"list", "-lx", "a.pak"}, kExitUnusable, false, "unknown option -x"},
        {{"list", "-0", "a", "b"}, kExitUnusable, false, "list -0 takes one archive"},
        {{"list", "--json", "-0", "a"}, kExitUnusable, false, "list takes -0 or --json"},
        {{"verify"}, kExitUnusable, false, "verify takes an archive"},
        {{"extract", "a.pak", "-i"}, kExitUnusable, false, "-i needs a value"},
        {{"build", "d", "-o", "x.pak", "--sorted=yes"},
         kExitUnusable,
         false,
         "--sorted takes no value"},
        {{"cat", "a.pak"}, kExitUnusable, false, "cat takes an archive and one entry name"},
        {{"cat", "--", "a.pak", "-x", "y"}, kExitUnusable, false, "cat takes an archive"},
        {{"verify", "--help", "--bogus"}, kExitOk, true, "usage: zorvak-pak verify"},
    };
    for (const auto& c : cases) {
        const TRun r = RunTool(c.Args);
        EXPECT_EQ(r.Status, c.Status) << ::testing::PrintToString(c.Args);
        EXPECT_EQ(r.Out.find("usage:") != std::string::npos, c.UsageOnOut);
        EXPECT_NE((c.Status == kExitOk ? r.Out : r.Err).find(c.Says), std::string::npos)
            << ::testing::PrintToString(c.Args) << "\n"
            << r.Out << r.Err;
        if (c.Status != kExitOk) {
            EXPECT_FALSE(r.Err.empty());
            EXPECT_EQ(r.Out, "");
        }
    }
}

TEST(PakTool, ListsNamesAndWithLPositionsLengthsAndATotal) {
    TTempDir dir;
    const auto pak = WritePak(dir, {{"progs.dat", "123"}, {"sound/a.wav", "12345"}});
    const TRun plain = RunTool({"list", pak});
    EXPECT_EQ(plain.Status, kExitOk);
    EXPECT_EQ(plain.Out, "progs.dat\nsound/a.wav\n");
    EXPECT_EQ(plain.Err, "");
    const TRun detailed = RunTool({"list", "-l", pak});
    EXPECT_EQ(detailed.Out, "        12          3 progs.dat\n"
                            "        15          5 sound/a.wav\n"
                            "2 entries, 8 bytes\n");
    WriteFile(dir / "bad.pak", "pack");
    EXPECT_EQ(RunTool({"list", (dir / "bad.pak").string()}).Status, kExitUnusable);
    EXPECT_EQ(RunTool({"list", (dir / "missing.pak").string()}).Status, kExitUnusable);
}

TEST(PakTool, ExtractsAllOrNamedEntriesInsideTheDirectoryOnly) {
    TTempDir dir;
    const auto pak = WritePak(dir, {{"maps/e1m1.bsp", "map"},
                                    {"../outside.txt", "escape"},
                                    {"progs.dat", "first"},
                                    {"progs.dat", "second"}});
    const auto out = dir / "out";
    const TRun all = RunTool({"extract", pak, "-C", out.string()});
    EXPECT_EQ(all.Status, kExitProblems);
    EXPECT_EQ(ReadFile(out / "maps/e1m1.bsp"), "map");
    EXPECT_EQ(ReadFile(out / "progs.dat"), "first");
    EXPECT_FALSE(std::filesystem::exists(dir / "outside.txt"));
    EXPECT_NE(all.Err.find("../outside.txt"), std::string::npos) << all.Err;
    EXPECT_EQ(all.Out, "");

    const auto only = dir / "only";
    const TRun named = RunTool({"extract", pak, "-C", only.string(), "progs.dat", "nope"});
    EXPECT_EQ(named.Status, kExitProblems);
    EXPECT_NE(named.Err.find("nope: no such entry"), std::string::npos) << named.Err;
    EXPECT_TRUE(std::filesystem::exists(only / "progs.dat"));
    EXPECT_FALSE(std::filesystem::exists(only / "maps"));

    const TRun clean = RunTool({"extract", pak, "-C", only.string(), "maps/e1m1.bsp"});
    EXPECT_EQ(clean.Status, kExitOk) << clean.Err;
}

// What the directory holds, so that a temporary left behind shows.
std::set<std::string> Listing(const std::filesystem::path& dir) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.insert(e.path().filename().string());
    return names;
}

std::set<std::string> FilesBelow(const std::filesystem::path& dir) {
    std::set<std::string> files;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(dir, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        if (!it->is_directory())
            files.insert(it->path().lexically_relative(dir).generic_string());
    return files;
}

// -i takes shell-style patterns without regard to ASCII letter case, "*"
// crossing "/"; plain names keep their exact match.
TEST(PakTool, ExtractChoosesByNamesAndPatterns) {
    TTempDir dir;
    const auto pak = WritePak(dir, {{"sound/a.wav", "a"},
                                    {"sound/amb/Wind.WAV", "w"},
                                    {"maps/e1m1.bsp", "m"},
                                    {"Progs.dat", "p"},
                                    {".hidden", "h"},
                                    {"caf\xe9.txt", "c"},
                                    {"star*.txt", "s"}});
#ifdef _WIN32
    // Files there are named in UTF-16: the Latin-1 byte lands as its
    // character, read back as UTF-8; "*" is no character of a file name.
    const std::string cafe = "caf\xc3\xa9.txt";
    const std::string star;
    const int starStatus = kExitProblems;
    const char* starSays = "star*.txt: Entry name \"star*.txt\" cannot be a file name";
#else
    const std::string cafe = "caf\xe9.txt";
    const std::string star = "star*.txt";
    const int starStatus = kExitOk;
    const char* starSays = "";
#endif
    std::set<std::string> all = {
        "sound/a.wav", "sound/amb/Wind.WAV", "maps/e1m1.bsp", "Progs.dat", ".hidden", cafe, star};
    all.erase("");
    const struct {
        std::vector<std::string> Choice;
        std::set<std::string> Written;
        int Status;
        const char* Says;
    } cases[] = {
        {{"-i", "sound/*.wav"}, {"sound/a.wav", "sound/amb/Wind.WAV"}, kExitOk, ""},
        {{"-i", "SOUND/?.WAV"}, {"sound/a.wav"}, kExitOk, ""},
        {{"-i", "[pm]*"}, {"maps/e1m1.bsp", "Progs.dat"}, kExitOk, ""},
        {{"-i", "[!ps.]*"}, {"maps/e1m1.bsp", cafe}, kExitOk, ""},
        {{"-i", "*"}, all, starStatus, starSays},
        {{"-i", "progs.dat"}, {"Progs.dat"}, kExitOk, ""},
        {{"-i", "CAF\xe9*"}, {cafe}, kExitOk, ""},
        {{"-i", "star\\*.txt"},
         star.empty() ? std::set<std::string>{} : std::set{star},
         starStatus,
         starSays},
        {{"-i", "maps/*", "-i", "*.dat"}, {"maps/e1m1.bsp", "Progs.dat"}, kExitOk, ""},
        {{"maps/e1m1.bsp", "-i", "*/a.wav"}, {"maps/e1m1.bsp", "sound/a.wav"}, kExitOk, ""},
        {{"progs.dat"}, {}, kExitProblems, "progs.dat: no such entry"},
        {{"-i", "*.pcx", "-i", "*.bsp"},
         {"maps/e1m1.bsp"},
         kExitProblems,
         "*.pcx: no entry matches"},
        {{"-i", "star\\?.txt"}, {}, kExitProblems, "star\\?.txt: no entry matches"},
    };
    int run = 0;
    for (const auto& c : cases) {
        const auto out = dir / ("out" + std::to_string(run++));
        std::vector<std::string> args = {"extract", pak, "-C", out.string()};
        args.insert(args.end(), c.Choice.begin(), c.Choice.end());
        const TRun r = RunTool(args);
        EXPECT_EQ(r.Status, c.Status) << ::testing::PrintToString(c.Choice) << r.Err;
        EXPECT_EQ(FilesBelow(out), c.Written) << ::testing::PrintToString(c.Choice);
        EXPECT_NE(r.Err.find(c.Says), std::string::npos) << r.Err;
    }
}

// --no-clobber keeps what is there, says so, and is no failure; what cannot
// be kept (a directory in the way) still fails.
TEST(PakTool, ExtractNoClobberKeepsExistingFiles) {
    TTempDir dir;
    const auto pak = dir / "self.pak";
    WriteFile(pak, BuildPakImage({{"progs.dat", "new progs"},
                                  {"maps/e1m1.bsp", "new map"},
                                  {"link.txt", "new link"},
                                  {"self.pak", "tiny"},
                                  {"progs.dat", "a second progs"}}));
    const std::string image = ReadFile(pak);
    const auto out = dir / "out";
    WriteFile(out / "progs.dat", "old progs");
    ASSERT_TRUE(test::MakeLink("nowhere", out / "link.txt"));

    // The second run finds the first run's files and keeps them too.
    const struct {
        const char* What;
        std::vector<std::string> Args;
        std::filesystem::path Below;
        std::vector<std::string> Kept;
        std::ptrdiff_t Lines; // the kept ones, and "stored again" for the second progs.dat
    } runs[] = {
        {"first run",
         {"extract", pak.string(), "-C", out.string(), "--no-clobber"},
         out,
         {"progs.dat", "link.txt"},
         3},
        {"again",
         {"extract", pak.string(), "--no-clobber", "-C", out.string()},
         out,
         {"progs.dat", "maps/e1m1.bsp", "link.txt", "self.pak"},
         5},
        {"the archive beside its entries",
         {"extract", pak.string(), "-C", dir.Path().string(), "--no-clobber", "self.pak"},
         dir.Path(),
         {"self.pak"},
         1},
    };
    for (const auto& run : runs) {
        const TRun r = RunTool(run.Args);
        EXPECT_EQ(r.Status, kExitOk) << run.What << "\n" << r.Err;
        for (const std::string& name : run.Kept) {
            EXPECT_NE(r.Err.find("kept " + (run.Below / name).make_preferred().string() +
                                 ": it exists\n"),
                      std::string::npos)
                << run.What << "\n"
                << r.Err;
        }
        EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), run.Lines) << run.What << r.Err;
        EXPECT_EQ(ReadFile(out / "progs.dat"), "old progs") << run.What;
        EXPECT_TRUE(test::IsLink(out / "link.txt")) << run.What;
        EXPECT_EQ(ReadFile(out / "maps/e1m1.bsp"), "new map") << run.What;
        EXPECT_EQ(ReadFile(pak), image) << run.What;
    }

    std::filesystem::create_directories(dir / "blocked/progs.dat");
    const TRun blocked =
        RunTool({"extract", pak.string(), "-C", (dir / "blocked").string(), "--no-clobber"});
    EXPECT_EQ(blocked.Status, kExitProblems);
    EXPECT_EQ(blocked.Err.find(": it exists"), std::string::npos) << blocked.Err;
    EXPECT_NE(blocked.Err.find("Cannot create file"), std::string::npos) << blocked.Err;
    EXPECT_EQ(ReadFile(dir / "blocked/maps/e1m1.bsp"), "new map");
}

// A stream that refuses every byte, as a full disk behind a redirection.
struct TRefusingBuffer : std::streambuf {
    int_type overflow(int_type) override { return traits_type::eof(); }
    std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

// cat writes one entry's bytes and nothing else; whatever goes wrong leaves
// a status that says so.
TEST(PakTool, CatWritesOneEntryByteForByte) {
    std::string binary;
    for (int i = 0; i < 256; ++i)
        binary += static_cast<char>(i);
    std::string large(200'003, '\0');
    for (std::size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<char>((i * 7919) >> 3);
    TTempDir dir;
    const auto pak = WritePak(dir, {{"bin/all.dat", binary},
                                    {"big.lmp", large},
                                    {"empty", ""},
                                    {"Mixed.TXT", "first by case"},
                                    {"mixed.txt", "exact"},
                                    {"Other.TXT", "only by case"},
                                    {"-dash", "dash"}});
    const auto damaged = (dir / "damaged.pak").string();
    WriteFile(damaged, PakHeaderBytes(12, 64) + PakEntryBytes("big.dat", 12, 9999));
    WriteFile(dir / "not.pak", "PK\x03\x04");
    const struct {
        std::vector<std::string> Args;
        std::string Out;
        int Status;
        const char* Says;
    } cases[] = {
        {{pak, "bin/all.dat"}, binary, kExitOk, ""},
        {{pak, "big.lmp"}, large, kExitOk, ""},
        {{pak, "empty"}, "", kExitOk, ""},
        {{pak, "mixed.txt"}, "exact", kExitOk, ""},
        {{pak, "MIXED.txt"}, "first by case", kExitOk, ""},
        {{pak, "other.txt"}, "only by case", kExitOk, ""},
        {{pak, "--", "-dash"}, "dash", kExitOk, ""},
        {{pak, "missing"}, "", kExitProblems, "a.pak: missing: no such entry"},
        {{pak, "bin/"}, "", kExitProblems, "no such entry"},
        {{damaged, "big.dat"}, "", kExitProblems, "big.dat: Read beyond end of file"},
        {{(dir / "not.pak").string(), "x"}, "", kExitUnusable, "Not a valid PAK file"},
        // The system's reason follows what could not be done.
        {{(dir / "missing.pak").string(), "x"},
         "",
         kExitUnusable,
         "missing.pak: No such file or directory"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"cat"};
        args.insert(args.end(), c.Args.begin(), c.Args.end());
        const TRun r = RunTool(args);
        EXPECT_EQ(r.Status, c.Status) << ::testing::PrintToString(c.Args) << r.Err;
        EXPECT_TRUE(r.Out == c.Out)
            << ::testing::PrintToString(c.Args) << ": " << r.Out.size() << " bytes";
        EXPECT_NE(r.Err.find(c.Says), std::string::npos) << r.Err;
        if (c.Status == kExitOk) {
            EXPECT_EQ(r.Err, "");
        }
    }
}

// Output that never arrived is a failure, for every command that writes.
TEST(PakTool, AnOutputThatFailsIsNoSuccess) {
    TTempDir dir;
    const auto pak = WritePak(dir, {{"a.txt", std::string(100'000, 'a')}});
    for (const std::vector<std::string>& args : {std::vector<std::string>{"cat", pak, "a.txt"},
                                                 {"list", pak},
                                                 {"verify", pak},
                                                 {"--version"},
                                                 {"extract", "--help"}}) {
        TRefusingBuffer refusing;
        std::ostream out(&refusing);
        std::ostringstream err;
        const int status = RunPakTool(args, out, err, false);
        EXPECT_EQ(status, kExitProblems) << args[0];
        EXPECT_EQ(err.str(), "zorvak-pak: cannot write to standard output\n") << args[0];
    }
}

TEST(PakTool, ExtractNeverOverwritesTheArchiveItself) {
    TTempDir dir;
    const auto pak = dir / "self.pak";
    const auto image = BuildPakImage({{"self.pak", "tiny"}});
    WriteFile(pak, image);
    const TRun r = RunTool({"extract", pak.string(), "-C", dir.Path().string()});
    EXPECT_EQ(r.Status, kExitProblems);
    EXPECT_EQ(ReadFile(pak), std::string(image.begin(), image.end()));
}

// info frames each entry's description under a line naming it; what cannot
// be read or found is told on err and fails the run, the others still told.
TEST(PakTool, InfoTellsWhatEachNamedEntryHolds) {
    using test::Bytes;
    const Bytes wad = test::MakeWad2(
        {{"face\x1b[2J", 0x42, test::MakeLmp(2, 3, Bytes(6))}, {"noise", 0x43, Bytes(5)}});
    const Bytes bsp = test::MakeBsp({test::MakeMipTexture("*water1", 16, 16, Bytes(256)), {}});
    TTempDir dir;
    const auto pak =
        WritePak(dir, {{"gfx/conback.lmp", test::ToString(test::MakeLmp(2, 1, {1, 2}))},
                       {"gfx.wad", test::ToString(wad)},
                       {"maps/E1M1.bsp", test::ToString(bsp)},
                       {"gfx/bad.lmp", test::ToString(test::MakeLmp(9, 9, {1}))},
                       {"progs.dat", "abc"}});
    const auto damaged = (dir / "damaged.pak").string();
    WriteFile(damaged, PakHeaderBytes(12, 64) + PakEntryBytes("big.dat", 12, 9999));
    const struct {
        std::vector<std::string> Args;
        std::string Out;
        int Status;
        const char* Says;
    } cases[] = {
        {{pak, "gfx/conback.lmp"},
         "gfx/conback.lmp: 10 bytes at 12\n  Picture, 2 x 1\n",
         kExitOk,
         ""},
        {{pak, "gfx.wad"},
         "gfx.wad: 95 bytes at 22\n  Picture container (WAD2), 2 lumps\n"
         "    face\\x1b[2J: picture, 2 x 3\n    noise: other, type 0x43, 5 bytes\n",
         kExitOk,
         ""},
        {{pak, "maps/e1m1.bsp"},
         "maps/E1M1.bsp: 516 bytes at 117\n  Map, version 29, 2 textures\n"
         "    0: *water1, 16 x 16\n    1: (missing)\n",
         kExitOk,
         ""},
        {{pak, "gfx/bad.lmp"},
         "gfx/bad.lmp: 9 bytes at 633\n  Picture\n"
         "  Cannot read: Picture pixels run past the end of the entry\n",
         kExitOk,
         ""},
        {{pak, "missing", "progs.dat"},
         "progs.dat: 3 bytes at 642\n  Unknown kind, 3 bytes\n",
         kExitProblems,
         "a.pak: missing: no such entry"},
        {{damaged, "big.dat"}, "", kExitProblems, "big.dat: Read beyond end of file"},
        {{}, "", kExitUnusable, "info takes an archive and entry names, or archives"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"info"};
        args.insert(args.end(), c.Args.begin(), c.Args.end());
        const TRun r = RunTool(args);
        EXPECT_EQ(r.Status, c.Status) << ::testing::PrintToString(c.Args) << r.Err;
        EXPECT_EQ(r.Out, c.Out) << ::testing::PrintToString(c.Args);
        EXPECT_NE(r.Err.find(c.Says), std::string::npos) << r.Err;
    }
}

// Index i of this palette is (i, 255 - i, tint).
std::string TintedPalette(unsigned char tint) {
    std::string palette;
    for (int i = 0; i < 256; ++i)
        palette += {static_cast<char>(i), static_cast<char>(255 - i), static_cast<char>(tint)};
    return palette;
}

// The first pixel of a PNG file, or what is wrong with the file.
std::string FirstPixel(const std::filesystem::path& path) {
    const std::string bytes = ReadFile(path);
    TRgbaPicture picture;
    const std::string fault =
        test::PngFault(std::vector<unsigned char>(bytes.begin(), bytes.end()), picture);
    if (!fault.empty())
        return path.filename().string() + ": " + fault;
    return ::testing::PrintToString(
        std::vector<int>(picture.Pixels.begin(), picture.Pixels.begin() + 4));
}

std::string Rgba(int r, int g, int b, int a = 255) {
    return ::testing::PrintToString(std::vector<int>{r, g, b, a});
}

// --png writes each picture beside its entry's file, under names made safe
// whatever bytes the lumps and textures carry; the raw files stay as they
// are, and a picture that cannot be decoded is told without failing the run.
TEST(PakTool, ExtractPngWritesPicturesBesideTheRawOnes) {
    using test::Bytes;
    const Bytes wad = test::MakeWad2({{"*odd/../x:y", 0x42, test::MakeLmp(1, 1, {3})},
                                      {"..", 0x42, test::MakeLmp(1, 1, {4})},
                                      {"", 0x42, test::MakeLmp(1, 1, {5})},
                                      {"face", 0x42, test::MakeLmp(1, 1, {6})},
                                      {"FACE", 0x42, test::MakeLmp(1, 1, {7})},
                                      {"broken", 0x42, test::MakeLmp(9, 9, {1})},
                                      {"noise", 0x43, Bytes(5)}});
    const Bytes bsp = test::MakeBsp({test::MakeMipTexture("*water1", 16, 16, Bytes(256, 9))});
    const Bytes conback = test::MakeLmp(2, 1, {1, 2});
    TTempDir dir;
    const auto pak = WritePak(dir, {{"gfx/palette.lmp", TintedPalette(7)},
                                    {"gfx/conback.lmp", test::ToString(conback)},
                                    {"gfx.wad", test::ToString(wad)},
                                    {"maps/e1m1.bsp", test::ToString(bsp)},
                                    {"progs.dat", "no picture"}});
    const auto out = dir / "out";
    const TRun r = RunTool({"extract", pak, "-C", out.string(), "--png"});
    EXPECT_EQ(r.Status, kExitOk) << r.Err;
    EXPECT_NE(r.Err.find("gfx.wad: no picture of broken: Picture pixels run past"),
              std::string::npos)
        << r.Err;
    EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << r.Err;
    EXPECT_EQ(FilesBelow(out), (std::set<std::string>{
                                   "gfx/palette.lmp",
                                   "gfx/palette.lmp.png",
                                   "gfx/conback.lmp",
                                   "gfx/conback.lmp.png",
                                   "gfx.wad",
                                   "gfx.wad.png.d/%2Aodd%2F..%2Fx%3Ay.png",
                                   "gfx.wad.png.d/%2E..png",
                                   "gfx.wad.png.d/unnamed~.png",
                                   "gfx.wad.png.d/face.png",
                                   "gfx.wad.png.d/FACE~2.png",
                                   "maps/e1m1.bsp",
                                   "maps/e1m1.bsp.png.d/%2Awater1.png",
                                   "progs.dat",
                               }));
    EXPECT_EQ(ReadFile(out / "gfx/conback.lmp"), test::ToString(conback));
    const struct {
        const char* File;
        std::string Pixel;
    } pictures[] = {
        {"gfx/palette.lmp.png", Rgba(0, 255, 7)},
        {"gfx/conback.lmp.png", Rgba(1, 254, 7)},
        {"gfx.wad.png.d/FACE~2.png", Rgba(7, 248, 7)},
        {"maps/e1m1.bsp.png.d/%2Awater1.png", Rgba(9, 246, 7)},
    };
    for (const auto& p : pictures)
        EXPECT_EQ(FirstPixel(out / p.File), p.Pixel) << p.File;
}

// Palette pictures take the archive's palette, else that of the pak0.pak
// beside it, else grey with one line that says so.
TEST(PakTool, ExtractPngFindsThePaletteByItsRule) {
    const std::string picture = test::ToString(test::MakeLmp(1, 1, {10}));
    const std::string withPalette = test::ToString(
        BuildPakImage({{"gfx/palette.lmp", TintedPalette(1)}, {"pic.lmp", picture}}));
    const std::string without = test::ToString(BuildPakImage({{"pic.lmp", picture}}));
    const std::string base = test::ToString(BuildPakImage({{"GFX/Palette.lmp", TintedPalette(2)}}));
    const struct {
        const char* What;
        std::string Archive;
        std::string Pak0; // none when empty
        std::string Pixel;
        const char* Says; // a phrase of the one line on err, "" for none
    } cases[] = {
        {"its own", withPalette, base, Rgba(10, 245, 1), ""},
        {"pak0.pak's", without, base, Rgba(10, 245, 2), ""},
        {"none", without, "", Rgba(10, 10, 10), "no palette found"},
        {"pak0.pak no archive", without, "PK\x03\x04", Rgba(10, 10, 10), "Not a valid PAK file"},
        {"its own cut short",
         test::ToString(BuildPakImage({{"gfx/palette.lmp", "short"}, {"pic.lmp", picture}})), base,
         Rgba(10, 245, 2), "gfx/palette.lmp: Palette holds 5 bytes, not 768"},
    };
    for (const auto& c : cases) {
        TTempDir dir;
        WriteFile(dir / "mod.pak", c.Archive);
        if (!c.Pak0.empty())
            WriteFile(dir / "pak0.pak", c.Pak0);
        const TRun r = RunTool({"extract", (dir / "mod.pak").string(), "-C", (dir / "out").string(),
                                "--png", "pic.lmp"});
        EXPECT_EQ(r.Status, kExitOk) << c.What << "\n" << r.Err;
        EXPECT_EQ(FirstPixel(dir / "out/pic.lmp.png"), c.Pixel) << c.What;
        EXPECT_NE(r.Err.find(c.Says), std::string::npos) << c.What << "\n" << r.Err;
        EXPECT_LE(std::count(r.Err.begin(), r.Err.end(), '\n'), *c.Says != 0 ? 2 : 0)
            << c.What << "\n"
            << r.Err;
    }
}

// Pictures follow the extraction's rules: kept with --no-clobber (also
// beside a kept entry file), never written through a link, never in place
// of an entry of the same name.
TEST(PakTool, ExtractPngKeepsWhatIsThereAndTakesNoOthersPlace) {
    TTempDir dir;
    const auto pak = (dir / "a.pak").string();
    const std::string lmp = test::ToString(test::MakeLmp(1, 1, {10}));
    WriteFile(pak, BuildPakImage({{"a.lmp", lmp},
                                  {"b.lmp", lmp},
                                  {"b.lmp.png", "an entry of its own"},
                                  {"gfx.wad", test::ToString(test::MakeWad2(
                                                  {{"x", 0x42, test::MakeLmp(1, 1, {1})}}))}}));
    const auto out = dir / "out";
    WriteFile(out / "a.lmp", "old a");
    WriteFile(dir / "elsewhere/keep", "");
    ASSERT_TRUE(test::MakeLink(dir / "elsewhere", out / "gfx.wad.png.d"));
    const TRun first = RunTool({"extract", pak, "-C", out.string(), "--png", "--no-clobber"});
    EXPECT_EQ(first.Status, kExitProblems);
    EXPECT_EQ(ReadFile(out / "a.lmp"), "old a");
    EXPECT_EQ(FirstPixel(out / "a.lmp.png"), Rgba(10, 10, 10));
    EXPECT_EQ(ReadFile(out / "b.lmp.png"), "an entry of its own");
    EXPECT_NE(first.Err.find("b.lmp.png: an entry of that name is extracted too"),
              std::string::npos)
        << first.Err;
    EXPECT_NE(first.Err.find("gfx.wad.png.d/x.png: "), std::string::npos) << first.Err;
    EXPECT_EQ(FilesBelow(dir / "elsewhere"), std::set<std::string>{"keep"});

    ASSERT_TRUE(test::RemoveLink(out / "gfx.wad.png.d"));
    WriteFile(out / "a.lmp.png", "old picture");
    const TRun again =
        RunTool({"extract", pak, "-C", out.string(), "--png", "--no-clobber", "a.lmp", "gfx.wad"});
    EXPECT_EQ(again.Status, kExitOk) << again.Err;
    EXPECT_NE(again.Err.find("kept " + (out / "a.lmp.png").string() + ": it exists"),
              std::string::npos)
        << again.Err;
    EXPECT_EQ(ReadFile(out / "a.lmp.png"), "old picture");
    EXPECT_EQ(FirstPixel(out / "gfx.wad.png.d/x.png"), Rgba(1, 1, 1));
}

TEST(PakTool, BuildSortedIsReproducibleWhateverTheCreationOrder) {
    TTempDir a, b;
    const std::vector<std::pair<std::string, std::string>> files = {
        {"maps/E1M1.bsp", "map"}, {"sound/misc/null.wav", "RIFF"}, {"progs.dat", "progs"},
        {".hidden", "h"},         {"gfx/conback.lmp", "lmp"},      {"old/pak0.pak", "skipped"}};
    for (const auto& [name, data] : files)
        WriteFile(a / name, data);
    for (auto it = files.rbegin(); it != files.rend(); ++it)
        WriteFile(b / it->first, it->second);
    TTempDir out;
    EXPECT_EQ(
        RunTool({"build", a.Path().string(), "-o", (out / "a.pak").string(), "--sorted"}).Status,
        kExitOk);
    EXPECT_EQ(
        RunTool({"build", b.Path().string(), "-o", (out / "b.pak").string(), "--sorted"}).Status,
        kExitOk);
    EXPECT_EQ(ReadFile(out / "a.pak"), ReadFile(out / "b.pak"));
    const TPakIndex index = ReadPakIndex(out / "a.pak");
    std::vector<std::string> names;
    for (const auto& e : index.Entries)
        names.emplace_back(e.Name);
    EXPECT_EQ(names, (std::vector<std::string>{".hidden", "gfx/conback.lmp", "maps/e1m1.bsp",
                                               "progs.dat", "sound/misc/null.wav"}));
}

TEST(PakTool, BuildRefusesWhatCannotBeStored) {
    TTempDir out;
    // Names verify would flag are never stored.
    const struct {
        std::string File;
        const char* Message;
    } cases[] = {
        {std::string(56, 'n'), "Name too long"},
#ifndef _WIN32 // names Windows cannot make
        {"tab\there", "has control characters"},  {"back\\slash", "levels are separated by \"/\""},
        {"ends ", "begins or ends with a space"}, {" dir/x", "begins or ends with a space"},
#endif
    };
    for (const auto& c : cases) {
        TTempDir tree;
        WriteFile(tree / c.File, "x");
        const TRun r = RunTool({"build", tree.Path().string(), "-o", (out / "x.pak").string()});
        EXPECT_EQ(r.Status, kExitProblems) << c.File;
        EXPECT_THAT(r.Err, HasSubstr(c.Message)) << c.File;
        EXPECT_FALSE(std::filesystem::exists(out / "x.pak"));
    }
    TTempDir tree;
    EXPECT_EQ(
        RunTool({"build", (tree / "missing").string(), "-o", (out / "y.pak").string()}).Status,
        kExitUnusable);
}

// Two entries that would be one file here: the first, which the game reads,
// keeps it, and the second is a failure, never written over it.
TEST(PakTool, ExtractKeepsTheFirstOfTwoNamesForOneFile) {
    const bool blind = FileNamesIgnoreCase();
    const struct {
        std::vector<std::pair<std::string, std::string>> Entries;
        const char* File;  // what it makes
        const char* Holds; // with these bytes
        bool Fails;        // status 1, the second named
    } cases[] = {
        {{{"maps/e1m1.bsp", "first"}, {"maps//e1m1.bsp", "second"}},
         "maps/e1m1.bsp",
         "first",
         true},
        {{{"maps//e1m1.bsp", "first"}, {"maps/e1m1.bsp", "second"}},
         "maps/e1m1.bsp",
         "first",
         true},
        {{{"Readme.TXT", "first"}, {"readme.txt", "second"}}, "Readme.TXT", "first", blind},
        {{{"readme.txt", "one"}, {"readme.txt", "again"}}, "readme.txt", "one", false},
    };
    for (const auto& c : cases) {
        TTempDir dir;
        const auto pak = WritePak(dir, c.Entries);
        const TRun r = RunTool({"extract", pak, "-C", (dir / "out").string()});
        EXPECT_EQ(r.Status, c.Fails ? kExitProblems : kExitOk) << c.File << r.Err;
        EXPECT_EQ(ReadFile(dir / "out" / c.File), c.Holds) << c.File;
        if (c.Fails) {
            EXPECT_THAT(r.Err, HasSubstr(c.Entries[1].first + ": names the same file as " +
                                         c.Entries[0].first + " on this system; that one is kept"));
        }
    }
}

TEST(PakTool, VerifyReportsWhatWouldBreakInAnEngine) {
    const std::string e = PakEntryBytes("ok.dat", 12, 0);
    const struct {
        const char* What;
        std::string Bytes;
        int Status;
        const char* Expect; // a phrase of the report
    } cases[] = {
        {"clean", test::ToString(BuildPakImage({{"a.wav", "RIFF"}, {"b/c.bsp", "x"}})), kExitOk,
         ""},
        {"not an archive", "PKZ\x04", kExitUnusable, "not a PAK archive"},
        {"a ZIP's signature without its end record", "PK\x03\x04", kExitUnusable,
         "not a ZIP archive: its end record is not there"},
        {"header cut short", "PACK\x0C", kExitUnusable, "not a PAK archive"},
        {"odd directory length", PakHeaderBytes(12, 100) + e + std::string(36, '\0'), kExitProblems,
         "not a multiple of 64"},
        {"directory past the end", PakHeaderBytes(12, 128) + e, kExitProblems,
         "past the end of the file"},
        {"negative directory", PakHeaderBytes(12, -64), kExitProblems, "negative"},
        {"56-byte name", PakHeaderBytes(12, 64) + PakEntryBytes(std::string(56, 'n'), 12, 0),
         kExitProblems, "no NUL"},
        {"upper case", PakHeaderBytes(12, 64) + PakEntryBytes("Maps/E1M1.bsp", 12, 0),
         kExitProblems, "upper-case"},
        {"backslash", PakHeaderBytes(12, 64) + PakEntryBytes("maps\\e1m1.bsp", 12, 0),
         kExitProblems, "\\"},
        {"unsafe", PakHeaderBytes(12, 64) + PakEntryBytes("../x", 12, 0), kExitProblems, "unsafe"},
        {"a drive or stream colon", PakHeaderBytes(12, 64) + PakEntryBytes("1:x", 12, 0),
         kExitProblems, "unsafe"},
        {"control characters", PakHeaderBytes(12, 64) + PakEntryBytes("a\x1b[2Jb", 12, 0),
         kExitProblems, "entry 0 \"a\\x1b[2Jb\": the name has control characters"},
        {"space at a level's edge", PakHeaderBytes(12, 64) + PakEntryBytes("maps /x.bsp", 12, 0),
         kExitProblems, "begins or ends with a space"},
        {"duplicate", PakHeaderBytes(12, 128) + e + e, kExitProblems,
         "duplicate of entry 0; the engine uses the first"},
        {"case-only duplicate",
         PakHeaderBytes(12, 128) + PakEntryBytes("a.wav", 12, 0) + PakEntryBytes("A.wav", 12, 0),
         kExitProblems, "only in letter case from entry 0"},
        {"outside the file", PakHeaderBytes(12, 64) + PakEntryBytes("big.dat", 12, 9999),
         kExitProblems, "outside the file"},
        {"overlap",
         PakHeaderBytes(20, 128) + "12345678" + PakEntryBytes("a", 12, 5) +
             PakEntryBytes("b", 14, 6),
         kExitProblems, "overlap those of entry 0"},
        {"over the header", PakHeaderBytes(12, 64) + PakEntryBytes("h", 0, 8), kExitProblems,
         "overlap the header"},
        {"a SiN archive's long name",
         PakHeaderBytes(12, 128, "SPAK") +
             test::LayoutEntryBytes(kSinLayout, std::string(119, 'n'), 12, 0),
         kExitOk, ""},
        {"a SiN name with no NUL",
         PakHeaderBytes(12, 128, "SPAK") +
             test::LayoutEntryBytes(kSinLayout, std::string(120, 'n'), 12, 0),
         kExitProblems, "fills all 120 bytes"},
        {"a SiN directory of PAK records", PakHeaderBytes(12, 64, "SPAK") + e, kExitProblems,
         "not a multiple of 128"},
    };
    TTempDir dir;
    for (const auto& c : cases) {
        const auto path = dir / "v.pak";
        WriteFile(path, c.Bytes);
        const TRun r = RunTool({"verify", path.string()});
        EXPECT_EQ(r.Status, c.Status) << c.What << "\n" << r.Err;
        EXPECT_NE(r.Err.find(c.Expect), std::string::npos) << c.What << "\n" << r.Err;
        if (c.Status == kExitOk) {
            EXPECT_EQ(r.Err, "") << c.What;
        }
        // Each message names the archive.
        if (!r.Err.empty()) {
            EXPECT_NE(r.Err.find(path.string()), std::string::npos) << c.What;
        }
    }
}

TEST(PakTool, VerifyCountsTheEngineLimit) {
    TTempDir dir;
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < 2049; ++i)
        files.push_back({"f" + std::to_string(i), ""});
    WriteFile(dir / "many.pak", BuildPakImage(files));
    const TRun r = RunTool({"verify", (dir / "many.pak").string()});
    EXPECT_EQ(r.Status, kExitProblems);
    EXPECT_NE(r.Err.find("2049 entries: the original engine loads at most 2048"),
              std::string::npos);
    files.pop_back();
    WriteFile(dir / "ok.pak", BuildPakImage(files));
    EXPECT_EQ(RunTool({"verify", (dir / "ok.pak").string()}).Status, kExitOk);
}

// What reaches a terminal never drives it: names are escaped in lists and in
// messages.
TEST(PakTool, NamesCannotDriveTheTerminal) {
    TTempDir dir;
    const auto pak = WritePak(
        dir, {{"evil\x1b]0;owned\x07.txt", "x"}, {"two\nlines", "y"}, {"caf\xe9.txt", "z"}});
    const TRun r = RunTool({"list", pak});
    EXPECT_EQ(r.Out, "evil\\x1b]0;owned\\x07.txt\ntwo\\nlines\ncaf\xe9.txt\n");
    TToolOptions terminal;
    terminal.OutIsTerminal = true;
    std::ostringstream out, err;
    RunPakTool({"list", pak}, out, err, terminal);
    EXPECT_NE(out.str().find("caf\\xe9.txt"), std::string::npos) << out.str();
    EXPECT_EQ(EscapeForTerminal("caf\xc3\xa9", true), "caf\xc3\xa9");
}

// With -0 each name comes back whole, whatever bytes it holds, for scripts
// such as the shell's completion; a terminal still sees escapes.
TEST(PakTool, ListWithNulEndsGivesEveryNameWhole) {
    TTempDir dir;
    const auto pak = WritePak(dir, {{"two\nlines", "y"}, {"back\\nslash", "x"}, {"caf\xe9", "z"}});
    using namespace std::string_literals;
    const auto raw = "two\nlines\0back\\nslash\0caf\xe9\0"s;
    const struct {
        std::vector<std::string> Args;
        bool Terminal;
        std::string Out;
    } cases[] = {
        {{"list", "--null", pak}, false, raw},
        {{"list", "-0", pak}, false, raw},
        {{"list", "-l0", pak},
         false,
         "        12          1 two\nlines\0        13          1 back\\nslash\0"
         "        14          1 caf\xe9\0"
         "3 entries, 3 bytes\0"s},
        // Escaped, a backslash is doubled: the two names never print alike.
        {{"list", "-0", pak}, true, "two\\nlines\0back\\\\nslash\0caf\\xe9\0"s},
        {{"list", pak}, false, "two\\nlines\nback\\\\nslash\ncaf\xe9\n"s},
    };
    for (const auto& c : cases) {
        TToolOptions options;
        options.OutIsTerminal = c.Terminal;
        std::ostringstream out, err;
        EXPECT_EQ(RunPakTool(c.Args, out, err, options), kExitOk);
        EXPECT_EQ(out.str(), c.Out) << ::testing::PrintToString(c.Args);
        EXPECT_EQ(err.str(), "");
    }
    const TRun valued = RunTool({"list", "--null=yes", pak});
    EXPECT_EQ(valued.Status, kExitUnusable);
    EXPECT_NE(valued.Err.find("--null takes no value"), std::string::npos) << valued.Err;
}

TEST(PakTool, ASparseDirectoryOfMillionsReadsInBoundedTimeAndReports) {
    TTempDir dir;
    const auto pak = dir / "sparse.pak";
    const std::int32_t entries = 1 << 20;
    WriteFile(pak, PakHeaderBytes(12, entries * 64));
    std::filesystem::resize_file(pak, 12 + std::uintmax_t{entries} * 64);
    const TRun list = RunTool({"list", "-l", pak.string()});
    EXPECT_EQ(list.Status, kExitOk);
    EXPECT_NE(list.Out.find("1048576 entries, 0 bytes"), std::string::npos);
    const TRun verify = RunTool({"verify", pak.string()});
    EXPECT_EQ(verify.Status, kExitProblems);
    // Each kind is told a few times, then counted.
    EXPECT_NE(verify.Err.find("(and 1,048,566 more entries like it)"), std::string::npos);
    EXPECT_LT(std::count(verify.Err.begin(), verify.Err.end(), '\n'), 40);
    const TRun extract = RunTool({"extract", pak.string(), "-C", (dir / "out").string()});
    EXPECT_EQ(extract.Status, kExitProblems);
    EXPECT_NE(extract.Err.find("and 1,048,565 more entries stored again"), std::string::npos);
    EXPECT_LT(std::count(extract.Err.begin(), extract.Err.end(), '\n'), 20);
}

TEST(PakTool, ExtractSaysWhenEntriesShareBytes) {
    TTempDir dir;
    const auto pak = (dir / "a.pak").string();
    WriteFile(pak, PakHeaderBytes(22, 192) + "0123456789" + PakEntryBytes("a", 12, 10) +
                       PakEntryBytes("b", 12, 10) + PakEntryBytes("c", 14, 4));
    const TRun r = RunTool({"extract", pak, "-C", (dir / "out").string()});
    EXPECT_EQ(r.Status, kExitOk) << r.Err;
    EXPECT_NE(r.Err.find("2 entries share bytes with others: 10 bytes of the archive extract to "
                         "24 bytes"),
              std::string::npos)
        << r.Err;
    EXPECT_EQ(ReadFile(dir / "out/c"), "2345");
}

TEST(PakTool, ReadersShareTheArchiveAndAHolderIsNamed) {
    TTempDir dir;
    const auto pak = dir / "a.pak";
    WriteFile(pak, BuildPakImage({{"x", "1"}}));
    {
        TLockedFile reader(pak, TShareMode::smShared);
        EXPECT_EQ(RunTool({"list", pak.string()}).Status, kExitOk);
        EXPECT_EQ(RunTool({"extract", pak.string(), "-C", (dir / "o").string()}).Status, kExitOk);
    }
    TLockedFile window(pak);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"list", pak.string()},
          {"verify", pak.string()},
          {"extract", pak.string(), "-C", (dir / "o").string()}}) {
        const TRun r = RunTool(args);
        EXPECT_EQ(r.Err, "zorvak-pak: " + pak.string() + " is in use by another program\n")
            << args[0];
    }
}

TEST(PakTool, InterruptedRunsLeaveNothingBehind) {
    InstallInterruptHandlers();
    TTempDir tree, out;
    WriteFile(tree / "a.dat", std::string(100000, 'a'));
    WriteFile(out / "a.pak", BuildPakImage({{"a.dat", std::string(100000, 'a')}}));
    for (const int signal : {SIGINT, SIGTERM}) {
        test::SendStopRequest(signal);
        EXPECT_EQ(InterruptRequested(), signal);
        const TRun extract =
            RunTool({"extract", (out / "a.pak").string(), "-C", (out / "x").string()});
        EXPECT_EQ(extract.Status, 128 + signal);
        EXPECT_TRUE(std::filesystem::is_empty(out / "x"));
        const TRun build = RunTool({"build", tree.Path().string(), "-o", (out / "b.pak").string()});
        EXPECT_EQ(build.Status, 128 + signal);
        EXPECT_FALSE(std::filesystem::exists(out / "b.pak"));
        ClearInterrupt();
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out.Path()), {}), 2);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

std::vector<std::string> NamesIn(const std::filesystem::path& pak) {
    std::vector<std::string> names;
    for (const TPakEntry e : ReadPakIndex(pak).Entries)
        names.emplace_back(e.Name);
    return names;
}

// add, rm and mv, one after another on one archive: each prints what it
// changed, and a dry run prints what would change and leaves every byte.
TEST(PakTool, EditsAddRemoveAndRenameEntries) {
    TTempDir dir;
    const auto pak = WritePak(dir, {{"progs.dat", "p"},
                                    {"maps/e1m1.bsp", "m"},
                                    {"sound/a.wav", "a"},
                                    {"sound/A.WAV", "case"},
                                    {"sound/a.wav", "again"}});
    const auto readme = (dir / "files/Readme.TXT").string();
    WriteFile(readme, "read me");
    WriteFile(dir / "tree/Maps/E2M1.bsp", "e2m1");
    WriteFile(dir / "tree/old.pak", "skipped");
    const std::vector<std::string> start = NamesIn(pak);
    const auto with = [&start](std::vector<std::string> more) {
        std::vector<std::string> names = start;
        names.insert(names.end(), more.begin(), more.end());
        return names;
    };
    const std::string tree = (dir / "tree").string();
    const struct {
        std::vector<std::string> Args;
        std::string Out;
        std::vector<std::string> Names; // after the run
        int Status = kExitOk;
    } steps[] = {
        {{"add", pak, readme, "--dry-run"}, "would add readme.txt\n", start},
        {{"add", pak, readme}, "added readme.txt\n", with({"readme.txt"})},
        {{"add", pak, "--as", "README.TXT", readme},
         "replaced readme.txt (now named README.TXT)\n",
         with({"README.TXT"})},
        {{"add", pak, tree, "--prefix", "ID1"},
         "added id1/maps/e2m1.bsp\n",
         with({"README.TXT", "id1/maps/e2m1.bsp"})},
        {{"rm", pak, "sound/*.wav", "--dry-run"},
         "would delete sound/a.wav\nwould delete sound/A.WAV\nwould delete sound/a.wav\n",
         with({"README.TXT", "id1/maps/e2m1.bsp"})},
        {{"rm", pak, "SOUND/*", "progs.dat", "*.WAV"},
         "deleted progs.dat\ndeleted sound/a.wav\ndeleted sound/A.WAV\ndeleted sound/a.wav\n",
         {"maps/e1m1.bsp", "README.TXT", "id1/maps/e2m1.bsp"}},
        {{"mv", pak, "MAPS/E1M1.BSP", "maps/Start.bsp", "--dry-run"},
         "would rename maps/e1m1.bsp -> maps/Start.bsp\n",
         {"maps/e1m1.bsp", "README.TXT", "id1/maps/e2m1.bsp"}},
        {{"mv", pak, "MAPS/E1M1.BSP", "maps/Start.bsp"},
         "renamed maps/e1m1.bsp -> maps/Start.bsp\n",
         {"maps/Start.bsp", "README.TXT", "id1/maps/e2m1.bsp"}},
        {{"mv", pak, "maps/start.bsp", "maps/Start.bsp"},
         "",
         {"maps/Start.bsp", "README.TXT", "id1/maps/e2m1.bsp"}},
        // What the appending edits left is counted, then freed. {unused}
        // stands for the count before the run.
        {{"verify", pak},
         pak + ": 3 entries, 2 problems, {unused} bytes unused (left by edits; compact frees "
               "them)\n",
         {"maps/Start.bsp", "README.TXT", "id1/maps/e2m1.bsp"},
         kExitProblems},
        {{"compact", pak, "--dry-run"},
         pak + ": would free {unused} bytes\n",
         {"maps/Start.bsp", "README.TXT", "id1/maps/e2m1.bsp"}},
        {{"compact", pak},
         pak + ": compacted, {unused} bytes freed\n",
         {"maps/Start.bsp", "README.TXT", "id1/maps/e2m1.bsp"}},
        {{"compact", pak}, "", {"maps/Start.bsp", "README.TXT", "id1/maps/e2m1.bsp"}},
        {{"rm", pak, "readme.txt", "--compact"},
         "deleted README.TXT\n",
         {"maps/Start.bsp", "id1/maps/e2m1.bsp"}},
        {{"verify", pak},
         pak + ": 2 entries, 1 problem\n",
         {"maps/Start.bsp", "id1/maps/e2m1.bsp"},
         kExitProblems},
    };
    for (const auto& step : steps) {
        const std::string before = ReadFile(pak);
        std::string expected = step.Out;
        // An edit that cannot append leaves nothing unused to tell of.
        if (!test::kEditsAppend && expected.find("{unused}") != std::string::npos)
            continue;
        if (const std::size_t at = expected.find("{unused}"); at != std::string::npos)
            expected.replace(at, 8, FormatThousands64(UnusedBytes(ReadPakIndex(pak))));
        const TRun r = RunTool(step.Args);
        EXPECT_EQ(r.Status, step.Status) << ::testing::PrintToString(step.Args) << r.Err;
        EXPECT_EQ(r.Out, expected) << ::testing::PrintToString(step.Args);
        // Compacted, nothing is left unused.
        if (step.Args.back() == "--compact" ||
            step.Args == std::vector<std::string>{"compact", pak}) {
            EXPECT_EQ(UnusedBytes(ReadPakIndex(pak)), 0) << ::testing::PrintToString(step.Args);
        }
        EXPECT_EQ(NamesIn(pak), step.Names) << ::testing::PrintToString(step.Args);
        // A dry run, or nothing to change, rewrites nothing.
        if (step.Out.empty() || step.Out.starts_with("would ")) {
            EXPECT_EQ(ReadFile(pak), before) << ::testing::PrintToString(step.Args);
        }
    }
    EXPECT_EQ(RunTool({"cat", pak, "id1/maps/e2m1.bsp"}).Out, "e2m1");
    EXPECT_EQ(RunTool({"cat", pak, "maps/Start.bsp"}).Out, "m");
    EXPECT_EQ(Listing(dir.Path()), (std::set<std::string>{"a.pak", "files", "tree"}));
}

// Whatever part of a request cannot be done, nothing changes: the
// archive's bytes stay, no temporary stays, and the status says why.
TEST(PakTool, EditsThatCannotBeDoneChangeNothing) {
    TTempDir dir;
    const auto pak =
        WritePak(dir, {{"progs.dat", std::string(200'000, 'p')}, {"maps/e1m1.bsp", "m"}});
    const auto file = (dir / "f.txt").string();
    WriteFile(file, "f");
    const auto cut = (dir / "cut.pak").string();
    WriteFile(cut, PakHeaderBytes(12, 128) + PakEntryBytes("a", 0, 0));
    std::optional<TLockedFile> holder;
#ifndef _WIN32
    const rlimit saved = [] {
        rlimit r{};
        ::getrlimit(RLIMIT_FSIZE, &r);
        return r;
    }();
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
#endif
    const struct {
        std::vector<std::string> Args;
        int Status;
        std::string Says;
        std::function<void()> Meanwhile = [] {};
    } cases[] = {
        {{"rm", pak, "nothing*", "progs.dat"}, kExitProblems, "nothing*: no entry matches"},
        {{"mv", pak, "missing", "x"}, kExitProblems, "missing: no such entry"},
        {{"mv", pak, "progs.dat", "MAPS/E1M1.BSP"}, kExitProblems, "maps/e1m1.bsp is stored"},
        {{"mv", pak, "progs.dat", "../evil"}, kExitProblems, "Unsafe entry name"},
        {{"mv", pak, "progs.dat", std::string(56, 'n')}, kExitProblems, "Name too long"},
        {{"add", pak, file, (dir / "missing.txt").string()}, kExitProblems, "Cannot open file"},
        {{"add", pak, file, file}, kExitProblems, "Two files would be stored as f.txt"},
        {{"add", pak, pak}, kExitProblems, "it is the archive being edited"},
        {{"add", pak, file, "--prefix", "../"}, kExitProblems, "Unsafe entry name"},
        {{"add", pak, dir.Path().string(), "--as", "x"}, kExitProblems, "--as names one file"},
        {{"add", pak, file, file, "--as", "x"}, kExitUnusable, "--as names one file"},
        {{"add", pak, file, "--as", "x", "--prefix", "y/"}, kExitUnusable, "--prefix goes"},
        {{"rm", pak}, kExitUnusable, "rm takes an archive and entry names"},
        {{"mv", pak, "progs.dat"}, kExitUnusable, "mv takes an archive"},
        {{"rm", cut, "a"}, kExitProblems, "cannot be edited"},
        {{"rm", file, "f"}, kExitUnusable, "Not a valid PAK file"},
        {{"rm", pak, "progs.dat"},
         kExitProblems,
         pak + " is in use by another program",
         [&] { holder.emplace(pak); }},
        {{"mv", pak, "progs.dat", "x"},
         kExitProblems,
         pak + " is in use by another program",
         [&] { holder.emplace(pak, TShareMode::smShared); }},
        {{"mv", pak, "progs.dat", "new\nline"}, kExitProblems, "has control characters"},
        {{"add", pak, file, "--as", "maps /x"}, kExitProblems, "begins or ends with a space"},
#ifndef _WIN32 // no file size limit to lower there, no /proc
        {{"add", pak, "/proc/self/status"}, kExitProblems, "the system gives it no size"},
        {{"rm", pak, "maps/*"},
         kExitProblems,
         "File too large: the system's limit",
         [&saved] {
             rlimit small{64 * 1024, saved.rlim_max};
             ::setrlimit(RLIMIT_FSIZE, &small);
         }},
#endif
    };
    for (const auto& c : cases) {
        const std::string before = ReadFile(pak), beforeCut = ReadFile(cut);
        const std::set<std::string> listing = Listing(dir.Path());
        c.Meanwhile();
        const TRun r = RunTool(c.Args);
#ifndef _WIN32
        ::setrlimit(RLIMIT_FSIZE, &saved);
#endif
        holder.reset();
        EXPECT_EQ(r.Status, c.Status) << ::testing::PrintToString(c.Args) << r.Err;
        EXPECT_NE(r.Err.find(c.Says), std::string::npos) << r.Err;
        EXPECT_EQ(r.Out, "") << ::testing::PrintToString(c.Args);
        EXPECT_TRUE(ReadFile(pak) == before) << ::testing::PrintToString(c.Args);
        EXPECT_EQ(ReadFile(cut), beforeCut);
        EXPECT_EQ(Listing(dir.Path()), listing) << ::testing::PrintToString(c.Args);
    }
#ifndef _WIN32
    std::signal(SIGXFSZ, oldSignal);
#endif
}

#ifndef _WIN32 // a file-size limit to end a run with
// A run ended in the middle of an entry, by a file-size limit that kills it
// (as SIGKILL would) or, with the tool's own handlers, fails the write: a
// later run never takes the part written for the entry.
TEST(PakTool, ARunEndedMidEntryLeavesNothingTakenForTheEntry) {
    TTempDir dir;
    const auto pak = (dir / "a.pak").string();
    const std::string big(3 << 20, 'b');
    WriteFile(pak, BuildPakImage({{"maps/small.txt", "small"}, {"maps/big.bin", big}}));
    const auto out = (dir / "out").string();
    const struct {
        std::vector<std::string> Args;
        bool Handlers;   // the tool's own signal handlers installed
        int Signal;      // what ended it, or 0
        int Status;      // else its status
        const char* Err; // a phrase of its message
    } cases[] = {
        {{"extract", pak, "-C", out}, false, SIGXFSZ, 0, ""},
        {{"extract", pak, "-C", out}, true, 0, kExitProblems, "File too large"},
        {{"build", (dir / "tree").string(), "-o", (dir / "new.pak").string()},
         true,
         0,
         kExitProblems,
         "File too large"},
    };
    WriteFile(dir / "tree/big.bin", big);
    for (const auto& c : cases) {
        std::filesystem::remove_all(out);
        int pipe[2];
        ASSERT_EQ(::pipe(pipe), 0);
        const test::TChildEnd end = test::RunInChild([&] {
            ::close(pipe[0]);
            if (c.Handlers)
                InstallInterruptHandlers();
            else
                std::signal(SIGXFSZ, SIG_DFL);
            const rlimit small{1 << 20, RLIM_INFINITY};
            ::setrlimit(RLIMIT_FSIZE, &small);
            const TRun r = RunTool(c.Args);
            (void)!::write(pipe[1], r.Err.data(), r.Err.size());
            return r.Status;
        });
        ::close(pipe[1]);
        std::string err;
        char buffer[4096];
        for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
            err.append(buffer, static_cast<std::size_t>(n));
        ::close(pipe[0]);
        EXPECT_EQ(end.Signal, c.Signal) << c.Args[0];
        if (c.Signal == 0) {
            EXPECT_EQ(end.Status, c.Status) << c.Args[0];
            EXPECT_THAT(err, HasSubstr(c.Err)) << c.Args[0];
            EXPECT_FALSE(std::filesystem::exists(dir / "new.pak"));
            for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
                EXPECT_FALSE(IsTemporaryName(e.path().filename().string())) << e.path();
        }
        if (c.Args[0] != "extract")
            continue;
        // Whatever the first run left, a run that keeps existing files ends
        // with every entry whole.
        const TRun again = RunTool({"extract", pak, "-C", out, "--no-clobber"});
        EXPECT_EQ(again.Status, kExitOk) << again.Err;
        if (c.Signal != 0) {
            EXPECT_THAT(again.Err,
                        HasSubstr("an incomplete copy of maps/big.bin (3,145,728 bytes)"));
        }
        EXPECT_EQ(ReadFile(dir / "out/maps/big.bin"), big);
        EXPECT_EQ(ReadFile(dir / "out/maps/small.txt"), "small");
        for (const auto& e : std::filesystem::recursive_directory_iterator(out))
            EXPECT_FALSE(IsTemporaryName(e.path().filename().string())) << e.path();
    }
}
#endif

// Standard error that does something the first time the progress line is
// drawn, as a signal or another writer would, in the middle of the run.
struct TProgressHook : std::streambuf {
    std::function<void()> Act;
    int_type overflow(int_type c) override {
        if (c == '\r' && Act)
            std::exchange(Act, nullptr)();
        return c;
    }
};

// Stopped while every core extracts: each file there is whole, none is left
// half-written, and the next run completes the folder.
TEST(PakTool, AnExtractionOnEveryCoreStopsCleanly) {
    InstallInterruptHandlers();
    TTempDir dir;
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < 400; ++i)
        files.emplace_back(
            "d" + std::to_string(i % 11) + "/" + std::to_string(i) + ".dat",
            std::string(static_cast<std::size_t>(i * 211 % 30000), char('a' + i % 26)));
    const auto pak = WritePak(dir, files);
    const auto out = dir / "out";
    for (const int signal : {SIGINT, SIGTERM}) {
        std::filesystem::remove_all(out);
        TProgressHook hook;
        hook.Act = [signal] { test::SendStopRequest(signal); };
        std::ostream err(&hook);
        std::ostringstream said;
        TToolOptions options;
        options.Progress = true;
        const int status = RunPakTool({"extract", pak, "-C", out.string()}, said, err, options);
        ClearInterrupt();
        EXPECT_EQ(status, kExitSignalBase + signal);
        std::size_t whole = 0;
        for (const auto& [name, bytes] : files)
            if (std::filesystem::exists(out / name)) {
                EXPECT_EQ(ReadFile(out / name), bytes) << name;
                ++whole;
            }
        EXPECT_LT(whole, files.size());
        for (const auto& e : std::filesystem::recursive_directory_iterator(out))
            EXPECT_FALSE(IsTemporaryName(e.path().filename().string())) << e.path();
        const TRun again = RunTool({"extract", pak, "-C", out.string()});
        EXPECT_EQ(again.Status, kExitOk) << again.Err;
        for (const auto& [name, bytes] : files)
            EXPECT_EQ(ReadFile(out / name), bytes) << name;
    }
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

// A signal before or during an edit, and an archive written by someone else
// meanwhile, leave what was there and no temporary.
TEST(PakTool, InterruptedOrOvertakenEditsLeaveTheArchiveWhole) {
    InstallInterruptHandlers();
    TTempDir dir;
    const auto pak = WritePak(dir, {{"a.dat", std::string(300'000, 'a')}, {"b.dat", "b"}});
    WriteFile(dir / "tree/new.dat", "new");
    const std::vector<std::vector<std::string>> edits = {
        {"rm", pak, "b.dat"},
        {"mv", pak, "a.dat", "c.dat"},
        {"add", pak, (dir / "tree").string()},
        {"add", pak, (dir / "tree/new.dat").string()},
    };
    const std::set<std::string> listing = Listing(dir.Path());
    for (const auto& args : edits)
        for (const bool during : {false, true})
            for (const int signal : {SIGINT, SIGTERM}) {
                const std::string before = ReadFile(pak);
                TProgressHook hook;
                std::ostream err(&hook);
                std::ostringstream out;
                TToolOptions options;
                options.Progress = true;
                if (during)
                    hook.Act = [signal] { test::SendStopRequest(signal); };
                else
                    test::SendStopRequest(signal);
                const int status = RunPakTool(args, out, err, options);
                // The walk of a folder pumps before anything is drawn.
                EXPECT_EQ(InterruptRequested(), signal);
                ClearInterrupt();
                EXPECT_EQ(status, kExitSignalBase + signal) << ::testing::PrintToString(args);
                EXPECT_EQ(out.str(), "");
                EXPECT_TRUE(ReadFile(pak) == before) << ::testing::PrintToString(args);
                EXPECT_EQ(Listing(dir.Path()), listing);
            }
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);

    // Written in place by a program that takes no lock. A rewrite would copy
    // a state the archive never had: it is refused. An append copies nothing
    // and goes through, the other program's byte kept. On Windows the
    // archive held without sharing keeps that program out, and the edit
    // goes through either way.
    for (const bool compact : {true, false}) {
        WriteFile(pak, BuildPakImage({{"a.dat", std::string(300'000, 'a')}, {"b.dat", "b"}}));
        TProgressHook hook;
        bool written = false;
        hook.Act = [&pak, &written] {
            std::fstream f(pak, std::ios::in | std::ios::out | std::ios::binary);
            written = f.is_open();
            f.seekp(20);
            f.put('X');
        };
        std::ostream err(&hook);
        std::ostringstream out;
        TToolOptions options;
        options.Progress = true;
        std::vector<std::string> args = {"rm", pak, "b.dat"};
        if (compact)
            args.push_back("--compact");
        const int status = RunPakTool(args, out, err, options);
#ifdef _WIN32
        const bool refused = false;
        EXPECT_FALSE(written);
#else
        const bool refused = compact;
        EXPECT_TRUE(written);
        EXPECT_EQ(ReadFile(pak)[20], 'X');
#endif
        EXPECT_EQ(status, refused ? kExitProblems : kExitOk) << compact;
        EXPECT_EQ(NamesIn(pak), refused ? (std::vector<std::string>{"a.dat", "b.dat"})
                                        : (std::vector<std::string>{"a.dat"}))
            << compact;
    }
    EXPECT_EQ(Listing(dir.Path()), listing);
}

TEST(PakTool, BuildNeverPacksItsOwnOutputAndTakesLongNames) {
    TTempDir tree;
    WriteFile(tree / "a.txt", "a");
    const auto out = tree / (std::string(240, 'o') + ".bin");
    for (int round = 0; round < 2; ++round) {
        const TRun r = RunTool({"build", tree.Path().string(), "-o", out.string()});
        ASSERT_EQ(r.Status, kExitOk) << r.Err;
    }
    std::vector<std::string> names;
    for (const auto e : ReadPakIndex(out).Entries)
        names.emplace_back(e.Name);
    EXPECT_EQ(names, std::vector<std::string>{"a.txt"});
}

TEST(PakTool, BuildStopsAtWhatItCannotRead) {
#ifdef _WIN32
    GTEST_SKIP() << "names there are case-blind: the two files cannot both exist";
#endif
    TTempDir tree, out;
    WriteFile(tree / "A.txt", "1");
    WriteFile(tree / "a.TXT", "2");
    WriteFile(out / "x.pak", "the earlier archive");
    const TRun r = RunTool({"build", tree.Path().string(), "-o", (out / "x.pak").string()});
    EXPECT_EQ(r.Status, kExitProblems);
    EXPECT_NE(r.Err.find("Two files would be stored as a.txt"), std::string::npos) << r.Err;
    EXPECT_EQ(ReadFile(out / "x.pak"), "the earlier archive");
}

} // namespace
} // namespace zorvak

namespace zorvak {
namespace {

// A path as it stands inside a JSON string: Windows' separators are escaped.
std::string InJson(std::string path) {
    for (auto at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 2))
        path.insert(at, 1, '\\');
    return path;
}

// Several archives, each under its name; one JSON document for all, names
// as stored (bytes that are not UTF-8 as \udcXX).
TEST(PakTool, ListAndVerifyTakeSeveralArchivesAndJson) {
    TTempDir dir;
    const auto a = (dir / "a.pak").string();
    const auto b = (dir / "b.pak").string();
    const auto missing = (dir / "missing.pak").string();
    WriteFile(a, BuildPakImage({{"two\nlines", "y"}, {"back\\nslash", "x"}, {"caf\xe9", "z"}}));
    WriteFile(b, BuildPakImage({{"maps/e1m1.bsp", "1234"}}));
    const auto entry = [](const std::string& json, int pos, int len) {
        return "{\"name\":" + json + ",\"position\":" + std::to_string(pos) +
               ",\"length\":" + std::to_string(len) + ",\"stored\":" + std::to_string(len) +
               ",\"method\":\"none\"}";
    };
    const struct {
        std::vector<std::string> Args;
        int Status;
        std::string Out;
        const char* Says = "";
    } cases[] = {
        {{"list", a, b},
         kExitOk,
         a + ":\ntwo\\nlines\nback\\\\nslash\ncaf\xe9\n\n" + b + ":\nmaps/e1m1.bsp\n"},
        {{"list", "-l", b, missing},
         kExitUnusable,
         b + ":\n        12          4 maps/e1m1.bsp\n1 entries, 4 bytes\n",
         "missing.pak: No such file or directory"},
        {{"list", "--json", b},
         kExitOk,
         "{\"archives\":[{\"path\":\"" + InJson(b) +
             "\",\"kind\":\"PAK\",\"complete\":true,\"entries\":[" +
             entry("\"maps/e1m1.bsp\"", 12, 4) + "],\"count\":1,\"bytes\":4}]}\n"},
        {{"list", "--json", a, missing},
         kExitUnusable,
         "{\"archives\":[{\"path\":\"" + InJson(a) +
             "\",\"kind\":\"PAK\",\"complete\":true,\"entries\":[" +
             entry("\"two\\nlines\"", 12, 1) + "," + entry("\"back\\\\nslash\"", 13, 1) + "," +
             entry("\"caf\\udce9\"", 14, 1) + "],\"count\":3,\"bytes\":3},{\"path\":\"" +
             InJson(missing) + "\",\"error\":\"Cannot open file " + InJson(missing) +
             ": No such file or directory\"}]}\n"},
        {{"verify", b, a},
         kExitProblems,
         b + ": 1 entries, 0 problems\n" + a + ": 3 entries, 2 problems\n",
         "entry 1 \"back\\\\nslash\""},
        {{"verify", "--json", b},
         kExitOk,
         "{\"archives\":[{\"path\":\"" + InJson(b) +
             "\",\"usable\":true,\"entries\":1,\"problems\":[],\"total\":0,\"unused\":0}]}\n"},
        // info: archives alone are told as archives; else the first one's
        // entries.
        {{"info", b, a},
         kExitOk,
         b + ":\n  PAK, 80 bytes\n  1 entry, 4 bytes in all\n" + a +
             ":\n  PAK, 207 bytes\n  3 entries, 3 bytes in all\n"},
        {{"info", "--json", b},
         kExitOk,
         "{\"archives\":[{\"path\":\"" + InJson(b) +
             "\",\"kind\":\"PAK\",\"complete\":true,\"count\":1,\"bytes\":4,\"size\":80,"
             "\"unused\":0}]}\n"},
        {{"info", "--json", b, "maps/e1m1.bsp", "gone"},
         kExitProblems,
         "{\"path\":\"" + InJson(b) +
             "\",\"entries\":[{\"name\":\"maps/e1m1.bsp\",\"length\":4,\"position\":12,"
             "\"kind\":\"Map\",\"lines\":[\"Cannot read: Map header is cut short\"]},"
             "{\"name\":\"gone\",\"error\":\"no such entry\"}]}\n",
         "gone: no such entry"},
    };
    for (const auto& c : cases) {
        const TRun r = RunTool(c.Args);
        EXPECT_EQ(r.Status, c.Status) << ::testing::PrintToString(c.Args) << r.Err;
        EXPECT_EQ(r.Out, c.Out) << ::testing::PrintToString(c.Args);
        EXPECT_THAT(r.Err, HasSubstr(c.Says));
    }
}

#ifndef _WIN32
// Python's json module reads back every name as the bytes it is.
TEST(PakTool, ListJsonReadsBackIntoTheSameNames) {
    if (std::system("python3 -c 1 >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "python3 reads the JSON back";
    TTempDir dir;
    const std::vector<std::string> names = {"two\nlines",
                                            "back\\slash",
                                            "caf\xe9",
                                            "quote\"d",
                                            "ctl\x1b\x7f",
                                            "h\xc3\xa9llo",
                                            "\xf0\x9f\x98\x80 four bytes",
                                            "cut \xe2\x82"};
    std::vector<std::pair<std::string, std::string>> files;
    for (const std::string& n : names)
        files.emplace_back(n, "x");
    WriteFile(dir / "n.pak", BuildPakImage(files));
    const TRun r = RunTool({"list", "--json", (dir / "n.pak").string()});
    ASSERT_EQ(r.Status, kExitOk) << r.Err;
    WriteFile(dir / "list.json", r.Out);
    const std::string script =
        "import json, sys\n"
        "d = json.load(open(sys.argv[1], encoding='utf-8'))\n"
        "sys.stdout.buffer.write(b'\\0'.join(e['name'].encode('utf-8', 'surrogateescape')\n"
        "    for e in d['archives'][0]['entries']))\n";
    WriteFile(dir / "read.py", script);
    const std::string command = "python3 " + (dir / "read.py").string() + " " +
                                (dir / "list.json").string() + " > " + (dir / "names.bin").string();
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::string expected;
    for (std::size_t i = 0; i < names.size(); ++i)
        expected += (i > 0 ? std::string(1, '\0') : std::string()) + names[i];
    EXPECT_EQ(ReadFile(dir / "names.bin"), expected);
}
#endif

} // namespace
} // namespace zorvak

namespace zorvak {
namespace {

TEST(PakTool, DiffTellsWhatTwoArchivesHoldDifferently) {
    TTempDir dir;
    const auto pak = [&](const std::string& name,
                         const std::vector<std::pair<std::string, std::string>>& files) {
        const auto path = (dir / name).string();
        WriteFile(path, BuildPakImage(files));
        return path;
    };
    const auto base = pak("base.pak", {{"keep.cfg", "bind"}, {"maps/a.bsp", "map a"}});
    // The same files as a ZIP: a PAK and a PK3 holding them are the same.
    const auto zip = (dir / "base.pk3").string();
    WriteFile(zip, test::ZipImage({{"maps/a.bsp", "map a", kZipMethodDeflated},
                                   {"keep.cfg", "bind", kZipMethodStored}}));
    const struct {
        const char* What;
        std::string Other;
        int Status;
        std::string Out; // % stands for the other archive's path
    } cases[] = {
        {"the same", pak("same.pak", {{"keep.cfg", "bind"}, {"maps/a.bsp", "map a"}}), kExitOk, ""},
        {"the same files as a ZIP", zip, kExitOk, ""},
        {"added", pak("added.pak", {{"keep.cfg", "bind"}, {"maps/a.bsp", "map a"}, {"n", "x"}}),
         kExitProblems, "only in %: n\n"},
        {"removed", pak("removed.pak", {{"keep.cfg", "bind"}}), kExitProblems,
         "only in BASE: maps/a.bsp\n"},
        {"changed", pak("changed.pak", {{"keep.cfg", "bind2"}, {"maps/a.bsp", "map a"}}),
         kExitProblems, "changed: keep.cfg\n"},
        {"renamed", pak("renamed.pak", {{"keep.cfg", "bind"}, {"maps/b.bsp", "map a"}}),
         kExitProblems, "renamed: maps/a.bsp -> maps/b.bsp\n"},
        {"a name stored twice counts once, as the game reads it",
         pak("twice.pak", {{"keep.cfg", "bind"}, {"maps/a.bsp", "map a"}, {"keep.cfg", "other"}}),
         kExitOk, ""},
    };
    for (const auto& c : cases) {
        const TRun r = RunTool({"diff", base, c.Other});
        std::string out = c.Out;
        for (auto at = out.find('%'); at != std::string::npos; at = out.find('%'))
            out.replace(at, 1, c.Other);
        for (auto at = out.find("BASE"); at != std::string::npos; at = out.find("BASE"))
            out.replace(at, 4, base);
        EXPECT_EQ(r.Status, c.Status) << c.What << "\n" << r.Err;
        EXPECT_EQ(r.Out, out) << c.What;
    }
    const TRun json = RunTool({"diff", "--json", base, (dir / "renamed.pak").string()});
    EXPECT_EQ(json.Out, "{\"a\":\"" + InJson(base) + "\",\"b\":\"" +
                            InJson((dir / "renamed.pak").string()) +
                            "\",\"only_in_a\":[],\"only_in_b\":[],\"changed\":[],\"renamed\":[{"
                            "\"from\":\"maps/a.bsp\",\"to\":\"maps/b.bsp\"}],\"same\":false}\n");
    EXPECT_EQ(RunTool({"diff", base}).Status, kExitUnusable);
}

} // namespace
} // namespace zorvak

namespace zorvak {
namespace {

TEST(PakTool, GrepTellsMatchingLinesAndBinaryEntries) {
    TTempDir dir;
    const auto pak = WritePak(dir, {{"autoexec.cfg", "bind w +forward\r\nbind s +back\nalias go\n"},
                                    {"maps/e1m1.bsp", std::string("head\0forward map", 16)},
                                    {"progs.src", "last line forward"},
                                    {"autoexec.cfg", "forward in the shadowed copy\n"}});
    const auto pk3 = (dir / "a.pk3").string();
    WriteFile(pk3,
              test::ZipImage(
                  {{"s/one.txt", "x\nforward\n", kZipMethodDeflated},
                   {"s/bad.txt", "forward\n", kZipMethodDeflated, 0, false, {}, 0x12345678u}}));
    const struct {
        std::vector<std::string> Args;
        int Status;
        std::string Out;
        const char* Says = "";
    } cases[] = {
        {{"grep", "forward", pak},
         kExitOk,
         "autoexec.cfg:1:bind w +forward\r\nBinary entry maps/e1m1.bsp matches\n"
         "progs.src:1:last line forward\n"},
        {{"grep", "-E", "^(bind|alias) [sg]", pak},
         kExitOk,
         "autoexec.cfg:2:bind s +back\nautoexec.cfg:3:alias go\n"},
        {{"grep", "-i", "-F", "BIND S", pak, "*.CFG"}, kExitOk, "autoexec.cfg:2:bind s +back\n"},
        {{"grep", "forward", pak, "maps/*", "progs.*"},
         kExitOk,
         "Binary entry maps/e1m1.bsp matches\nprogs.src:1:last line forward\n"},
        {{"grep", "-F", "^bind", pak}, kExitProblems, ""},
        {{"grep", "shadowed", pak}, kExitProblems, ""},
        {{"grep", "forward", pak, "none*"}, kExitProblems, ""},
        {{"grep", "a\\(", pak}, kExitUnusable, "", "Invalid pattern a\\(: "},
        {{"grep", "-F", "-E", "x", pak}, kExitUnusable, "", "one of -F and -E"},
        {{"grep", "x"}, kExitUnusable, "", "a pattern and an archive"},
        {{"grep", "x", (dir / "none.pak").string()}, kExitUnusable, "", "No such file"},
        // A damaged member is told after what it showed, and the status is
        // grep's for a failure even though a line matched.
        {{"grep", "forward", pk3},
         kExitUnusable,
         "s/one.txt:2:forward\ns/bad.txt:1:forward\n",
         "s/bad.txt: "},
    };
    for (const auto& c : cases) {
        const TRun r = RunTool(c.Args);
        EXPECT_EQ(r.Status, c.Status) << ::testing::PrintToString(c.Args) << r.Err;
        EXPECT_EQ(r.Out, c.Out) << ::testing::PrintToString(c.Args);
        EXPECT_THAT(r.Err, HasSubstr(c.Says)) << ::testing::PrintToString(c.Args);
    }
}

} // namespace
} // namespace zorvak

namespace zorvak {
namespace {

// -v, -q and --progress, after the command or before it, against what each
// stream gets. % in an argument or in Out stands for the row's own folder.
TEST(PakTool, CommonOptionsSetWhatIsToldAndTheProgressLine) {
    TTempDir dir;
    const auto pak = WritePak(dir, {{"a.txt", "alpha"}, {"sub/b.txt", std::string(3000, 'b')}});
    WriteFile(dir / "kept" / "a.txt", "older");
    const auto edited = (dir / "e.pak").string();
    const struct {
        std::vector<std::string> Args;
        bool Terminal; // stderr a terminal: progress unless told otherwise
        bool Dumb;
        int Status;
        std::string Out;
        std::vector<std::string> ErrHas; // "" alone: err is empty
        std::vector<std::string> ErrLacks = {};
    } cases[] = {
        {{"extract", pak, "-C", "%", "-v"}, false, false, kExitOk, "%/a.txt\n%/sub/b.txt\n", {""}},
        {{"-v", "extract", pak, "-C", "%"}, false, false, kExitOk, "%/a.txt\n%/sub/b.txt\n", {""}},
        {{"extract", pak, "-C", (dir / "kept").string(), "--no-clobber"},
         false,
         false,
         kExitOk,
         "",
         {"kept "}},
        {{"extract", pak, "-C", (dir / "kept").string(), "--no-clobber", "--quiet"},
         false,
         false,
         kExitOk,
         "",
         {""}},
        {{"rm", edited, "a.txt"}, false, false, kExitOk, "deleted a.txt\n", {""}},
        {{"-q", "rm", edited, "a.txt"}, false, false, kExitOk, "", {""}},
        {{"-q", "rm", edited, "a.txt", "--dry-run"},
         false,
         false,
         kExitOk,
         "would delete a.txt\n",
         {""}},
        {{"-vq", "list", pak}, false, false, kExitUnusable, "", {"-v and -q cannot go together"}},
        {{"list", pak, "--progress=sometimes"},
         false,
         false,
         kExitUnusable,
         "",
         {"--progress takes auto, always or never, not sometimes"}},
        {{"-q"}, false, false, kExitUnusable, "", {"no command given"}},
        // The progress line: by bytes, on a terminal unless told otherwise.
        {{"extract", pak, "-C", "%"},
         true,
         false,
         kExitOk,
         "",
         {"100%  2.9 KiB of 2.9 KiB", "\033[K"}},
        {{"extract", pak, "-C", "%"}, false, false, kExitOk, "", {""}},
        {{"extract", pak, "-C", "%", "--progress=always"}, false, false, kExitOk, "", {"100%"}},
        {{"extract", pak, "-C", "%", "--progress=never"}, true, false, kExitOk, "", {""}},
        {{"--progress", "never", "extract", pak, "-C", "%"}, true, false, kExitOk, "", {""}},
        {{"extract", pak, "-C", "%", "-q"}, true, false, kExitOk, "", {""}},
        // A dumb terminal gets none, or on request one without escapes.
        {{"extract", pak, "-C", "%"}, false, true, kExitOk, "", {""}},
        {{"extract", pak, "-C", "%", "--progress=always"},
         false,
         true,
         kExitOk,
         "",
         {"\r100%"},
         {"\033"}},
    };
    int row = 0;
    for (const auto& c : cases) {
        WriteFile(edited, BuildPakImage({{"a.txt", "alpha"}, {"b.txt", "beta"}}));
        const std::string own = (dir / ("row" + std::to_string(++row))).string();
        const auto mine = [&own](std::string text) {
            for (auto at = text.find('%'); at != std::string::npos; at = text.find('%', at + 1))
                text.replace(at, 1, own);
            return text;
        };
        std::vector<std::string> args;
        for (const std::string& a : c.Args)
            args.push_back(mine(a));
        TToolOptions options;
        options.Progress = c.Terminal;
        options.ErrIsTerminal = c.Terminal;
        options.DumbTerminal = c.Dumb;
        std::ostringstream out, err;
        const int status = RunPakTool(args, out, err, options);
        const std::string shown = ::testing::PrintToString(args);
        EXPECT_EQ(status, c.Status) << shown << err.str();
        std::string expected = mine(c.Out);
        std::replace(expected.begin(), expected.end(), '/',
                     static_cast<char>(std::filesystem::path::preferred_separator));
        std::string got = out.str();
        std::replace(got.begin(), got.end(), '/',
                     static_cast<char>(std::filesystem::path::preferred_separator));
        EXPECT_EQ(got, expected) << shown;
        for (const std::string& has : c.ErrHas) {
            if (has.empty())
                EXPECT_EQ(err.str(), "") << shown;
            else
                EXPECT_THAT(err.str(), HasSubstr(has)) << shown;
        }
        for (const std::string& lacks : c.ErrLacks)
            EXPECT_THAT(err.str(), ::testing::Not(HasSubstr(lacks))) << shown;
    }
}

} // namespace
} // namespace zorvak

namespace zorvak {
namespace {

// "-" as the archive reads standard input, spooled when it is a stream;
// "-o -" writes the archive to standard output.
TEST(PakTool, StandardInputAndOutputStandForArchives) {
    TTempDir dir;
    const std::vector<std::pair<std::string, std::string>> files = {{"a.cfg", "bind x\n"},
                                                                    {"maps/m.bsp", "map"}};
    const std::vector<unsigned char> image = BuildPakImage(files);
    const std::string pak(image.begin(), image.end());
    const auto onDisk = WritePak(dir, files);
    const auto pk3 = test::ZipImage({{"s.txt", "zip text\n", kZipMethodDeflated}});
    WriteFile(dir / "tree" / "a.cfg", "bind x\n");
    WriteFile(dir / "tree" / "maps" / "m.bsp", "map");
    const auto tree = (dir / "tree").string();
    ASSERT_EQ(RunTool({"build", tree, "-o", (dir / "built.pak").string(), "--sorted"}).Status,
              kExitOk);
    const struct {
        std::vector<std::string> Args;
        std::string In;
        int Status;
        std::string Out;
        const char* Says = "";
    } cases[] = {
        {{"list", "-"}, pak, kExitOk, "a.cfg\nmaps/m.bsp\n"},
        {{"list", "-"}, pk3, kExitOk, "s.txt\n"},
        {{"cat", "-", "maps/m.bsp"}, pak, kExitOk, "map"},
        {{"info", "-"}, pak, kExitOk, "-:\n  PAK, 150 bytes\n  2 entries, 10 bytes in all\n"},
        {{"verify", "-"}, pak, kExitOk, "-: 2 entries, 0 problems\n"},
        {{"grep", "text", "-"}, pk3, kExitOk, "s.txt:1:zip text\n"},
        {{"diff", "-", onDisk}, pak, kExitOk, ""},
        {{"list", "-", onDisk},
         pak,
         kExitOk,
         "-:\na.cfg\nmaps/m.bsp\n\n" + onDisk + ":\na.cfg\nmaps/m.bsp\n"},
        {{"extract", "-", "-C", (dir / "out").string(), "-v"},
         pak,
         kExitOk,
         (dir / "out" / "a.cfg").string() + "\n" + (dir / "out" / "maps" / "m.bsp").string() +
             "\n"},
        {{"build", tree, "-o", "-", "--sorted"}, "", kExitOk, ReadFile(dir / "built.pak")},
        // What cannot be done with a stream.
        {{"rm", "-", "a.cfg"}, pak, kExitUnusable, "", "standard input cannot be edited"},
        {{"diff", "-", "-"}, pak, kExitUnusable, "", "standard input can be read only once"},
        {{"list", "-"}, "not an archive at all", kExitUnusable, "", "-: "},
        {{"list", "-"}, "", kExitUnusable, "", "-: "},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.In);
        TToolOptions options;
        options.Input = &in;
        std::ostringstream out, err;
        const int status = RunPakTool(c.Args, out, err, options);
        const std::string shown = ::testing::PrintToString(c.Args);
        EXPECT_EQ(status, c.Status) << shown << err.str();
        EXPECT_EQ(out.str(), c.Out) << shown;
        EXPECT_THAT(err.str(), HasSubstr(c.Says)) << shown;
    }
    // Standard input that is a file is read where it lies.
    TToolOptions options;
    options.InputFile = onDisk;
    std::ostringstream out, err;
    EXPECT_EQ(RunPakTool({"list", "-"}, out, err, options), kExitOk) << err.str();
    EXPECT_EQ(out.str(), "a.cfg\nmaps/m.bsp\n");
    // No spool is left behind.
    for (const auto& e :
         std::filesystem::directory_iterator(std::filesystem::temp_directory_path()))
        EXPECT_EQ(e.path().filename().string().find("zorvak-pak-stdin-"), std::string::npos)
            << e.path();
}

// The -C folder is made for what is written; a run that wrote nothing and
// failed leaves none of the levels it made.
TEST(PakTool, AFailedExtractionMakesNoFolder) {
    TTempDir dir;
    const auto pak = WritePak(dir, {{"a.cfg", "x"}});
    const struct {
        std::vector<std::string> Names;
        int Status;
        bool FolderStays;
    } cases[] = {
        {{"gone"}, kExitProblems, false},
        {{"gone", "a.cfg"}, kExitProblems, true},
        {{"a.cfg"}, kExitOk, true},
    };
    int row = 0;
    for (const auto& c : cases) {
        const auto top = dir / ("new" + std::to_string(++row));
        std::vector<std::string> args = {"extract", pak, "-C",
                                         (top / "deep" / "er").string() + "/"};
        args.insert(args.end(), c.Names.begin(), c.Names.end());
        EXPECT_EQ(RunTool(args).Status, c.Status) << row;
        EXPECT_EQ(std::filesystem::exists(top), c.FolderStays) << row;
    }
}

#ifndef _WIN32
// A link is stored as its target's bytes; one that leads out of the tree is
// told, since what it stores may not be meant to ship.
TEST(PakTool, BuildTellsOfLinksLeadingOutOfTheTree) {
    TTempDir dir;
    WriteFile(dir / "outside.txt", "private");
    WriteFile(dir / "tree" / "a.cfg", "bind");
    std::filesystem::create_symlink(dir / "outside.txt", dir / "tree" / "out.txt");
    std::filesystem::create_symlink("a.cfg", dir / "tree" / "in.cfg");
    const TRun r = RunTool({"build", (dir / "tree").string(), "-o", (dir / "x.pak").string()});
    EXPECT_EQ(r.Status, kExitOk) << r.Err;
    EXPECT_THAT(r.Err,
                HasSubstr("out.txt: a link to " +
                          std::filesystem::canonical(dir / "outside.txt").string() +
                          ", outside the tree; the bytes stored as out.txt are that file's"));
    EXPECT_THAT(r.Err, ::testing::Not(HasSubstr("in.cfg")));
    EXPECT_EQ(RunTool({"-q", "build", (dir / "tree").string(), "-o", (dir / "x.pak").string()}).Err,
              "");
}
#endif

} // namespace
} // namespace zorvak
