#include "engine/tga_image.h"

#include "engine/display_device.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace gv {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool validDepth(uint8_t d) {
    return d == 8 || d == 16 || d == 24 || d == 32;
}

} // namespace

void TgaImage::release() {
    header_ = Header{};
    pixels_.clear();
    pixels_.shrink_to_fit();
    palette_.clear();
    palette_.shrink_to_fit();
}

bool TgaImage::setImage(uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels) {
    if (!validDepth(depth) || !pixels) return false;
    const size_t size = size_t(width) * height * (depth / 8);
    pixels_.assign(pixels, pixels + size);
    if (depth == 8)
        palette_.assign(pixels + size, pixels + size + 768);
    else
        palette_.clear();
    header_.width = width;
    header_.height = height;
    header_.depth = depth;
    header_.descriptor = depth == 32 ? 8 : 0;
    return true;
}

std::vector<uint8_t> TgaImage::fileBytes() const {
    const bool whole =
        pixels_.size() >= size_t(header_.width) * header_.height * (header_.depth / 8);
    return fileBytes(header_.width, header_.height, header_.depth, whole ? pixels_.data() : nullptr,
                     palette_.size() == 768 ? palette_.data() : nullptr);
}

std::vector<uint8_t> TgaImage::fileBytes(uint16_t width, uint16_t height, uint8_t depth,
                                         const uint8_t* pixels, const uint8_t* palette) {
    // The header of the image being written, whatever file was read before:
    // no identification, no colour map, origin 0, and alpha bits declared
    // only for 32-bit images.
    const size_t row = size_t(width) * (depth / 8);
    const bool withPalette = depth == 8 && palette;
    std::vector<uint8_t> out;
    out.reserve(18 + row * height + (withPalette ? 768 : 0));
    out.resize(18, 0);
    out[2] = 2;
    out[12] = uint8_t(width);
    out[13] = uint8_t(width >> 8);
    out[14] = uint8_t(height);
    out[15] = uint8_t(height >> 8);
    out[16] = depth;
    out[17] = depth == 32 ? 8 : 0;
    if (pixels)
        for (size_t y = height; y-- > 0;)
            out.insert(out.end(), pixels + y * row, pixels + (y + 1) * row);
    if (withPalette) out.insert(out.end(), palette, palette + 768);
    return out;
}

bool TgaImage::write(const char* path) const {
    File f(std::fopen(path, "wb"));
    if (!f) return false;
    const std::vector<uint8_t> bytes = fileBytes();
    return std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size();
}

bool TgaImage::read(const char* path, long offset) {
    release();
    File f(std::fopen(path, "rb"));
    if (!f) return false;
    if (offset > 0 && std::fseek(f.get(), offset, SEEK_SET) != 0) return false;
    uint8_t h[18];
    if (std::fread(h, 1, 18, f.get()) != 18) return false;
    Header hd;
    hd.idLength = h[0];
    hd.colorMapType = h[1];
    hd.imageType = h[2];
    for (int i = 0; i < 5; ++i)
        hd.colorMapSpec[i] = h[3 + i];
    hd.xOrigin = uint16_t(h[8] | h[9] << 8);
    hd.yOrigin = uint16_t(h[10] | h[11] << 8);
    hd.width = uint16_t(h[12] | h[13] << 8);
    hd.height = uint16_t(h[14] | h[15] << 8);
    hd.depth = h[16];
    hd.descriptor = h[17];
    if (hd.imageType != 2 || !validDepth(hd.depth)) return false;
    // Sizes come from 16-bit fields, so the product fits comfortably; the
    // file must hold all of it before anything is allocated.
    const size_t row = size_t(hd.width) * (hd.depth / 8);
    const size_t need = row * hd.height + (hd.depth == 8 ? 768 : 0);
    const long at = std::ftell(f.get());
    if (at < 0 || std::fseek(f.get(), 0, SEEK_END) != 0) return false;
    const long end = std::ftell(f.get());
    if (end < at || size_t(end - at) < need || std::fseek(f.get(), at, SEEK_SET) != 0) return false;
    std::vector<uint8_t> pixels(row * hd.height);
    for (size_t y = hd.height; y-- > 0;)
        if (row && std::fread(pixels.data() + y * row, 1, row, f.get()) != row) return false;
    std::vector<uint8_t> palette;
    if (hd.depth == 8) {
        palette.resize(768);
        if (std::fread(palette.data(), 1, 768, f.get()) != 768) return false;
    }
    header_ = hd;
    pixels_ = std::move(pixels);
    palette_ = std::move(palette);
    return true;
}

bool captureFrame(DisplayDevice& device, const char* path) {
    const uint16_t w = device.width(), h = device.height();
    if (!device.surfacesExist() || w == 0 || h == 0) return false;
    std::vector<uint8_t> bgr(size_t(w) * h * 3);
    if (!device.backend().readBackBuffer(bgr.data(), w, h)) return false;
    TgaImage image;
    if (!image.setImage(w, h, 24, bgr.data())) return false;
    return image.write(path);
}

} // namespace gv
