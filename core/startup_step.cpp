#include "core/startup_step.h"

#include "core/log.h"

namespace gv {

std::string stepLabel(const std::string& words) {
    std::string label = words + ' ';
    while (label.size() < 56)
        label += '.';
    label += ' ';
    return label;
}

void logStepLabel(const std::string& words) {
    logWrite("%s", stepLabel(words).c_str());
}

void logFatal(const char* fatalText) {
    logWrite("%s", fatalText);
}

} // namespace gv
