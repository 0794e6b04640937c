// Every input a fuzzer ever crashed on, and its seed corpus, is read again
// here by the ordinary tests, with the same demands the fuzzer makes.
#include "fuzz/PakChecks.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

namespace zorvak {
namespace {

std::vector<unsigned char> Bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FuzzReplay, KnownInputsKeepEveryPromise) {
    const std::filesystem::path inputs = ZORVAK_FUZZ_INPUTS;
    const struct {
        const char* Target; // crashes are kept as "fuzz_<target>-..."
        const char* Corpus;
        std::function<bool(const std::vector<unsigned char>&)> Check;
    } targets[] = {
        {"pak_index", "corpus", fuzz::CheckIndex},
        {"verify", "verify_corpus", fuzz::CheckVerify},
        {"entry_path", "entry_path_corpus",
         [](const std::vector<unsigned char>& b) {
             return fuzz::CheckEntryPath(std::string(b.begin(), b.end()));
         }},
    };
    for (const auto& t : targets) {
        int replayed = 0;
        const auto replay = [&](const std::filesystem::path& file) {
            EXPECT_TRUE(t.Check(Bytes(file))) << t.Target << ": " << file;
            ++replayed;
        };
        for (const auto& item : std::filesystem::directory_iterator(inputs / t.Corpus))
            if (item.is_regular_file() && !item.path().filename().string().starts_with("."))
                replay(item.path());
        EXPECT_GT(replayed, 0) << t.Target << ": the seed corpus is missing";
        if (std::filesystem::is_directory(inputs / "crashes"))
            for (const auto& item : std::filesystem::directory_iterator(inputs / "crashes"))
                if (item.path().filename().string().starts_with(std::string("fuzz_") + t.Target +
                                                                "-"))
                    replay(item.path());
    }
}

} // namespace
} // namespace zorvak
