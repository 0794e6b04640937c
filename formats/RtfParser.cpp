#include "formats/RtfParser.h"

#include "framework/Text.h"

#include <algorithm>
#include <array>
#include <limits>
#include <unordered_map>

namespace zorvak {

namespace {

// Groups nested deeper than this share the state of the deepest kept one, so
// a file of a million "{" costs a counter, not a million saved states.
constexpr std::size_t kMaxDepth = 4096;
// Tables are bounded so that a file of nothing but table entries cannot grow
// them beyond any use.
constexpr std::size_t kMaxFonts = 4096;
constexpr std::size_t kMaxColors = 4096;
constexpr std::size_t kMaxTabs = 32;
constexpr std::size_t kMaxFontName = 256;
// Wider than any page; keeps absurd indents from making absurd layouts.
constexpr std::int32_t kMaxTwips = 31680;
constexpr std::int32_t kMaxHalfPoints = 3276;
constexpr std::int32_t kMaxUcSkip = 255;

// Code pages the reader maps itself besides 1252.
constexpr int kCodePageSymbol = 42;
constexpr int kCodePageWingdings = -2;

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kLineSeparator = 0x2028;

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Windows-1252 from 0x80 to 0x9F; 0 where the code page defines nothing.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t Cp1252ToUnicode(unsigned char b) {
    if (b >= 0x80 && b < 0xA0)
        return kCp1252High[b - 0x80];
    return b; // the rest of the code page is Latin-1
}

struct TByteMap {
    unsigned char Byte;
    char16_t Unicode;
};

// The Unicode of b in table, or fallback when the table does not list it.
template <std::size_t N>
char32_t Lookup(const TByteMap (&table)[N], unsigned char b, char32_t fallback) {
    for (const TByteMap& entry : table)
        if (entry.Byte == b)
            return entry.Unicode;
    return fallback;
}

// The Symbol font's letters are Greek; its upper half holds the signs that
// lists and formulas use.
char32_t SymbolToUnicode(unsigned char b) {
    static constexpr char16_t upper[26] = {0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393,
                                           0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D,
                                           0x039F, 0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5,
                                           0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396};
    static constexpr char16_t lower[26] = {0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3,
                                           0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD,
                                           0x03BF, 0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5,
                                           0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6};
    static constexpr TByteMap signs[] = {
        {0xA3, 0x2264}, {0xA5, 0x221E}, {0xA7, 0x2663}, {0xA8, 0x2666}, {0xA9, 0x2665},
        {0xAA, 0x2660}, {0xAB, 0x2194}, {0xAC, 0x2190}, {0xAD, 0x2191}, {0xAE, 0x2192},
        {0xAF, 0x2193}, {0xB3, 0x2265}, {0xB4, 0x00D7}, {0xB7, 0x2022}, {0xB8, 0x00F7},
        {0xB9, 0x2260}, {0xBA, 0x2261}, {0xBB, 0x2248}, {0xBC, 0x2026}, {0xD7, 0x22C5},
        {0xD8, 0x00AC}, {0xE0, 0x25CA}};
    if (b >= 'A' && b <= 'Z')
        return upper[b - 'A'];
    if (b >= 'a' && b <= 'z')
        return lower[b - 'a'];
    return Lookup(signs, b, b);
}

// Wingdings in rich text is nearly always a list's bullet; what has no
// better match is shown as one.
char32_t WingdingsToUnicode(unsigned char b) {
    static constexpr TByteMap bullets[] = {
        {0x6C, 0x25CF}, {0x6E, 0x25A0}, {0x6F, 0x25A1}, {0x71, 0x2751}, {0x75, 0x25C6},
        {0x76, 0x2756}, {0xA7, 0x25AA}, {0xA8, 0x25FB}, {0xD8, 0x27A2}, {0xE8, 0x2794},
        {0xF0, 0x21E8}, {0xFB, 0x2717}, {0xFC, 0x2713}, {0x20, 0x0020}};
    return Lookup(bullets, b, 0x2022);
}

// Bytes in one of the code pages mapped here; anything else is read as 1252.
void AppendBuiltin(std::string& out, int codePage, std::string_view bytes) {
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        char32_t cp;
        if (codePage == kCodePageSymbol)
            cp = SymbolToUnicode(b);
        else if (codePage == kCodePageWingdings)
            cp = WingdingsToUnicode(b);
        else
            cp = Cp1252ToUnicode(b);
        if (cp != 0)
            AppendUtf8(out, cp);
    }
}

// The code page a font's character set implies; 0 for "the document's".
int CharsetCodePage(int charset) {
    static constexpr std::pair<int, int> pages[] = {
        {2, kCodePageSymbol}, {77, 10000}, {128, 932},  {129, 949},  {130, 1361}, {134, 936},
        {136, 950},           {161, 1253}, {162, 1254}, {163, 1258}, {177, 1255}, {178, 1256},
        {186, 1257},          {204, 1251}, {222, 874},  {238, 1250}, {255, 437}};
    for (const auto& [set, page] : pages)
        if (set == charset)
            return page;
    return 0;
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool ContainsNoCase(std::string_view text, std::string_view part) {
    return AsciiLower(text).find(AsciiLower(part)) != std::string::npos;
}

enum class TWord : std::uint8_t {
    wUnknown,
    wSkipDestination,
    wFontTable,
    wColorTable,
    wPar,
    wLine,
    wTab,
    wChar,
    wPlain,
    wBold,
    wItalic,
    wUnderline,
    wUnderlineNone,
    wStrike,
    wFont,
    wFontSize,
    wColor,
    wBackground,
    wSuper,
    wSub,
    wNoSuperSub,
    wHidden,
    wPard,
    wAlign,
    wLeftIndent,
    wRightIndent,
    wFirstIndent,
    wSpaceBefore,
    wSpaceAfter,
    wTabStop,
    wTabKind,
    wCodePage,
    wAnsiCpg,
    wDefaultFont,
    wDefaultTab,
    wUnicodeSkip,
    wUnicode,
    wBinary,
    wFontFamily,
    wFontCharset,
    wRed,
    wGreen,
    wBlue
};

struct TWordInfo {
    TWord Kind = TWord::wUnknown;
    char32_t Value = 0; // the character, alignment, tab kind, family or code page
};

// Calls use with each of the space-separated words of list.
template <typename TUse> void ForEachWord(std::string_view list, TUse use) {
    while (!list.empty()) {
        const std::size_t space = list.find(' ');
        use(list.substr(0, space));
        list.remove_prefix(space == std::string_view::npos ? list.size() : space + 1);
    }
}

const std::unordered_map<std::string_view, TWordInfo>& Words() {
    static const std::unordered_map<std::string_view, TWordInfo> words = [] {
        std::unordered_map<std::string_view, TWordInfo> w;
        // Destinations whose text is never shown.
        ForEachWord("pict info stylesheet fldinst object objdata objclass header headerl headerr "
                    "headerf footer footerl footerr footerf footnote xe tc txe rxe pn pntxta "
                    "pntxtb listtable listoverridetable revtbl rsidtbl filetbl generator "
                    "themedata datastore latentstyles xmlnstbl colorschememapping do nonshppict "
                    "shpinst template private comment bkmkstart bkmkend annotation atnid "
                    "atnauthor atndate atnref atnicn atrfstart atrfend userprops docvar fchars "
                    "lchars pgdsctbl protusertbl background mmathPr ud falt panose fontemb "
                    "fontfile",
                    [&](std::string_view name) { w[name] = {TWord::wSkipDestination}; });
        w["fonttbl"] = {TWord::wFontTable};
        w["colortbl"] = {TWord::wColorTable};
        for (std::string_view name : {"par", "sect", "page", "row"})
            w[name] = {TWord::wPar};
        w["line"] = {TWord::wLine};
        for (std::string_view name : {"tab", "cell", "nestcell"})
            w[name] = {TWord::wTab};
        const std::pair<std::string_view, char32_t> chars[] = {
            {"emdash", 0x2014},  {"endash", 0x2013},    {"bullet", 0x2022},    {"lquote", 0x2018},
            {"rquote", 0x2019},  {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"emspace", 0x2003},
            {"enspace", 0x2002}, {"qmspace", 0x2005},   {"zwj", 0x200D},       {"zwnj", 0x200C},
            {"zwbo", 0x200B},    {"zwnbo", 0xFEFF},     {"ltrmark", 0x200E},   {"rtlmark", 0x200F}};
        for (const auto& [name, cp] : chars)
            w[name] = {TWord::wChar, cp};
        w["plain"] = {TWord::wPlain};
        w["b"] = {TWord::wBold};
        w["i"] = {TWord::wItalic};
        ForEachWord("ul uld uldash uldashd uldashdd uldb ulhwave ulldash ulth ulthd ulthdash "
                    "ulthdashd ulthdashdd ulthldash ululdbwave ulw ulwave",
                    [&](std::string_view name) { w[name] = {TWord::wUnderline}; });
        w["ulnone"] = {TWord::wUnderlineNone};
        w["strike"] = {TWord::wStrike};
        w["striked"] = {TWord::wStrike};
        w["f"] = {TWord::wFont};
        w["fs"] = {TWord::wFontSize};
        w["cf"] = {TWord::wColor};
        for (std::string_view name : {"cb", "highlight", "chcbpat"})
            w[name] = {TWord::wBackground};
        w["super"] = {TWord::wSuper};
        w["sub"] = {TWord::wSub};
        w["nosupersub"] = {TWord::wNoSuperSub};
        w["v"] = {TWord::wHidden};
        w["pard"] = {TWord::wPard};
        w["ql"] = {TWord::wAlign, char32_t(TRtfAlign::raLeft)};
        w["qc"] = {TWord::wAlign, char32_t(TRtfAlign::raCenter)};
        w["qr"] = {TWord::wAlign, char32_t(TRtfAlign::raRight)};
        w["qj"] = {TWord::wAlign, char32_t(TRtfAlign::raJustify)};
        w["qd"] = {TWord::wAlign, char32_t(TRtfAlign::raJustify)};
        w["li"] = w["lin"] = {TWord::wLeftIndent};
        w["ri"] = w["rin"] = {TWord::wRightIndent};
        w["fi"] = {TWord::wFirstIndent};
        w["sb"] = {TWord::wSpaceBefore};
        w["sa"] = {TWord::wSpaceAfter};
        w["tx"] = w["tb"] = {TWord::wTabStop};
        w["tqr"] = {TWord::wTabKind, char32_t(TRtfTabKind::rtkRight)};
        w["tqc"] = {TWord::wTabKind, char32_t(TRtfTabKind::rtkCenter)};
        w["tqdec"] = {TWord::wTabKind, char32_t(TRtfTabKind::rtkDecimal)};
        w["ansi"] = {TWord::wCodePage, 1252};
        w["mac"] = {TWord::wCodePage, 10000};
        w["pc"] = {TWord::wCodePage, 437};
        w["pca"] = {TWord::wCodePage, 850};
        w["ansicpg"] = {TWord::wAnsiCpg};
        w["deff"] = {TWord::wDefaultFont};
        w["deftab"] = {TWord::wDefaultTab};
        w["uc"] = {TWord::wUnicodeSkip};
        w["u"] = {TWord::wUnicode};
        w["bin"] = {TWord::wBinary};
        w["fnil"] = {TWord::wFontFamily, char32_t(TRtfFontFamily::rffDefault)};
        w["froman"] = {TWord::wFontFamily, char32_t(TRtfFontFamily::rffRoman)};
        w["fswiss"] = {TWord::wFontFamily, char32_t(TRtfFontFamily::rffSwiss)};
        w["fmodern"] = {TWord::wFontFamily, char32_t(TRtfFontFamily::rffModern)};
        w["fscript"] = {TWord::wFontFamily, char32_t(TRtfFontFamily::rffScript)};
        w["fdecor"] = {TWord::wFontFamily, char32_t(TRtfFontFamily::rffDecor)};
        w["ftech"] = {TWord::wFontFamily, char32_t(TRtfFontFamily::rffTech)};
        w["fcharset"] = {TWord::wFontCharset};
        w["red"] = {TWord::wRed};
        w["green"] = {TWord::wGreen};
        w["blue"] = {TWord::wBlue};
        return w;
    }();
    return words;
}

enum class TDestination : std::uint8_t { dText, dFontTable, dColorTable };

// What a group saves and its closing brace restores.
struct TGroupState {
    TDestination Destination = TDestination::dText;
    std::int32_t FontNumber = -1; // -1: the document's default font
    std::int32_t HalfPoints = 24;
    std::int32_t ColorIndex = -1;
    std::int32_t BackgroundIndex = -1;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Strike = false;
    bool Hidden = false;
    TRtfVertical Vertical = TRtfVertical::rvNormal;
    TRtfParaFormat Para;
    std::array<TRtfTabStop, kMaxTabs> Tabs{};
    std::uint8_t TabCount = 0;
    TRtfTabKind NextTabKind = TRtfTabKind::rtkLeft;
    std::int32_t UcSkip = 1;
};

std::int32_t ClampTwips(std::int32_t value) {
    return std::clamp(value, -kMaxTwips, kMaxTwips);
}

class TReader {
public:
    TReader(std::string_view in, const TCodePageDecoder& decoder, const TRtfLimits& limits,
            TRtfModel& out)
        : in_(in), decoder_(decoder), limits_(limits), out_(out) {}

    void Run() {
        while (pos_ < in_.size() && !done_) {
            const char c = in_[pos_];
            if (c == '{') {
                ++pos_;
                OpenGroup();
            } else if (c == '}') {
                ++pos_;
                CloseGroup();
            } else if (c == '\\') {
                ++pos_;
                Escape();
            } else if (c == '\r' || c == '\n') {
                ++pos_;
            } else {
                Text();
            }
        }
        FlushBytes();
        FlushHighSurrogate();
        if (out_.Runs.size() > paraFirstRun_)
            EndParagraph();
        out_.Truncated = !done_ && !out_.Cut && (!stack_.empty() || overflow_ > 0);
    }

private:
    // ---- tokens

    void Text() {
        const std::size_t start = pos_;
        while (pos_ < in_.size()) {
            const char c = in_[pos_];
            if (c == '{' || c == '}' || c == '\\' || c == '\r' || c == '\n')
                break;
            ++pos_;
        }
        std::string_view span = in_.substr(start, pos_ - start);
        groupStart_ = false;
        starPending_ = false;
        if (fallback_ > 0) {
            const auto skip =
                std::min<std::size_t>(span.size(), static_cast<std::size_t>(fallback_));
            fallback_ -= static_cast<std::int32_t>(skip);
            span.remove_prefix(skip);
        }
        if (span.empty())
            return;
        switch (st_.Destination) {
        case TDestination::dText:
            if (!st_.Hidden)
                AppendBytes(span);
            break;
        case TDestination::dFontTable:
            for (const char ch : span) {
                if (ch == ';')
                    CommitFont();
                else if (fontOpen_ && fontName_.size() < kMaxFontName)
                    fontName_ += ch;
            }
            break;
        case TDestination::dColorTable:
            for (const char ch : span)
                if (ch == ';')
                    CommitColor();
            break;
        }
    }

    void Escape() {
        if (pos_ >= in_.size())
            return; // a lone backslash at the end
        const char c = in_[pos_];
        if (IsAsciiLetter(c)) {
            std::string_view word;
            bool hasParam = false;
            std::int32_t param = 0;
            ReadWord(word, hasParam, param);
            ControlWord(word, hasParam, param);
        } else if (c == '\'') {
            ++pos_;
            const int high = pos_ < in_.size() ? HexDigitValue(in_[pos_]) : -1;
            const int low = pos_ + 1 < in_.size() ? HexDigitValue(in_[pos_ + 1]) : -1;
            if (high < 0)
                return; // "\'" without digits: nothing to show
            ++pos_;
            if (low < 0)
                return; // one digit only: dropped with it
            ++pos_;
            HexByte(static_cast<unsigned char>(high << 4 | low));
        } else {
            ++pos_;
            Symbol(c);
        }
    }

    // Reads a control word at pos_: its letters, an optional signed number,
    // and the one space that may end it. Numbers saturate instead of
    // overflowing; letters and digits beyond any sensible length are read
    // and kept out of the text all the same.
    void ReadWord(std::string_view& word, bool& hasParam, std::int32_t& param) {
        const std::size_t start = pos_;
        while (pos_ < in_.size() && IsAsciiLetter(in_[pos_]))
            ++pos_;
        word = in_.substr(start, pos_ - start);
        bool negative = false;
        if (pos_ + 1 < in_.size() && in_[pos_] == '-' && IsDigit(in_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        std::int64_t value = 0;
        hasParam = false;
        while (pos_ < in_.size() && IsDigit(in_[pos_])) {
            hasParam = true;
            value = std::min<std::int64_t>(value * 10 + (in_[pos_] - '0'),
                                           std::numeric_limits<std::int32_t>::max());
            ++pos_;
        }
        param = static_cast<std::int32_t>(negative ? -value : value);
        if (pos_ < in_.size() && in_[pos_] == ' ')
            ++pos_;
    }

    void SkipBinary(bool hasParam, std::int32_t count) {
        if (!hasParam || count <= 0)
            return;
        pos_ += std::min<std::size_t>(static_cast<std::size_t>(count), in_.size() - pos_);
    }

    void ControlWord(std::string_view word, bool hasParam, std::int32_t param) {
        FlushBytes();
        const auto& words = Words();
        const auto found = words.find(word);
        const TWordInfo info = found != words.end() ? found->second : TWordInfo{};
        const bool starred = starPending_;
        starPending_ = false;
        groupStart_ = false;

        if (fallback_ > 0) { // the \uN fallback: a whole control word counts as one character
            --fallback_;
            if (info.Kind == TWord::wBinary)
                SkipBinary(hasParam, param);
            return;
        }
        if (info.Kind == TWord::wBinary) {
            SkipBinary(hasParam, param);
            return;
        }
        if (info.Kind != TWord::wUnicode)
            FlushHighSurrogate();
        if (starred && info.Kind != TWord::wFontTable && info.Kind != TWord::wColorTable) {
            SkipGroup();
            return;
        }
        switch (info.Kind) {
        case TWord::wSkipDestination:
            SkipGroup();
            return;
        case TWord::wFontTable:
            st_.Destination = TDestination::dFontTable;
            fontOpen_ = false;
            return;
        case TWord::wColorTable:
            st_.Destination = TDestination::dColorTable;
            colorSet_ = false;
            return;
        default:
            break;
        }
        switch (st_.Destination) {
        case TDestination::dText:
            TextWord(info, hasParam, param);
            break;
        case TDestination::dFontTable:
            FontTableWord(info, hasParam, param);
            break;
        case TDestination::dColorTable:
            ColorTableWord(info, param);
            break;
        }
    }

    static bool Toggle(bool hasParam, std::int32_t param) { return !hasParam || param != 0; }

    void TextWord(const TWordInfo& info, bool hasParam, std::int32_t param) {
        switch (info.Kind) {
        case TWord::wPar:
            EndParagraph();
            return;
        case TWord::wLine:
            AppendCharacter(kLineSeparator);
            return;
        case TWord::wTab:
            AppendCharacter(U'\t');
            return;
        case TWord::wChar:
            AppendCharacter(info.Value);
            return;
        case TWord::wUnicode:
            if (!hasParam)
                return; // no character, so no fallback either
            AppendUnicode(param);
            fallback_ = st_.UcSkip;
            return;
        case TWord::wUnicodeSkip:
            st_.UcSkip = std::clamp(param, 0, kMaxUcSkip);
            return;
        case TWord::wCodePage:
            out_.CodePage = static_cast<int>(info.Value);
            break;
        case TWord::wAnsiCpg:
            if (param > 0 && param < 65536)
                out_.CodePage = param;
            break;
        case TWord::wDefaultFont:
            deff_ = param;
            break;
        case TWord::wDefaultTab:
            if (param > 0)
                out_.DefaultTab = std::min(param, kMaxTwips);
            return;
        case TWord::wPlain:
            st_.FontNumber = -1;
            st_.HalfPoints = 24;
            st_.ColorIndex = st_.BackgroundIndex = -1;
            st_.Bold = st_.Italic = st_.Underline = st_.Strike = st_.Hidden = false;
            st_.Vertical = TRtfVertical::rvNormal;
            break;
        case TWord::wBold:
            st_.Bold = Toggle(hasParam, param);
            break;
        case TWord::wItalic:
            st_.Italic = Toggle(hasParam, param);
            break;
        case TWord::wUnderline:
            st_.Underline = Toggle(hasParam, param);
            break;
        case TWord::wUnderlineNone:
            st_.Underline = false;
            break;
        case TWord::wStrike:
            st_.Strike = Toggle(hasParam, param);
            break;
        case TWord::wHidden:
            st_.Hidden = Toggle(hasParam, param);
            break;
        case TWord::wFont:
            st_.FontNumber = hasParam ? param : 0;
            break;
        case TWord::wFontSize:
            st_.HalfPoints = hasParam ? std::clamp(param, 1, kMaxHalfPoints) : 24;
            break;
        case TWord::wColor:
            st_.ColorIndex = param;
            break;
        case TWord::wBackground:
            st_.BackgroundIndex = param;
            break;
        case TWord::wSuper:
            st_.Vertical = TRtfVertical::rvSuper;
            break;
        case TWord::wSub:
            st_.Vertical = TRtfVertical::rvSub;
            break;
        case TWord::wNoSuperSub:
            st_.Vertical = TRtfVertical::rvNormal;
            break;
        case TWord::wPard:
            st_.Para = TRtfParaFormat{};
            st_.TabCount = 0;
            st_.NextTabKind = TRtfTabKind::rtkLeft;
            return;
        case TWord::wAlign:
            st_.Para.Align = static_cast<TRtfAlign>(info.Value);
            return;
        case TWord::wLeftIndent:
            st_.Para.LeftIndent = ClampTwips(param);
            return;
        case TWord::wRightIndent:
            st_.Para.RightIndent = ClampTwips(param);
            return;
        case TWord::wFirstIndent:
            st_.Para.FirstIndent = ClampTwips(param);
            return;
        case TWord::wSpaceBefore:
            st_.Para.SpaceBefore = std::clamp(param, 0, kMaxTwips);
            return;
        case TWord::wSpaceAfter:
            st_.Para.SpaceAfter = std::clamp(param, 0, kMaxTwips);
            return;
        case TWord::wTabStop:
            if (st_.TabCount < kMaxTabs)
                st_.Tabs[st_.TabCount++] = {std::clamp(param, 0, kMaxTwips), st_.NextTabKind};
            st_.NextTabKind = TRtfTabKind::rtkLeft;
            return;
        case TWord::wTabKind:
            st_.NextTabKind = static_cast<TRtfTabKind>(info.Value);
            return;
        default:
            return; // words that draw nothing here
        }
        dirty_ = true;
    }

    void FontTableWord(const TWordInfo& info, bool hasParam, std::int32_t param) {
        switch (info.Kind) {
        case TWord::wFont:
            if (fontOpen_ && !fontName_.empty())
                CommitFont();
            fontOpen_ = true;
            fontNumber_ = hasParam ? param : 0;
            fontFamily_ = TRtfFontFamily::rffDefault;
            fontCharset_ = 0;
            fontName_.clear();
            break;
        case TWord::wFontFamily:
            fontFamily_ = static_cast<TRtfFontFamily>(info.Value);
            break;
        case TWord::wFontCharset:
            fontCharset_ = param;
            break;
        default:
            break;
        }
    }

    void ColorTableWord(const TWordInfo& info, std::int32_t param) {
        const auto component = static_cast<std::uint8_t>(std::clamp(param, 0, 255));
        switch (info.Kind) {
        case TWord::wRed:
            color_.Red = component;
            colorSet_ = true;
            break;
        case TWord::wGreen:
            color_.Green = component;
            colorSet_ = true;
            break;
        case TWord::wBlue:
            color_.Blue = component;
            colorSet_ = true;
            break;
        default:
            break;
        }
    }

    void HexByte(unsigned char b) {
        groupStart_ = false;
        starPending_ = false;
        if (fallback_ > 0) {
            --fallback_;
            return;
        }
        const char ch = static_cast<char>(b);
        switch (st_.Destination) {
        case TDestination::dText:
            if (!st_.Hidden)
                AppendBytes(std::string_view(&ch, 1));
            break;
        case TDestination::dFontTable:
            if (fontOpen_ && fontName_.size() < kMaxFontName)
                fontName_ += ch;
            break;
        case TDestination::dColorTable:
            break;
        }
    }

    void Symbol(char c) {
        if (c == '*') {
            // Marks a destination to drop when unknown; only where a group opens.
            starPending_ = groupStart_;
            groupStart_ = false;
            return;
        }
        const bool literal = c == '\\' || c == '{' || c == '}';
        if (literal) {
            const unsigned char b = static_cast<unsigned char>(c);
            HexByte(b);
            return;
        }
        FlushBytes();
        groupStart_ = false;
        starPending_ = false;
        if (fallback_ > 0) {
            --fallback_;
            return;
        }
        if (st_.Destination != TDestination::dText)
            return;
        switch (c) {
        case '~':
            AppendCharacter(0x00A0);
            break;
        case '_':
            AppendCharacter(0x2011);
            break;
        case '-':
            AppendCharacter(0x00AD);
            break;
        case '\r':
        case '\n':
            EndParagraph();
            break;
        case '\t':
            AppendCharacter(U'\t');
            break;
        default:
            break; // \: \| and the unknown ones draw nothing
        }
    }

    // ---- groups

    void OpenGroup() {
        FlushBytes();
        FlushHighSurrogate();
        fallback_ = 0;
        starPending_ = false;
        groupStart_ = true;
        if (stack_.size() >= kMaxDepth) {
            ++overflow_;
            return;
        }
        stack_.push_back(st_);
    }

    // commitFont: the group may be a font table entry that lacks its ";".
    void CloseGroup(bool commitFont = true) {
        FlushBytes();
        FlushHighSurrogate();
        fallback_ = 0;
        starPending_ = false;
        groupStart_ = false;
        if (overflow_ > 0) {
            --overflow_;
            return;
        }
        if (stack_.empty())
            return; // a stray brace before any group: ignored
        if (commitFont && st_.Destination == TDestination::dFontTable && fontOpen_ &&
            !fontName_.empty())
            CommitFont();
        st_ = stack_.back();
        stack_.pop_back();
        dirty_ = true;
        if (stack_.empty())
            done_ = true; // the document's own group has ended; what follows is not read
    }

    // Drops the rest of the current group without looking at its text: only
    // braces, escaped characters and binary data matter here. The document's
    // own group is never dropped, so a misplaced destination word cannot
    // hide the whole text.
    void SkipGroup() {
        if (stack_.size() < 2 && overflow_ == 0)
            return;
        std::size_t depth = 1;
        while (pos_ < in_.size()) {
            const char c = in_[pos_++];
            if (c == '{') {
                ++depth;
            } else if (c == '}') {
                if (--depth == 0)
                    break;
            } else if (c == '\\' && pos_ < in_.size()) {
                if (IsAsciiLetter(in_[pos_])) {
                    std::string_view word;
                    bool hasParam = false;
                    std::int32_t param = 0;
                    ReadWord(word, hasParam, param);
                    if (word == "bin")
                        SkipBinary(hasParam, param);
                } else {
                    ++pos_; // an escaped brace or backslash is no brace
                }
            }
        }
        if (depth == 0)
            CloseGroup(false); // its closing brace has been read: restore as it would
    }

    // ---- tables

    void CommitFont() {
        if (!fontOpen_)
            return;
        fontOpen_ = false;
        if (out_.Fonts.size() >= kMaxFonts)
            return;
        std::string_view raw = fontName_;
        while (!raw.empty() &&
               (raw.front() == ' ' || static_cast<unsigned char>(raw.front()) < 0x20))
            raw.remove_prefix(1);
        while (!raw.empty() && (raw.back() == ' ' || static_cast<unsigned char>(raw.back()) < 0x20))
            raw.remove_suffix(1);
        TRtfFont font;
        font.Family = fontFamily_;
        font.Charset = fontCharset_;
        int codePage = CharsetCodePage(fontCharset_);
        if (codePage == kCodePageSymbol) {
            // No such font here; its bytes are turned into the characters they draw.
            if (ContainsNoCase(raw, "wingdings"))
                codePage = kCodePageWingdings;
        } else {
            Decode(font.Name, codePage != 0 ? codePage : out_.CodePage, raw);
            std::erase_if(font.Name, [](char ch) { return static_cast<unsigned char>(ch) < 0x20; });
        }
        fontByNumber_[fontNumber_] = static_cast<std::int32_t>(out_.Fonts.size());
        out_.Fonts.push_back(std::move(font));
        fontCodePages_.push_back(codePage);
        fontName_.clear();
        dirty_ = true;
    }

    void CommitColor() {
        if (colors_.size() < kMaxColors)
            colors_.push_back(colorSet_ ? std::optional<TRtfColor>(color_) : std::nullopt);
        color_ = TRtfColor{};
        colorSet_ = false;
        dirty_ = true;
    }

    std::optional<TRtfColor> ColorAt(std::int32_t index) const {
        if (index < 0 || static_cast<std::size_t>(index) >= colors_.size())
            return std::nullopt;
        return colors_[static_cast<std::size_t>(index)];
    }

    // ---- text

    void ResolveFormat() {
        const std::int32_t number = st_.FontNumber >= 0 ? st_.FontNumber : deff_;
        const auto found = fontByNumber_.find(number);
        fmt_.Font = found != fontByNumber_.end() ? found->second : -1;
        fmt_.HalfPoints = st_.HalfPoints;
        fmt_.Bold = st_.Bold;
        fmt_.Italic = st_.Italic;
        fmt_.Underline = st_.Underline;
        fmt_.Strike = st_.Strike;
        fmt_.Vertical = st_.Vertical;
        const auto color = ColorAt(st_.ColorIndex);
        fmt_.HasColor = color.has_value();
        fmt_.Color = color.value_or(TRtfColor{});
        const auto background = ColorAt(st_.BackgroundIndex);
        fmt_.HasBackground = background.has_value();
        fmt_.Background = background.value_or(TRtfColor{});
        const int fontCodePage =
            fmt_.Font >= 0 ? fontCodePages_[static_cast<std::size_t>(fmt_.Font)] : 0;
        codePage_ = fontCodePage != 0 ? fontCodePage : out_.CodePage;
        dirty_ = false;
    }

    void Decode(std::string& out, int codePage, std::string_view bytes) const {
        const bool ascii =
            std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
        if (ascii && codePage != kCodePageSymbol && codePage != kCodePageWingdings) {
            out.append(bytes);
            return;
        }
        if (codePage != 1252 && codePage != kCodePageSymbol && codePage != kCodePageWingdings &&
            decoder_) {
            if (std::optional<std::string> decoded = decoder_(codePage, bytes)) {
                out += *decoded;
                return;
            }
        }
        AppendBuiltin(out, codePage, bytes);
    }

    // Text bytes wait here so that a multi-byte code page sees its byte
    // pairs together; every token that is not text flushes them first.
    void AppendBytes(std::string_view bytes) {
        FlushHighSurrogate();
        if (dirty_)
            ResolveFormat();
        if (!pending_.empty() && pendingCodePage_ != codePage_)
            FlushBytes();
        pendingCodePage_ = codePage_;
        pending_.append(bytes);
    }

    void FlushBytes() {
        if (pending_.empty())
            return;
        std::string decoded;
        Decode(decoded, pendingCodePage_, pending_);
        pending_.clear();
        AppendText(decoded);
    }

    void AppendCharacter(char32_t cp) {
        if (st_.Hidden)
            return;
        FlushBytes();
        FlushHighSurrogate();
        std::string utf8;
        AppendUtf8(utf8, cp);
        AppendText(utf8);
    }

    void AppendUnicode(std::int32_t param) {
        if (st_.Hidden)
            return;
        std::int32_t value = param < 0 ? param + 65536 : param;
        if (value < 0 || value > 0xFFFF)
            value = kReplacement;
        const auto unit = static_cast<char32_t>(value);
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            FlushHighSurrogate();
            pendingHigh_ = unit;
            return;
        }
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            const char32_t high = pendingHigh_;
            pendingHigh_ = 0;
            AppendCharacter(high != 0 ? 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00)
                                      : kReplacement);
            return;
        }
        if (unit == 0x2029)
            AppendCharacter(kLineSeparator);
        else if (unit != 0)
            AppendCharacter(unit);
    }

    void FlushHighSurrogate() {
        if (pendingHigh_ == 0)
            return;
        pendingHigh_ = 0;
        AppendCharacter(kReplacement);
    }

    // Adds text to the current run, starting a run when the format changed;
    // control characters other than tab never reach the model.
    void AppendText(std::string_view utf8) {
        std::string& text = out_.Text;
        const std::size_t before = text.size();
        for (const char ch : utf8) {
            const auto b = static_cast<unsigned char>(ch);
            if ((b < 0x20 && b != '\t') || b == 0x7F)
                continue;
            text += ch;
        }
        if (text.size() > limits_.MaxTextBytes) {
            // Cut before the character that crosses the limit, never inside it.
            std::size_t end = std::max(before, limits_.MaxTextBytes);
            while (end > before && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
                --end;
            text.resize(end);
            Stop();
        }
        const std::size_t added = text.size() - before;
        if (added == 0)
            return;
        if (dirty_)
            ResolveFormat();
        if (out_.Runs.size() > paraFirstRun_ && out_.Runs.back().Format == fmt_)
            out_.Runs.back().Length += added;
        else
            out_.Runs.push_back({fmt_, before, added});
    }

    std::int32_t InternTabs() {
        if (st_.TabCount == 0)
            return -1;
        std::vector<TRtfTabStop> tabs(st_.Tabs.begin(), st_.Tabs.begin() + st_.TabCount);
        std::stable_sort(tabs.begin(), tabs.end(), [](const TRtfTabStop& a, const TRtfTabStop& b) {
            return a.Position < b.Position;
        });
        tabs.erase(std::unique(tabs.begin(), tabs.end(),
                               [](const TRtfTabStop& a, const TRtfTabStop& b) {
                                   return a.Position == b.Position;
                               }),
                   tabs.end());
        if (!out_.TabSets.empty() && out_.TabSets.back() == tabs)
            return static_cast<std::int32_t>(out_.TabSets.size() - 1);
        out_.TabSets.push_back(std::move(tabs));
        return static_cast<std::int32_t>(out_.TabSets.size() - 1);
    }

    void EndParagraph() {
        FlushBytes();
        FlushHighSurrogate();
        if (dirty_)
            ResolveFormat();
        TRtfParagraph paragraph;
        paragraph.Format = st_.Para;
        paragraph.Format.TabSet = InternTabs();
        paragraph.MarkFormat = fmt_;
        paragraph.FirstRun = paraFirstRun_;
        paragraph.RunCount = out_.Runs.size() - paraFirstRun_;
        out_.Paragraphs.push_back(paragraph);
        paraFirstRun_ = out_.Runs.size();
        if (out_.Paragraphs.size() >= limits_.MaxParagraphs)
            Stop();
    }

    // A limit was reached: nothing more is read.
    void Stop() {
        out_.Cut = true;
        done_ = true;
    }

    std::string_view in_;
    std::size_t pos_ = 0;
    const TCodePageDecoder& decoder_;
    const TRtfLimits& limits_;
    TRtfModel& out_;

    std::vector<TGroupState> stack_;
    TGroupState st_;
    std::size_t overflow_ = 0; // groups opened beyond kMaxDepth
    bool done_ = false;
    bool groupStart_ = false;   // the last token opened a group
    bool starPending_ = false;  // "{\*" was just read
    std::int32_t fallback_ = 0; // characters of a \uN fallback still to drop

    bool dirty_ = true; // fmt_ and codePage_ need resolving
    TRtfCharFormat fmt_;
    int codePage_ = 1252;
    std::string pending_;
    int pendingCodePage_ = 1252;
    char32_t pendingHigh_ = 0;
    std::size_t paraFirstRun_ = 0;

    std::int32_t deff_ = 0;
    std::unordered_map<std::int32_t, std::int32_t> fontByNumber_;
    std::vector<int> fontCodePages_; // 0: the document's code page
    std::vector<std::optional<TRtfColor>> colors_;

    bool fontOpen_ = false;
    std::int32_t fontNumber_ = 0;
    TRtfFontFamily fontFamily_ = TRtfFontFamily::rffDefault;
    int fontCharset_ = 0;
    std::string fontName_;

    TRtfColor color_;
    bool colorSet_ = false;
};

void AppendUtf16(std::string& out, std::string_view bytes, bool bigEndian) {
    char32_t high = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        const char32_t unit = bigEndian ? char32_t(a << 8 | b) : char32_t(b << 8 | a);
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (high != 0)
                AppendUtf8(out, kReplacement);
            high = unit;
            continue;
        }
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            AppendUtf8(out, high != 0 ? 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00)
                                      : kReplacement);
            high = 0;
            continue;
        }
        if (high != 0)
            AppendUtf8(out, kReplacement);
        high = 0;
        AppendUtf8(out, unit);
    }
    if (high != 0)
        AppendUtf8(out, kReplacement);
}

} // namespace

