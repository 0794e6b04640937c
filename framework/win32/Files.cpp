// The file calls on Windows. Opening "without sharing" is the system's own
// share mode. A directory level is held open without delete sharing, so
// it cannot be renamed or removed while the run stands in it; a level that
// is a reparse point (a link or a junction), or that the system resolves to
// any other place than the one named, is refused, as a link is on Linux.
#include "framework/Directory.h"
#include "framework/Failures.h"
#include "framework/FileIdentity.h"
#include "framework/LockedFile.h"
#include "framework/PathQueries.h"
#include "framework/System.h"
#include "framework/Text.h"
#include "framework/win32/Native.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace zorvak {

namespace win32 {

int ErrnoOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_PRIVILEGE_NOT_HELD:
        return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_DIR_NOT_EMPTY:
        return ENOTEMPTY;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return ENAMETOOLONG;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    default:
        return EIO;
    }
}

std::wstring WideName(std::string_view name) {
    const std::u16string text = NameToUtf16(name);
    return std::wstring(text.begin(), text.end());
}

std::string NarrowName(const wchar_t* name) {
    const std::wstring_view wide(name);
    return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

std::wstring FinalPath(HANDLE handle) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            ::GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), 0);
        if (n == 0)
            ThrowForErrno(LastErrno());
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(n + 1);
    }
}

} // namespace win32

using namespace win32;

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// 100 ns ticks from 1601 to 1970: file times are kept from 1970 as on Linux,
// which also keeps them in range as nanoseconds.
constexpr std::int64_t kTicksTo1970 = 116444736000000000;

std::int64_t Nanoseconds(std::int64_t ticks) {
    return (ticks - kTicksTo1970) * 100;
}

std::int64_t Nanoseconds(const FILETIME& time) {
    return Nanoseconds(static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime));
}

// The identity and attributes of an open handle; false when the system
// will not tell.
bool Look(HANDLE handle, TFileIdentity& identity, DWORD& attributes) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info))
        return false;
    identity.Device = info.dwVolumeSerialNumber;
    identity.Inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    identity.Size = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    identity.ModifiedNs = Nanoseconds(info.ftLastWriteTime);
    FILE_BASIC_INFO basic{};
    identity.ChangedNs = ::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic)
                             ? Nanoseconds(basic.ChangeTime.QuadPart)
                             : identity.ModifiedNs;
    attributes = info.dwFileAttributes;
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag))
        attributes |= tag.FileAttributes;
    return true;
}

std::wstring Joined(std::wstring dir, const std::wstring& name) {
    if (!dir.empty() && dir.back() != L'\\' && dir.back() != L'/')
        dir += L'\\';
    return dir + name;
}

// Where name in the directory held by handle is. Throws TInOutFailure
// when the system cannot name the directory.
std::wstring Child(int dir, std::string_view name) {
    return Joined(FinalPath(AsHandle(dir)), WideName(name));
}

// The same for the calls that report rather than throw.
bool ChildPath(int dir, std::string_view name, std::wstring& path) {
    try {
        path = Child(dir, name);
        return true;
    } catch (...) {
        return false;
    }
}

int ErrnoUnless(bool done) {
    return done ? 0 : LastErrno();
}

HANDLE OpenForLook(const std::wstring& path, bool follow) {
    return ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT),
                         nullptr);
}

TFileKind KindOf(DWORD attributes, bool follow) {
    if (!follow && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return TFileKind::fkLink;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return TFileKind::fkDirectory;
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0)
        return TFileKind::fkOther;
    return TFileKind::fkRegular;
}

// What is at path, a final reparse point followed when follow; the errno of
// the look, or 0.
int LookAt(const std::wstring& path, bool follow, TFileKind& kind, TFileIdentity& identity) {
    const TFileDescriptor handle(AsDescriptor(OpenForLook(path, follow)));
    if (!handle)
        return LastErrno();
    DWORD attributes = 0;
    if (!Look(AsHandle(handle.Get()), identity, attributes))
        return LastErrno();
    // Some systems show a link only in the name's attributes, not the
    // handle's.
    if (!follow) {
        const DWORD named = ::GetFileAttributesW(path.c_str());
        if (named != INVALID_FILE_ATTRIBUTES)
            attributes |= named & FILE_ATTRIBUTE_REPARSE_POINT;
    }
    kind = KindOf(attributes, follow);
    return 0;
}

