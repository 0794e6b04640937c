// What a model or a map is drawn from: triangles in the game's own units
// (Z up; a model faces +X), each with a texture in RGBA and, on a map, a
// lightmap. The readers make scenes (formats/ModelMesh.h, formats/MapMesh.h)
// and the renderer draws them (render/); neither knows the other's kinds.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace zorvak {

struct TScenePoint {
    float X = 0;
    float Y = 0;
    float Z = 0;
};

struct TSceneVertex {
    TScenePoint At;
    // In texels of the triangle's texture; the renderer repeats the texture
    // past its edges (a map's walls tile theirs).
    float S = 0;
    float T = 0;
    // In samples of the triangle's lightmap (sample 0 at 0.0, the last at
    // Width - 1); unused without one.
    float LightS = 0;
    float LightT = 0;
};

struct TSceneTriangle {
    std::array<std::uint32_t, 3> Corners{}; // into Vertices
    std::int32_t Texture = -1;              // into Textures; -1: drawn in grey
    std::int32_t Lightmap = -1;             // into Lightmaps; -1: full light
};

struct TSceneTexture {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Rgba; // rows top-down, alpha 0 is see-through
};

struct TSceneLightmap {
    int Width = 0;
    int Height = 0;
    // Three bytes a sample, rows top-down: 255 is full light (a map with
    // grey light has all three the same).
    std::vector<std::uint8_t> Rgb;
};

struct TScene {
    std::vector<TSceneVertex> Vertices;
    std::vector<TSceneTriangle> Triangles;
    std::vector<TSceneTexture> Textures;
    std::vector<TSceneLightmap> Lightmaps;
    TScenePoint Min; // the bounds of Vertices (all 0 when there are none)
    TScenePoint Max;
};

// Sets Min and Max to the bounds of the scene's vertices.
inline void FitBounds(TScene& scene) {
    if (scene.Vertices.empty())
        return;
    scene.Min = scene.Max = scene.Vertices.front().At;
    for (const TSceneVertex& vertex : scene.Vertices) {
        const TScenePoint& p = vertex.At;
        scene.Min = {std::min(scene.Min.X, p.X), std::min(scene.Min.Y, p.Y),
                     std::min(scene.Min.Z, p.Z)};
        scene.Max = {std::max(scene.Max.X, p.X), std::max(scene.Max.Y, p.Y),
                     std::max(scene.Max.Z, p.Z)};
    }
}

} // namespace zorvak
