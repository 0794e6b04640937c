// The rich-text reader on its own: escapes and code pages, what it skips,
// how groups and paragraphs carry formatting, and input that is broken on
// purpose.
#include "formats/RtfParser.h"
#include "support/FuzzInputs.h"
#include "support/RtfModelCheck.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

namespace zorvak {
namespace {

std::string AllText(const TRtfModel& model) {
    std::string out;
    for (std::size_t i = 0; i < model.Paragraphs.size(); ++i) {
        if (i > 0)
            out += '|';
        out += model.ParagraphText(i);
    }
    return out;
}

TRtfModel Read(const std::string& body, const TCodePageDecoder& decoder = {}) {
    TRtfModel model = ReadRtf("{\\rtf1\\ansi " + body + "}", decoder);
    EXPECT_EQ(test::RtfModelFault(model), "") << body;
    return model;
}

// The run that holds needle.
const TRtfRun* RunWith(const TRtfModel& model, std::string_view needle) {
    for (const auto& run : model.Runs)
        if (model.RunText(run).find(needle) != std::string_view::npos)
            return &run;
    return nullptr;
}

struct TTextCase {
    const char* Name;
    std::string Body;
    std::string Expected; // paragraphs joined by "|"
};

TEST(RtfParser, EscapesAndSpecialCharacters) {
    const TTextCase cases[] = {
        {"hex Latin-1", "caf\\'e9", "caf\xC3\xA9"},
        {"hex 1252 euro and quotes", "\\'80 \\'93q\\'94", "\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D"},
        {"hex undefined in 1252", "a\\'81b", "ab"},
        {"hex upper case digits", "\\'C9", "\xC3\x89"},
        {"literal 8-bit byte", "caf\xE9", "caf\xC3\xA9"},
        {"unicode with fallback", "\\u8364?x",
         "\xE2\x82\xAC"
         "x"},
        {"unicode fallback is a hex escape", "\\u233\\'e9x", "\xC3\xA9x"},
        {"unicode with two fallback bytes", "\\uc2\\u8364??x",
         "\xE2\x82\xAC"
         "x"},
        {"unicode without fallback", "\\uc0\\u8364 x",
         "\xE2\x82\xAC"
         "x"},
        {"negative unicode", "\\u-4064?", "\xEF\x80\xA0"},
        {"surrogate pair", "\\u-10179?\\u-8704?", "\xF0\x9F\x98\x80"},
        {"lone high surrogate", "\\u55357?x", "\xEF\xBF\xBDx"},
        {"lone low surrogate", "\\u56832?x", "\xEF\xBF\xBDx"},
        {"fallback ends with its group", "{\\u233}abc",
         "\xC3\xA9"
         "abc"},
        {"uc scoped to its group", "{\\uc3 a}\\u233?b",
         "a\xC3\xA9"
         "b"},
        {"dashes and quotes", "\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote ",
         "\xE2\x80\x94\xE2\x80\x93\xE2\x80\xA2\xE2\x80\x98\xE2\x80\x99\xE2\x80\x9C\xE2\x80\x9D"},
        {"spaces", "a\\emspace b\\enspace c\\qmspace d",
         "a\xE2\x80\x83"
         "b\xE2\x80\x82"
         "c\xE2\x80\x85"
         "d"},
        {"control symbols", "a\\~b\\_c\\-d",
         "a\xC2\xA0"
         "b\xE2\x80\x91"
         "c\xC2\xAD"
         "d"},
        {"escaped specials", "\\\\ \\{ \\}", "\\ { }"},
        {"tab and line", "a\\tab b\\line c",
         "a\tb\xE2\x80\xA8"
         "c"},
        {"literal tab", "a\tb", "a\tb"},
        {"control word eats one space", "\\b  x", " x"},
        {"line ends are not text", "a\r\nb\nc", "abc"},
        {"backslash newline is a paragraph", "a\\\nb", "a|b"},
        {"cells become tabs", "a\\cell b\\cell\\row c", "a\tb\t|c"},
        {"symbol font", "{\\fonttbl{\\f1\\fcharset2 Symbol;}}{\\f1 \\'b7 a}",
         "\xE2\x80\xA2 \xCE\xB1"},
        {"wingdings", "{\\fonttbl{\\f1\\fnil\\fcharset2 Wingdings;}}{\\f1 \\'a7}", "\xE2\x96\xAA"},
        {"unknown code page falls back to 1252", "\\ansicpg1251 \\'c0", "\xC3\x80"},
        {"control bytes dropped",
         "a\\'00\\'07\x01"
         "b\\uc0\\u0 \\u13 c",
         "abc"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AllText(Read(c.Body)), c.Expected) << c.Name;
}

TEST(RtfParser, SkipsWhatItDoesNotDraw) {
    const TTextCase cases[] = {
        {"picture", "a {\\pict\\wmetafile8\\picw10 0123456789abcdef}b", "a b"},
        {"picture with binary braces", "a {\\pict\\bin6 }}}{{{}b", "a b"},
        {"starred unknown", "a {\\*\\foo secret {nested secret}}b", "a b"},
        {"starred known word", "a {\\*\\b secret}b", "a b"},
        {"info", "a {\\info{\\title secret}{\\author secret}}b", "a b"},
        {"stylesheet", "a {\\stylesheet{\\s0 Normal;}{\\s1 Heading;}}b", "a b"},
        {"field shows its result",
         "a {\\field{\\*\\fldinst HYPERLINK \"secret\"}{\\fldrslt shown}}b", "a shownb"},
        {"font table", "{\\fonttbl{\\f0 Arial;}{\\f1 Courier;}}ab", "ab"},
        {"colour table", "{\\colortbl;\\red255\\green0\\blue0;}ab", "ab"},
        {"header and footnote", "a {\\header secret}{\\footnote secret}b", "a b"},
        {"hidden text", "a \\v secret\\v0 b", "a b"},
        {"list numbering shows its text only",
         "{\\*\\pn\\pnlvlblt{\\pntxtb secret}}{\\pntext \\bullet\\tab}item", "\xE2\x80\xA2\titem"},
        {"generator", "{\\*\\generator secret;}ab", "ab"},
        {"star not after a brace is ignored", "a\\*b", "ab"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AllText(Read(c.Body)), c.Expected) << c.Name;
}

TEST(RtfParser, GroupsCarryFormattingAndRestoreIt) {
    const TRtfModel model = Read("{\\b bold {\\i both}} plain \\ul under\\ulnone  none");
    const TRtfRun* bold = RunWith(model, "bold");
    const TRtfRun* both = RunWith(model, "both");
    const TRtfRun* plain = RunWith(model, "plain");
    const TRtfRun* under = RunWith(model, "under");
    const TRtfRun* none = RunWith(model, "none");
    ASSERT_TRUE(bold && both && plain && under && none);
    EXPECT_TRUE(bold->Format.Bold && !bold->Format.Italic);
    EXPECT_TRUE(both->Format.Bold && both->Format.Italic);
    EXPECT_FALSE(plain->Format.Bold || plain->Format.Italic || plain->Format.Underline);
    EXPECT_TRUE(under->Format.Underline);
    EXPECT_FALSE(none->Format.Underline);
    // Neighbouring text of one format is one run.
    EXPECT_EQ(Read("a\\b0 b\\i0 c").Runs.size(), 1u);
}

TEST(RtfParser, TablesResolveFontsAndColours) {
    const TRtfModel model = Read(
        "\\deff1{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}{\\f1\\fswiss Arial;}"
        "{\\f2\\fmodern{\\*\\panose 02070309}Courier{\\*\\falt Mono} New;}}"
        "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue300;}"
        "default {\\f0 roman} {\\f2 fixed} {\\f9 missing} {\\cf1 red} {\\cf2 blue} {\\cf0 auto} "
        "{\\cf7 beyond} {\\highlight1 marked}");
    ASSERT_EQ(model.Fonts.size(), 3u);
    EXPECT_EQ(model.Fonts[0].Name, "Times New Roman");
    EXPECT_EQ(model.Fonts[0].Family, TRtfFontFamily::rffRoman);
    EXPECT_EQ(model.Fonts[2].Name, "Courier New");
    EXPECT_EQ(model.Fonts[2].Family, TRtfFontFamily::rffModern);
    EXPECT_EQ(RunWith(model, "default")->Format.Font, 1);
    EXPECT_EQ(RunWith(model, "roman")->Format.Font, 0);
    EXPECT_EQ(RunWith(model, "fixed")->Format.Font, 2);
    EXPECT_EQ(RunWith(model, "missing")->Format.Font, -1);
    const TRtfCharFormat red = RunWith(model, "red")->Format;
    EXPECT_TRUE(red.HasColor);
    EXPECT_EQ(red.Color, (TRtfColor{255, 0, 0}));
    EXPECT_EQ(RunWith(model, "blue")->Format.Color, (TRtfColor{0, 0, 255})); // 300 clamped
    EXPECT_FALSE(RunWith(model, "auto")->Format.HasColor);
    EXPECT_FALSE(RunWith(model, "beyond")->Format.HasColor);
    const TRtfCharFormat marked = RunWith(model, "marked")->Format;
    EXPECT_TRUE(marked.HasBackground);
    EXPECT_EQ(marked.Background, (TRtfColor{255, 0, 0}));
    // A font table without groups, as older writers make it.
    const TRtfModel flat = Read("{\\fonttbl\\f0\\fswiss Helvetica;\\f1\\fmodern Courier;}\\f1 x");
    ASSERT_EQ(flat.Fonts.size(), 2u);
    EXPECT_EQ(flat.Fonts[1].Name, "Courier");
    EXPECT_EQ(RunWith(flat, "x")->Format.Font, 1);
}

TEST(RtfParser, ParagraphsTakeTheFormatInEffectAtTheirEnd) {
    const TRtfModel model =
        Read("\\qc centred\\par\\pard left\\par\\pard\\li720\\fi-360\\ri100\\sb60\\sa120 indented"
             "\\qr\\par\\pard\\tx2880\\tqr\\tx1440 tabs\\par {\\qj grouped\\par}after\\par\\par");
    ASSERT_EQ(model.Paragraphs.size(), 7u);
    EXPECT_EQ(AllText(model), "centred|left|indented|tabs|grouped|after|");
    EXPECT_EQ(model.Paragraphs[0].Format.Align, TRtfAlign::raCenter);
    EXPECT_EQ(model.Paragraphs[1].Format.Align, TRtfAlign::raLeft);
    const TRtfParaFormat indented = model.Paragraphs[2].Format;
    EXPECT_EQ(indented.Align, TRtfAlign::raRight);
    EXPECT_EQ(indented.LeftIndent, 720);
    EXPECT_EQ(indented.FirstIndent, -360);
    EXPECT_EQ(indented.RightIndent, 100);
    EXPECT_EQ(indented.SpaceBefore, 60);
    EXPECT_EQ(indented.SpaceAfter, 120);
    ASSERT_GE(model.Paragraphs[3].Format.TabSet, 0);
    const auto& tabs = model.TabSets[static_cast<std::size_t>(model.Paragraphs[3].Format.TabSet)];
    ASSERT_EQ(tabs.size(), 2u); // sorted by position
    EXPECT_EQ(tabs[0], (TRtfTabStop{1440, TRtfTabKind::rtkRight}));
    EXPECT_EQ(tabs[1], (TRtfTabStop{2880, TRtfTabKind::rtkLeft}));
    EXPECT_EQ(model.Paragraphs[4].Format.Align, TRtfAlign::raJustify);
    EXPECT_EQ(model.Paragraphs[5].Format.Align, TRtfAlign::raLeft); // the group restored it
    // Tabs last until \pard; one set serves every paragraph that has them.
    EXPECT_EQ(model.Paragraphs[5].Format.TabSet, model.Paragraphs[3].Format.TabSet);
    EXPECT_EQ(model.TabSets.size(), 1u);
    // The last paragraph mark ends the text: no empty paragraph after it.
    EXPECT_EQ(Read("a\\par").Paragraphs.size(), 1u);
    EXPECT_EQ(Read("a\\par b").Paragraphs.size(), 2u);
    // An empty line keeps the size in effect at its mark.
    EXPECT_EQ(Read("\\fs40\\par x").Paragraphs[0].MarkFormat.HalfPoints, 40);
}

TEST(RtfParser, CodePagesGoThroughTheDecoder) {
    std::vector<std::pair<int, std::string>> calls;
    const TCodePageDecoder decoder = [&](int codePage, std::string_view bytes) {
        calls.emplace_back(codePage, std::string(bytes));
        return std::optional<std::string>("<" + std::to_string(codePage) + ">");
    };
    // Double-byte pairs reach the decoder together, with the text around them.
    EXPECT_EQ(AllText(Read("\\ansicpg932 \\'82\\'a0A", decoder)), "<932>");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].second, "\x82\xA0"
                               "A");
    calls.clear();
    // A font's character set wins over the document's code page.
    EXPECT_EQ(AllText(Read("{\\fonttbl{\\f0\\fcharset204 Arial Cyr;}{\\f1 Arial;}}"
                           "\\f0 \\'c0{\\f1 \\'c0}",
                           decoder)),
              "<1251>\xC3\x80");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].first, 1251);
    calls.clear();
    // 1252 and plain ASCII never need it.
    EXPECT_EQ(AllText(Read("abc \\'e9", decoder)), "abc \xC3\xA9");
    EXPECT_TRUE(calls.empty());
    // A decoder that cannot help leaves the bytes to 1252.
    const TCodePageDecoder refusing = [](int, std::string_view) {
        return std::optional<std::string>();
    };
    EXPECT_EQ(AllText(Read("\\ansicpg1253 \\'e9", refusing)), "\xC3\xA9");
}

