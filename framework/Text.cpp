#include "framework/Text.h"

#include "framework/Translate.h"

namespace zorvak {

namespace {
char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
} // namespace

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = LowerAscii(c);
    return out;
}

std::string AsciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = UpperAscii(c);
    return out;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len;
        std::uint32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > n)
            return false;
        for (std::size_t k = 1; k < len; ++k) {
            const auto cc = static_cast<unsigned char>(bytes[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = cp << 6 | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

namespace {

// Whether c is in the set that starts at pattern[p] (just past "["); moves p
// past the closing "]". A set without its "]" is a plain "[".
bool InSet(std::string_view pattern, std::size_t& p, char c, bool& wellFormed) {
    std::size_t i = p;
    const bool negate = i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^');
    if (negate)
        ++i;
    bool found = false;
    bool first = true;
    while (i < pattern.size() && (first || pattern[i] != ']')) {
        first = false;
        char low = pattern[i];
        if (low == '\\' && i + 1 < pattern.size())
            low = pattern[++i];
        char high = low;
        if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
            high = pattern[i + 2];
            if (high == '\\' && i + 3 < pattern.size())
                high = pattern[++i + 2];
            i += 2;
        }
        const char folded = LowerAscii(c);
        if ((LowerAscii(low) <= folded && folded <= LowerAscii(high)) || (low <= c && c <= high))
            found = true;
        ++i;
    }
    wellFormed = i < pattern.size();
    if (wellFormed)
        p = i + 1;
    return found != negate;
}

} // namespace

bool GlobMatches(std::string_view pattern, std::string_view name) {
    constexpr std::size_t none = std::string_view::npos;
    std::size_t p = 0, n = 0, starP = none, starN = 0;
    while (n < name.size()) {
        bool step = false;
        if (p < pattern.size()) {
            const char c = pattern[p];
            if (c == '*') {
                starP = ++p;
                starN = n;
                continue;
            }
            if (c == '?') {
                ++p;
                ++n;
                continue;
            }
            if (c == '[') {
                std::size_t q = p + 1;
                bool wellFormed = false;
                const bool in = InSet(pattern, q, name[n], wellFormed);
                if (wellFormed) {
                    step = in;
                    if (step) {
                        p = q;
                        ++n;
                        continue;
                    }
                } else if (name[n] == '[') {
                    ++p;
                    ++n;
                    continue;
                }
            } else {
                std::size_t q = p;
                char literal = c;
                if (c == '\\' && q + 1 < pattern.size())
                    literal = pattern[++q];
                if (LowerAscii(literal) == LowerAscii(name[n])) {
                    p = q + 1;
                    ++n;
                    continue;
                }
            }
        }
        if (starP == none)
            return false;
        // Let the last "*" take one byte more and try again from there.
        p = starP;
        n = ++starN;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::string FormatThousands(std::int32_t value) {
    return FormatThousands64(value);
}

std::string FormatThousands64(std::int64_t value) {
    const std::string digits = std::to_string(value);
    const std::size_t sign = digits[0] == '-' ? 1 : 0;
    std::string out = digits.substr(0, sign);
    const std::size_t count = digits.size() - sign;
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 0 && (count - i) % 3 == 0)
            out += ',';
        out += digits[sign + i];
    }
    return out;
}

std::string WindowsNameProblem(std::string_view level) {
    for (const char c : level) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || std::string_view("<>:\"|?*").find(c) != std::string_view::npos)
            return Tr("it holds a character Windows keeps for itself");
    }
    if (!level.empty() && (level.back() == '.' || level.back() == ' '))
        return Tr("Windows drops a final dot or space");
    // The device names are reserved with any extension, and Windows ignores
    // spaces before the extension.
    std::string_view base = level.substr(0, level.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.remove_suffix(1);
    const std::string lower = AsciiLower(base);
    // COM and LPT take the digits 1 to 9 and the superscripts 1 to 3, which
    // a name holds as UTF-8, or as Latin-1 bytes when it is not UTF-8.
    const std::string_view number =
        std::string_view(lower).substr(std::min<std::size_t>(3, lower.size()));
    const bool utf8 = IsValidUtf8(level);
    const bool digit = number.size() == 1 && number[0] >= '1' && number[0] <= '9';
    const bool superscript =
        utf8 ? number == "\xC2\xB9" || number == "\xC2\xB2" || number == "\xC2\xB3"
             : number == "\xB9" || number == "\xB2" || number == "\xB3";
    const bool numbered =
        (lower.starts_with("com") || lower.starts_with("lpt")) && (digit || superscript);
    if (numbered || lower == "con" || lower == "prn" || lower == "aux" || lower == "nul" ||
        lower == "conin$" || lower == "conout$")
        return FormatText(Tr("\"{1}\" is a device name on Windows"), base);
    return {};
}

std::u16string NameToUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    if (!IsValidUtf8(bytes)) {
        for (const char c : bytes)
            out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
        return out;
    }
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        char32_t code = extra == 0 ? lead : lead & (0x3Fu >> extra);
        for (int k = 1; k <= extra; ++k)
            code = (code << 6) |
                   (static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]) & 0x3Fu);
        i += static_cast<std::size_t>(extra) + 1;
        if (code < 0x10000) {
            out.push_back(static_cast<char16_t>(code));
        } else {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            ++i;
        } else if (code >= 0xD800 && code < 0xE000) {
            code = 0xFFFD;
        }
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (code >> 18)));
            out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

std::string FormatTextOf(std::string_view pattern, std::span<const std::string_view> values) {
    std::string out;
    out.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '{' && i + 2 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9' &&
            pattern[i + 2] == '}') {
            const auto k = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (k < values.size()) {
                out += values[k];
                i += 2;
                continue;
            }
        }
        out += c;
    }
    return out;
}

} // namespace zorvak
