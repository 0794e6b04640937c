#include "render/Camera.h"
#include "render/Trig.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace zorvak {
namespace {

TVector Minus(const TScenePoint& a, const TScenePoint& b) {
    return {static_cast<double>(a.X) - b.X, static_cast<double>(a.Y) - b.Y,
            static_cast<double>(a.Z) - b.Z};
}

double Dot(const TVector& a, const TVector& b) {
    return a.X * b.X + a.Y * b.Y + a.Z * b.Z;
}

TScenePoint Offset(const TVector& base, const TVector& along, double by) {
    return {static_cast<float>(base.X + along.X * by), static_cast<float>(base.Y + along.Y * by),
            static_cast<float>(base.Z + along.Z * by)};
}

TVector Add(const TVector& a, const TVector& b, double by) {
    return {a.X + b.X * by, a.Y + b.Y * by, a.Z + b.Z * by};
}

double TanHalf(double fieldOfView) {
    return SinDegrees(fieldOfView / 2) / CosDegrees(fieldOfView / 2);
}

// The bounds as a box with some size in every direction a picture can
// see, and its centre.
struct TBox {
    TVector Centre;
    std::array<TVector, 8> Corners; // relative to the centre
};

TBox BoxOf(const TScene& scene) {
    TVector lo{scene.Min.X, scene.Min.Y, scene.Min.Z};
    TVector hi{scene.Max.X, scene.Max.Y, scene.Max.Z};
    if (lo.X == hi.X && lo.Y == hi.Y && lo.Z == hi.Z) {
        // A point (or nothing): a unit around it, so that a picture of it
        // still has a scale.
        lo = Add(lo, {1, 1, 1}, -0.5);
        hi = Add(hi, {1, 1, 1}, 0.5);
    }
    TBox box;
    box.Centre = {(lo.X + hi.X) / 2, (lo.Y + hi.Y) / 2, (lo.Z + hi.Z) / 2};
    const TVector half{(hi.X - lo.X) / 2, (hi.Y - lo.Y) / 2, (hi.Z - lo.Z) / 2};
    for (std::size_t i = 0; i < 8; ++i)
        box.Corners[i] = {(i & 1) != 0 ? half.X : -half.X, (i & 2) != 0 ? half.Y : -half.Y,
                          (i & 4) != 0 ? half.Z : -half.Z};
    return box;
}

double MarginPixels(int width, int height) {
    return kFitMargin * std::min(width, height);
}

TCamera FitOrthographic(const TScene& scene, int width, int height, double yaw, double pitch) {
    TCamera camera;
    camera.Projection = TProjection::Orthographic;
    camera.Yaw = yaw;
    camera.Pitch = pitch;
    const TCameraAxes axes = AxesOf(camera);
    const TBox box = BoxOf(scene);
    double loX = 0, hiX = 0, loY = 0, hiY = 0, deepest = 0;
    for (const TVector& corner : box.Corners) {
        const double x = Dot(corner, axes.Right), y = Dot(corner, axes.Up);
        loX = std::min(loX, x);
        hiX = std::max(hiX, x);
        loY = std::min(loY, y);
        hiY = std::max(hiY, y);
        deepest = std::max(deepest, std::fabs(Dot(corner, axes.Forward)));
    }
    const double margin = MarginPixels(width, height);
    // Pixels per unit: the direction that needs the smaller scale limits.
    double scale = 0;
    if (hiX > loX)
        scale = (width - 2 * margin) / (hiX - loX);
    if (hiY > loY) {
        const double vertical = (height - 2 * margin) / (hiY - loY);
        scale = scale == 0 ? vertical : std::min(scale, vertical);
    }
    if (!(scale > 0))
        scale = 1;
    camera.HalfWidth = width / 2.0 / scale;
    TVector eye = Add(box.Centre, axes.Right, (loX + hiX) / 2);
    eye = Add(eye, axes.Up, (loY + hiY) / 2);
    // Behind the nearest corner by more than Near.
    camera.Near = 1;
    camera.Eye = Offset(eye, axes.Forward, -(deepest + 2));
    return camera;
}

// The shift e (along one picture axis) that leaves equal room on both
// sides: the largest and smallest of (v - e) / depth sum to zero. The sum
// falls as e grows, so halving the interval finds it.
double CentreShift(const std::array<double, 8>& along, const std::array<double, 8>& depth) {
    double lo = *std::min_element(along.begin(), along.end());
    double hi = *std::max_element(along.begin(), along.end());
    for (int step = 0; step < 100; ++step) {
        const double mid = (lo + hi) / 2;
        double most = -1e300, least = 1e300;
        for (std::size_t i = 0; i < 8; ++i) {
            const double slope = (along[i] - mid) / depth[i];
            most = std::max(most, slope);
            least = std::min(least, slope);
        }
        if (most + least > 0)
            lo = mid;
        else
            hi = mid;
    }
    return (lo + hi) / 2;
}

} // namespace

