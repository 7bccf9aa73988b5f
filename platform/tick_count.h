#pragma once
#include <cstdint>

namespace gv::platform {

// Milliseconds from a fixed start, wrapping at 2^32: take differences in
// unsigned 32-bit arithmetic.
uint32_t tickCount();

} // namespace gv::platform
