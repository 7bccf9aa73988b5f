#pragma once
// Greenwich sidereal time (Meeus, "Astronomical Algorithms", chapter 12),
// the angle by which the earth has turned under the equinox of date.

namespace gv {

// Greenwich apparent sidereal time in radians, [0, 2π), for the days from
// J2000.0 in universal time. The days are a double: in a float the turn
// would lose degrees a century away. nutationLongitude (Δψ) and obliquity
// (ε) in radians give the equation of the equinoxes, Δψ·cos ε.
double greenwichApparentSiderealAngle(double daysSinceJ2000, double nutationLongitude,
                                      double obliquity);

} // namespace gv