// What a level opened without following reparse points is: a directory
// only when it is no reparse point and the system places it exactly where
// it was named (a system that resolves links on opening them is caught so).
TLevelLook LookAtLevel(HANDLE level, const std::wstring& named) {
    TFileIdentity identity;
    DWORD attributes = 0;
    if (!Look(level, identity, attributes))
        ThrowForErrno(LastErrno());
    const DWORD byName = ::GetFileAttributesW(named.c_str());
    if (((attributes | (byName == INVALID_FILE_ATTRIBUTES ? 0 : byName)) &
         FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return TLevelLook::llLink;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return TLevelLook::llOther;
    const std::wstring real = FinalPath(level);
    if (::CompareStringOrdinal(real.c_str(), static_cast<int>(real.size()), named.c_str(),
                               static_cast<int>(named.size()), TRUE) != CSTR_EQUAL)
        return TLevelLook::llLink;
    return TLevelLook::llDirectory;
}

// Opens a directory level to stand in: listing allowed, never deleted or
// renamed while held.
HANDLE OpenLevelHandle(const std::wstring& path, bool follow) {
    return ::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT),
                         nullptr);
}

bool Missing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Where a read or write at position starts, and how much of n one call
// moves.
OVERLAPPED At(std::int64_t position) {
    OVERLAPPED where{};
    const auto at = static_cast<std::uint64_t>(position);
    where.Offset = static_cast<DWORD>(at);
    where.OffsetHigh = static_cast<DWORD>(at >> 32);
    return where;
}

DWORD Piece(std::size_t n) {
    return static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
}

// What a ReadFile or WriteFile that returned ok moved, as ReadSome tells it
// (asked once the call is done: moved is only set then).
std::int64_t Moved(BOOL ok, DWORD moved, int& err) {
    if (ok)
        return moved;
    const DWORD error = ::GetLastError();
    if (error == ERROR_HANDLE_EOF)
        return 0;
    err = ErrnoOf(error);
    return -1;
}

// Renaming and replacing stay allowed, as locks never stop them on Linux:
// an edit replaces the very archive it holds, and the archive's identity
// tells when someone else did.
DWORD ShareFor(TShareMode mode) {
    switch (mode) {
    case TShareMode::smExclusive:
        return FILE_SHARE_DELETE;
    case TShareMode::smShared:
        return FILE_SHARE_READ | FILE_SHARE_DELETE;
    case TShareMode::smUnlocked:
        break;
    }
    return kShareAll;
}

int OpenReading(const std::wstring& path, TShareMode mode, int& err) {
    // Held alone, it may also be moved aside by an edit that replaces it.
    const DWORD access = GENERIC_READ | (mode == TShareMode::smExclusive ? DELETE : 0);
    const HANDLE handle = ::CreateFileW(path.c_str(), access, ShareFor(mode), nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        // Someone holds it without sharing.
        const DWORD error = ::GetLastError();
        err = error == ERROR_SHARING_VIOLATION ? kHeldErrno : ErrnoOf(error);
    }
    return AsDescriptor(handle);
}

} // namespace

unsigned ProcessNumber() {
    return static_cast<unsigned>(::GetCurrentProcessId());
}

bool ProcessAlive(unsigned pid) {
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == nullptr)
        return ::GetLastError() == ERROR_ACCESS_DENIED; // it runs, as another user
    DWORD code = 0;
    const bool alive = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    ::CloseHandle(process);
    return alive;
}

int CloseDescriptor(int fd) {
    return ErrnoUnless(::CloseHandle(AsHandle(fd)) != 0);
}

int StatusOfDescriptor(int fd, TFileKind& kind, TFileIdentity& identity) {
    DWORD attributes = 0;
    if (!Look(AsHandle(fd), identity, attributes))
        return LastErrno();
    // Opened, a reparse point was followed or is a file of its own kind
    // (a placeholder): only the directory tells.
    kind = KindOf(attributes, true);
    if (kind == TFileKind::fkRegular && ::GetFileType(AsHandle(fd)) != FILE_TYPE_DISK)
        kind = TFileKind::fkOther;
    return 0;
}

