#include "locations/label_declutter.h"

#include <algorithm>

namespace gv {

bool boxesOverlap(const LabelBox& a, const LabelBox& b, float margin) {
    return a.left < b.right + margin && b.left < a.right + margin && a.top < b.bottom + margin &&
           b.top < a.bottom + margin;
}

void LabelDeclutter::beginFrame(std::size_t slots, uint32_t elapsedMs) {
    if (states_.size() < slots) states_.resize(slots);
    for (State& s : states_) {
        // A label out (or not offered) keeps counting; one shown starts
        // counting only once it goes.
        if (!s.shown && s.outMs < kMarginMs) s.outMs = std::min(kMarginMs, s.outMs + elapsedMs);
        s.offered = false;
    }
    order_.clear();
}

void LabelDeclutter::offer(std::size_t slot, uint32_t key, float w, const LabelBox& box) {
    if (slot >= states_.size()) return;
    State& s = states_[slot];
    if (s.known && s.key != key) s = State{};
    s.key = key;
    s.w = w;
    s.box = box;
    s.offered = true;
    order_.push_back(uint32_t(slot));
}

void LabelDeclutter::place() {
    std::sort(order_.begin(), order_.end(), [this](uint32_t a, uint32_t b) {
        const float wa = states_[a].w, wb = states_[b].w;
        return wa != wb ? wa < wb : a < b;
    });
    placed_.clear();
    for (uint32_t slot : order_) {
        State& s = states_[slot];
        // A label that was out comes back only with room to spare; one that
        // was shown (or is new) stays while it keeps the gap.
        const bool returning = s.known && !s.shown;
        bool room = !returning || s.outMs >= kReturnDelayMs;
        const float margin = returning && s.outMs < kMarginMs ? kReturnMargin : kGap;
        for (std::size_t i = 0; room && i < placed_.size(); ++i)
            room = !boxesOverlap(s.box, placed_[i], margin);
        if (room) {
            placed_.push_back(s.box);
            s.outMs = 0;
        }
        s.shown = room;
        s.known = true;
    }
    // Labels not offered this frame (behind the globe) are out.
    for (State& s : states_)
        if (!s.offered && s.shown) {
            s.shown = false;
            s.outMs = 0;
        }
}

void LabelDeclutter::reset() {
    for (State& s : states_)
        s = State{};
    order_.clear();
    placed_.clear();
}

} // namespace gv
