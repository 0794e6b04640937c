// Building a ZIP (PK3) archive from the files a walk lists: each file
// deflated at level 6 (stored when that saves nothing), on as many threads
// as the hooks give, and written in the list's order. A piece whose first
// 32 KiB deflate cannot shrink by 2 % at level 1 is not searched at level 6:
// it is stored (a file of one piece) or put in deflate's stored blocks.
//
// A file is deflated in pieces of kZipBuildPiece bytes, each from the 32 KiB
// before it, so that any thread can take any piece and big files use every
// core; the pieces join into one deflate stream. The bytes written depend on
// the files alone, never on the number of threads.
#pragma once

#include "archive/PakBuild.h"

#include <cstddef>
#include <filesystem>
#include <vector>

namespace zorvak {

inline constexpr std::size_t kZipBuildPiece = 1024 * 1024;
inline constexpr int kZipBuildLevel = 6;

// Whether a build's output path asks for a ZIP: it ends in ".pk3" or ".zip"
// (letter case ignored).
bool IsZipArchivePath(const std::filesystem::path& output);

// Writes files as a ZIP at output, beside it under a temporary name and
// renamed over it when complete (flushed first), as WritePakFile does. Uses
// the hooks' Pump, DataRow, Inputs, Readers (the threads that deflate; 0
// deflates on the caller's thread) and Told. With fixedTimes every member
// gets the earliest time a ZIP holds, else its file's modification time.
// Throws "Cannot create file", "Cannot open file", the read or write
// failure, or TFailure when a file changed while it was read. Returns false,
// having removed the temporary, when Pump stopped it.
bool WriteZipFile(const std::filesystem::path& output, const std::vector<TPakBuildFile>& files,
                  const TPakBuildHooks& hooks, bool fixedTimes);

} // namespace zorvak
