#pragma once
// Directions on the earth and in the scene. The earth's own frame is the
// frame of its mesh: y towards the north pole, longitude λ at azimuth λ + π
// (the tiles start at 180° W) growing eastwards. The world frame is the
// ecliptic's: y towards its north pole, x towards the vernal equinox and z
// towards ecliptic longitude 90°, so that the earth's orbit and its spin both
// carry +x towards +z.
#include "core/matrix4.h"
#include "core/vector3.h"

namespace gv {

struct GeoPoint {
    float latitude = 0.0f;  // radians, north positive
    float longitude = 0.0f; // radians, east positive, (-π, π]
};

// The unit direction of a place in the earth's frame, and back.
Vector3 earthFrameDirection(float latitude, float longitude);
GeoPoint geoPointOf(const Vector3& earthFrameDirection);

// The direction of the views over a place (and of the crosshair): the
// place's direction with the polar angle taken from 1.57 rather than π/2, as
// the views have always been placed.
Vector3 viewDirection(float latitude, float longitude);

// Directions turned by the rotation part of an earth transform (earth frame
// to world), and back by its transpose.
Vector3 earthToWorld(const Matrix4& earthTransform, const Vector3& direction);
Vector3 worldToEarth(const Matrix4& earthTransform, const Vector3& direction);

// The earth's rotation with its axis tilted by `tilt` times the obliquity
// (radians) towards the celestial pole, turned by the Greenwich sidereal
// angle (radians): an earth-frame direction times the matrix is its world
// direction. The earth frame is then the equator of date turned by the
// sidereal angle. With tilt 0 it is a turn about y by the sidereal angle + π;
// the translation row is left 0.
Matrix4 tiltedEarthRotation(double siderealAngle, double obliquity, double tilt);

// A direction of ecliptic longitude and latitude (radians) in the world.
Vector3 worldDirectionOfEcliptic(double longitude, double latitude);

} // namespace gv
