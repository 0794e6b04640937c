// Every input a fuzzer of the archive code ever crashed on, and its seed
// corpus, is read again here by the ordinary tests, with the same demands
// the fuzzer makes.
#include "fuzz/PakChecks.h"
#include "support/FuzzInputs.h"

#include <functional>
#include <gtest/gtest.h>

namespace zorvak {
namespace {

TEST(FuzzReplay, KnownInputsKeepEveryPromise) {
    const struct {
        const char* Target;
        const char* Corpus;
        std::function<bool(const std::vector<unsigned char>&)> Check;
    } targets[] = {
        {"pak_index", "corpus", fuzz::CheckIndex},
        {"verify", "verify_corpus", fuzz::CheckVerify},
        {"coded", "coded_corpus", fuzz::CheckCoded},
        {"entry_path", "entry_path_corpus",
         [](const std::vector<unsigned char>& b) {
             return fuzz::CheckEntryPath(std::string(b.begin(), b.end()));
         }},
    };
    for (const auto& t : targets) {
        const int replayed =
            test::ForEachFuzzInput(t.Corpus, t.Target, [&](const auto& path, const auto& bytes) {
                EXPECT_TRUE(t.Check(bytes)) << path;
            });
        EXPECT_GT(replayed, 0) << t.Target << ": the seed corpus is missing";
    }
}

} // namespace
} // namespace zorvak
