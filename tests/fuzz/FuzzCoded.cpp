// libFuzzer entry: any byte string as an archive, every coded entry (a ZIP
// member, a Daikatana entry) decoded: refused or whole, never past its size.
#include "PakChecks.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size > zorvak::fuzz::kMaxArchiveInput)
        return 0;
    if (!zorvak::fuzz::CheckCoded(std::vector<unsigned char>(data, data + size)))
        std::abort();
    return 0;
}
