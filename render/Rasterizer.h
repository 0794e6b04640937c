// Draws a scene through a camera into RGBA pixels, in software, with the
// same bytes on every system and for any number of threads.
//
// What is drawn:
// - Triangles are one-sided when CullBackFaces is on: a triangle is seen
//   from its front when its corners run FrontWinding on the picture. The
//   game's maps and models both wind their triangles clockwise seen from
//   the front, and the scene readers keep the game's order.
// - Textures repeat past their edges and are sampled at the nearest texel,
//   perspective-correct. A texel of alpha 0 is see-through (nothing drawn,
//   no depth); any other alpha draws the texel opaque.
// - Lightmaps are filtered bilinearly between samples. With Overbright (the
//   game's way) a lit texel is texel x light / 128, clamped to 255, so a
//   sample of 128 leaves the texture as it is and 255 nearly doubles it;
//   without, texel x light / 255. A triangle without a lightmap shows its
//   texture's exact colours.
// - FlatShading darkens each triangle without a lightmap (a model's) by its
//   face's angle to a fixed light from the front, above and the left, as
//   seen from the side the camera sees.
// - Wireframe: Overlay draws the triangles and, over them, the edges of the
//   ones in front (depth-tested); Lines draws only the edges, hiding those
//   behind nearer triangles when WireDepthTest is on (the nearer triangle is
//   filled with Background) and showing all of them when it is off. An edge
//   is about one pixel wide on the inner side of its triangle.
// - Pixels no triangle covers keep Background (see-through by default).
// Triangles nearer than the camera's Near are cut at that plane, so a map
// can be flown through. Depth ties go to the triangle drawn first.
#pragma once

#include "formats/Picture.h"
#include "formats/Scene.h"
#include "render/Camera.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zorvak {

struct TRgbaColour {
    std::uint8_t R = 0, G = 0, B = 0, A = 0;
    bool operator==(const TRgbaColour&) const = default;
};

enum class TWinding { Clockwise, CounterClockwise };
enum class TWireframe { Off, Overlay, Lines };

// Untextured triangles (and those whose texture is damaged) are drawn in it.
inline constexpr TRgbaColour kUntexturedGrey{160, 160, 160, 255};

struct TRenderOptions {
    bool CullBackFaces = true;
    TWinding FrontWinding = TWinding::Clockwise;
    bool Overbright = true;
    bool FlatShading = false;
    TWireframe Wireframe = TWireframe::Off;
    bool WireDepthTest = true;
    TRgbaColour WireColour{255, 255, 255, 255};
    TRgbaColour Background{0, 0, 0, 0};
    // Threads that draw (the caller's among them); 0: one per core. The
    // pixels are the same for every count.
    int Threads = 1;
};

// Pixels the caller owns: Height rows of Width RGBA pixels, Stride bytes
// from one row's start to the next (at least 4 * Width).
struct TPixelTarget {
    std::uint8_t* Pixels = nullptr;
    int Width = 0;
    int Height = 0;
    std::ptrdiff_t Stride = 0;
};

// Keeps its depth buffer and working lists between frames, so an
// interactive view allocates nothing once its size settles. One frame at a
// time per rasterizer.
class TRasterizer {
public:
    TRasterizer();
    ~TRasterizer();
    TRasterizer(const TRasterizer&) = delete;
    TRasterizer& operator=(const TRasterizer&) = delete;

    // Throws TFailure as CheckPictureSize for a target of no pixels or too
    // many.
    void Render(const TScene& scene, const TCamera& camera, const TRenderOptions& options,
                const TPixelTarget& target);
    // Into picture at its Width and Height, its Pixels resized to fit.
    void Render(const TScene& scene, const TCamera& camera, const TRenderOptions& options,
                TRgbaPicture& picture);

private:
    struct TScratch;
    std::unique_ptr<TScratch> Scratch;
};

// A new width x height picture of the scene.
TRgbaPicture RenderScene(const TScene& scene, const TCamera& camera, int width, int height,
                         const TRenderOptions& options = {});

} // namespace zorvak
