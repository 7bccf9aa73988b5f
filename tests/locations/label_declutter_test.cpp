// Which labels declutter keeps: nearest first, none overlapping, and no
// blinking while the view turns slowly.
#include "locations/label_declutter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace gv {
namespace {

LabelBox boxAt(float x, float y, float w = 60.0f, float h = 14.0f) {
    return {x, y, x + w, y + h};
}

TEST(LabelBoxes, OverlapNeedsSharedAreaAndTheMarginWidensIt) {
    EXPECT_TRUE(boxesOverlap(boxAt(0, 0), boxAt(59, 13), 0));
    EXPECT_FALSE(boxesOverlap(boxAt(0, 0), boxAt(60, 0), 0)) << "side by side";
    EXPECT_FALSE(boxesOverlap(boxAt(0, 0), boxAt(0, 14), 0)) << "one above the other";
    EXPECT_TRUE(boxesOverlap(boxAt(0, 0), boxAt(65, 0), 6)) << "5 px apart, 6 needed";
    EXPECT_FALSE(boxesOverlap(boxAt(0, 0), boxAt(66, 0), 6));
    EXPECT_TRUE(boxesOverlap(boxAt(66, 0), boxAt(0, 0), 6.5f)) << "either order";
}

TEST(LabelDeclutter, TheNearestOfAKnotIsKeptWhateverTheOrderOffered) {
    LabelDeclutter d;
    d.beginFrame(4, 20);
    // Far, middle and near labels on one spot; a fourth apart from them.
    d.offer(0, 10, 300.0f, boxAt(100, 100));
    d.offer(1, 11, 250.0f, boxAt(110, 104));
    d.offer(2, 12, 200.0f, boxAt(120, 108));
    d.offer(3, 13, 310.0f, boxAt(400, 100));
    d.place();
    EXPECT_FALSE(d.shown(0));
    EXPECT_FALSE(d.shown(1));
    EXPECT_TRUE(d.shown(2));
    EXPECT_TRUE(d.shown(3)) << "overlaps nothing, however far";
    // A chain: the middle one goes, so the far one has room again.
    LabelDeclutter chain;
    chain.beginFrame(3, 20);
    chain.offer(0, 1, 100.0f, boxAt(0, 0));
    chain.offer(1, 2, 110.0f, boxAt(50, 0));
    chain.offer(2, 3, 120.0f, boxAt(100, 0));
    chain.place();
    EXPECT_TRUE(chain.shown(0));
    EXPECT_FALSE(chain.shown(1));
    EXPECT_TRUE(chain.shown(2));
}

TEST(LabelDeclutter, ALabelLeftOutComesBackWithAMarginAndAfterASecond) {
    LabelDeclutter d;
    auto frame = [&](float farX, uint32_t ms) {
        d.beginFrame(2, ms);
        d.offer(0, 1, 100.0f, boxAt(0, 0));
        d.offer(1, 2, 200.0f, boxAt(farX, 0));
        d.place();
        return d.shown(1);
    };
    EXPECT_FALSE(frame(50.0f, 20));
    // Clear of the near label, but by less than the margin: still out...
    EXPECT_FALSE(frame(66.0f, 1500));
    EXPECT_FALSE(frame(66.0f, 1400));
    // ...until it has been out three seconds: then the gap will do.
    EXPECT_TRUE(frame(66.0f, 100));
    // Clear by more than the margin, yet only 20 ms after it was out...
    LabelDeclutter fresh;
    d = fresh;
    EXPECT_FALSE(frame(50.0f, 20));
    EXPECT_FALSE(frame(69.0f, 20));
    for (int i = 0; i < 47; ++i)
        EXPECT_FALSE(frame(69.0f, 20)) << "frame " << i;
    // ...and back once a second has passed.
    EXPECT_TRUE(frame(69.0f, 20));
    // A label shown stays shown while it keeps two pixels' gap.
    EXPECT_TRUE(frame(62.0f, 20));
    EXPECT_FALSE(frame(61.5f, 20));
}

TEST(LabelDeclutter, ASlotTakenByAnotherPlaceAndAForgottenStateStartAfresh) {
    LabelDeclutter d;
    d.beginFrame(2, 20);
    d.offer(0, 1, 100.0f, boxAt(0, 0));
    d.offer(1, 2, 200.0f, boxAt(10, 0));
    d.place();
    ASSERT_FALSE(d.shown(1));
    // Another place in slot 1, clear of the first: no wait.
    d.beginFrame(2, 20);
    d.offer(0, 1, 100.0f, boxAt(0, 0));
    d.offer(1, 3, 200.0f, boxAt(200, 0));
    d.place();
    EXPECT_TRUE(d.shown(1));
    // A label not offered (gone behind the globe) is out.
    d.beginFrame(2, 20);
    d.offer(0, 1, 100.0f, boxAt(0, 0));
    d.place();
    EXPECT_FALSE(d.shown(1));
    // Reset: the option off and on again places as on the first frame.
    d.offer(1, 2, 200.0f, boxAt(10, 0));
    d.reset();
    d.beginFrame(2, 20);
    d.offer(0, 1, 100.0f, boxAt(300, 0));
    d.offer(1, 2, 200.0f, boxAt(0, 0));
    d.place();
    EXPECT_TRUE(d.shown(0));
    EXPECT_TRUE(d.shown(1));
}

// Labels drifting past each other as an orbit camera turns, with the
// sub-pixel wobble of a real projection: for ten seconds at 50 frames a
// second no drawn labels overlap, and no label goes from shown to out more
// than once in any second.
TEST(LabelDeclutter, ASlowTurnNeverOverlapsAndNeverBlinks) {
    constexpr int kLabels = 6, kFrames = 500;
    constexpr uint32_t kFrameMs = 20;
    LabelDeclutter d;
    std::vector<std::vector<int>> goneAt(kLabels);
    std::vector<bool> was(kLabels, false);
    for (int f = 0; f < kFrames; ++f) {
        d.beginFrame(kLabels, kFrameMs);
        LabelBox boxes[kLabels];
        for (int i = 0; i < kLabels; ++i) {
            // Each drifts at its own slow speed (3 to 8 px a second) and
            // wobbles by up to a pixel; their depths cross now and then.
            const float t = float(f) * 0.02f;
            const float x = 40.0f * float(i) + (3.0f + float(i)) * t * (i % 2 ? 1.0f : -1.0f) +
                            std::sin(float(f) * 1.7f + float(i)) * 1.0f;
            const float y = 100.0f + 3.0f * float(i % 3);
            boxes[i] = boxAt(x, y);
            const float w = 300.0f + 5.0f * std::sin(t * 0.5f + float(i));
            d.offer(std::size_t(i), uint32_t(i), w, boxes[i]);
        }
        d.place();
        for (int i = 0; i < kLabels; ++i) {
            const bool now = d.shown(std::size_t(i));
            if (was[std::size_t(i)] && !now) goneAt[std::size_t(i)].push_back(f);
            was[std::size_t(i)] = now;
            for (int j = 0; j < i && now; ++j) {
                if (d.shown(std::size_t(j))) {
                    EXPECT_FALSE(boxesOverlap(boxes[i], boxes[j], 0))
                        << "labels " << j << " and " << i << " at frame " << f;
                }
            }
        }
    }
    int shownAtEnd = 0;
    for (int i = 0; i < kLabels; ++i) {
        const auto& gone = goneAt[std::size_t(i)];
        for (std::size_t k = 1; k < gone.size(); ++k)
            EXPECT_GE(uint32_t(gone[k] - gone[k - 1]) * kFrameMs, LabelDeclutter::kReturnDelayMs)
                << "label " << i << " went twice within a second";
        shownAtEnd += was[std::size_t(i)];
    }
    EXPECT_GE(shownAtEnd, 1);
}

} // namespace
} // namespace gv
