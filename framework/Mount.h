// A read-only tree of files served to every program as a folder: the
// system's user-space file systems (FUSE) on Linux; elsewhere refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvak {

// What the folder shows. Paths are "/" for the top and "/a/b" below it.
// Answers are errno values (ENOENT, EIO, ...) or 0; a call never throws.
class TMountSource {
public:
    struct TNode {
        bool Folder = false;
        std::uint64_t Size = 0;
    };

    virtual ~TMountSource() = default;
    virtual std::optional<TNode> Find(std::string_view path) = 0;
    // The names in the folder at path, "." and ".." left out.
    virtual int List(std::string_view path, std::vector<std::string>& names) = 0;
    // A file opened for reading: handle names it until Release.
    virtual int Open(std::string_view path, std::uint64_t& handle) = 0;
    // Up to n bytes at offset into buffer: the count read, or -errno.
    virtual long Read(std::uint64_t handle, std::uint64_t offset, char* buffer, std::size_t n) = 0;
    virtual void Release(std::uint64_t handle) = 0;
    // The time every node shows, in nanoseconds since 1970.
    virtual std::int64_t ModifiedNs() const = 0;
};

// Serves source at folder until it is unmounted (fusermount3 -u) or the
// process is stopped by a signal. Unless foreground, the process leaves the
// terminal once the folder is there (the caller's process ends, with status
// 0, in the parent). mounted is called once it is there. Throws TFailure
// "Cannot mount at FOLDER: WHY" when it cannot be served.
void ServeFolder(TMountSource& source, const std::string& folder, bool foreground,
                 const std::function<void()>& mounted);

} // namespace zorvak
