// Every input the formats' fuzzers were seeded with or ever crashed on is
// checked again here, as the fuzzers check it.
#include "fuzz/FormatsFuzzCheck.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace zorvak {
namespace {

TEST(FormatsFuzzReplay, KnownInputsDecodeWithoutFault) {
    const std::filesystem::path root(ZORVAK_FUZZ_INPUTS);
    for (const std::string_view target : test::kFormatFuzzTargets) {
        SCOPED_TRACE(std::string(target));
        int replayed = 0;
        const std::string corpus = std::string(target) + "_corpus";
        const std::string crashes = "fuzz_" + std::string(target) + "-";
        for (const auto& [sub, prefix] : {std::pair{corpus, std::string()}, {"crashes", crashes}}) {
            if (!std::filesystem::is_directory(root / sub))
                continue;
            for (const auto& item : std::filesystem::directory_iterator(root / sub)) {
                const std::string name = item.path().filename().string();
                if (!item.is_regular_file() || name.starts_with(".") || !name.starts_with(prefix))
                    continue;
                std::ifstream in(item.path(), std::ios::binary);
                const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                                       std::istreambuf_iterator<char>());
                EXPECT_EQ(test::FormatFuzzFault(target, bytes), "") << item.path();
                ++replayed;
            }
        }
        EXPECT_GT(replayed, 0) << "the seed corpus is missing";
    }
}

} // namespace
} // namespace zorvak
