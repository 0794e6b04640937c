#include "archive/PakEdit.h"
#include "archive/PakVerify.h"
#include "archive/PakWriter.h"
#include "framework/Files.h"
#include "framework/Text.h"
#include "support/FailureOf.h"
#include "support/PakImage.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <optional>
#include <random>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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
    ASSERT_EQ(::mkfifo(in("pipe").c_str(), 0600), 0);
    fs::create_symlink(a.pak, in.dir / "alias");
    for (const char* name : {"huge", "half1", "half2"})
        fs::resize_file((WriteFile(in.dir / name, ""), in.dir / name),
                        name[0] == 'h' && name[1] == 'u' ? 0x80000000u : 0x44000000u);
    const TPakIndex index = ReadPakIndex(a.pak);
    const struct {
        std::vector<TPakChange> Changes;
        std::string Message;
    } cases[] = {
        {{C::AddBytes("../x", "")}, "Unsafe entry name \"../x\""},
        {{C::AddBytes("/etc/x", "")}, "Unsafe entry name"},
        {{C::AddBytes("c:x", "")}, "Unsafe entry name"},
        {{C::Rename(0, "a/./b")}, "Unsafe entry name"},
        {{C::AddBytes("sound/", "")}, "\"sound/\" names no file"},
        {{C::AddBytes("", "")}, "names no file"},
        {{C::AddBytes("a//b", "")}, "\"a//b\" has an empty level"},
        {{C::AddBytes(std::string("a\0b", 3), "")}, "holds a NUL byte: a\\0"},
        {{C::AddBytes(std::string(56, 'n'), "")}, "Name too long for a PAK archive (56 bytes"},
        {{C::AddFile("x", in("missing"))}, "Cannot open file " + in("missing")},
        {{C::AddFile("x", in("dir"))}, "it is not a regular file"},
        {{C::AddFile("x", in("pipe"))}, "it is not a regular file"},
        {{C::AddFile("x", in("alias"))}, "it is the archive being edited"},
        {{C::AddBytes("x.txt", ""), C::AddBytes("X.TXT", "")},
         "Two files would be stored as x.txt: bytes given and bytes given"},
        {{C::AddFile("n", in("one.txt")), C::AddFile("N", in("two.txt"))},
         "Two files would be stored as n: " + in("one.txt") + " and " + in("two.txt")},
        {{C::AddBytes("a.txt", ""), C::AddBytes("A.txt", "")}, "Two files would be stored as"},
        {{C::Rename(0, "Maps/E1M1.bsp")},
         "Cannot rename a.txt to maps/e1m1.bsp: maps/e1m1.bsp is stored already"},
        {{C::Rename(0, "b"), C::Rename(1, "B")}, "Cannot rename maps/e1m1.bsp to b: b is"},
        {{C::AddBytes("n", ""), C::Rename(0, "N")}, "Cannot rename a.txt to n"},
        {{C::Delete(5)}, "There is no entry 5: the archive has 5"},
        {{C::Delete(0), C::Delete(0)}, "Entry 0 (a.txt) is deleted already"},
        {{C::Delete(0), C::Rename(0, "q")}, "Entry 0 (a.txt) is deleted already"},
        {{C::AddFile("huge", in("huge"))}, "File too large for a PAK archive (2147483648 bytes)"},
        {{C::AddFile("h1", in("half1")), C::AddFile("h2", in("half2"))},
         "Archive would reach 2 GiB at h2"},
    };
    for (const auto& c : cases)
        EXPECT_THAT(FailureOf([&] { PlanPakEdit(index, c.Changes); }), HasSubstr(c.Message));
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
    for (int round = 0; round < 400; ++round) {
        struct TItem {
            int Entry;
            std::string Name, Data;
            bool Added;
        };
        std::vector<TItem> model;
        for (std::size_t i = 0; i < base.size(); ++i)
            model.push_back({static_cast<int>(i), base[i].first, base[i].second, false});
        auto first = [&](const std::string& name, int except) {
            for (std::size_t i = 0; i < model.size(); ++i)
                if (model[i].Entry != except && AsciiLower(model[i].Name) == AsciiLower(name))
                    return static_cast<int>(i);
            return -1;
        };
        auto entry = [&](std::size_t e) {
            for (std::size_t i = 0; i < model.size(); ++i)
                if (model[i].Entry == static_cast<int>(e))
                    return static_cast<int>(i);
            return -1;
        };
        std::vector<TPakChange> changes;
        bool refused = false;
        for (int n = static_cast<int>(random() % 5) + 1; n > 0 && !refused; --n) {
            const std::size_t e = random() % 6;
            const bool typed = random() % 2 == 0;
            const std::string name = names[random() % 7];
            const std::string stored = typed ? name : AsciiLower(name);
            const int at = entry(e);
            switch (random() % 3) {
            case 0:
                changes.push_back(C::Delete(e));
                if (!(refused = at < 0))
                    model.erase(model.begin() + at);
                break;
            case 1:
                changes.push_back(C::Rename(e, name, typed));
                refused = at < 0 || (model[static_cast<std::size_t>(at)].Name != stored &&
                                     first(stored, static_cast<int>(e)) >= 0);
                if (!refused)
                    model[static_cast<std::size_t>(at)].Name = stored;
                break;
            default:
                changes.push_back(C::AddBytes(name, std::to_string(round), typed));
                const int held = first(stored, -2);
                refused = held >= 0 && model[static_cast<std::size_t>(held)].Added;
                if (held < 0)
                    model.push_back({-1, stored, std::to_string(round), true});
                else if (!refused) {
                    TItem& item = model[static_cast<std::size_t>(held)];
                    item = {item.Entry, stored, std::to_string(round), true};
                }
            }
        }
        std::optional<TPakEditPlan> plan;
        const std::string failure = FailureOf([&] { plan = PlanPakEdit(index, changes); });
        ASSERT_EQ(!plan, refused) << failure << " in round " << round;
        if (!plan)
            continue;
        TFiles planned, expected;
        for (std::size_t i = 0; i < plan->Entries.size(); ++i) {
            const TPakEditEntry& pe = plan->Entries[i];
            planned.emplace_back(plan->NameOf(i, index), pe.Source == TPakEditSource::esKept
                                                             ? base[pe.From].second
                                                             : plan->Added[pe.From].Bytes);
        }
        for (const TItem& item : model)
            expected.emplace_back(item.Name, item.Data);
        ASSERT_EQ(planned, expected) << "round " << round;
    }
}
} // namespace
} // namespace zorvak
