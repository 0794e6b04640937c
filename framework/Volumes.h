// The mounted volumes a user may pick a directory from, with their labels:
// what the drive selector of the build dialog lists.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zorvak {

enum class TVolumeKind { vkFixed, vkRemovable, vkCdRom, vkNetwork, vkRam };

struct TVolume {
    std::filesystem::path Root; // the mount point
    std::string Device;         // as the mount table names it
    std::string FsType;
    std::string Label; // empty when the volume has none
    TVolumeKind Kind = TVolumeKind::vkFixed;
};

// The volumes of a mount table in /proc/self/mounts form, in table order,
// without the kernel's own file systems (proc, sysfs, cgroup, ...) and
// mount points under /proc, /sys and /dev. A mount point mounted again
// keeps the place of its first mounting and the fields of its last. "/" is
// always listed first. Labels are left empty; kinds come from the type.
std::vector<TVolume> ParseMountTable(std::string_view table);

// Labels by device, read from a directory of links named after labels
// (/dev/disk/by-label form, "\x20" escapes decoded); keys are the links'
// resolved targets. Empty when the directory is missing.
std::map<std::string, std::string> ReadVolumeLabels(const std::filesystem::path& byLabelDir);

// The volumes mounted now: the mount table filtered to mount points that are
// directories, with labels and removable devices filled in. Never empty:
// without a readable table it is "/" alone.
std::vector<TVolume> MountedVolumes();

// How the selector shows a volume: the mount point, then the label or, for
// a network volume without one, the device in brackets ("/media/stick
// [QUAKE]", "/mnt/share [server:/export]").
std::string VolumeCaption(const TVolume& volume);

// The index of the volume holding path: the one whose mount point is the
// longest leading run of path's components; -1 when none is.
int VolumeOf(const std::vector<TVolume>& volumes, const std::filesystem::path& path);

} // namespace zorvak