std::int64_t ReadSome(int fd, std::int64_t position, void* buffer, std::size_t n, int& err) {
    OVERLAPPED where = At(position);
    DWORD moved = 0;
    const BOOL ok = ::ReadFile(AsHandle(fd), buffer, Piece(n), &moved, &where);
    return Moved(ok, moved, err);
}

std::int64_t WriteSome(int fd, std::int64_t position, const void* buffer, std::size_t n, int& err) {
    OVERLAPPED where = At(position);
    DWORD moved = 0;
    const BOOL ok = ::WriteFile(AsHandle(fd), buffer, Piece(n), &moved, &where);
    return Moved(ok, moved, err);
}

int FlushFile(int fd) {
    return ErrnoUnless(::FlushFileBuffers(AsHandle(fd)) != 0);
}

int HoldFile(int, TShareMode) {
    // The open's share mode holds the file: a temporary is written without
    // delete sharing, so no one removes it while its writer has it open.
    return 0;
}

void CopyOwnerAndMode(int, int) {
    // Files here take their access list from the directory they are made
    // in, as every program's files do; there are no mode bits to carry.
}

std::int64_t KernelCopy(int, std::int64_t&, int, std::int64_t&, std::size_t, int& err) {
    // The system has no copy between open files: the caller's buffer does it.
    err = ENOSYS;
    return -1;
}

std::int64_t StreamCopy(int, std::int64_t&, int, std::int64_t&, std::size_t, int& err) {
    err = ENOSYS;
    return -1;
}

int OpenForReading(const std::filesystem::path& path, TShareMode mode, int& err) {
    return OpenReading(path.native(), mode, err);
}

int OpenForReadingAt(int dir, const std::string& name, TShareMode mode, int& err) {
    return OpenReading(Child(dir, name), mode, err);
}

int OpenForRemoving(int dir, const std::string& name, int& err) {
    std::wstring path;
    if (!ChildPath(dir, name, path)) {
        err = EIO;
        return -1;
    }
    // Opened for deleting, which a writer that still has it open refuses.
    TFileDescriptor handle(
        AsDescriptor(::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr)));
    err = handle ? 0 : LastErrno();
    TFileIdentity identity;
    DWORD attributes = 0;
    // A reparse point is refused, as a link is on Linux.
    if (handle && Look(AsHandle(handle.Get()), identity, attributes) &&
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        err = ELOOP;
        return -1;
    }
    return handle.Release();
}

// The archive is held without sharing while it is edited, so no second
// open can write it: an edit here always writes a new file.
int OpenForUpdatingAt(int, const std::string&, int& err) {
    err = ENOSYS;
    return -1;
}

int CutFile(int fd, std::int64_t size) {
    FILE_END_OF_FILE_INFO info{};
    info.EndOfFile.QuadPart = size;
    return ErrnoUnless(
        ::SetFileInformationByHandle(AsHandle(fd), FileEndOfFileInfo, &info, sizeof info) != 0);
}

int CreateExclusive(int dir, const std::string& name, TNewFile use, bool& taken) {
    taken = false;
    std::wstring path;
    if (!ChildPath(dir, name, path))
        return -1;
    // CREATE_NEW never opens what is there, a link included. A mapped file
    // is the process's own, hidden.
    const bool mapped = use == TNewFile::nfMapped;
    const HANDLE handle = ::CreateFileW(
        path.c_str(), mapped ? GENERIC_READ | GENERIC_WRITE : GENERIC_WRITE, FILE_SHARE_READ,
        nullptr, CREATE_NEW,
        mapped ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
        nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // A directory refuses the creation as access denied, and a link that
        // leads nowhere is there though it cannot be looked at.
        TFileKind kind = TFileKind::fkUnknown;
        TFileIdentity there;
        taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
                LookAt(path, false, kind, there) == 0;
    }
    return AsDescriptor(handle);
}

int OpenDirectory(const std::filesystem::path& path, int& err) {
    TFileDescriptor fd(AsDescriptor(OpenLevelHandle(path.native(), true)));
    TFileIdentity identity;
    DWORD attributes = 0;
    if (!fd || !Look(AsHandle(fd.Get()), identity, attributes)) {
        err = LastErrno();
        return -1;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        err = ENOTDIR;
        return -1;
    }
    err = 0;
    return fd.Release();
}

