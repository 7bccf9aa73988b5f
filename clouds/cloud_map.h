#pragma once
// The cloud map: 1024 x 512 pixels of 32 bits (0xAARRGGBB), bottom row
// first, longitude from west to east along a row, the northern hemisphere in
// the upper half; cut into eight 256 x 256 tiles, four across each half.
#include "clouds/cloud_filter.h"
#include "imaging/decoded_image.h"
#include "imaging/picture_stretch.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gv {

inline constexpr uint32_t kCloudMapWidth = 1024;
inline constexpr uint32_t kCloudMapHeight = 512;
inline constexpr uint32_t kCloudTileSize = 256;
inline constexpr int kCloudTiles = 8;

using CloudMap = std::vector<uint32_t>;

// Classification as the picture's colours are read, so that stretching
// blends cloud with transparency rather than into colours of no cloud.
class CloudSourceColours final : public SourceColours {
  public:
    explicit CloudSourceColours(const CloudColours& colours) : colours_(colours) {}
    void map(const uint32_t* rgb, uint32_t* out, size_t count) const override;

  private:
    const CloudColours& colours_;
};

// A brightness map (a picture of greys): every pixel is cloud, its colour
// kept, as opaque as it is bright; black is clear sky.
class BrightnessSourceColours final : public SourceColours {
  public:
    void map(const uint32_t* rgb, uint32_t* out, size_t count) const override;
};

// A picture with alpha: every pixel is cloud, its colour scaled by its
// alpha (rounded), then as opaque as that colour is bright.
class AlphaSourceColours final : public SourceColours {
  public:
    void map(const uint32_t* argb, uint32_t* out, size_t count) const override;
};

// Classified and stretched to the map's size (no smoothing yet): colour
// pictures by the cloud colours, greys as brightness, alpha pictures by
// their alpha.
bool stretchCloudPicture(const PackedDib& picture, PictureChannels channels,
                         const CloudColours& colours, CloudMap& map);

// The whole map from a decoded picture: classified, stretched, smoothed.
bool cloudMapFromPicture(const PackedDib& picture, PictureChannels channels,
                         const CloudColours& colours, CloudMap& map);

// What a picture file gave the map.
enum class CloudPictureResult {
    Made,        // the map holds it
    NotAPicture, // no decoder knew the bytes (a page, for instance)
    Refused,     // a JPEG or PNG its library could not read whole; refusal says why
    Unusable,    // decoded, but of a shape the stretch cannot read
};

// The map from a picture file, decoded by its content, classified, stretched
// and smoothed; map is left alone unless Made. Touches nothing but the file
// and its arguments, so it may run on any thread.
CloudPictureResult cloudMapFromFile(const std::string& path, const CloudColours& colours,
                                    CloudMap& map, std::string& refusal);

// Tile i (0..7) as 256 x 256 pixels top row first: map column (i mod 4) x
// 256 on, map rows from 256 (northern tiles 0..3) or 0 (southern 4..7);
// each tile's top lies at the pole in the north and on the equator in the
// south.
void cloudTilePixels(const CloudMap& map, int tile, uint32_t* out);

} // namespace gv
