#pragma once
// The start-up console: a small ring of text lines drawn straight onto the back
// buffer while the program starts. Hidden and emptied once start-up passes.
#include "core/log.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gv {

// What the console draws with; the renderer provides it.
class ConsoleSurface {
  public:
    virtual ~ConsoleSurface() = default;
    virtual void clear(uint32_t colour) = 0;
    virtual void drawPlainText(int x, int y, const std::string& text, uint32_t rgb) = 0;
    virtual void present() = 0;
};

struct ConsoleRect {
    int left, top, right, bottom;
};

class SystemConsole {
  public:
    static constexpr std::size_t kFormatBufferSize = 1025;
    static constexpr int kLineStep = 14;
    static constexpr uint32_t kTextColour = 0xFFFF80; // red 255, green 255, blue 128

    void init(const ConsoleRect& rect, ConsoleSurface* surface);
    void print(const char* format, ...) GV_PRINTF(2, 3);
    void replaceLast(const char* format, ...) GV_PRINTF(2, 3);
    void draw();
    void hideAndEmpty();

    void setVisible(bool visible) { visible_ = visible; }
    bool visible() const { return visible_; }
    int visibleLines() const { return visibleLines_; }
    // The lines draw() shows, oldest first.
    std::vector<std::string> shownLines() const;

  private:
    void store(const std::string& text);

    ConsoleSurface* surface_ = nullptr;
    std::vector<std::string> lines_;
    int visibleLines_ = 0;
    int capacity_ = 0;
    int first_ = 0;
    int write_ = 0;
    int left_ = 0;
    int top_ = 0;
    bool visible_ = false;
    bool clearBeforeDraw_ = false;
};

} // namespace gv
