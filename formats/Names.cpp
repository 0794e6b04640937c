#include "formats/Names.h"

#include "framework/Text.h"

namespace zorvak {

std::string_view NameBase(std::string_view name) {
    const auto slash = name.find_last_of('/');
    return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

std::string_view NameStem(std::string_view name) {
    const std::string_view base = NameBase(name);
    return base.substr(0, base.find_last_of('.'));
}

std::string NameExtension(std::string_view name) {
    const std::string_view base = NameBase(name);
    const auto dot = base.find_last_of('.');
    return dot == std::string_view::npos ? std::string() : AsciiLower(base.substr(dot + 1));
}

} // namespace zorvak
