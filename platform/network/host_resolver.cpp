// Host-name resolution without blocking the frame loop: getaddrinfo runs on a
// helper thread, one per owner at a time, and only its result crosses back,
// under a lock, to be posted as a message by the pump on the main thread.
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

#include <atomic>
#include <cstring>
#include <deque>
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
    const void* owner = nullptr; // the HostLookups' line
    // Written by the helper thread, read by the main thread, under the lock.
    bool done = false;
    int error = 0;
    std::vector<SocketAddress> addresses;
};

struct Resolver {
    std::mutex mutex;
    uint64_t next = 1;
    // Asked for and not cancelled: waiting, being looked up, or done and not
    // yet reported.
    std::vector<std::shared_ptr<Job>> running;
    std::map<uint64_t, std::vector<SocketAddress>> finished;
};

// Never destroyed: a helper thread still waiting on a slow name server when
// the program ends must find the lock where it was.
Resolver& resolver() {
    static Resolver& r = *new Resolver;
    return r;
}

std::atomic<HostLookupHook> gHook{nullptr};

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

void lookUp(const Job& job, int& error, std::vector<SocketAddress>& found) {
    if (const HostLookupHook hook = gHook.load()) {
        error = hook(job.host, job.port, found);
        return;
    }
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

// The lookups of one owner: those waiting for the one in progress, in order.
// The helper thread holds it too, so the owner may go while a lookup runs.
struct HostLookups::Line {
    std::deque<std::shared_ptr<Job>> waiting;
    bool busy = false; // a helper thread is looking a name up
};

namespace {

// The helper thread: looks up job, then whatever waits behind it, and ends
// when nothing does.
void serveLine(std::shared_ptr<HostLookups::Line> line, std::shared_ptr<Job> job) {
    while (job) {
        int error = 0;
        std::vector<SocketAddress> found;
        lookUp(*job, error, found);
        std::lock_guard<std::mutex> lock(resolver().mutex);
        job->error = error;
        job->addresses = std::move(found);
        job->done = true;
        job.reset();
        if (!line->waiting.empty()) {
            job = std::move(line->waiting.front());
            line->waiting.pop_front();
        } else {
            line->busy = false;
        }
    }
}

} // namespace

void setHostLookupHook(HostLookupHook hook) {
    gHook.store(hook);
}

HostLookups::HostLookups() : line_(std::make_shared<Line>()) {}

HostLookups::~HostLookups() {
    Resolver& r = resolver();
    std::lock_guard<std::mutex> lock(r.mutex);
    std::erase_if(r.running,
                  [this](const std::shared_ptr<Job>& j) { return j->owner == line_.get(); });
    line_->waiting.clear();
}

uint64_t HostLookups::resolve(WindowHandle window, uint32_t message, const std::string& host,
                              uint16_t port) {
    if (host.empty()) return 0;
    watchThroughPump();
    Resolver& r = resolver();
    auto job = std::make_shared<Job>();
    job->window = window;
    job->message = message;
    job->host = host;
    job->port = port;
    job->owner = line_.get();
    std::lock_guard<std::mutex> lock(r.mutex);
    job->id = r.next++;
    if (line_->busy) {
        // Behind the lookup in progress, cancelled or not.
        line_->waiting.push_back(job);
        r.running.push_back(job);
        return job->id;
    }
    try {
        std::thread(serveLine, line_, job).detach();
    } catch (const std::system_error&) {
        return 0;
    }
    line_->busy = true;
    r.running.push_back(job);
    return job->id;
}

void HostLookups::cancel(uint64_t request) {
    Resolver& r = resolver();
    std::lock_guard<std::mutex> lock(r.mutex);
    const auto same = [request](const std::shared_ptr<Job>& j) { return j->id == request; };
    std::erase_if(r.running, same);
    std::erase_if(line_->waiting, same);
    r.finished.erase(request);
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
