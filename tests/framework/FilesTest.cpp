#include "framework/Files.h"
#include "framework/Failures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace zorvak {
namespace {

using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

TEST(LockedFile, SecondOpenFailsUntilTheFirstCloses) {
    TTempDir dir;
    const auto path = dir / "a.pak";
    WriteFile(path, "PACK");
    {
        TLockedFile first(path);
        EXPECT_EQ(first.Size(), 4);
        try {
            TLockedFile second(path);
            FAIL() << "second open succeeded";
        } catch (const TFileOpenFailure& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot open file " + path.string());
        }
    }
    EXPECT_NO_THROW(TLockedFile again(path));
}

TEST(LockedFile, RefusesWhatIsNotARegularFile) {
    TTempDir dir;
    const auto fifo = dir / "pipe.pak";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Must fail at once rather than wait for a writer.
    EXPECT_THROW(TLockedFile f(fifo), TFileOpenFailure);
    EXPECT_THROW(TLockedFile f(dir.Path()), TFileOpenFailure);
    EXPECT_THROW(TLockedFile f(dir / "missing.pak"), TFileOpenFailure);
    EXPECT_THROW(TLockedFile f("/dev/null"), TFileOpenFailure);
}

TEST(LockedFile, ReadsStopAtTheEnd) {
    TTempDir dir;
    WriteFile(dir / "f", "0123456789");
    TLockedFile file(dir / "f");
    char buf[16] = {};
    EXPECT_EQ(file.ReadAt(7, buf, 8), 3u);
    EXPECT_EQ(std::string(buf, 3), "789");
    EXPECT_EQ(file.ReadAt(100, buf, 8), 0u);
    file.Seek(8);
    EXPECT_EQ(file.Read(buf, 8), 2u);
    EXPECT_EQ(file.Position(), 10);
}

TEST(AtomicFile, ReplacesTheTargetOnlyWhenCommitted) {
    TTempDir dir;
    const auto target = dir / "out.bin";
    WriteFile(target, "old contents");
    {
        TAtomicFile out(target);
        out.Write("new", 3);
        // Until the commit the old file is untouched and nothing else shows.
        EXPECT_EQ(ReadFile(target), "old contents");
    }
    EXPECT_EQ(ReadFile(target), "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
    {
        TAtomicFile out(target);
        // A leftover is never taken for an archive, and a build skips it.
        EXPECT_NE(out.TempPath().extension(), ".pak");
        EXPECT_TRUE(IsTemporaryName(out.TempPath().filename().string()));
        out.Write("new", 3);
        out.Commit();
    }
    EXPECT_EQ(ReadFile(target), "new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(AtomicFile, ReportsWhatCannotBeCreatedOrWritten) {
    TTempDir dir;
    const auto target = dir / "no-such-dir" / "out.bin";
    try {
        TAtomicFile out(target);
        FAIL();
    } catch (const TFileCreateFailure& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + target.string());
    }
    // A directory of the target's name is refused at once...
    std::filesystem::create_directories(dir / "taken");
    EXPECT_THROW(TAtomicFile refused(dir / "taken"), TFileCreateFailure);
    // ...and one that appears while the file is written stops the rename,
    // and the temporary goes away.
    {
        TAtomicFile out(dir / "late");
        out.Write("x", 1);
        std::filesystem::create_directories(dir / "late");
        EXPECT_THROW(out.Commit(), TFileCreateFailure);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
}

// What each way of writing does with a name that is free or taken.
TEST(OutputFile, ModesDecideWhatHappensToATakenName) {
    const struct {
        TOutputMode Mode;
        bool Taken;
        const char* Result; // the file's bytes afterwards, or the failure
    } cases[] = {
        {TOutputMode::omReplace, false, "new"},      {TOutputMode::omReplace, true, "new"},
        {TOutputMode::omAlwaysBeside, false, "new"}, {TOutputMode::omAlwaysBeside, true, "new"},
        {TOutputMode::omKeep, false, "new"},         {TOutputMode::omKeep, true, "exists"},
    };
    for (const auto& c : cases) {
        TTempDir dir;
        if (c.Taken)
            WriteFile(dir / "f", "old");
        const TDirectory d = TDirectory::Open(dir.Path());
        try {
            TOutputFile out(d, "f", c.Mode);
            out.Write("new", 3);
            out.Commit();
            EXPECT_EQ(ReadFile(dir / "f"), c.Result);
        } catch (const TFileExistsFailure& e) {
            EXPECT_STREQ(c.Result, "exists");
            EXPECT_EQ(ReadFile(dir / "f"), "old");
        }
        // Nothing but the file itself is left.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
    }
}

} // namespace
} // namespace zorvak
