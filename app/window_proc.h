#pragma once
// The engine window's procedure: what each window message does.
#include "platform/messages.h"

#include <cstdint>

namespace gv {

int64_t windowProc(const platform::WindowMessage& msg);

// Mouse moves counted by the conventional screen saver; reset per run.
void resetSaverMouseMoves();

} // namespace gv
