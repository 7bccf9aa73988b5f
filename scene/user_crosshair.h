#pragma once
// The crosshair over the point below the user view while it is being
// steered: arcs of a sphere a little above the clouds, along the meridian
// and the parallel through that point, leaving a gap round it.
#include "core/vector3.h"
#include "formats/preferences.h"
#include "scene/earth_frame.h"

#include <array>
#include <cstddef>
#include <utility>

namespace gv {

class Renderer;
struct SceneState;

inline constexpr float kCrosshairRadius = 148.0f;

// The point at polar angle q and azimuth m on the crosshair's sphere, earth
// centred.
Vector3 crosshairPoint(float q, float m);

using CrosshairSegment = std::pair<Vector3, Vector3>;

// The segments in a fixed room, so that drawing them every frame allocates
// nothing: four arms of eight segments, with a spare each.
class CrosshairSegments {
  public:
    static constexpr std::size_t kCapacity = 36;
    void push(const Vector3& a, const Vector3& b) {
        if (count_ < kCapacity) segments_[count_++] = {a, b};
    }
    std::size_t size() const { return count_; }
    const CrosshairSegment& operator[](std::size_t i) const { return segments_[i]; }
    const CrosshairSegment* begin() const { return segments_.data(); }
    const CrosshairSegment* end() const { return segments_.data() + count_; }

  private:
    std::array<CrosshairSegment, kCapacity> segments_{};
    std::size_t count_ = 0;
};

// The line segments, earth centred, for the user view's polar angle phi and
// azimuth lambda (as the view places itself).
CrosshairSegments crosshairSegments(float phi, float lambda);

// Draws them with depth test, so that the earth hides the far side.
void drawUserCrosshair(Renderer& renderer, const Vector3& earthPosition, float phi, float lambda);
// The same in the earth's own frame (latitude phi, longitude lambda), turned
// with the earth: the crosshair on the tilted earth.
void drawEarthCrosshair(Renderer& renderer, const Matrix4& earthTransform, float phi, float lambda);

// The place on the earth below a view that stands still in space over this
// latitude and longitude of the world (a user view that does not follow the
// earth).
GeoPoint groundBelow(const SceneState& scene, float latitude, float longitude);

// The crosshair of the user view as it stands: over the point below it, on
// the meridian and the parallel of the earth there.
void drawUserViewCrosshair(Renderer& renderer, const SceneState& scene, const Preferences& prefs);

} // namespace gv
