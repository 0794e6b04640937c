// Extracting one entry: where it goes, the directories it needs, and the
// chunked copy from the archive into a file that replaces its target only
// once complete.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace zorvak {

// The output path of entry name for the archive at archive: the archive's
// directory, then the name's "/"-separated levels. Throws TFailure naming the
// entry when the name is empty, absolute, starts with a drive, or has an
// empty, "." or ".." level: nothing is ever written outside that directory.
std::filesystem::path EntryOutputPath(const std::filesystem::path& archive,
                                      const std::string& name);
// The same under a directory of the caller's choice.
std::filesystem::path EntryOutputPathIn(const std::filesystem::path& dir, const std::string& name);

// How many missing directory levels ForceDirPath creates at most.
inline constexpr int kMaxForcedLevels = 14;

// Creates dir and up to 14 missing levels above it, outermost first. Throws
// TInOutFailure for the first creation that fails; levels made before stay.
void ForceDirPath(const std::filesystem::path& dir);

// What the copy reports while it runs.
class TCopyObserver {
public:
    virtual ~TCopyObserver() = default;
    // Once, before the first chunk: the number of chunk steps the gauge
    // should span (length div chunk size + 1).
    virtual void Started(std::int32_t maxValue) = 0;
    // Before each chunk; returning false abandons the copy.
    virtual bool BeforeChunk() = 0;
};

// Copies length bytes at pos of the archive into out, in chunks of 10240
// bytes through one buffer. The archive is opened without sharing; out is
// replaced only when the copy is complete. Returns false when the observer
// abandoned it (out is then untouched). Throws TFileOpenFailure (archive),
// TFileCreateFailure (out), TInOutFailure "Read beyond end of file" when the
// archive ends before the entry does, TFailure for a negative position or
// length or when out is the archive itself, and the write's failure.
bool CopyEntry(const std::filesystem::path& archive, std::int32_t pos, std::int32_t length,
               const std::filesystem::path& out, const std::string& name, TCopyObserver& observer);

} // namespace zorvak
