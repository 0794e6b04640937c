#include "framework/Volumes.h"

#include "framework/win32/Native.h"

namespace zorvak {

std::vector<TVolume> MountedVolumes() {
    std::vector<TVolume> volumes;
    wchar_t roots[512] = {};
    const DWORD n = ::GetLogicalDriveStringsW(static_cast<DWORD>(std::size(roots) - 1), roots);
    for (const wchar_t* root = roots; n > 0 && *root != L'\0'; root += wcslen(root) + 1) {
        TVolume volume;
        volume.Root = std::filesystem::path(root);
        volume.Device = win32::NarrowName(root);
        switch (::GetDriveTypeW(root)) {
        case DRIVE_REMOVABLE:
            volume.Kind = TVolumeKind::vkRemovable;
            break;
        case DRIVE_CDROM:
            volume.Kind = TVolumeKind::vkCdRom;
            break;
        case DRIVE_REMOTE:
            volume.Kind = TVolumeKind::vkNetwork;
            break;
        case DRIVE_RAMDISK:
            volume.Kind = TVolumeKind::vkRam;
            break;
        case DRIVE_NO_ROOT_DIR:
            continue;
        default:
            break;
        }
        wchar_t label[MAX_PATH + 1] = {};
        wchar_t type[MAX_PATH + 1] = {};
        // An empty drive (a card reader without a card) has neither.
        if (::GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, type,
                                    MAX_PATH + 1)) {
            volume.Label = win32::NarrowName(label);
            volume.FsType = win32::NarrowName(type);
        }
        volumes.push_back(std::move(volume));
    }
    if (volumes.empty())
        volumes.push_back(TVolume{"C:\\", "C:\\", "", "", TVolumeKind::vkFixed});
    return volumes;
}

} // namespace zorvak
