#include "scene/astronomy/sidereal_time.h"

#include <cmath>
#include <numbers>

namespace gv {

double greenwichApparentSiderealAngle(double days, double nutationLongitude, double obliquity) {
    const double t = days / 36525.0;
    // Mean sidereal time, Meeus (12.4), in degrees.
    double degrees =
        280.46061837 + 360.98564736629 * days + 0.000387933 * t * t - t * t * t / 38710000.0;
    degrees = std::fmod(degrees, 360.0);
    if (degrees < 0.0) degrees += 360.0;
    double angle = degrees * std::numbers::pi / 180.0 + nutationLongitude * std::cos(obliquity);
    angle = std::fmod(angle, 2.0 * std::numbers::pi);
    if (angle < 0.0) angle += 2.0 * std::numbers::pi;
    return angle;
}

} // namespace gv
