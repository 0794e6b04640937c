// Questions about what a path names now, and the few changes made by path
// rather than below an open directory.
#pragma once

#include "framework/Directory.h"
#include "framework/FileIdentity.h"

#include <filesystem>
#include <string>
#include <vector>

namespace zorvak {

// What path is now (a final link followed when follow); false when nothing
// is there.
bool StatusAt(const std::filesystem::path& path, bool follow, TFileKind& kind,
              TFileIdentity& identity);
// The absolute path of what path names, every link on the way followed;
// false when nothing is there.
bool RealPath(const std::filesystem::path& path, std::filesystem::path& real);
// Whether someone holds the regular file at path so that an exclusive open
// is refused (a lock on Linux, a share mode on Windows).
bool HeldByAnother(const std::filesystem::path& path);
// Whether this process may read the file at path.
bool CanRead(const std::filesystem::path& path);
// Whether this process may make files in the directory at path.
bool CanWrite(const std::filesystem::path& path);

// Whether path is a directory now (a final link followed).
bool IsDirectory(const std::filesystem::path& path);
// Makes the directory path, whose parent must exist; one that is there
// already is fine. Throws TInOutFailure for the errno of a refusal.
void MakeDirectory(const std::filesystem::path& path);
// The names of the sub-directories of dir and of the links to directories
// in it, hidden ones too, in the file system's order; none when dir cannot
// be listed.
std::vector<std::string> SubdirectoryNames(const std::filesystem::path& dir);
// Makes dir the program's current directory. Throws TInOutFailure.
void ChangeDirectory(const std::filesystem::path& dir);

// The identity of what is at path now (of a final link itself unless
// follow); false when nothing is there.
bool IdentityAt(const std::filesystem::path& path, TFileIdentity& identity, bool follow = false);
// The same for name in dir, a final link followed.
bool IdentityAt(const TDirectory& dir, const std::string& name, TFileIdentity& identity);

} // namespace zorvak
