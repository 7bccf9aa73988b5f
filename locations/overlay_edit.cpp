#include "locations/overlay_edit.h"

#include "engine/bitmap_font.h"
#include "engine/renderer.h"

#include <cstring>

namespace gv {

using namespace platform;

OverlayEdit::OverlayEdit(OverlayPanel& owner, const BitmapFont* font, float scaleX, float scaleY,
                         const WidgetRect& rect, uint16_t maxLength, const char* filter,
                         uint32_t textColour, uint32_t backgroundColour)
    : OverlayWidget(owner, font, scaleX, scaleY), buffer_(std::size_t(maxLength) + 1, '\0'),
      maxLength_(maxLength), filtered_(filter != nullptr), filter_(filter ? filter : ""),
      textColour_(textColour), backgroundColour_(backgroundColour) {
    setRect(rect);
}

void OverlayEdit::setText(const char* text) {
    const std::size_t n = text ? strnlen(text, maxLength_) : 0;
    std::memcpy(buffer_.data(), text ? text : "", n);
    buffer_[n] = 0;
    length_ = uint16_t(n);
    caret_ = length_;
}

void OverlayEdit::insert(char c) {
    if (filtered_ && filter_.find(c) == std::string::npos) return;
    if (length_ >= maxLength_) return;
    char* b = buffer_.data();
    std::memmove(b + caret_ + 1, b + caret_, std::size_t(length_ - caret_) + 1);
    b[caret_] = c;
    ++length_;
    ++caret_;
}

int OverlayEdit::handleKey(const WindowMessage& msg) {
    if (msg.message == WM_CHAR) {
        if (!keyReleased(msg) && msg.wParam >= 32 && msg.wParam <= 255) insert(char(msg.wParam));
        return kWidgetNothing;
    }
    if (msg.message != WM_KEYDOWN) return kWidgetNothing;
    char* b = buffer_.data();
    switch (msg.wParam) {
    case VK_BACK:
        if (caret_ > 0) {
            std::memmove(b + caret_ - 1, b + caret_, std::size_t(length_ - caret_) + 1);
            --caret_;
            --length_;
        }
        return kWidgetNothing;
    case VK_DELETE:
        if (caret_ < length_) {
            std::memmove(b + caret_, b + caret_ + 1, std::size_t(length_ - caret_));
            --length_;
        }
        return kWidgetNothing;
    case VK_TAB:
    case VK_DOWN:
        owner_.focusNext();
        return kWidgetNothing;
    case VK_UP:
        owner_.focusPrevious();
        return kWidgetNothing;
    case VK_PRIOR:
        owner_.focusFirst();
        return kWidgetNothing;
    case VK_NEXT:
        owner_.focusLast();
        return kWidgetNothing;
    case VK_LEFT:
        if (caret_ > 0) --caret_;
        return kWidgetNothing;
    case VK_RIGHT:
        if (caret_ < length_) ++caret_;
        return kWidgetNothing;
    case VK_HOME:
        caret_ = 0;
        return kWidgetNothing;
    case VK_END:
        caret_ = length_;
        return kWidgetNothing;
    case VK_RETURN:
        return kWidgetEnter;
    case VK_ESCAPE:
        return kWidgetEscape;
    default:
        return kWidgetNothing;
    }
}

void OverlayEdit::draw() {
    Renderer* r = owner_.renderer();
    if (!r || !font_) return;
    const float left = float(rect_.left), top = float(rect_.top);
    r->bindTexture(nullptr);
    r->drawScreenRect(left, top, float(rect_.right), top + rowHeight(), backgroundColour_, false,
                      kWidgetFillDepth);
    r->drawText(*font_, left, top, kWidgetTextDepth, textColour_, scaleX_, scaleY_, "%s",
                buffer_.data());
    if (!focused) return;
    float x = left;
    for (uint16_t i = 0; i < caret_; ++i)
        x += float(font_->glyphWidth(static_cast<unsigned char>(buffer_[i]))) * scaleX_;
    r->drawText(*font_, x, top, kWidgetTextDepth, textColour_, scaleX_, scaleY_, "_");
}

} // namespace gv
