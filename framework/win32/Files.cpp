// The file classes on Windows. Opening "without sharing" is the system's
// own share mode. A directory level is held open without delete sharing, so
// it cannot be renamed or removed while the run stands in it; a level that
// is a reparse point (a link or a junction), or that the system resolves to
// any other place than the one named, is refused, as a link is on Linux.
#include "framework/Files.h"

#include "framework/Failures.h"
#include "framework/System.h"
#include "framework/Text.h"
#include "framework/win32/Native.h"

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

// Where name in the directory held by handle is.
std::wstring Child(int dir, std::string_view name) {
    return Joined(FinalPath(AsHandle(dir)), WideName(name));
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

enum class TLevelLook { llDirectory, llLink, llOther };

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
HANDLE OpenLevel(const std::wstring& path, bool follow) {
    return ::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT),
                         nullptr);
}

bool Missing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Moves all n bytes through ReadFile or WriteFile at a position; returns
// what moved, fewer only at the end of the file.
template <class TStep> std::size_t MoveAll(std::size_t n, std::int64_t position, TStep step) {
    std::size_t done = 0;
    while (done < n) {
        const auto at = static_cast<std::uint64_t>(position) + done;
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(at);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        const auto piece = static_cast<DWORD>(std::min<std::size_t>(n - done, 1u << 30));
        DWORD moved = 0;
        if (!step(done, piece, moved, where)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_HANDLE_EOF)
                break;
            ThrowForErrno(ErrnoOf(error));
        }
        if (moved == 0)
            break;
        done += moved;
    }
    return done;
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

} // namespace

void TFileDescriptor::Reset(int fd) noexcept {
    if (fd_ >= 0)
        ::CloseHandle(AsHandle(fd_));
    fd_ = fd;
}

int TFileDescriptor::Close() noexcept {
    const int fd = Release();
    if (fd >= 0 && !::CloseHandle(AsHandle(fd)))
        return LastErrno();
    return 0;
}

TFileIdentity IdentityOf(int fd) {
    TFileIdentity identity;
    DWORD attributes = 0;
    if (!Look(AsHandle(fd), identity, attributes))
        ThrowForErrno(LastErrno());
    return identity;
}

bool IdentityAt(const std::filesystem::path& path, TFileIdentity& identity, bool follow) {
    TFileKind kind = TFileKind::fkUnknown;
    return LookAt(path.native(), follow, kind, identity) == 0;
}

bool IdentityAt(const TDirectory& dir, const std::string& name, TFileIdentity& identity) {
    TFileKind kind = TFileKind::fkUnknown;
    return LookAt(Child(dir.Get(), name), true, kind, identity) == 0;
}

