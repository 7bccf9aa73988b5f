#pragma once
// The locations manager's own small widget set, drawn by the renderer over
// the scene: a panel owns its widgets in focus order and passes the keyboard
// messages of the main window to the focused one, whose answer tells the
// owner what happened.
#include "platform/messages.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace gv {

class BitmapFont;
class OverlayPanel;
class Renderer;

// What a widget's key handling asks of its owner.
inline constexpr int kWidgetNothing = 0;
inline constexpr int kWidgetEnter = 1;
inline constexpr int kWidgetEscape = 2;

// Fills and text of every widget lie in front of the scene.
inline constexpr float kWidgetFillDepth = 0.001f;
inline constexpr float kWidgetTextDepth = 0.00001f;

struct WidgetRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// A message's flags with the top bit set belong to a key being released.
inline bool keyReleased(const platform::WindowMessage& msg) {
    return (uint64_t(msg.lParam) & 0x80000000u) != 0;
}

class OverlayWidget {
  public:
    OverlayWidget(OverlayPanel& owner, const BitmapFont* font, float scaleX, float scaleY)
        : owner_(owner), font_(font), scaleX_(scaleX), scaleY_(scaleY) {}
    virtual ~OverlayWidget() = default;
    OverlayWidget(const OverlayWidget&) = delete;
    OverlayWidget& operator=(const OverlayWidget&) = delete;

    virtual void setRect(const WidgetRect& rect) { rect_ = rect; }
    virtual void draw() = 0;
    // kWidgetNothing, kWidgetEnter or kWidgetEscape.
    virtual int handleKey(const platform::WindowMessage& msg) = 0;

    const WidgetRect& rect() const { return rect_; }
    float scaleX() const { return scaleX_; }
    float scaleY() const { return scaleY_; }
    // One text row in pixels: the font's line height at the vertical scale.
    float rowHeight() const;
    bool focused = false;

  protected:
    OverlayPanel& owner_;
    const BitmapFont* font_;
    WidgetRect rect_;
    float scaleX_, scaleY_;
};

class OverlayPanel {
  public:
    // Without a renderer the panel keeps its logic and draws nothing.
    explicit OverlayPanel(Renderer* renderer) : renderer_(renderer) { widgets_.reserve(16); }

    // Creates a widget owned by the panel, last in the focus order.
    template <class W, class... Args> W& add(Args&&... args) {
        auto w = std::make_unique<W>(*this, std::forward<Args>(args)...);
        W& ref = *w;
        widgets_.push_back(std::move(w));
        return ref;
    }

    int handleKey(const platform::WindowMessage& msg);
    void draw();

    void setFocus(int index);
    void focusNext();
    void focusPrevious();
    void focusFirst() { setFocus(0); }
    void focusLast() { setFocus(int(widgets_.size()) - 1); }

    int focusIndex() const { return focus_; }
    std::size_t size() const { return widgets_.size(); }
    OverlayWidget& widget(std::size_t i) { return *widgets_[i]; }
    Renderer* renderer() const { return renderer_; }

    // Focus moves past the ends only with this set (never in this program).
    bool wrap = false;

  private:
    void moveFocus(int index);

    Renderer* renderer_;
    std::vector<std::unique_ptr<OverlayWidget>> widgets_;
    int focus_ = 0;
};

} // namespace gv
