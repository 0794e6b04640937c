#include "archive/PakEdit.h"
#include "archive/PakExtract.h"
#include "archive/PakVerify.h"
#include "archive/PakWriter.h"
#include "framework/Files.h"
#include "framework/Text.h"
#include "support/FailureOf.h"
#include "support/PakImage.h"
#include "support/Platform.h"
#include "support/TempDir.h"
#include "support/ZipImage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <optional>
#include <random>
#ifndef _WIN32
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zorvak {
namespace {

namespace fs = std::filesystem;
using test::FailureOf;
using test::ReadFile;
using test::TTempDir;
using test::WriteFile;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using TFiles = std::vector<std::pair<std::string, std::string>>;
using C = TPakChange;

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i * 7 % 251);
    return bytes;
}

// Entry 3 is big enough to go by the kernel's copy, not the read window.
const TFiles kBase = {{"a.txt", "AAA"},
                      {"maps/e1m1.bsp", "BSP!"},
                      {"empty", ""},
                      {"big.bin", Pattern(200 * 1024)},
                      {"sound/x.wav", "WAVE"}};

// An archive written by the builder's writer in a directory of its own.
struct TArchive {
    TTempDir dir;
    fs::path pak = dir / "pak0.pak";
    explicit TArchive(const TFiles& files = kBase) { WriteFile(pak, BuildPakImage(files)); }
};

// Files to add, shared by the cases of a table.
struct TInputs {
    TTempDir dir;
    TInputs() {
        WriteFile(dir / "one.txt", "one");
        WriteFile(dir / "two.txt", "two"); // as long as one.txt: read afresh, not from the window
    }
    std::string operator()(const char* name) const { return (dir / name).string(); }
};

TEST(PakEdit, RefusesAPlanThatBreaksAnyRuleOfTheBuilder) {
    const TInputs in;
    const TArchive a;
    WriteFile(in.dir / "dir/inner", "");
#ifndef _WIN32
    ASSERT_EQ(::mkfifo(in("pipe").c_str(), 0600), 0);
#endif
    ASSERT_TRUE(test::MakeLink(a.pak, in.dir / "alias"));
    for (const char* name : {"huge", "half1", "half2"})
        fs::resize_file((WriteFile(in.dir / name, ""), in.dir / name),
                        name[0] == 'h' && name[1] == 'u' ? 0x80000000u : 0x44000000u);
    const TPakIndex index = ReadPakIndex(a.pak);
    const struct {
        std::vector<TPakChange> Changes;
        std::string Message;
    } cases[] = {
        {{C::AddBytes("../x", "")}, "Unsafe entry name \"../x\""},
        {{C::Rename(0, "a/./b")}, "Unsafe entry name"},
        {{C::AddBytes("sound/", "")}, "\"sound/\" names no file"},
        {{C::AddBytes("a//b", "")}, "\"a//b\" has an empty level"},
        {{C::AddBytes(std::string("a\0b", 3), "")}, "holds a NUL byte: a\\0"},
        {{C::AddBytes(std::string(56, 'n'), "")}, "Name too long for a PAK archive (56 bytes"},
        {{C::AddBytes("a\x1b[2J", "")}, "\"a\x1b[2j\" has control characters"},
        {{C::Rename(0, "new\nline", true)}, "has control characters"},
        {{C::AddBytes("maps\\x.bsp", "")}, "levels are separated by \"/\""},
        {{C::AddBytes("maps /x.bsp", "")}, "a level that begins or ends with a space"},
        {{C::Rename(0, " lead", true)}, "a level that begins or ends with a space"},
        {{C::AddBytes("trail ", "")}, "a level that begins or ends with a space"},
        {{C::AddFile("x", in("missing"))}, "Cannot open file " + in("missing")},
        {{C::AddFile("x", in("dir"))}, "it is not a regular file"},
#ifndef _WIN32
        {{C::AddFile("x", in("pipe"))}, "it is not a regular file"},
#endif
        {{C::AddFile("x", in("alias"))}, "it is the archive being edited"},
        {{C::AddFile("n", in("one.txt")), C::AddFile("N", in("two.txt"))},
         "Two files would be stored as n: " + in("one.txt") + " and " + in("two.txt")},
        {{C::AddBytes("a.txt", ""), C::AddBytes("A.txt", "")}, "Two files would be stored as"},
        {{C::Rename(0, "Maps/E1M1.bsp")},
         "Cannot rename a.txt to maps/e1m1.bsp: maps/e1m1.bsp is stored already"},
        {{C::Rename(0, "b"), C::Rename(1, "B")}, "Cannot rename maps/e1m1.bsp to b: b is"},
        {{C::AddBytes("n", ""), C::Rename(0, "N")}, "Cannot rename a.txt to n"},
        {{C::Delete(5)}, "There is no entry 5: the archive has 5 entries"},
        {{C::Delete(0), C::Delete(0)}, "Entry 0 (a.txt) is deleted already"},
        {{C::Delete(0), C::Rename(0, "q")}, "Entry 0 (a.txt) is deleted already"},
        {{C::AddFile("huge", in("huge"))}, "File too large for a PAK archive (2147483648 bytes)"},
        {{C::AddFile("h1", in("half1")), C::AddFile("h2", in("half2"))},
         "Archive would reach 2 GiB at h2"},
    };
    for (const auto& c : cases)
        EXPECT_THAT(FailureOf([&] { PlanPakEdit(index, c.Changes); }), HasSubstr(c.Message));
    // The entries deleted first are gone for the changes after them.
    EXPECT_THAT(FailureOf([&] {
                    PlanPakEdit(index, {C::Delete(1)}, {0, 1, 0, 0, 0});
                }),
                HasSubstr("Entry 1 (maps/e1m1.bsp) is deleted already"));
    EXPECT_THAT(FailureOf([&] {
                    PlanPakEdit(index, {}, {1, 0});
                }),
                HasSubstr("do not match the archive's 5"));
}

