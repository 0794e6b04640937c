#include "archive/PakBuild.h"
#include "archive/PakReader.h"
#include "framework/Failures.h"
#include "framework/Files.h"
#include "support/Platform.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace zorvak {
namespace {

namespace fs = std::filesystem;
using namespace test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAreArray;

std::vector<TPakBuildFile> Walk(const fs::path& start) {
    std::vector<TPakBuildFile> files;
    EXPECT_TRUE(WalkPakTree(start, files, {}));
    return files;
}

std::vector<std::string> Names(const std::vector<TPakBuildFile>& files) {
    std::vector<std::string> names;
    for (const TPakBuildFile& file : files)
        names.push_back(file.Name);
    return names;
}

// The same tree read with the standard library, in its listing order, pre-order.
void ExpectedOrder(const fs::path& dir, const std::string& prefix, std::vector<std::string>& out) {
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        std::string name;
        for (char c : entry.path().filename().string())
            name += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (entry.is_directory() && !entry.is_symlink())
            ExpectedOrder(entry.path(), prefix + name + "/", out);
        else if (entry.is_regular_file() && !name.ends_with(".pak"))
            out.push_back(prefix + name);
    }
}

std::vector<TPakBuildFile> BuildInto(const fs::path& start, const fs::path& output) {
    std::vector<TPakBuildFile> files = Walk(start);
    CheckPakBuild(files);
    EXPECT_TRUE(WritePakFile(output, files, {}));
    return files;
}

std::vector<std::string> DirectoryNames(const fs::path& dir) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    return names;
}

std::int32_t Int32At(const std::string& bytes, std::size_t at) {
    return static_cast<std::int32_t>(static_cast<unsigned char>(bytes[at]) |
                                     static_cast<unsigned char>(bytes[at + 1]) << 8 |
                                     static_cast<unsigned char>(bytes[at + 2]) << 16 |
                                     static_cast<unsigned char>(bytes[at + 3]) << 24);
}

std::string Pattern(std::size_t size, int seed) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 31 + static_cast<std::size_t>(seed) * 7) % 251);
    return bytes;
}

TEST(PakBuildWalk, StoresNamesLoweredWithSlashesInListingOrder) {
    TTempDir tree;
    WriteFile(tree / "Maps/E1M1.BSP", "bsp");
    WriteFile(tree / ".hidden", "h");
    WriteFile(tree / "Sub/.Secret/Deep.TXT", "d");
    WriteFile(tree / "a.PAK", "skip");
    WriteFile(tree / "b.Pak", "skip");
    WriteFile(tree / "Sub/Inner/c.pak", "skip");
    WriteFile(tree / "x.pak/inside.TXT", "kept");
    WriteFile(tree / "d.pak2", "kept");
    WriteFile(tree / "pak", "kept");
    WriteFile(tree / "\xC3\x84rger/\xC3\x9C.Wav", "bytes beyond ASCII keep their case");
    fs::create_directories(tree / "Empty/Deeper");

    const std::vector<TPakBuildFile> files = Walk(tree.Path());
    std::vector<std::string> expected;
    ExpectedOrder(tree.Path(), "", expected);
    EXPECT_EQ(Names(files), expected);
    EXPECT_THAT(Names(files),
                UnorderedElementsAreArray<std::string>(
                    {"maps/e1m1.bsp", ".hidden", "sub/.secret/deep.txt", "x.pak/inside.txt",
                     "d.pak2", "pak", "\xC3\x84rger/\xC3\x9C.wav"}));
    for (const TPakBuildFile& file : files) {
        if (file.Name == "maps/e1m1.bsp") {
            EXPECT_EQ(file.Path, tree / "Maps/E1M1.BSP"); // opened as found, not as stored
            EXPECT_EQ(file.Size, 3);
        }
    }
}

