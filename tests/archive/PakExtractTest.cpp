#include "archive/PakExtract.h"
#include "archive/PakWriter.h"
#include "framework/Failures.h"
#include "framework/Files.h"
#include "framework/System.h"
#include "framework/Text.h"
#include "support/Child.h"
#include "support/PakImage.h"
#include "support/Platform.h"
#include "support/TempDir.h"

#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <limits>
#include <optional>
#ifndef _WIN32
#include <csignal>
#endif

namespace zorvak {
namespace {

using namespace test;

// The one rule for names, as extraction applies it and verify reports it.
TEST(EntryOutputPath, OneRuleDecidesWhatLandsInside) {
    const struct {
        const char* Name;
        TNameVerdict Verdict;
        const char* Out; // where a safe name lands, or the refusal's text
    } cases[] = {
        {"progs.dat", TNameVerdict::nvSafe, "/q/progs.dat"},
        {"sound/misc/null.wav", TNameVerdict::nvSafe, "/q/sound/misc/null.wav"},
        // The name keeps its case; a backslash is a byte of the file's name.
        {"Sound/X.wav", TNameVerdict::nvSafe, "/q/Sound/X.wav"},
        {"a//b.txt", TNameVerdict::nvSafe, "/q/a/b.txt"},
        {"maps\\e1m1.bsp", TNameVerdict::nvSafe, "/q/maps\\e1m1.bsp"},
        {"..hidden/a..b", TNameVerdict::nvSafe, "/q/..hidden/a..b"},
        {"", TNameVerdict::nvNoFile, "Cannot create file /q/"},
        {"sound/", TNameVerdict::nvNoFile, "Cannot create file /q/sound/"},
        {"/etc/passwd", TNameVerdict::nvUnsafe, ""},
        {"\\etc", TNameVerdict::nvUnsafe, ""},
        {"../x", TNameVerdict::nvUnsafe, ""},
        {"a/../../x", TNameVerdict::nvUnsafe, ""},
        {"a/..", TNameVerdict::nvUnsafe, ""},
        {"..\\x", TNameVerdict::nvUnsafe, ""},
        {"./x", TNameVerdict::nvUnsafe, ""},
        {"a/./b", TNameVerdict::nvUnsafe, ""},
        {"c:/x", TNameVerdict::nvUnsafe, ""},
        {"C:x", TNameVerdict::nvUnsafe, ""},
        {"1:x", TNameVerdict::nvUnsafe, ""},
        {":::", TNameVerdict::nvUnsafe, ""},
    };
    // Windows splits at a backslash too and writes either separator as "\":
    // compared with "/" for both.
    const auto slashed = [](std::string text) {
#ifdef _WIN32
        std::replace(text.begin(), text.end(), '\\', '/');
#endif
        return text;
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JudgeEntryName(c.Name), c.Verdict) << c.Name;
        try {
            const auto out = EntryOutputPathIn("/q", c.Name);
            EXPECT_EQ(c.Verdict, TNameVerdict::nvSafe) << c.Name;
            EXPECT_EQ(slashed(out.string()), slashed(c.Out)) << c.Name;
        } catch (const TFailure& e) {
            EXPECT_NE(c.Verdict, TNameVerdict::nvSafe) << c.Name;
            const std::string expected = c.Verdict == TNameVerdict::nvUnsafe
                                             ? "Unsafe entry name \"" + std::string(c.Name) + "\""
                                             : c.Out;
            EXPECT_NE(slashed(e.what()).find(slashed(expected)), std::string::npos) << e.what();
        }
    }
}

// Names that land inside but that Windows cannot make are refused there with
// the reason; elsewhere they are ordinary names.
TEST(EntryOutputPath, NamesThisSystemCannotMakeAreRefusedThere) {
    const struct {
        const char* Name;
        const char* WindowsReason; // empty: made on Windows too
    } cases[] = {
        {"con", "\"con\" is a device name on Windows"},
        {"sound/AUX.wav", "\"AUX\" is a device name on Windows"},
        {"com1/x", "\"com1\" is a device name on Windows"},
        {"maps/file.", "Windows drops a final dot or space"},
        {"dir /x", "Windows drops a final dot or space"},
        {"what?.txt", "it holds a character Windows keeps for itself"},
        {"console.wav", ""},
        {"com10", ""},
    };
    for (const auto& c : cases) {
        std::string refusal;
        try {
            EntryOutputPathIn("/q", c.Name);
        } catch (const TFailure& e) {
            refusal = e.what();
        }
#ifdef _WIN32
        const std::string expected =
            *c.WindowsReason == '\0'
                ? ""
                : "Entry name \"" + std::string(c.Name) +
                      "\" cannot be a file name on this system: " + c.WindowsReason;
#else
        const std::string expected;
#endif
        EXPECT_EQ(refusal, expected) << c.Name;
    }
}

TEST(ForceDirPath, CreatesMissingLevelsUpToFourteen) {
    TTempDir dir;
    ForceDirPath(dir / "sound/misc/");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "sound/misc"));
    ForceDirPath(dir / "sound/misc"); // present: nothing to do

    std::string fourteen, fifteen;
    for (int i = 0; i < 14; ++i)
        fourteen += "l" + std::to_string(i) + "/";
    fifteen = "x/" + fourteen;
    ForceDirPath(dir / fourteen);
    EXPECT_TRUE(std::filesystem::is_directory(dir / fourteen));
    try {
        ForceDirPath(dir / fifteen);
        FAIL() << "15 missing levels were created";
    } catch (const TInOutFailure& e) {
        EXPECT_STREQ(e.what(), "File not found");
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "x"));
}

