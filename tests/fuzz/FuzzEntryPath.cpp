// libFuzzer entry, differential: a name the output-path rule accepts lands
// inside the directory, and verify and extraction judge it alike.
#include "PakChecks.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size > zorvak::fuzz::kMaxNameInput)
        return 0;
    if (!zorvak::fuzz::CheckEntryPath(std::string(reinterpret_cast<const char*>(data), size)))
        std::abort();
    return 0;
}
