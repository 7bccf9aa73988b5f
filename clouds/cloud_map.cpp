#include "clouds/cloud_map.h"

#include "imaging/image_loader.h"

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

namespace {

uint32_t channelSum(uint32_t rgb) {
    return (rgb & 0xFF) + ((rgb >> 8) & 0xFF) + ((rgb >> 16) & 0xFF);
}

} // namespace

void BrightnessSourceColours::map(const uint32_t* rgb, uint32_t* out, size_t count) const {
    for (size_t i = 0; i < count; ++i) {
        const uint32_t c = rgb[i] & 0x00FFFFFFu;
        out[i] = uint32_t(cloudOpacity(channelSum(c))) << 24 | c;
    }
}

void AlphaSourceColours::map(const uint32_t* argb, uint32_t* out, size_t count) const {
    for (size_t i = 0; i < count; ++i) {
        const uint32_t a = argb[i] >> 24;
        uint32_t c = 0;
        for (int shift = 0; shift < 24; shift += 8)
            c |= (((argb[i] >> shift) & 0xFF) * a + 127) / 255 << shift;
        out[i] = uint32_t(cloudOpacity(channelSum(c))) << 24 | c;
    }
}

bool stretchCloudPicture(const PackedDib& picture, PictureChannels channels,
                         const CloudColours& colours, CloudMap& map) {
    const CloudSourceColours byColour(colours);
    const BrightnessSourceColours byBrightness;
    const AlphaSourceColours byAlpha;
    const SourceColours* source = &byColour;
    if (channels == PictureChannels::Grey) source = &byBrightness;
    // Alpha is only carried by 32-bit pictures.
    if (channels == PictureChannels::Alpha && picture.bits() == 32) source = &byAlpha;
    return stretchPicture(picture, source, kCloudMapWidth, kCloudMapHeight, map);
}

bool cloudMapFromPicture(const PackedDib& picture, PictureChannels channels,
                         const CloudColours& colours, CloudMap& map) {
    if (!stretchCloudPicture(picture, channels, colours, map)) return false;
    smoothCloudMap(map, kCloudMapWidth, kCloudMapHeight);
    return true;
}

CloudPictureResult cloudMapFromFile(const std::string& path, const CloudColours& colours,
                                    CloudMap& map, std::string& refusal) {
    ImageLoader loader;
    if (!loader.load(path)) {
        refusal = loader.refusal();
        return refusal.empty() ? CloudPictureResult::NotAPicture : CloudPictureResult::Refused;
    }
    refusal.clear();
    // Into a map of its own: the one given stays whole until this one is.
    CloudMap made;
    if (!cloudMapFromPicture(loader.picture(), loader.channels(), colours, made))
        return CloudPictureResult::Unusable;
    map = std::move(made);
    return CloudPictureResult::Made;
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
