#include "editor/text_1252.h"

#include <array>
#include <cstdint>

namespace gv::editor {

namespace {

// 0x80..0x9F; the five bytes Windows leaves undefined keep their C1 code.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t unicodeOf(uint8_t b) {
    if (b >= 0x80 && b < 0xA0) return kHighControls[b - 0x80];
    return b;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

char byteOf(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return char(c);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == c) return char(0x80 + i);
    return '?';
}

} // namespace

std::string utf8FromCp1252(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (char c : text)
        appendUtf8(out, unicodeOf(uint8_t(c)));
    return out;
}

std::string cp1252FromUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const uint8_t lead = uint8_t(text[i]);
        int extra = 0;
        char32_t c = lead;
        if (lead >= 0xF0 && lead < 0xF8) {
            extra = 3;
            c = lead & 0x07;
        } else if (lead >= 0xE0) {
            extra = 2;
            c = lead & 0x0F;
        } else if (lead >= 0xC0) {
            extra = 1;
            c = lead & 0x1F;
        } else if (lead >= 0x80) {
            out += '?'; // a stray continuation byte
            ++i;
            continue;
        }
        ++i;
        bool broken = false;
        for (int k = 0; k < extra; ++k, ++i) {
            if (i >= text.size() || (uint8_t(text[i]) & 0xC0) != 0x80) {
                broken = true;
                break;
            }
            c = (c << 6) | (uint8_t(text[i]) & 0x3F);
        }
        out += broken ? '?' : byteOf(c);
    }
    return out;
}

char foldCp1252(char c) {
    const uint8_t b = uint8_t(c);
    if (b >= 'A' && b <= 'Z') return char(b + 32);
    if (b >= 0xC0 && b <= 0xDE && b != 0xD7) return char(b + 32);
    switch (b) {
    case 0x8A:
        return char(0x9A); // Š
    case 0x8C:
        return char(0x9C); // Œ
    case 0x8E:
        return char(0x9E); // Ž
    case 0x9F:
        return char(0xFF); // Ÿ
    default:
        return c;
    }
}

std::string foldedCp1252(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = foldCp1252(c);
    return out;
}

std::string_view trimmedBlanks(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace gv::editor