TEST(ForceDirPath, AFileInTheWayStopsWithItsCode) {
    TTempDir dir;
    WriteFile(dir / "sound", "not a directory");
    try {
        ForceDirPath(dir / "sound/misc");
        FAIL();
    } catch (const TInOutFailure& e) {
        EXPECT_EQ(std::string(e.what()), "I/O error " + std::to_string(EEXIST));
    }
}

TEST(ForceDirPath, AReadOnlyParentIsAccessDenied) {
    if (!test::ModeBitsBind())
        GTEST_SKIP() << "mode bits do not keep this process out";
    TTempDir dir;
    std::filesystem::create_directories(dir / "ro");
    std::filesystem::permissions(dir / "ro", std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_exec);
    try {
        ForceDirPath(dir / "ro/a/b");
        FAIL();
    } catch (const TInOutFailure& e) {
        EXPECT_STREQ(e.what(), "File access denied");
    }
}

struct TRecordingObserver : TCopyObserver {
    void Started(std::int32_t maxValue) override { MaxValue = maxValue; }
    bool BeforeChunk() override {
        ++Chunks;
        return !OnChunk || OnChunk(Chunks);
    }
    std::int32_t MaxValue = -1;
    int Chunks = 0;
    std::function<bool(int)> OnChunk;
};

// An archive whose one entry "e" holds length bytes of a known pattern.
std::string Pattern(std::size_t length) {
    std::string data(length, '\0');
    for (std::size_t i = 0; i < length; ++i)
        data[i] = static_cast<char>('a' + i % 26);
    return data;
}

// Extracts one entry of the archive beside it, as the window does: the
// archive opened for the entry, without sharing.
bool CopyEntry(const std::filesystem::path& archive, std::int32_t pos, std::int32_t length,
               const std::string& name, TCopyObserver& observer, bool fast = false,
               TKernelCopy kernel = TKernelCopy::kcBetweenFiles) {
    TExtractTarget target(archive.parent_path());
    TEntryCopier copier(fast, kernel);
    std::optional<TLockedFile> held;
    return ExtractEntry(
        target, {name, pos, length}, [&]() -> const TLockedFile& { return held.emplace(archive); },
        observer, copier);
}

