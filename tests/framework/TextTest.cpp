#include "framework/Text.h"

#include "framework/Failures.h"
#include "framework/TextPattern.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// The places of a pattern are filled in any order, as often as named; what
// is no place stays text, and a place without its value stays as written.
TEST(FormatText, FillsNumberedPlacesInAnyOrder) {
    const struct {
        const char* Pattern;
        std::vector<std::string_view> Values;
        const char* Text;
    } cases[] = {
        {"{1}: {2}", {"x.pak", "gone"}, "x.pak: gone"},
        {"{2} ({1})", {"x.pak", "gone"}, "gone (x.pak)"},
        {"{1}{1}", {"ab"}, "abab"},
        {"{1} of {3}", {"1", "2"}, "1 of {3}"},
        {"{0} {x} {} {10} {{1}}", {"v"}, "{0} {x} {} {10} {v}"},
        {"end {", {"v"}, "end {"},
        {"end {1", {"v"}, "end {1"},
        {"{1}", {"{2}", "no"}, "{2}"},
        {"", {"v"}, ""},
        {"{9}", {"1", "2", "3", "4", "5", "6", "7", "8", "nine"}, "nine"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatTextOf(c.Pattern, c.Values), c.Text) << c.Pattern;
    // Whole numbers in plain digits, whatever their type: no grouping, as
    // a language's own would give.
    EXPECT_EQ(FormatText("{1} {2} {3} {4}", std::int64_t{-9000000000}, std::size_t{1234567},
                         std::uint16_t{65535}, std::string("s")),
              "-9000000000 1234567 65535 s");
}

TEST(WindowsNameProblem, RefusesWhatWindowsCannotName) {
    const struct {
        const char* Level;
        const char* Problem; // empty: a name Windows makes
    } cases[] = {
        {"con", "\"con\" is a device name on Windows"},
        {"CON.txt", "\"CON\" is a device name on Windows"},
        {"nul .wav", "\"nul\" is a device name on Windows"},
        {"Lpt9", "\"Lpt9\" is a device name on Windows"},
        {"prn.a.b", "\"prn\" is a device name on Windows"},
        {"COM\xC2\xB9.txt", "\"COM\xC2\xB9\" is a device name on Windows"},
        {"lpt\xC2\xB3", "\"lpt\xC2\xB3\" is a device name on Windows"},
        {"com\xB2", "\"com\xB2\" is a device name on Windows"}, // Latin-1
        {"CONIN$", "\"CONIN$\" is a device name on Windows"},
        {"conout$.log", "\"conout$\" is a device name on Windows"},
        {"com\xC2\xB4", ""}, // an acute accent, no digit
        {"com\xB9x", ""},
        {"conin", ""},
        {"e1m1.", "Windows drops a final dot or space"},
        {"e1m1 ", "Windows drops a final dot or space"},
        {"a<b", "it holds a character Windows keeps for itself"},
        {"a\x1f", "it holds a character Windows keeps for itself"},
        {"a|b", "it holds a character Windows keeps for itself"},
        {"pak0.pak", ""},
        {"lpt0", ""},
        {"com", ""},
        {"conx", ""},
        {".hidden", ""},
        {"caf\xc3\xa9", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WindowsNameProblem(c.Level), c.Problem) << c.Level;
}

TEST(NameToUtf16, DecodesUtf8ElseLatin1AndBack) {
    const struct {
        const char* Bytes;
        std::u16string Wide;
        const char* Back; // UTF-8 of Wide
    } cases[] = {
        {"maps/e1m1.bsp", u"maps/e1m1.bsp", "maps/e1m1.bsp"},
        {"caf\xc3\xa9", u"caf\u00e9", "caf\xc3\xa9"},
        {"caf\xe9", u"caf\u00e9", "caf\xc3\xa9"}, // Latin-1: not valid UTF-8
        {"\xe2\x82\xac", u"\u20ac", "\xe2\x82\xac"},
        {"\xf0\x9f\x8e\xae", u"\U0001f3ae", "\xf0\x9f\x8e\xae"},
        {"", u"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NameToUtf16(c.Bytes), c.Wide) << c.Bytes;
        EXPECT_EQ(Utf16ToUtf8(c.Wide), c.Back) << c.Bytes;
    }
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t{0xD800})), "\xef\xbf\xbd");
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

namespace zorvak {
namespace {

TEST(TextPattern, MatchesLinesAsGrepDoes) {
    using enum TPatternSyntax;
    const std::string nul("a\0b", 3);
    const std::string longLine = std::string(1 << 20, 'x') + "needle";
    const struct {
        TPatternSyntax Syntax;
        bool IgnoreCase;
        std::string Pattern;
        std::string Line;
        bool Matches;
    } cases[] = {
        {psBasic, false, "bind", "bind w +forward", true},
        {psBasic, false, "^bind", " bind", false},
        {psBasic, false, "for.ard$", "+forward", true},
        {psBasic, false, "a\\(b\\)*c", "xabbbbc", true},
        {psBasic, false, "a|b", "a", false}, // | is a character in basic
        {psBasic, false, "a|b", "a|b", true},
        {psExtended, false, "a|b", "b", true},
        {psExtended, false, "(ab)+c$", "ababc", true},
        {psExtended, false, "x{3}", "xx", false},
        {psFixed, false, "a.b", "axb", false},
        {psFixed, false, "a.b", "a.b", true},
        {psFixed, false, "", "", true},
        {psBasic, false, "", "anything", true},
        // ASCII letters only fold; bytes past them stay as they are.
        {psFixed, true, "FORWARD", "+Forward", true},
        {psBasic, true, "^BIND", "bind", true},
        {psExtended, true, "GO|STOP", "alias go", true},
        {psFixed, true, "\xc9", "\xe9", false},
        // A NUL is a byte like any other inside a line.
        {psBasic, false, "b", nul, true},
        {psFixed, false, nul, "x" + nul, true},
        {psBasic, false, "^a", nul, true},
        // A long line searched whole, its end matched.
        {psBasic, false, "needle$", longLine, true},
        {psExtended, false, "x+needle", longLine, true},
        {psFixed, false, "needles", longLine, false},
    };
    for (const auto& c : cases) {
        const TTextPattern pattern(c.Pattern, c.Syntax, c.IgnoreCase);
        EXPECT_EQ(pattern.Matches(c.Line), c.Matches) << c.Pattern << " in " << c.Line.substr(0, 40)
                                                      << " (" << static_cast<int>(c.Syntax) << ")";
    }
}

TEST(TextPattern, RefusesAnInvalidPatternByName) {
    const struct {
        TPatternSyntax Syntax;
        const char* Pattern;
    } cases[] = {
        {TPatternSyntax::psBasic, "a\\("},
        {TPatternSyntax::psExtended, "(a"},
        {TPatternSyntax::psExtended, "[z-a]"},
        {TPatternSyntax::psBasic, "[abc"},
    };
    for (const auto& c : cases) {
        try {
            TTextPattern pattern(c.Pattern, c.Syntax, false);
            ADD_FAILURE() << c.Pattern << " was taken";
        } catch (const TFailure& e) {
            EXPECT_TRUE(std::string(e.what()).starts_with(std::string("Invalid pattern ") +
                                                          c.Pattern + ": "))
                << e.what();
        }
    }
}

} // namespace
} // namespace zorvak
