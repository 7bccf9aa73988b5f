#include "locations/overlay_list.h"

#include "engine/bitmap_font.h"
#include "engine/renderer.h"

#include <cmath>
#include <cstring>

namespace gv {

using namespace platform;

namespace {

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Function keys name no character: searching for them would only spoil the
// prefix typed so far.
bool isFunctionKey(uint64_t vk) {
    return vk >= VK_F1 && vk <= VK_F1 + 23;
}

} // namespace

bool startsWithIgnoringCase(const char* text, const char* prefix) {
    for (std::size_t i = 0; prefix[i] != 0; ++i) {
        if (text[i] == 0 || lowerAscii(text[i]) != lowerAscii(prefix[i])) return false;
    }
    return true;
}

OverlayList::OverlayList(OverlayPanel& owner, const BitmapFont* font, float scaleX, float scaleY,
                         const WidgetRect& rect, const ListColours& colours_)
    : OverlayWidget(owner, font, scaleX, scaleY), colours(colours_) {
    items.reserve(16);
    setRect(rect);
}

void OverlayList::setRect(const WidgetRect& rect) {
    rect_ = rect;
    const float row = rowHeight();
    rows = row > 0.0f ? int32_t(float(rect.bottom - rect.top) / row) : 0;
    if (rows < 0) rows = 0;
    rect_.bottom = rect.top + int32_t(row * float(rows));
}

void OverlayList::clamp() {
    if (cursor >= count()) cursor = count() - 1;
    if (cursor >= top + rows) top = cursor - rows + 1;
    if (cursor < 0) cursor = 0;
    if (cursor < top) top = cursor;
}

void OverlayList::setCursor(int32_t index) {
    cursor = index;
    clamp();
}

void OverlayList::moveCursor(int32_t delta) {
    cursor += delta;
    clamp();
}

void OverlayList::searchFor(uint32_t code) {
    std::size_t length = std::strlen(search_);
    if (code == VK_BACK) {
        if (length > 0) search_[length - 1] = 0;
    } else if (code < 32) {
        search_[0] = 0;
        return;
    } else if (length < kListSearchSize - 1) {
        search_[length] = char(code & 0xFF);
        search_[length + 1] = 0;
    }
    for (int32_t i = 0; i < count(); ++i)
        if (startsWithIgnoringCase(items[std::size_t(i)], search_)) {
            setCursor(i);
            return;
        }
}

int OverlayList::handleKey(const WindowMessage& msg) {
    if (msg.message == WM_KEYDOWN) {
        int result = kWidgetNothing;
        switch (msg.wParam) {
        case VK_TAB:
        case VK_RIGHT:
            owner_.focusNext();
            break;
        case VK_LEFT:
            owner_.focusPrevious();
            break;
        case VK_RETURN:
            result = kWidgetEnter;
            break;
        case VK_ESCAPE:
            result = kWidgetEscape;
            break;
        case VK_UP:
            moveCursor(-1);
            break;
        case VK_DOWN:
            moveCursor(+1);
            break;
        case VK_PRIOR:
            moveCursor(-rows);
            break;
        case VK_NEXT:
            moveCursor(+rows);
            break;
        case VK_HOME:
            setCursor(0);
            break;
        case VK_END:
            setCursor(count() - 1);
            break;
        default:
            if (!keyReleased(msg) && !isFunctionKey(msg.wParam)) searchFor(uint32_t(msg.wParam));
            return kWidgetNothing;
        }
        search_[0] = 0;
        return result;
    }
    if (msg.message == WM_CHAR && !keyReleased(msg)) searchFor(uint32_t(msg.wParam));
    return kWidgetNothing;
}

void OverlayList::draw() {
    Renderer* r = owner_.renderer();
    if (!r || !font_) return;
    const float left = float(rect_.left), right = float(rect_.right);
    r->bindTexture(nullptr);
    r->drawScreenRect(left, float(rect_.top), right, float(rect_.bottom),
                      focused ? colours.focusedBackground : colours.background, false,
                      kWidgetFillDepth);
    const float row = rowHeight();
    float y = float(rect_.top);
    for (int32_t i = top < 0 ? 0 : top; i < count() && y < float(rect_.bottom); ++i, y += row) {
        uint32_t colour = colours.text;
        if (focused && i == cursor) {
            r->bindTexture(nullptr);
            r->drawScreenRect(left, y, right, y + row, colours.highlightBar, false,
                              kWidgetFillDepth);
            colour = colours.highlightText;
        }
        r->drawText(*font_, left, y, kWidgetTextDepth, colour, scaleX_, scaleY_, "%.*s",
                    kListItemMaxLength, items[std::size_t(i)]);
    }
}

} // namespace gv
