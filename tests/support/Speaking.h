// The windows in a chosen language for the length of a test, English again
// after it, whatever the test did meanwhile.
#pragma once

#include "framework/ui/Translations.h"

#include <QLocale>

namespace zorvak::test {

class TSpeaking {
public:
    explicit TSpeaking(const QLocale& locale) : Language(InstallTranslations(locale)) {}
    ~TSpeaking() { InstallTranslations(QLocale::c()); }
    TSpeaking(const TSpeaking&) = delete;
    TSpeaking& operator=(const TSpeaking&) = delete;

    // What InstallTranslations gave: "de", "fr", empty for English.
    const QString Language;
};

} // namespace zorvak::test
