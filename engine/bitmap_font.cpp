#include "engine/bitmap_font.h"

#include "engine/bitmap.h"
#include "engine/error_name.h"
#include "engine/texture.h"
#include "platform/resources.h"

#include <cstring>

namespace gv {

BitmapFont::BitmapFont(DisplayDevice& device) : device_(device) {}

BitmapFont::~BitmapFont() = default;

bool BitmapFont::loadMetrics(std::span<const uint8_t> bytes) {
    if (bytes.size() < 5 || std::memcmp(bytes.data(), "PYXF", 4) != 0) return false;
    const size_t n = bytes[4];
    // The shipped resources are complete; a short one is refused rather than
    // read past its end.
    if (bytes.size() < 5 + 13 * n) return false;
    codes_.assign(bytes.begin() + 5, bytes.begin() + 5 + long(n));
    lineHeight_ = 0;
    const uint8_t* rec = bytes.data() + 5 + n;
    auto u16 = [](const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); };
    for (size_t i = 0; i < n; ++i, rec += 12) {
        const uint8_t c = codes_[i];
        width_[c] = u16(rec);
        height_[c] = u16(rec + 2);
        if (height_[c] > lineHeight_) lineHeight_ = height_[c];
        left_[c] = float(u16(rec + 4)) / 65536.0f;
        top_[c] = float(u16(rec + 6)) / 65536.0f;
        right_[c] = float(u16(rec + 8)) / 65536.0f;
        bottom_[c] = float(u16(rec + 10)) / 65536.0f;
    }
    return true;
}

bool BitmapFont::loadFont(uint32_t metricsId, uint32_t sheetId) {
    if (!loadMetrics(platform::findResource(platform::kResourceBinary, metricsId))) return false;
    const std::optional<Bitmap> sheet = loadBitmapResource(sheetId);
    if (!sheet) {
        codes_.clear();
        return false;
    }
    texture_ = std::make_unique<Texture>(device_);
    if (texture_->createFromBitmap("font", *sheet, AlphaMode::ColorKey, 16, 1, 0.1f) != kResultOk) {
        texture_.reset();
        codes_.clear();
        return false;
    }
    loaded_ = true;
    return true;
}

} // namespace gv
