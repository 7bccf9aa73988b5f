#include "platform/message_window.h"
#include "platform/tick_count.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <vector>

namespace gv::platform {
namespace {

struct Received {
    std::vector<WindowMessage> messages;
    static void procedure(void* property, const WindowMessage& m) {
        static_cast<Received*>(property)->messages.push_back(m);
    }
};

TEST(MessageWindow, MessagesReachTheirWindowAndOnlyWhileItLives) {
    Received a, b;
    auto wa = MessageWindow::create("first", Received::procedure, &a);
    auto wb = MessageWindow::create("second", Received::procedure, &b);
    ASSERT_TRUE(wa && wb);
    EXPECT_NE(wa->handle(), wb->handle());
    EXPECT_NE(wa->handle(), 0u);
    EXPECT_EQ(wa->className(), "first");

    EXPECT_TRUE(dispatchToMessageWindow({WM_USER + 10, 7, 8, wb->handle()}));
    ASSERT_EQ(b.messages.size(), 1u);
    EXPECT_TRUE(a.messages.empty());
    EXPECT_EQ(b.messages[0].message, WM_USER + 10);
    EXPECT_EQ(b.messages[0].wParam, 7u);
    EXPECT_EQ(b.messages[0].lParam, 8);

    // The program's own window is the caller's to dispatch.
    EXPECT_FALSE(dispatchToMessageWindow({WM_KEYDOWN, 0, 0, 0}));

    // A message still waiting for a window that is gone is dropped.
    const WindowHandle gone = wb->handle();
    wb.reset();
    EXPECT_TRUE(dispatchToMessageWindow({WM_USER, 0, 0, gone}));
    EXPECT_EQ(b.messages.size(), 1u);
}

TEST(MessageWindow, TimersFireEachPeriodFromTheirStartAndStopWhenKilled) {
    Received r;
    auto w = MessageWindow::create("timer", Received::procedure, &r);
    const uint32_t t0 = tickCount();
    setTimer(w->handle(), 1, 1000);
    setTimer(w->handle(), 2, 5000);
    WindowMessage m;
    // Before a period has passed nothing is due (the tick may have moved on
    // by a few milliseconds since the timer was set).
    EXPECT_FALSE(takeDueTimer(t0 + 900, m));
    ASSERT_TRUE(takeDueTimer(t0 + 1500, m));
    EXPECT_EQ(m.message, WM_TIMER);
    EXPECT_EQ(m.wParam, 1u);
    EXPECT_EQ(m.window, w->handle());
    // The next period starts when it fired.
    EXPECT_FALSE(takeDueTimer(t0 + 2400, m));
    ASSERT_TRUE(takeDueTimer(t0 + 2600, m));
    EXPECT_EQ(m.wParam, 1u);

    // Both due: the one that is later than the other comes first.
    ASSERT_TRUE(takeDueTimer(t0 + 6000, m));
    EXPECT_EQ(m.wParam, 1u); // due at 3600, 2400 late
    ASSERT_TRUE(takeDueTimer(t0 + 6000, m));
    EXPECT_EQ(m.wParam, 2u);
    EXPECT_FALSE(takeDueTimer(t0 + 6000, m));

    // Setting it again restarts the period from now; killing it silences it.
    const uint32_t t1 = tickCount();
    setTimer(w->handle(), 1, 1000);
    EXPECT_FALSE(takeDueTimer(t1 + 999, m));
    ASSERT_TRUE(takeDueTimer(t1 + 1500, m));
    EXPECT_EQ(m.wParam, 1u);
    killTimer(w->handle(), 1);
    killTimer(w->handle(), 2);
    EXPECT_FALSE(takeDueTimer(t1 + 100000, m));
}

TEST(MessageWindow, ADestroyedWindowLeavesNoTimerBehind) {
    Received r;
    auto w = MessageWindow::create("timer", Received::procedure, &r);
    setTimer(w->handle(), 1, 10);
    w.reset();
    WindowMessage m;
    EXPECT_FALSE(takeDueTimer(tickCount() + 1000, m));
}

TEST(MessageWindow, ThePumpHandsOutPostedMessagesBeforeTimers) {
    Received r;
    auto w = MessageWindow::create("timer", Received::procedure, &r);
    setTimer(w->handle(), 9, 0);
    postMessage({WM_USER + 1, 0, 0, w->handle()});
    WindowMessage m;
    ASSERT_TRUE(peekMessage(m));
    EXPECT_EQ(m.message, WM_USER + 1u);
    ASSERT_TRUE(peekMessage(m));
    EXPECT_EQ(m.message, WM_TIMER);
    EXPECT_EQ(m.wParam, 9u);
    killTimer(w->handle(), 9);
    EXPECT_FALSE(peekMessage(m));
}

} // namespace
} // namespace gv::platform
