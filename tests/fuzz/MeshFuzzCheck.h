// What the scene readers' fuzz target demands, shared with the ordinary
// test that replays its corpus and crashes: any bytes read as a Quake
// model, a Quake II model and a map either fail with a message or give a
// scene that holds together and is no bigger than its entry justifies.
#pragma once

#include "formats/MapMesh.h"
#include "formats/ModelMesh.h"
#include "framework/Failures.h"

#include <cmath>
#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zorvak::test {

inline std::string MeshTolerant(const std::function<std::string()>& step) {
    try {
        return step();
    } catch (const TFailure&) {
        return "";
    }
}

// Every index inside its list, every picture whole, every vertex finite and
// inside the bounds, light coordinates inside their lightmap, and sizes
// bounded by the entry's.
inline std::string SceneFault(const TScene& scene, std::size_t entryBytes) {
    if (scene.Vertices.size() > entryBytes || scene.Triangles.size() > entryBytes)
        return "more vertices or triangles than the entry has bytes";
    std::size_t pictureBytes = 0;
    for (const TSceneTexture& t : scene.Textures) {
        if (t.Width <= 0 || t.Height <= 0 ||
            t.Rgba.size() !=
                4 * static_cast<std::size_t>(t.Width) * static_cast<std::size_t>(t.Height))
            return "texture pixels do not match its size";
        pictureBytes += t.Rgba.size();
    }
    for (const TSceneLightmap& l : scene.Lightmaps) {
        if (l.Width <= 0 || l.Height <= 0 ||
            l.Rgb.size() !=
                3 * static_cast<std::size_t>(l.Width) * static_cast<std::size_t>(l.Height))
            return "lightmap samples do not match its size";
        pictureBytes += l.Rgb.size();
    }
    // RGBA of indices is four times its bytes; the lighting may run a little
    // past its lump by rounding; Quake II's textures come from outside.
    if (pictureBytes > 8 * entryBytes + (1u << 20))
        return "pictures past what the entry justifies";
    for (const TSceneVertex& v : scene.Vertices) {
        const TScenePoint& p = v.At;
        if (!std::isfinite(p.X) || !std::isfinite(p.Y) || !std::isfinite(p.Z))
            return "vertex not finite";
        if (p.X < scene.Min.X || p.Y < scene.Min.Y || p.Z < scene.Min.Z || p.X > scene.Max.X ||
            p.Y > scene.Max.Y || p.Z > scene.Max.Z)
            return "vertex outside the bounds";
    }
    for (const TSceneTriangle& t : scene.Triangles) {
        for (const std::uint32_t c : t.Corners)
            if (c >= scene.Vertices.size())
                return "corner past the vertices";
        if (t.Texture < -1 || t.Texture >= static_cast<std::int64_t>(scene.Textures.size()))
            return "texture index past the textures";
        if (t.Lightmap < -1 || t.Lightmap >= static_cast<std::int64_t>(scene.Lightmaps.size()))
            return "lightmap index past the lightmaps";
        if (t.Lightmap < 0)
            continue;
        const TSceneLightmap& l = scene.Lightmaps[static_cast<std::size_t>(t.Lightmap)];
        for (const std::uint32_t c : t.Corners) {
            const TSceneVertex& v = scene.Vertices[c];
            // Rounding of coordinates far from the origin, nothing more.
            const float slack = 0.05f;
            if (!(v.LightS >= -slack && v.LightS <= static_cast<float>(l.Width - 1) + slack &&
                  v.LightT >= -slack && v.LightT <= static_cast<float>(l.Height - 1) + slack))
                return "light coordinates outside the lightmap";
        }
    }
    return "";
}

inline std::string ModelInfoFault(const TModelInfo& info, std::size_t entryBytes) {
    std::size_t poses = 0;
    for (const TModelFrame& frame : info.Frames) {
        if (!frame.Group && frame.Poses.size() != 1)
            return "single frame of several poses";
        for (const TModelPose& pose : frame.Poses)
            if (!std::isfinite(pose.Seconds) || pose.Seconds < 0)
                return "pose of no time";
        poses += frame.Poses.size();
    }
    if (poses > entryBytes || info.Skins.size() > entryBytes)
        return "more poses or skins than the entry has bytes";
    return "";
}

// A Quake II map's textures as the fuzzer's archive holds them: a name of
// even length is a 2 x 2 picture, one starting "x" a picture whose pixels
// do not match its size, the rest are not there.
inline std::optional<TRgbaPicture> FuzzMapTexture(std::string_view name) {
    if (name.starts_with("x"))
        return TRgbaPicture{4, 4, std::vector<unsigned char>(3, 1)};
    if (name.size() % 2 != 0)
        return std::nullopt;
    return TRgbaPicture{2, 2, std::vector<unsigned char>(16, 200)};
}

inline std::string MeshFuzzFault(std::span<const unsigned char> in) {
    std::string fault = MeshTolerant([&] {
        const TModelInfo info = ReadModelInfo(in);
        std::string found = ModelInfoFault(info, in.size());
        const std::size_t frame = info.Frames.empty() ? 0 : info.Frames.size() - 1;
        const std::size_t skin = info.Skins.empty() ? 0 : info.Skins.size() - 1;
        const std::size_t picture = info.Skins.empty() ? 0 : info.Skins[skin].Pictures - 1;
        for (std::size_t pose = 0; found.empty() && pose < 3; ++pose)
            found = MeshTolerant([&] {
                return SceneFault(MdlScene(in, frame, pose, skin, picture, GreyPalette()),
                                  in.size());
            });
        return found.empty() ? found : "model: " + found;
    });
    if (fault.empty())
        fault = MeshTolerant([&] {
            const TModelInfo info = ReadMd2Info(in);
            std::string found = ModelInfoFault(info, in.size());
            const TRgbaPicture skin{3, 2, std::vector<unsigned char>(24, 7)};
            for (std::size_t frame = 0; found.empty() && frame < 2; ++frame)
                found = MeshTolerant([&] {
                    return SceneFault(Md2Scene(in, frame, frame == 0 ? nullptr : &skin), in.size());
                });
            return found.empty() ? found : "Quake II model: " + found;
        });
    if (fault.empty())
        fault = MeshTolerant([&] {
            const TMapScene map = ReadMapScene(in, GreyPalette(), FuzzMapTexture);
            std::string found = SceneFault(map.Scene, in.size());
            if (found.empty() &&
                (map.Scene.Triangles.size() < map.Faces || map.Scene.Lightmaps.size() > map.Faces))
                found = "faces, triangles and lightmaps do not agree";
            if (found.empty() && !(std::isfinite(map.Start.At.X) && std::isfinite(map.Start.At.Y) &&
                                   std::isfinite(map.Start.At.Z)))
                found = "start not a finite point";
            return found.empty() ? found : "map: " + found;
        });
    return fault;
}

} // namespace zorvak::test
