#include "formats/text_1252.h"

#include <array>

namespace gv {

namespace {

// Code points of the bytes 0x80..0x9F; the five undefined bytes keep their
// C1 code.
constexpr std::array<char32_t, 32> kHighBlock = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool isControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
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

// Walks UTF-8 text: each whole sequence gives its code point, each broken one
// (a stray continuation byte, a sequence cut short) gives broken(); a cut
// sequence leaves the byte that broke it for the next step.
template <typename Whole, typename Broken>
void decodeUtf8(std::string_view text, Whole whole, Broken broken) {
    std::size_t i = 0;
    while (i < text.size()) {
        const uint8_t lead = uint8_t(text[i]);
        int extra = 0;
        char32_t c = lead;
        if (lead >= 0xF0 && lead < 0xF8) {
            extra = 3;
            c = lead & 0x07;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            extra = 2;
            c = lead & 0x0F;
        } else if (lead >= 0xC0 && lead < 0xE0) {
            extra = 1;
            c = lead & 0x1F;
        } else if (lead >= 0x80) {
            broken();
            ++i;
            continue;
        }
        ++i;
        bool cut = false;
        for (int k = 0; k < extra; ++k, ++i) {
            if (i >= text.size() || (uint8_t(text[i]) & 0xC0) != 0x80) {
                cut = true;
                break;
            }
            c = (c << 6) | (uint8_t(text[i]) & 0x3F);
        }
        if (cut)
            broken();
        else
            whole(c);
    }
}

} // namespace

char32_t unicodeFromCp1252(uint8_t byte) {
    if (byte >= 0x80 && byte < 0xA0) return kHighBlock[byte - 0x80];
    return byte;
}

int cp1252FromUnicode(char32_t codePoint) {
    // Latin-1 agrees with the code page outside 0x80..0x9F.
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) return int(codePoint);
    for (std::size_t i = 0; i < kHighBlock.size(); ++i)
        if (kHighBlock[i] == codePoint) return int(0x80 + i);
    return -1;
}

uint8_t typedCp1252Code(char32_t codePoint) {
    if (isControl(codePoint)) return 0;
    const int b = cp1252FromUnicode(codePoint);
    return b < 0 ? 0 : uint8_t(b);
}

std::string utf8FromCp1252(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (char c : text)
        appendUtf8(out, unicodeFromCp1252(uint8_t(c)));
    return out;
}

std::string cp1252FromUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    decodeUtf8(
        text,
        [&](char32_t c) {
            const int b = cp1252FromUnicode(c);
            out += b < 0 ? '?' : char(b);
        },
        [&] { out += '?'; });
    return out;
}

std::string typedCp1252FromUtf8(std::string_view text) {
    std::string out;
    decodeUtf8(
        text,
        [&](char32_t c) {
            if (const uint8_t b = typedCp1252Code(c)) out += char(b);
        },
        [] {});
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

} // namespace gv