// Random change lists over an archive that stores names twice, against a
// plain model of the rules: one change after another, the first entry of a
// name (case ignored) replaced, a name never added twice or taken by a rename.
TEST(PakEdit, PlansAgreeWithAModelOfTheRules) {
    const TFiles base = {{"a", "0"}, {"A", "1"}, {"b", "2"}, {"c/d", "3"}, {"B", "4"}};
    const TArchive a(base);
    const TPakIndex index = ReadPakIndex(a.pak);
    const char* names[] = {"a", "A", "b", "B", "c/d", "C/D", "e"};
    std::mt19937 random(7);
    const auto pick = [&](unsigned n) { return static_cast<int>(random() % n); };
    for (int round = 0; round < 400; ++round) {
        struct TItem {
            int Entry; // in the index, -1 when added
            std::string Name, Data;
            bool Added;
        };
        std::vector<TItem> model;
        for (std::size_t i = 0; i < base.size(); ++i)
            model.push_back({static_cast<int>(i), base[i].first, base[i].second, false});
        std::vector<TPakChange> changes;
        bool refused = false;
        // Past eight look-ups the planner hashes the names instead of
        // passing over them: long rounds check that both agree.
        for (int n = pick(12) + 1; n > 0 && !refused; --n) {
            const int e = pick(6);
            const bool typed = pick(2) == 0;
            const std::string name = names[pick(7)], stored = typed ? name : AsciiLower(name);
            const std::string data = std::to_string(round);
            const auto at = std::find_if(model.begin(), model.end(),
                                         [&](const TItem& item) { return item.Entry == e; });
            const auto holder = [&](int except) {
                return std::find_if(model.begin(), model.end(), [&](const TItem& item) {
                    return item.Entry != except && AsciiLower(item.Name) == AsciiLower(stored);
                });
            };
            const auto entry = static_cast<std::size_t>(e);
            switch (pick(3)) {
            case 0:
                changes.push_back(C::Delete(entry));
                if (!(refused = at == model.end()))
                    model.erase(at);
                break;
            case 1:
                changes.push_back(C::Rename(entry, name, typed));
                refused = at == model.end() || (at->Name != stored && holder(e) != model.end());
                if (!refused)
                    at->Name = stored;
                break;
            default:
                changes.push_back(C::AddBytes(name, data, typed));
                const auto held = holder(-2);
                refused = held != model.end() && held->Added;
                if (held == model.end())
                    model.push_back({-1, stored, data, true});
                else if (!refused)
                    *held = {held->Entry, stored, data, true};
            }
        }
        std::optional<TPakEditPlan> plan;
        const std::string failure = FailureOf([&] { plan = PlanPakEdit(index, changes); });
        ASSERT_EQ(!plan, refused) << failure << " in round " << round;
        TFiles planned, expected;
        for (std::size_t i = 0; plan && i < plan->Entries.size(); ++i) {
            const TPakEditEntry& pe = plan->Entries[i];
            planned.emplace_back(plan->NameOf(i, index), pe.Source == TPakEditSource::esKept
                                                             ? base[pe.From].second
                                                             : plan->Added[pe.From].Bytes);
        }
        for (const TItem& item : model)
            expected.emplace_back(item.Name, item.Data);
        if (plan) {
            ASSERT_EQ(planned, expected) << "round " << round;
        }
    }
}
TFiles With(TFiles files, std::size_t at, std::pair<std::string, std::string> entry) {
    files[at] = std::move(entry);
    return files;
}

TFiles Without(TFiles files, std::initializer_list<std::size_t> drop) {
    for (auto it = std::rbegin(drop); it != std::rend(drop); ++it)
        files.erase(files.begin() + static_cast<std::ptrdiff_t>(*it));
    return files;
}

TFiles Plus(TFiles files, const TFiles& more) {
    files.insert(files.end(), more.begin(), more.end());
    return files;
}

bool HasTemporary(const fs::path& dir) {
    for (const fs::directory_entry& e : fs::directory_iterator(dir))
        if (IsTemporaryName(e.path().filename().string()))
            return true;
    return false;
}

// Plans and applies changes to the archive at pak; the plan's changes.
std::vector<std::string> Edit(const fs::path& pak, const std::vector<TPakChange>& changes,
                              const TPakEditHooks& hooks = {}, std::vector<bool> first = {}) {
    const TPakIndex index = ReadPakIndex(pak);
    const TPakEditPlan plan = PlanPakEdit(index, changes, std::move(first));
    EXPECT_TRUE(ApplyPakEdit(pak, index, plan, hooks));
    return plan.Changes(index);
}

std::int64_t Problems(const fs::path& pak) {
    TLockedFile file(pak, TShareMode::smShared);
    return VerifyPak(file).Total;
}

// Each entry's name and bytes, in the archive's order.
TFiles Contents(const fs::path& pak) {
    TLockedFile file(pak, TShareMode::smShared);
    const TPakIndex index = ReadPakIndex(file);
    TFiles files;
    for (const TPakEntry e : index.Entries) {
        const std::vector<unsigned char> bytes = ReadEntryBytes(file, e);
        files.emplace_back(std::string(e.Name), std::string(bytes.begin(), bytes.end()));
    }
    return files;
}

TPakEditHooks Compacting() {
    TPakEditHooks hooks;
    hooks.Compact = true;
    return hooks;
}

