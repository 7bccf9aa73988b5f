// TGA reader on arbitrary bytes: a clean refusal or an image whose size
// matches its header, never a crash.
#include "engine/tga_image.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/gv_fuzz_tga_" + std::to_string(getpid()) + ".tga";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    gv::TgaImage img;
    const long offset = size > 0 ? long(data[0] % 4) : 0;
    const bool read = img.read(path.c_str(), offset);
    // One file per process, gone after each input: a run leaves nothing in /tmp.
    std::remove(path.c_str());
    if (read) {
        const size_t expected = size_t(img.width()) * img.height() * (img.depth() / 8);
        if (img.pixels().size() != expected) std::abort();
        if (img.depth() == 8 && img.palette().size() != 768) std::abort();
    } else if (!img.pixels().empty()) {
        std::abort();
    }
    return 0;
}
