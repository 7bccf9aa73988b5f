#include "locations/overlay_panel.h"

#include "engine/bitmap_font.h"

namespace gv {

float OverlayWidget::rowHeight() const {
    return font_ ? float(font_->lineHeight()) * scaleY_ : 0.0f;
}

int OverlayPanel::handleKey(const platform::WindowMessage& msg) {
    if (widgets_.empty()) return kWidgetNothing;
    return widgets_[std::size_t(focus_)]->handleKey(msg);
}

void OverlayPanel::draw() {
    if (widgets_.empty()) return;
    widgets_[std::size_t(focus_)]->focused = true;
    for (auto& w : widgets_)
        w->draw();
}

void OverlayPanel::moveFocus(int index) {
    if (!widgets_.empty()) widgets_[std::size_t(focus_)]->focused = false;
    focus_ = index;
    if (!widgets_.empty()) widgets_[std::size_t(focus_)]->focused = true;
}

void OverlayPanel::setFocus(int index) {
    if (index < 0 || index >= int(widgets_.size())) return;
    moveFocus(index);
}

void OverlayPanel::focusNext() {
    if (widgets_.empty()) return;
    int next = focus_ + 1;
    if (next >= int(widgets_.size())) next = wrap ? 0 : int(widgets_.size()) - 1;
    moveFocus(next);
}

void OverlayPanel::focusPrevious() {
    if (widgets_.empty()) return;
    int previous = focus_ - 1;
    if (previous < 0) previous = wrap ? int(widgets_.size()) - 1 : 0;
    moveFocus(previous);
}

} // namespace gv