TEST(PakEdit, ChangeListsGiveTheArchiveTheBuilderWouldWrite) {
    const TInputs in;
    const std::string longName(55, 'n');
    const struct {
        std::vector<TPakChange> Changes;
        TFiles Expected;
        std::vector<std::string> Told;
        std::int64_t Problems = 0;    // verify's warnings of a typed name
        std::vector<bool> First = {}; // entries deleted before the changes
    } cases[] = {
        {{}, Without(kBase, {0, 2}), {"deleted a.txt", "deleted empty"}, 0, {1, 0, 1, 0, 0}},
        {{C::AddBytes("sound/x.wav", "back")},
         Plus(Without(kBase, {4}), {{"sound/x.wav", "back"}}),
         {"deleted sound/x.wav", "added sound/x.wav"},
         0,
         {0, 0, 0, 0, 1}},
        {{},
         {},
         {"deleted a.txt", "deleted maps/e1m1.bsp", "deleted empty", "deleted big.bin",
          "deleted sound/x.wav"},
         0,
         {1, 1, 1, 1, 1}},
        {{C::Delete(0)}, Without(kBase, {0}), {"deleted a.txt"}},
        {{C::Delete(4)}, Without(kBase, {4}), {"deleted sound/x.wav"}},
        {{C::Delete(3), C::Delete(1)},
         Without(kBase, {1, 3}),
         {"deleted big.bin", "deleted maps/e1m1.bsp"}},
        {{C::Delete(0), C::Delete(1), C::Delete(2), C::Delete(3), C::Delete(4)},
         {},
         {"deleted a.txt", "deleted maps/e1m1.bsp", "deleted empty", "deleted big.bin",
          "deleted sound/x.wav"}},
        {{C::Rename(1, "Maps/E1M2.BSP")},
         With(kBase, 1, {"maps/e1m2.bsp", "BSP!"}),
         {"renamed maps/e1m1.bsp -> maps/e1m2.bsp"}},
        {{C::Rename(0, "A.TXT")}, kBase, {}},
        {{C::Rename(0, "A.TXT", true)},
         With(kBase, 0, {"A.TXT", "AAA"}),
         {"renamed a.txt -> A.TXT"},
         1},
        {{C::AddFile("Docs/One.txt", in("one.txt")), C::AddFile("two.txt", in("two.txt")),
          C::AddBytes(longName, "")},
         Plus(kBase, {{"docs/one.txt", "one"}, {"two.txt", "two"}, {longName, ""}}),
         {"added docs/one.txt", "added two.txt", "added " + longName}},
        {{C::AddBytes("SOUND/X.WAV", "new wave")},
         With(kBase, 4, {"sound/x.wav", "new wave"}),
         {"replaced sound/x.wav"}},
        {{C::AddFile("EMPTY", in("one.txt"), true)},
         With(kBase, 2, {"EMPTY", "one"}),
         {"replaced empty (now named EMPTY)"},
         1},
        {{C::Rename(0, "b.txt"), C::AddBytes("a.txt", "new")},
         Plus(With(kBase, 0, {"b.txt", "AAA"}), {{"a.txt", "new"}}),
         {"renamed a.txt -> b.txt", "added a.txt"}},
        {{C::Rename(0, "b.txt"), C::AddBytes("B.txt", "bb")},
         With(kBase, 0, {"b.txt", "bb"}),
         {"renamed a.txt -> b.txt", "replaced b.txt"}},
        {{C::Delete(0), C::AddBytes("a.txt", "again")},
         Plus(Without(kBase, {0}), {{"a.txt", "again"}}),
         {"deleted a.txt", "added a.txt"}},
        {{C::AddBytes("a.txt", "x"), C::Delete(0)},
         Without(kBase, {0}),
         {"replaced a.txt", "deleted a.txt"}},
    };
    // Each edit rewriting, and appending where it may: the same entries, and
    // once compacted the same bytes.
    for (const auto& c : cases)
        for (const bool compact : {true, false}) {
            const TArchive a;
            const std::uint64_t inode = ReadPakIndex(a.pak).Identity.Inode;
            TPakEditHooks hooks = Compacting();
            hooks.Compact = compact;
            bool appended = false;
            hooks.Appended = &appended;
            const std::string told = ::testing::PrintToString(c.Told) + (compact ? " compact" : "");
            EXPECT_THAT(Edit(a.pak, c.Changes, hooks, c.First), ElementsAreArray(c.Told)) << told;
            EXPECT_EQ(Contents(a.pak), c.Expected) << told;
            EXPECT_EQ(Problems(a.pak), c.Problems) << told;
            EXPECT_FALSE(HasTemporary(a.dir.Path()));
            // An append keeps the file; nothing to change rewrites nothing.
            EXPECT_EQ(ReadPakIndex(a.pak).Identity.Inode == inode,
                      appended || (c.Told.empty() && !compact))
                << told;
            // Without big.bin, most of the file would be unused: it compacts.
            const bool keepsBig = std::any_of(c.Expected.begin(), c.Expected.end(),
                                              [](const auto& f) { return f.first == "big.bin"; });
            EXPECT_EQ(appended, test::kEditsAppend && !compact && !c.Told.empty() && keepsBig)
                << told;
            if (!compact)
                Edit(a.pak, {}, Compacting());
            EXPECT_TRUE(ReadFile(a.pak) == test::ToString(BuildPakImage(c.Expected))) << told;
        }
}

