#pragma once
// The glow of the air round the earth's disc ("ATMOSPHERE"): a ring facing
// the camera from the earth's limb out to the limb of a sphere of air a
// little larger than the clouds. Its world transform turns it to face the
// camera every frame; its vertices change only with the camera's distance.
// Only the ring is drawn (the whole sphere of air would cover the disc as
// well, for nothing: the earth hides it there).
#include "core/vector3.h"
#include "engine/mesh.h"

#include <cstdint>
#include <memory>

namespace gv {

class Renderer;

// The sphere of air whose limb the ring reaches, outside the clouds (131).
inline constexpr float kAirShellRadius = 133.5f;
// Segments round the ring.
inline constexpr int kAirRingSegments = 96;
// The ring's inner edge lies this much inside the earth's limb, where the
// earth hides it, so that no gap opens between the ring and the earth's
// polygons.
inline constexpr float kAirRingInset = 0.985f;

// Two vertices a segment (inner, outer), the first texture coordinate 1 on
// the inner edge and 0 on the outer one, each vertex's normal pointing away
// from the earth's centre; faces round the ring with the material.
std::unique_ptr<Mesh> buildAirRing(Renderer& renderer, int32_t material);

// Puts the ring round the earth (radius planetRadius, centre earth) as seen
// from eye: its world transform, and its vertices when the distance changed
// since the last call (sent again then). False when the eye is inside the
// air.
bool placeAirRing(Mesh& ring, const Vector3& earth, float planetRadius, const Vector3& eye);

} // namespace gv
