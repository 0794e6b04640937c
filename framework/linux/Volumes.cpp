#include "framework/Volumes.h"

#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace zorvak {

namespace {

// Whether the block device behind a mount is flagged removable: the disk's
// flag, since a partition carries none of its own.
bool IsRemovableDevice(const std::string& device) {
    struct stat st {};
    if (device.empty() || device[0] != '/' || ::stat(device.c_str(), &st) != 0 ||
        !S_ISBLK(st.st_mode))
        return false;
    const std::string node = "/sys/dev/block/" + std::to_string(major(st.st_rdev)) + ":" +
                             std::to_string(minor(st.st_rdev));
    for (const char* flag : {"/removable", "/../removable"}) {
        std::ifstream in(node + flag);
        char c = 0;
        if (in.get(c))
            return c == '1';
    }
    return false;
}

} // namespace

std::vector<TVolume> MountedVolumes() {
    std::ifstream in("/proc/self/mounts");
    const std::string table((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<TVolume> volumes = ParseMountTable(table);
    // Bind mounts of single files (containers mount /etc/hosts so) are no
    // place to build from.
    std::erase_if(volumes, [](const TVolume& v) {
        std::error_code ec;
        return v.Root != "/" && !std::filesystem::is_directory(v.Root, ec);
    });
    const std::map<std::string, std::string> labels = ReadVolumeLabels("/dev/disk/by-label");
    for (TVolume& volume : volumes) {
        std::error_code ec;
        const std::string device = volume.Device.starts_with("/")
                                       ? std::filesystem::canonical(volume.Device, ec).string()
                                       : std::string();
        if (!ec && !device.empty()) {
            if (auto found = labels.find(device); found != labels.end())
                volume.Label = found->second;
        }
        if (volume.Kind == TVolumeKind::vkFixed && IsRemovableDevice(volume.Device))
            volume.Kind = TVolumeKind::vkRemovable;
    }
    return volumes;
}

} // namespace zorvak