std::string TRtfModel::ParagraphText(std::size_t index) const {
    std::string out;
    const TRtfParagraph& paragraph = Paragraphs.at(index);
    for (std::size_t i = 0; i < paragraph.RunCount; ++i)
        out += RunText(Runs.at(paragraph.FirstRun + i));
    return out;
}

bool IsRichText(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    while (!bytes.empty() && (bytes.front() == ' ' || bytes.front() == '\t' ||
                              bytes.front() == '\r' || bytes.front() == '\n'))
        bytes.remove_prefix(1);
    return bytes.starts_with("{\\rtf");
}

TRtfModel ReadRtf(std::string_view bytes, const TCodePageDecoder& decoder,
                  const TRtfLimits& limits) {
    TRtfModel model;
    TReader(bytes, decoder, limits, model).Run();
    return model;
}

std::string DecodeWindows1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    AppendBuiltin(out, 1252, bytes);
    return out;
}

std::string DecodePlainText(std::string_view bytes) {
    std::string decoded;
    if (bytes.starts_with("\xFF\xFE")) {
        AppendUtf16(decoded, bytes.substr(2), false);
    } else if (bytes.starts_with("\xFE\xFF")) {
        AppendUtf16(decoded, bytes.substr(2), true);
    } else {
        if (bytes.starts_with("\xEF\xBB\xBF"))
            bytes.remove_prefix(3);
        if (IsValidUtf8(bytes))
            decoded.assign(bytes);
        else
            decoded = DecodeWindows1252(bytes);
    }
    std::string out;
    out.reserve(decoded.size());
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        const auto b = static_cast<unsigned char>(decoded[i]);
        if (b == '\r') {
            out += '\n';
            if (i + 1 < decoded.size() && decoded[i + 1] == '\n')
                ++i;
        } else if (b == '\n' || b == '\t' || (b >= 0x20 && b != 0x7F)) {
            out += static_cast<char>(b);
        }
    }
    return out;
}

} // namespace zorvak
