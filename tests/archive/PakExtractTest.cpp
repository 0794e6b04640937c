#include "archive/PakExtract.h"
#include "archive/PakWriter.h"
#include "framework/Failures.h"
#include "framework/Files.h"
#include "support/TempDir.h"

#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <unistd.h>

namespace zorvak {
namespace {

using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

TEST(EntryOutputPath, JoinsLevelsUnderTheArchiveDirectory) {
    const std::filesystem::path pak = "/q/id1/pak0.pak";
    EXPECT_EQ(EntryOutputPath(pak, "progs.dat"), "/q/id1/progs.dat");
    EXPECT_EQ(EntryOutputPath(pak, "sound/misc/null.wav"), "/q/id1/sound/misc/null.wav");
    // The name keeps its case; a backslash is an ordinary byte here.
    EXPECT_EQ(EntryOutputPath(pak, "Sound/X.wav"), "/q/id1/Sound/X.wav");
    EXPECT_EQ(EntryOutputPath(pak, "maps\\e1m1.bsp"), "/q/id1/maps\\e1m1.bsp");
    EXPECT_EQ(EntryOutputPath(pak, "..hidden/a..b"), "/q/id1/..hidden/a..b");
}

// The one rule for names, as extraction applies it and verify reports it.
TEST(EntryOutputPath, OneRuleDecidesWhatLandsInside) {
    const struct {
        const char* Name;
        TNameVerdict Verdict;
        const char* Out; // where a safe name lands, or the refusal's text
    } cases[] = {
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
    for (const auto& c : cases) {
        EXPECT_EQ(JudgeEntryName(c.Name), c.Verdict) << c.Name;
        try {
            const auto out = EntryOutputPath("/q/pak0.pak", c.Name);
            EXPECT_EQ(c.Verdict, TNameVerdict::nvSafe) << c.Name;
            EXPECT_EQ(out, c.Out) << c.Name;
        } catch (const TFailure& e) {
            EXPECT_NE(c.Verdict, TNameVerdict::nvSafe) << c.Name;
            const std::string expected = c.Verdict == TNameVerdict::nvUnsafe
                                             ? "Unsafe entry name \"" + std::string(c.Name) + "\""
                                             : c.Out;
            EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
        }
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
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write anywhere";
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
               bool kernel = true) {
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
    observer.OnChunk = [&](int chunk) {
        if (chunk == 2)
            std::filesystem::resize_file(dir / "a.pak", 15000);
        return true;
    };
    try {
        CopyEntry(dir / "a.pak", 12, 30000, "e", observer);
        FAIL();
    } catch (const TInOutFailure& e) {
        EXPECT_EQ(e.Code(), kIoReadBeyondEnd);
    }
    EXPECT_EQ(ReadFile(dir / "e"), "old");
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

} // namespace
} // namespace zorvak