TCameraAxes AxesOf(const TCamera& camera) {
    const double cy = CosDegrees(camera.Yaw), sy = SinDegrees(camera.Yaw);
    const double cp = CosDegrees(camera.Pitch), sp = SinDegrees(camera.Pitch);
    TCameraAxes axes;
    axes.Forward = {cp * cy, cp * sy, -sp};
    axes.Right = {sy, -cy, 0};
    axes.Up = {sp * cy, sp * sy, cp};
    return axes;
}

TScreenPoint ProjectPoint(const TCamera& camera, int width, int height, const TScenePoint& point) {
    const TCameraAxes axes = AxesOf(camera);
    const TVector d = Minus(point, camera.Eye);
    const double x = Dot(d, axes.Right), y = Dot(d, axes.Up), z = Dot(d, axes.Forward);
    TScreenPoint out;
    out.Depth = z;
    out.InFront = z >= camera.Near;
    double scale = PixelScale(camera, width);
    if (camera.Projection == TProjection::Perspective) {
        if (!out.InFront)
            return out;
        scale /= z;
    }
    out.X = width / 2.0 + x * scale;
    out.Y = height / 2.0 - y * scale;
    return out;
}

double PixelScale(const TCamera& camera, int width) {
    if (camera.Projection == TProjection::Orthographic)
        return camera.HalfWidth > 0 ? width / 2.0 / camera.HalfWidth : 1;
    return width / 2.0 / TanHalf(std::clamp(camera.FieldOfView, 1.0, 179.0));
}

TCamera FrontView(const TScene& scene, int width, int height) {
    return FitOrthographic(scene, width, height, 180, 0);
}

TCamera SideView(const TScene& scene, int width, int height) {
    return FitOrthographic(scene, width, height, 270, 0);
}

TCamera TopView(const TScene& scene, int width, int height) {
    return FitOrthographic(scene, width, height, 0, 90);
}

