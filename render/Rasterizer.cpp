#include "render/Rasterizer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

namespace zorvak {
namespace {

// Corners are snapped to 1/16 pixel; coverage is decided on those integers
// alone (a pixel's centre inside, ties by the top-left rule), so which
// pixels a triangle owns never depends on floating-point rounding.
constexpr int kSubPixel = 16;
// Rows are dealt to threads in bands of this many, round-robin.
constexpr int kBandRows = 8;
constexpr int kMostThreads = 16;
// Triangles are cut at the picture's sides only this far (in picture
// widths and heights) beyond them, so few need cutting and the snapped
// corners stay small enough for 64-bit edge arithmetic.
constexpr double kGuardBand = 1.0;
// Texture coordinates are kept within this many texels of the texture's
// origin before a pixel turns them into integers.
constexpr double kMostTexel = 16777216.0;
constexpr double kMostLightSample = 1e6;
// The flat shading's light: from the front (+X), the left (+Y) and above,
// and the share of light every face gets.
constexpr double kLightX = 0.5, kLightY = 0.3, kLightZ = 0.81;
constexpr double kAmbient = 0.45;
constexpr int kFullShade = 256;

struct TViewPoint {
    double X = 0, Y = 0, Z = 0;
    bool Finite = false;
};

struct TClipVertex {
    double X, Y, Z, S, T, LightS, LightT;
    bool EdgeDrawn; // the edge from this corner to the next is one of the triangle's own
};

struct TPlane {
    double A, B, C, D;
    double Of(const TClipVertex& v) const { return A * v.X + B * v.Y + C * v.Z + D; }
};

// A value across the triangle: At at (X0, Y0), changing by Dx and Dy per pixel.
struct TGradient {
    float At = 0, Dx = 0, Dy = 0;
};

struct TTextureRef {
    const std::uint8_t* Rgba = nullptr; // null: drawn in grey
    int Width = 0, Height = 0;
    int MaskS = -1, MaskT = -1; // width - 1 and height - 1 when powers of two
};

struct TLightmapRef {
    const std::uint8_t* Rgb = nullptr;
    int Width = 0, Height = 0;
};

struct TRasterTriangle {
    // Edge i is E = A * X + B * Y + C at a pixel centre (X, Y) in 1/16
    // pixels; >= 0 inside, with the top-left rule folded into C.
    std::array<std::int64_t, 3> A{}, B{}, C{};
    // For a wireframe: E below this is within a pixel of a drawn edge; 0
    // for an edge that is not drawn (one made by cutting the triangle).
    std::array<std::int64_t, 3> WireLimit{};
    int MinX = 0, MaxX = -1, MinY = 0, MaxY = -1;
    float X0 = 0, Y0 = 0;
    TGradient Key, Q, SQ, TQ, LightSQ, LightTQ;
    const TTextureRef* Texture = nullptr;
    const TLightmapRef* Lightmap = nullptr; // null: full light
    int Shade = kFullShade;
};

std::int64_t FloorDiv(std::int64_t n, std::int64_t d) {
    if (d < 0) {
        n = -n;
        d = -d;
    }
    std::int64_t q = n / d;
    if (n % d != 0 && n < 0)
        --q;
    return q;
}

std::int64_t CeilDiv(std::int64_t n, std::int64_t d) {
    return -FloorDiv(-n, d);
}

int FloorToInt(float v) {
    int i = static_cast<int>(v);
    if (static_cast<float>(i) > v)
        --i;
    return i;
}

std::uint32_t Pack(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    const std::uint8_t bytes[4] = {r, g, b, a};
    std::uint32_t out = 0;
    std::memcpy(&out, bytes, 4);
    return out;
}

std::uint32_t Pack(const TRgbaColour& c) {
    return Pack(c.R, c.G, c.B, c.A);
}

// Everything a frame's threads share, fixed before any of them starts.
struct TFrame {
    const TScene* Scene = nullptr;
    const TRenderOptions* Options = nullptr;
    int Width = 0, Height = 0;
    std::uint8_t* Pixels = nullptr;
    std::ptrdiff_t Stride = 0;
    float* Depth = nullptr;
    bool Perspective = true;
    double Scale = 1; // perspective: the focal length in pixels; else pixels per unit
    double Near = 1;
    std::array<TPlane, 5> Planes{};
    TVector Light; // in the camera's axes
    const TViewPoint* View = nullptr;
    const TTextureRef* Textures = nullptr;
    const TLightmapRef* Lightmaps = nullptr;
    TTextureRef Grey;
    std::uint32_t Background = 0, Wire = 0;
    int Threads = 1;
};

// ---- Setting up: cull, cut, project and snap one scene triangle ----------

TClipVertex Between(const TClipVertex& p, const TClipVertex& q, double t) {
    auto mix = [t](double a, double b) { return a + (b - a) * t; };
    return {mix(p.X, q.X), mix(p.Y, q.Y),           mix(p.Z, q.Z),           mix(p.S, q.S),
            mix(p.T, q.T), mix(p.LightS, q.LightS), mix(p.LightT, q.LightT), false};
}

constexpr std::size_t kMostCorners = 3 + 5; // each plane adds at most one

// Sutherland-Hodgman against each plane; returns the corner count.
std::size_t ClipPolygon(const TFrame& frame, std::array<TClipVertex, kMostCorners>& poly,
                        std::size_t count) {
    std::array<TClipVertex, kMostCorners> out{};
    for (const TPlane& plane : frame.Planes) {
        std::size_t made = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const TClipVertex& p = poly[i];
            const TClipVertex& q = poly[(i + 1) % count];
            const double dp = plane.Of(p), dq = plane.Of(q);
            const bool pIn = dp >= 0, qIn = dq >= 0;
            if (pIn)
                out[made++] = p;
            if (pIn != qIn) {
                TClipVertex cut = Between(p, q, dp / (dp - dq));
                // Leaving, the next edge runs along the plane; entering, it
                // is the rest of this one.
                cut.EdgeDrawn = pIn ? false : p.EdgeDrawn;
                out[made++] = cut;
            }
        }
        count = made;
        poly = out;
        if (count < 3)
            return 0;
    }
    return count;
}

struct TProjected {
    std::int64_t X, Y; // 1/16 pixels
    double Key, Q, SQ, TQ, LightSQ, LightTQ;
    bool EdgeDrawn;
};

TProjected Project(const TFrame& frame, const TClipVertex& v) {
    double sx = 0, sy = 0, q = 1, key = 0;
    if (frame.Perspective) {
        q = 1.0 / v.Z;
        sx = frame.Width / 2.0 + v.X * frame.Scale * q;
        sy = frame.Height / 2.0 - v.Y * frame.Scale * q;
        key = q;
    } else {
        sx = frame.Width / 2.0 + v.X * frame.Scale;
        sy = frame.Height / 2.0 - v.Y * frame.Scale;
        key = -v.Z;
    }
    return {static_cast<std::int64_t>(std::floor(sx * kSubPixel + 0.5)),
            static_cast<std::int64_t>(std::floor(sy * kSubPixel + 0.5)),
            key,
            q,
            v.S * q,
            v.T * q,
            v.LightS * q,
            v.LightT * q,
            v.EdgeDrawn};
}

TGradient GradientOf(double a0, double a1, double a2, double x10, double y10, double x20,
                     double y20, double area) {
    TGradient g;
    g.At = static_cast<float>(a0);
    g.Dx = static_cast<float>(((a1 - a0) * y20 - (a2 - a0) * y10) / area);
    g.Dy = static_cast<float>(((a2 - a0) * x10 - (a1 - a0) * x20) / area);
    return g;
}

// One piece of a (possibly cut) triangle into the list, unless it faces
// away or covers no pixel centre. drawn[i]: edge i (corner i to i + 1) is
// one of the scene triangle's own.
void AddPiece(const TFrame& frame, TProjected v0, TProjected v1, TProjected v2,
              std::array<bool, 3> drawn, const TRasterTriangle& base,
              std::vector<TRasterTriangle>& out) {
    std::int64_t area = (v1.X - v0.X) * (v2.Y - v0.Y) - (v1.Y - v0.Y) * (v2.X - v0.X);
    // Positive area: clockwise on the picture (rows grow downwards).
    const bool clockwise = frame.Options->FrontWinding == TWinding::Clockwise;
    if (area == 0 || (frame.Options->CullBackFaces && (clockwise ? area < 0 : area > 0)))
        return;
    if (area < 0) {
        std::swap(v1, v2);
        drawn = {drawn[2], drawn[1], drawn[0]};
        area = -area;
    }
    TRasterTriangle t = base;
    const std::array<const TProjected*, 3> v = {&v0, &v1, &v2};
    const bool wire = frame.Options->Wireframe != TWireframe::Off;
    for (std::size_t i = 0; i < 3; ++i) {
        const TProjected& a = *v[i];
        const TProjected& b = *v[(i + 1) % 3];
        const std::int64_t dx = b.X - a.X, dy = b.Y - a.Y;
        t.A[i] = -dy;
        t.B[i] = dx;
        t.C[i] = dy * a.X - dx * a.Y;
        const bool topLeft = dy < 0 || (dy == 0 && dx > 0);
        if (!topLeft)
            t.C[i] -= 1;
        t.WireLimit[i] = wire && drawn[i] ? std::max(std::abs(dx), std::abs(dy)) * kSubPixel : 0;
    }
    const std::int64_t loX = std::min({v0.X, v1.X, v2.X}), hiX = std::max({v0.X, v1.X, v2.X});
    const std::int64_t loY = std::min({v0.Y, v1.Y, v2.Y}), hiY = std::max({v0.Y, v1.Y, v2.Y});
    const std::int64_t half = kSubPixel / 2;
    t.MinX = static_cast<int>(std::max<std::int64_t>(0, CeilDiv(loX - half, kSubPixel)));
    t.MaxX =
        static_cast<int>(std::min<std::int64_t>(frame.Width - 1, FloorDiv(hiX - half, kSubPixel)));
    t.MinY = static_cast<int>(std::max<std::int64_t>(0, CeilDiv(loY - half, kSubPixel)));
    t.MaxY =
        static_cast<int>(std::min<std::int64_t>(frame.Height - 1, FloorDiv(hiY - half, kSubPixel)));
    if (t.MinX > t.MaxX || t.MinY > t.MaxY)
        return;
    const double x10 = static_cast<double>(v1.X - v0.X) / kSubPixel;
    const double y10 = static_cast<double>(v1.Y - v0.Y) / kSubPixel;
    const double x20 = static_cast<double>(v2.X - v0.X) / kSubPixel;
    const double y20 = static_cast<double>(v2.Y - v0.Y) / kSubPixel;
    const double pixelArea = static_cast<double>(area) / (kSubPixel * kSubPixel);
    t.X0 = static_cast<float>(static_cast<double>(v0.X) / kSubPixel);
    t.Y0 = static_cast<float>(static_cast<double>(v0.Y) / kSubPixel);
    auto gradient = [&](double TProjected::*field) {
        return GradientOf(v0.*field, v1.*field, v2.*field, x10, y10, x20, y20, pixelArea);
    };
    t.Key = gradient(&TProjected::Key);
    t.Q = gradient(&TProjected::Q);
    if (t.Texture->Rgba != nullptr) {
        t.SQ = gradient(&TProjected::SQ);
        t.TQ = gradient(&TProjected::TQ);
    }
    if (t.Lightmap != nullptr) {
        t.LightSQ = gradient(&TProjected::LightSQ);
        t.LightTQ = gradient(&TProjected::LightTQ);
    }
    out.push_back(t);
}

TVector Cross(const TVector& a, const TVector& b) {
    return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}

double DotOf(const TVector& a, const TVector& b) {
    return a.X * b.X + a.Y * b.Y + a.Z * b.Z;
}

TVector Between(const TViewPoint& from, const TViewPoint& to) {
    return {to.X - from.X, to.Y - from.Y, to.Z - from.Z};
}

// How much light a face gets, seen from the side the camera sees it from.
int ShadeOf(const TFrame& frame, const std::array<const TViewPoint*, 3>& p) {
    TVector normal = Cross(Between(*p[0], *p[1]), Between(*p[0], *p[2]));
    const double length = std::sqrt(DotOf(normal, normal));
    if (!(length > 0))
        return kFullShade;
    const TVector towardsEye =
        frame.Perspective ? TVector{-p[0]->X, -p[0]->Y, -p[0]->Z} : TVector{0, 0, -1};
    if (DotOf(normal, towardsEye) < 0)
        normal = {-normal.X, -normal.Y, -normal.Z};
    const double facing = std::max(0.0, DotOf(normal, frame.Light) / length);
    const double light = kAmbient + (1 - kAmbient) * facing;
    return std::clamp(static_cast<int>(light * kFullShade + 0.5), 0, kFullShade);
}

// Which way the triangle faces on the picture before any cutting: > 0
// clockwise (rows downwards).
double PictureTurn(const TFrame& frame, const std::array<const TViewPoint*, 3>& p) {
    if (frame.Perspective) {
        const TVector n = Cross(Between(*p[0], *p[1]), Between(*p[0], *p[2]));
        return -(p[0]->X * n.X + p[0]->Y * n.Y + p[0]->Z * n.Z);
    }
    return -((p[1]->X - p[0]->X) * (p[2]->Y - p[0]->Y) - (p[1]->Y - p[0]->Y) * (p[2]->X - p[0]->X));
}

void SetUpTriangle(const TFrame& frame, const TSceneTriangle& tri,
                   std::vector<TRasterTriangle>& out) {
    const TScene& scene = *frame.Scene;
    std::array<const TViewPoint*, 3> p{};
    for (std::size_t i = 0; i < 3; ++i) {
        if (tri.Corners[i] >= scene.Vertices.size() || !frame.View[tri.Corners[i]].Finite)
            return;
        p[i] = &frame.View[tri.Corners[i]];
    }
    const TRenderOptions& options = *frame.Options;
    if (options.CullBackFaces) {
        const double turn = PictureTurn(frame, p);
        if (options.FrontWinding == TWinding::Clockwise ? !(turn > 0) : !(turn < 0))
            return;
    }
    TRasterTriangle base;
    base.Texture = &frame.Grey;
    if (tri.Texture >= 0 && static_cast<std::size_t>(tri.Texture) < scene.Textures.size() &&
        frame.Textures[tri.Texture].Rgba != nullptr)
        base.Texture = &frame.Textures[tri.Texture];
    if (tri.Lightmap >= 0 && static_cast<std::size_t>(tri.Lightmap) < scene.Lightmaps.size() &&
        frame.Lightmaps[tri.Lightmap].Rgb != nullptr)
        base.Lightmap = &frame.Lightmaps[tri.Lightmap];
    if (options.FlatShading && base.Lightmap == nullptr)
        base.Shade = ShadeOf(frame, p);

    std::array<TClipVertex, kMostCorners> poly{};
    for (std::size_t i = 0; i < 3; ++i) {
        const TSceneVertex& v = scene.Vertices[tri.Corners[i]];
        poly[i] = {p[i]->X, p[i]->Y, p[i]->Z, v.S, v.T, v.LightS, v.LightT, true};
    }
    if (base.Texture->Rgba != nullptr) {
        // Whole repeats moved off, so that texels stay exact integers.
        const double w = base.Texture->Width, h = base.Texture->Height;
        const double s0 = w * std::floor(std::min({poly[0].S, poly[1].S, poly[2].S}) / w);
        const double t0 = h * std::floor(std::min({poly[0].T, poly[1].T, poly[2].T}) / h);
        for (std::size_t i = 0; i < 3; ++i) {
            poly[i].S = std::isfinite(s0) ? std::clamp(poly[i].S - s0, -kMostTexel, kMostTexel) : 0;
            poly[i].T = std::isfinite(t0) ? std::clamp(poly[i].T - t0, -kMostTexel, kMostTexel) : 0;
        }
    }
    for (std::size_t i = 0; i < 3; ++i) {
        poly[i].LightS = std::clamp(poly[i].LightS, -kMostLightSample, kMostLightSample);
        poly[i].LightT = std::clamp(poly[i].LightT, -kMostLightSample, kMostLightSample);
        if (!std::isfinite(poly[i].LightS) || !std::isfinite(poly[i].LightT))
            poly[i].LightS = poly[i].LightT = 0;
    }
    std::size_t count = 3;
    bool inside = true;
    for (const TPlane& plane : frame.Planes) {
        const double d0 = plane.Of(poly[0]), d1 = plane.Of(poly[1]), d2 = plane.Of(poly[2]);
        if (d0 < 0 && d1 < 0 && d2 < 0)
            return;
        inside = inside && d0 >= 0 && d1 >= 0 && d2 >= 0;
    }
    if (!inside)
        count = ClipPolygon(frame, poly, count);
    if (count < 3)
        return;
    std::array<TProjected, kMostCorners> projected{};
    for (std::size_t i = 0; i < count; ++i)
        projected[i] = Project(frame, poly[i]);
    // A fan from the first corner; its inner edges are not the triangle's.
    for (std::size_t k = 1; k + 1 < count; ++k)
        AddPiece(frame, projected[0], projected[k], projected[k + 1],
                 {k == 1 && projected[0].EdgeDrawn, projected[k].EdgeDrawn,
                  k + 2 == count && projected[k + 1].EdgeDrawn},
                 base, out);
}

// ---- Drawing rows --------------------------------------------------------

struct TSpan {
    int From, To; // pixels, inclusive
};

// The pixels of row y whose centres are inside t.
TSpan SpanOf(const TRasterTriangle& t, int y) {
    const std::int64_t centreY = static_cast<std::int64_t>(y) * kSubPixel + kSubPixel / 2;
    std::int64_t from = t.MinX, to = t.MaxX;
    for (std::size_t i = 0; i < 3; ++i) {
        const std::int64_t a = t.A[i];
        const std::int64_t k = t.B[i] * centreY + t.C[i];
        // a * (16 x + 8) + k >= 0
        const std::int64_t n = -k - a * (kSubPixel / 2);
        if (a > 0)
            from = std::max(from, CeilDiv(n, a * kSubPixel));
        else if (a < 0)
            to = std::min(to, FloorDiv(n, a * kSubPixel));
        else if (k < 0)
            return {0, -1};
    }
    return {static_cast<int>(from), static_cast<int>(to)};
}

struct TRowStart {
    float Key, Q, SQ, TQ, LightSQ, LightTQ;
};

TRowStart RowStart(const TRasterTriangle& t, int x, int y) {
    const float dx = (static_cast<float>(x) + 0.5f) - t.X0;
    const float dy = (static_cast<float>(y) + 0.5f) - t.Y0;
    auto at = [dx, dy](const TGradient& g) { return g.At + g.Dx * dx + g.Dy * dy; };
    return {at(t.Key), at(t.Q), at(t.SQ), at(t.TQ), at(t.LightSQ), at(t.LightTQ)};
}

std::uint32_t Texel(const TTextureRef& tex, float s, float t) {
    int si = FloorToInt(s), ti = FloorToInt(t);
    if (tex.MaskS >= 0) {
        si &= tex.MaskS;
    } else {
        si %= tex.Width;
        if (si < 0)
            si += tex.Width;
    }
    if (tex.MaskT >= 0) {
        ti &= tex.MaskT;
    } else {
        ti %= tex.Height;
        if (ti < 0)
            ti += tex.Height;
    }
    std::uint32_t out = 0;
    std::memcpy(&out,
                tex.Rgba + (static_cast<std::size_t>(ti) * static_cast<std::size_t>(tex.Width) +
                            static_cast<std::size_t>(si)) *
                               4,
                4);
    return out;
}

// The light at (s, t) between the four nearest samples, 0..255 a channel.
std::array<int, 3> LightAt(const TLightmapRef& map, float s, float t) {
    s = std::clamp(s, 0.0f, static_cast<float>(map.Width - 1));
    t = std::clamp(t, 0.0f, static_cast<float>(map.Height - 1));
    const int x0 = static_cast<int>(s), y0 = static_cast<int>(t);
    const int fx = static_cast<int>((s - static_cast<float>(x0)) * 256.0f);
    const int fy = static_cast<int>((t - static_cast<float>(y0)) * 256.0f);
    const int x1 = x0 + (x0 < map.Width - 1 ? 1 : 0);
    const int y1 = y0 + (y0 < map.Height - 1 ? 1 : 0);
    const auto row = [&](int y) {
        return map.Rgb + static_cast<std::size_t>(y) * static_cast<std::size_t>(map.Width) * 3;
    };
    const std::uint8_t* a = row(y0) + x0 * 3;
    const std::uint8_t* b = row(y0) + x1 * 3;
    const std::uint8_t* c = row(y1) + x0 * 3;
    const std::uint8_t* d = row(y1) + x1 * 3;
    std::array<int, 3> out{};
    for (std::size_t i = 0; i < 3; ++i) {
        const int top = a[i] * (256 - fx) + b[i] * fx;
        const int bottom = c[i] * (256 - fx) + d[i] * fx;
        out[i] = (top * (256 - fy) + bottom * fy) >> 16;
    }
    return out;
}

std::uint8_t Lit(int texel, int light, bool overbright) {
    return static_cast<std::uint8_t>(overbright ? std::min(255, (texel * light) >> 7)
                                                : (texel * light + 127) / 255);
}

// The colour of a surface pixel, or false where its texel is see-through.
bool Colour(const TFrame& frame, const TRasterTriangle& t, const TRowStart& at,
            std::uint32_t& colour) {
    const float w = 1.0f / at.Q;
    std::uint8_t rgb[4] = {kUntexturedGrey.R, kUntexturedGrey.G, kUntexturedGrey.B, 255};
    if (t.Texture->Rgba != nullptr) {
        const std::uint32_t texel = Texel(*t.Texture, at.SQ * w, at.TQ * w);
        std::memcpy(rgb, &texel, 4);
        if (rgb[3] == 0)
            return false;
    }
    if (t.Lightmap != nullptr) {
        const std::array<int, 3> light = LightAt(*t.Lightmap, at.LightSQ * w, at.LightTQ * w);
        for (std::size_t i = 0; i < 3; ++i)
            rgb[i] = Lit(rgb[i], light[i], frame.Options->Overbright);
    } else if (t.Shade != kFullShade) {
        for (std::size_t i = 0; i < 3; ++i)
            rgb[i] = static_cast<std::uint8_t>((rgb[i] * t.Shade) >> 8);
    }
    colour = Pack(rgb[0], rgb[1], rgb[2], 255);
    return true;
}

void DrawRow(const TFrame& frame, const TRasterTriangle& t, int y) {
    const TSpan span = SpanOf(t, y);
    if (span.From > span.To)
        return;
    TRowStart at = RowStart(t, span.From, y);
    float* depth = frame.Depth + static_cast<std::ptrdiff_t>(y) * frame.Width;
    std::uint8_t* row = frame.Pixels + y * frame.Stride;
    const TWireframe wire = frame.Options->Wireframe;
    const std::int64_t centreY = static_cast<std::int64_t>(y) * kSubPixel + kSubPixel / 2;
    for (int x = span.From; x <= span.To; ++x) {
        bool onEdge = false;
        if (wire != TWireframe::Off) {
            const std::int64_t centreX = static_cast<std::int64_t>(x) * kSubPixel + kSubPixel / 2;
            for (std::size_t i = 0; i < 3; ++i)
                onEdge = onEdge || t.A[i] * centreX + t.B[i] * centreY + t.C[i] < t.WireLimit[i];
        }
        std::uint32_t colour = 0;
        bool draw = false;
        if (wire == TWireframe::Lines && !frame.Options->WireDepthTest) {
            if (onEdge)
                std::memcpy(row + x * 4, &frame.Wire, 4);
        } else if (at.Key > depth[x]) {
            if (wire == TWireframe::Lines) {
                colour = onEdge ? frame.Wire : frame.Background;
                draw = true;
            } else if (onEdge) {
                colour = frame.Wire;
                draw = true;
            } else {
                draw = Colour(frame, t, at, colour);
            }
        }
        if (draw) {
            depth[x] = at.Key;
            std::memcpy(row + x * 4, &colour, 4);
        }
        at.Key += t.Key.Dx;
        at.Q += t.Q.Dx;
        at.SQ += t.SQ.Dx;
        at.TQ += t.TQ.Dx;
        at.LightSQ += t.LightSQ.Dx;
        at.LightTQ += t.LightTQ.Dx;
    }
}

// ---- Frame ---------------------------------------------------------------

void SetUpRange(const TFrame& frame, std::size_t from, std::size_t to,
                std::vector<TRasterTriangle>& out) {
    out.clear();
    for (std::size_t i = from; i < to; ++i)
        SetUpTriangle(frame, frame.Scene->Triangles[i], out);
}

// Thread `lane` of frame.Threads: its bands of rows cleared, then every
// triangle's rows within them, in the scene's order.
void DrawLane(const TFrame& frame, const std::vector<std::vector<TRasterTriangle>>& lists,
              int lane) {
    const int stride = frame.Threads;
    for (int band = lane; band * kBandRows < frame.Height; band += stride) {
        const int end = std::min(frame.Height, (band + 1) * kBandRows);
        for (int y = band * kBandRows; y < end; ++y) {
            std::uint8_t* row = frame.Pixels + y * frame.Stride;
            for (int x = 0; x < frame.Width; ++x)
                std::memcpy(row + x * 4, &frame.Background, 4);
            std::fill_n(frame.Depth + static_cast<std::ptrdiff_t>(y) * frame.Width, frame.Width,
                        std::numeric_limits<float>::lowest());
        }
    }
    for (const std::vector<TRasterTriangle>& list : lists)
        for (const TRasterTriangle& t : list) {
            int band = t.MinY / kBandRows;
            band += ((lane - band) % stride + stride) % stride;
            for (; band * kBandRows <= t.MaxY; band += stride) {
                const int from = std::max(t.MinY, band * kBandRows);
                const int to = std::min(t.MaxY, band * kBandRows + kBandRows - 1);
                for (int y = from; y <= to; ++y)
                    DrawRow(frame, t, y);
            }
        }
}

template <class TWork> void RunLanes(int lanes, const TWork& work) {
    std::vector<std::thread> threads;
    threads.reserve(static_cast<std::size_t>(lanes - 1));
    for (int lane = 1; lane < lanes; ++lane)
        threads.emplace_back([&work, lane] { work(lane); });
    work(0);
    for (std::thread& thread : threads)
        thread.join();
}

TTextureRef TextureRefOf(const TSceneTexture& texture) {
    TTextureRef ref;
    if (texture.Width <= 0 || texture.Height <= 0 ||
        texture.Rgba.size() !=
            static_cast<std::size_t>(texture.Width) * static_cast<std::size_t>(texture.Height) * 4)
        return ref;
    ref.Rgba = texture.Rgba.data();
    ref.Width = texture.Width;
    ref.Height = texture.Height;
    auto mask = [](int n) { return (n & (n - 1)) == 0 ? n - 1 : -1; };
    ref.MaskS = mask(texture.Width);
    ref.MaskT = mask(texture.Height);
    return ref;
}

TLightmapRef LightmapRefOf(const TSceneLightmap& map) {
    TLightmapRef ref;
    if (map.Width <= 0 || map.Height <= 0 ||
        map.Rgb.size() !=
            static_cast<std::size_t>(map.Width) * static_cast<std::size_t>(map.Height) * 3)
        return ref;
    ref.Rgb = map.Rgb.data();
    ref.Width = map.Width;
    ref.Height = map.Height;
    return ref;
}

} // namespace

