#pragma once
// Fetches one resource over HTTP/1.1, plain or over TLS, into a file without
// ever blocking the frame loop: every step arrives as a window message
// (net_client.h, the "http" window's timers). Redirects are followed a few
// times. The body is kept aside and put in place of the destination only
// when the whole of it has arrived.
#include "net/http_response_parser.h"
#include "net/http_url.h"
#include "platform/message_window.h"
#include "platform/network/async_socket.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace gv {

class NetClient;

class HttpDownload {
  public:
    // States reported to the owner.
    static constexpr uint32_t kIdle = 0;        // idle, or the download succeeded
    static constexpr uint32_t kConnecting = 1;  // resolving the host and connecting
    static constexpr uint32_t kRequestSent = 2; // waiting for the response
    static constexpr uint32_t kReceiving = 3;   // writing the body
    static constexpr uint32_t kFailed = 4;

    // Texts longer than these are refused at start (the host and path
    // together must stay within kRequestTextLimit).
    static constexpr std::size_t kTextLimit = 259;
    static constexpr std::size_t kRequestTextLimit = 464;

    // No data for this long fails the download, before the response as after,
    // on every hop of its redirects.
    static constexpr uint32_t kIdleLimitMs = 60000;
    // Nor may a whole download, its redirects included, take longer than this.
    static constexpr uint32_t kTotalLimitMs = 600000;
    // Redirects followed; one more fails the download.
    static constexpr int kRedirectLimit = 5;

    // Called on every state change and after every write, with the bytes
    // written so far. The owner may start the next download from inside the
    // report of the end (kIdle or kFailed).
    using Callback = void (*)(HttpDownload& client, uint32_t user, uint32_t state, uint32_t bytes);

    // None when the callback is missing or the "http" window cannot be had.
    static std::unique_ptr<HttpDownload> create(Callback callback, uint32_t user);
    // Ends a running download without reporting it.
    ~HttpDownload();
    HttpDownload(const HttpDownload&) = delete;
    HttpDownload& operator=(const HttpDownload&) = delete;

    // Starts fetching path from host ("name", "name:port", "[v6]:port", any
    // of them after "https://" or "http://") into destination. False while
    // busy, when a text is too long or unusable in a request, or when the
    // host lookup cannot be started.
    bool start(const std::string& host, const std::string& path, const std::string& destination);
    // The same for an address already made (one that a download ended at).
    bool start(const HttpUrl& url, const std::string& destination);

    // Other limits than the ones above, from the next start on.
    void setTimeLimits(uint32_t idleMs, uint32_t totalMs) {
        idleLimitMs_ = idleMs;
        totalLimitMs_ = totalMs;
    }

    bool busy() const { return busy_; }
    uint32_t state() const { return state_; }
    uint32_t bytesWritten() const { return bytes_; }
    // Why the last download failed, for the log.
    const std::string& failure() const { return failure_; }
    // The address the last download asked last: where its redirects led.
    const HttpUrl& address() const { return url_; }

    // The request sent for url.
    static std::string requestText(const HttpUrl& url);
    // Whether url may be asked for: its texts within the request's limits.
    static bool requestable(const HttpUrl& url);
    // Where the body is kept until it is complete.
    static std::string partialPath(const std::string& destination) { return destination + ".part"; }

  private:
    static constexpr uint32_t kIdleTimer = 1;
    static constexpr uint32_t kTotalTimer = 2;

    HttpDownload(Callback callback, uint32_t user);
    static void procedure(void* self, const platform::WindowMessage& m);
    static void netEvent(void* self, uint32_t event, int error);
    void onConnected();
    void onData();
    void onClosed(int error);
    // Opens the connection for url_; false when it cannot be started.
    bool connect();
    // Goes on to where a redirect points, or fails the download.
    void redirect();
    // The text for the log of a connection's error number.
    std::string connectionError(int error) const;
    // Passes received bytes through the parser to the file; false once the
    // download has ended.
    bool take(std::span<const uint8_t> bytes);
    void setState(uint32_t state);
    void finish(bool success, const std::string& why);
    void release(bool keepPartial);
    void retireConnection();

    Callback callback_;
    uint32_t user_;
    std::unique_ptr<platform::MessageWindow> window_;
    // One name lookup at a time for all the client's connections; it goes
    // after them.
    platform::HostLookups lookups_;
    std::unique_ptr<NetClient> net_;
    // Connections given up inside their own reports, freed by a message.
    std::vector<std::unique_ptr<NetClient>> retired_;
    HttpResponseParser parser_;
    HttpUrl url_;
    // Every address asked for in this download, the first first.
    std::vector<HttpUrl> visited_;
    std::string destination_;
    std::FILE* file_ = nullptr;
    uint32_t idleLimitMs_ = kIdleLimitMs;
    uint32_t totalLimitMs_ = kTotalLimitMs;
    bool busy_ = false;
    uint32_t state_ = kIdle;
    uint32_t bytes_ = 0;
    std::string failure_;
};

} // namespace gv
