// Small scenes for the renderer's tests, built corner by corner.
#pragma once

#include "formats/Scene.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace zorvak::test {

struct TCorner {
    TScenePoint At;
    float S = 0, T = 0, LightS = 0, LightT = 0;
};

inline TScenePoint Cross(const TScenePoint& a, const TScenePoint& b) {
    return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}

inline TScenePoint Minus(const TScenePoint& a, const TScenePoint& b) {
    return {a.X - b.X, a.Y - b.Y, a.Z - b.Z};
}

inline float Dot(const TScenePoint& a, const TScenePoint& b) {
    return a.X * b.X + a.Y * b.Y + a.Z * b.Z;
}

// A flat polygon (corners in order round it) as a fan of triangles, its
// corners put clockwise as seen from the side `towards` points to, the way
// the game winds its faces.
inline void AddFacing(TScene& scene, std::vector<TCorner> corners, const TScenePoint& towards,
                      std::int32_t texture = -1, std::int32_t lightmap = -1) {
    const TScenePoint n =
        Cross(Minus(corners[1].At, corners[0].At), Minus(corners[2].At, corners[0].At));
    // Counter-clockwise seen from where the normal points: turn it round.
    if (Dot(n, towards) > 0)
        std::reverse(corners.begin(), corners.end());
    const auto first = static_cast<std::uint32_t>(scene.Vertices.size());
    for (const TCorner& c : corners)
        scene.Vertices.push_back({c.At, c.S, c.T, c.LightS, c.LightT});
    for (std::uint32_t k = 1; k + 1 < corners.size(); ++k)
        scene.Triangles.push_back({{first, first + k, first + k + 1}, texture, lightmap});
}

// A texture of one colour, or of the given texels (rows top-down).
inline std::int32_t AddTexture(TScene& scene, int width, int height,
                               std::initializer_list<std::array<std::uint8_t, 4>> texels) {
    TSceneTexture texture;
    texture.Width = width;
    texture.Height = height;
    for (const auto& t : texels)
        texture.Rgba.insert(texture.Rgba.end(), t.begin(), t.end());
    scene.Textures.push_back(texture);
    return static_cast<std::int32_t>(scene.Textures.size() - 1);
}

// Grey light of the given samples (rows top-down).
inline std::int32_t AddLightmap(TScene& scene, int width, int height,
                                std::initializer_list<std::uint8_t> samples) {
    TSceneLightmap map;
    map.Width = width;
    map.Height = height;
    for (std::uint8_t s : samples)
        for (int channel = 0; channel < 3; ++channel)
            map.Rgb.push_back(s);
    scene.Lightmaps.push_back(map);
    return static_cast<std::int32_t>(scene.Lightmaps.size() - 1);
}

// A box from lo to hi, each face seen from outside in its own colour:
// +X red, -X dark red, +Y green, -Y dark green, +Z blue, -Z dark blue.
inline void AddBox(TScene& scene, const TScenePoint& lo, const TScenePoint& hi) {
    struct TFace {
        int Axis;
        bool High;
        std::array<std::uint8_t, 4> Colour;
    };
    const TFace faces[] = {
        {0, true, {255, 0, 0, 255}}, {0, false, {90, 0, 0, 255}}, {1, true, {0, 255, 0, 255}},
        {1, false, {0, 90, 0, 255}}, {2, true, {0, 0, 255, 255}}, {2, false, {0, 0, 90, 255}},
    };
    for (const TFace& face : faces) {
        const std::int32_t texture = AddTexture(scene, 1, 1, {face.Colour});
        auto at = [&](float u, float v) {
            // u and v run over the face's other two axes.
            std::array<float, 3> p{};
            const std::array<float, 3> l{lo.X, lo.Y, lo.Z}, h{hi.X, hi.Y, hi.Z};
            const int a = (face.Axis + 1) % 3, b = (face.Axis + 2) % 3;
            p[static_cast<std::size_t>(face.Axis)] = face.High
                                                         ? h[static_cast<std::size_t>(face.Axis)]
                                                         : l[static_cast<std::size_t>(face.Axis)];
            p[static_cast<std::size_t>(a)] =
                u == 0 ? l[static_cast<std::size_t>(a)] : h[static_cast<std::size_t>(a)];
            p[static_cast<std::size_t>(b)] =
                v == 0 ? l[static_cast<std::size_t>(b)] : h[static_cast<std::size_t>(b)];
            return TCorner{{p[0], p[1], p[2]}};
        };
        std::array<float, 3> out{};
        out[static_cast<std::size_t>(face.Axis)] = face.High ? 1.0f : -1.0f;
        AddFacing(scene, {at(0, 0), at(1, 0), at(1, 1), at(0, 1)}, {out[0], out[1], out[2]},
                  texture);
    }
    FitBounds(scene);
}

} // namespace zorvak::test
