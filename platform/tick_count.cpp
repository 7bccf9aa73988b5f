#include "platform/tick_count.h"

#include <chrono>

namespace gv::platform {

uint32_t tickCount() {
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace gv::platform
