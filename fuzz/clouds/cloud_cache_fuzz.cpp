// The cloud cache file from arbitrary bytes: either a map of exactly
// 1024 x 512 pixels or a refusal that leaves the map as it was.
#include "clouds/cloud_cache.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // In memory when the machine has a memory file system: one file written
    // and read per input.
    static const std::string path =
        std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/gv_fuzz_clouds_" +
        std::to_string(getpid()) + ".tga";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    gv::CloudMap map = {0x12345678u};
    if (gv::readCloudCache(path, map)) {
        if (map.size() != size_t(gv::kCloudMapWidth) * gv::kCloudMapHeight) std::abort();
    } else if (map.size() != 1 || map[0] != 0x12345678u) {
        std::abort();
    }
    return 0;
}
