// libFuzzer entry for the scene readers: any bytes read as a Quake model,
// a Quake II model and a map must fail with a message or give a scene that
// holds together (MeshFuzzCheck.h).
#include "MeshFuzzCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string fault =
        zorvak::test::MeshFuzzFault(std::span<const unsigned char>(data, size));
    if (!fault.empty()) {
        std::fprintf(stderr, "%s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
