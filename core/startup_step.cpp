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

namespace {
std::string& lastWords() {
    static std::string words;
    return words;
}
} // namespace

void logStepLabel(const std::string& words) {
    lastWords() = words;
    logWrite("%s", stepLabel(words).c_str());
}

const std::string& lastStepWords() {
    return lastWords();
}

void logFatal(const char* fatalText) {
    logWrite("%s", fatalText);
}

} // namespace gv