// Archives the builder never writes: a kept entry stays as it is (a name of
// 56 bytes), one whose data lie outside the archive can be deleted, not kept.
TEST(PakEdit, EditsArchivesOfOtherMakers) {
    using test::PakEntryBytes;
    using test::PakHeaderBytes;
    const TTempDir dir;
    const fs::path pak = dir / "x.pak";
    const std::string name56(56, 'q');
    WriteFile(pak, PakHeaderBytes(18, 192) + "abcdef" + PakEntryBytes("ok", 12, 3) +
                       PakEntryBytes("bad", 15, 900) + PakEntryBytes(name56, 15, 3));
    const TPakIndex index = ReadPakIndex(pak);
    EXPECT_THAT(FailureOf([&] { PlanPakEdit(index, {C::AddBytes("new", "")}); }),
                HasSubstr("Damaged entry bad: Read beyond end of file"));
    Edit(pak, {C::Delete(1)});
    EXPECT_EQ(ReadFile(pak), PakHeaderBytes(18, 128) + "abcdef" + PakEntryBytes("ok", 12, 3) +
                                 PakEntryBytes(name56, 15, 3));

    WriteFile(pak, PakHeaderBytes(12, 128) + PakEntryBytes("x", 12, 0));
    EXPECT_THAT(FailureOf([&] { PlanPakEdit(ReadPakIndex(pak), {C::Delete(0)}); }),
                HasSubstr("cut short"));

    // An edit writes a PAK's directory, which SiN's readers would not read.
    const std::string sin =
        PakHeaderBytes(15, 128, "SPAK") + "abc" + test::LayoutEntryBytes(kSinLayout, "a", 12, 3);
    WriteFile(pak, sin);
    TPakIndex sinIndex = ReadPakIndex(pak);
    for (const auto& changes : {std::vector<TPakChange>{C::Delete(0)}, std::vector<TPakChange>{}})
        EXPECT_THAT(
            FailureOf([&] { PlanPakEdit(sinIndex, changes); }),
            HasSubstr("Only PAK and ZIP archives can be edited; this is a SiN archive (SPAK)"));
    sinIndex.Kind = TPakKind::pkQuake;
    const TPakEditPlan plan = PlanPakEdit(sinIndex, {C::Delete(0)});
    sinIndex.Kind = TPakKind::pkSin;
    EXPECT_THAT(FailureOf([&] { ApplyPakEdit(pak, sinIndex, plan, {}); }),
                HasSubstr("Only PAK and ZIP archives"));
    EXPECT_EQ(ReadFile(pak), sin);
}

// Whatever stops an edit, the archive keeps its bytes and nothing is left
// beside it.
TEST(PakEdit, AFailedOrStoppedEditLeavesTheArchiveWhole) {
    const TInputs in;
    WriteFile(in.dir / "three.txt", "3");
    std::optional<TLockedFile> holder;
#ifndef _WIN32
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
#endif
    const struct {
        std::function<void(const fs::path&)> Meanwhile; // after the plan, before the edit
        TShareMode Mode;
        std::string Message;
    } cases[] = {
        {[](const fs::path& pak) {
             WriteFile(pak, BuildPakImage({{"other", "x"}}));
         },
         TShareMode::smExclusive, "has changed since it was opened"},
        {[](const fs::path& pak) {
             fs::copy_file(pak, pak.string() + ".new");
             fs::rename(pak.string() + ".new", pak);
         },
         TShareMode::smExclusive, "has changed since it was opened"},
        {[&](const fs::path& pak) { holder.emplace(pak); }, TShareMode::smExclusive,
         "Cannot open file"},
        {[&](const fs::path& pak) { holder.emplace(pak); }, TShareMode::smShared,
         "is in use by another program"},
        {[&](const fs::path&) { WriteFile(in.dir / "three.txt", "33"); }, TShareMode::smExclusive,
         "File changed since the edit was planned: " + in("three.txt")},
#ifndef _WIN32                 // no file size limit to lower there
        {[](const fs::path&) { // a disk full halfway through big.bin
             rlimit small{64 * 1024, RLIM_INFINITY};
             ::setrlimit(RLIMIT_FSIZE, &small);
         },
         TShareMode::smExclusive, "File too large: the system's limit on a file's size"},
#endif
    };
    for (const auto& c : cases) {
        const TArchive a;
        const TPakIndex index = ReadPakIndex(a.pak);
        const TPakEditPlan plan =
            PlanPakEdit(index, {C::Delete(0), C::AddFile("three", in("three.txt"))});
        std::string before = ReadFile(a.pak);
        c.Meanwhile(a.pak);
        // A holder changes no byte, and on Windows keeps even this reader out.
        if (!holder)
            before = ReadFile(a.pak);
        TPakEditHooks hooks;
        hooks.Archive = c.Mode;
        EXPECT_THAT(FailureOf([&] { ApplyPakEdit(a.pak, index, plan, hooks); }),
                    HasSubstr(c.Message));
#ifndef _WIN32
        ::setrlimit(RLIMIT_FSIZE, &saved);
#endif
        holder.reset();
        EXPECT_TRUE(ReadFile(a.pak) == before) << c.Message;
        EXPECT_FALSE(HasTemporary(a.dir.Path()));
    }
#ifndef _WIN32
    std::signal(SIGXFSZ, oldSignal);
#endif

    // Stopped by Pump at its first, second and last call: nothing is
    // called after the false answer. A rewrite counts the whole archive, an
    // append what it adds.
    TFiles many;
    for (int i = 0; i < 600; ++i)
        many.emplace_back("f" + std::to_string(i), Pattern(static_cast<std::size_t>(i) * 17));
    const std::string manyBytes = test::ToString(BuildPakImage(many));
    const std::size_t added = 3 * 1024 * 1024;
    WriteFile(in.dir / "big.in", Pattern(added)); // copied in pieces, a pump before each
    const struct {
        bool Compact;
        std::vector<TPakChange> Changes;
        std::size_t Total;
    } ways[] = {
        {true, {C::Delete(0)}, manyBytes.size() - kPakDirEntrySize},
        {false, {C::AddFile("new", in("big.in"))}, added + (many.size() + 1) * kPakDirEntrySize},
    };
    for (const auto& way : ways) {
        if (!way.Compact && !test::kEditsAppend)
            continue;
        std::int64_t calls = 0, lastDone = -1, lastTotal = 0;
        TPakEditHooks counting;
        counting.Compact = way.Compact;
        counting.Pump = [&] { return ++calls > 0; };
        counting.Progress = [&](std::int64_t done, std::int64_t total) {
            EXPECT_GE(done, lastDone);
            lastDone = done;
            lastTotal = total;
        };
        const TArchive full(many);
        Edit(full.pak, way.Changes, counting);
        EXPECT_EQ(lastDone, lastTotal);
        EXPECT_EQ(static_cast<std::size_t>(lastTotal), way.Total);
        ASSERT_GE(calls, 3);
        for (const std::int64_t stopAt : {std::int64_t{1}, std::int64_t{2}, calls}) {
            const TArchive a(many);
            const TPakIndex index = ReadPakIndex(a.pak);
            std::int64_t seen = 0;
            TPakEditHooks hooks;
            hooks.Compact = way.Compact;
            hooks.Pump = [&] { return ++seen < stopAt; };
            EXPECT_FALSE(ApplyPakEdit(a.pak, index, PlanPakEdit(index, way.Changes), hooks));
            EXPECT_EQ(seen, stopAt);
            EXPECT_TRUE(ReadFile(a.pak) == manyBytes) << stopAt << way.Compact;
            EXPECT_FALSE(HasTemporary(a.dir.Path()));
        }
    }
}

