// Where a scene is seen from. Angles follow the game: yaw 0 looks along +X,
// 90 along +Y; a positive pitch looks down (as the player's view angles).
// The picture's right is the camera's right, its up the camera's up; pixel
// (i, j) covers [i, i + 1) x [j, j + 1) with row 0 at the top.
#pragma once

#include "formats/Scene.h"

namespace zorvak {

enum class TProjection { Orthographic, Perspective };

struct TCamera {
    TScenePoint Eye;
    double Yaw = 0;   // degrees
    double Pitch = 0; // degrees, positive looks down
    TProjection Projection = TProjection::Perspective;
    double HalfWidth = 1;    // orthographic: half the picture's width, in units
    double FieldOfView = 90; // perspective: horizontal, degrees (0 < fov < 180)
    double Near = 1;         // nothing nearer than this along the view is drawn
};

struct TVector {
    double X = 0, Y = 0, Z = 0;
};

// The camera's axes in the scene: where it looks, its right and its up.
struct TCameraAxes {
    TVector Forward, Right, Up;
};
TCameraAxes AxesOf(const TCamera& camera);

// A point of the scene as the camera sees it on a width x height picture:
// X, Y in pixels (continuous: 0.5 is the first pixel's centre) and Depth
// along the view. In front is false when it lies nearer than Near, where X
// and Y mean nothing.
struct TScreenPoint {
    double X = 0, Y = 0, Depth = 0;
    bool InFront = false;
};
TScreenPoint ProjectPoint(const TCamera& camera, int width, int height, const TScenePoint& point);
// Pixels per unit across a width-pixel picture: for a perspective camera at
// depth 1 (its focal length; the field of view kept within 1 to 179
// degrees), for an orthographic one everywhere.
double PixelScale(const TCamera& camera, int width);

// The standard views of a scene, each fitting its bounds (Min, Max) in a
// width x height picture with an even margin of kFitMargin of the smaller
// side on all four sides of the limiting direction, centred in the other.
inline constexpr double kFitMargin = 0.05;
// Orthographic from +X looking at the origin: the model's face, Z up, +Y right.
TCamera FrontView(const TScene& scene, int width, int height);
// Orthographic from +Y: Z up, +X left (the model's left side).
TCamera SideView(const TScene& scene, int width, int height);
// Orthographic from +Z looking down: +X up, +Y left.
TCamera TopView(const TScene& scene, int width, int height);
// Perspective (kIsoFieldOfView) from the (1, 1, 1) direction, Z up.
inline constexpr double kIsoFieldOfView = 50;
TCamera IsoView(const TScene& scene, int width, int height);

// A player's view on a map: standing at eye, turned to yaw, level, with the
// game's 90 degree horizontal field of view.
TCamera MapCamera(const TScenePoint& eye, double yaw);

// Turning around a point: the camera looks at Centre along Yaw and Pitch from
// Distance away. Pitch stays within kOrbitMaxPitch so that up stays up.
inline constexpr double kOrbitMaxPitch = 89;
struct TOrbit {
    TScenePoint Centre;
    double Yaw = 225;
    double Pitch = 35.26438968275465; // down from the (1, 1, 1) direction
    double Distance = 100;
    double FieldOfView = kIsoFieldOfView;

    // Starts as the iso view does, far enough for the bounds' sphere to fit
    // the width x height picture.
    static TOrbit Around(const TScene& scene, int width, int height);
    void Turn(double yawBy, double pitchBy);
    // Distance times factor, kept between MinDistance and MaxDistance.
    void Zoom(double factor);
    double MinDistance = 1;
    double MaxDistance = 1e6;
    TCamera Camera() const;
};

// Flying through a map: the eye moves where it looks (forward), to its right
// (strafe) and straight up (rise).
struct TFly {
    TScenePoint Eye;
    double Yaw = 0;
    double Pitch = 0;
    double FieldOfView = 90;

    void Turn(double yawBy, double pitchBy);
    void Move(double forward, double strafe, double rise);
    TCamera Camera() const;
};

} // namespace zorvak
