// Models (.mdl, version 6): their skins, pictures in palette colours, and
// their frames by name; the geometry is passed over. A model is walked, not
// read whole: one of a million skins must cost no more than its place.
#pragma once

#include "formats/Picture.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace zorvak {

inline constexpr std::string_view kMdlTag = "IDPO";
inline constexpr std::int32_t kMdlVersion = 6;
inline constexpr std::size_t kMdlHeaderBytes = 84;

struct TMdlHeader {
    int SkinWidth = 0;
    int SkinHeight = 0;
    int Vertices = 0;
    int Triangles = 0;
    std::int32_t Flags = 0;
    std::size_t Skins = 0;
    std::size_t Frames = 0;
};

// One skin, or a group of skins the game cycles through: Pictures pictures
// of Width x Height (the header's skin size), back to back from offset
// Pixels of the entry.
struct TMdlSkin {
    std::size_t Index = 0;
    bool Group = false;
    std::size_t Pictures = 1;
    int Width = 0;
    int Height = 0;
    std::size_t Pixels = 0;
};

// One frame, or a group played as one animation, known by its first name
// (empty for an empty group).
struct TMdlFrame {
    std::size_t Index = 0;
    bool Group = false;
    std::size_t Members = 1;
    std::string FirstName;
};

// Walks the model: each skin, then each frame, in order, each handed on once
// its bytes are known to be there; a visitor that returns false ends the
// walk (and what follows goes unchecked). Either visitor may be empty.
// Returns the header. Throws TFailure "Not a model file", "Model version N
// is not supported", "Model header is cut short", "Model COUNT N is not
// valid" or "... runs past the end of the entry", or as CheckIndexedPixels
// for a skin.
TMdlHeader WalkMdl(std::span<const unsigned char> mdl,
                   const std::function<bool(const TMdlSkin&)>& skin,
                   const std::function<bool(const TMdlFrame&)>& frame);

} // namespace zorvak
