#pragma once
// The few C library calls the tests need whose spelling differs between
// POSIX and Windows: broken-down UTC and local records, the calendar seconds
// of a UTC record, the environment and the time zone.
#include <cstdlib>
#include <ctime>

namespace gv::test {

inline std::tm utcRecord(std::time_t t) {
    std::tm out{};
#if defined(_WIN32)
    gmtime_s(&out, &t);
#else
    gmtime_r(&t, &out);
#endif
    return out;
}

inline std::tm localRecord(std::time_t t) {
    std::tm out{};
#if defined(_WIN32)
    localtime_s(&out, &t);
#else
    localtime_r(&t, &out);
#endif
    return out;
}

// The inverse of utcRecord (fields out of range carry over).
inline std::time_t utcSeconds(std::tm t) {
#if defined(_WIN32)
    return _mkgmtime(&t);
#else
    return timegm(&t);
#endif
}

inline void setEnvironment(const char* name, const char* value) {
#if defined(_WIN32)
    _putenv_s(name, value);
#else
    setenv(name, value, 1);
#endif
}

inline void unsetEnvironment(const char* name) {
#if defined(_WIN32)
    _putenv_s(name, "");
#else
    unsetenv(name);
#endif
}

// Reads TZ again after it changed.
inline void reloadTimeZone() {
#if defined(_WIN32)
    _tzset();
#else
    tzset();
#endif
}

} // namespace gv::test
