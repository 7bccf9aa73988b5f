#include "scene/astronomy/time_argument.h"

#include "scene/calendar.h"

namespace gv {

float daysSinceJ2000(const std::tm& utc) {
    const int64_t seconds = utcCalendarSeconds(utc) - kJ2000Seconds;
    // Product in double, one rounding to float: a float of the seconds alone
    // would already lose minutes a century away.
    return static_cast<float>(static_cast<double>(seconds) * 1.1574074e-5);
}

double preciseDaysSinceJ2000(const std::tm& utc) {
    return static_cast<double>(utcCalendarSeconds(utc) - kJ2000Seconds) / 86400.0;
}

float centuriesSinceJ2000(const std::tm& utc) {
    return daysSinceJ2000(utc) * 2.7378508e-5f;
}

} // namespace gv
