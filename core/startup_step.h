#pragma once
// Start-up reporting: each step writes a 57-character label, then its result;
// a failure raised inside a step is caught and reported with the step's text.
#include <memory>
#include <new>
#include <string>
#include <utility>

namespace gv {

// "Creating scene object" -> "Creating scene object .................................. "
std::string stepLabel(const std::string& words);
void logStepLabel(const std::string& words);
// The words of the label written last: the step under way, or the one that
// stopped start-up.
const std::string& lastStepWords();

inline constexpr const char* kPassed = "[ PASSED ]\n";
// Runs a step; any exception is reported with fatalText and counts as failure.
template <class Step> bool guardedStep(const char* fatalText, Step&& step);

void logFatal(const char* fatalText);

// Makes a step's object without throwing when memory runs out: null then, so
// that the step reports its own failure text ("[ FAILED : not enough memory
// ]\n" and the like). A failure inside the constructor still throws and is
// caught by guardedStep.
template <class T, class... Args> std::unique_ptr<T> makeStepObject(Args&&... args) {
    return std::unique_ptr<T>(new (std::nothrow) T(std::forward<Args>(args)...));
}

template <class Step> bool guardedStep(const char* fatalText, Step&& step) {
    try {
        return step();
    } catch (...) {
        logFatal(fatalText);
        return false;
    }
}

} // namespace gv
