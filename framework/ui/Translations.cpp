#include "framework/ui/Translations.h"

#include "framework/Text.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>
#include <vector>

namespace zorvak {

namespace {

// Where the build puts the program's catalogues among its resources.
const QString kCatalogues = QStringLiteral(":/i18n");

struct TInstalled {
    std::unique_ptr<QTranslator> Own;
    std::unique_ptr<QTranslator> Toolkit;
    QString Language;
};

TInstalled& Installed() {
    static TInstalled installed;
    return installed;
}

// The program's catalogue for the first of locale's languages that has one;
// none when English, the language the texts are written in, comes first.
bool LoadOwn(QTranslator& translator, const QLocale& locale) {
    for (QString language : locale.uiLanguages()) {
        language.replace(QLatin1Char('-'), QLatin1Char('_'));
        const QString code = language.section(QLatin1Char('_'), 0, 0);
        if (code == QLatin1String("C") || code == QLatin1String("en"))
            return false;
        // "zorvak_de_AT" is looked for, then "zorvak_de".
        if (translator.load(QStringLiteral("zorvak_") + language, kCatalogues))
            return true;
    }
    return false;
}

void Remove(std::unique_ptr<QTranslator>& translator) {
    if (translator)
        QCoreApplication::removeTranslator(translator.get());
    translator.reset();
}

} // namespace

QString InstallTranslations(const QLocale& locale) {
    TInstalled& installed = Installed();
    Remove(installed.Own);
    Remove(installed.Toolkit);
    installed.Language.clear();

    auto own = std::make_unique<QTranslator>();
    if (!LoadOwn(*own, locale))
        return {}; // English, the language the texts are written in
    // "de" or "fr": the catalogue's language, whatever region the locale named.
    const QLocale spoken(own->language());
    QCoreApplication::installTranslator(own.get());
    installed.Own = std::move(own);
    installed.Language = QLocale::languageToCode(spoken.language());

    // The toolkit's own texts (OK, Cancel, the file dialogs) in the same
    // language; without its catalogue they stay English, and so be it.
    auto toolkit = std::make_unique<QTranslator>();
    if (toolkit->load(spoken, QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(toolkit.get());
        installed.Toolkit = std::move(toolkit);
    }
    return installed.Language;
}

QString UiLanguage() {
    return Installed().Language;
}

QString FormatCount(std::int64_t value) {
    const QString language = UiLanguage();
    if (language.isEmpty())
        return QString::fromStdString(FormatThousands64(value));
    return QLocale(language).toString(static_cast<qlonglong>(value));
}

QString FormatDecimal(double value, int decimals) {
    const QString language = UiLanguage();
    if (language.isEmpty())
        return QString::number(value, 'f', decimals);
    QLocale locale(language);
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', decimals);
}

QString TranslatedFor(const QLocale& locale, const char* context, const char* source) {
    QTranslator translator;
    if (LoadOwn(translator, locale)) {
        const QString translated = translator.translate(context, source);
        if (!translated.isEmpty())
            return translated;
    }
    return QString::fromUtf8(source);
}

std::string FailureBytes(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

std::string ArgBytes(const QString& pattern, std::initializer_list<std::string_view> args) {
    const std::vector<std::string_view> values(args);
    const QByteArray bytes = pattern.toLocal8Bit();
    std::string out;
    out.reserve(static_cast<std::size_t>(bytes.size()));
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '%' && i + 1 < bytes.size() && bytes[i + 1] >= '1' && bytes[i + 1] <= '9') {
            const auto n = static_cast<std::size_t>(bytes[i + 1] - '1');
            if (n < values.size()) {
                out += values[n]; // an argument's own "%1" stays as it is
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

} // namespace zorvak
