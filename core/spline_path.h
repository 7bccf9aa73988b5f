#pragma once
// A closed path through control points owned elsewhere (the cameras own
// theirs); the path keeps only pointers and frees only its own array.
#include <cstdint>

#include "core/vector3.h"

namespace gv {

class SplinePath {
  public:
    SplinePath() = default;
    ~SplinePath();
    SplinePath(const SplinePath& other);
    SplinePath& operator=(const SplinePath& other);

    // Grows to 16 slots at first, doubling when full.
    void append(const Vector3* point);
    // No points, the slots kept for the next ones.
    void clear() { count_ = 0; }
    // u in [0, count): segment floor(u) from point i to point i+1, the point
    // after the last being the first. An empty path gives (0, 0, 0).
    Vector3 evaluate(float u) const;

    uint32_t count() const { return count_; }
    uint32_t capacity() const { return capacity_; }
    const Vector3* point(uint32_t i) const { return points_[i]; }

    // Shape parameters; all zero gives the uniform Catmull-Rom spline.
    float s1 = 0.0f;
    float s2 = 0.0f;
    float s3 = 0.0f;

  private:
    const Vector3** points_ = nullptr;
    uint32_t count_ = 0;
    uint32_t capacity_ = 0;
};

} // namespace gv
