#include "core/spline_path.h"

#include <algorithm>
#include <cassert>

#include "core/angles.h"

namespace gv {

SplinePath::~SplinePath() {
    delete[] points_;
}

SplinePath::SplinePath(const SplinePath& other)
    : s1(other.s1), s2(other.s2), s3(other.s3), count_(other.count_), capacity_(other.capacity_) {
    if (capacity_ > 0) {
        points_ = new const Vector3*[capacity_];
        std::copy(other.points_, other.points_ + count_, points_);
    }
}

SplinePath& SplinePath::operator=(const SplinePath& other) {
    if (this != &other) {
        SplinePath copy(other);
        std::swap(points_, copy.points_);
        std::swap(count_, copy.count_);
        std::swap(capacity_, copy.capacity_);
        s1 = other.s1;
        s2 = other.s2;
        s3 = other.s3;
    }
    return *this;
}

void SplinePath::append(const Vector3* point) {
    assert(point != nullptr);
    if (count_ == capacity_) {
        const uint32_t grown = capacity_ == 0 ? 16 : capacity_ * 2;
        auto* bigger = new const Vector3*[grown];
        std::copy(points_, points_ + count_, bigger);
        delete[] points_;
        points_ = bigger;
        capacity_ = grown;
    }
    points_[count_++] = point;
}

Vector3 SplinePath::evaluate(float u) const {
    if (count_ == 0) return {};
    const int32_t n = static_cast<int32_t>(count_);
    const int32_t i = floorToInt(u);
    const float t = u - static_cast<float>(i);
    auto wrapIndex = [n](int32_t k) {
        while (k < 0)
            k += n;
        while (k >= n)
            k -= n;
        return k;
    };
    const Vector3& pm = *points_[wrapIndex(i - 1)];
    const Vector3& p0 = *points_[wrapIndex(i)];
    const Vector3& p1 = *points_[wrapIndex(i + 1)];
    const Vector3& p2 = *points_[wrapIndex(i + 2)];

    const float a = (1 + s1) * (1 + s2) * (1 - s3);
    const float b = (1 - s1) * (1 - s2) * (1 - s3);
    const float c = (1 - s3) * (1 - s1) * (1 + s2);
    const float d = (1 - s2) * (1 - s3) * (1 + s1);
    const float k1 = -a / 2;
    const float k2 = (2 * b - 2 * a - 6 + c) / 2;
    const float k3 = (a - b) / 2;
    const float k4 = (a + 4 - b - c) / 2;
    const float k5 = (c + b - 4 - d) / 2;
    const float k6 = (6 - 2 * b - c + d) / 2;
    const float k7 = b / 2;
    const float k8 = d / 2;

    auto blend = [&](float vm, float v0, float v1, float v2) {
        const float linear = k7 * v1 + k3 * v0 + k1 * vm;
        const float square = -k8 * v2 + k6 * v1 + k2 * v0 + a * vm;
        const float cube = k8 * v2 + k5 * v1 + k4 * v0 + k1 * vm;
        return v0 + t * linear + t * t * square + t * t * t * cube;
    };
    return {blend(pm.x, p0.x, p1.x, p2.x), blend(pm.y, p0.y, p1.y, p2.y),
            blend(pm.z, p0.z, p1.z, p2.z)};
}

} // namespace gv
