// Models as scenes: Quake's .mdl (version 6) and Quake II's .md2 (version 8),
// their frames and poses for animation, and one pose as triangles with its
// skin. Every count, offset and index is checked against the entry before
// anything is sized by it, so a damaged model is refused, never drawn.
#pragma once

#include "formats/Picture.h"
#include "formats/Scene.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zorvak {

// The game shows a single frame for a tenth of a second.
inline constexpr float kModelFrameSeconds = 0.1f;

struct TModelPose {
    std::string Name;
    float Seconds = kModelFrameSeconds; // how long it is shown
};

// A single frame is one pose; a group's poses play in turn, each for the
// time its interval gives.
struct TModelFrame {
    bool Group = false;
    std::vector<TModelPose> Poses;
};

// A skin of the model: a .mdl holds its pictures (a group several, which
// the game cycles through); a .md2 names one PCX entry.
struct TModelSkin {
    bool Group = false;
    std::size_t Pictures = 1;
    std::string Name; // .md2 only
};

struct TModelInfo {
    int SkinWidth = 0;
    int SkinHeight = 0;
    std::size_t Vertices = 0;
    std::size_t Triangles = 0;
    std::int32_t Flags = 0; // .mdl only: rotation, trails
    TScenePoint Scale;      // .mdl only: a packed vertex times Scale plus Origin
    TScenePoint Origin;     // .mdl only
    std::vector<TModelSkin> Skins;
    std::vector<TModelFrame> Frames;
};

// The model's header, skins and frames. Throws TFailure as WalkMdl does
// ("Model COUNT N runs past the end of the entry", ...), or "Model frame N's
// interval I is not valid" for an interval that is not a positive time.
TModelInfo ReadModelInfo(std::span<const unsigned char> mdl);

// Pose poseIndex of frame frameIndex as triangles in model units, with
// picture skinPicture of skin skinIndex (0 for a single skin) in palette's
// colours as its one texture (none when the model has no skins). Each
// triangle has vertices of its own: a back-facing triangle's on-seam
// vertices take the skin's right half (s + width / 2), as the game draws
// them. Throws as ReadModelInfo, "Model has no frame N", "Model frame N has
// no pose P", "Model has no skin N", "Model skin N has no picture P", or
// "Model triangle T names vertex V of N".
TScene MdlScene(std::span<const unsigned char> mdl, std::size_t frameIndex, std::size_t poseIndex,
                std::size_t skinIndex, std::size_t skinPicture, const TPalette& palette);

// A Quake II model's skins (by name) and frames, each one pose of a tenth of
// a second. Throws TFailure "Not a Quake II model file", "Quake II model
// version N is not supported", "Quake II model header is cut short",
// "Quake II model COUNT N is not valid", "Quake II model frame size N is not
// valid" or "Quake II model's LIST lies outside the entry".
TModelInfo ReadMd2Info(std::span<const unsigned char> md2);

// Frame frameIndex as triangles. skin is the picture the caller found for
// the model (a PCX entry the model names), or null: the triangles are then
// drawn grey (Texture -1). Texture coordinates are in texels of skin, scaled
// from the header's skin size when the picture is another size. Throws as
// ReadMd2Info, "Quake II model has no frame N", or "Quake II model triangle T
// names vertex V of N" / "names texture coordinate C of N".
TScene Md2Scene(std::span<const unsigned char> md2, std::size_t frameIndex,
                const TRgbaPicture* skin);

} // namespace zorvak
