#include "render/Camera.h"
#include "SceneBuilder.h"
#include "render/Trig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

namespace zorvak {
namespace {

TEST(Camera, SinesAndCosinesMatchTheMathsAndAreExactOnQuarterTurns) {
    struct TCase {
        double Degrees, Sin, Cos;
    };
    const TCase exact[] = {
        {0, 0, 1}, {90, 1, 0}, {180, 0, -1}, {270, -1, 0}, {360, 0, 1}, {-90, -1, 0}, {720, 0, 1},
    };
    for (const TCase& c : exact) {
        EXPECT_EQ(SinDegrees(c.Degrees), c.Sin) << c.Degrees;
        EXPECT_EQ(CosDegrees(c.Degrees), c.Cos) << c.Degrees;
    }
    for (double degrees = -1000; degrees <= 1000; degrees += 7.3) {
        const double radians = degrees * 3.14159265358979323846 / 180;
        EXPECT_NEAR(SinDegrees(degrees), std::sin(radians), 1e-14) << degrees;
        EXPECT_NEAR(CosDegrees(degrees), std::cos(radians), 1e-14) << degrees;
    }
}

TEST(Camera, YawAndPitchLookTheGamesWay) {
    struct TCase {
        double Yaw, Pitch;
        TVector Forward;
    };
    const TCase cases[] = {
        {0, 0, {1, 0, 0}},    {90, 0, {0, 1, 0}},
        {180, 0, {-1, 0, 0}}, {270, 0, {0, -1, 0}},
        {0, 90, {0, 0, -1}}, // positive pitch looks down
        {0, -90, {0, 0, 1}},  {45, 0, {std::sqrt(0.5), std::sqrt(0.5), 0}},
    };
    for (const TCase& c : cases) {
        TCamera camera;
        camera.Yaw = c.Yaw;
        camera.Pitch = c.Pitch;
        const TCameraAxes axes = AxesOf(camera);
        EXPECT_NEAR(axes.Forward.X, c.Forward.X, 1e-12) << c.Yaw << " " << c.Pitch;
        EXPECT_NEAR(axes.Forward.Y, c.Forward.Y, 1e-12) << c.Yaw << " " << c.Pitch;
        EXPECT_NEAR(axes.Forward.Z, c.Forward.Z, 1e-12) << c.Yaw << " " << c.Pitch;
        // Level cameras keep Z up; the right is always level.
        EXPECT_NEAR(axes.Right.Z, 0, 1e-12);
        if (c.Pitch == 0) {
            EXPECT_NEAR(axes.Up.Z, 1, 1e-12);
        }
    }
}

// Where a step from the bounds' centre along an axis goes on the picture.
enum TWay { wRight, wLeft, wUp, wDown, wAway, wTowards };

TWay WayOf(const TCamera& camera, const TScene& scene, const TScenePoint& step) {
    const TScenePoint centre{(scene.Min.X + scene.Max.X) / 2, (scene.Min.Y + scene.Max.Y) / 2,
                             (scene.Min.Z + scene.Max.Z) / 2};
    const TScreenPoint a = ProjectPoint(camera, 400, 300, centre);
    const TScreenPoint b =
        ProjectPoint(camera, 400, 300, {centre.X + step.X, centre.Y + step.Y, centre.Z + step.Z});
    const double dx = b.X - a.X, dy = b.Y - a.Y, dz = b.Depth - a.Depth;
    if (std::fabs(dx) < 1e-6 && std::fabs(dy) < 1e-6)
        return dz > 0 ? wAway : wTowards;
    if (std::fabs(dx) > std::fabs(dy))
        return dx > 0 ? wRight : wLeft;
    return dy > 0 ? wDown : wUp;
}

TEST(Camera, StandardViewsShowTheModelTheStatedWayRound) {
    TScene scene;
    test::AddBox(scene, {-10, -20, 0}, {30, 20, 56});
    struct TCase {
        std::string Name;
        std::function<TCamera(const TScene&, int, int)> View;
        TWay PlusX, PlusY, PlusZ;
    };
    const TCase cases[] = {
        {"front", FrontView, wTowards, wRight, wUp},
        {"side", SideView, wLeft, wTowards, wUp},
        {"top", TopView, wUp, wLeft, wTowards},
    };
    for (const TCase& c : cases) {
        const TCamera camera = c.View(scene, 400, 300);
        EXPECT_EQ(camera.Projection, TProjection::Orthographic) << c.Name;
        EXPECT_EQ(WayOf(camera, scene, {1, 0, 0}), c.PlusX) << c.Name;
        EXPECT_EQ(WayOf(camera, scene, {0, 1, 0}), c.PlusY) << c.Name;
        EXPECT_EQ(WayOf(camera, scene, {0, 0, 1}), c.PlusZ) << c.Name;
    }
    // The iso view looks at the centre from along (1, 1, 1), Z up.
    const TCamera iso = IsoView(scene, 400, 300);
    EXPECT_EQ(iso.Projection, TProjection::Perspective);
    const TVector forward = AxesOf(iso).Forward;
    EXPECT_NEAR(forward.X, -1 / std::sqrt(3.0), 1e-9);
    EXPECT_NEAR(forward.Y, -1 / std::sqrt(3.0), 1e-9);
    EXPECT_NEAR(forward.Z, -1 / std::sqrt(3.0), 1e-9);
    EXPECT_EQ(WayOf(iso, scene, {0, 0, 1}), wUp);
}

TEST(Camera, EachViewFitsTheBoundsWithAnEvenMargin) {
    struct TCase {
        std::string Name;
        TScenePoint Min, Max;
        int Width, Height;
    };
    const TCase scenes[] = {
        {"cube", {-8, -8, -8}, {8, 8, 8}, 800, 600},
        {"long, off centre", {100, -300, 20}, {140, 500, 60}, 800, 600},
        {"tall", {-5, -5, 0}, {5, 5, 300}, 320, 480},
        {"flat", {-50, -50, 0}, {50, 50, 0}, 256, 256},
        {"point", {3, 4, 5}, {3, 4, 5}, 100, 60},
        {"map-sized", {-2000, -1500, -300}, {2500, 1800, 700}, 640, 480},
    };
    const std::pair<std::string, std::function<TCamera(const TScene&, int, int)>> views[] = {
        {"front", FrontView}, {"side", SideView}, {"top", TopView}, {"iso", IsoView}};
    for (const TCase& c : scenes)
        for (const auto& [viewName, view] : views) {
            const std::string name = c.Name + " " + viewName;
            TScene scene;
            scene.Min = c.Min;
            scene.Max = c.Max;
            const TCamera camera = view(scene, c.Width, c.Height);
            double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
            for (int i = 0; i < 8; ++i) {
                // A point box is drawn as a unit around it.
                const bool point = c.Min.X == c.Max.X && c.Min.Y == c.Max.Y && c.Min.Z == c.Max.Z;
                const float grow = point ? 0.5f : 0.0f;
                const TScenePoint corner{(i & 1) != 0 ? c.Max.X + grow : c.Min.X - grow,
                                         (i & 2) != 0 ? c.Max.Y + grow : c.Min.Y - grow,
                                         (i & 4) != 0 ? c.Max.Z + grow : c.Min.Z - grow};
                const TScreenPoint p = ProjectPoint(camera, c.Width, c.Height, corner);
                ASSERT_TRUE(p.InFront) << name;
                lo[0] = std::min(lo[0], p.X);
                hi[0] = std::max(hi[0], p.X);
                lo[1] = std::min(lo[1], p.Y);
                hi[1] = std::max(hi[1], p.Y);
            }
            const double margin = kFitMargin * std::min(c.Width, c.Height);
            const double size[2] = {static_cast<double>(c.Width), static_cast<double>(c.Height)};
            const double tolerance = 0.01; // pixels
            bool touches = false;
            for (int axis = 0; axis < 2; ++axis) {
                const double before = lo[axis], after = size[axis] - hi[axis];
                // Even: as much room before as after, and never less than
                // the margin.
                EXPECT_NEAR(before, after, tolerance) << name << " axis " << axis;
                EXPECT_GE(before, margin - tolerance) << name << " axis " << axis;
                touches = touches || std::fabs(before - margin) < tolerance;
            }
            EXPECT_TRUE(touches) << name << ": the bounds reach the margin in neither direction";
        }
}

TEST(Camera, OrbitTurnsAndZoomsAroundTheCentre) {
    TScene scene;
    test::AddBox(scene, {-10, -10, 0}, {10, 10, 40});
    TOrbit orbit = TOrbit::Around(scene, 400, 300);
    // Every corner of the bounds is in the picture from the start.
    for (int i = 0; i < 8; ++i) {
        const TScenePoint corner{(i & 1) != 0 ? 10.f : -10.f, (i & 2) != 0 ? 10.f : -10.f,
                                 (i & 4) != 0 ? 40.f : 0.f};
        const TScreenPoint p = ProjectPoint(orbit.Camera(), 400, 300, corner);
        EXPECT_TRUE(p.InFront && p.X >= 0 && p.X <= 400 && p.Y >= 0 && p.Y <= 300) << i;
    }
    struct TStep {
        double Yaw, Pitch, Zoom;
        double WantYaw, WantPitch;
    };
    const TStep steps[] = {
        {30, 0, 1, 255, TOrbit{}.Pitch},   {200, 0, 1, 95, TOrbit{}.Pitch}, // wraps past 360
        {0, 80, 1, 95, kOrbitMaxPitch}, // stops short of straight down
        {0, -200, 1, 95, -kOrbitMaxPitch}, {0, 0, 0.5, 95, -kOrbitMaxPitch},
        {0, 0, 1e-9, 95, -kOrbitMaxPitch}, // no nearer than MinDistance
        {0, 0, 1e12, 95, -kOrbitMaxPitch}, // no farther than MaxDistance
    };
    double distance = orbit.Distance;
    for (const TStep& step : steps) {
        orbit.Turn(step.Yaw, step.Pitch);
        orbit.Zoom(step.Zoom);
        distance = std::clamp(distance * step.Zoom, orbit.MinDistance, orbit.MaxDistance);
        EXPECT_NEAR(orbit.Yaw, step.WantYaw, 1e-9);
        EXPECT_NEAR(orbit.Pitch, step.WantPitch, 1e-9);
        EXPECT_NEAR(orbit.Distance, distance, 1e-9 * distance);
        // Whatever the turn, the centre stays in the middle of the picture.
        const TCamera camera = orbit.Camera();
        const TScreenPoint centre = ProjectPoint(camera, 400, 300, orbit.Centre);
        EXPECT_NEAR(centre.X, 200, 1e-3);
        EXPECT_NEAR(centre.Y, 150, 1e-3);
        EXPECT_NEAR(centre.Depth, orbit.Distance, 1e-4 * orbit.Distance);
    }
}

TEST(Camera, FlyMovesWhereItLooks) {
    struct TCase {
        double Yaw, Pitch, Forward, Strafe, Rise;
        TScenePoint Want;
    };
    const TCase cases[] = {
        {0, 0, 10, 0, 0, {10, 0, 0}},
        {90, 0, 10, 0, 0, {0, 10, 0}},
        {0, 0, 0, 10, 0, {0, -10, 0}}, // right of +X is -Y
        {90, 0, 0, 10, 0, {10, 0, 0}},
        {0, 0, 0, 0, 10, {0, 0, 10}},
        {0, 30, 10, 0, 0, {8.660254f, 0, -5}}, // looking down, flies down
        {180, -30, 10, 0, 5, {-8.660254f, 0, 10}},
    };
    for (const TCase& c : cases) {
        TFly fly;
        fly.Turn(c.Yaw, c.Pitch);
        fly.Move(c.Forward, c.Strafe, c.Rise);
        EXPECT_NEAR(fly.Eye.X, c.Want.X, 1e-4) << c.Yaw << " " << c.Pitch;
        EXPECT_NEAR(fly.Eye.Y, c.Want.Y, 1e-4) << c.Yaw << " " << c.Pitch;
        EXPECT_NEAR(fly.Eye.Z, c.Want.Z, 1e-4) << c.Yaw << " " << c.Pitch;
        EXPECT_EQ(fly.Camera().Projection, TProjection::Perspective);
    }
}

TEST(Camera, MapCameraSeesNinetyDegreesAcross) {
    const TCamera camera = MapCamera({100, 200, 50}, 90);
    struct TCase {
        TScenePoint At;
        double X, Y;
        bool InFront;
    };
    const TCase cases[] = {
        {{100, 300, 50}, 320, 240, true},        // straight ahead (+Y): the middle
        {{200, 300, 50}, 640, 240, true},        // 45 degrees to the right (+X): the right edge
        {{0, 300, 50}, 0, 240, true},            // 45 degrees left: the left edge
        {{100, 300, 150}, 320, 240 - 320, true}, // up 45 degrees
        {{100, 100, 50}, 0, 0, false},           // behind
    };
    for (const TCase& c : cases) {
        const TScreenPoint p = ProjectPoint(camera, 640, 480, c.At);
        EXPECT_EQ(p.InFront, c.InFront);
        if (c.InFront) {
            EXPECT_NEAR(p.X, c.X, 1e-6);
            EXPECT_NEAR(p.Y, c.Y, 1e-6);
        }
    }
}

} // namespace
} // namespace zorvak
