#pragma once
// A one-line edit field of the overlay with a caret, a length limit in bytes
// and an optional set of allowed characters.
#include "locations/overlay_panel.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gv {

class OverlayEdit final : public OverlayWidget {
  public:
    // filter: the allowed characters, or nullptr for any.
    OverlayEdit(OverlayPanel& owner, const BitmapFont* font, float scaleX, float scaleY,
                const WidgetRect& rect, uint16_t maxLength, const char* filter, uint32_t textColour,
                uint32_t backgroundColour);

    void draw() override;
    int handleKey(const platform::WindowMessage& msg) override;

    // Copies at most maxLength bytes and puts the caret at the end.
    void setText(const char* text);
    const char* text() const { return buffer_.data(); }
    uint16_t length() const { return length_; }
    uint16_t caret() const { return caret_; }
    uint16_t maxLength() const { return maxLength_; }

  private:
    void insert(char c);

    std::vector<char> buffer_; // maxLength + 1 bytes, always terminated
    uint16_t maxLength_;
    uint16_t length_ = 0;
    uint16_t caret_ = 0;
    bool filtered_;
    std::string filter_;
    uint32_t textColour_, backgroundColour_;
};

} // namespace gv
