#include "scene/user_crosshair.h"

#include "core/matrix4.h"
#include "engine/render_backend.h"
#include "engine/renderer.h"

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
    const float p = q - 1.57f;
    return {std::cos(m) * std::sin(p) * kCrosshairRadius, std::cos(p) * kCrosshairRadius,
            std::sin(m) * std::sin(p) * kCrosshairRadius};
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

void drawUserCrosshair(Renderer& renderer, const Vector3& earthPosition, float phi, float lambda) {
    Matrix4 world = Matrix4::identity();
    world.setTranslation(earthPosition.x, earthPosition.y, earthPosition.z);
    renderer.setWorldMatrix(world);
    renderer.bindTexture(nullptr);
    renderer.backend().setRenderState(RenderState::ZEnable, 1);
    for (const auto& [a, b] : crosshairSegments(phi, lambda))
        renderer.drawLine(a.x, a.y, a.z, b.x, b.y, b.z);
}

} // namespace gv
