// What the tests do differently on each system: making links, whether mode
// bits keep this process out, and sending it a stop request.
#pragma once

#include "framework/Interrupt.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include "framework/win32/Native.h"
#else
#include <csignal>
#include <unistd.h>
#endif

namespace zorvak::test {

// Whether an edit may append to the archive it holds: Windows shares no
// second open of it, and always writes the archive anew.
#ifdef _WIN32
inline constexpr bool kEditsAppend = false;
#else
inline constexpr bool kEditsAppend = true;
#endif

#ifdef _WIN32
namespace detail {
// Wine makes no links of its own (CreateSymbolicLinkW answers yes and makes
// nothing), but its processes are Linux processes: the test asks the kernel.
using TUnixName = char*(CDECL*)(LPCWSTR);
inline TUnixName UnixNameFunction() {
    return reinterpret_cast<TUnixName>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

inline long LinuxCall(long number, const char* first, void* second, long third) {
    long result = -1;
    asm volatile("syscall"
                 : "=a"(result)
                 : "a"(number), "D"(first), "S"(second), "d"(third)
                 : "rcx", "r11", "memory");
    return result;
}

inline bool MakeLinkUnderWine(const std::filesystem::path& target,
                              const std::filesystem::path& link) {
    const TUnixName unixName = UnixNameFunction();
    if (unixName == nullptr)
        return false;
    char* linkPath = unixName(std::filesystem::absolute(link).c_str());
    char* targetPath = target.is_absolute() ? unixName(target.c_str()) : nullptr;
    const std::string relative = target.generic_string();
    const char* to = targetPath != nullptr ? targetPath : relative.c_str();
    // symlink(2) on x86-64.
    const long result = LinuxCall(88, to, linkPath, 0);
    ::HeapFree(::GetProcessHeap(), 0, linkPath);
    if (targetPath != nullptr)
        ::HeapFree(::GetProcessHeap(), 0, targetPath);
    return result == 0;
}
} // namespace detail
#endif

// A symbolic link at link to target (relative to link's directory unless
// absolute); false when this system will not make one for a test.
inline bool MakeLink(const std::filesystem::path& target, const std::filesystem::path& link) {
#ifdef _WIN32
    std::error_code ec;
    const auto resolved = target.is_absolute() ? target : link.parent_path() / target;
    const DWORD flags =
        (std::filesystem::is_directory(resolved, ec) ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) |
        SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
    if (::CreateSymbolicLinkW(link.c_str(), target.c_str(), flags) &&
        std::filesystem::symlink_status(link, ec).type() != std::filesystem::file_type::not_found)
        return true;
    return detail::MakeLinkUnderWine(target, link);
#else
    std::error_code ec;
    std::filesystem::create_symlink(target, link, ec);
    return !ec;
#endif
}

// Whether path is a link itself (one that leads nowhere too).
inline bool IsLink(const std::filesystem::path& path) {
#ifdef _WIN32
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return true;
    // Wine shows a link to a file as the file: the kernel is asked.
    const detail::TUnixName unixName = detail::UnixNameFunction();
    if (unixName == nullptr)
        return false;
    char* name = unixName(std::filesystem::absolute(path).c_str());
    char target[4096];
    // readlink(2) on x86-64.
    const long n = detail::LinuxCall(89, name, target, sizeof target);
    ::HeapFree(::GetProcessHeap(), 0, name);
    return n >= 0;
#else
    return std::filesystem::is_symlink(path);
#endif
}

// Removes the link at path, not what it leads to.
inline bool RemoveLink(const std::filesystem::path& path) {
#ifdef _WIN32
    if (::DeleteFileW(path.c_str()) || ::RemoveDirectoryW(path.c_str()))
        return true;
    const detail::TUnixName unixName = detail::UnixNameFunction();
    if (unixName == nullptr)
        return false;
    char* name = unixName(std::filesystem::absolute(path).c_str());
    // unlink(2) on x86-64.
    const long result = detail::LinuxCall(87, name, nullptr, 0);
    ::HeapFree(::GetProcessHeap(), 0, name);
    return result == 0;
#else
    std::error_code ec;
    return std::filesystem::remove(path, ec);
#endif
}

// Whether mode bits keep this process out: not for the superuser, and not
// on Windows, where access lists decide.
inline bool ModeBitsBind() {
#ifdef _WIN32
    return false;
#else
    return ::geteuid() != 0;
#endif
}

// A stop request as the system sends it: a signal on Linux; on Windows
// the console's handler makes the same request.
inline void SendStopRequest(int signal) {
#ifdef _WIN32
    RequestInterrupt(signal);
#else
    ::raise(signal);
#endif
}

} // namespace zorvak::test
