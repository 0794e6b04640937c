#include "framework/Console.h"

#include <sys/stat.h>
#include <unistd.h>

namespace zorvak {

bool IsTerminal(TConsoleStream stream) {
    return ::isatty(stream == TConsoleStream::csOutput ? STDOUT_FILENO : STDERR_FILENO) != 0;
}

std::string StandardInputFile() {
    struct stat status {};
    if (::fstat(STDIN_FILENO, &status) != 0 || !S_ISREG(status.st_mode))
        return {};
    // Opened anew, from the start, whatever was read of it.
    return "/dev/stdin";
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