TEST(CopyEntry, CopiesInChunksAndReportsTheGaugeSpan) {
    const struct {
        std::int32_t Length;
        std::int32_t MaxValue;
        int Chunks;
    } cases[] = {{0, 1, 0}, {1, 1, 1}, {10239, 1, 1}, {10240, 2, 1}, {10241, 2, 2}, {25000, 3, 3}};
    for (const auto& c : cases) {
        TTempDir dir;
        const std::string data = Pattern(static_cast<std::size_t>(c.Length));
        WriteFile(dir / "a.pak", BuildPakImage({{"x", "pad"}, {"e", data}}));
        TRecordingObserver observer;
        EXPECT_TRUE(CopyEntry(dir / "a.pak", 15, c.Length, "e", observer));
        EXPECT_EQ(observer.MaxValue, c.MaxValue) << c.Length;
        EXPECT_EQ(observer.Chunks, c.Chunks) << c.Length;
        EXPECT_EQ(ReadFile(dir / "e"), data) << c.Length;
    }
}

TEST(CopyEntry, RefusesDamagedEntriesWithoutTouchingTheOutput) {
    const struct {
        const char* What;
        std::int32_t Pos;
        std::int32_t Length;
        const char* Message;
    } cases[] = {
        {"past the end", 12, 100, "Read beyond end of file"},
        {"huge length", 12, 0x7FFFFFFF, "Read beyond end of file"},
        {"start past the end", 5000, 1, "Read beyond end of file"},
        {"negative length", 12, -1, "Damaged entry e: its position or length is negative"},
        {"negative position", -5, 3, "Damaged entry e: its position or length is negative"},
    };
    for (const auto& c : cases) {
        TTempDir dir;
        WriteFile(dir / "a.pak", BuildPakImage({{"e", "abc"}}));
        WriteFile(dir / "e", "old");
        TRecordingObserver observer;
        try {
            CopyEntry(dir / "a.pak", c.Pos, c.Length, "e", observer);
            ADD_FAILURE() << c.What;
        } catch (const TFailure& e) {
            EXPECT_STREQ(e.what(), c.Message) << c.What;
        }
        EXPECT_EQ(ReadFile(dir / "e"), "old") << c.What;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2) << c.What;
    }
}

TEST(CopyEntry, AnArchiveCutShortMidCopyLeavesTheOldFileWhole) {
    TTempDir dir;
    const std::string data = Pattern(30000);
    WriteFile(dir / "a.pak", BuildPakImage({{"e", data}}));
    WriteFile(dir / "e", "old");
    TRecordingObserver observer;
    std::error_code cut;
    observer.OnChunk = [&](int chunk) {
        if (chunk == 2)
            std::filesystem::resize_file(dir / "a.pak", 15000, cut);
        return true;
    };
#ifdef _WIN32
    // Held without sharing, the archive cannot be cut short at all.
    EXPECT_TRUE(CopyEntry(dir / "a.pak", 12, 30000, "e", observer));
    EXPECT_TRUE(cut);
    EXPECT_EQ(ReadFile(dir / "e"), data);
#else
    try {
        CopyEntry(dir / "a.pak", 12, 30000, "e", observer);
        FAIL();
    } catch (const TInOutFailure& e) {
        EXPECT_EQ(e.Code(), kIoReadBeyondEnd);
    }
    EXPECT_FALSE(cut);
    EXPECT_EQ(ReadFile(dir / "e"), "old");
#endif
}

