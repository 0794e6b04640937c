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

// What each way of writing does with what is at the name: nothing, an older
// file, a directory, a file we may not write, or a link (replaced, never
// followed).
// The scratch file grows by appends, reads back by its path, is the
// process's own, and goes when dropped; a folder it cannot be made in says so.
TEST(ScratchFile, GrowsAndGoesWhenDropped) {
    TTempDir dir;
    std::filesystem::path path;
    {
        TScratchFile scratch(dir.Path());
        path = scratch.Path();
        EXPECT_EQ(path.parent_path(), dir.Path());
        EXPECT_TRUE(IsTemporaryName(path.filename().string()));
        const struct {
            std::string Bytes;
            std::int64_t At;
            std::string Whole;
        } steps[] = {{"abc", 0, "abc"}, {"", 3, "abc"}, {"defg", 3, "abcdefg"}};
        for (const auto& s : steps) {
            EXPECT_EQ(scratch.Append(s.Bytes.data(), s.Bytes.size()), s.At) << s.Whole;
            EXPECT_EQ(ReadFile(path), s.Whole);
        }
        scratch.CutTo(2);
        scratch.CutTo(5); // past the end: nothing to drop
        EXPECT_EQ(scratch.Size(), 2);
        EXPECT_EQ(scratch.Append("Z", 1), 2);
        EXPECT_EQ(ReadFile(path), "abZ");
#ifndef _WIN32
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
#endif
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
    EXPECT_THROW(TScratchFile(dir / "missing"), TFileCreateFailure);
}

TEST(OutputFile, ModesDecideWhatHappensToATakenName) {
    enum class TThere { Free, File, Directory, ReadOnly, Link };
#ifdef _WIN32
    const bool readOnlyRefused = true; // by its attribute
#else
    const bool readOnlyRefused = test::ModeBitsBind();
#endif
    const char* readOnly = readOnlyRefused ? "refused" : "new";
    const struct {
        TOutputMode Mode;
        TThere There;
        const char* Result; // the name's bytes afterwards, or the failure
    } cases[] = {
        {TOutputMode::omReplace, TThere::Free, "new"},
        {TOutputMode::omReplace, TThere::File, "new"},
        {TOutputMode::omReplace, TThere::Directory, "refused"},
        {TOutputMode::omReplace, TThere::ReadOnly, readOnly},
        {TOutputMode::omReplace, TThere::Link, "new"},
        {TOutputMode::omAlwaysBeside, TThere::Free, "new"},
        {TOutputMode::omAlwaysBeside, TThere::File, "new"},
        {TOutputMode::omAlwaysBeside, TThere::Directory, "refused"},
        {TOutputMode::omAlwaysBeside, TThere::ReadOnly, readOnly},
        {TOutputMode::omAlwaysBeside, TThere::Link, "new"},
        {TOutputMode::omKeep, TThere::Free, "new"},
        {TOutputMode::omKeep, TThere::File, "exists"},
        {TOutputMode::omKeep, TThere::Directory, "refused"},
        {TOutputMode::omKeep, TThere::ReadOnly, "exists"},
        {TOutputMode::omKeep, TThere::Link, "exists"},
    };
    for (const auto& c : cases) {
        const std::string row = std::to_string(static_cast<int>(c.Mode)) + "/" +
                                std::to_string(static_cast<int>(c.There));
        TTempDir dir;
        TTempDir away;
        WriteFile(away / "old", "old");
        const auto name = dir / "f";
        if (c.There == TThere::File || c.There == TThere::ReadOnly)
            WriteFile(name, "old");
        if (c.There == TThere::ReadOnly)
            std::filesystem::permissions(name, std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::remove);
        if (c.There == TThere::Directory)
            std::filesystem::create_directory(name);
        if (c.There == TThere::Link && !MakeLink(away / "old", name))
            continue; // no links for a test here
        const TDirectory d = TDirectory::Open(dir.Path());
        std::string result;
        try {
            TOutputFile out(d, "f", c.Mode);
            out.Write("new", 3);
            try {
                out.Commit();
                result = ReadFile(name);
            } catch (const TFileCreateFailure&) {
                // What cannot be replaced is refused before any work.
                result = "refused late";
            }
        } catch (const TFileExistsFailure&) {
            result = "exists";
        } catch (const TFileCreateFailure&) {
            result = "refused";
        }
        EXPECT_EQ(result, c.Result) << row;
        // What was kept is whole, and what a link leads to is never written.
        if (result != "new" && c.There != TThere::Directory) {
            EXPECT_EQ(ReadFile(name), "old") << row;
        }
        EXPECT_EQ(ReadFile(away / "old"), "old") << row;
        EXPECT_EQ(std::filesystem::is_directory(name), c.There == TThere::Directory) << row;
        if (c.There == TThere::Link) {
            EXPECT_EQ(test::IsLink(name), result != "new") << row;
        }
        std::filesystem::permissions(name, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        // Nothing but the name itself is left.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1) << row;
    }
}

} // namespace
} // namespace zorvak
