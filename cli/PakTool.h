// The command-line companion: list, extract, build and verify archives from
// scripts, with no display. Everything but the entry point, so tests run it.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace zorvak {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitProblems = 1; // a failure, or verify found problems
inline constexpr int kExitUnusable = 2; // bad usage, unusable input, out of memory
// Stopped by a signal: 128 + its number (130 for SIGINT, 143 for SIGTERM).
inline constexpr int kExitSignalBase = 128;

struct TToolOptions {
    bool Progress = false;      // a progress line on err unless --progress says
                                // otherwise (err is a terminal, not a dumb one)
    bool OutIsTerminal = false; // names on out escape invalid UTF-8 too
    bool ErrIsTerminal = false; // the same for messages
    bool DumbTerminal = false;  // TERM=dumb: no escape codes in the progress line
    // What "-" as an archive reads: its own file when it is a regular one,
    // else the stream, spooled to a temporary file.
    std::istream* Input = nullptr;
    std::string InputFile;
};

// Runs one command line (without the program name). Asked-for output goes
// to out, messages to err, one line each. Names never reach either with
// their control bytes: those are written as escapes ("\x1b", "\n").
int RunPakTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const TToolOptions& options);
int RunPakTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               bool progress);

// Bytes as they may safely reach a terminal: control bytes as escapes, and,
// when invalidUtf8 is set, the bytes of a name that is not UTF-8 as \xHH.
std::string EscapeForTerminal(std::string_view bytes, bool invalidUtf8);
// The same, appended to out; with backslash set "\\" is written "\\\\" too.
void AppendForTerminal(std::string& out, std::string_view bytes, bool invalidUtf8,
                       bool backslash = false);
// A name as list and info print it: escaped as above, "\\" too, so that no
// two names print alike ("a\\nb" and a name holding a newline).
std::string EscapeName(std::string_view bytes, bool invalidUtf8);

} // namespace zorvak
