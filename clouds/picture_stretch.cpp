#include "clouds/picture_stretch.h"

#include <algorithm>
#include <cmath>

namespace gv {

namespace {

// The source pixels one target pixel is made of, with their weights.
struct Taps {
    std::vector<uint32_t> first, count;
    std::vector<uint32_t> index;
    std::vector<float> weight;
};

Taps tapsFor(uint32_t source, uint32_t target) {
    Taps t;
    t.first.resize(target);
    t.count.resize(target);
    auto add = [&](uint32_t i, float w) {
        t.index.push_back(i);
        t.weight.push_back(w);
    };
    for (uint32_t d = 0; d < target; ++d) {
        t.first[d] = uint32_t(t.index.size());
        if (source == target) {
            add(d, 1.0f);
        } else if (source > target) {
            // The share of each source pixel inside the target pixel.
            const double scale = double(source) / target;
            const double lo = d * scale, hi = (d + 1) * scale;
            for (uint32_t i = uint32_t(lo); i < source && double(i) < hi; ++i) {
                const double w = std::min(hi, double(i) + 1) - std::max(lo, double(i));
                if (w > 0) add(i, float(w / scale));
            }
        } else {
            // Between the two source pixels whose centres enclose the
            // target pixel's centre; the edges repeat the edge pixels.
            double s = (d + 0.5) * double(source) / target - 0.5;
            s = std::clamp(s, 0.0, double(source - 1));
            const uint32_t i0 = uint32_t(s);
            const uint32_t i1 = std::min(i0 + 1, source - 1);
            const float f = float(s - i0);
            add(i0, 1.0f - f);
            if (f > 0 && i1 != i0) add(i1, f);
        }
        t.count[d] = uint32_t(t.index.size()) - t.first[d];
    }
    return t;
}

// One source row as 0x00RRGGBB values.
void readRow(const PackedDib& p, uint32_t y, const uint32_t* palette, uint32_t* rgb) {
    const uint8_t* row = p.row(y);
    const uint32_t w = p.width();
    switch (p.bits()) {
    case 1:
        for (uint32_t x = 0; x < w; ++x)
            rgb[x] = palette[(row[x / 8] >> (7 - x % 8)) & 1];
        break;
    case 4:
        for (uint32_t x = 0; x < w; ++x)
            rgb[x] = palette[(x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4];
        break;
    case 8:
        for (uint32_t x = 0; x < w; ++x)
            rgb[x] = palette[row[x]];
        break;
    case 16:
        // Five bits a channel, widened to eight.
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t v = uint32_t(row[x * 2] | row[x * 2 + 1] << 8);
            const uint32_t r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
            rgb[x] = (r << 3 | r >> 2) << 16 | (g << 3 | g >> 2) << 8 | (b << 3 | b >> 2);
        }
        break;
    case 24:
        for (uint32_t x = 0; x < w; ++x)
            rgb[x] = uint32_t(row[x * 3 + 2]) << 16 | uint32_t(row[x * 3 + 1]) << 8 | row[x * 3];
        break;
    case 32:
        for (uint32_t x = 0; x < w; ++x)
            rgb[x] = uint32_t(row[x * 4 + 2]) << 16 | uint32_t(row[x * 4 + 1]) << 8 | row[x * 4];
        break;
    }
}

uint32_t channel(float v) {
    return uint32_t(std::clamp(v + 0.5f, 0.0f, 255.0f));
}

} // namespace

bool stretchPicture(const PackedDib& picture, const SourceColours* colours, uint32_t width,
                    uint32_t height, std::vector<uint32_t>& out) {
    const uint32_t bits = picture.bits();
    if (picture.empty() || width == 0 || height == 0) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    const uint32_t sw = picture.width(), sh = picture.height();

    auto mapColours = [&](const uint32_t* rgb, uint32_t* px, size_t n) {
        if (colours) {
            colours->map(rgb, px, n);
        } else {
            for (size_t i = 0; i < n; ++i)
                px[i] = rgb[i] | 0xFF000000u;
        }
    };
    // Palette pictures map their table once; an index beyond the table is black.
    uint32_t palette[256] = {};
    const bool indexed = bits <= 8;
    if (indexed) {
        uint32_t rgb[256];
        for (uint32_t i = 0; i < 256; ++i)
            rgb[i] = picture.colour(i);
        mapColours(rgb, palette, 256);
    }

    const Taps across = tapsFor(sw, width), down = tapsFor(sh, height);
    // For each source row, the target rows it adds to and by how much.
    std::vector<std::vector<std::pair<uint32_t, float>>> usedBy(sh);
    for (uint32_t d = 0; d < height; ++d)
        for (uint32_t k = 0; k < down.count[d]; ++k) {
            const uint32_t j = down.first[d] + k;
            usedBy[down.index[j]].push_back({d, down.weight[j]});
        }

    std::vector<float> sums(size_t(width) * height * 4, 0.0f);
    std::vector<uint32_t> rgb(sw), px(sw);
    std::vector<float> across4(size_t(width) * 4);
    for (uint32_t y = 0; y < sh; ++y) {
        if (usedBy[y].empty()) continue;
        if (indexed) {
            readRow(picture, y, palette, px.data());
        } else {
            readRow(picture, y, nullptr, rgb.data());
            mapColours(rgb.data(), px.data(), sw);
        }
        for (uint32_t d = 0; d < width; ++d) {
            float b = 0, g = 0, r = 0, a = 0;
            for (uint32_t k = 0; k < across.count[d]; ++k) {
                const uint32_t j = across.first[d] + k;
                const uint32_t p = px[across.index[j]];
                const float w = across.weight[j];
                b += w * float(p & 0xFF);
                g += w * float((p >> 8) & 0xFF);
                r += w * float((p >> 16) & 0xFF);
                a += w * float(p >> 24);
            }
            float* o = &across4[size_t(d) * 4];
            o[0] = b;
            o[1] = g;
            o[2] = r;
            o[3] = a;
        }
        for (const auto& [d, w] : usedBy[y]) {
            float* s = &sums[size_t(d) * width * 4];
            for (size_t i = 0; i < size_t(width) * 4; ++i)
                s[i] += w * across4[i];
        }
    }

    out.resize(size_t(width) * height);
    for (size_t i = 0; i < out.size(); ++i) {
        const float* s = &sums[i * 4];
        out[i] = channel(s[3]) << 24 | channel(s[2]) << 16 | channel(s[1]) << 8 | channel(s[0]);
    }
    return true;
}

} // namespace gv
