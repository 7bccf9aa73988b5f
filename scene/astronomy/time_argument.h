#pragma once
// Time arguments of the astronomy, single precision as the scene keeps them.
// Universal time stands in for dynamical time: the difference (about a
// minute) is below what the scene can show.
#include <ctime>

namespace gv {

// Days from J2000.0 (2000-01-01 12:00 UTC) to the UTC broken-down record.
float daysSinceJ2000(const std::tm& utc);
// The same in double precision, for the earth's turn.
double preciseDaysSinceJ2000(const std::tm& utc);
// Julian centuries from J2000.0.
float centuriesSinceJ2000(const std::tm& utc);

} // namespace gv