TEST(RtfParser, BrokenInputShowsWhatCouldBeRead) {
    const struct {
        const char* Name;
        std::string Input;
        std::string Expected;
        bool Truncated;
    } cases[] = {
        {"unclosed groups", "{\\rtf1 abc{\\b def", "abcdef", true},
        {"extra closing braces", "{\\rtf1 abc}}}} more", "abc", false},
        {"nothing after the document", "{\\rtf1 abc} trailing {\\b text}", "abc", false},
        {"backslash at the end", "{\\rtf1 a\\", "a", true},
        {"hex escape without digits", "{\\rtf1 a\\'", "a", true},
        {"hex escape with one digit", "{\\rtf1 a\\'4", "a", true},
        {"hex escape with a bad digit", "{\\rtf1 a\\'4zb}", "azb", false},
        {"unicode without number", "{\\rtf1 a\\u", "a", true},
        {"minus without digits", "{\\rtf1 a\\u- b}", "a- b", false},
        {"word without end", "{\\rtf1 a\\bold", "a", true},
        {"huge numbers saturate", "{\\rtf1 \\fs99999999999999999999 a\\li-99999999999 b}", "ab",
         false},
        {"huge binary count", "{\\rtf1 a\\bin99999999999999 xyz}", "a", true},
        {"negative binary count", "{\\rtf1 a\\bin-5 xyz}", "axyz", false},
        {"binary at the end", "{\\rtf1 a\\bin", "a", true},
        {"skipped group never closed", "{\\rtf1 a{\\pict 0123", "a", true},
        {"destination in the document's own group", "{\\rtf1 a\\pict b}", "ab", false},
        {"stray star", "{\\rtf1 a{\\* b}c}", "a bc", false},
        {"long control word", "{\\rtf1 a\\" + std::string(10000, 'x') + " b}", "ab", false},
        {"not rich text at all", "plain {text}", "plain text", false},
    };
    for (const auto& c : cases) {
        const TRtfModel model = ReadRtf(c.Input);
        EXPECT_EQ(test::RtfModelFault(model), "") << c.Name;
        EXPECT_EQ(AllText(model), c.Expected) << c.Name;
        EXPECT_EQ(model.Truncated, c.Truncated) << c.Name;
    }
}

