#include "scene/earth_frame.h"

#include <cmath>

#include "core/angles.h"

namespace gv {

Vector3 earthFrameDirection(float latitude, float longitude) {
    const float c = std::cos(latitude);
    return {-c * std::cos(longitude), std::sin(latitude), -c * std::sin(longitude)};
}

GeoPoint geoPointOf(const Vector3& d) {
    const float horizontal = std::sqrt(d.x * d.x + d.z * d.z);
    GeoPoint p;
    p.latitude = std::atan2(d.y, horizontal);
    p.longitude = horizontal > 0.0f ? wrapSigned(std::atan2(-d.z, -d.x)) : 0.0f;
    return p;
}

Vector3 viewDirection(float latitude, float longitude) {
    const float p = latitude - 1.57f;
    return {std::cos(longitude) * std::sin(p), std::cos(p), std::sin(longitude) * std::sin(p)};
}

Vector3 earthToWorld(const Matrix4& t, const Vector3& d) {
    return {d.x * t.m[0][0] + d.y * t.m[1][0] + d.z * t.m[2][0],
            d.x * t.m[0][1] + d.y * t.m[1][1] + d.z * t.m[2][1],
            d.x * t.m[0][2] + d.y * t.m[1][2] + d.z * t.m[2][2]};
}

Vector3 worldToEarth(const Matrix4& t, const Vector3& d) {
    return {d.x * t.m[0][0] + d.y * t.m[0][1] + d.z * t.m[0][2],
            d.x * t.m[1][0] + d.y * t.m[1][1] + d.z * t.m[1][2],
            d.x * t.m[2][0] + d.y * t.m[2][1] + d.z * t.m[2][2]};
}

Matrix4 tiltedEarthRotation(double siderealAngle, double obliquity, double tilt) {
    // An earth-frame direction b is, on the equator of date, (-b.x cos G +
    // b.z sin G, -b.x sin G - b.z cos G, b.y); turned about the equinox by ε
    // onto the ecliptic, and with the ecliptic's axes (X, Y, Z) in the world
    // as (x, z, y). Each row is the world image of one earth axis.
    const double g = siderealAngle, e = obliquity * tilt;
    const double cg = std::cos(g), sg = std::sin(g), ce = std::cos(e), se = std::sin(e);
    Matrix4 r = Matrix4::identity();
    const double rows[3][3] = {{-cg, sg * se, -sg * ce}, {0.0, ce, se}, {sg, cg * se, -cg * ce}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = float(rows[i][j]);
    return r;
}

Vector3 worldDirectionOfEcliptic(double longitude, double latitude) {
    const double c = std::cos(latitude);
    return {float(c * std::cos(longitude)), float(std::sin(latitude)),
            float(c * std::sin(longitude))};
}

} // namespace gv
