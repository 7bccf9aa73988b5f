#include "engine/text_atlas.h"

#include "engine/bitmap_font.h"
#include "engine/display_device.h"
#include "engine/error_name.h"
#include "engine/texture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace gv {

namespace {

constexpr std::size_t kSlotCount = 8192; // a power of two above kMaxLines

uint32_t hashOf(const char* text, std::size_t length) {
    uint32_t h = 2166136261u;
    for (std::size_t i = 0; i < length; ++i)
        h = (h ^ uint8_t(text[i])) * 16777619u;
    return h;
}

} // namespace

TextAtlas::TextAtlas(DisplayDevice& device, const BitmapFont& font)
    : device_(device), font_(font), slots_(kSlotCount) {}

TextAtlas::~TextAtlas() = default;

uint32_t TextAtlas::height() const {
    return texture_ ? texture_->height() : 0;
}

bool TextAtlas::ensureTexture() {
    if (texture_) return true;
    if (failed_) return false;
    const Texture* sheet = font_.texture();
    if (!sheet || sheet->surface().empty() || font_.lineHeight() == 0) {
        failed_ = true;
        return false;
    }
    lineHeight_ = font_.lineHeight();
    key_ = sheet->pixel(0, 0) & ~sheet->format().alphaMask;
    texture_ = std::make_unique<Texture>(device_);
    if (texture_->createBlank(*sheet, kWidth, kFirstHeight, key_) != kResultOk) {
        texture_.reset();
        failed_ = true;
        return false;
    }
    // Uploaded again from its copy after a screen-mode change.
    device_.registerTexture(texture_.get());
    return true;
}

void TextAtlas::clear() {
    for (Slot& s : slots_)
        s.used = false;
    count_ = 0;
    penX_ = penY_ = 0;
}

void TextAtlas::beginFrame() {
    ++frame_;
    if (!ranFull_) return;
    ranFull_ = false;
    std::size_t live = 0;
    for (const Slot& s : slots_)
        live += s.used && s.lastFrame + 1 == frame_;
    // Mostly stale (the times of minutes gone): start again. Mostly live:
    // keep them, the overflow is drawn glyph by glyph.
    if (live * 2 <= count_) clear();
}

bool TextAtlas::allocate(uint32_t width, Line& line) {
    const uint32_t cellW = width + 2, cellH = lineHeight_ + 2;
    if (cellW > kWidth) return false;
    if (penX_ + cellW > kWidth) {
        penX_ = 0;
        penY_ += cellH;
    }
    if (penY_ + cellH > texture_->height()) {
        uint32_t grown = texture_->height();
        while (grown < penY_ + cellH && grown < kMaxHeight)
            grown *= 2;
        if (penY_ + cellH > grown || texture_->growTo(grown, key_) != kResultOk) return false;
    }
    line.x = uint16_t(penX_ + 1);
    line.y = uint16_t(penY_ + 1);
    line.width = uint16_t(width);
    penX_ += cellW;
    return true;
}

