// A fresh temporary directory per test, removed afterwards.
#pragma once

#include "support/Platform.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace zorvak::test {

class TTempDir {
public:
    TTempDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                ("zorvak-test-" + std::to_string(rd()) + "-" + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TTempDir() {
#ifdef _WIN32
        // The library there cannot tell a link from what it leads to: links
        // go by the system's own calls first, so nothing outside is touched.
        RemoveTree(path_);
#endif
        std::error_code ec;
        // Tests may leave read-only directories behind; give write back first.
        for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::filesystem::path& Path() const {
        return path_;
    }
    // Names are UTF-8, on Windows too, where the library would take them
    // for the system's 8-bit code page.
    std::filesystem::path operator/(const std::string& name) const {
        return path_ / std::filesystem::path(std::u8string(name.begin(), name.end()));
    }

private:
#ifdef _WIN32
    static void RemoveTree(const std::filesystem::path& dir) {
        std::error_code ec;
        std::vector<std::filesystem::path> below;
        for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end;
             it.increment(ec))
            below.push_back(it->path());
        for (const auto& path : below) {
            if (IsLink(path))
                RemoveLink(path);
            else if (std::filesystem::is_directory(path, ec))
                RemoveTree(path);
            std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
            std::filesystem::remove(path, ec);
        }
    }
#endif
    std::filesystem::path path_;
};

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline void WriteFile(const std::filesystem::path& path, const std::vector<unsigned char>& bytes) {
    WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace zorvak::test
