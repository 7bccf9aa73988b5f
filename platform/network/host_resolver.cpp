// Host-name resolution without blocking the frame loop: getaddrinfo runs on a
// helper thread of its own, and only its result crosses back, under a lock,
// to be posted as a message by the pump on the main thread.
#include "platform/network/async_socket.h"
#include "platform/network/host_resolver_internal.h"
#include "platform/network/socket_watch.h"
#include "platform/window.h"

#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <sys/socket.h>
#endif

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace gv::platform {

namespace {

struct Job {
    uint64_t id = 0;
    WindowHandle window = 0;
    uint32_t message = 0;
    std::string host;
    uint16_t port = 0;
    // Written by the helper thread, read by the main thread, under the lock.
    bool done = false;
    int error = 0;
    std::vector<SocketAddress> addresses;
};

struct Resolver {
    std::mutex mutex;
    uint64_t next = 1;
    std::vector<std::shared_ptr<Job>> running;
    std::map<uint64_t, std::vector<SocketAddress>> finished;
};

// Never destroyed: a helper thread still waiting on a slow name server when
// the program ends must find the lock where it was.
Resolver& resolver() {
    static Resolver& r = *new Resolver;
    return r;
}

int lookupError(int code) {
    switch (code) {
    case EAI_AGAIN:
        return kHostTryAgain;
    case EAI_NONAME:
    case EAI_FAIL:
#if defined(EAI_NODATA) && EAI_NODATA != EAI_NONAME
    case EAI_NODATA:
#endif
        return kHostNotFound;
    default:
        return kSocketOtherError;
    }
}

void lookUp(Job& job, int& error, std::vector<SocketAddress>& found) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    const std::string service = std::to_string(job.port);
    addrinfo* list = nullptr;
    const int code = getaddrinfo(job.host.c_str(), service.c_str(), &hints, &list);
    if (code != 0) {
        error = lookupError(code);
        return;
    }
    for (const addrinfo* a = list; a; a = a->ai_next) {
        if ((a->ai_family != AF_INET && a->ai_family != AF_INET6) || !a->ai_addr) continue;
        SocketAddress address;
        if (std::size_t(a->ai_addrlen) > sizeof address.bytes) continue;
        address.length = uint32_t(a->ai_addrlen);
        std::memcpy(address.bytes, a->ai_addr, a->ai_addrlen);
        found.push_back(address);
    }
    freeaddrinfo(list);
    error = found.empty() ? kHostNotFound : 0;
}

} // namespace

std::string addressText(const SocketAddress& address) {
    char host[64] = {}, port[8] = {};
    if (address.length == 0 ||
        getnameinfo(reinterpret_cast<const sockaddr*>(address.bytes), socklen_t(address.length),
                    host, sizeof host, port, sizeof port, NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return "?";
    const bool v6 = std::strchr(host, ':') != nullptr;
    return (v6 ? "[" + std::string(host) + "]" : std::string(host)) + ":" + port;
}

uint64_t resolveHostAsync(WindowHandle window, uint32_t message, const std::string& host,
                          uint16_t port) {
    if (host.empty()) return 0;
    watchThroughPump();
    Resolver& r = resolver();
    auto job = std::make_shared<Job>();
    job->window = window;
    job->message = message;
    job->host = host;
    job->port = port;
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        job->id = r.next++;
        r.running.push_back(job);
    }
    try {
        std::thread([job] {
            int error = 0;
            std::vector<SocketAddress> found;
            lookUp(*job, error, found);
            std::lock_guard<std::mutex> lock(resolver().mutex);
            job->error = error;
            job->addresses = std::move(found);
            job->done = true;
        }).detach();
    } catch (const std::system_error&) {
        std::lock_guard<std::mutex> lock(r.mutex);
        std::erase(r.running, job);
        return 0;
    }
    return job->id;
}

std::vector<SocketAddress> takeResolvedAddresses(uint64_t request) {
    Resolver& r = resolver();
    std::lock_guard<std::mutex> lock(r.mutex);
    const auto found = r.finished.find(request);
    if (found == r.finished.end()) return {};
    std::vector<SocketAddress> addresses = std::move(found->second);
    r.finished.erase(found);
    return addresses;
}

void cancelResolve(uint64_t request) {
    Resolver& r = resolver();
    std::lock_guard<std::mutex> lock(r.mutex);
    std::erase_if(r.running, [request](const std::shared_ptr<Job>& j) { return j->id == request; });
    r.finished.erase(request);
}

void deliverFinishedResolutions() {
    Resolver& r = resolver();
    std::vector<WindowMessage> completions;
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        for (auto it = r.running.begin(); it != r.running.end();) {
            Job& job = **it;
            if (!job.done) {
                ++it;
                continue;
            }
            r.finished[job.id] = std::move(job.addresses);
            completions.push_back(
                {job.message, job.id, socketEventParam(0, job.error), job.window});
            it = r.running.erase(it);
        }
    }
    for (const WindowMessage& m : completions)
        postMessage(m);
}

} // namespace gv::platform
