// The archive as a folder, read by the system's own calls as any program
// reads it. Needs /dev/fuse and fusermount3; skipped, and said, without.
#include "cli/PakTool.h"
#include "support/Child.h"
#include "support/PakImage.h"
#include "support/TempDir.h"
#include "support/ZipImage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>

#ifndef _WIN32
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <unistd.h>

namespace zorvak {
namespace {

using test::TTempDir;
using test::WriteFile;

struct TRun {
    int Status;
    std::string Err;
};

TRun RunMount(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = RunPakTool(args, out, err, false);
    return {status, err.str()};
}

// Why the mount cannot be tried here, or empty.
std::string NoFuse() {
    const int fd = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return "no /dev/fuse to use here (" + std::string(std::strerror(errno)) + ")";
    ::close(fd);
    if (std::system("command -v fusermount3 >/dev/null 2>&1") != 0)
        return "no fusermount3 (Debian package fuse3)";
    return {};
}

// A mount made in a child (the command returns once the folder is there),
// unmounted when dropped. Refused() holds what the command said when the
// system refused the mount itself (a container without the right to).
class TMounted {
public:
    TMounted(const std::string& archive, const std::filesystem::path& at) : at_(at) {
        std::filesystem::create_directories(at);
        const auto said = at.string() + ".err";
        const test::TChildEnd end = test::RunInChild([&] {
            const TRun r = RunMount({"mount", archive, at.string()});
            WriteFile(said, r.Err);
            return r.Status;
        });
        mounted_ = end.Exited && end.Status == kExitOk;
        if (!mounted_)
            err_ = test::ReadFile(said);
    }
    ~TMounted() {
        if (mounted_ && std::system(("fusermount3 -u '" + at_.string() + "'").c_str()) != 0)
            ADD_FAILURE() << "fusermount3 -u " << at_;
    }
    bool Mounted() const { return mounted_; }
    bool Refused() const { return err_.find("Cannot mount at") != std::string::npos; }
    const std::string& Err() const { return err_; }

private:
    std::filesystem::path at_;
    bool mounted_ = false;
    std::string err_;
};

// A file's bytes by the system's calls: its bytes, or "errno N".
std::string ReadThrough(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return "errno " + std::to_string(errno);
    std::string bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            bytes = "errno " + std::to_string(errno);
            break;
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

std::set<std::string> Listed(const std::filesystem::path& dir) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.insert(e.path().filename().string());
    return names;
}

TEST(MountCommand, ShowsTheEntriesAGameReadsAndRefusesAReplacedArchive) {
    if (const std::string why = NoFuse(); !why.empty())
        GTEST_SKIP() << why;
    TTempDir dir;
    std::string big;
    for (int i = 0; big.size() < 300000; ++i)
        big += "line " + std::to_string(i) + " of a long text\n";
    const auto pak = (dir / "a.pak").string();
    WriteFile(pak, BuildPakImage({{"maps/e1m1.bsp", "map one"},
                                  {"autoexec.cfg", "first"},
                                  {"autoexec.cfg", "shadowed"},
                                  {"../escape.txt", "outside"},
                                  {"maps", "a file where a folder is"},
                                  {"empty.lmp", ""}}));
    const auto pk3 = (dir / "b.pk3").string();
    WriteFile(pk3, test::ZipImage({{"text/big.txt", big, kZipMethodDeflated},
                                   {"bad.txt", "damaged", kZipMethodDeflated, 0, false, {}, 1u}}));
    {
        TMounted mounted(pak, dir / "p");
        if (mounted.Refused())
            GTEST_SKIP() << "the system refuses the mount here: " << mounted.Err();
        ASSERT_TRUE(mounted.Mounted()) << mounted.Err();
        EXPECT_EQ(Listed(dir / "p"), (std::set<std::string>{"maps", "autoexec.cfg", "empty.lmp"}));
        const struct {
            const char* Path;
            std::string Bytes;
        } reads[] = {
            {"maps/e1m1.bsp", "map one"},
            {"autoexec.cfg", "first"}, // the entry the game reads
            {"empty.lmp", ""},
            {"escape.txt", "errno " + std::to_string(ENOENT)},
        };
        for (const auto& r : reads)
            EXPECT_EQ(ReadThrough(dir / "p" / r.Path), r.Bytes) << r.Path;
        // Writing is refused by the folder itself.
        EXPECT_LT(::open((dir / "p" / "autoexec.cfg").c_str(), O_WRONLY), 0);
        EXPECT_EQ(errno, EROFS);
        // Replaced by another file under its name: no byte of either is
        // given, whatever the cache held.
        WriteFile(dir / "new.pak", BuildPakImage({{"maps/e1m1.bsp", "MAP TWO"}}));
        std::filesystem::rename(dir / "new.pak", pak);
        EXPECT_EQ(ReadThrough(dir / "p" / "maps" / "e1m1.bsp"), "errno " + std::to_string(EIO));
    }
    {
        TMounted mounted(pk3, dir / "z");
        ASSERT_TRUE(mounted.Mounted()) << mounted.Err();
        EXPECT_EQ(ReadThrough(dir / "z" / "text" / "big.txt"), big);
        // Read out of order: from the middle, then from before it.
        const int fd = ::open((dir / "z" / "text" / "big.txt").c_str(), O_RDONLY | O_DIRECT);
        ASSERT_GE(fd, 0);
        char piece[16];
        EXPECT_EQ(::pread(fd, piece, sizeof piece, 200000), 16);
        EXPECT_EQ(std::string(piece, 16), big.substr(200000, 16));
        EXPECT_EQ(::pread(fd, piece, sizeof piece, 10), 16);
        EXPECT_EQ(std::string(piece, 16), big.substr(10, 16));
        ::close(fd);
        // A member whose CRC is wrong is no file of good bytes.
        EXPECT_EQ(ReadThrough(dir / "z" / "bad.txt"), "errno " + std::to_string(EIO));
    }
}

TEST(MountCommand, RefusesWhatCannotBeMounted) {
    TTempDir dir;
    WriteFile(dir / "a.pak", BuildPakImage({{"x", "y"}}));
    WriteFile(dir / "not.pak", "not an archive");
    const struct {
        std::vector<std::string> Args;
        int Status;
        const char* Says;
    } cases[] = {
        {{"mount", (dir / "a.pak").string()}, kExitUnusable, "mount takes an archive and a folder"},
        {{"mount", (dir / "not.pak").string(), dir.Path().string()}, kExitUnusable, "not.pak: "},
        {{"mount", (dir / "gone.pak").string(), dir.Path().string()},
         kExitUnusable,
         "No such file or directory"},
        {{"mount", (dir / "a.pak").string(), (dir / "no folder").string()},
         kExitProblems,
         "Cannot mount at "},
    };
    for (const auto& c : cases) {
        const TRun r = RunMount(c.Args);
        EXPECT_EQ(r.Status, c.Status) << ::testing::PrintToString(c.Args) << r.Err;
        EXPECT_THAT(r.Err, ::testing::HasSubstr(c.Says)) << ::testing::PrintToString(c.Args);
    }
}

} // namespace
} // namespace zorvak
#endif
