#pragma once
// The cloud filter: pixels of the cloud colours become opaque, all others
// transparent black; three smoothing passes soften the edges, and every
// smoothed pixel's opacity becomes its mean brightness.
#include "formats/preferences.h"

#include <cstdint>
#include <span>

namespace gv {

// The 20 colours (0x00RRGGBB) that count as cloud.
class CloudColours {
  public:
    explicit CloudColours(std::span<const uint32_t, kCloudColourCount> colours);
    bool contains(uint32_t rgb) const;
    // 0xFF and the colour for a cloud colour (whatever alpha the pixel
    // carries), else 0.
    uint32_t classify(uint32_t pixel) const {
        const uint32_t rgb = pixel & 0x00FFFFFFu;
        return contains(rgb) ? rgb | 0xFF000000u : 0u;
    }

  private:
    // Open addressing: more than twice the colours' number of slots, a
    // power of two.
    static constexpr uint32_t kSlots = 64;
    uint32_t slots_[kSlots];
    bool used_[kSlots] = {};
};

void classifyCloudPixels(std::span<uint32_t> pixels, const CloudColours& colours);

// The opacity rule: a cloud pixel is as opaque as it is bright, the sum of
// its red, green and blue (0..765) times 0.33333, truncated.
uint8_t cloudOpacity(uint32_t channelSum);

// The three smoothing passes and the opacity from brightness, on a map of
// width x height pixels (0xAARRGGBB) held bottom row first; the map wraps
// round in longitude, and the picture's top row keeps its values.
void smoothCloudMap(std::span<uint32_t> map, uint32_t width, uint32_t height);

// The whole filter: classification, then smoothing.
void applyCloudFilter(std::span<uint32_t> map, uint32_t width, uint32_t height,
                      const CloudColours& colours);

} // namespace gv
