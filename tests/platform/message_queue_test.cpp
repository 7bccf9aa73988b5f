#include "platform/message_queue.h"
#include "platform/message_window.h"
#include "platform/tick_count.h"

#include <gtest/gtest.h>

#include <vector>

namespace gv::platform {
namespace {

WindowMessage move(int x, int y, uint64_t buttons = MK_LBUTTON) {
    return {WM_MOUSEMOVE, buttons, makePointParam(x, y)};
}

std::vector<WindowMessage> drain(MessageQueue& q) {
    std::vector<WindowMessage> out;
    WindowMessage m;
    while (q.take(m))
        out.push_back(m);
    return out;
}

void expectMoveTo(const WindowMessage& m, int x, int y) {
    EXPECT_EQ(m.message, WM_MOUSEMOVE);
    EXPECT_EQ(pointParamX(m.lParam), x);
    EXPECT_EQ(pointParamY(m.lParam), y);
}

TEST(MessageQueue, ConsecutiveMovesBecomeOneAtTheLatestPositionAndButtons) {
    MessageQueue q;
    q.post(move(10, 10));
    q.post(move(20, 25));
    q.post(move(-3, 700, 0)); // the button let go meanwhile
    const auto got = drain(q);
    ASSERT_EQ(got.size(), 1u);
    expectMoveTo(got[0], -3, 700);
    EXPECT_EQ(got[0].wParam, 0u);
}

TEST(MessageQueue, ButtonsAndKeysBetweenMovesKeepTheirPlace) {
    MessageQueue q;
    q.post(move(1, 1, 0));
    q.post({WM_LBUTTONDOWN, MK_LBUTTON, makePointParam(1, 1)});
    q.post(move(2, 2));
    q.post(move(3, 3));
    q.post({WM_KEYDOWN, VK_ESCAPE, 1});
    q.post(move(4, 4));
    q.post({WM_LBUTTONUP, 0, makePointParam(4, 4)});
    q.post(move(5, 5, 0));
    const auto got = drain(q);
    ASSERT_EQ(got.size(), 7u);
    expectMoveTo(got[0], 1, 1);
    EXPECT_EQ(got[1].message, WM_LBUTTONDOWN);
    expectMoveTo(got[2], 3, 3);
    EXPECT_EQ(got[3].message, WM_KEYDOWN);
    EXPECT_EQ(got[3].wParam, VK_ESCAPE);
    expectMoveTo(got[4], 4, 4);
    EXPECT_EQ(got[5].message, WM_LBUTTONUP);
    expectMoveTo(got[6], 5, 5);
}

TEST(MessageQueue, NewsForHiddenWindowsDoesNotSplitAMoveBurst) {
    MessageQueue q;
    q.post(move(1, 1));
    q.post({WM_USER + 3, 7, 0, 42}); // a socket's readiness
    q.post(move(9, 9));
    const auto got = drain(q);
    ASSERT_EQ(got.size(), 2u);
    expectMoveTo(got[0], 9, 9);
    EXPECT_EQ(got[1].window, 42u);
    // The hidden windows' own messages are never merged.
    q.post({WM_USER + 3, 1, 0, 42});
    q.post({WM_USER + 3, 2, 0, 42});
    EXPECT_EQ(drain(q).size(), 2u);
}

TEST(MessageQueue, AMoveBurstDelaysAKeyByOneMessageOnly) {
    // 500 moves of a drag and then Escape, all waiting at once: one message
    // per frame reaches Escape at the second frame.
    MessageQueue q;
    q.post({WM_LBUTTONDOWN, MK_LBUTTON, makePointParam(640, 360)});
    WindowMessage m;
    ASSERT_TRUE(q.take(m));
    for (int i = 0; i < 500; ++i)
        q.post(move(600 + i % 80, 300 + i % 50));
    q.post({WM_KEYDOWN, VK_ESCAPE, 1});
    ASSERT_TRUE(q.take(m));
    EXPECT_EQ(m.message, WM_MOUSEMOVE);
    ASSERT_TRUE(q.take(m));
    EXPECT_EQ(m.message, WM_KEYDOWN);
}

TEST(MessageQueue, TheEchoOfAWarpIsDroppedOnceAndOtherMovesPass) {
    MessageQueue q;
    q.pointerWarped(640, 360);
    // A move the user made before the warp took effect still counts.
    q.postPointerMove(move(7, 8), 650, 370);
    q.postPointerMove(move(0, 0), 640, 360); // the warp's own report
    auto got = drain(q);
    ASSERT_EQ(got.size(), 1u);
    expectMoveTo(got[0], 7, 8);
    // Only one echo per warp: the user coming back to that point later is a move.
    q.postPointerMove(move(0, 0), 640, 360);
    got = drain(q);
    ASSERT_EQ(got.size(), 1u);
    // A later warp elsewhere drops its own echo, not the old point's.
    q.pointerWarped(100, 50);
    q.postPointerMove(move(1, 1), 640, 360);
    q.postPointerMove(move(2, 2), 100, 50);
    got = drain(q);
    ASSERT_EQ(got.size(), 1u);
    expectMoveTo(got[0], 1, 1);
}

struct Received {
    static void procedure(void*, const WindowMessage&) {}
};

TEST(MessageQueue, ADueTimerDoesNotWaitBehindInput) {
    auto w = MessageWindow::create("timeouts", Received::procedure, nullptr);
    const uint32_t t0 = tickCount();
    setTimer(w->handle(), 5, 1000);
    MessageQueue q;
    q.post(move(1, 1));
    q.post({WM_KEYDOWN, VK_F1, 1});
    WindowMessage m;
    // Not due yet: the input comes first.
    ASSERT_TRUE(takeNextMessage(q, t0 + 10, m));
    EXPECT_EQ(m.message, WM_MOUSEMOVE);
    // Due: the timer overtakes the key that waits.
    ASSERT_TRUE(takeNextMessage(q, t0 + 1500, m));
    EXPECT_EQ(m.message, WM_TIMER);
    EXPECT_EQ(m.wParam, 5u);
    EXPECT_EQ(m.window, w->handle());
    ASSERT_TRUE(takeNextMessage(q, t0 + 1500, m));
    EXPECT_EQ(m.message, WM_KEYDOWN);
    EXPECT_FALSE(takeNextMessage(q, t0 + 1500, m));
    killTimer(w->handle(), 5);
}

TEST(MessageQueue, ATimerWaitsForNewsAddressedToItsOwnWindow) {
    auto w = MessageWindow::create("download", Received::procedure, nullptr);
    auto other = MessageWindow::create("other", Received::procedure, nullptr);
    const uint32_t t0 = tickCount();
    setTimer(w->handle(), 1, 100);
    MessageQueue q;
    q.post({WM_KEYDOWN, VK_F1, 1});
    q.post({WM_USER + 1, 0, 0, other->handle()});
    q.post({WM_USER + 2, 0, 0, w->handle()}); // data that arrived in time
    WindowMessage m;
    std::vector<uint32_t> order;
    while (takeNextMessage(q, t0 + 500, m))
        order.push_back(m.message);
    EXPECT_EQ(order, (std::vector<uint32_t>{WM_KEYDOWN, WM_USER + 1, WM_USER + 2, WM_TIMER}));
    killTimer(w->handle(), 1);
}

} // namespace
} // namespace gv::platform