TEST(CopyEntry, AbandonedCopyWritesNothing) {
    TTempDir dir;
    WriteFile(dir / "a.pak", BuildPakImage({{"e", Pattern(30000)}}));
    TRecordingObserver observer;
    observer.OnChunk = [](int chunk) { return chunk < 2; };
    EXPECT_FALSE(CopyEntry(dir / "a.pak", 12, 30000, "e", observer));
    EXPECT_FALSE(std::filesystem::exists(dir / "e"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(CopyEntry, NeverOverwritesTheArchiveOrADirectory) {
    TTempDir dir;
    const auto image = BuildPakImage({{"a.pak", "xyz"}});
    WriteFile(dir / "a.pak", image);
    TRecordingObserver observer;
    EXPECT_THROW(CopyEntry(dir / "a.pak", 12, 3, "a.pak", observer), TFailure);
    EXPECT_EQ(ReadFile(dir / "a.pak"), std::string(image.begin(), image.end()));

    std::filesystem::create_directories(dir / "d");
    try {
        CopyEntry(dir / "a.pak", 12, 3, "d", observer);
        FAIL();
    } catch (const TFileCreateFailure& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + (dir / "d").string());
    }
}

TEST(CopyEntry, TheArchiveIsHeldWithoutSharingWhileItCopies) {
    TTempDir dir;
    WriteFile(dir / "a.pak", BuildPakImage({{"e", Pattern(20000)}}));
    TRecordingObserver observer;
    bool secondOpenFailed = false;
    observer.OnChunk = [&](int) {
        try {
            TLockedFile again(dir / "a.pak");
        } catch (const TFileOpenFailure&) {
            secondOpenFailed = true;
        }
        return true;
    };
    EXPECT_TRUE(CopyEntry(dir / "a.pak", 12, 20000, "e", observer));
    EXPECT_TRUE(secondOpenFailed);
    EXPECT_NO_THROW(TLockedFile after(dir / "a.pak"));
}

// Nothing reaches outside the destination through a link, at any level.
TEST(ExtractEntry, NeverWritesThroughALink) {
    const struct {
        const char* What;
        const char* Name;
        std::function<void(const TTempDir& dest, const TTempDir& outside)> Prepare;
        const char* Refusal; // the level named, or empty: the entry is written inside
    } cases[] = {
        {"a middle level linked outside", "maps/e1m1.bsp",
         [](auto& d, auto& o) { ASSERT_TRUE(MakeLink(o.Path(), d / "maps")); }, "maps"},
        {"a level linked upward", "up/up/x",
         [](auto& d, auto&) { ASSERT_TRUE(MakeLink("..", d / "up")); }, "up"},
        {"a deeper level linked", "a/b/c",
         [](auto& d, auto& o) {
             std::filesystem::create_directories(d / "a");
             ASSERT_TRUE(MakeLink(o.Path(), d / "a/b"));
         },
         "a/b"},
        {"a link at the final name", "f.txt",
         [](auto& d, auto& o) { ASSERT_TRUE(MakeLink(o / "f.txt", d / "f.txt")); }, ""},
        {"a hard link at the final name", "f.txt",
         [](auto& d, auto& o) { std::filesystem::create_hard_link(o / "f.txt", d / "f.txt"); }, ""},
    };
    for (const auto& c : cases) {
        TTempDir src, dest, outside;
        WriteFile(outside / "f.txt", "outside");
        WriteFile(src / "a.pak", BuildPakImage({{c.Name, "entry"}}));
        c.Prepare(dest, outside);
        TExtractTarget target(dest.Path());
        TEntryCopier copier;
        TRecordingObserver observer;
        std::optional<TLockedFile> held;
        const auto open = [&]() -> const TLockedFile& { return held.emplace(src / "a.pak"); };
        try {
            EXPECT_TRUE(ExtractEntry(target, {c.Name, 12, 5}, open, observer, copier));
            EXPECT_STREQ(c.Refusal, "") << c.What;
            EXPECT_EQ(ReadFile(dest / c.Name), "entry") << c.What;
            EXPECT_FALSE(test::IsLink(dest / c.Name)) << c.What;
        } catch (const TLinkFailure& e) {
            EXPECT_EQ(std::string(e.what()),
                      (dest / c.Refusal).make_preferred().string() +
                          " is a symbolic link: nothing is written through it")
                << c.What;
        }
        EXPECT_EQ(ReadFile(outside / "f.txt"), "outside") << c.What;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(outside.Path()), {}), 1)
            << c.What;
    }
}

TEST(ExtractEntry, ALevelSwappedForALinkMidRunIsNotFollowed) {
    TTempDir src, dest, outside;
    WriteFile(src / "a.pak", BuildPakImage({{"maps/a", "first"}, {"maps/b", "second"}}));
    TExtractTarget target(dest.Path());
    TEntryCopier copier;
    TRecordingObserver observer;
    std::optional<TLockedFile> held;
    const auto open = [&]() -> const TLockedFile& { return held.emplace(src / "a.pak"); };
    ASSERT_TRUE(ExtractEntry(target, {"maps/a", 12, 5}, open, observer, copier));
#ifdef _WIN32
    // Windows keeps a level the run stands in where it is.
    std::error_code ec;
    std::filesystem::rename(dest / "maps", dest / "moved", ec);
    EXPECT_TRUE(ec);
    ASSERT_TRUE(ExtractEntry(target, {"maps/b", 17, 6}, open, observer, copier));
    EXPECT_EQ(ReadFile(dest / "maps/b"), "second");
    return;
#endif
    std::filesystem::rename(dest / "maps", dest / "moved");
    ASSERT_TRUE(MakeLink(outside.Path(), dest / "maps"));
    // The level stays the directory it was when opened, wherever it went.
    ASSERT_TRUE(ExtractEntry(target, {"maps/b", 17, 6}, open, observer, copier));
    EXPECT_EQ(ReadFile(dest / "moved/b"), "second");
    EXPECT_TRUE(std::filesystem::is_empty(outside.Path()));
    // A new run looks again and refuses the link.
    TExtractTarget again(dest.Path());
    EXPECT_THROW(ExtractEntry(again, {"maps/b", 17, 6}, open, observer, copier), TLinkFailure);
}

