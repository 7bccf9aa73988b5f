#include "platform/network/socket_watch.h"

#include "platform/network/host_resolver_internal.h"
#include "platform/window.h"

namespace gv::platform {

namespace {

void post(const WatchedSocket& w, uint32_t event, int error) {
    if (w.events & event)
        postMessage({w.message, w.socket, socketEventParam(event, error), w.window});
}

void postRead(WatchedSocket& w) {
    // Once until the owner receives again, as Windows reports it.
    if (w.readPending) return;
    w.readPending = true;
    post(w, kSocketRead, 0);
}

void react(WatchedSocket& w, const Readiness& r) {
    if (w.connecting) {
        if (!r.writable && !r.broken) return;
        const int error = takeSocketError(w.socket);
        w.connecting = false;
        post(w, kSocketConnect, error);
        if (error != 0)
            w.finished = true;
        else
            post(w, kSocketWrite, 0);
        return;
    }
    if (r.readable || r.broken) {
        if (socketBytesWaiting(w.socket) > 0) {
            postRead(w);
        } else {
            // Readable with nothing waiting: the end of the stream, or an
            // error such as a reset.
            int error = r.broken ? takeSocketError(w.socket) : 0;
            if (error == 0) {
                const int peeked = peekSocket(w.socket);
                if (peeked > 0) {
                    postRead(w); // bytes came between the two looks
                    return;
                }
                if (peeked == -kSocketWouldBlock) return;
                error = -peeked;
            }
            w.finished = true;
            post(w, kSocketClose, error);
            return;
        }
    }
    if (w.writeWanted && r.writable) {
        w.writeWanted = false;
        post(w, kSocketWrite, 0);
    }
}

} // namespace

std::vector<WatchedSocket>& watchedSockets() {
    static std::vector<WatchedSocket>& w = *new std::vector<WatchedSocket>;
    return w;
}

WatchedSocket* findWatched(SocketHandle socket) {
    for (WatchedSocket& w : watchedSockets())
        if (w.socket == socket) return &w;
    return nullptr;
}

void forgetWatched(SocketHandle socket) {
    std::erase_if(watchedSockets(),
                  [socket](const WatchedSocket& w) { return w.socket == socket; });
}

void watchThroughPump() {
    addMessageSource(pollNetworkEvents);
}

bool selectSocketEvents(SocketHandle socket, WindowHandle window, uint32_t message,
                        uint32_t events) {
    if (socket == kNoSocket) return false;
    watchThroughPump();
    WatchedSocket* w = findWatched(socket);
    if (!w) {
        watchedSockets().push_back({});
        w = &watchedSockets().back();
        w->socket = socket;
    }
    w->window = window;
    w->message = message;
    w->events = events;
    return true;
}

void pollWatchedSockets() {
    std::vector<WatchedSocket>& all = watchedSockets();
    std::vector<Readiness> asked;
    for (const WatchedSocket& w : all) {
        if (w.finished) continue;
        Readiness r;
        r.socket = w.socket;
        r.wantRead = !w.connecting;
        r.wantWrite = w.connecting || w.writeWanted;
        asked.push_back(r);
    }
    if (asked.empty() || !pollReadiness(asked)) return;
    for (const Readiness& r : asked)
        if (WatchedSocket* w = findWatched(r.socket)) react(*w, r);
}

void pollNetworkEvents() {
    pollWatchedSockets();
    deliverFinishedResolutions();
}

} // namespace gv::platform
