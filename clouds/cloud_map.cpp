#include "clouds/cloud_map.h"

#include <cstring>

namespace gv {

void CloudSourceColours::map(const uint32_t* rgb, uint32_t* out, size_t count) const {
    // Neighbours mostly share their colour: the last answer is kept.
    uint32_t last = 0, answer = colours_.classify(0);
    for (size_t i = 0; i < count; ++i) {
        if (rgb[i] != last) {
            last = rgb[i];
            answer = colours_.classify(last);
        }
        out[i] = answer;
    }
}

bool stretchCloudPicture(const PackedDib& picture, const CloudColours& colours, CloudMap& map) {
    const CloudSourceColours source(colours);
    return stretchPicture(picture, &source, kCloudMapWidth, kCloudMapHeight, map);
}

bool cloudMapFromPicture(const PackedDib& picture, const CloudColours& colours, CloudMap& map) {
    if (!stretchCloudPicture(picture, colours, map)) return false;
    smoothCloudMap(map, kCloudMapWidth, kCloudMapHeight);
    return true;
}

void cloudTilePixels(const CloudMap& map, int tile, uint32_t* out) {
    const uint32_t firstRow = tile < 4 ? kCloudMapHeight / 2 : 0;
    const uint32_t firstColumn = uint32_t(tile % 4) * kCloudTileSize;
    // Map rows run bottom up, texture rows top down.
    for (uint32_t t = 0; t < kCloudTileSize; ++t) {
        const uint32_t row = firstRow + kCloudTileSize - 1 - t;
        std::memcpy(out + size_t(t) * kCloudTileSize,
                    map.data() + size_t(row) * kCloudMapWidth + firstColumn,
                    kCloudTileSize * sizeof(uint32_t));
    }
}

} // namespace gv