int OpenLevel(int dir, const std::string& name, TLevelLook& look, int& err) {
    const std::wstring child = Child(dir, name);
    TFileDescriptor fd(AsDescriptor(OpenLevelHandle(child, false)));
    if (!fd) {
        const DWORD error = ::GetLastError();
        look = Missing(error) ? TLevelLook::llMissing : TLevelLook::llFailed;
        err = ErrnoOf(error);
        return -1;
    }
    look = LookAtLevel(AsHandle(fd.Get()), child);
    err = look == TLevelLook::llDirectory ? 0 : look == TLevelLook::llLink ? ELOOP : ENOTDIR;
    return look == TLevelLook::llDirectory ? fd.Release() : -1;
}

int StatusOfName(int dir, const std::string& name, bool follow, TFileKind& kind,
                 TFileIdentity& identity) {
    return LookAt(Child(dir, name), follow, kind, identity);
}

int StatusOfPath(const std::filesystem::path& path, bool follow, TFileKind& kind,
                 TFileIdentity& identity) {
    return LookAt(path.native(), follow, kind, identity);
}

bool MayReplace(int dir, const std::string& name) {
    // Permissions here are access lists, which the replacing itself asks;
    // a read-only file is refused by its attribute.
    std::wstring path;
    if (!ChildPath(dir, name, path))
        return true;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0;
}

int MakeDirectoryAt(int dir, const std::string& name) {
    return MakeDirectoryNamed(std::filesystem::path(Child(dir, name)));
}

int MakeDirectoryNamed(const std::filesystem::path& path) {
    return ErrnoUnless(::CreateDirectoryW(path.c_str(), nullptr) != 0);
}

int RemoveName(int dir, const std::string& name) {
    std::wstring path;
    if (!ChildPath(dir, name, path))
        return EIO;
    return ErrnoUnless(::DeleteFileW(path.c_str()) != 0);
}

namespace {
int Rename(int dir, const std::string& from, const std::string& to, DWORD flags) {
    std::wstring source, target;
    if (!ChildPath(dir, from, source) || !ChildPath(dir, to, target))
        return EIO;
    return ErrnoUnless(::MoveFileExW(source.c_str(), target.c_str(), flags) != 0);
}
} // namespace

int ReplaceName(int dir, const std::string& from, const std::string& to) {
    return Rename(dir, from, to, MOVEFILE_REPLACE_EXISTING);
}

int MoveName(int dir, const std::string& from, const std::string& to) {
    return Rename(dir, from, to, 0);
}

int ExchangeNames(int, const std::string&, const std::string&) {
    // No call swaps two names here.
    return ENOSYS;
}

bool CanMoveByDescriptor() {
    return true;
}

int MoveByDescriptor(int fd, int dir, const std::string& name) {
    std::wstring path;
    if (!ChildPath(dir, name, path))
        return EIO;
    // The file moves whatever name leads to it now, never over another.
    const std::size_t bytes = sizeof(FILE_RENAME_INFO) + path.size() * sizeof(wchar_t);
    std::vector<std::uint64_t> buffer((bytes + 7) / 8, 0);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->FileNameLength = static_cast<DWORD>(path.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, path.data(), info->FileNameLength);
    return ErrnoUnless(::SetFileInformationByHandle(AsHandle(fd), FileRenameInfo, info,
                                                    static_cast<DWORD>(buffer.size() * 8)) != 0);
}

int RemoveByDescriptor(int fd) {
    FILE_DISPOSITION_INFO info{};
    info.DeleteFile = TRUE;
    return ErrnoUnless(
        ::SetFileInformationByHandle(AsHandle(fd), FileDispositionInfo, &info, sizeof info) != 0);
}

bool CanReplaceOpenFiles() {
    // The system refuses to replace a file that is open.
    return false;
}

int ListDirectory(int dir, std::vector<TDirEntry>& entries) {
    std::wstring pattern;
    try {
        pattern = Joined(FinalPath(AsHandle(dir)), L"*");
    } catch (const TInOutFailure&) {
        return EIO;
    }
    WIN32_FIND_DATAW found{};
    const HANDLE search =
        ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                           FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE)
        return LastErrno();
    int err = 0;
    do {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..")
            entries.push_back({NarrowName(found.cFileName), KindOf(found.dwFileAttributes, false)});
    } while (::FindNextFileW(search, &found));
    if (::GetLastError() != ERROR_NO_MORE_FILES)
        err = LastErrno();
    ::FindClose(search);
    return err;
}

