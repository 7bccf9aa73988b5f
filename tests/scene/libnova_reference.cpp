#include "libnova_reference.h"

#include <cmath>

#include <libnova/lunar.h>
#include <libnova/nutation.h>
#include <libnova/precession.h>
#include <libnova/sidereal_time.h>
#include <libnova/solar.h>

#include "scene/calendar.h"

namespace gv::reference {

namespace {
constexpr double kDeg = M_PI / 180.0;
constexpr double kJ2000 = 2451545.0;
constexpr double kJ2000Obliquity = 23.4392911; // degrees
} // namespace

double julianDay(const std::tm& utc) {
    return 2440587.5 + static_cast<double>(utcCalendarSeconds(utc)) / 86400.0;
}

double angleDifference(double a, double b) {
    double d = std::fmod(a - b, 360.0);
    if (d > 180.0) d -= 360.0;
    if (d <= -180.0) d += 360.0;
    return d;
}

Equatorial apparentFromEcliptic(double longitude, double latitude, double jd) {
    ln_nutation nut{};
    ln_get_nutation(jd, &nut);
    const double lon = (longitude + nut.longitude) * kDeg;
    const double lat = latitude * kDeg;
    const double eps = (nut.ecliptic + nut.obliquity) * kDeg;
    Equatorial out{};
    out.ra =
        std::atan2(std::sin(lon) * std::cos(eps) - std::tan(lat) * std::sin(eps), std::cos(lon)) /
        kDeg;
    if (out.ra < 0) out.ra += 360.0;
    out.dec =
        std::asin(std::sin(lat) * std::cos(eps) + std::cos(lat) * std::sin(eps) * std::sin(lon)) /
        kDeg;
    return out;
}

namespace {

// libnova's lunar and solar equatorial positions refer to the mean equator
// and equinox of J2000: precess to the date, then add the nutation by way of
// the ecliptic of date (longitude += Δψ, obliquity ε0 -> ε0 + Δε).
Equatorial ofDate(ln_equ_posn j2000, double jd) {
    ln_equ_posn mean{};
    ln_get_equ_prec2(&j2000, kJ2000, jd, &mean);
    ln_nutation nut{};
    ln_get_nutation(jd, &nut);

    const double eps0 = nut.ecliptic * kDeg;
    const double ra = mean.ra * kDeg, dec = mean.dec * kDeg;
    const double lon =
        std::atan2(std::sin(ra) * std::cos(eps0) + std::tan(dec) * std::sin(eps0), std::cos(ra));
    const double lat =
        std::asin(std::sin(dec) * std::cos(eps0) - std::cos(dec) * std::sin(eps0) * std::sin(ra));
    return apparentFromEcliptic(lon / kDeg, lat / kDeg, jd);
}

} // namespace

Equatorial moonApparent(double jd) {
    // libnova's own lunar equatorial position turns its J2000 ecliptic
    // coordinates with the obliquity of date, a mixed frame off by up to
    // 0.01° a half-century away; start from the ecliptic coordinates and the
    // J2000 obliquity instead.
    ln_lnlat_posn ecliptic{};
    ln_get_lunar_ecl_coords(jd, &ecliptic, 0.0);
    const double eps = kJ2000Obliquity * kDeg;
    const double lon = ecliptic.lng * kDeg, lat = ecliptic.lat * kDeg;
    ln_equ_posn j2000{};
    j2000.ra =
        std::atan2(std::sin(lon) * std::cos(eps) - std::tan(lat) * std::sin(eps), std::cos(lon)) /
        kDeg;
    j2000.dec =
        std::asin(std::sin(lat) * std::cos(eps) + std::cos(lat) * std::sin(eps) * std::sin(lon)) /
        kDeg;
    return ofDate(j2000, jd);
}

Equatorial sun(double jd) {
    ln_equ_posn j2000{};
    ln_get_solar_equ_coords(jd, &j2000);
    return ofDate(j2000, jd);
}

double subsolarLongitude(double jd) {
    // The sun is overhead where the local sidereal time equals its right
    // ascension.
    const double gast = ln_get_apparent_sidereal_time(jd) * 15.0;
    return angleDifference(sun(jd).ra, gast);
}

double moonIlluminatedFraction(double jd) {
    return ln_get_lunar_disk(jd);
}

} // namespace gv::reference
