#include "engine/engine_log.h"

#include <cstdarg>
#include <cstdio>

namespace gv {

namespace {
EngineLogSink gSink = nullptr;
}

void setEngineLog(EngineLogSink sink) {
    gSink = sink;
}

void engineLog(const char* format, ...) {
    if (!gSink) return;
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    gSink(buffer);
}

} // namespace gv
