// A pattern searched for in lines of bytes, as grep searches: basic or
// extended regular expressions, or a fixed string, with or without regard to
// ASCII letter case. The regular expressions are the system's: POSIX on
// Linux; on Windows the standard library's, run as an automaton so that a
// long line needs no deep stack (back-references are refused there).
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace zorvak {

enum class TPatternSyntax { psBasic, psExtended, psFixed };

class TTextPattern {
public:
    // Throws TFailure "Invalid pattern PATTERN: WHY".
    TTextPattern(const std::string& pattern, TPatternSyntax syntax, bool ignoreCase);
    ~TTextPattern();
    TTextPattern(const TTextPattern&) = delete;
    TTextPattern& operator=(const TTextPattern&) = delete;

    // Whether line (no newline in it; any other byte, NUL too) holds a match.
    bool Matches(std::string_view line) const;

    class TImpl;
    // Where TImpl is whole: in the system's file.
    struct TImplDelete {
        void operator()(TImpl* impl) const;
    };

private:
    std::string fixed_;
    bool ignoreCase_;
    std::unique_ptr<TImpl, TImplDelete> impl_; // null for a fixed string

    // The system's expressions, in framework/linux and framework/win32.
    static std::unique_ptr<TImpl, TImplDelete> Compile(const std::string& pattern, bool extended,
                                                       bool ignoreCase);
    static bool Search(const TImpl& impl, std::string_view line);
};

} // namespace zorvak
