#pragma once
// Points the process-wide log at a scratch file for one test and reads the
// reports back without their "[hh:mm:ss] " stamps, one entry per write.
#include "core/log.h"
#include "support/temp_dir.h"

#include <regex>
#include <string>
#include <vector>

namespace gv::test {

class CapturedLog {
  public:
    CapturedLog() : previous_(theLog().fileName()) {
        theLog().setFileName(dir_.file("captured.log"));
    }
    ~CapturedLog() { theLog().setFileName(previous_); }
    CapturedLog(const CapturedLog&) = delete;
    CapturedLog& operator=(const CapturedLog&) = delete;

    std::vector<std::string> reports() const {
        const std::string text = readText(dir_.file("captured.log"));
        static const std::regex stamp(R"(\[\d\d:\d\d:\d\d\] )");
        std::vector<std::string> out;
        std::sregex_iterator it(text.begin(), text.end(), stamp), end;
        std::size_t from = std::string::npos;
        for (; it != end; ++it) {
            const std::size_t at = std::size_t(it->position());
            if (from != std::string::npos) out.push_back(text.substr(from, at - from));
            from = at + std::size_t(it->length());
        }
        if (from != std::string::npos) out.push_back(text.substr(from));
        return out;
    }
    void clear() const { writeBytes(dir_.file("captured.log"), {}); }

  private:
    TempDir dir_;
    std::string previous_;
};

} // namespace gv::test