TEST(RtfParser, DeepNestingCostsNoStateAndRestoresFormatting) {
    for (const std::size_t depth : {std::size_t{100}, std::size_t{5000}, std::size_t{200000}}) {
        const std::string input =
            "{\\rtf1 " + std::string(depth, '{') + "\\b deep" + std::string(depth, '}') + " tail}";
        const TRtfModel model = ReadRtf(input);
        EXPECT_EQ(AllText(model), "deep tail") << depth;
        EXPECT_FALSE(model.Truncated) << depth;
        ASSERT_EQ(model.Runs.size(), 2u) << depth;
        EXPECT_TRUE(model.Runs[0].Format.Bold) << depth;
        EXPECT_FALSE(model.Runs[1].Format.Bold) << depth;
    }
    // A million openings and nothing else.
    const TRtfModel open = ReadRtf("{\\rtf1 a" + std::string(1000000, '{') + "b");
    EXPECT_EQ(AllText(open), "ab");
    EXPECT_TRUE(open.Truncated);
}

TEST(RtfParser, TablesStayBounded) {
    std::string fonts = "{\\fonttbl";
    std::string colours = "{\\colortbl";
    for (int i = 0; i < 20000; ++i) {
        fonts += "{\\f" + std::to_string(i) + " F;}";
        colours += "\\red1;";
    }
    const TRtfModel model = Read(fonts + "}" + colours + "}\\tx1\\tx2\\tx3" + [] {
        std::string tabs;
        for (int i = 0; i < 1000; ++i)
            tabs += "\\tx" + std::to_string(i * 10);
        return tabs;
    }() + " x\\par");
    EXPECT_EQ(model.Fonts.size(), 4096u);
    ASSERT_EQ(model.TabSets.size(), 1u);
    EXPECT_EQ(model.TabSets[0].size(), 32u);
}

