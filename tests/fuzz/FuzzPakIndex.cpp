// libFuzzer entry: any byte string as an archive must read without a fault,
// and never list an entry made of bytes that are not there.
#include "PakChecks.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size > zorvak::fuzz::kMaxArchiveInput)
        return 0;
    if (!zorvak::fuzz::CheckIndex(std::vector<unsigned char>(data, data + size)))
        std::abort();
    return 0;
}
