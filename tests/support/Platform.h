// What the tests do differently on each system: making links, whether mode
// bits keep this process out, and sending it a stop request.
#pragma once

#include "framework/Interrupt.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <csignal>
#include <unistd.h>
#endif

namespace zorvak::test {

#ifdef _WIN32
namespace detail {
// Wine makes no links of its own (CreateSymbolicLinkW answers yes and makes
// nothing), but its processes are Linux processes: the test asks the kernel.
inline bool MakeLinkUnderWine(const std::filesystem::path& target,
                              const std::filesystem::path& link) {
    using TUnixName = char*(CDECL*)(LPCWSTR);
    const auto unixName = reinterpret_cast<TUnixName>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (unixName == nullptr)
        return false;
    char* linkPath = unixName(std::filesystem::absolute(link).c_str());
    char* targetPath = target.is_absolute() ? unixName(target.c_str()) : nullptr;
    const std::string relative = target.generic_string();
    const char* to = targetPath != nullptr ? targetPath : relative.c_str();
    long result = -1;
    // symlink(2) on x86-64.
    asm volatile("syscall"
                 : "=a"(result)
                 : "a"(88L), "D"(to), "S"(linkPath)
                 : "rcx", "r11", "memory");
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
