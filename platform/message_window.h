#pragma once
// Hidden windows that only receive messages: the network layer's socket and
// name-resolution completions and window timers reach their owners through
// them, by way of the frame loop's one message pump, so that all of it runs
// on the main thread between frames.
#include "platform/messages.h"

#include <cstdint>
#include <memory>
#include <string>

namespace gv::platform {

using WindowHandle = uint64_t;

class MessageWindow {
  public:
    using Procedure = void (*)(void* property, const WindowMessage& message);

    // A window of the named class whose messages go to procedure, called with
    // the property the owner attached (the owner itself).
    static std::unique_ptr<MessageWindow> create(const std::string& className, Procedure procedure,
                                                 void* property);
    // Destroying the window forgets its timers; messages still waiting for it
    // are dropped when they come up.
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    WindowHandle handle() const { return handle_; }
    const std::string& className() const { return className_; }

  private:
    MessageWindow(std::string className, WindowHandle handle)
        : className_(std::move(className)), handle_(handle) {}
    std::string className_;
    WindowHandle handle_;
};

// Delivers a message addressed to a hidden window; false for messages of the
// program's own window (window 0), which the caller dispatches itself.
bool dispatchToMessageWindow(const WindowMessage& message);

// Timer id of window: a WM_TIMER with wParam = id every periodMs until killed.
// Setting a running timer again starts its period afresh.
void setTimer(WindowHandle window, uint32_t id, uint32_t periodMs);
void killTimer(WindowHandle window, uint32_t id);

// The pump's side: the WM_TIMER of the timer that is due first at tick now,
// its next period started. Timers are never queued, so a killed timer never
// fires late.
bool takeDueTimer(uint32_t now, WindowMessage& out);
// The window of the timer that takeDueTimer would hand out; false when none
// is due.
bool dueTimerWindow(uint32_t now, WindowHandle& window);

} // namespace gv::platform