namespace {
HANDLE OpenForReading(const std::wstring& path, TShareMode mode) {
    // Held alone, it may also be moved aside by an edit that replaces it.
    const DWORD access = GENERIC_READ | (mode == TShareMode::smExclusive ? DELETE : 0);
    return ::CreateFileW(path.c_str(), access, ShareFor(mode), nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}
} // namespace

TLockedFile::TLockedFile(const std::filesystem::path& path, TShareMode mode)
    : path_(path.string()) {
    fd_.Reset(AsDescriptor(OpenForReading(path.native(), mode)));
    Take(mode);
}

TLockedFile::TLockedFile(const TDirectory& dir, const std::string& name, std::string_view path,
                         TShareMode mode)
    : path_(path) {
    fd_.Reset(AsDescriptor(OpenForReading(Child(dir.Get(), name), mode)));
    Take(mode);
}

void TLockedFile::Take(TShareMode mode) {
    mode_ = mode;
    if (!fd_) {
        // Someone holds it without sharing: in use, for a reader that shares.
        if (mode == TShareMode::smShared && ::GetLastError() == ERROR_SHARING_VIOLATION)
            throw TFileInUseFailure(path_);
        throw TFileOpenFailure(path_);
    }
    DWORD attributes = 0;
    if (::GetFileType(AsHandle(fd_.Get())) != FILE_TYPE_DISK ||
        !Look(AsHandle(fd_.Get()), identity_, attributes) ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        throw TFileOpenFailure(path_);
}

void TLockedFile::ReadyForReplacing() {
    fd_.Reset();
}

std::size_t TLockedFile::ReadAt(std::int64_t position, void* buffer, std::size_t n) const {
    auto* out = static_cast<unsigned char*>(buffer);
    return MoveAll(n, position, [&](std::size_t done, DWORD piece, DWORD& moved, OVERLAPPED& at) {
        return ::ReadFile(AsHandle(fd_.Get()), out + done, piece, &moved, &at) != 0;
    });
}

TDirectory TDirectory::Open(const std::filesystem::path& path) {
    const std::wstring where = path.empty() ? std::wstring(L".") : path.native();
    TFileDescriptor fd(AsDescriptor(OpenLevel(where, true)));
    if (!fd)
        ThrowForErrno(LastErrno());
    TFileIdentity identity;
    DWORD attributes = 0;
    if (!Look(AsHandle(fd.Get()), identity, attributes))
        ThrowForErrno(LastErrno());
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        ThrowForErrno(ENOTDIR);
    return TDirectory(std::move(fd), path);
}

TDirectory TDirectory::Level(const std::string& name, bool create) const {
    const std::wstring child = Child(Get(), name);
    // A few rounds: a level another process removes between our creation
    // and our open is made again; one it makes before ours is taken.
    for (int round = 0; round < 3; ++round) {
        TFileDescriptor fd(AsDescriptor(OpenLevel(child, false)));
        if (!fd) {
            const DWORD error = ::GetLastError();
            if (!Missing(error))
                ThrowForErrno(ErrnoOf(error));
            if (!create)
                return {};
            if (!::CreateDirectoryW(child.c_str(), nullptr) &&
                ::GetLastError() != ERROR_ALREADY_EXISTS)
                ThrowForErrno(LastErrno());
            continue;
        }
        switch (LookAtLevel(AsHandle(fd.Get()), child)) {
        case TLevelLook::llDirectory:
            return TDirectory(std::move(fd), path_ / name);
        case TLevelLook::llLink:
            throw TLinkFailure(path_ / name);
        case TLevelLook::llOther:
            // Something else is in the way, which creating it reports so.
            ThrowForErrno(EEXIST);
        }
    }
    ThrowForErrno(ENOENT);
}

TDirectory TDirectory::MakeLevel(const std::string& name) const {
    const std::wstring child = Child(Get(), name);
    if (!::CreateDirectoryW(child.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        ThrowForErrno(LastErrno());
    return Level(name, true);
}

TDirectory TDirectory::TryLevel(const std::string& name, int& err) const {
    const std::wstring child = Child(Get(), name);
    TFileDescriptor fd(AsDescriptor(OpenLevel(child, false)));
    if (!fd) {
        err = LastErrno();
        return {};
    }
    switch (LookAtLevel(AsHandle(fd.Get()), child)) {
    case TLevelLook::llDirectory:
        err = 0;
        return TDirectory(std::move(fd), path_ / name);
    case TLevelLook::llLink:
        err = ELOOP;
        break;
    case TLevelLook::llOther:
        err = ENOTDIR;
        break;
    }
    return {};
}

int TDirectory::List(std::vector<TDirEntry>& entries) const {
    std::wstring pattern;
    try {
        pattern = Joined(FinalPath(AsHandle(Get())), L"*");
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

int TDirectory::StatusOf(const std::string& name, bool follow, TFileKind& kind,
                         TFileIdentity& identity) const {
    try {
        return LookAt(Child(Get(), name), follow, kind, identity);
    } catch (const TInOutFailure&) {
        return EIO;
    }
}

std::int64_t TDirectory::FreeBytes() const {
    ULARGE_INTEGER available{};
    // What this user may still write, quotas counted.
    if (!::GetDiskFreeSpaceExW(FinalPath(AsHandle(Get())).c_str(), &available, nullptr, nullptr))
        ThrowForErrno(LastErrno());
    return static_cast<std::int64_t>(available.QuadPart);
}

bool StatusAt(const std::filesystem::path& path, bool follow, TFileKind& kind,
              TFileIdentity& identity) {
    return LookAt(path.native(), follow, kind, identity) == 0;
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

bool HeldByAnother(const std::filesystem::path& path) {
    // Asked as an exclusive open asks: only another's open refuses it so.
    const TFileDescriptor handle(
        AsDescriptor(OpenForReading(path.native(), TShareMode::smExclusive)));
    return !handle && ::GetLastError() == ERROR_SHARING_VIOLATION;
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

void MakeDirectory(const std::filesystem::path& path) {
    if (!::CreateDirectoryW(path.c_str(), nullptr)) {
        const DWORD error = ::GetLastError();
        if (!(error == ERROR_ALREADY_EXISTS && IsDirectory(path)))
            ThrowForErrno(ErrnoOf(error));
    }
}

void ChangeDirectory(const std::filesystem::path& dir) {
    if (!::SetCurrentDirectoryW(dir.c_str()))
        ThrowForErrno(LastErrno());
}

namespace {
HANDLE CreateNew(const std::wstring& path) {
    return ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}
} // namespace

TOutputFile::TOutputFile(const TDirectory& dir, const std::string& name, TOutputMode mode)
    : dir_(dir), name_(name) {
    std::wstring target;
    try {
        target = Child(dir.Get(), name);
    } catch (const TInOutFailure&) {
        throw TFileCreateFailure(Target());
    }
    TFileKind kind = TFileKind::fkUnknown;
    if (mode != TOutputMode::omAlwaysBeside) {
        // CREATE_NEW never opens what is there, a link included.
        fd_.Reset(AsDescriptor(CreateNew(target)));
        if (fd_) {
            written_ = name;
            return;
        }
        const DWORD error = ::GetLastError();
        TFileIdentity there;
        // A link that leads nowhere is there, though it cannot be looked at.
        if (LookAt(target, false, kind, there) != 0 && error != ERROR_FILE_EXISTS &&
            error != ERROR_ALREADY_EXISTS)
            throw TFileCreateFailure(Target());
        if (mode == TOutputMode::omKeep) {
            // A directory of that name is in the way, not a file to keep.
            if (kind == TFileKind::fkDirectory)
                throw TFileCreateFailure(Target());
            throw TFileExistsFailure(Target());
        }
    }
    // Something is there: what cannot be replaced is refused before any
    // work, a directory of that name or a read-only file.
    if (LookAt(target, false, kind, replaced_) == 0) {
        const DWORD attributes = ::GetFileAttributesW(target.c_str());
        if (kind == TFileKind::fkDirectory ||
            (kind == TFileKind::fkRegular && attributes != INVALID_FILE_ATTRIBUTES &&
             (attributes & FILE_ATTRIBUTE_READONLY) != 0))
            throw TFileCreateFailure(Target());
    } else {
        replaced_ = {};
        if (!Missing(::GetLastError()))
            throw TFileCreateFailure(Target());
    }
    CreateTemporary();
}

void TOutputFile::Discard() noexcept {
    if (!written_.empty()) {
        fd_.Reset();
        try {
            ::DeleteFileW(Child(dir_.Get(), written_).c_str());
        } catch (...) {
            // The directory can no longer be named: nothing to remove by.
        }
        written_.clear();
    }
}

void TOutputFile::TakeOwnerAndModeOf(const TLockedFile&) {
    // Files here take their access list from the directory they are made
    // in, as every program's files do; there are no mode bits to carry.
}

void TOutputFile::Flush() {
    if (!::FlushFileBuffers(AsHandle(fd_.Get())))
        ThrowForErrno(LastErrno());
    flushed_ = true;
}

void TOutputFile::Write(const void* buffer, std::size_t n) {
    const auto* in = static_cast<const unsigned char*>(buffer);
    const std::size_t done =
        MoveAll(n, position_, [&](std::size_t at, DWORD piece, DWORD& moved, OVERLAPPED& where) {
            return ::WriteFile(AsHandle(fd_.Get()), in + at, piece, &moved, &where) != 0;
        });
    // A write that moves nothing has no room left.
    if (done < n)
        ThrowForErrno(ENOSPC);
    Advance(static_cast<std::int64_t>(n));
}

void TOutputFile::Close() {
    const HANDLE handle = AsHandle(fd_.Get());
    // What replaces an older file reaches the disk before it takes its name.
    if (written_ != name_ && replaced_.Inode != 0 && !flushed_ && !::FlushFileBuffers(handle)) {
        const int err = LastErrno();
        Discard();
        ThrowForErrno(err);
    }
    // Closing can report a delayed write error: check it before the file
    // takes its name.
    if (const int err = fd_.Close(); err != 0) {
        Discard();
        ThrowForErrno(err);
    }
}

void TOutputFile::Commit() {
    Close();
    if (written_ != name_) {
        bool moved = false;
        try {
            moved = ::MoveFileExW(Child(dir_.Get(), written_).c_str(),
                                  Child(dir_.Get(), name_).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
        } catch (const TInOutFailure&) {
        }
        if (!moved) {
            Discard();
            throw TFileCreateFailure(Target());
        }
    }
    written_.clear();
}

namespace {

// Renames the file open as handle to path, never over another file; the
// file moves whatever name leads to it now.
bool RenameByHandle(HANDLE handle, const std::wstring& path) {
    const std::size_t bytes = sizeof(FILE_RENAME_INFO) + path.size() * sizeof(wchar_t);
    std::vector<std::uint64_t> buffer((bytes + 7) / 8, 0);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->FileNameLength = static_cast<DWORD>(path.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, path.data(), info->FileNameLength);
    return ::SetFileInformationByHandle(handle, FileRenameInfo, info,
                                        static_cast<DWORD>(buffer.size() * 8)) != 0;
}

// The file open as handle goes when its last handle is closed.
bool DeleteByHandle(HANDLE handle) {
    FILE_DISPOSITION_INFO info{};
    info.DeleteFile = TRUE;
    return ::SetFileInformationByHandle(handle, FileDispositionInfo, &info, sizeof info) != 0;
}

bool Leads(const std::wstring& path, const TLockedFile& held) {
    TFileKind kind = TFileKind::fkUnknown;
    TFileIdentity there;
    return LookAt(path, false, kind, there) == 0 && there.SameFileAs(held.Identity());
}

} // namespace

bool TOutputFile::CommitOver(TLockedFile& held) {
    Close();
    std::wstring target, temporary, aside;
    try {
        target = Child(dir_.Get(), name_);
        temporary = Child(dir_.Get(), written_);
        aside = Child(dir_.Get(), TemporaryName());
    } catch (const TInOutFailure&) {
        Discard();
        throw TFileCreateFailure(Target());
    }
    if (!Leads(target, held)) {
        Discard();
        return false;
    }
    if (!held.CanBeMoved()) {
        // Held without the right to move it: replaced by name, which leaves
        // a moment between the look above and the move.
        held.ReadyForReplacing();
        if (!::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            Discard();
            throw TFileCreateFailure(Target());
        }
        written_.clear();
        return true;
    }
    // The held file itself is moved aside, then the output takes the name
    // that is free now; a file that takes it first keeps it.
    const HANDLE old = AsHandle(held.Descriptor());
    if (!RenameByHandle(old, aside)) {
        Discard();
        return false;
    }
    if (!Leads(aside, held)) {
        // Moved by the name it was opened by: put back what was moved.
        ::MoveFileExW(aside.c_str(), target.c_str(), 0);
        Discard();
        return false;
    }
    const bool moved = ::MoveFileExW(temporary.c_str(), target.c_str(), 0) != 0;
    if (moved)
        written_.clear();
    // The old archive goes either way: replaced by the output, or by the
    // file that took its name as it was being replaced.
    if (!DeleteByHandle(old)) {
        held.ReadyForReplacing();
        ::DeleteFileW(aside.c_str());
    }
    held.ReadyForReplacing();
    if (!moved)
        Discard();
    return moved;
}

void TDirectory::FlushFileSystem() const {
    // Only an administrator may flush a volume: each file is flushed.
}

bool CanFlushFileSystem() {
    return false;
}

void TDirectory::Flush() const {
    // The system journals its names itself; a directory handle held for
    // listing cannot be flushed.
}

int CreateExclusive(const TDirectory& dir, const std::string& name, bool& taken) {
    taken = false;
    try {
        const HANDLE handle = CreateNew(Child(dir.Get(), name));
        taken = handle == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_FILE_EXISTS;
        return AsDescriptor(handle);
    } catch (const TInOutFailure&) {
        return -1;
    }
}

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

void HoldTemporary(int) {
    // A temporary is written without delete sharing: no one removes it
    // while its writer has it open.
}

bool IsLeftover(const TDirectory& dir, const std::string& name, TFileIdentity& identity) {
    std::wstring path;
    try {
        path = Child(dir.Get(), name);
    } catch (const TInOutFailure&) {
        return false;
    }
    // Opened for deleting, which a writer that still has it open refuses.
    const TFileDescriptor handle(
        AsDescriptor(::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr)));
    DWORD attributes = 0;
    return handle && Look(AsHandle(handle.Get()), identity, attributes) &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

bool RemoveLeftover(const TDirectory& dir, const TLeftover& leftover) {
    std::wstring path;
    try {
        path = Child(dir.Get(), leftover.Name);
    } catch (const TInOutFailure&) {
        return false;
    }
    const TFileDescriptor handle(
        AsDescriptor(::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr)));
    if (!handle)
        return Missing(::GetLastError());
    TFileIdentity now;
    DWORD attributes = 0;
    return Look(AsHandle(handle.Get()), now, attributes) && now.SameFileAs(leftover.Identity) &&
           DeleteByHandle(AsHandle(handle.Get()));
}

TMappedTemporary::TMappedTemporary(const TDirectory& dir, std::size_t size)
    : dir_(dir), size_(size) {
    for (int attempt = 0; attempt < 100 && !fd_; ++attempt) {
        name_ = TemporaryName();
        std::wstring path;
        try {
            path = Child(dir.Get(), name_);
        } catch (const TInOutFailure&) {
            break;
        }
        // No delete sharing: while it is open, no other run removes it.
        fd_.Reset(
            AsDescriptor(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                       nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr)));
        if (!fd_ && ::GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (!fd_)
        throw TFileCreateFailure(dir.Path());
    const auto high = static_cast<DWORD>(static_cast<std::uint64_t>(size) >> 32);
    const HANDLE mapping = ::CreateFileMappingW(AsHandle(fd_.Get()), nullptr, PAGE_READWRITE, high,
                                                static_cast<DWORD>(size), nullptr);
    void* view =
        mapping != nullptr ? ::MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, size) : nullptr;
    if (view == nullptr) {
        if (mapping != nullptr)
            ::CloseHandle(mapping);
        fd_.Reset();
        try {
            ::DeleteFileW(Child(dir.Get(), name_).c_str());
        } catch (const TInOutFailure&) {
        }
        throw TFileCreateFailure(dir.Path());
    }
    mapping_ = reinterpret_cast<std::intptr_t>(mapping);
    bytes_ = static_cast<unsigned char*>(view);
}

TMappedTemporary::~TMappedTemporary() {
    ::UnmapViewOfFile(bytes_);
    ::CloseHandle(reinterpret_cast<HANDLE>(mapping_));
    fd_.Reset();
    try {
        ::DeleteFileW(Child(dir_.Get(), name_).c_str());
    } catch (...) {
        // The directory can no longer be named: the next run removes it.
    }
}

std::int64_t KernelCopy(int, std::int64_t&, int, std::int64_t&, std::size_t, int& err) {
    // The system has no copy between open files: the caller's buffer does it.
    err = ENOSYS;
    return -1;
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