TEST(RtfParser, GarbageReadsWithoutFault) {
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> byte(0, 255);
    // Weighted towards the characters the reader reacts to.
    const std::string special = "{}\\'*;0123456789abuxf-";
    for (int round = 0; round < 50; ++round) {
        std::string input = "{\\rtf1 ";
        for (int i = 0; i < 20000; ++i) {
            const int b = byte(random);
            input += b < 128 ? special[static_cast<std::size_t>(b) % special.size()]
                             : static_cast<char>(byte(random));
        }
        const TRtfModel model = ReadRtf(input);
        ASSERT_EQ(test::RtfModelFault(model), "") << "round " << round;
    }
}

TEST(RtfParser, LargeDocumentReadsWhole) {
    // A few megabytes of ordinary rich text: every paragraph arrives.
    const std::string paragraph =
        "{\\b Heading}\\par\\pard\\li360 Text with \\i italics\\i0 , caf\\'e9 and \\u8364? "
        "{\\pict 0123456789abcdef}{\\field{\\*\\fldinst x}{\\fldrslt link}}.\\par\n";
    const int count = 30000;
    std::string input = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}";
    input.reserve(paragraph.size() * count + 64);
    for (int i = 0; i < count; ++i)
        input += paragraph;
    input += "}";
    ASSERT_GT(input.size(), 3u << 20);
    const TRtfModel model = ReadRtf(input);
    EXPECT_EQ(model.Paragraphs.size(), 2u * count);
    EXPECT_EQ(model.ParagraphText(2 * count - 1),
              "Text with italics, caf\xC3\xA9 and \xE2\x82\xAC link.");
    EXPECT_EQ(test::RtfModelFault(model), "");
}

