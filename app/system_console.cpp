#include "app/system_console.h"

#include <cstdio>
#include <cstdlib>

namespace gv {

void SystemConsole::init(const ConsoleRect& rect, ConsoleSurface* surface) {
    surface_ = surface;
    visibleLines_ = std::max(0, (rect.bottom - rect.top - 5) / kLineStep);
    capacity_ = 2 * visibleLines_;
    left_ = rect.left;
    top_ = rect.top;
    first_ = write_ = 0;
    lines_.assign(std::size_t(capacity_), std::string());
}

void SystemConsole::store(const std::string& text) {
    if (capacity_ == 0) return; // a console too small for one line keeps nothing
    lines_[std::size_t(write_)] = text;
    write_ += 1;
    if (std::abs(write_ - first_) >= visibleLines_) first_ += 1;
    if (write_ >= capacity_) write_ -= capacity_;
    if (first_ >= capacity_) first_ -= capacity_;
    if (visible_ && surface_) {
        if (clearBeforeDraw_) surface_->clear(0);
        draw();
        surface_->present();
    }
}

void SystemConsole::print(const char* format, ...) {
    char buffer[kFormatBufferSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    store(buffer);
}

void SystemConsole::replaceLast(const char* format, ...) {
    char buffer[kFormatBufferSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (capacity_ == 0) return;
    if (std::abs(write_ - first_) >= visibleLines_) first_ -= 1;
    write_ -= 1;
    if (write_ < 0) write_ += capacity_;
    if (first_ < 0) first_ += capacity_;
    store(buffer);
}

std::vector<std::string> SystemConsole::shownLines() const {
    std::vector<std::string> shown;
    if (capacity_ == 0) return shown;
    for (int i = first_; i != write_; i = (i + 1) % capacity_)
        shown.push_back(lines_[std::size_t(i)]);
    return shown;
}

void SystemConsole::draw() {
    if (!surface_) return;
    int y = top_;
    for (const std::string& line : shownLines()) {
        surface_->drawPlainText(left_, y, line, kTextColour);
        y += kLineStep;
    }
}

void SystemConsole::hideAndEmpty() {
    visible_ = false;
    clearBeforeDraw_ = true;
    first_ = write_ = 0;
}

} // namespace gv
