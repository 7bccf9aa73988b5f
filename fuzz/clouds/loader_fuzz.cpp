// Any picture through the loader, then, when it is small, through the stretch
// and the smoothing: refused cleanly or a map of the asked size, never a
// crash.
#include "loaded_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gv::fuzz::loadAndBuild(data, size);
    return 0;
}
