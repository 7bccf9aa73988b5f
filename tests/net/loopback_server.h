#pragma once
// A scripted HTTP server on a loopback port the kernel picks, for the tests of
// the download: each connection reads one request (keeping its raw bytes) and
// then plays the next reply's steps. POSIX sockets on the test's own thread.
#include "platform/message_window.h"
#include "platform/window.h"
#include "tests/support/loopback_listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace gv::test {

struct Step {
    enum Kind { Send, Pause, Reset, Hold } kind = Send;
    std::string bytes;
    int ms = 0;
};
inline Step send(std::string bytes) {
    return {Step::Send, std::move(bytes), 0};
}
inline Step pause(int ms) {
    return {Step::Pause, {}, ms};
}
// Ends the connection with a reset instead of a close.
inline Step reset() {
    return {Step::Reset, {}, 0};
}
// Keeps the connection open until the client closes it.
inline Step hold() {
    return {Step::Hold, {}, 0};
}
using Reply = std::vector<Step>;

class LoopbackServer {
  public:
    explicit LoopbackServer(std::vector<Reply> replies, int family = AF_INET)
        : replies_(std::move(replies)) {
        listener_ = listenOnLoopback(family, port_);
        thread_ = std::thread([this] { serve(); });
    }
    ~LoopbackServer() {
        stop_ = true;
        thread_.join();
        close(listener_);
    }
    uint16_t port() const { return port_; }
    // Replies that name the server's own port are given once it is known.
    void setReplies(std::vector<Reply> replies) {
        std::lock_guard<std::mutex> lock(mutex_);
        replies_ = std::move(replies);
    }
    // The raw bytes of every request so far, one per connection.
    std::vector<std::string> requests() {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }
    // Connections whose reply has been played to its end.
    int served() const { return served_; }

  private:
    bool waitReadable(int fd, int ms) {
        pollfd p{fd, POLLIN, 0};
        return poll(&p, 1, ms) > 0;
    }

    void serve() {
        for (std::size_t next = 0; !stop_;) {
            if (!waitReadable(listener_, 20)) continue;
            const int peer = accept(listener_, nullptr, nullptr);
            if (peer < 0) continue;
            std::string request;
            // The request up to its blank line, and whatever follows it
            // closely (a stray byte after the request would show here).
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (!stop_ && std::chrono::steady_clock::now() < end) {
                const bool complete = request.find("\r\n\r\n") != std::string::npos;
                if (!waitReadable(peer, complete ? 50 : 20)) {
                    if (complete) break;
                    continue;
                }
                char buffer[4096];
                const ssize_t n = recv(peer, buffer, sizeof buffer, 0);
                if (n <= 0) break;
                request.append(buffer, std::size_t(n));
            }
            {
                std::lock_guard<std::mutex> lock(mutex_);
                requests_.push_back(request);
            }
            Reply reply;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (next < replies_.size()) reply = replies_[next];
            }
            play(peer, reply);
            ++next;
            ++served_;
        }
    }

    void play(int peer, const Reply& reply) {
        for (const Step& step : reply) {
            if (stop_) break;
            switch (step.kind) {
            case Step::Send:
                ::send(peer, step.bytes.data(), step.bytes.size(), MSG_NOSIGNAL);
                break;
            case Step::Pause:
                for (int waited = 0; waited < step.ms && !stop_; waited += 10)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                break;
            case Step::Reset: {
                linger l{1, 0};
                setsockopt(peer, SOL_SOCKET, SO_LINGER, &l, sizeof l);
                close(peer);
                return;
            }
            case Step::Hold:
                while (!stop_) {
                    if (waitReadable(peer, 20)) {
                        char c;
                        if (recv(peer, &c, 1, 0) <= 0) break;
                    }
                }
                break;
            }
        }
        close(peer);
    }

    std::vector<Reply> replies_;
    int listener_ = -1;
    uint16_t port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> served_{0};
    std::mutex mutex_;
    std::vector<std::string> requests_;
};

// Runs the frame loop's pump until pred holds or the time has passed.
inline bool pumpUntil(const std::function<bool()>& pred, int ms = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return false;
        platform::WindowMessage m;
        if (platform::peekMessage(m))
            platform::dispatchToMessageWindow(m);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace gv::test
