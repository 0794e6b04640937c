// libFuzzer entry for one decoder of the formats, picked when built
// (ZORVAK_FUZZ_FORMAT): any bytes must decode or fail with a message, and
// what decodes must hold together.
#include "FormatsFuzzCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string fault = zorvak::test::FormatFuzzFault(
        ZORVAK_FUZZ_FORMAT, std::span<const unsigned char>(data, size));
    if (!fault.empty()) {
        std::fprintf(stderr, "%s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