TEST(ExtractEntry, EveryCopyPathGivesTheSameBytes) {
    for (const std::size_t length :
         {std::size_t{0}, std::size_t{1}, std::size_t{10240}, std::size_t{10241},
          std::size_t{1024 * 1024 + 7}, std::size_t{3 * 1024 * 1024 + 7},
          std::size_t{33 * 1024 * 1024 + 5}}) { // more than one kernel piece
        TTempDir dir;
        const std::string data = Pattern(length);
        WriteFile(dir / "a.pak", BuildPakImage({{"pad", "xyz"}, {"e", data}}));
        const auto len = static_cast<std::int32_t>(length);
        for (const TKernelCopy first :
             {TKernelCopy::kcBetweenFiles, TKernelCopy::kcStream, TKernelCopy::kcNone}) {
            TRecordingObserver observer;
            EXPECT_TRUE(CopyEntry(dir / "a.pak", 15, len, "e", observer, true, first));
            EXPECT_EQ(ReadFile(dir / "e"), data)
                << length << " first way " << static_cast<int>(first);
        }
    }
}

TEST(ExtractEntry, AnArchiveRewrittenInPlaceWhileReadIsRefused) {
    TTempDir dir;
    WriteFile(dir / "a.pak", BuildPakImage({{"e", Pattern(30000)}}));
    WriteFile(dir / "e", "old");
    TRecordingObserver observer;
    bool rewritten = false;
    observer.OnChunk = [&](int chunk) {
        if (chunk == 2) {
            // Same size, new bytes: only the clock tells.
            std::fstream f(dir / "a.pak", std::ios::in | std::ios::out | std::ios::binary);
            rewritten = f.is_open();
            f.seekp(20);
            f.write("XXXX", 4);
            f.close();
            std::error_code ec;
            std::filesystem::last_write_time(
                dir / "a.pak",
                std::filesystem::last_write_time(dir / "a.pak", ec) + std::chrono::seconds(1), ec);
        }
        return true;
    };
#ifdef _WIN32
    // Held without sharing, the archive cannot be opened to be rewritten.
    EXPECT_TRUE(CopyEntry(dir / "a.pak", 12, 30000, "e", observer));
    EXPECT_FALSE(rewritten);
    EXPECT_EQ(ReadFile(dir / "e"), Pattern(30000));
#else
    EXPECT_THROW(CopyEntry(dir / "a.pak", 12, 30000, "e", observer), TArchiveChangedFailure);
    EXPECT_TRUE(rewritten);
    EXPECT_EQ(ReadFile(dir / "e"), "old");
#endif
}

TEST(ExtractEntry, TwoRunsIntoOneFolderShareItsLevels) {
    TTempDir src, dest;
    WriteFile(src / "a.pak", BuildPakImage({{"a/b/x", "x"}, {"a/b/y", "y"}}));
    TExtractTarget first(dest.Path()), second(dest.Path());
    TEntryCopier copier;
    TRecordingObserver observer;
    std::optional<TLockedFile> held;
    const auto open = [&]() -> const TLockedFile& { return held.emplace(src / "a.pak"); };
    // The second run finds the levels missing, then made by the first.
    EXPECT_TRUE(first.DirectoryFor(EntryLevels("a/b/x", dest.Path())));
    EXPECT_TRUE(ExtractEntry(second, {"a/b/y", 13, 1}, open, observer, copier));
    EXPECT_TRUE(ExtractEntry(first, {"a/b/x", 12, 1}, open, observer, copier));
    EXPECT_EQ(ReadFile(dest / "a/b/x") + ReadFile(dest / "a/b/y"), "xy");
    // Made by someone else between our look and our mkdir: taken as it is.
    EXPECT_TRUE(first.Root().MakeLevel("a"));
}

