#include "clouds/cloud_cache.h"

#include "engine/tga_image.h"
#include "formats/file_bytes.h"
#include "platform/atomic_file.h"

#include <bit>
#include <cstring>

namespace gv {

// Map pixels are 0xAARRGGBB values; in memory, as in the file, blue comes first.
static_assert(std::endian::native == std::endian::little);

bool readCloudCache(const std::string& path, CloudMap& map) {
    TgaImage image;
    if (!image.read(path.c_str(), 0)) return false;
    if (image.width() != kCloudMapWidth || image.height() != kCloudMapHeight || image.depth() != 32)
        return false;
    // The reader gives back the rows in the order they were held when written.
    map.resize(size_t(kCloudMapWidth) * kCloudMapHeight);
    std::memcpy(map.data(), image.pixels().data(), map.size() * sizeof(uint32_t));
    return true;
}

bool writeCloudCache(const std::string& path, const CloudMap& map) {
    if (map.size() != size_t(kCloudMapWidth) * kCloudMapHeight) return false;
    // A cache that is there but cannot be read is not ours to replace.
    if (checkReadable(path).unreadable()) return false;
    // A 32-bit TGA of the map's memory rows, written last row first.
    return platform::replaceFileContents(
        path, TgaImage::fileBytes(kCloudMapWidth, kCloudMapHeight, 32,
                                  reinterpret_cast<const uint8_t*>(map.data()), nullptr));
}

} // namespace gv