TEST(PakBuildWalk, StoresOnlyRegularFilesAndNeverFollowsDirectoryLinks) {
    TTempDir tree;
    WriteFile(tree / "data/real.txt", "real");
    ASSERT_TRUE(test::MakeLink("..", tree / "data/loop"));
    ASSERT_TRUE(test::MakeLink(tree.Path(), tree / "self"));
    ASSERT_TRUE(test::MakeLink("real.txt", tree / "data/alias.txt"));
    ASSERT_TRUE(test::MakeLink("missing", tree / "dangling"));
#ifndef _WIN32
    ASSERT_EQ(::mkfifo((tree / "pipe").c_str(), 0600), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (tree / "sock").string();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
#endif

    const std::vector<TPakBuildFile> files = Walk(tree.Path());
#ifndef _WIN32
    ::close(sock);
#endif
    EXPECT_THAT(Names(files),
                UnorderedElementsAreArray<std::string>({"data/real.txt", "data/alias.txt"}));

    // The link's entry holds the bytes of the file it points at.
    BuildInto(tree.Path(), tree / "out.pak");
    const TPakIndex index = ReadPakIndex(tree / "out.pak");
    ASSERT_EQ(index.Count, 2);
    EXPECT_EQ(ReadFile(tree / "out.pak").substr(12, 8), "realreal");
}

// No file is ever left out in silence: what cannot be read stops the walk,
// naming it, before any archive is created.
TEST(PakBuildWalk, WhatCannotBeReadStopsTheWalkNamingIt) {
    const struct {
        const char* What;
        bool NeedsUser; // permissions do not bind root
        std::function<void(const fs::path&)> Prepare;
        std::string Named; // relative to the tree
        const char* Reason;
    } cases[] = {
        {"an unreadable sub-directory", true,
         [](const fs::path& t) { fs::permissions(t / "shut", fs::perms::none); }, "shut",
         "File access denied"},
        {"an unreadable start", true,
         [](const fs::path& t) { fs::permissions(t, fs::perms::owner_write); }, "",
         "File access denied"},
        {"a missing start", false, [](const fs::path& t) { fs::remove_all(t / "gone"); }, "gone",
         "File not found"},
    };
    for (const auto& c : cases) {
        if (c.NeedsUser && !test::ModeBitsBind())
            continue;
        TTempDir tree;
        WriteFile(tree / "open/a", "a");
        WriteFile(tree / "shut/b", "b");
        c.Prepare(tree.Path());
        const fs::path start =
            std::string(c.What) == "a missing start" ? tree / "gone" : tree.Path();
        std::vector<TPakBuildFile> files;
        try {
            WalkPakTree(start, files, {});
            ADD_FAILURE() << c.What << ": walked";
        } catch (const TFailure& failure) {
            const fs::path named = c.Named.empty() ? tree.Path() : tree / c.Named;
            EXPECT_THAT(failure.what(), HasSubstr(named.string())) << c.What;
            EXPECT_THAT(failure.what(), HasSubstr(c.Reason)) << c.What;
        }
        fs::permissions(tree.Path(), fs::perms::owner_all);
    }
}

TEST(PakBuildWalk, RunningOutOfDescriptorsStopsTheWalk) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizers' runtime needs descriptors of its own to report";
#elif defined(_WIN32)
    GTEST_SKIP() << "Windows has no limit on handles that a test could lower";
#else
    TTempDir tree;
    std::string deep;
    for (int i = 0; i < 12; ++i) {
        deep += "d" + std::to_string(i) + "/";
        WriteFile(tree / (deep + "f"), "x");
    }
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    // Room for a few levels of the walk, not all: new descriptors take the
    // lowest free numbers, and the limit bounds those numbers.
    int limit = 0;
    for (int free = 0; free < 4; ++limit)
        if (::fcntl(limit, F_GETFD) == -1)
            ++free;
    rlimit tight = saved;
    tight.rlim_cur = static_cast<rlim_t>(limit);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    std::vector<TPakBuildFile> files;
    std::string message;
    try {
        WalkPakTree(tree.Path(), files, {});
    } catch (const TFailure& failure) {
        message = failure.what();
    }
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_THAT(message, HasSubstr("Too many open files"));
#endif
}

