#pragma once
// Stretches a whole decoded picture to a fixed size of 32-bit pixels:
// averaging the covered source pixels along an axis that shrinks,
// interpolating between the two nearest along an axis that grows, and
// copying along an axis that keeps its size (a picture of the target size
// passes through unchanged).
#include "imaging/packed_dib.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gv {

// What each source colour (0x00RRGGBB; a 32-bit picture's fourth byte, its
// alpha, in the top eight bits) becomes before it is stretched: 0xAARRGGBB
// with the colour already weighted by the alpha, so that transparent parts
// add nothing to their neighbours.
class SourceColours {
  public:
    virtual ~SourceColours() = default;
    virtual void map(const uint32_t* rgb, uint32_t* out, size_t count) const = 0;
};

// width x height pixels (0xAARRGGBB), bottom row first, into out. Without a
// colour map every colour is taken opaque. False for an empty picture or a
// depth it cannot read.
bool stretchPicture(const PackedDib& picture, const SourceColours* colours, uint32_t width,
                    uint32_t height, std::vector<uint32_t>& out);

} // namespace gv
