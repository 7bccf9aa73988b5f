#pragma once
// The sun's apparent position from the low-accuracy theory of Meeus,
// "Astronomical Algorithms", chapter 25 (about 0.01°).
#include "scene/astronomy/moon.h"

namespace gv {

// Apparent ecliptic longitude (true longitude with aberration and nutation),
// radians in [0, 2π), T in Julian centuries from J2000.0.
float sunApparentLongitude(float t);
// Apparent right ascension and declination, T in Julian centuries from J2000.0.
EquatorialPosition sunApparentEquatorial(float t);

} // namespace gv
