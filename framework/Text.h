// Text rules of the program: 8-bit bytes, case changed by the ASCII rule only.
#pragma once

#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zorvak {

std::string AsciiLower(std::string_view text);
std::string AsciiUpper(std::string_view text);
bool SameTextAscii(std::string_view a, std::string_view b);
bool IsValidUtf8(std::string_view bytes);
// The value of a hexadecimal digit, or -1 for any other character.
int HexDigitValue(char c);

// Whether name matches a shell-style pattern, byte by byte, ASCII letters
// without regard to case: "*" any run of bytes ("/" included), "?" any one
// byte, "[...]" one of a set (ranges "a-z", "!" or "^" first for "none
// of"), "\" takes the next byte as it is.
bool GlobMatches(std::string_view pattern, std::string_view name);

// Why Windows cannot make a file or directory called level (one level of a
// path), or empty when it can: a device name (CON, PRN, AUX, NUL, COM1-9,
// LPT1-9, also with an extension), a final dot or space, or a character it
// keeps for itself (< > : " | ? * and the control characters).
std::string WindowsNameProblem(std::string_view level);

// Name bytes as UTF-16 for a system that names files so: decoded as UTF-8
// when they are valid UTF-8, else each byte as its Latin-1 character (as
// the window shows names).
std::u16string NameToUtf16(std::string_view bytes);
// UTF-16 as UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// Decimal text with "," between groups of three digits; a negative value
// keeps its "-" in front of the first group.
std::string FormatThousands(std::int32_t value);
std::string FormatThousands64(std::int64_t value);

// pattern with {1} to {9} replaced by the values given, in any order and as
// often as the pattern names them: the one way a text with values in it is
// built, so that a translation may reorder them. Any other brace is text,
// and so is a place without a value.
std::string FormatTextOf(std::string_view pattern, std::span<const std::string_view> values);

// A value of a pattern: text as it is, a whole number in plain digits.
inline std::string_view PatternValue(std::string_view text) {
    return text;
}
inline std::string_view PatternValue(const std::string& text) {
    return text;
}
inline std::string_view PatternValue(const char* text) {
    return text;
}
template <std::integral T>
requires(!std::same_as<T, bool> && !std::same_as<T, char>) std::string PatternValue(T value) {
    return std::to_string(value);
}

template <class... TValues>
std::string FormatText(std::string_view pattern, const TValues&... values) {
    if constexpr (sizeof...(TValues) == 0) {
        return FormatTextOf(pattern, {});
    } else {
        // The numbers' digits live until the text is made.
        return [&](const auto&... texts) {
            const std::string_view views[] = {std::string_view(texts)...};
            return FormatTextOf(pattern, views);
        }(PatternValue(values)...);
    }
}

} // namespace zorvak
