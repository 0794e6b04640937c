// libFuzzer entry: verify reads any archive without a fault and tells every
// problem it counts.
#include "PakChecks.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size > zorvak::fuzz::kMaxArchiveInput)
        return 0;
    if (!zorvak::fuzz::CheckVerify(std::vector<unsigned char>(data, data + size)))
        std::abort();
    return 0;
}
