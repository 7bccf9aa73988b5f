// JPEG bytes through the loader (so that its size caps stand before the
// library's allocations), then the stretch and the smoothing: a clean
// refusal that says why, or a consistent picture, never a crash.
#include "loaded_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const uint8_t kStartOfImage[] = {0xFF, 0xD8, 0xFF};
    gv::fuzz::loadAndBuild(data, size, kStartOfImage);
    return 0;
}
