// Translation through the C library's gettext, with the program's own text
// domain and catalogues found from the program's place.
#include "framework/Translate.h"
#include "framework/Failures.h"

#include <atomic>
#include <cerrno>
#include <clocale>
#include <cstring>
#include <filesystem>
#include <libintl.h>
#include <limits>
#include <locale.h>
#include <system_error>

// Where the catalogues lie, installed, from the program's folder
// (packaging/Install.cmake says).
#ifndef ZORVAK_LOCALE_DIR_FROM_BIN
#define ZORVAK_LOCALE_DIR_FROM_BIN "../share/locale"
#endif

namespace zorvak {

namespace {

constexpr const char* kDomain = "zorvak";

// Set once StartTranslation has run: before it, and in programs that never
// call it (the tests), every text is English whatever the environment says.
std::atomic<bool> started{false};

bool Translating() {
    return started.load(std::memory_order_relaxed) && !EnglishTextsOnly();
}

// The folder of catalogues: <build>/locale beside the program's folder in a
// build tree (the programs lie in <build>/cli, <build>/app, ...), else the
// installed one, as the window program finds its help file. Empty when the
// program cannot tell where it is.
std::filesystem::path CatalogueFolder() {
    std::error_code ec;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || !program.has_parent_path())
        return {};
    const std::filesystem::path folder = program.parent_path();
    const std::filesystem::path built = (folder / ".." / "locale").lexically_normal();
    if (std::filesystem::is_directory(built, ec))
        return built;
    return (folder / ZORVAK_LOCALE_DIR_FROM_BIN).lexically_normal();
}

} // namespace

void StartTranslation() {
    // Messages only: numbers, character classes and collation stay C's.
    if (std::setlocale(LC_MESSAGES, "") == nullptr)
        return;
    if (const std::filesystem::path folder = CatalogueFolder(); !folder.empty())
        ::bindtextdomain(kDomain, folder.c_str());
    // The program writes UTF-8 whatever LC_CTYPE says; so do the system's
    // reasons (strerror), which come from the C library's own catalogue.
    ::bind_textdomain_codeset(kDomain, "UTF-8");
    ::bind_textdomain_codeset("libc", "UTF-8");
    started = true;
}

const char* Tr(const char* text) {
    // gettext("") is the catalogue's header.
    if (!Translating() || *text == '\0')
        return text;
    return ::dgettext(kDomain, text);
}

const char* TrPluralOf(const char* one, const char* many, std::uint64_t n) {
    if (!Translating())
        return n == 1 ? one : many;
    // A count past unsigned long keeps its last digits' plural form, as
    // gettext's manual advises.
    constexpr std::uint64_t kMost = std::numeric_limits<unsigned long>::max();
    const auto count = static_cast<unsigned long>(n <= kMost ? n : n % 1000000 + 1000000);
    return ::dngettext(kDomain, one, many, count);
}

std::string SystemReason(int err) {
    if (err == 0)
        return {};
    if (!Translating()) {
        // The C locale's words, whatever LC_MESSAGES is.
        static const locale_t english = ::newlocale(LC_ALL_MASK, "C", nullptr);
        if (english != nullptr)
            return ::strerror_l(err, english);
    }
    return std::generic_category().message(err);
}

} // namespace zorvak