#ifndef _WIN32 // a process killed at a chosen moment
std::vector<std::string> Temporaries(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        if (IsTemporaryName(e.path().filename().string()))
            names.push_back(e.path().filename().string());
    return names;
}

// A run killed at each step of a file: the next run in the folder removes
// what that run left incomplete, and only that.
TEST(ExtractEntry, WhatAKilledRunLeftIsRemovedByTheNextRun) {
    constexpr std::int32_t kLength = 10 * 10240;
    const std::string data = Pattern(kLength);
    enum TStep { sMidCopy, sMidCopyReplacing, sJustMade, sBegunOverAnOlderFile, sWrittenNotDone };
    const struct {
        TStep Step;
        bool Removed;       // the incomplete file or temporary is said and gone
        const char* Leaves; // what "e" holds afterwards ("" none)
    } cases[] = {
        {sMidCopy, true, nullptr},         {sMidCopyReplacing, true, "old"},
        {sJustMade, true, nullptr},        {sBegunOverAnOlderFile, false, "old"},
        {sWrittenNotDone, false, nullptr},
    };
    for (const auto& c : cases) {
        TTempDir src, dest;
        WriteFile(src / "a.pak", BuildPakImage({{"e", data}}));
        if (c.Step == sMidCopyReplacing || c.Step == sBegunOverAnOlderFile)
            WriteFile(dest / "e", "old");
        const test::TChildEnd end = test::RunInChild([&] {
            TExtractTarget target(dest.Path());
            TEntryCopier copier;
            TRecordingObserver observer;
            observer.OnChunk = [](int chunk) {
                if (chunk == 3)
                    ::raise(SIGKILL);
                return true;
            };
            std::optional<TLockedFile> held;
            const auto open = [&]() -> const TLockedFile& { return held.emplace(src / "a.pak"); };
            switch (c.Step) {
            case sMidCopy:
            case sMidCopyReplacing:
                ExtractEntry(target, {"e", 12, kLength}, open, observer, copier);
                break;
            case sJustMade: // killed inside the call that made the file
                target.Begin("e", kLength);
                WriteFile(dest / "e", "");
                break;
            case sBegunOverAnOlderFile:
                target.Begin("e", kLength);
                break;
            case sWrittenNotDone: {
                target.Begin("e", kLength);
                TOutputFile out(target.Root(), "e");
                target.Opened(out);
                out.Write(data.data(), data.size());
                ::raise(SIGKILL);
            }
            }
            ::raise(SIGKILL);
            return 0;
        });
        ASSERT_EQ(end.Signal, SIGKILL) << c.Step;
        ASSERT_FALSE(Temporaries(dest.Path()).empty()) << c.Step; // its journal at least

        TExtractTarget next(dest.Path());
        const std::vector<std::string> told = next.Recover();
        EXPECT_EQ(told.size(), c.Removed ? 1u : 0u) << c.Step;
        if (c.Removed && !told.empty()) {
            EXPECT_THAT(told[0], ::testing::StartsWith("removed " + dest.Path().string() + "/"));
            EXPECT_THAT(told[0], ::testing::HasSubstr(
                                     c.Leaves != nullptr ? "left by a run that was stopped"
                                                         : "an incomplete copy of e (102,400 "
                                                           "bytes) left by a run that was stopped"))
                << c.Step;
        }
        if (c.Leaves != nullptr)
            EXPECT_EQ(ReadFile(dest / "e"), c.Leaves) << c.Step;
        else if (c.Step == sWrittenNotDone)
            EXPECT_EQ(ReadFile(dest / "e"), data);
        else
            EXPECT_FALSE(std::filesystem::exists(dest / "e")) << c.Step;
        EXPECT_TRUE(Temporaries(dest.Path()).empty()) << c.Step;
        EXPECT_TRUE(next.Recover().empty()); // once per target
    }
}