TEST(RtfParser, StopsReadingAtItsLimits) {
    TRtfLimits paragraphs;
    paragraphs.MaxParagraphs = 3;
    const TRtfModel byParagraphs =
        ReadRtf("{\\rtf1 a\\par b\\par c\\par d\\par e}", {}, paragraphs);
    EXPECT_EQ(AllText(byParagraphs), "a|b|c");
    EXPECT_TRUE(byParagraphs.Cut);
    EXPECT_FALSE(byParagraphs.Truncated);

    // Never inside a character: the two bytes of the e-acute go together.
    TRtfLimits text;
    text.MaxTextBytes = 4;
    const TRtfModel byText = ReadRtf("{\\rtf1 ab\\par c\\'e9 and more\\par}", {}, text);
    EXPECT_EQ(AllText(byText), "ab|c");
    EXPECT_TRUE(byText.Cut);
    EXPECT_EQ(test::RtfModelFault(byText), "");
    text.MaxTextBytes = 5;
    EXPECT_EQ(AllText(ReadRtf("{\\rtf1 ab\\par c\\'e9 and more\\par}", {}, text)), "ab|c\xC3\xA9");

    // Within the limits nothing is cut.
    const TRtfModel whole = ReadRtf("{\\rtf1 a\\par b}", {}, paragraphs);
    EXPECT_EQ(AllText(whole), "a|b");
    EXPECT_FALSE(whole.Cut);
}

