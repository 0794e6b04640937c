#include "archive/PakExtractPlan.h"
#include "framework/Failures.h"
#include "framework/Files.h"
#include "support/Platform.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

namespace zorvak {
namespace {

using test::TTempDir;
using test::WriteFile;

TPakEntries EntriesOf(const std::vector<TPakEntry>& list) {
    TPakEntries entries;
    for (const TPakEntry& e : list)
        entries.push_back(e);
    return entries;
}

std::vector<std::size_t> Numbers(const TExtractPlan& plan) {
    std::vector<std::size_t> numbers;
    for (const TPlannedEntry& p : plan.Entries)
        numbers.push_back(p.Entry);
    return numbers;
}

// Notes as "kind entry first", kept files by their entry alone.
std::vector<std::string> Notes(const TExtractPlan& plan) {
    std::vector<std::string> notes;
    for (const TExtractNote& n : plan.Notes)
        notes.push_back(n.Kind == TExtractNoteKind::enKept
                            ? "kept " + std::to_string(n.Entry)
                            : (n.Kind == TExtractNoteKind::enRepeated ? "again " : "same ") +
                                  std::to_string(n.Entry) + " " + std::to_string(n.First));
    return notes;
}

// Repeats and other names for one file are judged among the entries asked
// for only; the first of them is written, as the game reads it.
TEST(PakExtractPlan, TakesWhatTheRequestAsksForOnceEach) {
    const TPakEntries entries = EntriesOf({{"progs.dat", 12, 100},
                                           {"sound/a.wav", 112, 10},
                                           {"sound/amb/Wind.WAV", 122, 20},
                                           {"progs.dat", 142, 5},
                                           {"maps//e1m1.bsp", 147, 30},
                                           {"maps/e1m1.bsp", 177, 40},
                                           {"bad.dat", 217, -5}});
    const auto rows = [](std::vector<bool> r) {
        TExtractRequest request;
        request.Rows = std::move(r);
        return request;
    };
    const auto named = [](std::vector<std::string> names, std::vector<std::string> patterns) {
        TExtractRequest request;
        request.Names = std::move(names);
        request.Patterns = std::move(patterns);
        return request;
    };
    TExtractRequest all;
    all.All = true;
    const struct {
        const char* What;
        TExtractRequest Request;
        std::vector<std::size_t> Written;
        std::vector<std::string> Notes;
        std::vector<std::string> Missing;
        std::vector<std::string> Unmatched;
        std::int64_t Bytes;
    } cases[] = {
        {"all", all, {0, 1, 2, 4, 6}, {"again 3 0", "same 5 4"}, {}, {}, 160},
        {"rows", rows({false, true, false, true, false, false, true}), {1, 3, 6}, {}, {}, {}, 15},
        {"rows cut short", rows({false, true}), {1}, {}, {}, {}, 10},
        {"no rows", rows({}), {}, {}, {}, {}, 0},
        {"names",
         named({"sound/a.wav", "nope", "Progs.dat", "nope"}, {}),
         {1},
         {},
         {"Progs.dat", "nope"},
         {},
         10},
        {"the second name of a file alone", named({"maps/e1m1.bsp"}, {}), {5}, {}, {}, {}, 40},
        {"both names of a file",
         named({"maps/e1m1.bsp", "maps//e1m1.bsp"}, {}),
         {4},
         {"same 5 4"},
         {},
         {},
         30},
        {"patterns",
         named({}, {"SOUND/*.wav", "*.pcx", "*.pcx"}),
         {1, 2},
         {},
         {},
         {"*.pcx", "*.pcx"},
         30},
        {"names and patterns",
         named({"progs.dat"}, {"*.bsp"}),
         {0, 4},
         {"again 3 0", "same 5 4"},
         {},
         {},
         130},
    };
    for (const auto& c : cases) {
        const TExtractPlan plan = PlanExtraction(entries, c.Request);
        EXPECT_EQ(Numbers(plan), c.Written) << c.What;
        EXPECT_EQ(Notes(plan), c.Notes) << c.What;
        EXPECT_EQ(plan.Missing, c.Missing) << c.What;
        EXPECT_EQ(plan.Unmatched, c.Unmatched) << c.What;
        EXPECT_EQ(plan.Bytes, c.Bytes) << c.What;
        const bool sameFile = std::count(c.Notes.begin(), c.Notes.end(), "same 5 4") > 0;
        EXPECT_EQ(plan.Complete(), !sameFile && c.Missing.empty() && c.Unmatched.empty()) << c.What;
    }
}

TEST(PakExtractPlan, NamesAFewPassedOverAndCountsThemAll) {
    std::vector<TPakEntry> list(13, TPakEntry{"x", 12, 1});
    list.push_back({"y//z", 12, 1});
    for (int i = 0; i < 12; ++i)
        list.push_back({"y/z", 12, 1});
    TExtractRequest all;
    all.All = true;
    const TExtractPlan plan = PlanExtraction(EntriesOf(list), all);
    EXPECT_EQ(Numbers(plan), (std::vector<std::size_t>{0, 13}));
    EXPECT_EQ(plan.Repeated, 12 + 11);
    EXPECT_EQ(plan.SameFile, 1);
    EXPECT_EQ(plan.Notes.size(), 11u);
}

// A file there is kept, and needs no room; a directory in the way, or a
// name with no place below the destination, is left to the extraction.
TEST(PakExtractPlan, KeepsFilesThatAreThere) {
    TTempDir dir;
    WriteFile(dir / "progs.dat", "old");
    std::filesystem::create_directories(dir / "in/sound/a.wav");
#ifdef _WIN32
    // A link to nothing is no file there to the Windows library.
    WriteFile(dir / "in/link", "");
#else
    ASSERT_TRUE(test::MakeLink("nowhere", dir / "in/link"));
#endif
    const TPakEntries entries = EntriesOf(
        {{"../progs.dat", 12, 1}, {"sound/a.wav", 13, 2}, {"link", 15, 4}, {"new.dat", 19, 8}});
    for (const bool listKept : {false, true}) {
        TExtractRequest request;
        request.All = true;
        request.KeepExistingIn = dir / "in";
        request.ListKept = listKept;
        const TExtractPlan plan = PlanExtraction(entries, request);
        ASSERT_EQ(Notes(plan), std::vector<std::string>{"kept 2"});
        EXPECT_EQ(plan.Notes[0].Path, dir / "in/link");
        const std::vector<std::size_t> written =
            listKept ? std::vector<std::size_t>{0, 1, 2, 3} : std::vector<std::size_t>{0, 1, 3};
        EXPECT_EQ(Numbers(plan), written);
        EXPECT_EQ(plan.Bytes, 1 + 2 + 8);
        EXPECT_TRUE(plan.Complete());
    }
}

// The copier reads ahead over small entries that follow back to back, and
// stops before a big one, a gap, or a kept file.
TEST(PakExtractPlan, ReadAheadEndsWhereTheRunOfSmallEntriesEnds) {
    TTempDir dir;
    WriteFile(dir / "kept", "");
    const std::int32_t big = 1 << 20;
    const TPakEntries entries = EntriesOf({{"a", 12, 10},
                                           {"b", 22, 10},
                                           {"empty", 32, 0},
                                           {"c", 32, 10},
                                           {"big", 42, big},
                                           {"d", 42 + big, 10},
                                           {"gap", 52 + big, 10},
                                           {"e", 62 + big, 10},
                                           {"kept", 72 + big, 10},
                                           {"f", 82 + big, 10}});
    TExtractRequest request;
    request.Rows = {true, true, true, true, true, true, false, true, true, true};
    request.KeepExistingIn = dir.Path();
    request.ListKept = true;
    const TExtractPlan plan = PlanExtraction(entries, request);
    std::vector<std::int64_t> ends;
    for (const TPlannedEntry& p : plan.Entries)
        ends.push_back(p.ReadAheadTo);
    EXPECT_EQ(ends, (std::vector<std::int64_t>{42, 42, 42, 42, 52 + big, 52 + big, 72 + big,
                                               82 + big, 92 + big}));
}

TEST(PakExtractPlan, CountsSharedBytesAndRefusesARunThatCannotFit) {
    const TPakEntries shared =
        EntriesOf({{"a", 12, 10}, {"b", 12, 10}, {"c", 14, 4}, {"d", -1, 4}, {"e", 30, 0}});
    TExtractRequest all;
    all.All = true;
    const TExtractOverlap overlap = PlanExtraction(shared, all).Overlap;
    EXPECT_EQ(overlap.Shared, 2);
    EXPECT_EQ(overlap.Distinct, 10);
    EXPECT_EQ(overlap.Written, 24);

    TTempDir dir;
    const TDirectory root = TDirectory::Open(dir.Path());
    TPakEntries entries;
    for (int i = 0; i < 100'000; ++i)
        entries.push_back({"f" + std::to_string(i), 12, std::numeric_limits<std::int32_t>::max()});
    const TExtractPlan plan = PlanExtraction(entries, all);
    if (root.FreeBytes() >= plan.Bytes)
        GTEST_SKIP() << "a disk of more than 200 TB free";
    try {
        plan.CheckRoom(root);
        ADD_FAILURE() << "a run of " << plan.Bytes << " bytes fits";
    } catch (const TFailure& e) {
        EXPECT_THAT(e.what(), ::testing::StartsWith("Disk full: the entries need 214,748,364,"));
    }
}

} // namespace
} // namespace zorvak
