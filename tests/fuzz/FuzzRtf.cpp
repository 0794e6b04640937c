// libFuzzer entry: any byte string as rich text must read without a fault,
// and the model must hold together.
#include "../support/RtfModelCheck.h"
#include "formats/RtfParser.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // Without limits, and with limits that the input is likely to reach.
    zorvak::TRtfLimits limits;
    limits.MaxTextBytes = size / 4;
    limits.MaxParagraphs = size % 7 + 1;
    for (const auto& limit : {zorvak::TRtfLimits{}, limits}) {
        const zorvak::TRtfModel model = zorvak::ReadRtf(bytes, {}, limit);
        std::string fault = zorvak::test::RtfModelFault(model);
        if (fault.empty() && (model.Text.size() > limit.MaxTextBytes ||
                              model.Paragraphs.size() > limit.MaxParagraphs))
            fault = "a limit was passed";
        if (!fault.empty()) {
            std::fprintf(stderr, "%s\n", fault.c_str());
            std::abort();
        }
    }
    (void)zorvak::DecodePlainText(bytes);
    return 0;
}