TCamera IsoView(const TScene& scene, int width, int height) {
    TCamera camera;
    camera.Projection = TProjection::Perspective;
    camera.FieldOfView = kIsoFieldOfView;
    camera.Yaw = TOrbit{}.Yaw;
    camera.Pitch = TOrbit{}.Pitch;
    const TCameraAxes axes = AxesOf(camera);
    const TBox box = BoxOf(scene);
    std::array<double, 8> x{}, y{}, z{};
    for (std::size_t i = 0; i < 8; ++i) {
        x[i] = Dot(box.Corners[i], axes.Right);
        y[i] = Dot(box.Corners[i], axes.Up);
        z[i] = Dot(box.Corners[i], axes.Forward);
    }
    // A corner is inside when |x - ex| <= tx (z - ez) (and so for y): each
    // direction gives the farthest-forward eye depth that holds all corners,
    // with both sides touching the margin.
    const double focal = width / 2.0 / TanHalf(camera.FieldOfView);
    const double margin = MarginPixels(width, height);
    const double tx = (width / 2.0 - margin) / focal, ty = (height / 2.0 - margin) / focal;
    double a = -1e300, b = 1e300, c = -1e300, d = 1e300;
    for (std::size_t i = 0; i < 8; ++i) {
        a = std::max(a, x[i] - tx * z[i]);
        b = std::min(b, x[i] + tx * z[i]);
        c = std::max(c, y[i] - ty * z[i]);
        d = std::min(d, y[i] + ty * z[i]);
    }
    const double depthX = (b - a) / (2 * tx), depthY = (d - c) / (2 * ty);
    const double eyeZ = std::min(depthX, depthY);
    std::array<double, 8> depth{};
    for (std::size_t i = 0; i < 8; ++i)
        depth[i] = z[i] - eyeZ;
    double eyeX = 0, eyeY = 0;
    if (depthX <= depthY) {
        eyeX = (a + b) / 2;
        eyeY = CentreShift(y, depth);
    } else {
        eyeY = (c + d) / 2;
        eyeX = CentreShift(x, depth);
    }
    const double nearest = *std::min_element(depth.begin(), depth.end());
    camera.Near = nearest > 0 ? nearest / 2 : 0.01;
    TVector eye = Add(box.Centre, axes.Right, eyeX);
    eye = Add(eye, axes.Up, eyeY);
    camera.Eye = Offset(eye, axes.Forward, eyeZ);
    return camera;
}

TCamera MapCamera(const TScenePoint& eye, double yaw) {
    TCamera camera;
    camera.Eye = eye;
    camera.Yaw = yaw;
    camera.Projection = TProjection::Perspective;
    camera.FieldOfView = 90;
    camera.Near = 1;
    return camera;
}

TOrbit TOrbit::Around(const TScene& scene, int width, int height) {
    TOrbit orbit;
    const TBox box = BoxOf(scene);
    orbit.Centre = Offset(box.Centre, {}, 0);
    const double radius = std::sqrt(Dot(box.Corners[0], box.Corners[0]));
    const double tanHalf =
        TanHalf(orbit.FieldOfView) * std::min(1.0, static_cast<double>(height) / width);
    orbit.Distance = radius * std::sqrt(1 + tanHalf * tanHalf) / tanHalf;
    orbit.MinDistance = radius / 20;
    orbit.MaxDistance = orbit.Distance * 50;
    return orbit;
}

void TOrbit::Turn(double yawBy, double pitchBy) {
    Yaw += yawBy;
    Yaw -= 360 * std::floor(Yaw / 360);
    Pitch = std::clamp(Pitch + pitchBy, -kOrbitMaxPitch, kOrbitMaxPitch);
}

void TOrbit::Zoom(double factor) {
    Distance = std::clamp(Distance * factor, MinDistance, MaxDistance);
}

TCamera TOrbit::Camera() const {
    TCamera camera;
    camera.Yaw = Yaw;
    camera.Pitch = Pitch;
    camera.Projection = TProjection::Perspective;
    camera.FieldOfView = FieldOfView;
    camera.Near = Distance / 100;
    const TVector centre{Centre.X, Centre.Y, Centre.Z};
    camera.Eye = Offset(centre, AxesOf(camera).Forward, -Distance);
    return camera;
}

void TFly::Turn(double yawBy, double pitchBy) {
    Yaw += yawBy;
    Yaw -= 360 * std::floor(Yaw / 360);
    Pitch = std::clamp(Pitch + pitchBy, -kOrbitMaxPitch, kOrbitMaxPitch);
}

void TFly::Move(double forward, double strafe, double rise) {
    const TCameraAxes axes = AxesOf(Camera());
    TVector eye{Eye.X, Eye.Y, Eye.Z};
    eye = Add(eye, axes.Forward, forward);
    eye = Add(eye, axes.Right, strafe);
    Eye = Offset(eye, {0, 0, 1}, rise);
}

TCamera TFly::Camera() const {
    TCamera camera = MapCamera(Eye, Yaw);
    camera.Pitch = Pitch;
    camera.FieldOfView = FieldOfView;
    return camera;
}

} // namespace zorvak