TEST(PakBuildWalk, NeverPacksItsOwnTemporariesOrTheArchiveItReplaces) {
    TTempDir tree;
    WriteFile(tree / "keep.txt", "k");
    WriteFile(tree / ".zorvak-1f-2.tmp", "a killed run's leftover");
    WriteFile(tree / "out.bin", "the archive being replaced");
    TPakBuildHooks hooks;
    ASSERT_TRUE(IdentityAt(tree / "out.bin", hooks.Output));
    std::vector<TPakBuildFile> files;
    ASSERT_TRUE(WalkPakTree(tree.Path(), files, hooks));
    EXPECT_THAT(Names(files), ElementsAre("keep.txt"));
}

TEST(PakBuildWalk, PumpAnsweringFalseStopsAtOnce) {
    TTempDir tree;
    for (int i = 0; i < 5; ++i)
        WriteFile(tree / ("f" + std::to_string(i)), "x");
    int pumps = 0;
    TPakBuildHooks hooks;
    hooks.Pump = [&] { return ++pumps < 3; };
    std::vector<TPakBuildFile> files;
    EXPECT_FALSE(WalkPakTree(tree.Path(), files, hooks));
    EXPECT_EQ(pumps, 3);
    EXPECT_EQ(files.size(), 2u);
}

TEST(PakBuildName, SkipRuleLooksAtTheWholeNamesEnd) {
    struct Case {
        std::string Stored;
        bool Skipped;
    };
    for (const Case& c : {Case{"a.pak", true}, Case{"deep/er/b.pak", true}, Case{".pak", true},
                          Case{"x.pak/y", false}, Case{"c.pak2", false}, Case{"pak", false},
                          Case{"a.pa", false}, Case{"", false}})
        EXPECT_EQ(IsPakArchiveName(c.Stored), c.Skipped) << c.Stored;
}

TEST(PakBuildName, OutputPathFollowsTheFileSystemsCaseRule) {
    const fs::path start = "/games/id1";
    EXPECT_EQ(PakOutputPath(start, "PAK1", true), "/games/id1/pak1.pak");
    EXPECT_EQ(PakOutputPath(start, "PAK1", false), "/games/id1/PAK1.PAK");
    EXPECT_EQ(PakOutputPath("/", "ZORVAK", true), "/zorvak.pak");
    EXPECT_EQ(PakOutputPath(start, "", true), "/games/id1/.pak");
    for (const char* bad : {"../X", "A/B", "/"})
        EXPECT_THROW(PakOutputPath(start, bad, true), TFailure) << bad;
}

TEST(PakBuildWrite, EmptyTreeOrOnlyArchivesGiveTheHeaderAlone) {
    for (bool withArchives : {false, true}) {
        TTempDir tree;
        if (withArchives) {
            WriteFile(tree / "PAK0.PAK", "PACK....");
            WriteFile(tree / "sub/pak1.pak", "PACK....");
        }
        const std::vector<TPakBuildFile> files = BuildInto(tree.Path(), tree / "zorvak.pak");
        EXPECT_TRUE(files.empty());
        const std::string pak = ReadFile(tree / "zorvak.pak");
        ASSERT_EQ(pak.size(), 12u);
        EXPECT_EQ(pak.substr(0, 4), "PACK");
        EXPECT_EQ(Int32At(pak, 4), 12);
        EXPECT_EQ(Int32At(pak, 8), 0);
    }
}

