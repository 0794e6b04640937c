// Which catalogues a locale puts in place, that each choice replaces the
// last, and the bytes a translated failure is kept in.
#include "framework/ui/Translations.h"

#include "support/Speaking.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace zorvak {
namespace {

QString Program(const char* source) {
    return QCoreApplication::translate("zorvak::TZorvakForm", source);
}

QString Toolkit(const char* source) {
    return QCoreApplication::translate("QPlatformTheme", source);
}

TEST(Translations, EachLocaleSpeaksItsLanguageOrEnglishAndReplacesTheLast) {
    // One after the other: each choice must take the place of the one
    // before, not stack on it.
    const struct {
        const char* Locale;
        const char* Language;
        const char* File; // the program's "&File"
        const char* No;   // the toolkit's "&No"
        const char* Why;
    } steps[] = {
        {"de_DE", "de", "&Datei", "&Nein", "German"},
        {"fr_FR", "fr", "&Fichier", "&Non", "French replaces German"},
        {"de_AT", "de", "&Datei", "&Nein", "a region without a catalogue of its own"},
        {"fr_CA", "fr", "&Fichier", "&Non", "the same for French"},
        {"es_ES", "", "&File", "&No", "no catalogue: English, the toolkit's too"},
        {"fr_BE", "fr", "&Fichier", "&Non", "French again after English"},
        {"en_GB", "", "&File", "&No", "English asked for"},
        {"de_CH", "de", "&Datei", "&Nein", "German again"},
        {"C", "", "&File", "&No", "no language at all"},
    };
    const test::TSpeaking english(QLocale::c());
    for (const auto& s : steps) {
        SCOPED_TRACE(std::string(s.Locale) + ": " + s.Why);
        EXPECT_EQ(InstallTranslations(QLocale(QString::fromLatin1(s.Locale))),
                  QString::fromLatin1(s.Language));
        EXPECT_EQ(UiLanguage(), QString::fromLatin1(s.Language));
        EXPECT_EQ(Program("&File"), QString::fromUtf8(s.File));
        EXPECT_EQ(Toolkit("&No"), QString::fromUtf8(s.No));
    }
}

TEST(Translations, NumbersAreWrittenAsTheLanguageWritesThem) {
    const struct {
        const char* Locale;
        const char* Count;    // 1234567
        const char* Negative; // -8044
        const char* Seconds;  // 0.726 to two places
    } cases[] = {
        {"C", "1,234,567", "-8,044", "0.73"},
        {"en_US", "1,234,567", "-8,044", "0.73"},
        {"de_DE", "1.234.567", "-8.044", "0,73"},
        {"fr_FR", "1\u202F234\u202F567", "-8\u202F044", "0,73"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Locale);
        const test::TSpeaking speaking{QLocale(QString::fromLatin1(c.Locale))};
        EXPECT_EQ(FormatCount(1234567), QString::fromUtf8(c.Count));
        EXPECT_EQ(FormatCount(-8044), QString::fromUtf8(c.Negative));
        EXPECT_EQ(FormatDecimal(0.726, 2), QString::fromUtf8(c.Seconds));
    }
}

TEST(Translations, TextsBeforeTheToolkitStartsComeFromTheSameCatalogues) {
    const struct {
        const char* Locale;
        const char* Starts;
    } cases[] = {
        {"de_DE", "zorvak: unbekannte Option"},
        {"fr_FR", "zorvak\u00A0: option inconnue"},
        {"C", "zorvak: unknown option"},
        {"it_IT", "zorvak: unknown option"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Locale);
        const QString text = TranslatedFor(QLocale(QString::fromLatin1(c.Locale)), "zorvak::main",
                                           "zorvak: unknown option %1\nTry 'zorvak --help'.\n");
        EXPECT_TRUE(text.startsWith(QString::fromUtf8(c.Starts))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("%1")));
        // Nothing was installed on the way.
        EXPECT_EQ(UiLanguage(), QString());
    }
}

TEST(Translations, ArgumentsPassAsBytesAndAreNotReadAgain) {
    const struct {
        const char* Name;
        QString Pattern;
        std::initializer_list<std::string_view> Args;
        std::string Expected;
    } cases[] = {
        {"in order", QStringLiteral("%1 (as %2)"), {"a.wav", "A.WAV"}, "a.wav (as A.WAV)"},
        {"reordered", QStringLiteral("%2 \u00E0 %1"), {"x", "y"}, "y \xC3\xA0 x"},
        {"a name holding a marker", QStringLiteral("%1 (as %2)"), {"%2", "b"}, "%2 (as b)"},
        {"bytes that are not UTF-8",
         QStringLiteral("%1: %2"),
         {"\xFF\xFE", "/d\xE9"},
         "\xFF\xFE: /d\xE9"},
        {"a marker with no argument", QStringLiteral("%1 and %3"), {"one"}, "one and %3"},
        {"a percent sign alone", QStringLiteral("%1%"), {"50"}, "50%"},
        {"twice", QStringLiteral("%1/%1"), {"x"}, "x/x"},
        {"no markers", QStringLiteral("Out of memory"), {"ignored"}, "Out of memory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string out = ArgBytes(c.Pattern, c.Args);
        EXPECT_EQ(out, c.Expected);
    }
}

} // namespace
} // namespace zorvak
