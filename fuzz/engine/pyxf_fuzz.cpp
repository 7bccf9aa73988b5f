// Font metrics on arbitrary bytes, then text drawn with them: a clean refusal
// or a font whose queries and text stay in bounds.
#include "engine/bitmap_font.h"
#include "engine/display_device.h"
#include "engine/recording_backend.h"
#include "engine/renderer.h"

#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto backend = std::make_unique<gv::RecordingBackend>();
    gv::RecordingBackend* rec = backend.get();
    gv::DisplayDevice device(std::move(backend), {}, 16);
    gv::BitmapFont font(device);
    if (!font.loadMetrics(std::span<const uint8_t>(data, size))) return 0;
    uint16_t tallest = 0;
    for (int c = 0; c < 256; ++c)
        if (font.glyphHeight(c) > tallest) tallest = font.glyphHeight(c);
    // A code listed twice keeps its later record, but every record counts
    // towards the line height.
    if (tallest > font.lineHeight()) std::abort();
    gv::Renderer renderer(device);
    // Text made of the input itself: every code, tabs and line feeds included.
    char text[300];
    const size_t n = size < sizeof text - 1 ? size : sizeof text - 1;
    for (size_t i = 0; i < n; ++i)
        text[i] = char(data[i] ? data[i] : 'A');
    text[n] = 0;
    renderer.drawText(font, 0, 0, 0.5f, 0xFFFFFFFFu, 1.0f, 1.0f, "%s", text);
    for (const auto& d : rec->draws)
        if (d.indices.size() != d.screen.size() / 4 * 6) std::abort();
    return 0;
}