struct TRasterizer::TScratch {
    std::vector<float> Depth;
    std::vector<TViewPoint> View;
    std::vector<TTextureRef> Textures;
    std::vector<TLightmapRef> Lightmaps;
    std::vector<std::vector<TRasterTriangle>> Lists;
};

TRasterizer::TRasterizer() : Scratch(std::make_unique<TScratch>()) {}
TRasterizer::~TRasterizer() = default;

void TRasterizer::Render(const TScene& scene, const TCamera& camera, const TRenderOptions& options,
                         const TPixelTarget& target) {
    const std::size_t pixels = CheckPictureSize(target.Width, target.Height);
    TScratch& s = *Scratch;
    TFrame frame;
    frame.Scene = &scene;
    frame.Options = &options;
    frame.Width = target.Width;
    frame.Height = target.Height;
    frame.Pixels = target.Pixels;
    frame.Stride = target.Stride;
    s.Depth.resize(pixels);
    frame.Depth = s.Depth.data();
    frame.Background = Pack(options.Background);
    frame.Wire = Pack(options.WireColour);

    const TCameraAxes axes = AxesOf(camera);
    const double halfW = frame.Width / 2.0, halfH = frame.Height / 2.0;
    const double guardW = halfW + kGuardBand * frame.Width;
    const double guardH = halfH + kGuardBand * frame.Height;
    frame.Perspective = camera.Projection == TProjection::Perspective;
    frame.Near = camera.Near;
    if (frame.Perspective) {
        frame.Scale = PixelScale(camera, frame.Width);
        if (!(frame.Near > 0))
            frame.Near = 1e-3;
        // |x| * focal <= guard * z, and so for y.
        frame.Planes = {TPlane{0, 0, 1, -frame.Near}, TPlane{frame.Scale, 0, guardW, 0},
                        TPlane{-frame.Scale, 0, guardW, 0}, TPlane{0, frame.Scale, guardH, 0},
                        TPlane{0, -frame.Scale, guardH, 0}};
    } else {
        frame.Scale = PixelScale(camera, frame.Width);
        frame.Planes = {TPlane{0, 0, 1, -frame.Near}, TPlane{frame.Scale, 0, 0, guardW},
                        TPlane{-frame.Scale, 0, 0, guardW}, TPlane{0, frame.Scale, 0, guardH},
                        TPlane{0, -frame.Scale, 0, guardH}};
    }
    const double lightLength = std::sqrt(kLightX * kLightX + kLightY * kLightY + kLightZ * kLightZ);
    const TVector light{kLightX / lightLength, kLightY / lightLength, kLightZ / lightLength};
    frame.Light = {DotOf(light, axes.Right), DotOf(light, axes.Up), DotOf(light, axes.Forward)};

    s.View.resize(scene.Vertices.size());
    for (std::size_t i = 0; i < scene.Vertices.size(); ++i) {
        const TScenePoint& at = scene.Vertices[i].At;
        const TVector d{static_cast<double>(at.X) - camera.Eye.X,
                        static_cast<double>(at.Y) - camera.Eye.Y,
                        static_cast<double>(at.Z) - camera.Eye.Z};
        TViewPoint& v = s.View[i];
        v.X = DotOf(d, axes.Right);
        v.Y = DotOf(d, axes.Up);
        v.Z = DotOf(d, axes.Forward);
        v.Finite = std::isfinite(v.X) && std::isfinite(v.Y) && std::isfinite(v.Z);
    }
    frame.View = s.View.data();
    s.Textures.clear();
    for (const TSceneTexture& texture : scene.Textures)
        s.Textures.push_back(TextureRefOf(texture));
    s.Lightmaps.clear();
    for (const TSceneLightmap& map : scene.Lightmaps)
        s.Lightmaps.push_back(LightmapRefOf(map));
    frame.Textures = s.Textures.data();
    frame.Lightmaps = s.Lightmaps.data();

    int threads = options.Threads > 0 ? options.Threads
                                      : static_cast<int>(std::thread::hardware_concurrency());
    threads = std::clamp(threads, 1, kMostThreads);
    threads = std::min(threads, (frame.Height + kBandRows - 1) / kBandRows);
    frame.Threads = threads;
    s.Lists.resize(static_cast<std::size_t>(threads));
    const std::size_t triangles = scene.Triangles.size();
    RunLanes(threads, [&](int lane) {
        const auto share = [&](int n) {
            return triangles * static_cast<std::size_t>(n) / static_cast<std::size_t>(threads);
        };
        SetUpRange(frame, share(lane), share(lane + 1), s.Lists[static_cast<std::size_t>(lane)]);
    });
    RunLanes(threads, [&](int lane) { DrawLane(frame, s.Lists, lane); });
}

void TRasterizer::Render(const TScene& scene, const TCamera& camera, const TRenderOptions& options,
                         TRgbaPicture& picture) {
    const std::size_t pixels = CheckPictureSize(picture.Width, picture.Height);
    picture.Pixels.resize(pixels * kRgbaBytes);
    Render(scene, camera, options,
           TPixelTarget{picture.Pixels.data(), picture.Width, picture.Height,
                        static_cast<std::ptrdiff_t>(picture.Width) * 4});
}

TRgbaPicture RenderScene(const TScene& scene, const TCamera& camera, int width, int height,
                         const TRenderOptions& options) {
    TRgbaPicture picture;
    picture.Width = width;
    picture.Height = height;
    TRasterizer rasterizer;
    rasterizer.Render(scene, camera, options, picture);
    return picture;
}

} // namespace zorvak
