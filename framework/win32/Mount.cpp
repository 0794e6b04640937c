// Windows has no user-space file systems without a driver of its own.
#include "framework/Mount.h"

#include "framework/Failures.h"

namespace zorvak {

void ServeFolder(TMountSource&, const std::string& folder, bool, const std::function<void()>&) {
    throw TFailure("Cannot mount at " + folder +
                   ": this system has no user-space file systems (FUSE)");
}

} // namespace zorvak
