// The command-line companion, run as a script would run it.
#include "cli/PakTool.h"
#include "archive/PakReader.h"
#include "archive/PakWriter.h"
#include "framework/Files.h"
#include "framework/Interrupt.h"
#include "support/PakImage.h"
#include "support/TempDir.h"

#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <sstream>

namespace zorvak {
namespace {

using test::PakEntryBytes;
using test::PakHeaderBytes;
using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

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

TEST(PakTool, UsageAndUnknownCommands) {
    const struct {
        std::vector<std::string> Args;
        int Status;
        bool UsageOnOut;
    } cases[] = {
        {{"--help"}, kExitOk, true},
        {{}, kExitUnusable, false},
        {{"frobnicate"}, kExitUnusable, false},
        {{"list"}, kExitUnusable, false},
        {{"list", "a", "b"}, kExitUnusable, false},
        {{"extract", "a.pak", "-C"}, kExitUnusable, false},
        {{"build", "dir"}, kExitUnusable, false},
        {{"verify", "a.pak", "--bogus"}, kExitUnusable, false},
    };
    for (const auto& c : cases) {
        const TRun r = RunTool(c.Args);
        EXPECT_EQ(r.Status, c.Status) << ::testing::PrintToString(c.Args);
        EXPECT_EQ(r.Out.find("usage:") != std::string::npos, c.UsageOnOut);
        if (c.Status != kExitOk) {
            EXPECT_FALSE(r.Err.empty());
        }
    }
}

TEST(PakTool, ListsNamesAndWithLPositionsLengthsAndATotal) {
    TTempDir dir;
    const auto pak = (dir / "a.pak").string();
    WriteFile(pak, BuildPakImage({{"progs.dat", "123"}, {"sound/a.wav", "12345"}}));
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
    const auto pak = (dir / "a.pak").string();
    WriteFile(pak, BuildPakImage({{"maps/e1m1.bsp", "map"},
                                  {"../outside.txt", "escape"},
                                  {"progs.dat", "first"},
                                  {"progs.dat", "second"}}));
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

TEST(PakTool, ExtractNeverOverwritesTheArchiveItself) {
    TTempDir dir;
    const auto pak = dir / "self.pak";
    const auto image = BuildPakImage({{"self.pak", "tiny"}});
    WriteFile(pak, image);
    const TRun r = RunTool({"extract", pak.string(), "-C", dir.Path().string()});
    EXPECT_EQ(r.Status, kExitProblems);
    EXPECT_EQ(ReadFile(pak), std::string(image.begin(), image.end()));
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
    TTempDir tree, out;
    WriteFile(tree / (std::string(56, 'n')), "x");
    const TRun r = RunTool({"build", tree.Path().string(), "-o", (out / "x.pak").string()});
    EXPECT_EQ(r.Status, kExitProblems);
    EXPECT_FALSE(std::filesystem::exists(out / "x.pak"));
    EXPECT_EQ(
        RunTool({"build", (tree / "missing").string(), "-o", (out / "y.pak").string()}).Status,
        kExitUnusable);
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
        {"not an archive", "PK\x03\x04", kExitUnusable, "not a PAK archive"},
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
    const auto pak = (dir / "a.pak").string();
    WriteFile(pak,
              BuildPakImage(
                  {{"evil\x1b]0;owned\x07.txt", "x"}, {"two\nlines", "y"}, {"caf\xe9.txt", "z"}}));
    const TRun r = RunTool({"list", pak});
    EXPECT_EQ(r.Out, "evil\\x1b]0;owned\\x07.txt\ntwo\\nlines\ncaf\xe9.txt\n");
    TToolOptions terminal;
    terminal.OutIsTerminal = true;
    std::ostringstream out, err;
    RunPakTool({"list", pak}, out, err, terminal);
    EXPECT_NE(out.str().find("caf\\xe9.txt"), std::string::npos) << out.str();
    EXPECT_EQ(EscapeForTerminal("caf\xc3\xa9", true), "caf\xc3\xa9");
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
        ::raise(signal);
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
