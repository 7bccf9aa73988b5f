#include "imaging/picture_stretch.h"

#include "formats/byte_io.h"

#include <algorithm>
#include <cmath>

namespace gv {

namespace {

// The source pixels one target pixel is made of: a run of consecutive
// pixels from `first`, with their weights.
struct Taps {
    std::vector<uint32_t> first, count, weightAt;
    std::vector<float> weight;
};

Taps tapsFor(uint32_t source, uint32_t target) {
    Taps t;
    t.first.resize(target);
    t.count.resize(target);
    t.weightAt.resize(target);
    for (uint32_t d = 0; d < target; ++d) {
        t.weightAt[d] = uint32_t(t.weight.size());
        uint32_t first = d, count = 0;
        if (source == target) {
            t.weight.push_back(1.0f);
            count = 1;
        } else if (source > target) {
            // The share of each source pixel inside the target pixel.
            const double scale = double(source) / target;
            const double lo = d * scale, hi = (d + 1) * scale;
            first = uint32_t(lo);
            for (uint32_t i = first; i < source && double(i) < hi; ++i) {
                const double w = std::min(hi, double(i) + 1) - std::max(lo, double(i));
                t.weight.push_back(float(std::max(w, 0.0) / scale));
                ++count;
            }
        } else {
            // Between the two source pixels whose centres enclose the
            // target pixel's centre; the edges repeat the edge pixels.
            double s = (d + 0.5) * double(source) / target - 0.5;
            s = std::clamp(s, 0.0, double(source - 1));
            first = uint32_t(s);
            const float f = float(s - first);
            t.weight.push_back(1.0f - f);
            count = 1;
            if (f > 0 && first + 1 < source) {
                t.weight.push_back(f);
                count = 2;
            }
        }
        t.first[d] = first;
        t.count[d] = count;
    }
    return t;
}

// One source row as 0x00RRGGBB values (0xAARRGGBB for 32 bits).
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
        // The fourth byte comes along in the top eight bits.
        for (uint32_t x = 0; x < w; ++x)
            rgb[x] = readU32(row + size_t(x) * 4);
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

    // One source row as mapped 0xAARRGGBB pixels.
    std::vector<uint32_t> rgb(sw);
    auto mappedRow = [&](uint32_t y, uint32_t* px) {
        if (indexed) {
            readRow(picture, y, palette, px);
        } else {
            readRow(picture, y, nullptr, rgb.data());
            mapColours(rgb.data(), px, sw);
        }
    };
    if (sw == 2 * width && sh == 2 * height) {
        // Exactly half each way (a 2048 x 1024 map to 1024 x 512): each
        // target pixel the mean of its 2 x 2 block, rounded half up, in
        // integers; the weighted sums below give the same values.
        std::vector<uint32_t> lower(sw), upper(sw);
        out.resize(size_t(width) * height);
        for (uint32_t d = 0; d < height; ++d) {
            mappedRow(2 * d, lower.data());
            mappedRow(2 * d + 1, upper.data());
            uint32_t* o = out.data() + size_t(d) * width;
            for (uint32_t x = 0; x < width; ++x) {
                const uint32_t a = lower[2 * x], b = lower[2 * x + 1], c = upper[2 * x],
                               e = upper[2 * x + 1];
                uint32_t v = 0;
                for (int shift = 0; shift < 32; shift += 8) {
                    const uint32_t sum = ((a >> shift) & 0xFF) + ((b >> shift) & 0xFF) +
                                         ((c >> shift) & 0xFF) + ((e >> shift) & 0xFF);
                    v |= ((sum + 2) >> 2) << shift;
                }
                o[x] = v;
            }
        }
        return true;
    }

    const Taps across = tapsFor(sw, width), down = tapsFor(sh, height);
    std::vector<uint32_t> px(sw);
    std::vector<float> channels(size_t(sw) * 4);
    // One source row stretched across: four channels a target pixel.
    auto stretchAcross = [&](uint32_t y, float* out4) {
        mappedRow(y, px.data());
        for (uint32_t x = 0; x < sw; ++x) {
            const uint32_t p = px[x];
            float* c = &channels[size_t(x) * 4];
            c[0] = float(p & 0xFF);
            c[1] = float((p >> 8) & 0xFF);
            c[2] = float((p >> 16) & 0xFF);
            c[3] = float(p >> 24);
        }
        for (uint32_t d = 0; d < width; ++d) {
            const float* c = &channels[size_t(across.first[d]) * 4];
            const float* w = &across.weight[across.weightAt[d]];
            float b = 0, g = 0, r = 0, a = 0;
            for (uint32_t k = 0; k < across.count[d]; ++k, c += 4) {
                b += w[k] * c[0];
                g += w[k] * c[1];
                r += w[k] * c[2];
                a += w[k] * c[3];
            }
            float* o = out4 + size_t(d) * 4;
            o[0] = b;
            o[1] = g;
            o[2] = r;
            o[3] = a;
        }
    };
    // Target rows are made in order, each from a run of source rows that
    // starts no earlier than the previous one's: two rows stretched across
    // are kept, since neighbouring target rows share at most their
    // boundary rows, and the one with the lower row makes room.
    struct Kept {
        int64_t row = -1;
        std::vector<float> values;
    };
    Kept kept[2];
    for (Kept& k : kept)
        k.values.resize(size_t(width) * 4);
    auto acrossRow = [&](uint32_t y) -> const float* {
        for (Kept& k : kept)
            if (k.row == int64_t(y)) return k.values.data();
        Kept& k = kept[0].row < kept[1].row ? kept[0] : kept[1];
        stretchAcross(y, k.values.data());
        k.row = y;
        return k.values.data();
    };

    out.resize(size_t(width) * height);
    std::vector<float> sum(size_t(width) * 4);
    for (uint32_t d = 0; d < height; ++d) {
        std::fill(sum.begin(), sum.end(), 0.0f);
        for (uint32_t k = 0; k < down.count[d]; ++k) {
            const float w = down.weight[down.weightAt[d] + k];
            const float* row = acrossRow(down.first[d] + k);
            for (size_t i = 0; i < sum.size(); ++i)
                sum[i] += w * row[i];
        }
        uint32_t* o = out.data() + size_t(d) * width;
        for (uint32_t x = 0; x < width; ++x) {
            const float* s = &sum[size_t(x) * 4];
            o[x] = channel(s[3]) << 24 | channel(s[2]) << 16 | channel(s[1]) << 8 | channel(s[0]);
        }
    }
    return true;
}

} // namespace gv
