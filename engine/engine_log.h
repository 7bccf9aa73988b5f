#pragma once
// The engine reports through one sink that the program connects to its log,
// so the engine itself never depends on the application.
namespace gv {

using EngineLogSink = void (*)(const char* text);

// Null disconnects; reports are then dropped.
void setEngineLog(EngineLogSink sink);

// Formats into a 1024-byte buffer (longer reports are cut) and hands the text
// to the sink in one write.
void engineLog(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

} // namespace gv
