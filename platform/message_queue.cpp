#include "platform/message_queue.h"

#include "platform/message_window.h"

namespace gv::platform {

void MessageQueue::post(const WindowMessage& message) {
    if (message.message == WM_MOUSEMOVE && message.window == 0) {
        // The newest message of the program's window decides: a move is
        // brought up to date, anything else keeps the new move behind it.
        for (auto it = messages_.rbegin(); it != messages_.rend(); ++it) {
            if (it->window != 0) continue;
            if (it->message != WM_MOUSEMOVE) break;
            it->wParam = message.wParam;
            it->lParam = message.lParam;
            return;
        }
    }
    messages_.push_back(message);
}

void MessageQueue::postPointerMove(const WindowMessage& move, int screenX, int screenY) {
    if (warpPending_ && screenX == warpX_ && screenY == warpY_) {
        warpPending_ = false;
        return;
    }
    post(move);
}

void MessageQueue::pointerWarped(int screenX, int screenY) {
    warpPending_ = true;
    warpX_ = screenX;
    warpY_ = screenY;
}

bool MessageQueue::take(WindowMessage& out) {
    if (messages_.empty()) return false;
    out = messages_.front();
    messages_.pop_front();
    return true;
}

bool MessageQueue::waitingFor(uint64_t window) const {
    for (const WindowMessage& m : messages_)
        if (m.window == window) return true;
    return false;
}

bool takeNextMessage(MessageQueue& queue, uint32_t now, WindowMessage& out) {
    WindowHandle timerWindow = 0;
    if (dueTimerWindow(now, timerWindow) && !queue.waitingFor(timerWindow))
        return takeDueTimer(now, out);
    if (queue.take(out)) return true;
    return takeDueTimer(now, out);
}

} // namespace gv::platform
