#pragma once
// A list box of the overlay: texts it does not own, a cursor kept inside the
// list, whole rows only, and search as you type.
#include "locations/overlay_panel.h"

#include <cstdint>
#include <vector>

namespace gv {

struct ListColours {
    uint32_t text = 0;
    uint32_t background = 0;
    uint32_t highlightText = 0;
    uint32_t highlightBar = 0;
    uint32_t focusedBackground = 0;
};

// An item is drawn and searched over at most this many bytes: place names
// come from 32-byte fields that need not hold a terminator.
inline constexpr int kListItemMaxLength = 32;
inline constexpr std::size_t kListSearchSize = 16;

class OverlayList final : public OverlayWidget {
  public:
    OverlayList(OverlayPanel& owner, const BitmapFont* font, float scaleX, float scaleY,
                const WidgetRect& rect, const ListColours& colours);

    // Shortens the rectangle to whole rows.
    void setRect(const WidgetRect& rect) override;
    void draw() override;
    int handleKey(const platform::WindowMessage& msg) override;

    // Keeps the cursor on an item (or at 0 in an empty list) and in view.
    void clamp();
    void setCursor(int32_t index);
    void moveCursor(int32_t delta);

    int32_t count() const { return int32_t(items.size()); }
    const char* search() const { return search_; }

    int32_t cursor = 0;
    int32_t top = 0;  // first row shown
    int32_t rows = 0; // rows that fit
    std::vector<const char*> items;
    ListColours colours;

  private:
    void searchFor(uint32_t code);
    char search_[kListSearchSize] = {};
};

// True when the text begins with the prefix, ASCII letters compared without
// regard to case; the text is read no further than the prefix.
bool startsWithIgnoringCase(const char* text, const char* prefix);

} // namespace gv
