// Standard output and error as a command-line tool sees them: whether each
// is a terminal, and standard error through a buffer.
#pragma once

#include <streambuf>
#include <string>

namespace zorvak {

enum class TConsoleStream { csOutput, csError };

bool IsTerminal(TConsoleStream stream);

// A path that opens standard input's own file when it is a regular file
// (read from its start, with every seek a file allows); empty otherwise, for
// a pipe or a terminal, whose bytes can only be read once in order.
std::string StandardInputFile();

// Standard input, output and error pass bytes as they are: an entry written
// out by cat must arrive whole, an archive read from a pipe too, and lines
// end in "\n" on every system.
void UseBinaryStandardStreams();

// Standard error through a buffer: a run that reports on millions of
// entries must not make one write per line. Written out when full, on
// flush (the progress line asks for it) and when destroyed.
class TBufferedStandardError : public std::streambuf {
public:
    TBufferedStandardError() { setp(buffer_, buffer_ + sizeof buffer_); }
    ~TBufferedStandardError() override { sync(); }

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    char buffer_[64 * 1024];
};

} // namespace zorvak
