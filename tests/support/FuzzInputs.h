// The inputs a fuzz target keeps: its seed corpus and every input that ever
// crashed it, for the ordinary tests to check again as the target does.
#pragma once

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace zorvak::test {

// Calls check with each input of target (tests/fuzz/CORPUS, and the files
// of tests/fuzz/crashes named "fuzz_TARGET-..."); returns how many.
inline int ForEachFuzzInput(const std::string& corpus, const std::string& target,
                            const std::function<void(const std::filesystem::path&,
                                                     const std::vector<unsigned char>&)>& check) {
    const std::filesystem::path root(ZORVAK_FUZZ_INPUTS);
    int replayed = 0;
    const std::string crashes = "fuzz_" + target + "-";
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
            check(item.path(), bytes);
            ++replayed;
        }
    }
    return replayed;
}

} // namespace zorvak::test
