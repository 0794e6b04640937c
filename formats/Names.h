// The parts of an entry's stored name: its levels are separated by "/" alone
// (as the game reads them), its extension is what follows the last dot of
// the last level.
#pragma once

#include <string>
#include <string_view>

namespace zorvak {

// The last level: "gfx.wad" of "gfx.wad", "e1m1.bsp" of "maps/e1m1.bsp".
std::string_view NameBase(std::string_view name);

// The last level up to its last dot: "e1m1" of "maps/e1m1.bsp", all of it
// when it has no dot, "" of ".hidden".
std::string_view NameStem(std::string_view name);

// The last level's extension in ASCII lower case, without the dot: "bsp" of
// "maps/E1M1.BSP"; empty when it has no dot.
std::string NameExtension(std::string_view name);

} // namespace zorvak
