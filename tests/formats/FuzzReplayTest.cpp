// Every input the formats' fuzzers were seeded with or ever crashed on is
// checked again here, as the fuzzers check it.
#include "fuzz/FormatsFuzzCheck.h"
#include "support/FuzzInputs.h"

#include <gtest/gtest.h>

namespace zorvak {
namespace {

TEST(FormatsFuzzReplay, KnownInputsDecodeWithoutFault) {
    for (const test::TFormatFuzzTarget& known : test::kFormatFuzzTargets) {
        const std::string_view target = known.Name;
        const std::string name(target);
        const int replayed = test::ForEachFuzzInput(
            name + "_corpus", name, [&](const auto& path, const auto& bytes) {
                EXPECT_EQ(test::FormatFuzzFault(target, bytes), "") << path;
            });
        EXPECT_GT(replayed, 0) << name << ": the seed corpus is missing";
    }
}

} // namespace
} // namespace zorvak
