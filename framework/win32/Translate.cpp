// MinGW's C library has no gettext: the program speaks English on Windows.
#include "framework/Translate.h"
#include "framework/Failures.h"

#include <system_error>

namespace zorvak {

void StartTranslation() {}

const char* Tr(const char* text) {
    return text;
}

const char* TrPluralOf(const char* one, const char* many, std::uint64_t n) {
    return n == 1 ? one : many;
}

std::string SystemReason(int err) {
    return err == 0 ? std::string() : std::generic_category().message(err);
}

} // namespace zorvak
