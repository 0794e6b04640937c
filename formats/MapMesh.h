// Maps as scenes: the world's faces of a Quake map (version 29, and the
// large variants BSP2 and 2PSB), a Half-Life map (version 30) or a Quake II
// map ("IBSP" version 38), each face a fan of triangles with its texture
// (one scene texture per map texture, shared by its faces) and its own
// lightmap; and where the player starts. Every count, offset and index is
// checked against the entry first: a damaged map is refused, never drawn.
#pragma once

#include "formats/Picture.h"
#include "formats/Scene.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zorvak {

// A lightmap sample covers this many texels each way.
inline constexpr int kMapLightTexels = 16;

// Where the start was found.
enum class TMapStartSource {
    msPlayerStart,     // the first info_player_start
    msDeathmatchStart, // no single-player start: the first info_player_deathmatch
    msBoundsCentre,    // neither: the centre of the world's bounds, facing +X
};

struct TMapStart {
    TScenePoint At;
    float Yaw = 0; // degrees about Z, 0 facing +X
    TMapStartSource Source = TMapStartSource::msBoundsCentre;
};

// A Quake II map's texture by its name in the map ("e1u1/floor1_3"); the
// caller finds textures/NAME.wal and colours it. Empty: not found.
using TMapTextureLookup = std::function<std::optional<TRgbaPicture>(std::string_view textureName)>;

struct TMapScene {
    // "version 29", "BSP2", "2PSB", "version 30" or "IBSP version 38".
    std::string Variant;
    // The world's faces (the first model's; doors, lifts and other brush
    // entities are left out). A triangle's corners follow its face's edges.
    // Texture coordinates are in texels (the face's axes dotted with the
    // vertex, plus their offsets); light coordinates in samples of the
    // face's lightmap. A face without a texture's pixels is drawn grey
    // (Texture -1); one without light data, and sky and liquid faces
    // ("sky...", "*...", Half-Life's "!..."; Quake II's by their flags),
    // in full light (Lightmap -1).
    TScene Scene;
    std::size_t Faces = 0; // the faces drawn
    TMapStart Start;
};

// Whether the first bytes are a map ReadMapScene takes.
bool IsMapSceneSignature(std::span<const unsigned char> bytes);

// The map as a scene. Quake's textures are coloured with palette (index 255
// of a "{" texture see-through), Half-Life's with their own colours, Quake
// II's are asked of textures (none asked when it is empty). A lightmap is
// grey for Quake (its steady light, style 0), in colour for the others.
// Throws TFailure as ReadBspInfo for the lump directory ("Quake II map lump
// NAME lies outside the entry" for Quake II's), or "Map lump NAME holds N
// bytes, not whole records of R", "Map holds no models", "Map world model
// names faces F to L of N", "Map face N names surfedges F to L of M" (or
// "names texture information T of M", "'s edge count N is not valid",
// "'s light extents are not valid", "'s light data lies outside the
// entry"), "Map surfedge S names edge E of M", "Map edge E names vertex V
// of M", "Map vertex V is not a finite point", "Map texture information N
// names texture T of M" (or "'s axes are not finite"), "Map faces name N
// edges, more than the M the map holds", "Map lightmaps need more samples
// than the lighting lump holds", "Map textures claim more pixels than the
// textures lump holds", or as ReadMipTexture for a texture's pixels.
TMapScene ReadMapScene(std::span<const unsigned char> bsp, const TPalette& palette,
                       const TMapTextureLookup& textures = {});

// The start the entity text gives: the first info_player_start, else the
// first info_player_deathmatch ("origin" "X Y Z", "angle" in degrees, 0 when
// not given), else the centre of min .. max.
TMapStart FindMapStart(std::string_view entities, const TScenePoint& min, const TScenePoint& max);

} // namespace zorvak
