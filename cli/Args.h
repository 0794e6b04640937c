// A command's arguments, parsed the one way every command takes them.
#pragma once

#include <getopt.h>
#include <string>
#include <utility>
#include <vector>

namespace zorvak {

// Ids of the options that have no short form.
enum : int {
    kOptHelp = 256,
    kOptNull,
    kOptNoClobber,
    kOptSorted,
    kOptPng,
    kOptAs,
    kOptPrefix,
    kOptDryRun,
    kOptSync,
    kOptCompact,
    kOptJson,
    kOptProgress,
    kOptForeground,
    kOptSize,
    kOptFrame,
    kOptSkin,
    kOptView,
};

// A command's arguments in command-line order: options (by their short
// letter or id) with their values, and the rest.
struct TArgs {
    std::vector<std::string> Positional;
    std::vector<std::pair<int, std::string>> Options;
    bool Help = false;
    std::string Error;

    bool Has(int id) const;
    // The value given last, as a repeated -C or -o means.
    std::string Last(int id) const;
    std::vector<std::string> All(int id) const;
};

// Long options for Parse: one alone, and one followed by its value.
inline option Flag(const char* name, int id) {
    return {name, no_argument, nullptr, id};
}
inline option Valued(const char* name, int id) {
    return {name, required_argument, nullptr, id};
}

// Parses args[1...] (args[0] is the command) with getopt_long. Options and
// the rest may come in any order, whatever POSIXLY_CORRECT says, since
// "extract ARCHIVE -C DIR" is how the commands have always been written;
// after "--" everything is a name. --help is every command's, and so are
// -v/--verbose, -q/--quiet and --progress=WHEN (TToolState::Refuse takes
// them).
TArgs Parse(const std::vector<std::string>& args, const std::string& shortOptions,
            std::vector<option> longOptions = {});

} // namespace zorvak
