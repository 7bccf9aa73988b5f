#pragma once
// The filtered cloud map kept between runs as a 32-bit TGA file, so that a
// start need not decode and filter the satellite picture again.
#include "clouds/cloud_map.h"

#include <string>

namespace gv {

// False, leaving map untouched, unless the file is a 1024 x 512 picture of
// 32 bits.
bool readCloudCache(const std::string& path, CloudMap& map);

// Replaces the file whole (never seen half written); a file that is there
// but cannot be read is left as it is (false).
bool writeCloudCache(const std::string& path, const CloudMap& map);

} // namespace gv