TEST(PakBuildWrite, LaysOutHeaderDataAndDirectoryAroundChunkBoundaries) {
    TTempDir tree;
    // One directory level each so the listing order cannot mix them up.
    WriteFile(tree / "a/empty.dat", "");
    WriteFile(tree / "a/one-chunk.dat", Pattern(10240, 1));
    WriteFile(tree / "a/two-chunks.dat", Pattern(10241, 2));
    const std::vector<TPakBuildFile> files = BuildInto(tree.Path(), tree / "out.pak");
    ASSERT_EQ(files.size(), 3u);

    const std::string pak = ReadFile(tree / "out.pak");
    const std::int64_t data = 10240 + 10241;
    ASSERT_EQ(static_cast<std::int64_t>(pak.size()), 12 + data + 3 * 64);
    EXPECT_EQ(pak.substr(0, 4), "PACK");
    EXPECT_EQ(Int32At(pak, 4), 12 + data);
    EXPECT_EQ(Int32At(pak, 8), 3 * 64);

    const TPakIndex index = ReadPakIndex(tree / "out.pak");
    ASSERT_EQ(index.Count, 3);
    std::int32_t pos = 12;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const TPakEntry& entry = index.Entries[i];
        EXPECT_EQ(entry.Name, files[i].Name);
        EXPECT_EQ(entry.FilePos, pos);
        EXPECT_EQ(entry.FileLength, files[i].Size);
        EXPECT_EQ(pak.substr(static_cast<std::size_t>(entry.FilePos),
                             static_cast<std::size_t>(entry.FileLength)),
                  ReadFile(files[i].Path))
            << entry.Name;
        pos += entry.FileLength;
    }
    // The empty file's entry points where the next one, or the directory, starts.
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (files[i].Name == "a/empty.dat") {
            EXPECT_EQ(index.Entries[i].FilePos,
                      i + 1 < files.size() ? index.Entries[i + 1].FilePos : Int32At(pak, 4));
        }
    }
}

// zorvak-pak's build copies by the kernel where it can: every way it may
// take gives the bytes of the dialog's 10240-byte copies.
// Every copy path, with threads reading ahead or not, gives the classic
// archive; more files than the read-ahead's window, big ones between.
TEST(PakBuildWrite, EveryCopyPathGivesTheSameArchive) {
    TTempDir tree;
    const std::size_t sizes[] = {0, 1, 10240, 10241, 65536, 65537, 1024 * 1024 + 7, 3 << 20};
    for (std::size_t i = 0; i < std::size(sizes); ++i)
        WriteFile(tree / ("d" + std::to_string(i)) / "f.dat", Pattern(sizes[i], 3));
    // Enough small files for the read-ahead to take part.
    for (int i = 0; i < 1100; ++i)
        WriteFile(tree / ("m" + std::to_string(i % 5)) / (std::to_string(i) + ".dat"),
                  Pattern(static_cast<std::size_t>(i * 331 % 70000), i));
    WriteFile(tree / "top.dat", "at the start");
    std::vector<TPakBuildFile> files = Walk(tree.Path());
    CheckPakBuild(files);
    // Walked on several threads, the list and its order are the same.
    for (const unsigned readers : {2u, 5u}) {
        std::vector<TPakBuildFile> shared;
        TPakBuildHooks hooks;
        hooks.Readers = readers;
        std::vector<std::string> found;
        hooks.Found = [&found](const TPakBuildFile& f) { found.push_back(f.Name); };
        ASSERT_TRUE(WalkPakTree(tree.Path(), shared, hooks));
        EXPECT_EQ(Names(shared), Names(files)) << readers;
        EXPECT_EQ(found, Names(files)) << readers;
    }
    TTempDir out;
    ASSERT_TRUE(WritePakFile(out / "classic.pak", files, {}));
    const std::string classic = ReadFile(out / "classic.pak");
    const struct {
        TKernelCopy First;
        unsigned Readers;
    } ways[] = {
        {TKernelCopy::kcBetweenFiles, 0}, {TKernelCopy::kcStream, 0}, {TKernelCopy::kcNone, 0},
        {TKernelCopy::kcBetweenFiles, 1}, {TKernelCopy::kcNone, 3},
    };
    for (const auto& way : ways) {
        TPakBuildHooks hooks;
        hooks.KernelCopy = way.First;
        hooks.Readers = way.Readers;
        ASSERT_TRUE(WritePakFile(out / "kernel.pak", files, hooks));
        EXPECT_EQ(ReadFile(out / "kernel.pak"), classic)
            << static_cast<int>(way.First) << " " << way.Readers;
    }
}