// Another archive moved over the one being edited, at each moment before
// the new one takes its name: the moved-in archive stays whole, and so
// does the edit's refusal. Moved after, it is simply the later change.
TEST(PakEdit, NeverReplacesAnArchiveMovedInDuringTheEdit) {
    const std::string other = test::ToString(BuildPakImage({{"other", "moved in"}}));
    const std::string base = test::ToString(BuildPakImage(kBase));
    enum TWhen { wCopying, wWritten, wFlushed, wHeaderWritten, wRenamedAway };
    const struct {
        TWhen When;
        TShareMode Mode;
        bool Compact;
    } cases[] = {
        {wCopying, TShareMode::smExclusive, true},
        {wWritten, TShareMode::smExclusive, true},
        {wFlushed, TShareMode::smExclusive, true},
        {wFlushed, TShareMode::smShared, true},
        // Renamed away and another put in its place: still not the archive.
        {wRenamedAway, TShareMode::smExclusive, true},
        {wCopying, TShareMode::smExclusive, false},
        {wWritten, TShareMode::smExclusive, false},
        {wFlushed, TShareMode::smExclusive, false},
        {wHeaderWritten, TShareMode::smExclusive, false},
        {wRenamedAway, TShareMode::smExclusive, false},
    };
    for (const auto& c : cases) {
        // An edit that cannot append never writes a header last.
        if (c.When == wHeaderWritten && !test::kEditsAppend)
            continue;
        const std::string what = std::to_string(c.When) + (c.Compact ? " compact" : "");
        const TArchive a;
        const fs::path stranger = a.dir / "other.pak";
        const fs::path away = a.dir / "away.pak";
        bool moved = false, blocked = false;
        const auto moveIn = [&] {
            if (moved || blocked)
                return;
            WriteFile(stranger, other);
            if (c.When == wRenamedAway)
                fs::rename(a.pak, away);
            // Windows refuses to replace a file held open, as the edit holds
            // its archive: then the edit goes on over the archive it holds.
            std::error_code ec;
            fs::rename(stranger, a.pak, ec);
            moved = !ec;
            blocked = !!ec;
        };
        const TPakIndex index = ReadPakIndex(a.pak);
        TPakEditHooks hooks;
        hooks.Archive = c.Mode;
        hooks.Compact = c.Compact;
        // Bytes to add, so that an append pumps before it has written.
        const TPakEditPlan plan =
            PlanPakEdit(index, {C::Delete(0), C::AddBytes("new", std::string(100, 'n'))});
        hooks.Pump = [&] {
            if (c.When == wCopying)
                moveIn();
            return true;
        };
        hooks.Reached = [&](TPakEditStep step) {
            using S = TPakEditStep;
            const bool written = step == S::esWritten || step == S::esAppended;
            const bool flushed = step == S::esFlushed || step == S::esAppendFlushed;
            if ((written && c.When == wWritten) ||
                (flushed && (c.When == wFlushed || c.When == wRenamedAway)) ||
                (step == S::esHeaderWritten && c.When == wHeaderWritten))
                moveIn();
        };
        const std::string failure = FailureOf([&] { ApplyPakEdit(a.pak, index, plan, hooks); });
        EXPECT_TRUE(moved || blocked) << what;
        if (blocked) {
            EXPECT_EQ(failure, "(no failure)") << what;
            EXPECT_TRUE(ReadFile(stranger) == other) << what;
            EXPECT_EQ(ReadPakIndex(a.pak).Entries.size(), kBase.size()) << what;
        } else {
            EXPECT_THAT(failure, HasSubstr("Another file took the place of " + a.pak.string() +
                                           " during the edit: it is left as it is"))
                << what;
            EXPECT_TRUE(ReadFile(a.pak) == other) << what;
            // The archive renamed away is as it was, also after an append.
            if (c.When == wRenamedAway) {
                EXPECT_TRUE(ReadFile(away) == base) << what;
            }
        }
        EXPECT_FALSE(HasTemporary(a.dir.Path())) << what;
    }
}

// A change by entry name, made against whatever index the archive has then.
struct TNamedChange {
    enum { nAdd, nRemove, nRename } Kind;
    std::string Name;
    std::string Value; // the bytes added, or the new name
};

std::vector<TPakChange> Resolve(const TPakIndex& index, const TNamedChange& change) {
    if (change.Kind == TNamedChange::nAdd)
        return {C::AddBytes(change.Name, change.Value)};
    for (std::size_t i = 0; i < index.Entries.size(); ++i)
        if (index.Entries[i].Name == change.Name)
            return {change.Kind == TNamedChange::nRemove ? C::Delete(i)
                                                         : C::Rename(i, change.Value)};
    ADD_FAILURE() << change.Name << " is not there";
    return {};
}

