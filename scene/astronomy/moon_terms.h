#pragma once
// Periodic terms of the moon's longitude and latitude: the truncated
// ELP-2000/82 series as tabulated by J. Meeus, "Astronomical Algorithms",
// chapter 47, tables 47.A and 47.B, in the published order.
#include <array>
#include <cstdint>

namespace gv {

struct MoonTerm {
    int8_t d;          // multiple of D, the moon's mean elongation
    int8_t m;          // multiple of M, the sun's mean anomaly
    int8_t mPrime;     // multiple of M', the moon's mean anomaly
    int8_t f;          // multiple of F, the moon's argument of latitude
    int32_t amplitude; // sine coefficient, units of 1e-6 degree
};

// Table 47.A without its 60th row, which has no longitude term.
inline constexpr std::size_t kMoonLongitudeTermCount = 59;
// Table 47.B, all rows.
inline constexpr std::size_t kMoonLatitudeTermCount = 60;

extern const std::array<MoonTerm, kMoonLongitudeTermCount> kMoonLongitudeTerms;
extern const std::array<MoonTerm, kMoonLatitudeTermCount> kMoonLatitudeTerms;

} // namespace gv