TEST(RtfParser, RecognisesRichText) {
    EXPECT_TRUE(IsRichText("{\\rtf1\\ansi x}"));
    EXPECT_TRUE(IsRichText("\xEF\xBB\xBF  \r\n{\\rtf1}"));
    EXPECT_TRUE(IsRichText("{\\rtf"));
    EXPECT_FALSE(IsRichText(""));
    EXPECT_FALSE(IsRichText("{\\rt"));
    EXPECT_FALSE(IsRichText("Plain text {\\rtf1}"));
    EXPECT_FALSE(IsRichText("{ \\rtf1}"));
}

TEST(RtfParser, PlainTextDecoding) {
    const TTextCase cases[] = {
        {"UTF-8", "caf\xC3\xA9", "caf\xC3\xA9"},
        {"UTF-8 with byte order mark", "\xEF\xBB\xBFx", "x"},
        {"1252 when not UTF-8", "caf\xE9 \x80", "caf\xC3\xA9 \xE2\x82\xAC"},
        {"UTF-16 little endian",
         std::string("\xFF\xFE"
                     "a\0\xE9\0",
                     6),
         "a\xC3\xA9"},
        {"UTF-16 big endian", std::string("\xFE\xFF\0a\xD8\x3D\xDE\x00", 8), "a\xF0\x9F\x98\x80"},
        {"UTF-16 odd length",
         std::string("\xFF\xFE"
                     "a\0b",
                     5),
         "a"},
        {"line ends", "a\r\nb\rc\nd", "a\nb\nc\nd"},
        {"controls dropped, tabs kept", std::string("a\0b\tc\x7F", 6), "ab\tc"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodePlainText(c.Body), c.Expected) << c.Name;
}

TEST(RtfParser, FuzzInputsReadWithoutFault) {
    // The reader's seed corpus, and what the fuzzer ever crashed it with.
    const int replayed =
        test::ForEachFuzzInput("rtf_corpus", "rtf", [](const auto& path, const auto& bytes) {
            EXPECT_EQ(test::RtfModelFault(ReadRtf(std::string(bytes.begin(), bytes.end()))), "")
                << path;
        });
    EXPECT_GT(replayed, 0) << "the seed corpus is missing";
}

} // namespace
} // namespace zorvak
