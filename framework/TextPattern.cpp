#include "framework/TextPattern.h"

#include <algorithm>

namespace zorvak {

TTextPattern::TTextPattern(const std::string& pattern, TPatternSyntax syntax, bool ignoreCase)
    : ignoreCase_(ignoreCase) {
    if (syntax == TPatternSyntax::psFixed)
        fixed_ = pattern;
    else
        impl_ = Compile(pattern, syntax == TPatternSyntax::psExtended, ignoreCase);
}

TTextPattern::~TTextPattern() = default;

bool TTextPattern::Matches(std::string_view line) const {
    if (impl_)
        return Search(*impl_, line);
    if (!ignoreCase_)
        return line.find(fixed_) != std::string_view::npos;
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return std::search(line.begin(), line.end(), fixed_.begin(), fixed_.end(),
                       [&](char a, char b) { return lower(a) == lower(b); }) != line.end();
}

} // namespace zorvak
