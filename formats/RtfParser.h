// Rich text (RTF) read into a neutral model of paragraphs and formatted runs,
// with no toolkit involved: the help window turns the model into its
// document, and the fuzzer feeds the reader arbitrary bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvak {

struct TRtfColor {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
    bool operator==(const TRtfColor&) const = default;
};

// The generic family a font table entry names (\fnil, \froman, ...).
enum class TRtfFontFamily : std::uint8_t {
    rffDefault,
    rffRoman,
    rffSwiss,
    rffModern,
    rffScript,
    rffDecor,
    rffTech
};

struct TRtfFont {
    std::string Name; // UTF-8; empty for symbol fonts, whose bytes are mapped to Unicode
    TRtfFontFamily Family = TRtfFontFamily::rffDefault;
    int Charset = 0;
};

enum class TRtfVertical : std::uint8_t { rvNormal, rvSuper, rvSub };

// Character formatting of a run; a plain value, compared as a whole.
struct TRtfCharFormat {
    std::int32_t Font = -1;       // index into TRtfModel::Fonts; -1 for the viewer's font
    std::int32_t HalfPoints = 24; // \fs: size in half points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Strike = false;
    TRtfVertical Vertical = TRtfVertical::rvNormal;
    bool HasColor = false; // false: the viewer's text colour
    bool HasBackground = false;
    TRtfColor Color;
    TRtfColor Background;
    bool operator==(const TRtfCharFormat&) const = default;
};

enum class TRtfAlign : std::uint8_t { raLeft, raCenter, raRight, raJustify };
enum class TRtfTabKind : std::uint8_t { rtkLeft, rtkCenter, rtkRight, rtkDecimal };

struct TRtfTabStop {
    std::int32_t Position = 0; // twips from the left margin
    TRtfTabKind Kind = TRtfTabKind::rtkLeft;
    bool operator==(const TRtfTabStop&) const = default;
};

// Paragraph formatting; lengths in twips (1/1440 inch).
struct TRtfParaFormat {
    TRtfAlign Align = TRtfAlign::raLeft;
    std::int32_t LeftIndent = 0;
    std::int32_t RightIndent = 0;
    std::int32_t FirstIndent = 0; // relative to LeftIndent; negative for a hanging indent
    std::int32_t SpaceBefore = 0;
    std::int32_t SpaceAfter = 0;
    std::int32_t TabSet = -1; // index into TRtfModel::TabSets; -1 for default tabs only
    bool operator==(const TRtfParaFormat&) const = default;
};

struct TRtfRun {
    TRtfCharFormat Format;
    std::size_t Start = 0; // bytes of TRtfModel::Text
    std::size_t Length = 0;
};

struct TRtfParagraph {
    TRtfParaFormat Format;
    TRtfCharFormat MarkFormat; // the format at the paragraph's end: the height of an empty line
    std::size_t FirstRun = 0;
    std::size_t RunCount = 0;
};

// What was read: the text of all runs back to back, in UTF-8, with U+2028
// for a line break and "\t" for a tab; never a "\n" or another control.
struct TRtfModel {
    std::string Text;
    std::vector<TRtfRun> Runs;
    std::vector<TRtfParagraph> Paragraphs;
    std::vector<TRtfFont> Fonts;
    std::vector<std::vector<TRtfTabStop>> TabSets;
    std::int32_t DefaultTab = 720; // \deftab, twips
    int CodePage = 1252;           // \ansicpg
    bool Truncated = false;        // the input ended before its groups were closed
    bool Cut = false;              // reading stopped at a limit (TRtfLimits)

    std::string_view RunText(const TRtfRun& run) const {
        return std::string_view(Text).substr(run.Start, run.Length);
    }
    // The text of one paragraph, runs joined.
    std::string ParagraphText(std::size_t index) const;
};

// Turns bytes of a code page that the reader does not know itself into
// UTF-8; nullopt when it cannot.
using TCodePageDecoder =
    std::function<std::optional<std::string>(int codePage, std::string_view bytes)>;

// How much a reader takes before it stops reading; a viewer that cannot lay
// out more than so much asks for no more.
struct TRtfLimits {
    std::size_t MaxTextBytes = SIZE_MAX;  // UTF-8 bytes of TRtfModel::Text
    std::size_t MaxParagraphs = SIZE_MAX; // ended paragraphs
};

// Whether bytes hold rich text: "{\rtf" after an optional UTF-8 byte order
// mark and white space.
bool IsRichText(std::string_view bytes);

// Reads rich text into the model. Never fails on any input: broken or
// truncated rich text gives what could be read. Time and memory grow
// linearly with the input. \'hh escapes are decoded by the document's code
// page (or the current font's character set): 1252 and the symbol fonts by
// the reader itself, others through decoder when given, else as 1252.
// Reading stops at the limits, with Cut set and the text cut between
// characters.
TRtfModel ReadRtf(std::string_view bytes, const TCodePageDecoder& decoder = {},
                  const TRtfLimits& limits = {});

// Plain text as a viewer shows it: UTF-8 when valid (a byte order mark
// dropped), UTF-16 after its byte order mark, else Windows-1252; line ends
// become "\n", other control characters but tabs are dropped.
std::string DecodePlainText(std::string_view bytes);

// Windows-1252 bytes in UTF-8; the five bytes that code page leaves
// undefined are dropped, as are control characters other than tab.
std::string DecodeWindows1252(std::string_view bytes);

} // namespace zorvak