// Files gone after the walk: threads reading ahead tell the first of them,
// as one thread does, and leave no archive.
TEST(PakBuildWrite, ReadersAheadTellTheFailureOneThreadWould) {
    const struct {
        std::vector<std::size_t> Gone; // rows removed after the walk
    } cases[] = {{{0}}, {{5}}, {{150}}, {{1199}}, {{720, 30}}, {{64, 65}}, {{9}}};
    TTempDir tree;
    for (int i = 0; i < 1200; ++i)
        WriteFile(tree / ("d" + std::to_string(i % 3)) / (std::to_string(i) + ".dat"),
                  Pattern(static_cast<std::size_t>(i % 9 == 0 ? 90000 : i % 500), i));
    const std::vector<TPakBuildFile> files = Walk(tree.Path());
    for (const auto& c : cases) {
        std::vector<std::string> kept;
        for (const std::size_t row : c.Gone) {
            kept.push_back(ReadFile(files[row].Path));
            fs::remove(files[row].Path);
        }
        std::vector<std::string> told;
        for (const unsigned readers : {0u, 2u}) {
            TTempDir out;
            TPakBuildHooks hooks;
            hooks.KernelCopy = TKernelCopy::kcBetweenFiles;
            hooks.Readers = readers;
            try {
                WritePakFile(out / "a.pak", files, hooks);
                told.emplace_back("(no failure)");
            } catch (const TFailure& e) {
                told.emplace_back(e.what());
            }
            EXPECT_FALSE(fs::exists(out / "a.pak")) << readers;
        }
        const std::size_t first = *std::min_element(c.Gone.begin(), c.Gone.end());
        EXPECT_THAT(told[0], HasSubstr(files[first].Path));
        EXPECT_EQ(told[1], told[0]);
        for (std::size_t k = 0; k < c.Gone.size(); ++k)
            WriteFile(files[c.Gone[k]].Path, kept[k]);
    }
}

TEST(PakBuildWrite, RoundTripOfAFewHundredFiles) {
    TTempDir tree;
    for (int i = 0; i < 300; ++i)
        WriteFile(tree / ("Dir" + std::to_string(i % 7)) / ("Sub" + std::to_string(i % 3)) /
                      ("File" + std::to_string(i) + ".Dat"),
                  Pattern(static_cast<std::size_t>(i * 97 % 25000), i));
    const std::vector<TPakBuildFile> files = BuildInto(tree.Path(), tree / "round.pak");
    ASSERT_EQ(files.size(), 300u);
    const std::string pak = ReadFile(tree / "round.pak");
    const TPakIndex index = ReadPakIndex(tree / "round.pak");
    ASSERT_EQ(index.Count, 300);
    for (std::size_t i = 0; i < files.size(); ++i)
        ASSERT_EQ(pak.substr(static_cast<std::size_t>(index.Entries[i].FilePos),
                             static_cast<std::size_t>(index.Entries[i].FileLength)),
                  ReadFile(files[i].Path))
            << files[i].Name;
}

TEST(PakBuildWrite, BuildingTwiceReplacesTheFirstArchiveWhichTheWalkSkips) {
    TTempDir tree;
    WriteFile(tree / "a.txt", "alpha");
    WriteFile(tree / "b/c.txt", "gamma");
    BuildInto(tree.Path(), tree / "zorvak.pak");
    const std::string first = ReadFile(tree / "zorvak.pak");
    const std::vector<TPakBuildFile> again = BuildInto(tree.Path(), tree / "zorvak.pak");
    EXPECT_EQ(again.size(), 2u);
    EXPECT_EQ(ReadFile(tree / "zorvak.pak"), first);
    // No temporary is left beside it.
    EXPECT_THAT(DirectoryNames(tree.Path()),
                UnorderedElementsAreArray<std::string>({"a.txt", "b", "zorvak.pak"}));
}

