#include "framework/Console.h"

#include <unistd.h>

namespace zorvak {

bool IsTerminal(TConsoleStream stream) {
    return ::isatty(stream == TConsoleStream::csOutput ? STDOUT_FILENO : STDERR_FILENO) != 0;
}

void UseBinaryStandardStreams() {
    // Linux never changes the bytes of a stream.
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
