// The Windows side of the framework: handles kept in the descriptor type
// (Windows keeps handle values within 32 bits so that they may be passed so),
// system errors as errno values, so that every message is the one Linux
// gives, and names turned to UTF-16 at the system's edge.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace zorvak::win32 {

inline HANDLE AsHandle(int fd) {
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd));
}

inline int AsDescriptor(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE
               ? -1
               : static_cast<int>(reinterpret_cast<std::intptr_t>(handle));
}

// The errno value of the same meaning as a system error.
int ErrnoOf(DWORD error);
inline int LastErrno() {
    return ErrnoOf(::GetLastError());
}

// An entry name (bytes: UTF-8 when valid, else Latin-1) as the system's
// UTF-16.
std::wstring WideName(std::string_view name);
// A name the system gave, as UTF-8.
std::string NarrowName(const wchar_t* name);

// The full path the system gives an open handle ("\\?\C:\..."): where a
// directory held open really is, whatever names led to it.
std::wstring FinalPath(HANDLE handle);

} // namespace zorvak::win32