std::int64_t VerifiedUnused(const fs::path& pak) {
    TLockedFile file(pak, TShareMode::smShared);
    const TPakReport report = VerifyPak(file);
    EXPECT_EQ(report.Total, 0);
    return report.Unused;
}

// The same edits in sequence, appended and rewritten: the same entries and
// bytes after each, verify clean and counting what the appends left unused,
// and compaction gives the rewrite's bytes.
TEST(PakEdit, AppendedEditsInSequenceMatchTheRewrites) {
    using N = TNamedChange;
    const struct {
        N Change;
        bool Appends; // without a rewrite of its own
    } steps[] = {
        {{N::nAdd, "maps/e1m2.bsp", Pattern(5000)}, true},
        {{N::nRemove, "a.txt", ""}, true},
        {{N::nAdd, "sound/x.wav", "NEW WAVE"}, true}, // replaced in place
        {{N::nRename, "maps/e1m1.bsp", "maps/start.bsp"}, true},
        {{N::nAdd, "empty", "now it holds"}, true},
        {{N::nRemove, "maps/e1m2.bsp", ""}, true},
        // Most of the file would be unused: the edit compacts instead.
        {{N::nRemove, "big.bin", ""}, false},
        {{N::nAdd, "a.txt", "back"}, true},
    };
    const TArchive appending, rewriting;
    for (const auto& step : steps) {
        const std::string what = step.Change.Name;
        bool appended = false;
        TPakEditHooks hooks;
        hooks.Appended = &appended;
        Edit(appending.pak, Resolve(ReadPakIndex(appending.pak), step.Change), hooks);
        Edit(rewriting.pak, Resolve(ReadPakIndex(rewriting.pak), step.Change), Compacting());
        EXPECT_EQ(appended, step.Appends && test::kEditsAppend) << what;
        EXPECT_EQ(Contents(appending.pak), Contents(rewriting.pak)) << what;
        const std::int64_t unused = VerifiedUnused(appending.pak);
        EXPECT_EQ(unused, UnusedBytes(ReadPakIndex(appending.pak))) << what;
        EXPECT_EQ(unused > 0, appended) << what;
        EXPECT_EQ(VerifiedUnused(rewriting.pak), 0) << what;
    }
    Edit(appending.pak, {}, Compacting());
    EXPECT_TRUE(ReadFile(appending.pak) == ReadFile(rewriting.pak));
    EXPECT_EQ(VerifiedUnused(appending.pak), 0);
}

// A crash at every step of an append, taken as a copy of the file at that
// moment, leaves the old archive or the new one; the edit stopped there by
// a failure leaves the old one byte for byte, or, once the header is
// written, the new one.
TEST(PakEdit, ACrashAtEveryStepOfAnAppendLeavesTheOldArchiveOrTheNew) {
    using N = TNamedChange;
    using S = TPakEditStep;
    if (!test::kEditsAppend)
        GTEST_SKIP() << "edits here always write the archive anew";
    const N changes[] = {
        {N::nAdd, "maps/e1m2.bsp", Pattern(70000)},
        {N::nAdd, "sound/x.wav", "replaced"},
        {N::nRemove, "a.txt", ""},
        {N::nRename, "empty", "full"},
    };
    for (const N& change : changes)
        for (const S step : {S::esAppended, S::esAppendFlushed, S::esHeaderWritten}) {
            const std::string what = change.Name + " " + std::to_string(static_cast<int>(step));
            const TArchive reference;
            Edit(reference.pak, Resolve(ReadPakIndex(reference.pak), change));
            const TFiles after = Contents(reference.pak);
            const TArchive a;
            const std::string before = ReadFile(a.pak);
            const fs::path crashed = a.dir / "crashed.bin";
            TPakEditHooks hooks;
            std::vector<S> seen;
            hooks.Reached = [&](S reached) {
                seen.push_back(reached);
                if (reached != step)
                    return;
                WriteFile(crashed, ReadFile(a.pak));
                throw TFailure("crashed here");
            };
            const TPakIndex index = ReadPakIndex(a.pak);
            EXPECT_EQ(FailureOf([&] {
                          ApplyPakEdit(a.pak, index, PlanPakEdit(index, Resolve(index, change)),
                                       hooks);
                      }),
                      "crashed here")
                << what;
            EXPECT_EQ(seen.back(), step) << what;
            const bool isNew = step == S::esHeaderWritten;
            EXPECT_EQ(Contents(crashed), isNew ? after : kBase) << what;
            VerifiedUnused(crashed);
            if (isNew) {
                EXPECT_EQ(Contents(a.pak), after) << what;
            } else {
                EXPECT_TRUE(ReadFile(a.pak) == before) << what;
            }
        }
}

