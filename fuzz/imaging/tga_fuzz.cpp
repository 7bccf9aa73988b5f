// TGA pictures from arbitrary bytes: a clean refusal or a consistent picture,
// never a crash or a read outside the bytes.
#include "imaging/tga_decoder.h"
#include "picture_checks.h"

#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gv::DecodedImage image;
    if (gv::decodeTga(std::span<const uint8_t>(data, size), image)) gv::fuzz::checkPicture(image);
    return 0;
}
