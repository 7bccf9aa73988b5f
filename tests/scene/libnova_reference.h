#pragma once
// Reference positions from libnova, an independent ephemeris (full
// ELP-2000/82B moon, VSOP87 sun), brought to the frame the scene uses:
// apparent coordinates of the true equator and equinox of date.
#include <ctime>

namespace gv::reference {

double julianDay(const std::tm& utc);

struct Equatorial {
    double ra;  // degrees
    double dec; // degrees
};

// Apparent equatorial coordinates of an ecliptic position (mean ecliptic
// and equinox of date, degrees), with libnova's nutation.
Equatorial apparentFromEcliptic(double longitude, double latitude, double jd);

// The moon's apparent geocentric right ascension and declination.
Equatorial moonApparent(double jd);
// The sun's apparent right ascension and declination.
Equatorial sun(double jd);
// Longitude of the point with the sun overhead, degrees east in (-180, 180].
double subsolarLongitude(double jd);
// Illuminated fraction of the moon's disk, 0..1.
double moonIlluminatedFraction(double jd);

// Difference a - b of two angles in degrees, folded into (-180, 180].
double angleDifference(double a, double b);

} // namespace gv::reference
