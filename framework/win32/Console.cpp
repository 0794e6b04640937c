#include "framework/Console.h"

#include "framework/win32/Native.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace zorvak {

bool IsTerminal(TConsoleStream stream) {
    const HANDLE handle =
        ::GetStdHandle(stream == TConsoleStream::csOutput ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr &&
           ::GetConsoleMode(handle, &mode) != 0;
}

std::string StandardInputFile() {
    // A file behind standard input has no name to open it by again here:
    // its bytes are spooled as a pipe's are.
    return {};
}

void UseBinaryStandardStreams() {
    // Text mode would turn each "\n" into "\r\n", in entries too.
    ::_setmode(::_fileno(stdin), _O_BINARY);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
}

int TBufferedStandardError::sync() {
    const HANDLE handle = ::GetStdHandle(STD_ERROR_HANDLE);
    const char* p = pbase();
    while (p < pptr()) {
        DWORD put = 0;
        if (!::WriteFile(handle, p, static_cast<DWORD>(pptr() - p), &put, nullptr) || put == 0)
            break;
        p += put;
    }
    setp(buffer_, buffer_ + sizeof buffer_);
    return 0;
}

} // namespace zorvak
