// The standard library's expressions, run breadth first (the library's
// automaton mode): its default search recurses once a byte and would
// overflow the stack on a long line, and a binary entry is one long line.
// That mode has no back-references; they are refused as invalid.
#include "framework/TextPattern.h"

#include "framework/Failures.h"

#include <regex>

namespace zorvak {

class TTextPattern::TImpl {
public:
    std::regex Compiled;
};

std::unique_ptr<TTextPattern::TImpl, TTextPattern::TImplDelete>
TTextPattern::Compile(const std::string& pattern, bool extended, bool ignoreCase) {
    auto flags = (extended ? std::regex::extended : std::regex::basic) | std::regex::nosubs |
                 std::regex_constants::__polynomial;
    if (ignoreCase)
        flags |= std::regex::icase;
    std::unique_ptr<TImpl, TImplDelete> impl(new TImpl);
    try {
        impl->Compiled.assign(pattern, flags);
    } catch (const std::regex_error& e) {
        throw TFailure("Invalid pattern " + pattern + ": " + e.what());
    }
    return impl;
}

void TTextPattern::TImplDelete::operator()(TImpl* impl) const {
    delete impl;
}

bool TTextPattern::Search(const TImpl& impl, std::string_view line) {
    return std::regex_search(line.begin(), line.end(), impl.Compiled);
}

} // namespace zorvak