// Only what an ended process left goes: a live run's journal and
// temporaries stay, and so does a file that merely looks like one.
TEST(ExtractEntry, TheNextRunLeavesWhatLiveRunsHold) {
    TTempDir dest;
    const std::string ended = ".zorvak-" + [] {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%x", test::EndedProcessNumber());
        return std::string(hex);
    }() + "-0.tmp";
    const std::string mine = ".zorvak-" + [] {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(::getpid()));
        return std::string(hex);
    }() + "-ff.tmp";
    TExtractTarget live(dest.Path());
    live.Begin("x", 1); // its journal, held by this live process
    WriteFile(dest / ended, "12345");
    WriteFile(dest / mine, "mine");
    WriteFile(dest / ".zorvak-notanumber.tmp", "kept");

    TExtractTarget next(dest.Path());
    const std::vector<std::string> told = next.Recover();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0],
              "removed " + (dest / ended).string() + " (5 bytes), left by a run that was stopped");
    EXPECT_EQ(Temporaries(dest.Path()).size(), 3u); // mine, the look-alike, the live journal
    live.Finish();
    EXPECT_EQ(Temporaries(dest.Path()).size(), 2u);
}
#endif

// Names that differ as bytes but name one file here: the first keeps it.
TEST(SameFileTable, TellsRepeatsAndOtherNamesOfOneFile) {
    using TSeen = TSameFileTable::TSeen;
    const bool blind = FileNamesIgnoreCase();
    const struct {
        const char* Name;
        TSeen Seen;      // where letter case counts
        TSeen SeenBlind; // where it does not
        std::size_t First;
    } cases[] = {
        {"Readme.TXT", TSeen::ssNew, TSeen::ssNew, 0},
        {"readme.txt", TSeen::ssNew, TSeen::ssSameFile, 0},
        {"Readme.TXT", TSeen::ssRepeated, TSeen::ssRepeated, 0},
        {"maps//e1m1.bsp", TSeen::ssNew, TSeen::ssNew, 0},
        {"maps/e1m1.bsp", TSeen::ssSameFile, TSeen::ssSameFile, 3},
        {"sound/a.wav", TSeen::ssNew, TSeen::ssNew, 0},
        {"sound///a.wav", TSeen::ssSameFile, TSeen::ssSameFile, 5},
        {"SOUND//A.WAV", TSeen::ssNew, TSeen::ssSameFile, 5},
        {"caf\xC3\xA9.txt", TSeen::ssNew, TSeen::ssNew, 0},
        {"CAF\xC3\x89.TXT", TSeen::ssNew, TSeen::ssSameFile, 8}, // E acute, both cases
    };
    TPakEntries entries;
    for (const auto& c : cases)
        entries.push_back({c.Name, 12, 0});
    TSameFileTable table(entries);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& c = cases[i];
        std::size_t first = 99;
        const TSeen seen = table.Insert(i, first);
        EXPECT_EQ(seen, blind ? c.SeenBlind : c.Seen) << c.Name;
        if (seen != TSeen::ssNew) {
            EXPECT_EQ(first, c.First) << c.Name;
        }
    }
}

TEST(ExtractEntry, ARunThatCannotFitIsRefusedUpFront) {
    TTempDir dir;
    const TDirectory d = TDirectory::Open(dir.Path());
    const std::int64_t free = d.FreeBytes();
    EXPECT_NO_THROW(CheckRoomFor(d, free / 2));
    // Well past what is free: other work on the machine may free some
    // between the two looks.
    const std::int64_t asked = free > std::numeric_limits<std::int64_t>::max() / 4
                                   ? std::numeric_limits<std::int64_t>::max()
                                   : free * 2 + (std::int64_t{1} << 30);
    try {
        CheckRoomFor(d, asked);
        FAIL();
    } catch (const TFailure& e) {
        EXPECT_THAT(e.what(), ::testing::StartsWith("Disk full"));
        EXPECT_THAT(e.what(), ::testing::HasSubstr(FormatThousands64(asked)));
    }
}

} // namespace
} // namespace zorvak
