// Building an archive from a directory tree: the walk that lists the files to
// store, the checks made before anything is written, and the two passes that
// write the data and then the directory.
#pragma once

#include "archive/PakExtract.h"
#include "framework/Files.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvak {

// One file to store: its name in the archive and the path the walk found it
// by, which both passes open (names are lowered, the file system may not be).
struct TPakBuildFile {
    std::string Name;
    std::string Path;      // plain bytes: a path object per row costs far more
    std::int64_t Size = 0; // as the walk saw it
    // Where the part of Path below the start directory begins, so both
    // passes open each file relative to its directory's descriptor.
    std::uint32_t RelativeFrom = 0;
    // Found as a link: what is stored is its target's bytes.
    bool Linked = false;
};

// What the build calls back. Pump handles pending events and answers false
// when the work must end at once (its owner has gone); nothing is called
// after a false answer and no state of the caller's is touched.
struct TPakBuildHooks {
    std::function<bool()> Pump;
    // The walk found a file to store; it becomes the next row.
    std::function<void(const TPakBuildFile&)> Found;
    // The data pass, then the directory pass, begins row index.
    std::function<void(std::size_t)> DataRow;
    // With KernelCopy: bytes of the row at hand are in the archive, told a
    // piece at a time for a big file, so a gauge can move by bytes.
    std::function<void(std::int64_t)> Copied;
    std::function<void(std::size_t)> DirectoryRow;
    // The archive the build will replace (Inode 0: none): never packed,
    // whatever its name.
    TFileIdentity Output;
    // How the passes open each file: without sharing, as the window does;
    // zorvak-pak relies on the identity checks alone.
    TShareMode Inputs = TShareMode::smExclusive;
    // Whether the directory pass looks at each file again where it was found
    // (the dialog's two passes); every file is also looked at through its
    // descriptor right after its copy.
    bool MeasureAgain = true;
    // Set: each big file goes into its place by the kernel's copy, from this
    // way on (the copier's ways in turn, a 1 MiB buffer last), and a small
    // one by one read. Unset, the dialog's 10240-byte copies.
    std::optional<TKernelCopy> KernelCopy;
    // With KernelCopy: this many threads open and read the small files ahead
    // of the writer, which takes them in the list's order, so the archive
    // and the failure told are those of a build on one thread. 0: none.
    // The walk shares the start directory's folders among as many threads,
    // calling Found once they are walked: Pump must then be safe to call
    // from any thread.
    unsigned Readers = 0;
    // Told one line for each leftover of a stopped run removed beside the
    // archive before it is written.
    std::function<void(const std::string&)> Told;
};

// Whether a stored name is an archive's, which the walk never packs: it ends
// in ".pak". Stored names are the path below the start directory, levels
// joined by "/", A-Z lowered and every other byte kept.
bool IsPakArchiveName(std::string_view storedName);

// Throws TFailure for an input that the system calls empty but that reads
// on (the files of /proc are made as they are read): stored, it would lose
// every byte. Only an empty input is asked, with a one-byte read.
void CheckSizeKnown(const TLockedFile& input, const std::string& path);

// The directory of each row, opened below the start directory level by
// level without following a link, the last row's levels kept open: how
// the build opens the files the walk listed (relative to their folder, so
// no path is spelt again in another encoding). One for each thread.
class TRowDirectories {
public:
    // The row's folder, and in base its own name there. Throws
    // TFileOpenFailure naming the row's path.
    const TDirectory& Of(const TPakBuildFile& row, std::string& base);

private:
    // More than a stored name can have: 55 bytes make at most 28 levels.
    static constexpr std::size_t kMaxLevels = 64;
    std::string root_;
    std::optional<TDirectoryChain> chain_;
};

// Throws TFailure "File changed while building: PATH" when input is no
// longer as it was opened (a writer changes a file's times before its
// bytes, so a change during a copy shows).
void CheckUnchangedSince(const TLockedFile& input, const TFileIdentity& opened,
                         const std::string& path);

// Walks start depth first, each directory in the order its listing gives,
// pumping once per listed entry, and appends every regular file to store to
// files (calling Found for each). Hidden files take part; names ending in
// ".pak" are skipped at any depth, and so are the program's own temporaries
// and hooks.Output; links to directories are never followed and links to
// files store the file's bytes; FIFOs, sockets and devices are passed over.
// A directory that cannot be opened or listed, or an entry that cannot be
// looked at, stops the walk with a TFailure naming it: no file is ever left
// out in silence. Returns false when Pump stopped it.
bool WalkPakTree(const std::filesystem::path& start, std::vector<TPakBuildFile>& files,
                 const TPakBuildHooks& hooks);

// Refuses, before anything is created, a build that cannot make a valid
// archive: a name over 55 bytes, two files under one stored name (names are
// lowered, so "Readme.TXT" and "readme.txt" would become one), a file of
// 2 GiB or more, or an archive that would reach 2 GiB. Throws TFailure
// naming the first such file (both, for a shared name). With newNames, every
// name must also meet CheckNewPakName, so that verify finds nothing in it.
// A ZIP (kind) has no 55-byte names and, with ZIP64, no 2 GiB limits.
void CheckPakBuild(const std::vector<TPakBuildFile>& files, bool newNames = false,
                   TPakKind kind = TPakKind::pkQuake);

// Where the archive named baseName is written in start: baseName + ".PAK",
// or, where file names are case-sensitive, lowered + ".pak" (the engines
// there look paks up in lower case). Throws TFailure for a base name that
// would leave start ("/" in it).
std::filesystem::path PakOutputPath(const std::filesystem::path& start, std::string_view baseName,
                                    bool caseSensitiveNames);

// Removes what stopped runs left beside output, one line to hooks.Told for
// each; a folder that cannot be opened is left to the archive's creation
// to tell.
void TellLeftoversRemoved(const std::filesystem::path& output, const TPakBuildHooks& hooks);

// Writes files as an archive at output: the data pass opens each file and
// copies it through one 10240-byte buffer, the directory pass measures each
// again by the same path and records exactly the bytes copied; both pump
// once per row. The archive is
// written beside output under a temporary name ending in ".pak" and renamed
// over output only when complete, so a failure leaves an older archive there
// intact. Throws "Cannot create file", "Cannot open file" (also for a file
// gone before the directory pass), the read or write failure, or TFailure
// when a file changed (size, modification or change time) while it was
// copied or between the passes. Returns
// false, having removed the temporary, when Pump stopped it.
bool WritePakFile(const std::filesystem::path& output, const std::vector<TPakBuildFile>& files,
                  const TPakBuildHooks& hooks);

} // namespace zorvak
