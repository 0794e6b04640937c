#include "framework/Console.h"

#include <unistd.h>

namespace zorvak {

bool IsTerminal(TConsoleStream stream) {
    return ::isatty(stream == TConsoleStream::csOutput ? STDOUT_FILENO : STDERR_FILENO) != 0;
}

TBufferedStandardError::int_type TBufferedStandardError::overflow(int_type c) {
    if (sync() != 0)
        return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int TBufferedStandardError::sync() {
    const char* p = pbase();
    while (p < pptr()) {
        const ssize_t put = ::write(STDERR_FILENO, p, static_cast<std::size_t>(pptr() - p));
        if (put <= 0)
            break;
        p += put;
    }
    setp(buffer_, buffer_ + sizeof buffer_);
    return 0;
}

} // namespace zorvak
