#include "framework/Files.h"
#include "framework/Failures.h"
#include "support/Platform.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace zorvak {
namespace {

using test::MakeLink;
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

// A second open while the first holds the file, by the two modes: flock on
// Linux, the share mode on Windows, with the same failures.
TEST(LockedFile, ModesDecideWhoElseMayOpen) {
    using M = TShareMode;
    const struct {
        M Holder;
        M Second;
        const char* Result; // "opens", "cannot open" or "in use"
    } cases[] = {
        {M::smExclusive, M::smExclusive, "cannot open"},
        {M::smExclusive, M::smShared, "in use"},
        {M::smShared, M::smShared, "opens"},
        {M::smShared, M::smExclusive, "cannot open"},
        {M::smUnlocked, M::smShared, "opens"},
    // No lock to ask on Linux; on Windows the holder's share mode also
    // keeps a reader out that takes none.
#ifdef _WIN32
        {M::smExclusive, M::smUnlocked, "cannot open"},
#else
        {M::smExclusive, M::smUnlocked, "opens"},
#endif
    };
    TTempDir dir;
    const auto path = dir / "a.pak";
    WriteFile(path, "PACK");
    for (const auto& c : cases) {
        const TLockedFile first(path, c.Holder);
        std::string result = "opens";
        try {
            const TLockedFile second(path, c.Second);
        } catch (const TFileInUseFailure&) {
            result = "in use";
        } catch (const TFileOpenFailure& e) {
            result = "cannot open";
            EXPECT_EQ(std::string(e.what()), "Cannot open file " + path.string());
        }
        EXPECT_EQ(result, c.Result) << static_cast<int>(c.Holder) << static_cast<int>(c.Second);
    }
}

// A level is never reached through a link; on Windows a level the run
// stands in cannot be renamed away under it either.
TEST(Directory, LevelsAreNeverLinksAndStayWhereTheyWere) {
    TTempDir dir;
    std::filesystem::create_directories(dir / "real");
    const TDirectory root = TDirectory::Open(dir.Path());
    if (MakeLink("real", dir / "link")) {
        EXPECT_THROW(root.Level("link", false), TLinkFailure);
        EXPECT_THROW(root.Level("link", true), TLinkFailure);
        int err = 0;
        EXPECT_FALSE(root.TryLevel("link", err));
        // Linux says a link is no directory; either way the walk goes past.
        EXPECT_TRUE(err == ELOOP || err == ENOTDIR) << err;
    } else {
        ADD_FAILURE() << "no link could be made";
    }
    const TDirectory real = root.Level("real", false);
    ASSERT_TRUE(real);
    std::error_code ec;
    std::filesystem::rename(dir / "real", dir / "moved", ec);
#ifdef _WIN32
    EXPECT_TRUE(ec) << "a held level was renamed";
#else
    // Linux lets it go; the descriptor still names the same directory.
    EXPECT_FALSE(ec);
    EXPECT_TRUE(real.Identity().SameFileAs(root.Level("moved", false).Identity()));
#endif
}

TEST(LockedFile, RefusesWhatIsNotARegularFile) {
    TTempDir dir;
#ifdef _WIN32
    EXPECT_THROW(TLockedFile f("NUL"), TFileOpenFailure);
#else
    const auto fifo = dir / "pipe.pak";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Must fail at once rather than wait for a writer.
    EXPECT_THROW(TLockedFile f(fifo), TFileOpenFailure);
    EXPECT_THROW(TLockedFile f("/dev/null"), TFileOpenFailure);
#endif
    EXPECT_THROW(TLockedFile f(dir.Path()), TFileOpenFailure);
    EXPECT_THROW(TLockedFile f(dir / "missing.pak"), TFileOpenFailure);
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