// Layouts given whole, as an undo or a redo gives them: kept entries where
// they are or renamed, pieces of another file put back anywhere, names the
// builder would refuse stored as they were; appended and rewritten alike.
TEST(PakEdit, RestoresALayoutGivenWhole) {
    using I = TPakRestore::TItem;
    const TTempDir keep;
    const fs::path pieces = keep / "pieces.bin";
    WriteFile(pieces, "BSP!again");
    const std::vector<TPakRestore::TPiece> cut = {{0, 4, {}}, {4, 5, {}}, {9, 0, {}}};
    const auto kept = [](std::int64_t e, std::int32_t name = -1) { return I{e, -1, name}; };
    const auto piece = [](std::int32_t p, std::int32_t name) { return I{-1, p, name}; };
    const std::vector<I> all = {kept(0), kept(1), kept(2), kept(3), kept(4)};
    const std::string name56(56, 'q');
    const struct {
        const char* What;
        std::vector<I> Items;
        std::vector<std::string> Names;
        TFiles Expected;
        std::vector<std::string> Told;
    } cases[] = {
        {"every entry kept as it is", all, {}, kBase, {}},
        {"a name given that is the entry's own",
         {kept(0, 0), kept(1), kept(2), kept(3), kept(4)},
         {"a.txt"},
         kBase,
         {}},
        {"an entry put back where another is dropped",
         {kept(0), piece(0, 0), kept(2), kept(3), kept(4)},
         {"x/new"},
         With(kBase, 1, {"x/new", "BSP!"}),
         {"deleted maps/e1m1.bsp", "added x/new"}},
        {"names the builder refuses, as the archive held them",
         {kept(0, 0), kept(1, 1), kept(2), kept(3), kept(4)},
         {"A.TXT", name56},
         With(With(kBase, 0, {"A.TXT", "AAA"}), 1, {name56, "BSP!"}),
         {"renamed a.txt -> A.TXT", "renamed maps/e1m1.bsp -> " + name56}},
        {"a name stored twice, put back in front",
         {piece(1, 0), kept(0), kept(1), kept(2), kept(3), kept(4)},
         {"a.txt"},
         Plus({{"a.txt", "again"}}, kBase),
         {"added a.txt"}},
        {"pieces alone, one of them empty",
         {piece(0, 0), piece(2, 1)},
         {"one", "nothing"},
         {{"one", "BSP!"}, {"nothing", ""}},
         {"deleted a.txt", "deleted maps/e1m1.bsp", "deleted empty", "deleted big.bin",
          "deleted sound/x.wav", "added one", "added nothing"}},
    };
    for (const auto& c : cases)
        for (const bool compact : {true, false}) {
            SCOPED_TRACE(std::string(c.What) + (compact ? " compact" : ""));
            const TArchive a;
            const TPakIndex index = ReadPakIndex(a.pak);
            const TPakEditPlan plan =
                PlanPakRestore(index, {c.Items, c.Names, cut, pieces.string()});
            EXPECT_THAT(plan.Changes(index), ElementsAreArray(c.Told));
            TPakEditHooks hooks;
            hooks.Compact = compact;
            EXPECT_TRUE(ApplyPakEdit(a.pak, index, plan, hooks));
            EXPECT_EQ(Contents(a.pak), c.Expected);
            EXPECT_FALSE(HasTemporary(a.dir.Path()));
            EXPECT_EQ(ReadFile(pieces), "BSP!again");
        }
}

TEST(PakEdit, RefusesALayoutThatDoesNotFit) {
    using I = TPakRestore::TItem;
    using TCoding = std::optional<TEntryCoding>;
    const TArchive a;
    const TTempDir keep;
    const std::string pieces = (keep / "pieces.bin").string();
    WriteFile(pieces, "0123456789");
    const TPakIndex index = ReadPakIndex(a.pak);
    const struct {
        std::vector<I> Items;
        std::vector<std::string> Names;
        std::vector<TPakRestore::TPiece> Pieces;
        std::string Path;
        std::string Message;
    } cases[] = {
        {{{1, -1, -1}, {0, -1, -1}}, {}, {}, "", "Entry 0 is kept out of the archive's order"},
        {{{0, -1, -1}, {0, -1, -1}},
         {},
         {},
         "",
         "Entry 0 is kept out of the archive's order, or twice"},
        {{{5, -1, -1}}, {}, {}, "", "There is no entry 5: the archive has 5 entries"},
        {{{0, 0, -1}}, {}, {{0, 1, {}}}, pieces, "Entry 0 is kept and put back at once"},
        {{{-1, 1, 0}}, {"n"}, {{0, 1, {}}}, pieces, "There is no piece 1 to put back"},
        {{{-1, -1, 0}}, {"n"}, {}, "", "There is no piece -1 to put back"},
        {{{-1, 0, -1}}, {}, {{0, 1, {}}}, pieces, "Piece 0 is put back without a name"},
        {{{0, -1, 2}}, {"n"}, {}, "", "There is no name 2 to give an entry"},
        {{{-1, 0, 0}}, {"n"}, {{5, 6, {}}}, pieces, "The bytes of n do not lie within " + pieces},
        {{{-1, 0, 0}}, {"n"}, {{-1, 1, {}}}, pieces, "do not lie within"},
        {{{-1, 0, 0}}, {"n"}, {{0, -1, {}}}, pieces, "do not lie within"},
        {{{-1, 0, 0}},
         {"n"},
         {{0, 1, TCoding(TEntryCoding{})}},
         pieces,
         "Cannot put n back as a ZIP member: the archive is a PAK"},
        {{}, {std::string(57, 'n')}, {}, "", "a name is 1 to 56 bytes without a NUL"},
        {{}, {""}, {}, "", "The name \"\" cannot be stored"},
        {{}, {std::string("a\0b", 3)}, {}, "", "The name \"a\" cannot be stored"},
        {{{-1, 0, 0}},
         {"n"},
         {{0, 1, {}}},
         (keep / "missing").string(),
         "Cannot open file " + (keep / "missing").string()},
        {{{-1, 0, 0}}, {"n"}, {{0, 1, {}}}, keep.Path().string(), "it is not a regular file"},
        {{{-1, 0, 0}}, {"n"}, {{0, 1, {}}}, a.pak.string(), "it is the archive being edited"},
    };
    for (const auto& c : cases)
        EXPECT_THAT(FailureOf([&] {
                        PlanPakRestore(index, {c.Items, c.Names, c.Pieces, c.Path});
                    }),
                    HasSubstr(c.Message));
}

