#include "core/log.h"

#include <cstdio>
#include <ctime>

namespace gv {

namespace {
std::tm localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
#if defined(_WIN32)
    localtime_s(&tm, &now);
#else
    localtime_r(&now, &tm);
#endif
    return tm;
}
} // namespace

std::string fixedDateText(const std::tm& t) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[64];
    std::snprintf(text, sizeof text, "%s %s %02d %02d:%02d:%02d %d", kDays[(t.tm_wday % 7 + 7) % 7],
                  kMonths[(t.tm_mon % 12 + 12) % 12], t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                  t.tm_year + 1900);
    return text;
}

Log::Log(std::string fileName) : fileName_(std::move(fileName)) {
    writeHeader();
}

bool Log::writeV(const char* format, va_list args) {
    const std::tm now = localNow();
    std::FILE* file = std::fopen(fileName_.c_str(), "a");
    if (!file) return false;
    char buffer[kLogBufferSize];
    std::vsnprintf(buffer, sizeof buffer, format, args);
    std::fprintf(file, "[%02u:%02u:%02u] %s", unsigned(now.tm_hour), unsigned(now.tm_min),
                 unsigned(now.tm_sec), buffer);
    std::fclose(file);
    return true;
}

bool Log::write(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const bool ok = writeV(format, args);
    va_end(args);
    return ok;
}

void Log::writeHeader() {
    const std::string date = fixedDateText(localNow());
    write("\n\n------[ LOG %s STARTED AT %s "
          "]--------------------------------------------------------------\n\n",
          fileName_.c_str(), date.c_str());
}

void Log::reset() {
    if (std::FILE* file = std::fopen(fileName_.c_str(), "w")) std::fclose(file);
    writeHeader();
}

namespace {
// Where the process-wide log goes when it is first used.
std::string gFirstLogFile = kLogFileName;
bool gLogMade = false;
} // namespace

Log& theLog() {
    static Log log((gLogMade = true, gFirstLogFile));
    return log;
}

void placeLog(std::string fileName) {
    if (gLogMade)
        theLog().setFileName(std::move(fileName));
    else
        gFirstLogFile = std::move(fileName);
}

bool logWrite(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const bool ok = theLog().writeV(format, args);
    va_end(args);
    return ok;
}

void logReset() {
    theLog().reset();
}

} // namespace gv
