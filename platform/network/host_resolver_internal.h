#pragma once
// Between the host resolver and the socket side of the pump.

namespace gv::platform {

// Posts the completion message of every resolution finished since the last
// call (main thread).
void deliverFinishedResolutions();

} // namespace gv::platform
