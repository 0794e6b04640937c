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
inline constexpr int kExitUnusable = 2; // bad usage or unusable input

// Runs one command line (without the program name). Asked-for output goes
// to out, messages to err, one line each; progress goes to err only when
// progress is true (a terminal).
int RunPakTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               bool progress);

} // namespace zorvak
