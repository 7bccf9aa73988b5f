#pragma once
// Start-up reporting: each step writes a 57-character label, then its result;
// a failure raised inside a step is caught and reported with the step's text.
#include <string>

namespace gv {

// "Creating scene object" -> "Creating scene object .................................. "
std::string stepLabel(const std::string& words);
void logStepLabel(const std::string& words);

inline constexpr const char* kPassed = "[ PASSED ]\n";
// Runs a step; any exception is reported with fatalText and counts as failure.
template <class Step> bool guardedStep(const char* fatalText, Step&& step);

void logFatal(const char* fatalText);

template <class Step> bool guardedStep(const char* fatalText, Step&& step) {
    try {
        return step();
    } catch (...) {
        logFatal(fatalText);
        return false;
    }
}

} // namespace gv
