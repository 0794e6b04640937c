// Every input the directory fuzzer ever crashed on, and its seed corpus, is
// read again here by the ordinary tests.
#include "archive/PakReader.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace zorvak {
namespace {

TEST(FuzzReplay, KnownInputsReadWithoutFault) {
    int replayed = 0;
    for (const char* sub : {"crashes", "corpus"}) {
        const std::filesystem::path dir = std::filesystem::path(ZORVAK_FUZZ_INPUTS) / sub;
        if (!std::filesystem::is_directory(dir))
            continue;
        for (const auto& item : std::filesystem::directory_iterator(dir)) {
            if (!item.is_regular_file() || item.path().filename().string().starts_with("."))
                continue;
            std::ifstream in(item.path(), std::ios::binary);
            std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                             std::istreambuf_iterator<char>());
            TMemoryStream stream(bytes);
            const TPakIndex index = ReadPakIndex(stream);
            EXPECT_LE(index.Entries.size() * 64, bytes.size()) << item.path();
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0) << "the seed corpus is missing";
}

} // namespace
} // namespace zorvak
