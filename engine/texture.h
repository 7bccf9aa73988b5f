#pragma once
// Textures made from resource bitmaps or from 32-bit pixel blocks. Each keeps
// a system-memory copy in its surface format (a managed texture), from which
// it is uploaded again after a screen-mode change.
#include "engine/device_types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gv {

class DisplayDevice;
struct Bitmap;

enum class AlphaMode : uint32_t { None = 0, Brightness = 1, ColorKey = 4 };

// The texture formats the device offers, in the order they are searched.
const std::vector<PixelFormat>& textureFormats();

// The format a texture of that depth and alpha-bit count gets: the display's
// own layout without alpha bits; otherwise the first offered format with that
// bit count and exactly that alpha mask; failing that, the request as it is.
PixelFormat chooseTextureFormat(const PixelFormat& display, uint32_t depth, uint32_t alphaBits,
                                bool& offered);

class Texture {
  public:
    explicit Texture(DisplayDevice& device);
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // 0 or a result code. Threshold is kept for the reserved alpha modes.
    uint32_t createFromBitmap(const char* name, const Bitmap& bitmap, AlphaMode alphaMode,
                              uint32_t depth, uint32_t alphaBits, float threshold);
    // Pixels top row first in the device-independent layout of the depth
    // (rows padded to 4 bytes; 32 bits: blue, green, red, alpha).
    uint32_t createFromPixels(uint32_t width, uint32_t height, uint32_t depth, uint32_t alphaBits,
                              const uint8_t* pixels);
    // The same, then put in the device's registry.
    uint32_t createFromPixelsRegistered(uint32_t width, uint32_t height, uint32_t depth,
                                        uint32_t alphaBits, const uint8_t* pixels);
    // New pixels for a texture made from pixels, of its size and the depth
    // it was made with; the surface and its format stay. 0 or a result code.
    uint32_t updatePixels(const uint8_t* pixels);
    // A texture of one texel value throughout, in the format of `like`
    // (a texture the device made), to be drawn into with texels() and
    // uploadRegion(). 0 or a result code.
    uint32_t createBlank(const Texture& like, uint32_t width, uint32_t height, uint32_t texel);
    // The same texture taller, the new rows of the texel value; what it
    // held stays at the same texels.
    uint32_t growTo(uint32_t height, uint32_t texel);
    // The system-memory copy to draw into, rows of width() texels.
    uint8_t* texels() { return surface_.data(); }
    // Sends a rectangle of the copy to the device.
    uint32_t uploadRegion(uint32_t x, uint32_t y, uint32_t width, uint32_t height);
    void release();
    // Uploads the system-memory copy again (after a mode change).
    uint32_t restore();

    uint16_t width() const { return width_; }
    uint16_t height() const { return height_; }
    uint8_t bits() const { return bits_; }
    const std::string& name() const { return name_; }
    uint32_t deviceId() const { return id_; }
    const PixelFormat& format() const { return format_; }
    // The system-memory copy, rows top first, tightly packed.
    const std::vector<uint8_t>& surface() const { return surface_; }
    // One pixel of the copy as packed in the surface format.
    uint32_t pixel(uint32_t x, uint32_t y) const;

  private:
    uint32_t makeSurface(uint32_t width, uint32_t height, uint32_t depth, uint32_t alphaBits);
    void storePixel(size_t index, uint32_t value);
    void fillFromPixels(const uint8_t* pixels);
    uint32_t upload();

    DisplayDevice& device_;
    std::shared_ptr<const bool> deviceAlive_;
    std::string name_;
    PixelFormat format_;
    std::vector<uint8_t> surface_;
    uint32_t id_ = 0;
    uint16_t width_ = 0, height_ = 0;
    uint8_t bits_ = 0;
};

// Packs 8-bit channels into a pixel of the format (truncating low bits).
uint32_t packPixel(const PixelFormat& f, uint8_t r, uint8_t g, uint8_t b, uint8_t a);

} // namespace gv
