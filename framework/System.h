// What differs between the systems the program runs on below the file
// classes: the process's number, the kernel's own copy between files, and
// the names a level of an extracted path may take. Each system's folder
// (linux/, win32/) implements it; the rest of the core stays the same.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zorvak {

// A write refused for the user's quota; systems without one by errno say
// the disk is full instead.
#ifdef EDQUOT
inline constexpr int kQuotaErrno = EDQUOT;
#else
inline constexpr int kQuotaErrno = ENOSPC;
#endif

unsigned ProcessNumber();
// Whether a process numbered pid runs on this system now.
bool ProcessAlive(unsigned pid);

// A name for a temporary beside an output, unique within the process.
std::string TemporaryName();

class TDirectory;
struct TFileIdentity;
// Whether the temporary name in dir is a regular file no process holds
// (a writer's lock, or its share mode): its identity when it is.
bool IsLeftover(const TDirectory& dir, const std::string& name, TFileIdentity& identity);

// Marks a temporary just made as held by this process, for as long as fd
// is open (a lock where the system needs one).
void HoldTemporary(int fd);

// Creates name in dir for writing, never through a link at the name: the
// new descriptor, or -1 with taken set when something has the name already.
int CreateExclusive(const TDirectory& dir, const std::string& name, bool& taken);

// Copies up to n bytes of the file from at in to the file to at at without
// bringing them into the process, and moves both positions by what it
// copied. Returns that count, 0 at the end of from, or -1 with the errno in
// err (ENOSYS where the system has no such copy: use a buffer instead).
std::int64_t KernelCopy(int from, std::int64_t& in, int to, std::int64_t& at, std::size_t n,
                        int& err);

// Whether c separates directory levels in a path this system opens: "/",
// and on Windows also "\".
bool IsLevelSeparator(char c);

// Why this system cannot make a file or directory called level (one level,
// no separators), or empty when it can.
std::string NameProblemHere(std::string_view level);

// A path of levels joined by "/" as this system compares file names: the
// same text where letter case counts (Linux), else its letters in one case,
// as Windows folds them, so that two paths naming one file give one key.
std::string FileNameKey(std::string_view path);
// Whether this system's file names ignore letter case.
bool FileNamesIgnoreCase();

} // namespace zorvak
