// zorvak-pak: the archive commands of the window, for scripts.
#include "cli/PakTool.h"
#include "framework/Interrupt.h"

#include <cstdio>
#include <iostream>
#include <streambuf>
#include <unistd.h>

namespace {

// Standard error through a buffer: a run that reports on millions of
// entries must not make one write per line. Flushed at exit and whenever
// the progress line asks.
class TBufferedErr : public std::streambuf {
public:
    TBufferedErr() { setp(buffer_, buffer_ + sizeof buffer_); }
    ~TBufferedErr() override { sync(); }

protected:
    int_type overflow(int_type c) override {
        if (sync() != 0)
            return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override {
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

private:
    char buffer_[64 * 1024];
};

} // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    zorvak::InstallInterruptHandlers();
    TBufferedErr errBuffer;
    std::ostream err(&errBuffer);
    zorvak::TToolOptions options;
    options.Progress = ::isatty(STDERR_FILENO) != 0;
    options.ErrIsTerminal = options.Progress;
    options.OutIsTerminal = ::isatty(STDOUT_FILENO) != 0;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int status = zorvak::RunPakTool(args, std::cout, err, options);
    std::cout.flush();
    err.flush();
    return status;
}
