#include "framework/Text.h"

#include <gtest/gtest.h>

namespace zorvak {
namespace {

TEST(FormatThousands, GroupsDigitsInThrees) {
    const struct {
        std::int32_t Value;
        const char* Text;
    } cases[] = {
        {0, "0"},
        {7, "7"},
        {999, "999"},
        {1000, "1,000"},
        {65536, "65,536"},
        {100000, "100,000"},
        {999999, "999,999"},
        {1234567, "1,234,567"},
        {2147483647, "2,147,483,647"},
        {-1, "-1"},
        {-1234, "-1,234"},
        {-2147483647 - 1, "-2,147,483,648"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatThousands(c.Value), c.Text) << c.Value;
}

TEST(AsciiCase, ChangesOnlyAsciiLetters) {
    EXPECT_EQ(AsciiLower("C:\\QUAKE\\ID1\\PAK0.PAK"), "c:\\quake\\id1\\pak0.pak");
    EXPECT_EQ(AsciiUpper("a.Wav"), "A.WAV");
    // Latin-1 and UTF-8 bytes stay as they are.
    EXPECT_EQ(AsciiLower("\xC4\xC3\x84Z"), "\xC4\xC3\x84z");
    EXPECT_TRUE(SameTextAscii("Sound/X.WAV", "sound/x.wav"));
    EXPECT_FALSE(SameTextAscii("sound/x.wav", "sound/x.wa"));
    EXPECT_FALSE(SameTextAscii("\xC4", "\xE4"));
}

TEST(IsValidUtf8, AcceptsWellFormedOnly) {
    const struct {
        std::string Bytes;
        bool Valid;
    } cases[] = {
        {"", true},
        {"maps/e1m1.bsp", true},
        {"gr\xC3\xBC\xC3\x9F", true},
        {"\xE2\x82\xAC", true},
        {"\xF0\x9F\x98\x80", true},
        {"\xC3", false},             // cut short
        {"\xC0\xAF", false},         // overlong
        {"\xED\xA0\x80", false},     // surrogate
        {"\xF4\x90\x80\x80", false}, // past U+10FFFF
        {"caf\xE9", false},          // Latin-1
        {"\x80", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidUtf8(c.Bytes), c.Valid) << c.Bytes;
}

TEST(Text, GlobMatchesShellPatternsWithoutRegardToCase) {
    const struct {
        const char* Pattern;
        const char* Name;
        bool Matches;
    } cases[] = {
        {"*", "", true},
        {"", "", true},
        {"", "a", false},
        {"sound/*.wav", "Sound/Misc/A.WAV", true},
        {"*.wav", "a.wave", false},
        {"?", "ab", false},
        {"a?c", "abc", true},
        {"[a-c]x", "Bx", true},
        {"[!a-c]x", "bx", false},
        {"[^a]", "b", true},
        {"[]]", "]", true},
        {"[a", "[a", true},
        {"\\*", "*", true},
        {"\\*", "a", false},
        {"a*b*c", "axxbyyc", true},
        {"a*b*c", "axxbyy", false},
        {"**x", "x", true},
        {"*a*", "bab", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GlobMatches(c.Pattern, c.Name), c.Matches) << c.Pattern << " ~ " << c.Name;
}

} // namespace
} // namespace zorvak
