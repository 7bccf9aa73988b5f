#include "scene/air_shell.h"

#include "core/angles.h"

#include <cmath>

namespace gv {

std::unique_ptr<Mesh> buildAirRing(Renderer& renderer, int32_t material) {
    auto ring = std::make_unique<Mesh>(renderer);
    for (int i = 0; i < kAirRingSegments; ++i) {
        ring->appendVertex({0, 0, 0, 0, 1, 0, 1.0f, 0.0f}); // inner
        ring->appendVertex({0, 0, 0, 0, 1, 0, 0.0f, 0.0f}); // outer
    }
    for (int i = 0; i < kAirRingSegments; ++i) {
        const uint32_t a = uint32_t(2 * i), b = uint32_t(2 * ((i + 1) % kAirRingSegments));
        MeshFace f1, f2;
        f1.a = a;
        f1.b = a + 1;
        f1.c = b + 1;
        f2.a = a;
        f2.b = b + 1;
        f2.c = b;
        f1.material = f2.material = material;
        ring->appendFace(f1);
        ring->appendFace(f2);
    }
    if (!ring->finalize()) return nullptr;
    return ring;
}

bool placeAirRing(Mesh& ring, const Vector3& earth, float planetRadius, const Vector3& eye) {
    const Vector3 toEye = eye - earth;
    const float d = length(toEye);
    if (!(d > kAirShellRadius)) return false;
    // The ring's own frame: z towards the eye, x and y across the line of
    // sight; its world transform carries it there.
    const Vector3 u = (1.0f / d) * toEye;
    const Vector3 helper = std::fabs(u.y) < 0.9f ? Vector3{0, 1, 0} : Vector3{1, 0, 0};
    const Vector3 a = normalize(cross(helper, u));
    const Vector3 b = cross(u, a);
    Matrix4& w = ring.world();
    w.setIdentity();
    const Vector3 rows[3] = {a, b, u};
    for (int i = 0; i < 3; ++i) {
        w.m[i][0] = rows[i].x;
        w.m[i][1] = rows[i].y;
        w.m[i][2] = rows[i].z;
    }
    w.setTranslation(earth.x, earth.y, earth.z);

    // Its shape depends on the distance alone (the first vertex keeps the
    // inner circle's offset, r²/d, to tell). A camera that stays where it is
    // still moves by rounding from frame to frame: sending the vertices again
    // for that would hold up the device for nothing.
    std::vector<MeshVertex>& v = ring.editableVertices();
    const float innerOffset = planetRadius * planetRadius / d;
    if (std::fabs(v[0].z - innerOffset) < 1e-3f) return true;
    // A sphere's limb seen from the eye: the circle of its tangent points,
    // r²/d towards the eye from its centre, of radius r·sqrt(1 - r²/d²).
    const float innerRadius =
        kAirRingInset * planetRadius * std::sqrt(1.0f - (planetRadius * planetRadius) / (d * d));
    const float outerOffset = kAirShellRadius * kAirShellRadius / d;
    const float outerRadius =
        kAirShellRadius * std::sqrt(1.0f - (kAirShellRadius * kAirShellRadius) / (d * d));
    for (int i = 0; i < kAirRingSegments; ++i) {
        const float angle = float(i) * kTwoPi / float(kAirRingSegments);
        const float c = std::cos(angle), s = std::sin(angle);
        const Vector3 points[2] = {{innerRadius * c, innerRadius * s, innerOffset},
                                   {outerRadius * c, outerRadius * s, outerOffset}};
        for (int k = 0; k < 2; ++k) {
            const Vector3 n = normalize(points[k]);
            MeshVertex& x = v[size_t(2 * i + k)];
            x.x = points[k].x;
            x.y = points[k].y;
            x.z = points[k].z;
            x.nx = n.x;
            x.ny = n.y;
            x.nz = n.z;
        }
    }
    return ring.uploadVertices();
}

} // namespace gv
