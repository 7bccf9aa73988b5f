#include "engine/texture.h"

#include "engine/bitmap.h"
#include "engine/display_device.h"
#include "engine/error_name.h"

#include <cstring>

namespace gv {

namespace {

struct MaskShape {
    uint32_t shift = 0;
    uint32_t width = 0;
    uint32_t max = 0;
};

MaskShape shapeOf(uint32_t mask) {
    MaskShape s;
    if (mask == 0) return s;
    while (!(mask & (1u << s.shift)))
        ++s.shift;
    while (s.shift + s.width < 32 && (mask & (1u << (s.shift + s.width))))
        ++s.width;
    s.max = mask >> s.shift;
    return s;
}

uint32_t packChannel(uint32_t mask, uint8_t value) {
    const MaskShape s = shapeOf(mask);
    if (s.width == 0) return 0;
    const uint32_t v = s.width >= 8 ? uint32_t(value) << (s.width - 8) : value >> (8 - s.width);
    return (v << s.shift) & mask;
}

constexpr size_t kMaxNameLength = 259;

} // namespace

const std::vector<PixelFormat>& textureFormats() {
    static const std::vector<PixelFormat> formats = {
        {16, 0xF800, 0x07E0, 0x001F, 0},                      // 5-6-5
        {16, 0x7C00, 0x03E0, 0x001F, 0x8000},                 // 5-5-5-1
        {16, 0x0F00, 0x00F0, 0x000F, 0xF000},                 // 4-4-4-4
        {32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, // 8-8-8-8
    };
    return formats;
}

PixelFormat chooseTextureFormat(const PixelFormat& display, uint32_t depth, uint32_t alphaBits,
                                bool& offered) {
    offered = true;
    if (alphaBits == 0) return display;
    uint32_t alphaMask = 0;
    for (uint32_t i = 0; i < alphaBits && i < depth; ++i)
        alphaMask |= 1u << (depth - 1 - i);
    for (const PixelFormat& f : textureFormats())
        if (f.alphaMask != 0 && f.bits == depth && f.alphaMask == alphaMask) return f;
    offered = false;
    PixelFormat request;
    request.bits = depth;
    request.alphaMask = alphaMask;
    return request;
}

uint32_t packPixel(const PixelFormat& f, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    return packChannel(f.redMask, r) | packChannel(f.greenMask, g) | packChannel(f.blueMask, b) |
           packChannel(f.alphaMask, a);
}

Texture::Texture(DisplayDevice& device) : device_(device), deviceAlive_(device.aliveToken()) {}

Texture::~Texture() {
    release();
}

uint32_t Texture::pixel(uint32_t x, uint32_t y) const {
    const uint32_t bpp = format_.bits / 8;
    const size_t at = (size_t(y) * width_ + x) * bpp;
    uint32_t v = 0;
    for (uint32_t i = 0; i < bpp; ++i)
        v |= uint32_t(surface_[at + i]) << (8 * i);
    return v;
}

void Texture::storePixel(size_t index, uint32_t value) {
    const uint32_t bpp = format_.bits / 8;
    for (uint32_t i = 0; i < bpp; ++i)
        surface_[index * bpp + i] = uint8_t(value >> (8 * i));
}

uint32_t Texture::makeSurface(uint32_t width, uint32_t height, uint32_t depth, uint32_t alphaBits) {
    release();
    if (width == 0 || height == 0 || width > 8192 || height > 8192) return kErrInvalidParams;
    bool offered = true;
    format_ = chooseTextureFormat(device_.displayFormat(), depth, alphaBits, offered);
    // A request no offered format matches goes to the device as it is; the
    // device refuses layouts it does not know.
    if (!offered && !device_.backend().textureFormatAvailable(format_))
        return kErrInvalidPixelFormat;
    if (format_.bits != 16 && format_.bits != 24 && format_.bits != 32)
        return kErrInvalidPixelFormat;
    width_ = uint16_t(width);
    height_ = uint16_t(height);
    surface_.assign(size_t(width) * height * (format_.bits / 8), 0);
    return kResultOk;
}

uint32_t Texture::upload() {
    if (id_) device_.backend().releaseTexture(id_);
    id_ = device_.backend().createTexture(format_, width_, height_, surface_.data());
    return id_ ? kResultOk : kErrOutOfVideoMemory;
}

uint32_t Texture::createFromBitmap(const char* name, const Bitmap& bitmap, AlphaMode alphaMode,
                                   uint32_t depth, uint32_t alphaBits, float /*threshold*/) {
    const uint32_t r = makeSurface(bitmap.width, bitmap.height, depth, alphaBits);
    name_ = (name && std::strlen(name) <= kMaxNameLength) ? name : "";
    if (r != kResultOk) return r;
    bits_ = uint8_t(bitmap.bitsPerPixel);
    const size_t count = size_t(width_) * height_;
    if (bitmap.rgb.size() < count * 3) return kErrBadIndex;

    // The copy expands the palette into the surface's layout; alpha bits stay
    // clear until the alpha mode sets them.
    const PixelFormat colourOnly{format_.bits, format_.redMask, format_.greenMask, format_.blueMask,
                                 0};
    for (size_t i = 0; i < count; ++i)
        storePixel(i, packPixel(colourOnly, bitmap.rgb[i * 3], bitmap.rgb[i * 3 + 1],
                                bitmap.rgb[i * 3 + 2], 0));

    const MaskShape red = shapeOf(format_.redMask), green = shapeOf(format_.greenMask),
                    blue = shapeOf(format_.blueMask), alpha = shapeOf(format_.alphaMask);
    if (alphaMode == AlphaMode::Brightness) {
        for (size_t i = 0; i < count; ++i) {
            const uint32_t p = pixel(uint32_t(i % width_), uint32_t(i / width_));
            const uint32_t sum = ((p & format_.redMask) >> red.shift) +
                                 ((p & format_.greenMask) >> green.shift) +
                                 ((p & format_.blueMask) >> blue.shift);
            storePixel(i, p | (((sum / 3) << alpha.shift) & format_.alphaMask));
        }
    } else if (alphaMode == AlphaMode::ColorKey) {
        const uint32_t key = pixel(0, 0) & ~format_.alphaMask;
        for (size_t i = 0; i < count; ++i) {
            const uint32_t p = pixel(uint32_t(i % width_), uint32_t(i / width_));
            const uint32_t colour = p & ~format_.alphaMask;
            storePixel(i, colour == key ? colour : colour | format_.alphaMask);
        }
    }
    return upload();
}

uint32_t Texture::createBlank(const Texture& like, uint32_t width, uint32_t height,
                              uint32_t texel) {
    release();
    if (width == 0 || height == 0 || width > 8192 || height > 8192) return kErrInvalidParams;
    const PixelFormat format = like.format_;
    if (format.bits != 16 && format.bits != 24 && format.bits != 32) return kErrInvalidPixelFormat;
    format_ = format;
    bits_ = uint8_t(format.bits);
    width_ = uint16_t(width);
    height_ = uint16_t(height);
    surface_.assign(size_t(width) * height * (format_.bits / 8), 0);
    for (size_t i = 0, n = size_t(width) * height; i < n; ++i)
        storePixel(i, texel);
    return upload();
}

uint32_t Texture::growTo(uint32_t height, uint32_t texel) {
    if (surface_.empty()) return kErrSurfaceLost;
    if (height <= height_ || height > 8192) return kErrInvalidParams;
    const size_t before = size_t(width_) * height_;
    surface_.resize(size_t(width_) * height * (format_.bits / 8));
    height_ = uint16_t(height);
    for (size_t i = before, n = size_t(width_) * height_; i < n; ++i)
        storePixel(i, texel);
    return upload();
}

uint32_t Texture::uploadRegion(uint32_t x, uint32_t y, uint32_t width, uint32_t height) {
    if (surface_.empty() || !id_) return kErrSurfaceLost;
    if (x + width > width_ || y + height > height_) return kErrInvalidParams;
    const uint8_t* first = surface_.data() + (size_t(y) * width_ + x) * (format_.bits / 8);
    return device_.backend().updateTexture(id_, format_, x, y, width, height, first, width_)
               ? kResultOk
               : kErrOutOfVideoMemory;
}

uint32_t Texture::createFromPixels(uint32_t width, uint32_t height, uint32_t depth,
                                   uint32_t alphaBits, const uint8_t* pixels) {
    const uint32_t r = makeSurface(width, height, depth, alphaBits);
    if (r != kResultOk) return r;
    bits_ = uint8_t(depth);
    if (!pixels || (depth != 16 && depth != 24 && depth != 32)) return kErrBadIndex;
    fillFromPixels(pixels);
    return upload();
}

uint32_t Texture::updatePixels(const uint8_t* pixels) {
    if (surface_.empty()) return kErrSurfaceLost;
    if (!pixels || (bits_ != 16 && bits_ != 24 && bits_ != 32)) return kErrBadIndex;
    fillFromPixels(pixels);
    return upload();
}

void Texture::fillFromPixels(const uint8_t* pixels) {
    const uint32_t depth = bits_;
    const size_t stride = ((size_t(width_) * depth + 31) / 32) * 4;
    const uint32_t bpp = depth / 8;
    // 32-bit pixels into an 8-8-8-8 surface: the same bytes, row by row.
    if (depth == 32 && format_.bits == 32 && format_.redMask == 0x00FF0000 &&
        format_.greenMask == 0x0000FF00 && format_.blueMask == 0x000000FF &&
        format_.alphaMask == 0xFF000000) {
        for (uint32_t y = 0; y < height_; ++y)
            std::memcpy(surface_.data() + size_t(y) * width_ * 4, pixels + stride * y,
                        size_t(width_) * 4);
        return;
    }
    for (uint32_t y = 0; y < height_; ++y)
        for (uint32_t x = 0; x < width_; ++x) {
            const uint8_t* p = pixels + stride * y + size_t(x) * bpp;
            uint8_t r, g, b, a = 0;
            if (bpp == 2) {
                // 16-bit device-independent pixels are 5-5-5.
                const uint32_t v = uint32_t(p[0] | p[1] << 8);
                r = uint8_t(((v >> 10) & 31) << 3);
                g = uint8_t(((v >> 5) & 31) << 3);
                b = uint8_t((v & 31) << 3);
            } else {
                b = p[0];
                g = p[1];
                r = p[2];
                if (bpp == 4) a = p[3];
            }
            storePixel(size_t(y) * width_ + x, packPixel(format_, r, g, b, a));
        }
}

uint32_t Texture::createFromPixelsRegistered(uint32_t width, uint32_t height, uint32_t depth,
                                             uint32_t alphaBits, const uint8_t* pixels) {
    const uint32_t r = createFromPixels(width, height, depth, alphaBits, pixels);
    device_.registerTexture(this);
    return r;
}

uint32_t Texture::restore() {
    if (surface_.empty()) return kErrSurfaceLost;
    return upload();
}

void Texture::release() {
    if (*deviceAlive_) {
        if (id_) device_.backend().releaseTexture(id_);
        // Whoever registered it, a released texture leaves the registry.
        device_.unregisterTexture(this);
    }
    id_ = 0;
    surface_.clear();
    surface_.shrink_to_fit();
    width_ = height_ = 0;
}

} // namespace gv
