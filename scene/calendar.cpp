#include "scene/calendar.h"

namespace gv {

namespace {

int64_t floorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

// Days from 1970-01-01 to a proleptic Gregorian date (month 1..12).
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = floorDiv(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

} // namespace

int64_t utcCalendarSeconds(const std::tm& utc) {
    // Months may overflow either way; carry them into years first.
    const int64_t months = static_cast<int64_t>(utc.tm_year) * 12 + utc.tm_mon;
    const int64_t year = 1900 + floorDiv(months, 12);
    const int64_t month = months - floorDiv(months, 12) * 12 + 1;
    const int64_t days = daysFromCivil(year, month, 1) + (utc.tm_mday - 1);
    return days * 86400 + static_cast<int64_t>(utc.tm_hour) * 3600 +
           static_cast<int64_t>(utc.tm_min) * 60 + utc.tm_sec;
}

} // namespace gv
