// libFuzzer entry: any byte string as rich text must read without a fault,
// and the model must hold together.
#include "../support/RtfModelCheck.h"
#include "windows/RtfParser.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string fault = zorvak::test::RtfModelFault(zorvak::ReadRtf(bytes));
    if (!fault.empty()) {
        std::fprintf(stderr, "%s\n", fault.c_str());
        std::abort();
    }
    (void)zorvak::DecodePlainText(bytes);
    return 0;
}
