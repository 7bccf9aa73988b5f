// PNG bytes through the loader (so that its size caps stand before the
// library's allocations), then the stretch and the smoothing: a clean
// refusal that says why, or a consistent picture, never a crash.
#include "loaded_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    gv::fuzz::loadAndBuild(data, size, kSignature);
    return 0;
}
