// Bitmap resources on arbitrary bytes, then through texture creation with
// every alpha mode: a clean refusal or consistent sizes, never a crash.
#include "engine/bitmap.h"
#include "engine/display_device.h"
#include "engine/recording_backend.h"
#include "engine/texture.h"

#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto bmp = gv::parseDib(std::span<const uint8_t>(data, size));
    if (!bmp) return 0;
    if (bmp->rgb.size() != size_t(bmp->width) * bmp->height * 3) std::abort();
    if (size_t(bmp->width) * bmp->height > 512 * 512) return 0; // keep runs quick
    gv::DisplayDevice device(std::make_unique<gv::RecordingBackend>(), {}, 16);
    gv::Texture t(device);
    const gv::AlphaMode modes[3] = {gv::AlphaMode::None, gv::AlphaMode::Brightness,
                                    gv::AlphaMode::ColorKey};
    const uint32_t pick = data[size - 1];
    const uint32_t depth = pick & 1 ? 32 : 16, alphaBits = pick & 2 ? (depth == 32 ? 8 : 1) : 0;
    t.createFromBitmap("fuzz", *bmp, modes[pick % 3], depth, alphaBits, 0.1f);
    (void)gv::captureBitmap(*bmp, pick & 4 ? 32 : 24);
    return 0;
}
