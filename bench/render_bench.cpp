// Frames per second of the software renderer on scenes the size the preview
// shows: a model (a closed mesh of about a thousand textured triangles,
// turned round as the orbit view does) and a map (rooms of textured,
// lightmapped faces, about 4,000 faces and 12,000 triangles, looked round
// from inside). Prints the median of several runs for one thread and for
// one per core.
//
//   zorvak_render_bench [WIDTH HEIGHT [RUNS [FRAMES]]]
#include "render/Camera.h"
#include "render/Rasterizer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace zorvak;

// A fixed pseudo-random sequence, so every run draws the same scenes.
std::uint32_t Next(std::uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

TSceneTexture MakeTexture(int width, int height, std::uint32_t seed) {
    TSceneTexture texture;
    texture.Width = width;
    texture.Height = height;
    texture.Rgba.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    std::uint32_t state = seed;
    for (std::size_t i = 0; i < texture.Rgba.size(); i += 4) {
        const std::uint32_t r = Next(state);
        texture.Rgba[i] = static_cast<std::uint8_t>(64 + (r & 127));
        texture.Rgba[i + 1] = static_cast<std::uint8_t>(64 + ((r >> 7) & 127));
        texture.Rgba[i + 2] = static_cast<std::uint8_t>(64 + ((r >> 14) & 127));
        texture.Rgba[i + 3] = 255;
    }
    return texture;
}

void Bound(TScene& scene) {
    scene.Min = scene.Max = scene.Vertices.front().At;
    for (const TSceneVertex& v : scene.Vertices) {
        scene.Min = {std::min(scene.Min.X, v.At.X), std::min(scene.Min.Y, v.At.Y),
                     std::min(scene.Min.Z, v.At.Z)};
        scene.Max = {std::max(scene.Max.X, v.At.X), std::max(scene.Max.Y, v.At.Y),
                     std::max(scene.Max.Z, v.At.Z)};
    }
}

// A lumpy torus of rings x segments quads (two triangles each), wound
// clockwise seen from outside, skinned with one 256 x 128 texture.
TScene MakeModel(int rings, int segments) {
    TScene scene;
    scene.Textures.push_back(MakeTexture(256, 128, 7));
    const double pi = 3.14159265358979323846;
    for (int i = 0; i <= rings; ++i)
        for (int j = 0; j <= segments; ++j) {
            const double u = 2 * pi * i / rings, v = 2 * pi * j / segments;
            const double tube = 8 + 1.5 * std::sin(5 * u) * std::cos(3 * v);
            const double r = 20 + tube * std::cos(v);
            TSceneVertex vertex;
            vertex.At = {static_cast<float>(r * std::cos(u)), static_cast<float>(r * std::sin(u)),
                         static_cast<float>(24 + tube * std::sin(v))};
            vertex.S = static_cast<float>(256.0 * i / rings);
            vertex.T = static_cast<float>(128.0 * j / segments);
            scene.Vertices.push_back(vertex);
        }
    const auto at = [&](int i, int j) {
        return static_cast<std::uint32_t>(i * (segments + 1) + j);
    };
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j < segments; ++j) {
            scene.Triangles.push_back({{at(i, j), at(i, j + 1), at(i + 1, j)}, 0, -1});
            scene.Triangles.push_back({{at(i + 1, j), at(i, j + 1), at(i + 1, j + 1)}, 0, -1});
        }
    Bound(scene);
    return scene;
}

