#include "app/failed_start.h"

#include "core/log.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace gv {

std::string failedStartLine(const std::string& step, const std::string& logFile) {
    return "Geovista: start-up failed at \"" + step + "\"; see " + logFile + "\n";
}

void reportFailedStart(const std::string& step) {
    const std::string& name = theLog().fileName();
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(name, error);
    const std::string line = failedStartLine(step, error ? name : path.string());
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

} // namespace gv
