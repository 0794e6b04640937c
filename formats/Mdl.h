// Models (.mdl, version 6): their skins as pictures in palette colours and
// their frames by name; the geometry is passed over.
#pragma once

#include "formats/Picture.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zorvak {

inline constexpr std::int32_t kMdlVersion = 6;
inline constexpr std::size_t kMdlHeaderBytes = 84;

// One skin, or a group of skins the game cycles through.
struct TMdlSkin {
    bool Group = false;
    std::vector<TIndexedPicture> Pictures; // one unless Group
};

// One frame, or a group played as one animation.
struct TMdlFrame {
    bool Group = false;
    std::vector<std::string> Names; // one unless Group
};

struct TMdlModel {
    int SkinWidth = 0;
    int SkinHeight = 0;
    int Vertices = 0;
    int Triangles = 0;
    std::int32_t Flags = 0;
    std::vector<TMdlSkin> Skins;
    std::vector<TMdlFrame> Frames;
};

// The model. Throws TFailure "Not a model file", "Model version N is not
// supported", "Model header is cut short", "Model COUNT N is not valid" or
// "... runs past the end of the entry", or as ReadIndexedPixels for a skin.
TMdlModel ReadMdl(std::span<const unsigned char> mdl);

} // namespace zorvak
