#include "platform/message_window.h"

#include "platform/tick_count.h"

#include <map>
#include <utility>
#include <vector>

namespace gv::platform {

namespace {

struct Registration {
    MessageWindow::Procedure procedure;
    void* property;
};

struct Timer {
    WindowHandle window;
    uint32_t id;
    uint32_t period;
    uint32_t start; // tick of the period's start
};

struct Windows {
    WindowHandle next = 1;
    std::map<WindowHandle, Registration> registered;
    std::vector<Timer> timers;
};

// Never destroyed: windows owned by process-wide objects may outlive the
// static objects of this file.
Windows& windows() {
    static Windows& w = *new Windows;
    return w;
}

} // namespace

std::unique_ptr<MessageWindow> MessageWindow::create(const std::string& className,
                                                     Procedure procedure, void* property) {
    if (!procedure) return nullptr;
    Windows& w = windows();
    const WindowHandle handle = w.next++;
    w.registered[handle] = {procedure, property};
    return std::unique_ptr<MessageWindow>(new MessageWindow(className, handle));
}

MessageWindow::~MessageWindow() {
    Windows& w = windows();
    w.registered.erase(handle_);
    std::erase_if(w.timers, [this](const Timer& t) { return t.window == handle_; });
}

bool dispatchToMessageWindow(const WindowMessage& message) {
    if (message.window == 0) return false;
    auto& registered = windows().registered;
    const auto found = registered.find(message.window);
    if (found != registered.end()) {
        const Registration r = found->second;
        r.procedure(r.property, message);
    }
    return true;
}

void setTimer(WindowHandle window, uint32_t id, uint32_t periodMs) {
    auto& timers = windows().timers;
    const uint32_t now = tickCount();
    for (Timer& t : timers)
        if (t.window == window && t.id == id) {
            t.period = periodMs;
            t.start = now;
            return;
        }
    timers.push_back({window, id, periodMs, now});
}

void killTimer(WindowHandle window, uint32_t id) {
    std::erase_if(windows().timers,
                  [&](const Timer& t) { return t.window == window && t.id == id; });
}

namespace {

// The timer due first at tick now: the one that is latest.
Timer* firstDueTimer(uint32_t now) {
    Timer* due = nullptr;
    uint32_t dueLate = 0;
    for (Timer& t : windows().timers) {
        // Unsigned differences: a tick counter that wraps keeps working.
        const uint32_t elapsed = now - t.start;
        if (elapsed < t.period || elapsed > 0x7FFFFFFFu) continue;
        const uint32_t late = elapsed - t.period;
        if (!due || late > dueLate) {
            due = &t;
            dueLate = late;
        }
    }
    return due;
}

} // namespace

bool dueTimerWindow(uint32_t now, WindowHandle& window) {
    const Timer* due = firstDueTimer(now);
    if (!due) return false;
    window = due->window;
    return true;
}

bool takeDueTimer(uint32_t now, WindowMessage& out) {
    Timer* due = firstDueTimer(now);
    if (!due) return false;
    due->start = now;
    out = {WM_TIMER, due->id, 0, due->window};
    return true;
}

} // namespace gv::platform