std::int64_t FreeBytesBelow(int dir) {
    ULARGE_INTEGER available{};
    // What this user may still write, quotas counted.
    if (!::GetDiskFreeSpaceExW(FinalPath(AsHandle(dir)).c_str(), &available, nullptr, nullptr))
        ThrowForErrno(LastErrno());
    return static_cast<std::int64_t>(available.QuadPart);
}

void FlushDirectory(int) {
    // The system journals its names itself; a directory handle held for
    // listing cannot be flushed.
}

void FlushFileSystemOf(int) {
    // Only an administrator may flush a volume: each file is flushed.
}

bool CanFlushFileSystem() {
    return false;
}

bool RealPath(const std::filesystem::path& path, std::filesystem::path& real) {
    const TFileDescriptor handle(AsDescriptor(OpenForLook(path.native(), true)));
    if (!handle)
        return false;
    try {
        std::wstring full = FinalPath(AsHandle(handle.Get()));
        // "\\?\C:\..." reads as "C:\..." in messages while it is short
        // enough for every call without the prefix.
        if (full.size() < MAX_PATH && full.starts_with(L"\\\\?\\") && full.size() > 6 &&
            full[5] == L':')
            full.erase(0, 4);
        real = full;
        return true;
    } catch (const TInOutFailure&) {
        return false;
    }
}

bool CanRead(const std::filesystem::path& path) {
    const TFileDescriptor handle(
        AsDescriptor(::CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr)));
    // Held by someone else is no question of permission.
    return static_cast<bool>(handle) || ::GetLastError() == ERROR_SHARING_VIOLATION;
}

bool CanWrite(const std::filesystem::path& path) {
    // Permissions here are access lists: asking by making a file that goes
    // away when closed is the one sure answer.
    const std::wstring probe = Joined(path.native(), WideName(TemporaryName()));
    const TFileDescriptor handle(
        AsDescriptor(::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr)));
    return static_cast<bool>(handle);
}

bool IsDirectory(const std::filesystem::path& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void ChangeDirectory(const std::filesystem::path& dir) {
    if (!::SetCurrentDirectoryW(dir.c_str()))
        ThrowForErrno(LastErrno());
}

unsigned char* MapFile(int fd, std::size_t size, std::intptr_t& mapping) {
    const auto high = static_cast<DWORD>(static_cast<std::uint64_t>(size) >> 32);
    const HANDLE map = ::CreateFileMappingW(AsHandle(fd), nullptr, PAGE_READWRITE, high,
                                            static_cast<DWORD>(size), nullptr);
    void* view = map != nullptr ? ::MapViewOfFile(map, FILE_MAP_WRITE, 0, 0, size) : nullptr;
    if (view == nullptr) {
        if (map != nullptr)
            ::CloseHandle(map);
        return nullptr;
    }
    mapping = reinterpret_cast<std::intptr_t>(map);
    return static_cast<unsigned char*>(view);
}

void UnmapFile(unsigned char* bytes, std::size_t, std::intptr_t mapping) {
    ::UnmapViewOfFile(bytes);
    ::CloseHandle(reinterpret_cast<HANDLE>(mapping));
}

bool IsLevelSeparator(char c) {
    return c == '/' || c == '\\';
}

std::string NameProblemHere(std::string_view level) {
    return WindowsNameProblem(level);
}

std::string FileNameKey(std::string_view path) {
    // Upper case by the system's own table, which is how it compares names.
    std::wstring wide = WideName(path);
    if (wide.empty())
        return {};
    std::wstring folded(wide.size(), L'\0');
    const int n = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.c_str(),
                                  static_cast<int>(wide.size()), folded.data(),
                                  static_cast<int>(folded.size()), nullptr, nullptr, 0);
    if (n <= 0)
        return std::string(path);
    folded.resize(static_cast<std::size_t>(n));
    return NarrowName(folded.c_str());
}

bool FileNamesIgnoreCase() {
    return true;
}

} // namespace zorvak
