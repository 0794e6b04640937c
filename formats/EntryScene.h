// An entry seen in 3D: a model's or a map's scene, with what its archive
// lends it (a Quake II model's skin, a Quake II map's textures), for the
// command line and the preview alike, so both draw the same picture.
#pragma once

#include "formats/EntryKind.h"
#include "formats/EntryParts.h"
#include "formats/MapMesh.h"
#include "formats/ModelMesh.h"

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace zorvak {

// Models (.mdl, .md2) and maps (BSP 29, BSP2, 30 and 38).
bool HoldsScene(TEntryKind kind);

// Which of a model's frames and skins is shown; a map has neither.
struct TSceneChoice {
    std::size_t Frame = 0;
    std::size_t Pose = 0; // within a frame group
    std::size_t Skin = 0;
    std::size_t SkinPicture = 0; // within a skin group
};

struct TEntryScene {
    TScene Scene;
    bool Map = false;
    TModelInfo Model; // a model's skins and frames, to choose from
    TMapStart Start;  // a map's
    // What is drawn otherwise than the game would: a skin or texture not
    // found, drawn grey.
    std::vector<std::string> Notes;
};

// The scene of an entry of kind holding bytes. palette colours the
// pictures of the game the kind is of (PaletteGameOf); lookup finds the
// other entries a Quake II model or map names (may be empty: none is
// found). Throws TFailure "KIND is not a model or a map" for another kind,
// "Model has no frame N" and the like for a choice past what the model
// holds, and the readers' refusals.
TEntryScene EntrySceneOf(TEntryKind kind, std::span<const unsigned char> bytes,
                         const TSceneChoice& choice, const TPalette& palette,
                         const TEntryLookup& lookup = {});

} // namespace zorvak