void TextAtlas::draw(const char* text, std::size_t length, Line& line) {
    const Texture& sheet = *font_.texture();
    const uint32_t bpp = sheet.format().bits / 8;
    const uint32_t sheetW = sheet.width(), sheetH = sheet.height();
    const uint32_t atlasW = texture_->width();
    uint8_t* out = texture_->texels();
    const uint8_t* in = sheet.surface().data();
    // The cell with its border, transparent first.
    const uint32_t x0 = line.x - 1u, y0 = line.y - 1u, w = line.width + 2u, h = lineHeight_ + 2u;
    for (uint32_t y = y0; y < y0 + h; ++y)
        for (uint32_t x = x0; x < x0 + w; ++x)
            for (uint32_t b = 0; b < bpp; ++b)
                out[(size_t(y) * atlasW + x) * bpp + b] = uint8_t(key_ >> (8 * b));
    uint32_t pen = line.x;
    for (std::size_t i = 0; i < length; ++i) {
        const int c = uint8_t(text[i]);
        const uint32_t gw = font_.glyphWidth(c), gh = font_.glyphHeight(c);
        if (gw == 0 || gh == 0) {
            pen += gw;
            continue;
        }
        const uint32_t sx = uint32_t(std::lround(font_.texLeft(c) * float(sheetW)));
        const uint32_t sy = uint32_t(std::lround(font_.texTop(c) * float(sheetH)));
        const uint32_t cw = sx < sheetW ? std::min(gw, sheetW - sx) : 0;
        const uint32_t ch = std::min(std::min(gh, lineHeight_), sy < sheetH ? sheetH - sy : 0);
        for (uint32_t y = 0; y < ch; ++y)
            std::memcpy(out + (size_t(line.y + y) * atlasW + pen) * bpp,
                        in + (size_t(sy + y) * sheetW + sx) * bpp, size_t(cw) * bpp);
        pen += gw;
    }
    texture_->uploadRegion(x0, y0, w, h);
    ++drawn_;
    inkBox(line);
}

void TextAtlas::inkBox(Line& line) const {
    const uint32_t alpha = texture_->format().alphaMask;
    uint32_t left = line.width, right = 0, top = lineHeight_, bottom = 0;
    for (uint32_t y = 0; y < lineHeight_; ++y)
        for (uint32_t x = 0; x < line.width; ++x)
            if (texture_->pixel(line.x + x, line.y + y) & alpha) {
                left = std::min(left, x);
                right = std::max(right, x + 1);
                top = std::min(top, y);
                bottom = std::max(bottom, y + 1);
            }
    if (left >= right) {
        line.inkLeft = line.inkRight = line.inkTop = line.inkBottom = 0;
        return;
    }
    // A texel more each way: bilinear samples reach one texel out.
    line.inkLeft = uint16_t(left > 0 ? left - 1 : 0);
    line.inkTop = uint16_t(top > 0 ? top - 1 : 0);
    line.inkRight = uint16_t(std::min<uint32_t>(right + 1, line.width));
    line.inkBottom = uint16_t(std::min(bottom + 1, lineHeight_));
}

const TextAtlas::Line* TextAtlas::find(const char* text, std::size_t length) {
    if (length == 0 || length > kMaxLine || !ensureTexture()) return nullptr;
    uint32_t width = 0;
    for (std::size_t i = 0; i < length; ++i)
        width += font_.glyphWidth(uint8_t(text[i]));
    const std::size_t mask = kSlotCount - 1;
    for (std::size_t i = hashOf(text, length) & mask;; i = (i + 1) & mask) {
        Slot& s = slots_[i];
        if (s.used) {
            if (s.length == length && std::memcmp(s.text, text, length) == 0) {
                s.lastFrame = frame_;
                return &s.line;
            }
            continue;
        }
        // A free slot: the line is new.
        if (count_ >= kMaxLines || !allocate(width, s.line)) {
            ranFull_ = true;
            return nullptr;
        }
        std::memcpy(s.text, text, length);
        s.text[length] = 0;
        s.length = uint8_t(length);
        s.used = true;
        s.lastFrame = frame_;
        ++count_;
        draw(text, length, s.line);
        return &s.line;
    }
}

const TextAtlas::Slot* TextAtlas::slotAt(uint32_t x, uint32_t y) const {
    for (const Slot& s : slots_)
        if (s.used && x >= s.line.x && x < s.line.x + s.line.width && y >= s.line.y &&
            y < s.line.y + lineHeight_)
            return &s;
    return nullptr;
}

const TextAtlas::Line* TextAtlas::lineAt(uint32_t x, uint32_t y) const {
    const Slot* s = slotAt(x, y);
    return s ? &s->line : nullptr;
}

const char* TextAtlas::textAt(uint32_t x, uint32_t y) const {
    const Slot* s = slotAt(x, y);
    return s ? s->text : nullptr;
}

} // namespace gv