// Rooms of grid x grid, each `size` across and `height` high, their faces
// 64 units square with a corner on one edge's middle (five corners, three
// triangles), facing into the room, each with its own lightmap of a sample
// every 16 units.
TScene MakeMap(int grid, float size, float height) {
    TScene scene;
    const int sizes[][2] = {{64, 64}, {128, 128}, {256, 256}, {64, 128}, {128, 64}, {96, 64}};
    std::uint32_t seed = 11;
    for (const auto& s : sizes)
        scene.Textures.push_back(MakeTexture(s[0], s[1], seed++));
    std::uint32_t state = 5;
    const float step = 64;
    // A face from origin along u and v (both step long); seen from the
    // side u x v points away from, its corners run clockwise.
    const auto face = [&](const TScenePoint& origin, const TScenePoint& u, const TScenePoint& v) {
        const auto point = [&](float a, float b) {
            return TScenePoint{origin.X + u.X * a + v.X * b, origin.Y + u.Y * a + v.Y * b,
                               origin.Z + u.Z * a + v.Z * b};
        };
        const float corners[5][2] = {{0, 0}, {0.5f, 0}, {1, 0}, {1, 1}, {0, 1}};
        const auto first = static_cast<std::uint32_t>(scene.Vertices.size());
        const int samples = static_cast<int>(step / 16) + 1;
        for (const auto& c : corners) {
            TSceneVertex vertex;
            vertex.At = point(c[0], c[1]);
            vertex.S = c[0] * step;
            vertex.T = c[1] * step;
            vertex.LightS = c[0] * static_cast<float>(samples - 1);
            vertex.LightT = c[1] * static_cast<float>(samples - 1);
            scene.Vertices.push_back(vertex);
        }
        TSceneLightmap map;
        map.Width = map.Height = samples;
        for (int i = 0; i < samples * samples; ++i) {
            const auto light = static_cast<std::uint8_t>(60 + Next(state) % 180);
            map.Rgb.resize(map.Rgb.size() + 3, light);
        }
        const auto lightmap = static_cast<std::int32_t>(scene.Lightmaps.size());
        scene.Lightmaps.push_back(std::move(map));
        const auto texture = static_cast<std::int32_t>(Next(state) % scene.Textures.size());
        for (std::uint32_t k = 1; k + 1 < 5; ++k)
            scene.Triangles.push_back({{first, first + k, first + k + 1}, texture, lightmap});
    };
    const int across = static_cast<int>(size / step), up = static_cast<int>(height / step);
    for (int gx = 0; gx < grid; ++gx)
        for (int gy = 0; gy < grid; ++gy) {
            const float x0 = static_cast<float>(gx) * size, y0 = static_cast<float>(gy) * size;
            for (int a = 0; a < across; ++a)
                for (int b = 0; b < across; ++b) {
                    const float x = x0 + static_cast<float>(a) * step;
                    const float y = y0 + static_cast<float>(b) * step;
                    face({x, y, 0}, {0, step, 0}, {step, 0, 0});      // floor, seen from above
                    face({x, y, height}, {step, 0, 0}, {0, step, 0}); // ceiling, from below
                }
            for (int a = 0; a < across; ++a)
                for (int b = 0; b < up; ++b) {
                    const float t = static_cast<float>(a) * step, z = static_cast<float>(b) * step;
                    face({x0 + t, y0, z}, {step, 0, 0}, {0, 0, step}); // y = y0
                    face({x0 + t + step, y0 + size, z}, {-step, 0, 0},
                         {0, 0, step});                                        // y = y0 + size
                    face({x0, y0 + t + step, z}, {0, -step, 0}, {0, 0, step}); // x = x0
                    face({x0 + size, y0 + t, z}, {0, step, 0}, {0, 0, step});  // x = x0 + size
                }
        }
    Bound(scene);
    return scene;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Frames per second over `frames` frames, the camera moved by frame(i).
double Measure(const TScene& scene, const std::function<TCamera(int)>& cameraAt,
               const TRenderOptions& options, int width, int height, int frames) {
    TRasterizer rasterizer;
    TRgbaPicture picture;
    picture.Width = width;
    picture.Height = height;
    rasterizer.Render(scene, cameraAt(0), options, picture); // warm: sizes settle
    const auto began = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i)
        rasterizer.Render(scene, cameraAt(i), options, picture);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - began;
    return frames / took.count();
}

} // namespace

int main(int argc, char** argv) {
    const int width = argc > 2 ? std::atoi(argv[1]) : 800;
    const int height = argc > 2 ? std::atoi(argv[2]) : 600;
    const int runs = argc > 3 ? std::atoi(argv[3]) : 5;
    const int frames = argc > 4 ? std::atoi(argv[4]) : 60;
    if (width <= 0 || height <= 0 || runs <= 0 || frames <= 0) {
        std::fprintf(stderr, "usage: %s [WIDTH HEIGHT [RUNS [FRAMES]]]\n", argv[0]);
        return 2;
    }
    try {
        const TScene model = MakeModel(24, 24);
        const TScene map = MakeMap(4, 512, 256);
        const TOrbit start = TOrbit::Around(model, width, height);
        const auto orbitAt = [&](int i) {
            TOrbit orbit = start;
            orbit.Turn(6.0 * i, 0);
            return orbit.Camera();
        };
        // Standing in a middle room, turning round and looking a little up
        // and down, so every wall and the rooms behind it come into view.
        const auto insideAt = [&](int i) {
            TFly fly;
            fly.Eye = {640, 700, 100};
            fly.Yaw = 7.0 * i;
            fly.Pitch = 20.0 * std::sin(i * 0.3);
            return fly.Camera();
        };
        struct TRow {
            const char* Name;
            const TScene* Scene;
            std::function<TCamera(int)> Camera;
            bool FlatShading;
        };
        const TRow rows[] = {
            {"model", &model, orbitAt, false},
            {"model-shaded", &model, orbitAt, true},
            {"map", &map, insideAt, false},
        };
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        std::printf("picture %d x %d, %d runs of %d frames, %u cores\n", width, height, runs,
                    frames, cores);
        for (const TRow& row : rows)
            for (int threads : {1, 0}) {
                TRenderOptions options;
                options.Threads = threads;
                options.FlatShading = row.FlatShading;
                std::vector<double> rates;
                for (int run = 0; run < runs; ++run)
                    rates.push_back(
                        Measure(*row.Scene, row.Camera, options, width, height, frames));
                std::printf(
                    "%-13s triangles=%-6zu threads=%-2u median_fps=%.1f (min %.1f, max %.1f)\n",
                    row.Name, row.Scene->Triangles.size(), threads == 0 ? cores : 1u, Median(rates),
                    *std::min_element(rates.begin(), rates.end()),
                    *std::max_element(rates.begin(), rates.end()));
                std::fflush(stdout);
            }
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
    return 0;
}
