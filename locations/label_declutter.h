#pragma once
// "LOCATIONS LABELS DECLUTTER": which labels of a frame are drawn so that no
// label covers another. Labels are placed nearest to the camera first; one
// that would overlap a label already placed is left out (its marker stays).
// A left-out label comes back only once it has been out for a second and,
// for its first seconds out, clears every placed label by a wider margin, so
// that a slowly turning view never makes a label blink, and a view that
// stands still shows every label that fits.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace gv {

// A label's screen rectangle, pixels, right and bottom exclusive.
struct LabelBox {
    float left = 0, top = 0, right = 0, bottom = 0;
};
// True when the boxes share more than an edge once each is grown by margin.
bool boxesOverlap(const LabelBox& a, const LabelBox& b, float margin);

class LabelDeclutter {
  public:
    // Labels keep this many pixels apart, so that two never read as one...
    static constexpr float kGap = 2.0f;
    // ...a label out must have been out this long before it is drawn again...
    static constexpr uint32_t kReturnDelayMs = 1000;
    // ...and until it has been out this long, clear the placed labels by
    // this many pixels.
    static constexpr uint32_t kMarginMs = 3000;
    static constexpr float kReturnMargin = 8.0f;

    // A new frame of `slots` labels (a place's position in the selection),
    // elapsedMs after the last. Nothing is allocated once the lists have
    // grown to the largest selection.
    void beginFrame(std::size_t slots, uint32_t elapsedMs);
    // A label the frame would draw; `key` names its place, so that a slot
    // given to another place starts afresh. w: the projected w (larger is
    // farther). Slots not offered this frame count as out.
    void offer(std::size_t slot, uint32_t key, float w, const LabelBox& box);
    // Places the offered labels; then shown() answers for each slot.
    void place();
    bool shown(std::size_t slot) const { return slot < states_.size() && states_[slot].shown; }
    // Forgets every label (the option turned off): the next frame starts
    // as the first.
    void reset();

  private:
    struct State {
        uint32_t key = 0;
        uint32_t outMs = 0; // how long it has been out
        bool known = false; // seen in an earlier frame
        bool shown = false;
        bool offered = false;
        float w = 0;
        LabelBox box;
    };
    std::vector<State> states_;
    std::vector<uint32_t> order_;
    std::vector<LabelBox> placed_;
};

} // namespace gv