TEST(PakBuildRefusal, LimitsAreRefusedBeforeTheArchiveIsCreated) {
    struct Case {
        std::string Label;
        std::vector<std::pair<std::string, std::int64_t>> Files; // sparse files
        std::string Message;                                     // empty: accepted
    };
    const std::int64_t g = std::int64_t{1} << 30;
    const std::vector<Case> cases = {
        {"55-byte name", {{std::string(51, 'n') + ".dat", 1}}, ""},
        {"56-byte name", {{std::string(52, 'n') + ".dat", 1}}, "Name too long for a PAK archive"},
        {"largest archive", {{"big.dat", 0x7FFFFFFF - 12 - 64}}, ""},
        {"one byte more", {{"big.dat", 0x7FFFFFFF - 12 - 64 + 1}}, "Archive would reach 2 GiB at"},
        {"2 GiB file", {{"huge.dat", 2 * g}}, "File too large for a PAK archive"},
        {"two halves", {{"d1/half.dat", g}, {"d2/half.dat", g}}, "Archive would reach 2 GiB at"},
#ifndef _WIN32 // names there are case-blind: both cannot exist
        {"names equal once lowered",
         {{"Readme.TXT", 1}, {"readme.txt", 1}},
         "Two files would be stored as readme.txt"},
#endif
    };
    for (const Case& c : cases) {
        TTempDir tree;
        for (const auto& [name, size] : c.Files) {
            WriteFile(tree / name, "");
            fs::resize_file(tree / name, static_cast<std::uintmax_t>(size));
        }
        const std::vector<TPakBuildFile> files = Walk(tree.Path());
        if (c.Message.empty()) {
            EXPECT_NO_THROW(CheckPakBuild(files)) << c.Label;
            continue;
        }
        try {
            CheckPakBuild(files);
            ADD_FAILURE() << c.Label << ": accepted";
        } catch (const TFailure& failure) {
            EXPECT_THAT(failure.what(), HasSubstr(c.Message)) << c.Label;
            // The message names the file.
            EXPECT_THAT(failure.what(), HasSubstr(files.back().Name.substr(3))) << c.Label;
        }
    }
}

struct TFailingBuild {
    TTempDir Tree;
    std::string Earlier = "an earlier archive that must survive";

    TFailingBuild() {
        WriteFile(Tree / "zorvak.pak", Earlier);
        WriteFile(Tree / "d1/first.dat", Pattern(30000, 1));
        WriteFile(Tree / "d2/second.dat", Pattern(20000, 2));
    }
    void ExpectEarlierIntact() {
        EXPECT_EQ(ReadFile(Tree / "zorvak.pak"), Earlier);
        EXPECT_THAT(DirectoryNames(Tree.Path()),
                    UnorderedElementsAreArray<std::string>({"zorvak.pak", "d1", "d2"}));
    }
};

TEST(PakBuildRefusal, AFileThatCannotBeOpenedLeavesTheEarlierArchive) {
    TFailingBuild build;
    const std::vector<TPakBuildFile> files = Walk(build.Tree.Path());
    TLockedFile heldElsewhere(build.Tree / "d2/second.dat");
    try {
        WritePakFile(build.Tree / "zorvak.pak", files, {});
        ADD_FAILURE() << "built";
    } catch (const TFileOpenFailure& failure) {
        EXPECT_EQ(std::string(failure.what()),
                  "Cannot open file " + (build.Tree / "d2/second.dat").make_preferred().string());
    }
    build.ExpectEarlierIntact();
}

