// Text rules of the program: 8-bit bytes, case changed by the ASCII rule only.
#pragma once

#include <cstdint>
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

// Decimal text with "," between groups of three digits; a negative value
// keeps its "-" in front of the first group.
std::string FormatThousands(std::int32_t value);
std::string FormatThousands64(std::int64_t value);

} // namespace zorvak
