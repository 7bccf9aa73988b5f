#pragma once
// The globe's one report channel: "geovista.log" in the current folder, one
// time-stamped write per report, opened and closed each time so the file is
// complete on disk whenever the program dies.
#include <cstdarg>
#include <ctime>
#include <string>

#if defined(__GNUC__)
#define GV_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define GV_PRINTF(fmt, args)
#endif

namespace gv {

inline constexpr const char* kLogFileName = "geovista.log";
inline constexpr std::size_t kLogBufferSize = 1024;

class Log {
  public:
    // Stores the name and appends a header to whatever the file holds.
    explicit Log(std::string fileName);

    // Formats and appends one report behind a "[hh:mm:ss] " stamp. A report
    // longer than the buffer is cut. False when the file cannot be opened.
    bool write(const char* format, ...) GV_PRINTF(2, 3);
    bool writeV(const char* format, va_list args);

    // Empties the file and writes a fresh header.
    void reset();

    const std::string& fileName() const { return fileName_; }
    // Later reports go to another file (no header is written there).
    void setFileName(std::string fileName) { fileName_ = std::move(fileName); }

  private:
    void writeHeader();
    std::string fileName_;
};

// The process-wide log, created on first use.
Log& theLog();
// Names the process-wide log's file: before its first use, so that nothing at
// all is written to the default place; later, for the reports to come.
void placeLog(std::string fileName);
bool logWrite(const char* format, ...) GV_PRINTF(1, 2);
void logReset();

// The C library's fixed 24-character date form, e.g. "Tue Dec 08 04:28:09 2026",
// always in English whatever the user's locale.
std::string fixedDateText(const std::tm& time);

} // namespace gv