TEST(PakBuildRefusal, AFileChangedBetweenThePassesStopsTheBuild) {
    for (const std::string change : {"grow", "shrink", "same size"}) {
        TFailingBuild build;
        const std::vector<TPakBuildFile> files = Walk(build.Tree.Path());
        const fs::path victim = build.Tree / "d1/first.dat";
        std::size_t dataRows = 0;
        bool changed = false;
        TPakBuildHooks hooks;
        hooks.DataRow = [&](std::size_t) { ++dataRows; };
        hooks.Pump = [&] {
            // The first pump of the directory pass.
            if (dataRows == files.size() && !changed) {
                changed = true;
                WriteFile(victim, change == "grow"     ? Pattern(40000, 3)
                                  : change == "shrink" ? Pattern(10, 3)
                                                       : Pattern(30000, 4));
                // A rewrite a moment later, as the clock shows it.
                fs::last_write_time(victim, fs::last_write_time(victim) + std::chrono::seconds(1));
            }
            return true;
        };
        try {
            WritePakFile(build.Tree / "zorvak.pak", files, hooks);
            ADD_FAILURE() << change << ": built";
        } catch (const TFailure& failure) {
            EXPECT_EQ(std::string(failure.what()),
                      "File changed while building: " + fs::path(victim).make_preferred().string())
                << change;
        }
        EXPECT_TRUE(changed);
        build.ExpectEarlierIntact();
    }
}

TEST(PakBuildWrite, AFileChangedBeforeItsCopyIsStoredAsCopied) {
    TTempDir tree;
    WriteFile(tree / "d1/a.dat", Pattern(5000, 1));
    WriteFile(tree / "d2/b.dat", Pattern(5000, 2));
    const std::vector<TPakBuildFile> files = Walk(tree.Path());
    // Changed after the walk measured it: the copy takes what is there then.
    WriteFile(files.back().Path, Pattern(12345, 9));
    ASSERT_TRUE(WritePakFile(tree / "out.pak", files, {}));
    const std::string pak = ReadFile(tree / "out.pak");
    const TPakIndex index = ReadPakIndex(tree / "out.pak");
    ASSERT_EQ(index.Count, 2);
    EXPECT_EQ(index.Entries[1].FileLength, 12345);
    EXPECT_EQ(pak.substr(static_cast<std::size_t>(index.Entries[1].FilePos), 12345),
              Pattern(12345, 9));
    EXPECT_EQ(pak.size(), 12u + 5000 + 12345 + 128);
}

TEST(PakBuildWrite, StoppedByItsOwnerLeavesNoFileBehind) {
    for (std::size_t stopAt : {1u, 2u, 3u, 4u}) {
        TFailingBuild build;
        const std::vector<TPakBuildFile> files = Walk(build.Tree.Path());
        std::size_t pumps = 0;
        TPakBuildHooks hooks;
        hooks.Pump = [&] { return ++pumps < stopAt; };
        EXPECT_FALSE(WritePakFile(build.Tree / "zorvak.pak", files, hooks)) << stopAt;
        EXPECT_EQ(pumps, stopAt);
        build.ExpectEarlierIntact();
    }
}

TEST(PakBuildWrite, AnUnwritableStartDirectoryCannotCreateTheArchive) {
    if (!test::ModeBitsBind())
        GTEST_SKIP() << "mode bits do not keep this process out";
    TTempDir tree;
    WriteFile(tree / "a.txt", "a");
    const std::vector<TPakBuildFile> files = Walk(tree.Path());
    fs::permissions(tree.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    try {
        WritePakFile(tree / "zorvak.pak", files, {});
        ADD_FAILURE() << "built";
    } catch (const TFileCreateFailure& failure) {
        EXPECT_EQ(std::string(failure.what()),
                  "Cannot create file " + (tree / "zorvak.pak").string());
    }
}

} // namespace
} // namespace zorvak
