// The socket layer against real loopback listeners: the events arrive as
// messages through the pump, in the order and number the owners rely on.
#include "platform/network/async_socket.h"
#include "platform/window.h"
#include "tests/support/loopback_listener.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace gv::platform {
namespace {

constexpr uint32_t kSocketMessage = WM_USER + 10;
constexpr uint32_t kResolvedMessage = WM_USER + 11;

struct Inbox {
    std::vector<WindowMessage> messages;
    static void procedure(void* property, const WindowMessage& m) {
        static_cast<Inbox*>(property)->messages.push_back(m);
    }
    // Pumps until pred holds or the time has passed.
    bool pumpUntil(const std::function<bool()>& pred, int ms = 2000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!pred()) {
            if (std::chrono::steady_clock::now() > end) return false;
            WindowMessage m;
            if (peekMessage(m))
                dispatchToMessageWindow(m);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    // The socket events seen so far, in order.
    std::vector<uint32_t> events() const {
        std::vector<uint32_t> e;
        for (const WindowMessage& m : messages)
            if (m.message == kSocketMessage) e.push_back(socketEvent(m.lParam));
        return e;
    }
    // Everything that arrives within a short while.
    void pumpAWhile() {
        pumpUntil([] { return false; }, 100);
    }
    bool has(uint32_t event) const {
        for (uint32_t e : events())
            if (e == event) return true;
        return false;
    }
    int errorOf(uint32_t event) const {
        for (const WindowMessage& m : messages)
            if (m.message == kSocketMessage && socketEvent(m.lParam) == event)
                return socketEventError(m.lParam);
        return -1;
    }
};

// A loopback listener of the test's own, on a port the kernel picks.
class Listener {
  public:
    explicit Listener(int family) { fd_ = test::listenOnLoopback(family, port_); }
    ~Listener() {
        if (peer_ >= 0) close(peer_);
        close(fd_);
    }
    uint16_t port() const { return port_; }
    int accept() {
        peer_ = ::accept(fd_, nullptr, nullptr);
        return peer_;
    }
    void send(const std::string& text) {
        ASSERT_EQ(::send(peer_, text.data(), text.size(), 0), ssize_t(text.size()));
    }
    std::string receive() {
        char buffer[256];
        const ssize_t n = recv(peer_, buffer, sizeof buffer, 0);
        return n > 0 ? std::string(buffer, std::size_t(n)) : std::string();
    }
    void closePeer() {
        close(peer_);
        peer_ = -1;
    }
    // Ends the connection with a reset rather than an orderly close.
    void resetPeer() {
        linger l{1, 0};
        setsockopt(peer_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
        closePeer();
    }
    void closeListener() {
        close(fd_);
        fd_ = -1;
    }

  private:
    int fd_ = -1;
    int peer_ = -1;
    uint16_t port_ = 0;
};

SocketAddress resolveNow(Inbox& inbox, WindowHandle window, const std::string& host, uint16_t port,
                         int* error = nullptr) {
    HostLookups lookups;
    const uint64_t request = lookups.resolve(window, kResolvedMessage, host, port);
    EXPECT_NE(request, 0u);
    inbox.messages.clear();
    EXPECT_TRUE(inbox.pumpUntil([&] { return !inbox.messages.empty(); }));
    SocketAddress none;
    if (inbox.messages.empty()) return none;
    const WindowMessage m = inbox.messages.back();
    EXPECT_EQ(m.message, kResolvedMessage);
    EXPECT_EQ(m.wParam, request);
    if (error) *error = socketEventError(m.lParam);
    const auto found = takeResolvedAddresses(request);
    // Taken once.
    EXPECT_TRUE(takeResolvedAddresses(request).empty());
    return found.empty() ? none : found.front();
}

TEST(HostResolver, AddressLiteralsOfBothFamiliesAndAMissingName) {
    Inbox inbox;
    auto w = MessageWindow::create("netclient", Inbox::procedure, &inbox);
    int error = -1;
    EXPECT_EQ(addressText(resolveNow(inbox, w->handle(), "127.0.0.1", 8080, &error)),
              "127.0.0.1:8080");
    EXPECT_EQ(error, 0);
    EXPECT_EQ(addressText(resolveNow(inbox, w->handle(), "::1", 80, &error)), "[::1]:80");
    EXPECT_EQ(error, 0);
    const std::string local = addressText(resolveNow(inbox, w->handle(), "localhost", 81, &error));
    EXPECT_TRUE(local == "127.0.0.1:81" || local == "[::1]:81") << local;
    EXPECT_EQ(error, 0);

    const SocketAddress none = resolveNow(inbox, w->handle(), "no-such-host.invalid", 80, &error);
    EXPECT_EQ(none.length, 0u);
    EXPECT_TRUE(error == kHostNotFound || error == kHostTryAgain) << error;

    HostLookups lookups;
    EXPECT_EQ(lookups.resolve(w->handle(), kResolvedMessage, "", 80), 0u);
}

TEST(HostResolver, ACancelledLookupIsNeverReported) {
    Inbox inbox;
    auto w = MessageWindow::create("netclient", Inbox::procedure, &inbox);
    HostLookups lookups;
    const uint64_t request = lookups.resolve(w->handle(), kResolvedMessage, "127.0.0.1", 80);
    lookups.cancel(request);
    const uint64_t second = lookups.resolve(w->handle(), kResolvedMessage, "127.0.0.2", 80);
    ASSERT_TRUE(inbox.pumpUntil([&] { return !inbox.messages.empty(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    inbox.pumpAWhile();
    ASSERT_EQ(inbox.messages.size(), 1u);
    EXPECT_EQ(inbox.messages[0].wParam, second);
    EXPECT_TRUE(takeResolvedAddresses(request).empty());
}

// A name server that answers only when the test says so, counting the
// lookups in progress at once.
struct SlowNameServer {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    int inProgress = 0, most = 0, asked = 0;
    std::vector<std::string> order;
};
SlowNameServer* gNames = nullptr;

int slowLookup(const std::string& host, uint16_t port, std::vector<SocketAddress>& found) {
    SlowNameServer& n = *gNames;
    std::unique_lock<std::mutex> lock(n.mutex);
    ++n.asked;
    n.most = std::max(n.most, ++n.inProgress);
    n.order.push_back(host);
    n.changed.notify_all();
    n.changed.wait_for(lock, std::chrono::seconds(10), [&] { return n.open; });
    --n.inProgress;
    n.changed.notify_all();
    lock.unlock();
    SocketAddress a;
    sockaddr_in in{};
    in.sin_family = AF_INET;
    in.sin_port = htons(port);
    in.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.length = sizeof in;
    std::memcpy(a.bytes, &in, sizeof in);
    found.push_back(a);
    return 0;
}

TEST(HostResolver, OneLookupAtATimePerOwnerAndNoneWaitedFor) {
    SlowNameServer names;
    gNames = &names;
    setHostLookupHook(slowLookup);
    Inbox inbox;
    auto w = MessageWindow::create("netclient", Inbox::procedure, &inbox);
    auto lookups = std::make_unique<HostLookups>();
    const auto waitFor = [&](const std::function<bool()>& pred) {
        std::unique_lock<std::mutex> lock(names.mutex);
        return names.changed.wait_for(lock, std::chrono::seconds(5), pred);
    };

    // A lookup that hangs, given up: the cancel comes back at once, with the
    // lookup still in progress.
    const uint64_t stuck = lookups->resolve(w->handle(), kResolvedMessage, "stuck.test", 80);
    ASSERT_TRUE(waitFor([&] { return names.inProgress == 1; }));
    lookups->cancel(stuck);
    // Tries again, many times (a download that keeps failing): each waits
    // behind the one in progress instead of starting a thread of its own.
    uint64_t last = 0;
    for (int i = 0; i < 20; ++i) {
        if (last != 0) lookups->cancel(last);
        last = lookups->resolve(w->handle(), kResolvedMessage,
                                "again" + std::to_string(i) + ".test", 80);
        ASSERT_NE(last, 0u);
    }
    inbox.pumpAWhile();
    {
        std::lock_guard<std::mutex> lock(names.mutex);
        EXPECT_EQ(names.inProgress, 1);
        EXPECT_EQ(names.asked, 1);
    }
    EXPECT_TRUE(inbox.messages.empty());

    // Another owner is not held up by this one's.
    HostLookups other;
    const uint64_t elsewhere = other.resolve(w->handle(), kResolvedMessage, "other.test", 81);
    ASSERT_TRUE(waitFor([&] { return names.inProgress == 2; }));

    // The name server answers: the cancelled lookups stay unreported, the
    // last one asked follows the one in progress, one at a time.
    {
        std::lock_guard<std::mutex> lock(names.mutex);
        names.open = true;
        names.changed.notify_all();
    }
    ASSERT_TRUE(inbox.pumpUntil([&] { return inbox.messages.size() == 2; }));
    inbox.pumpAWhile();
    ASSERT_EQ(inbox.messages.size(), 2u);
    std::vector<uint64_t> reported = {inbox.messages[0].wParam, inbox.messages[1].wParam};
    std::sort(reported.begin(), reported.end());
    EXPECT_EQ(reported,
              (std::vector<uint64_t>{std::min(last, elsewhere), std::max(last, elsewhere)}));
    EXPECT_EQ(addressText(takeResolvedAddresses(last).at(0)), "127.0.0.1:80");
    {
        std::lock_guard<std::mutex> lock(names.mutex);
        EXPECT_EQ(names.asked, 3);
        EXPECT_EQ(names.most, 2); // this owner's one and the other owner's
        EXPECT_EQ(names.order.front(), "stuck.test");
        EXPECT_EQ(std::count(names.order.begin(), names.order.end(), "again19.test"), 1);
    }

    // An owner that goes while its lookup hangs does not wait for it, and
    // its lookup is never reported.
    {
        std::lock_guard<std::mutex> lock(names.mutex);
        names.open = false;
    }
    inbox.messages.clear();
    lookups->resolve(w->handle(), kResolvedMessage, "gone.test", 80);
    ASSERT_TRUE(waitFor([&] { return names.inProgress == 1; }));
    lookups.reset();
    {
        std::lock_guard<std::mutex> lock(names.mutex);
        EXPECT_EQ(names.inProgress, 1);
        names.open = true;
        names.changed.notify_all();
    }
    ASSERT_TRUE(waitFor([&] { return names.inProgress == 0; }));
    inbox.pumpAWhile();
    EXPECT_TRUE(inbox.messages.empty());
    setHostLookupHook(nullptr);
    gNames = nullptr;
}

struct Connection {
    Inbox inbox;
    std::unique_ptr<MessageWindow> window =
        MessageWindow::create("netclient", Inbox::procedure, &inbox);
    SocketHandle socket = kNoSocket;

    int connectTo(Listener& listener, const std::string& host) {
        const SocketAddress a = resolveNow(inbox, window->handle(), host, listener.port());
        inbox.messages.clear();
        socket = openStreamSocket(a);
        EXPECT_NE(socket, kNoSocket);
        EXPECT_TRUE(selectSocketEvents(socket, window->handle(), kSocketMessage,
                                       kSocketRead | kSocketWrite | kSocketConnect | kSocketClose));
        return connectSocket(socket, a);
    }
    ~Connection() { closeSocket(socket); }
};

TEST(AsyncSocket, ConnectReadAndOrderlyCloseOverIPv4AndIPv6) {
    for (int family : {AF_INET, AF_INET6}) {
        Listener listener(family);
        ASSERT_NE(listener.port(), 0);
        Connection c;
        const int started = c.connectTo(listener, family == AF_INET ? "127.0.0.1" : "::1");
        EXPECT_TRUE(started == 0 || started == kSocketWouldBlock) << started;
        ASSERT_TRUE(c.inbox.pumpUntil([&] { return c.inbox.has(kSocketWrite); }));
        EXPECT_EQ(c.inbox.events(), (std::vector<uint32_t>{kSocketConnect, kSocketWrite}));
        EXPECT_EQ(c.inbox.errorOf(kSocketConnect), 0);
        EXPECT_EQ(c.inbox.messages[0].wParam, c.socket);
        ASSERT_GE(listener.accept(), 0);

        int error = 0;
        EXPECT_EQ(sendSocket(c.socket, "GET", 3, &error), 3);

        // Two batches before the owner reads: one read event, not two.
        listener.send("hello ");
        ASSERT_TRUE(c.inbox.pumpUntil([&] { return c.inbox.has(kSocketRead); }));
        listener.send("world");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        c.inbox.pumpAWhile();
        EXPECT_EQ(c.inbox.events().size(), 3u);
        EXPECT_EQ(socketBytesWaiting(c.socket), 11u);

        char buffer[64];
        EXPECT_EQ(receiveSocket(c.socket, buffer, 6, &error), 6);
        EXPECT_EQ(std::string(buffer, 6), "hello ");
        // Bytes still wait after the receive: the read event comes again.
        ASSERT_TRUE(c.inbox.pumpUntil([&] { return c.inbox.events().size() == 4; }));
        EXPECT_EQ(c.inbox.events().back(), kSocketRead);
        EXPECT_EQ(receiveSocket(c.socket, buffer, sizeof buffer, &error), 5);
        EXPECT_EQ(receiveSocket(c.socket, buffer, sizeof buffer, &error), -1);
        EXPECT_EQ(error, kSocketWouldBlock);

        // (A peer that closes with our bytes unread resets the connection.)
        EXPECT_EQ(listener.receive(), "GET");
        listener.closePeer();
        ASSERT_TRUE(c.inbox.pumpUntil([&] { return c.inbox.has(kSocketClose); }));
        EXPECT_EQ(c.inbox.errorOf(kSocketClose), 0);
        EXPECT_EQ(receiveSocket(c.socket, buffer, sizeof buffer, &error), 0);
        // The close is reported once.
        c.inbox.pumpAWhile();
        EXPECT_EQ(c.inbox.events().size(), 5u);
    }
}

TEST(AsyncSocket, TheCloseWaitsUntilEveryByteHasBeenRead) {
    Listener listener(AF_INET);
    Connection c;
    c.connectTo(listener, "127.0.0.1");
    ASSERT_GE(listener.accept(), 0);
    listener.send("last words");
    listener.closePeer();
    ASSERT_TRUE(c.inbox.pumpUntil([&] { return c.inbox.has(kSocketRead); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    c.inbox.pumpAWhile();
    EXPECT_FALSE(c.inbox.has(kSocketClose));
    char buffer[64];
    int error = 0;
    EXPECT_EQ(receiveSocket(c.socket, buffer, sizeof buffer, &error), 10);
    ASSERT_TRUE(c.inbox.pumpUntil([&] { return c.inbox.has(kSocketClose); }));
    EXPECT_EQ(c.inbox.errorOf(kSocketClose), 0);
}

TEST(AsyncSocket, ARefusedConnectAndAResetAreReportedWithTheirErrors) {
    uint16_t port = 0;
    {
        Listener gone(AF_INET);
        port = gone.port();
    }
    Inbox inbox;
    auto w = MessageWindow::create("netclient", Inbox::procedure, &inbox);
    const SocketAddress a = resolveNow(inbox, w->handle(), "127.0.0.1", port);
    inbox.messages.clear();
    const SocketHandle s = openStreamSocket(a);
    selectSocketEvents(s, w->handle(), kSocketMessage, kSocketConnect | kSocketClose | kSocketRead);
    const int started = connectSocket(s, a);
    if (started == kSocketWouldBlock) {
        ASSERT_TRUE(inbox.pumpUntil([&] { return inbox.has(kSocketConnect); }));
        EXPECT_EQ(inbox.errorOf(kSocketConnect), kSocketConnectionRefused);
    } else {
        EXPECT_EQ(started, kSocketConnectionRefused);
    }
    closeSocket(s);

    Listener listener(AF_INET);
    Connection c;
    c.connectTo(listener, "127.0.0.1");
    ASSERT_GE(listener.accept(), 0);
    ASSERT_TRUE(c.inbox.pumpUntil([&] { return c.inbox.has(kSocketConnect); }));
    listener.resetPeer();
    ASSERT_TRUE(c.inbox.pumpUntil([&] { return c.inbox.has(kSocketClose); }));
    EXPECT_EQ(c.inbox.errorOf(kSocketClose), kSocketConnectionReset);
}

TEST(AsyncSocket, AClosedSocketReportsNothingMore) {
    Listener listener(AF_INET);
    Connection c;
    c.connectTo(listener, "127.0.0.1");
    ASSERT_GE(listener.accept(), 0);
    ASSERT_TRUE(c.inbox.pumpUntil([&] { return c.inbox.has(kSocketWrite); }));
    closeSocket(c.socket);
    c.socket = kNoSocket;
    c.inbox.messages.clear();
    listener.send("late");
    listener.closePeer();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    c.inbox.pumpAWhile();
    EXPECT_TRUE(c.inbox.events().empty());
}

} // namespace
} // namespace gv::platform
