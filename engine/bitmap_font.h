#pragma once
// Bitmap fonts: a glyph sheet texture and the "PYXF" metrics that say where
// each glyph sits on it and how big it is.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace gv {

class DisplayDevice;
class Texture;

class BitmapFont {
  public:
    explicit BitmapFont(DisplayDevice& device);
    ~BitmapFont();
    BitmapFont(const BitmapFont&) = delete;
    BitmapFont& operator=(const BitmapFont&) = delete;

    // Metrics from the "BINARY" resource metricsId, the sheet from the bitmap
    // resource sheetId. Nothing is logged; the caller reports.
    bool loadFont(uint32_t metricsId, uint32_t sheetId);
    // The metrics half alone (also what loadFont uses).
    bool loadMetrics(std::span<const uint8_t> bytes);

    uint16_t glyphWidth(int code) const { return inRange(code) ? width_[code] : 0; }
    uint16_t glyphHeight(int code) const { return inRange(code) ? height_[code] : 0; }
    float texLeft(int code) const { return inRange(code) ? left_[code] : 0.0f; }
    float texTop(int code) const { return inRange(code) ? top_[code] : 0.0f; }
    float texRight(int code) const { return inRange(code) ? right_[code] : 0.0f; }
    float texBottom(int code) const { return inRange(code) ? bottom_[code] : 0.0f; }
    uint16_t lineHeight() const { return lineHeight_; }
    bool loaded() const { return loaded_; }
    Texture* texture() const { return texture_.get(); }
    const std::vector<uint8_t>& codes() const { return codes_; }

  private:
    static bool inRange(int code) { return code >= 0 && code < 256; }

    DisplayDevice& device_;
    std::unique_ptr<Texture> texture_;
    std::vector<uint8_t> codes_;
    uint16_t width_[256] = {};
    uint16_t height_[256] = {};
    float left_[256] = {}, top_[256] = {}, right_[256] = {}, bottom_[256] = {};
    uint16_t lineHeight_ = 0;
    bool loaded_ = false;
};

} // namespace gv
