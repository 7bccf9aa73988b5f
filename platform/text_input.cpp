#include "platform/text_input.h"

namespace gv::platform {

namespace {

// Code points of the bytes 0x80..0x9F; 0 where the code page has a gap.
constexpr uint16_t kHighBlock[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

} // namespace

uint8_t windows1252Code(uint32_t codePoint) {
    if (codePoint >= 0x20 && codePoint < 0x7F) return uint8_t(codePoint);
    // Latin-1 agrees with the code page from 0xA0 up.
    if (codePoint >= 0xA0 && codePoint <= 0xFF) return uint8_t(codePoint);
    if (codePoint < 0x100) return 0;
    for (int i = 0; i < 32; ++i)
        if (kHighBlock[i] == codePoint) return uint8_t(0x80 + i);
    return 0;
}

std::string windows1252FromUtf8(const char* text) {
    std::string out;
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    while (*s) {
        uint32_t cp = 0;
        int extra = 0;
        if (*s < 0x80) {
            cp = *s;
        } else if ((*s & 0xE0) == 0xC0) {
            cp = *s & 0x1F;
            extra = 1;
        } else if ((*s & 0xF0) == 0xE0) {
            cp = *s & 0x0F;
            extra = 2;
        } else if ((*s & 0xF8) == 0xF0) {
            cp = *s & 0x07;
            extra = 3;
        } else {
            ++s;
            continue;
        }
        ++s;
        bool whole = true;
        for (int i = 0; i < extra; ++i) {
            // A sequence cut short leaves the next character for the loop.
            if ((*s & 0xC0) != 0x80) {
                whole = false;
                break;
            }
            cp = (cp << 6) | (*s & 0x3F);
            ++s;
        }
        if (!whole) continue;
        if (const uint8_t code = windows1252Code(cp)) out.push_back(char(code));
    }
    return out;
}

} // namespace gv::platform
