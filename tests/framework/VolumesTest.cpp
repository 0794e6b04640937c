#include "framework/Volumes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace zorvak {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Roots(const std::vector<TVolume>& volumes) {
    std::vector<std::string> roots;
    for (const TVolume& volume : volumes)
        roots.push_back(volume.Root.string());
    return roots;
}

TEST(Volumes, MountTableKeepsUserVolumesRootFirst) {
    const std::string table = "proc /proc proc rw,relatime 0 0\n"
                              "sysfs /sys sysfs rw 0 0\n"
                              "tmpfs /dev/shm tmpfs rw 0 0\n"
                              "/dev/sdb1 /media/user/QUAKE\\040DISC iso9660 ro 0 0\n"
                              "/dev/sda2 / ext4 rw 0 0\n"
                              "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
                              "server:/export /mnt/share nfs4 rw 0 0\n"
                              "tmpfs /tmp tmpfs rw 0 0\n"
                              "/dev/sda3 /home ext4 rw 0 0\n"
                              "/dev/sdc1 /home xfs rw 0 0\n"
                              "binfmt_misc /proc/sys/fs/binfmt_misc binfmt_misc rw 0 0\n"
                              "garbage\n";
    const std::vector<TVolume> volumes = ParseMountTable(table);
    EXPECT_EQ(Roots(volumes), (std::vector<std::string>{"/", "/media/user/QUAKE DISC", "/mnt/share",
                                                        "/tmp", "/home"}));
    ASSERT_EQ(volumes.size(), 5u);
    EXPECT_EQ(volumes[1].Kind, TVolumeKind::vkCdRom);
    EXPECT_EQ(volumes[2].Kind, TVolumeKind::vkNetwork);
    EXPECT_EQ(volumes[3].Kind, TVolumeKind::vkRam);
    // Mounted over: the last mounting is what the path shows.
    EXPECT_EQ(volumes[4].Device, "/dev/sdc1");
    EXPECT_EQ(volumes[4].FsType, "xfs");
}

TEST(Volumes, WithoutARootMountTheRootIsStillListed) {
    for (const char* table : {"", "proc /proc proc rw 0 0\n"}) {
        const std::vector<TVolume> volumes = ParseMountTable(table);
        EXPECT_EQ(Roots(volumes), std::vector<std::string>{"/"}) << table;
    }
    EXPECT_FALSE(MountedVolumes().empty());
#ifdef _WIN32
    // The drives, each by its root.
    EXPECT_TRUE(MountedVolumes().front().Root.string().ends_with(":\\"));
#else
    EXPECT_EQ(MountedVolumes().front().Root, "/");
#endif
}

TEST(Volumes, CaptionsShowLabelsOrTheNetworkSource) {
    struct Case {
        TVolume Volume;
        std::string Caption;
    };
    const std::vector<Case> cases = {
        {{"/", "/dev/sda2", "ext4", "", TVolumeKind::vkFixed}, "/"},
        {{"/media/stick", "/dev/sdb1", "vfat", "QUAKE", TVolumeKind::vkRemovable},
         "/media/stick [QUAKE]"},
        {{"/mnt/share", "server:/export", "nfs", "", TVolumeKind::vkNetwork},
         "/mnt/share [server:/export]"},
        {{"/tmp", "tmpfs", "tmpfs", "", TVolumeKind::vkRam}, "/tmp"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VolumeCaption(c.Volume), c.Caption);
}

TEST(Volumes, APathBelongsToTheDeepestMountHoldingIt) {
    const std::vector<TVolume> volumes = ParseMountTable("/dev/a / ext4 rw 0 0\n"
                                                         "/dev/b /home ext4 rw 0 0\n"
                                                         "/dev/c /home/user/games ext4 rw 0 0\n");
    struct Case {
        const char* Path;
        int Volume;
    };
    for (const Case& c : {Case{"/", 0}, Case{"/etc", 0}, Case{"/homework", 0}, Case{"/home", 1},
                          Case{"/home/user", 1}, Case{"/home/user/games/id1", 2},
                          Case{"/home/user/games/", 2}, Case{"/home/user/gamesx", 1}})
        EXPECT_EQ(VolumeOf(volumes, c.Path), c.Volume) << c.Path;
    EXPECT_EQ(VolumeOf({}, "/x"), -1);
}

TEST(Volumes, LabelsComeFromTheLinksNamedAfterThem) {
#ifdef _WIN32
    GTEST_SKIP() << "each drive tells its own label there";
#endif
    test::TTempDir dir;
    test::WriteFile(dir / "devices/sdb1", "");
    test::WriteFile(dir / "devices/sdc1", "");
    fs::create_directories(dir / "by-label");
    fs::create_symlink("../devices/sdb1", dir / "by-label/QUAKE\\x20DISC");
    fs::create_symlink("../devices/sdc1", dir / "by-label/PLAIN");
    fs::create_symlink("../devices/gone", dir / "by-label/STALE");
    const std::map<std::string, std::string> labels = ReadVolumeLabels(dir / "by-label");
    const std::string devices = fs::canonical(dir / "devices").string();
    EXPECT_EQ(labels, (std::map<std::string, std::string>{{devices + "/sdb1", "QUAKE DISC"},
                                                          {devices + "/sdc1", "PLAIN"}}));
    EXPECT_TRUE(ReadVolumeLabels(dir / "missing").empty());
}

} // namespace
} // namespace zorvak
