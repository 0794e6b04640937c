// The languages the windows speak: the program's own catalogue for a
// locale, compiled into the program, with the toolkit's for the standard
// buttons and dialogs; English, the source language, where there is none.
#pragma once

#include <QLocale>
#include <QString>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace zorvak {

// Puts in place the catalogues for locale (its languages in the order the
// locale prefers them: LANGUAGE, LC_ALL, LC_MESSAGES, LANG for the
// system's), replacing those an earlier call put in place. The toolkit's
// catalogue follows the language the program's own was found for, so a
// window never mixes two languages. Gives that language ("de", "fr"), or
// an empty text for English. Windows made afterwards speak it.
QString InstallTranslations(const QLocale& locale);

// The language InstallTranslations put in place last; empty for English.
QString UiLanguage();

// Numbers as the windows' language writes them: in English as they always
// were ("8,044", "0.73"), in German "8.044" and "0,73", in French
// "8 044" and "0,73".
QString FormatCount(std::int64_t value);
QString FormatDecimal(double value, int decimals);

// A text of the program in the language that locale prefers, without
// installing anything (for what is said before the toolkit starts).
QString TranslatedFor(const QLocale& locale, const char* context, const char* source);

// A translated text as the bytes a failure's message is kept in (what()
// is shown as the file system's 8-bit text).
std::string FailureBytes(const QString& text);

// pattern, a translated text holding %1 to %9, as the bytes a failure's
// message is kept in, each %n replaced by args[n - 1] as it is: path and
// entry-name bytes pass untouched, as the text without translation had them.
std::string ArgBytes(const QString& pattern, std::initializer_list<std::string_view> args);

} // namespace zorvak
