#include "platform/quit_signals.h"

#include <csignal>

namespace gv::platform {

namespace {
volatile std::sig_atomic_t gQuitSignal = 0;
extern "C" void onQuitSignal(int) {
    gQuitSignal = 1;
}
} // namespace

void installQuitSignals() {
    std::signal(SIGINT, onQuitSignal);
    std::signal(SIGTERM, onQuitSignal);
}

bool takeQuitSignal() {
    if (!gQuitSignal) return false;
    gQuitSignal = 0;
    return true;
}

} // namespace gv::platform
