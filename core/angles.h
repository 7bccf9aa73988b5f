#pragma once
// Angle helpers of the scene; angles are radians unless a name says degrees.
#include <cstdint>

namespace gv {

inline constexpr float kPi = 3.14159265358979f;
inline constexpr float kTwoPi = 6.28318530717959f;
inline constexpr float kRadiansPerDegree = 0.017453292f;

// Largest integer not above x.
int32_t floorToInt(float x);
// a brought into [-π, π]; both ends are kept as they come.
float wrapSigned(float a);
// x into [0, 360).
float reduceDegrees(float x);
// x into [0, 2π).
float reduceRadians(float x);
// Reduces to [0, 360) first, so any degree value maps into [0, 2π).
float degreesToRadians(float x);
// Direction angle of (x, y) in [0, 2π); 0 for the zero vector.
float atan2Positive(float y, float x);

} // namespace gv
