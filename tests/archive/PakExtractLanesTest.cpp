#include "archive/PakExtractLanes.h"
#include "archive/PakReader.h"
#include "archive/PakWriter.h"
#include "framework/Failures.h"
#include "framework/Files.h"
#include "support/PakImage.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace zorvak {
namespace {

namespace fs = std::filesystem;
using namespace test;

// Every file below dir by its path there, and its bytes.
std::map<std::string, std::string> Tree(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file() && !IsTemporaryName(e.path().filename().string()))
            files[e.path().lexically_relative(dir).generic_string()] = ReadFile(e.path());
    return files;
}

struct TRun {
    std::map<std::string, std::string> Files;
    std::vector<std::string> Told; // each outcome told, in order
    bool Complete = false;
};

// Extracts the archive's entries on lanes threads; told ends the run at the
// failure numbered endAt (0: never).
TRun Extract(const fs::path& pak, const fs::path& out, unsigned lanes, bool keep, int endAt) {
    TLockedFile file(pak);
    const TPakIndex index = ReadPakIndex(file);
    TExtractRequest request;
    request.Rows.assign(index.Entries.size(), true);
    const TExtractPlan plan = PlanExtraction(index.Entries, request);
    TExtractTarget target(out);
    target.Recover();
    target.KeepExisting(keep);
    TRun run;
    int failures = 0;
    TLaneHooks hooks;
    hooks.Told = [&](const TPlannedEntry& p, const TLaneOutcome& o) {
        std::string line(index.Entries[p.Entry].Name);
        if (o.Kind == TLaneOutcome::okFailed) {
            try {
                std::rethrow_exception(o.Failure);
            } catch (const TFailure& e) {
                line += ": " + std::string(e.what());
            }
            if (++failures == endAt) {
                run.Told.push_back(line);
                return false;
            }
        }
        run.Told.push_back(line);
        return true;
    };
    run.Complete = ExtractInLanes(target, file, index.Entries, plan.Entries, lanes, hooks);
    target.Finish();
    run.Files = Tree(out);
    return run;
}

// Threads extract what one thread extracts, and tell the same in the same
// order: unsafe names and damaged entries among many folders, files kept,
// and a failure that ends the run, after which nothing more is told.
TEST(ExtractInLanes, SeveralThreadsGiveWhatOneGives) {
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < 300; ++i)
        files.emplace_back(
            "d" + std::to_string(i % 17) + "/s" + std::to_string(i % 3) + "/f" + std::to_string(i) +
                ".dat",
            std::string(static_cast<std::size_t>(i * 37 % 5000), char('a' + i % 26)));
    files.insert(files.begin() + 40, {"../escape.dat", "x"});
    files.insert(files.begin() + 200, {"/abs.dat", "y"});
    files.emplace_back("big/one.bin", std::string(300 * 1024, 'b'));
    files.emplace_back("top.txt", "top");
    TTempDir dir;
    const fs::path pak = dir / "a.pak";
    WriteFile(pak, BuildPakImage(files));
    // One entry's data run past the file's end.
    {
        std::string bytes = ReadFile(pak);
        const TPakIndex index = ReadPakIndex(pak);
        const std::size_t record = static_cast<std::size_t>(index.DirOffset) + 120 * 64;
        const std::int32_t beyond = 0x7FFFFF00;
        std::memcpy(bytes.data() + record + 56, &beyond, sizeof beyond);
        WriteFile(pak, bytes);
    }
    const struct {
        bool Keep; // a few files are there already and stay
        int EndAt; // the failure that ends the run, 0: none
    } cases[] = {{false, 0}, {true, 0}, {false, 1}, {false, 2}, {true, 3}};
    for (const auto& c : cases) {
        std::vector<TRun> runs;
        // One folder for every run, so that messages naming it are alike.
        const fs::path out = dir / "out";
        for (const unsigned lanes : {1u, 2u, 4u}) {
            fs::remove_all(out);
            fs::create_directory(out);
            if (c.Keep)
                for (const char* name : {"d3/s0/f3.dat", "top.txt", "d16/s1/f16.dat"})
                    WriteFile(out / name, "there before");
            runs.push_back(Extract(pak, out, lanes, c.Keep, c.EndAt));
        }
        const std::string what = std::to_string(c.Keep) + " " + std::to_string(c.EndAt);
        EXPECT_EQ(runs[0].Complete, c.EndAt == 0) << what;
        EXPECT_GE(runs[0].Told.size(), c.EndAt == 0 ? files.size() : 1) << what;
        for (std::size_t r = 1; r < runs.size(); ++r) {
            EXPECT_EQ(runs[r].Told, runs[0].Told) << what << " lanes run " << r;
            EXPECT_EQ(runs[r].Complete, runs[0].Complete) << what;
            // A run ended early may have written more on other threads, but
            // never a file another run wrote differently.
            if (c.EndAt == 0) {
                EXPECT_EQ(runs[r].Files, runs[0].Files) << what;
            } else {
                for (const auto& [name, bytes] : runs[0].Files)
                    EXPECT_EQ(runs[r].Files[name], bytes) << what << " " << name;
            }
        }
    }
}

} // namespace
} // namespace zorvak