// What an undo keeps of ZIP members, their stored bytes, puts them back as
// they were: their method, CRC and time, a member that does not decode
// included; a PAK entry outside its archive has nothing to keep.
TEST(PakEdit, PutsZipMembersBackAsTheyWereStored) {
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "line " + std::to_string(i) + "\n";
    const TTempDir dir;
    const fs::path pk3 = dir / "mod.pk3";
    WriteFile(pk3, test::ZipImage({{"maps/a.ent", text},
                                   {"gfx/b.lmp", "stored", kZipMethodStored},
                                   {"bad.txt", "damaged", kZipMethodDeflated, 0, false, "", 1u}}));
    const TPakIndex index = ReadPakIndex(pk3);
    const fs::path pieces = dir / "pieces.bin";
    TPakRestore restore;
    restore.Path = pieces.string();
    {
        TLockedFile file(pk3);
        std::string kept;
        unsigned char buffer[100]; // many pieces for the long member
        for (std::size_t i = 0; i < index.Entries.size(); ++i) {
            const TPakEntry e = index.Entries[i];
            const auto at = static_cast<std::int64_t>(kept.size());
            ASSERT_TRUE(ReadStoredEntry(file, e, buffer, [&](std::span<const unsigned char> p) {
                kept.append(p.begin(), p.end());
                return true;
            }));
            EXPECT_EQ(static_cast<std::int64_t>(kept.size()) - at, StoredLengthOf(e));
            restore.Pieces.push_back({at, StoredLengthOf(e), *e.Coding});
            restore.Names.emplace_back(i == 1 ? "gfx/renamed.lmp" : std::string(e.Name));
            restore.Items.push_back(
                {-1, static_cast<std::int32_t>(i), static_cast<std::int32_t>(i)});
        }
        WriteFile(pieces, kept);
        // A sink that stops ends the read.
        int calls = 0;
        EXPECT_FALSE(
            ReadStoredEntry(file, index.Entries[0], buffer, [&](auto) { return ++calls < 2; }));
        EXPECT_EQ(calls, 2);
    }
    // Every member dropped and put back from the kept bytes, the second
    // under another name.
    ASSERT_TRUE(ApplyPakEdit(pk3, index, PlanPakRestore(index, restore), {}));
    const TPakIndex after = ReadPakIndex(pk3);
    ASSERT_EQ(after.Entries.size(), 3u);
    TLockedFile file(pk3);
    for (std::size_t i = 0; i < 3; ++i) {
        const TEntryCoding& was = *index.Entries[i].Coding;
        const TEntryCoding& now = *after.Entries[i].Coding;
        EXPECT_EQ(after.Entries[i].Name, restore.Names[i]);
        EXPECT_EQ(now.ZipMethod, was.ZipMethod) << i;
        EXPECT_EQ(now.Crc, was.Crc) << i;
        EXPECT_EQ(now.DosTime, was.DosTime) << i;
        EXPECT_EQ(now.StoredLength, was.StoredLength) << i;
    }
    const auto bytes = [&](std::size_t i) {
        const std::vector<unsigned char> b = ReadEntryBytes(file, after.Entries[i]);
        return std::string(b.begin(), b.end());
    };
    EXPECT_EQ(bytes(0), text);
    EXPECT_EQ(bytes(1), "stored");
    EXPECT_THAT(FailureOf([&] { bytes(2); }), HasSubstr("Damaged entry bad.txt"));

    const fs::path pak = dir / "x.pak";
    WriteFile(pak, test::PakHeaderBytes(15, 64) + "abc" + test::PakEntryBytes("bad", 12, 900));
    TLockedFile other(pak);
    unsigned char buffer[16];
    EXPECT_THAT(FailureOf([&] {
                    ReadStoredEntry(other, ReadPakIndex(other).Entries[0], buffer,
                                    [](auto) { return true; });
                }),
                HasSubstr("Damaged entry bad: Read beyond end of file"));
}

TEST(PakEdit, AddsAFolderWithTheBuildersSkipRulesThroughALinkKeepingTheMode) {
    TArchive a(TFiles{{"keep", "k"}});
    WriteFile(a.dir / "tree/Maps/E1M1.BSP", "bsp");
    WriteFile(a.dir / "tree/sub/inner/x.txt", "x");
    WriteFile(a.dir / "tree/old.PAK", "skipped");
    WriteFile(a.dir / "tree/.zorvak-1-2.tmp", "skipped");
    fs::create_hard_link(a.pak, a.dir / "tree/same-archive.bin"); // skipped by identity
    fs::permissions(a.pak, fs::perms(0640));
    ASSERT_TRUE(test::MakeLink(a.pak, a.dir / "link.pak"));

    const TPakIndex index = ReadPakIndex(a.dir / "link.pak");
    std::vector<TPakChange> changes;
    ASSERT_TRUE(AddTreeChanges(a.dir / "tree", "ID1", index.Identity, {}, changes));
    TPakEditHooks hooks;
    hooks.Inputs = TShareMode::smUnlocked;
    const TPakEditPlan plan = PlanPakEdit(index, changes);
    ASSERT_TRUE(ApplyPakEdit(a.dir / "link.pak", index, plan, hooks));
    EXPECT_THAT(plan.Changes(index), ::testing::UnorderedElementsAre("added id1/maps/e1m1.bsp",
                                                                     "added id1/sub/inner/x.txt"));
    EXPECT_TRUE(test::IsLink(a.dir / "link.pak"));
#ifndef _WIN32 // access lists there, no mode bits to keep
    EXPECT_EQ(fs::status(a.pak).permissions(), fs::perms(0640));
#endif
    const TPakIndex after = ReadPakIndex(a.pak);
    ASSERT_EQ(after.Entries.size(), 3u);
    EXPECT_EQ(after.Entries[0].Name, "keep");
    EXPECT_EQ(Problems(a.pak), 0);
    EXPECT_EQ(ReadFile(a.dir / "tree/same-archive.bin"),
              test::ToString(BuildPakImage({{"keep", "k"}})));

    // Stopped by its pump, the walk says so.
    changes.clear();
    EXPECT_FALSE(AddTreeChanges(
        a.dir / "tree", "", {}, [] { return false; }, changes));
}

} // namespace
} // namespace zorvak
