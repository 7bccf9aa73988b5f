#include "scene/user_crosshair.h"

#include "core/matrix4.h"
#include "engine/render_backend.h"
#include "engine/renderer.h"
#include "scene/scene_state.h"

#include "core/angles.h"

#include <cmath>

namespace gv {

namespace {

constexpr float kGap = 0.1f;    // radians left open round the centre
constexpr float kReach = 1.57f; // how far each arm runs
constexpr float kStep = 0.2f;

// One arm: from start + gap to start + reach (direction +1) or down to
// start - reach (direction -1), a segment per step.
template <class PointAt>
void arm(CrosshairSegments& out, float start, float direction, PointAt pointAt) {
    const float end = start + direction * kReach;
    float a = start + direction * kGap;
    Vector3 previous = pointAt(a);
    for (;;) {
        float next = a + direction * kStep;
        if (direction * (next - end) > 0.0f) next = end;
        if (direction * (next - a) <= 0.0f) break;
        const Vector3 p = pointAt(next);
        out.push(previous, p);
        previous = p;
        a = next;
    }
}

} // namespace

Vector3 crosshairPoint(float q, float m) {
    return kCrosshairRadius * viewDirection(q, m);
}

CrosshairSegments crosshairSegments(float phi, float lambda) {
    CrosshairSegments out;
    auto alongMeridian = [&](float q) { return crosshairPoint(q, lambda); };
    auto alongParallel = [&](float m) { return crosshairPoint(phi, m); };
    arm(out, phi, +1.0f, alongMeridian);
    arm(out, phi, -1.0f, alongMeridian);
    arm(out, lambda, +1.0f, alongParallel);
    arm(out, lambda, -1.0f, alongParallel);
    return out;
}

namespace {

void drawSegments(Renderer& renderer, const Matrix4& world, float phi, float lambda) {
    renderer.setWorldMatrix(world);
    renderer.bindTexture(nullptr);
    renderer.backend().setRenderState(RenderState::ZEnable, 1);
    for (const auto& [a, b] : crosshairSegments(phi, lambda))
        renderer.drawLine(a.x, a.y, a.z, b.x, b.y, b.z);
}

// The views over a place sit 0.0085 rad north of it.
constexpr float kViewLatitudeOffset = 0.0085f;

} // namespace

void drawUserCrosshair(Renderer& renderer, const Vector3& earthPosition, float phi, float lambda) {
    Matrix4 world = Matrix4::identity();
    world.setTranslation(earthPosition.x, earthPosition.y, earthPosition.z);
    drawSegments(renderer, world, phi, lambda);
}

void drawEarthCrosshair(Renderer& renderer, const Matrix4& earthTransform, float phi,
                        float lambda) {
    drawSegments(renderer, earthTransform, phi, lambda);
}

GeoPoint groundBelow(const SceneState& scene, float latitude, float longitude) {
    return geoPointOf(worldToEarth(scene.earthTransform, viewDirection(latitude, longitude)));
}

void drawUserViewCrosshair(Renderer& renderer, const SceneState& scene, const Preferences& prefs) {
    const float phi = prefs.userLatitude + kViewLatitudeOffset;
    const bool follows = isOn(prefs.userCameraFollowsEarth);
    if (!scene.trueSeasons) {
        // About y alone: the earth's turn added to the longitude in the world.
        float lambda = prefs.userLongitude;
        if (follows) lambda += scene.earthYaw;
        drawUserCrosshair(renderer, scene.earthPosition, phi, wrapSigned(lambda));
        return;
    }
    if (follows) {
        drawEarthCrosshair(renderer, scene.earthTransform, phi, wrapSigned(prefs.userLongitude));
        return;
    }
    const GeoPoint below = groundBelow(scene, phi, prefs.userLongitude);
    drawEarthCrosshair(renderer, scene.earthTransform, below.latitude, below.longitude);
}

} // namespace gv
