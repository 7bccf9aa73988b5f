#pragma once
// Uncompressed true-colour TGA images: screenshots and the cloud cache.
#include <cstdint>
#include <vector>

namespace gv {

class DisplayDevice;

class TgaImage {
  public:
    // The 18-byte header as stored in the file.
    struct Header {
        uint8_t idLength = 0;
        uint8_t colorMapType = 0;
        uint8_t imageType = 2;
        uint8_t colorMapSpec[5] = {0, 0, 0, 0, 0};
        uint16_t xOrigin = 0;
        uint16_t yOrigin = 0;
        uint16_t width = 0;
        uint16_t height = 0;
        uint8_t depth = 0;
        uint8_t descriptor = 0;
    };

    // Reads the image starting at offset bytes into the file. Only image type
    // 2 with depth 8, 16, 24 or 32 is taken; anything else leaves the image
    // empty.
    bool read(const char* path, long offset = 0);
    bool write(const char* path) const;
    // The bytes write() puts in the file: header, rows last to first, palette.
    std::vector<uint8_t> fileBytes() const;
    // The same for pixels held elsewhere (width * height * depth / 8 bytes
    // in memory rows, and 768 palette bytes for 8 bits), without copying
    // them in first.
    static std::vector<uint8_t> fileBytes(uint16_t width, uint16_t height, uint8_t depth,
                                          const uint8_t* pixels, const uint8_t* palette);
    // Copies width * height * depth / 8 bytes (and the 768 palette bytes that
    // follow them for 8 bits).
    bool setImage(uint16_t width, uint16_t height, uint8_t depth, const uint8_t* pixels);
    void release();

    const Header& header() const { return header_; }
    uint16_t width() const { return header_.width; }
    uint16_t height() const { return header_.height; }
    uint8_t depth() const { return header_.depth; }
    const std::vector<uint8_t>& pixels() const { return pixels_; }
    const std::vector<uint8_t>& palette() const { return palette_; }

  private:
    Header header_;
    std::vector<uint8_t> pixels_;
    std::vector<uint8_t> palette_;
};

// Writes the displayed frame as a 24-bit TGA, top row first in memory.
bool captureFrame(DisplayDevice& device, const char* path);

} // namespace gv
