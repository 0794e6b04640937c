// The program's own texts in the user's language: the system's message
// catalogues (gettext, text domain "zorvak") where it has them, English
// otherwise. Only the language of messages follows the user; numbers,
// character classes and the order of names stay the same in every language.
//
// The texts are found by xgettext by these names (scripts/make-pot.sh):
// Tr("..."), TrPlural("...", "...", n) and TrMark("..."). A text with
// values in it is one pattern with numbered places, {1} to {9}, which
// FormatText (framework/Text.h) fills, so a translation may put them in
// another order.
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <type_traits>

namespace zorvak {

// Takes the language of messages (only LC_MESSAGES) from the environment and
// finds the catalogues relative to the running program: <build>/locale in a
// build tree, <prefix>/share/locale installed. Called once at start, before
// any thread; without it every text stays English.
void StartTranslation();

// text in the user's language; text itself when no catalogue has it.
const char* Tr(const char* text);
// one or many in the user's language, chosen by n by the language's rule
// (English: one for 1, many otherwise).
const char* TrPluralOf(const char* one, const char* many, std::uint64_t n);
template <std::integral T> const char* TrPlural(const char* one, const char* many, T n) {
    if constexpr (std::is_signed_v<T>)
        return TrPluralOf(one, many, n < 0 ? 0 : static_cast<std::uint64_t>(n));
    else
        return TrPluralOf(one, many, static_cast<std::uint64_t>(n));
}
// Marks a text for the catalogues without translating it, for tables and
// constants that are translated with Tr where they are shown.
constexpr const char* TrMark(const char* text) {
    return text;
}

// While one lives, every text stays English, in every thread: for output
// that scripts read (--json), whose texts must not change with the language.
class TEnglishTexts {
public:
    TEnglishTexts();
    ~TEnglishTexts();
    TEnglishTexts(const TEnglishTexts&) = delete;
    TEnglishTexts& operator=(const TEnglishTexts&) = delete;
};

// Whether texts are English now (a TEnglishTexts lives); the systems'
// sides ask.
bool EnglishTextsOnly();

} // namespace zorvak
