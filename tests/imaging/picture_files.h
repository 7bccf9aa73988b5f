#pragma once
// Reading the reference pictures of the decoder tests (binary PPM, as
// ImageMagick writes them) and turning a decoded picture into the same
// top-row-first red, green, blue bytes.
#include "imaging/packed_dib.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace gv::test {

struct RgbPicture {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgb; // top row first
};

inline std::string fixturePath(const std::string& name) {
    return std::string(GV_PICTURE_FIXTURES) + "/" + name;
}

inline std::vector<uint8_t> fixtureBytes(const std::string& name) {
    std::ifstream in(fixturePath(name), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline RgbPicture readPpm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    uint32_t maxValue = 0;
    RgbPicture p;
    in >> magic >> p.width >> p.height >> maxValue;
    in.get();
    if (magic != "P6" || maxValue != 255) return {};
    p.rgb.resize(size_t(p.width) * p.height * 3);
    in.read(reinterpret_cast<char*>(p.rgb.data()), std::streamsize(p.rgb.size()));
    return p;
}

struct RgbaPicture {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgba; // top row first
};

// A PAM with alpha (RGB_ALPHA or GRAYSCALE_ALPHA, 8 bits), as ImageMagick
// writes a picture with transparency.
inline RgbaPicture readPam(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string word;
    uint32_t depth = 0, maxValue = 0;
    RgbaPicture p;
    in >> word;
    if (word != "P7") return {};
    while (in >> word && word != "ENDHDR") {
        if (word == "WIDTH")
            in >> p.width;
        else if (word == "HEIGHT")
            in >> p.height;
        else if (word == "DEPTH")
            in >> depth;
        else if (word == "MAXVAL")
            in >> maxValue;
        else if (word == "TUPLTYPE")
            in >> word;
    }
    in.get();
    if ((depth != 2 && depth != 4) || maxValue != 255) return {};
    std::vector<uint8_t> raw(size_t(p.width) * p.height * depth);
    in.read(reinterpret_cast<char*>(raw.data()), std::streamsize(raw.size()));
    for (size_t i = 0; i < raw.size(); i += depth) {
        if (depth == 2)
            p.rgba.insert(p.rgba.end(), {raw[i], raw[i], raw[i], raw[i + 1]});
        else
            p.rgba.insert(p.rgba.end(), {raw[i], raw[i + 1], raw[i + 2], raw[i + 3]});
    }
    return p;
}

// A 32-bit picture (blue, green, red, alpha) top row first as red, green,
// blue, alpha.
inline RgbaPicture pictureRgba(const PackedDib& dib) {
    RgbaPicture p;
    if (dib.bits() != 32) return p;
    p.width = dib.width();
    p.height = dib.height();
    for (uint32_t y = p.height; y-- > 0;) {
        const uint8_t* row = dib.row(y);
        for (uint32_t x = 0; x < p.width; ++x, row += 4)
            p.rgba.insert(p.rgba.end(), {row[2], row[1], row[0], row[3]});
    }
    return p;
}

// The largest difference of any channel of any pixel; 256 for pictures of
// different sizes.
inline uint32_t largestDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size()) return 256;
    uint32_t most = 0;
    for (size_t i = 0; i < a.size(); ++i)
        most = std::max<uint32_t>(most, a[i] > b[i] ? a[i] - b[i] : b[i] - a[i]);
    return most;
}

// The picture as one sees it: top row first, palette indices looked up.
inline RgbPicture pictureRgb(const PackedDib& dib) {
    RgbPicture p;
    p.width = dib.width();
    p.height = dib.height();
    p.rgb.reserve(size_t(p.width) * p.height * 3);
    for (uint32_t y = p.height; y-- > 0;) {
        const uint8_t* row = dib.row(y);
        for (uint32_t x = 0; x < p.width; ++x) {
            uint32_t rgb = 0;
            switch (dib.bits()) {
            case 1:
                rgb = dib.colour((row[x / 8] >> (7 - x % 8)) & 1);
                break;
            case 4:
                rgb = dib.colour((x & 1) ? row[x / 2] & 15 : row[x / 2] >> 4);
                break;
            case 8:
                rgb = dib.colour(row[x]);
                break;
            case 24:
                rgb = uint32_t(row[x * 3 + 2]) << 16 | uint32_t(row[x * 3 + 1]) << 8 | row[x * 3];
                break;
            case 32:
                rgb = uint32_t(row[x * 4 + 2]) << 16 | uint32_t(row[x * 4 + 1]) << 8 | row[x * 4];
                break;
            }
            p.rgb.push_back(uint8_t(rgb >> 16));
            p.rgb.push_back(uint8_t(rgb >> 8));
            p.rgb.push_back(uint8_t(rgb));
        }
    }
    return p;
}

// Where two pictures first differ, for failure messages.
inline std::string firstDifference(const RgbPicture& a, const RgbPicture& b) {
    if (a.width != b.width || a.height != b.height) {
        std::ostringstream s;
        s << "size " << a.width << "x" << a.height << " against " << b.width << "x" << b.height;
        return s.str();
    }
    for (size_t i = 0; i < a.rgb.size(); i += 3)
        if (a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2]) {
            std::ostringstream s;
            const size_t px = i / 3;
            s << "pixel (" << px % a.width << ", " << px / a.width << "): " << int(a.rgb[i]) << ","
              << int(a.rgb[i + 1]) << "," << int(a.rgb[i + 2]) << " against " << int(b.rgb[i])
              << "," << int(b.rgb[i + 1]) << "," << int(b.rgb[i + 2]);
            return s.str();
        }
    return "";
}

} // namespace gv::test
