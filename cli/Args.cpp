#include "cli/Args.h"

#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>
#include <string_view>

namespace zorvak {

namespace {

// The option as the user wrote it, for a message: the long form up to any
// "=", or the short letter (which may sit inside a bundle like -lx).
std::string OptionAsWritten(char* const* argv, int next, int option) {
    if (option > 0 && option < 256)
        return std::string("-") + static_cast<char>(option);
    const std::string written = next > 0 ? argv[next - 1] : "";
    return written.substr(0, written.find('='));
}

} // namespace

bool TArgs::Has(int id) const {
    return std::any_of(Options.begin(), Options.end(),
                       [id](const auto& o) { return o.first == id; });
}

std::string TArgs::Last(int id) const {
    std::string value;
    for (const auto& [option, v] : Options)
        if (option == id)
            value = v;
    return value;
}

std::vector<std::string> TArgs::All(int id) const {
    std::vector<std::string> values;
    for (const auto& [option, v] : Options)
        if (option == id)
            values.push_back(v);
    return values;
}

TArgs Parse(const std::vector<std::string>& args, const std::string& shortOptions,
            std::vector<option> longOptions) {
    longOptions.push_back(Flag("help", kOptHelp));
    longOptions.push_back(Flag("verbose", 'v'));
    longOptions.push_back(Flag("quiet", 'q'));
    longOptions.push_back(Valued("progress", kOptProgress));
    longOptions.push_back({nullptr, 0, nullptr, 0});
    // getopt wants a writable argv with the program first; it reorders only
    // the pointers.
    std::vector<std::string> storage;
    storage.reserve(args.size());
    storage.emplace_back("zorvak-pak");
    storage.insert(storage.end(), args.begin() + 1, args.end());
    std::vector<char*> argv;
    for (std::string& a : storage)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(storage.size());
    // "-": the rest comes back in order as option 1; ":": a missing value is
    // told apart from an unknown option, and getopt prints nothing itself.
    const std::string optstring = "-:" + shortOptions + "vq";

    TArgs parsed;
    // 0, not 1: a full restart, as every run in one process needs.
    optind = 0;
    opterr = 0;
    for (;;) {
        const int c =
            getopt_long(argc, argv.data(), optstring.c_str(), longOptions.data(), nullptr);
        if (c == -1)
            break;
        if (c == 1) {
            parsed.Positional.emplace_back(optarg);
        } else if (c == kOptHelp) {
            parsed.Help = true;
            return parsed;
        } else if (c == ':') {
            // Some getopt_long say so of "--sorted=x" too, an option given
            // a value it does not take.
            const std::string written = OptionAsWritten(argv.data(), optind, optopt);
            const bool valueGiven =
                optopt >= 256 && optind > 0 &&
                std::string_view(argv[static_cast<std::size_t>(optind - 1)]).find('=') !=
                    std::string_view::npos;
            parsed.Error = FormatText(
                valueGiven ? Tr("{1} takes no value") : Tr("{1} needs a value"), written);
            return parsed;
        } else if (c == '?') {
            // A known long option comes back as its id only when it was
            // given a value it does not take ("--sorted=x").
            parsed.Error =
                FormatText(optopt >= 256 ? Tr("{1} takes no value") : Tr("unknown option {1}"),
                           OptionAsWritten(argv.data(), optind, optopt));
            return parsed;
        } else {
            parsed.Options.emplace_back(c, optarg != nullptr ? optarg : "");
        }
    }
    for (int i = optind; i < argc; ++i)
        parsed.Positional.emplace_back(argv[static_cast<std::size_t>(i)]);
    return parsed;
}

} // namespace zorvak
