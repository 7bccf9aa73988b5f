#pragma once
// The window's message queue and the pump's choice of what comes next.
// Pointer moves are merged as the window system they imitate merges them: a
// move that follows another move (with nothing but messages for the hidden
// windows between them) replaces it, so the latest position wins and a burst
// of moves costs one frame, while a button or key between two moves keeps
// its place. A move that is only the echo of the program's own pointer warp
// never enters the queue. Due timers do not wait behind input.
#include "platform/messages.h"

#include <cstddef>
#include <cstdint>
#include <deque>

namespace gv::platform {

class MessageQueue {
  public:
    // Appends a message; a pointer move may instead replace the last one.
    void post(const WindowMessage& message);
    // A pointer move of the program's window, at screen position (x, y):
    // dropped when it is the echo of the last warp, else posted.
    void postPointerMove(const WindowMessage& move, int screenX, int screenY);
    // The program put the pointer at screen position (x, y); the window
    // system reports that as a move, which is not the user's.
    void pointerWarped(int screenX, int screenY);

    bool take(WindowMessage& out);
    bool waitingFor(uint64_t window) const;
    bool empty() const { return messages_.empty(); }
    std::size_t size() const { return messages_.size(); }

  private:
    std::deque<WindowMessage> messages_;
    bool warpPending_ = false;
    int warpX_ = 0, warpY_ = 0;
};

// The next message for the frame at tick now: a due timer first, unless a
// message for the timer's own window waits (a time-out is never judged before
// the news it would judge), then the queue's front, then any due timer.
bool takeNextMessage(MessageQueue& queue, uint32_t now, WindowMessage& out);

} // namespace gv::platform
