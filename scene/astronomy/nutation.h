#pragma once
// Low-accuracy nutation and the obliquity of the ecliptic (Meeus,
// "Astronomical Algorithms", chapter 22), radians, T in Julian centuries
// from J2000.0.

namespace gv {

struct Nutation {
    float longitude = 0; // Δψ
    float obliquity = 0; // Δε
};

// Good to about half an arcsecond.
Nutation nutationLowAccuracy(float t);
// ε0, the mean obliquity (23°26'21.445" at J2000.0).
float meanObliquity(float t);

} // namespace gv
