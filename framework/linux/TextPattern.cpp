// POSIX expressions; REG_STARTEND lets a line hold NUL bytes and be searched
// where it lies, with no copy.
#include "framework/TextPattern.h"

#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <regex.h>

namespace zorvak {

class TTextPattern::TImpl {
public:
    regex_t Compiled{};
    bool Made = false;
    ~TImpl() {
        if (Made)
            regfree(&Compiled);
    }
};

std::unique_ptr<TTextPattern::TImpl, TTextPattern::TImplDelete>
TTextPattern::Compile(const std::string& pattern, bool extended, bool ignoreCase) {
    std::unique_ptr<TImpl, TImplDelete> impl(new TImpl);
    const int flags = REG_NOSUB | (extended ? REG_EXTENDED : 0) | (ignoreCase ? REG_ICASE : 0);
    if (const int err = regcomp(&impl->Compiled, pattern.c_str(), flags); err != 0) {
        char why[256];
        regerror(err, &impl->Compiled, why, sizeof why);
        throw TFailure(FormatText(Tr("Invalid pattern {1}: {2}"), pattern, why));
    }
    impl->Made = true;
    return impl;
}

void TTextPattern::TImplDelete::operator()(TImpl* impl) const {
    delete impl;
}

bool TTextPattern::Search(const TImpl& impl, std::string_view line) {
    regmatch_t range{0, static_cast<regoff_t>(line.size())};
    return regexec(&impl.Compiled, line.empty() ? "" : line.data(), 1, &range, REG_STARTEND) == 0;
}

} // namespace zorvak
