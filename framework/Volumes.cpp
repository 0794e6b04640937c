#include "framework/Volumes.h"

#include "framework/Text.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <sstream>

namespace zorvak {

namespace {

// File systems that hold no user files: the kernel's own views and helpers.
constexpr std::array<std::string_view, 24> kPseudoTypes = {
    "proc",       "sysfs",    "devtmpfs",  "devpts",  "cgroup",          "cgroup2",
    "securityfs", "pstore",   "bpf",       "tracefs", "debugfs",         "mqueue",
    "hugetlbfs",  "configfs", "fusectl",   "autofs",  "binfmt_misc",     "rpc_pipefs",
    "nsfs",       "efivarfs", "selinuxfs", "rootfs",  "fuse.gvfsd-fuse", "fuse.portal"};

constexpr std::array<std::string_view, 12> kNetworkTypes = {
    "nfs", "nfs4", "cifs",       "smb3",  "smbfs", "ncpfs",
    "afs", "9p",   "fuse.sshfs", "sshfs", "davfs", "fuse.rclone"};

bool OneOf(std::string_view value, const auto& list) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

// The mount table writes space, tab, newline and backslash as "\ooo".
std::string DecodeOctalEscapes(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view digits = field.substr(i + 1, 3);
            if (digits.size() == 3 && std::all_of(digits.begin(), digits.end(),
                                                  [](char c) { return c >= '0' && c <= '7'; })) {
                out += static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 +
                                         (digits[2] - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

// udev writes unsafe bytes of a label as "\xHH".
std::string DecodeHexEscapes(std::string_view text) {
    const auto hex = HexDigitValue;
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' && hex(text[i + 2]) >= 0 &&
            hex(text[i + 3]) >= 0) {
            out += static_cast<char>(hex(text[i + 2]) * 16 + hex(text[i + 3]));
            i += 3;
            continue;
        }
        out += text[i];
    }
    return out;
}

bool IsUnder(const std::string& mountPoint, std::string_view top) {
    return mountPoint == top ||
           (mountPoint.size() > top.size() && mountPoint.compare(0, top.size(), top) == 0 &&
            mountPoint[top.size()] == '/');
}

TVolumeKind KindOfType(std::string_view type) {
    if (type == "iso9660" || type == "udf")
        return TVolumeKind::vkCdRom;
    if (OneOf(type, kNetworkTypes))
        return TVolumeKind::vkNetwork;
    if (type == "tmpfs" || type == "ramfs")
        return TVolumeKind::vkRam;
    return TVolumeKind::vkFixed;
}

} // namespace

std::vector<TVolume> ParseMountTable(std::string_view table) {
    std::vector<TVolume> volumes;
    std::istringstream lines{std::string(table)};
    std::string line;
    bool haveRoot = false;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint, type;
        if (!(fields >> device >> mountPoint >> type))
            continue;
        TVolume volume;
        volume.Device = DecodeOctalEscapes(device);
        volume.Root = DecodeOctalEscapes(mountPoint);
        volume.FsType = type;
        volume.Kind = KindOfType(type);
        const std::string root = volume.Root.string();
        if (root.empty() || root[0] != '/')
            continue;
        if (root != "/" && (OneOf(type, kPseudoTypes) || IsUnder(root, "/proc") ||
                            IsUnder(root, "/sys") || IsUnder(root, "/dev")))
            continue;
        auto same = std::find_if(volumes.begin(), volumes.end(),
                                 [&](const TVolume& v) { return v.Root == volume.Root; });
        if (same != volumes.end())
            *same = volume;
        else
            volumes.push_back(volume);
        haveRoot = haveRoot || root == "/";
    }
    if (!haveRoot)
        volumes.insert(volumes.begin(), TVolume{"/", "", "", "", TVolumeKind::vkFixed});
    std::stable_partition(volumes.begin(), volumes.end(),
                          [](const TVolume& v) { return v.Root == "/"; });
    return volumes;
}

std::map<std::string, std::string> ReadVolumeLabels(const std::filesystem::path& byLabelDir) {
    std::map<std::string, std::string> labels;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(byLabelDir, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code linkError;
        const std::filesystem::path target = std::filesystem::canonical(it->path(), linkError);
        if (!linkError)
            labels[target.string()] = DecodeHexEscapes(it->path().filename().string());
    }
    return labels;
}

std::string VolumeCaption(const TVolume& volume) {
    std::string caption = volume.Root.string();
    if (!volume.Label.empty())
        caption += " [" + volume.Label + "]";
    else if (volume.Kind == TVolumeKind::vkNetwork && !volume.Device.empty())
        caption += " [" + volume.Device + "]";
    return caption;
}

int VolumeOf(const std::vector<TVolume>& volumes, const std::filesystem::path& path) {
    const std::filesystem::path normal = path.lexically_normal();
    int best = -1;
    std::size_t bestDepth = 0;
    for (std::size_t i = 0; i < volumes.size(); ++i) {
        const std::filesystem::path root = volumes[i].Root.lexically_normal();
        auto r = root.begin();
        auto p = normal.begin();
        std::size_t depth = 0;
        for (; r != root.end() && p != normal.end() && *r == *p; ++r, ++p)
            ++depth;
        // A trailing "/" leaves an empty last component on the root.
        while (r != root.end() && r->empty())
            ++r;
        if (r == root.end() && (best < 0 || depth > bestDepth)) {
            best = static_cast<int>(i);
            bestDepth = depth;
        }
    }
    return best;
}

} // namespace zorvak
