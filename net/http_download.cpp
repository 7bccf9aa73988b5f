#include "net/http_download.h"

#include "core/log.h"
#include "net/net_client.h"
#include "platform/atomic_file.h"
#include "platform/window.h"

#include <algorithm>

namespace gv {

using namespace platform;

namespace {

// Frees the connections given up since the last one, outside their own
// message handling.
constexpr uint32_t kReleaseMessage = WM_USER + 20;

} // namespace

HttpDownload::HttpDownload(Callback callback, uint32_t user) : callback_(callback), user_(user) {}

std::unique_ptr<HttpDownload> HttpDownload::create(Callback callback, uint32_t user) {
    if (!callback) return nullptr;
    std::unique_ptr<HttpDownload> client(new HttpDownload(callback, user));
    client->window_ = MessageWindow::create("http", procedure, client.get());
    if (!client->window_) return nullptr;
    return client;
}

HttpDownload::~HttpDownload() {
    if (busy_) release(false);
}

std::string HttpDownload::requestText(const HttpUrl& url) {
    return "GET " + url.target + " HTTP/1.1\r\nUser-Agent: QuorvaneA1\r\nHost: " + url.hostField() +
           "\r\nConnection: close\r\n\r\n";
}

bool HttpDownload::requestable(const HttpUrl& url) {
    const std::size_t host = url.hostField().size();
    return host <= kTextLimit && url.target.size() <= kTextLimit &&
           host + url.target.size() <= kRequestTextLimit;
}

bool HttpDownload::start(const std::string& host, const std::string& path,
                         const std::string& destination) {
    if (busy_) return false;
    if (host.size() > kTextLimit || path.size() > kTextLimit ||
        host.size() + path.size() > kRequestTextLimit)
        return false;
    const std::optional<HttpUrl> url = makeHttpUrl(host, path);
    return url && start(*url, destination);
}

bool HttpDownload::start(const HttpUrl& url, const std::string& destination) {
    if (busy_ || destination.size() > kTextLimit || destination.empty() || !requestable(url))
        return false;
    url_ = url;
    if (!connect()) return false;
    visited_.assign(1, url_);
    destination_ = destination;
    failure_.clear();
    bytes_ = 0;
    busy_ = true;
    setTimer(window_->handle(), kTotalTimer, totalLimitMs_);
    setState(kConnecting);
    return true;
}

bool HttpDownload::connect() {
    std::unique_ptr<NetClient> net = NetClient::create(netEvent, this, lookups_);
    if (!net || !net->start(url_.host, url_.port, url_.secure)) return false;
    net_ = std::move(net);
    parser_ = HttpResponseParser();
    setTimer(window_->handle(), kIdleTimer, idleLimitMs_);
    return true;
}

std::string HttpDownload::connectionError(int error) const {
    if (error == kTlsFailure && net_) return "TLS: " + net_->tlsFailure();
    return socketErrorText(error);
}

void HttpDownload::redirect() {
    const std::string location = parser_.location();
    const std::optional<HttpUrl> next = resolveLocation(url_, location);
    if (!next) {
        finish(false, "redirect to an unusable location \"" + location + "\"");
        return;
    }
    const std::string why = url_.secure && !next->secure ? "redirect from https to http refused"
                            : std::find(visited_.begin(), visited_.end(), *next) != visited_.end()
                                ? "redirect loop"
                            : int(visited_.size()) > kRedirectLimit
                                ? "more than " + std::to_string(kRedirectLimit) + " redirects"
                            : !requestable(*next) ? "redirect location too long"
                                                  : "";
    if (!why.empty()) {
        finish(false, why + " (to " + next->text() + ")");
        return;
    }
    logWrite("HTTP GET %s: status %d, redirected to %s\n", url_.text().c_str(), parser_.status(),
             next->text().c_str());
    // The old connection goes; the new one starts its own wait for data,
    // within the whole download's time.
    retireConnection();
    url_ = *next;
    visited_.push_back(url_);
    if (!connect()) {
        finish(false, "cannot connect to " + url_.text());
        return;
    }
    setState(kConnecting);
}

void HttpDownload::setState(uint32_t state) {
    state_ = state;
    callback_(*this, user_, state_, bytes_);
}

void HttpDownload::procedure(void* self, const WindowMessage& m) {
    auto* client = static_cast<HttpDownload*>(self);
    if (m.message == kReleaseMessage) {
        client->retired_.clear();
        return;
    }
    if (m.message != WM_TIMER || !client->busy_) return;
    if (m.wParam == kIdleTimer)
        client->finish(false, client->state_ <= kRequestSent ? "no answer in time"
                                                             : "no data for too long");
    else if (m.wParam == kTotalTimer)
        client->finish(false, "the download took too long");
}

void HttpDownload::netEvent(void* self, uint32_t event, int error) {
    auto* client = static_cast<HttpDownload*>(self);
    if (!client->busy_) return;
    if (event == NetClient::kConnected)
        client->onConnected();
    else if (event == NetClient::kDataAvailable)
        client->onData();
    else if (event == NetClient::kClosed)
        client->onClosed(error);
}

void HttpDownload::onConnected() {
    if (state_ != kConnecting) return;
    net_->send(requestText(url_));
    setState(kRequestSent);
}

void HttpDownload::onData() {
    if (state_ != kRequestSent && state_ != kReceiving) return;
    for (;;) {
        int error = 0;
        const long n = net_->receive(&error);
        if (n < 0) {
            finish(false, error == kTlsConnectionCut
                              ? connectionError(error)
                              : "connection broken: " + connectionError(error));
            return;
        }
        if (n == 0) return; // the next read event, or the close, goes on
        // Data again: the time without data starts afresh.
        setTimer(window_->handle(), kIdleTimer, idleLimitMs_);
        if (!take(net_->received())) return;
    }
}

bool HttpDownload::take(std::span<const uint8_t> bytes) {
    std::vector<uint8_t> body;
    const HttpResponseParser::Result result = parser_.feed(bytes, body);
    if (result == HttpResponseParser::Result::Redirect) {
        redirect();
        return false;
    }
    if (result == HttpResponseParser::Result::Failed) {
        // Whatever body came before the fault goes with the partial file.
        finish(false, parser_.failure());
        return false;
    }
    const bool starting = !file_ && parser_.inBody();
    if (starting) {
        file_ = std::fopen(partialPath(destination_).c_str(), "wb+");
        if (!file_) {
            finish(false, "cannot write " + partialPath(destination_));
            return false;
        }
    }
    if (!body.empty()) {
        if (std::fwrite(body.data(), 1, body.size(), file_) != body.size()) {
            finish(false, "cannot write " + partialPath(destination_));
            return false;
        }
        bytes_ += uint32_t(body.size());
    }
    if (starting)
        setState(kReceiving);
    else if (!body.empty())
        callback_(*this, user_, state_, bytes_);
    if (result == HttpResponseParser::Result::Complete) {
        // Ends here even when the server keeps the connection open.
        finish(true, "");
        return false;
    }
    return true;
}

void HttpDownload::onClosed(int error) {
    if (error != 0) {
        finish(false, connectionError(error));
        return;
    }
    if (parser_.finish() == HttpResponseParser::Result::Complete)
        finish(true, "");
    else
        finish(false, parser_.failure());
}

void HttpDownload::retireConnection() {
    // Stopped now, destroyed from the message loop: this may run inside one
    // of the connection's own callbacks.
    net_->stop();
    retired_.push_back(std::move(net_));
    postMessage({kReleaseMessage, 0, 0, window_->handle()});
}

void HttpDownload::release(bool keepPartial) {
    killTimer(window_->handle(), kIdleTimer);
    killTimer(window_->handle(), kTotalTimer);
    bool closed = true;
    // A body that takes its file's place is on the disk before the rename.
    if (file_ && keepPartial) closed = flushFileToDisk(file_);
    if (file_) closed = std::fclose(file_) == 0 && closed;
    file_ = nullptr;
    if (net_) retireConnection();
    if (!keepPartial || !closed) std::remove(partialPath(destination_).c_str());
    busy_ = false;
}

void HttpDownload::finish(bool success, const std::string& why) {
    const bool wrote = file_ != nullptr;
    release(success);
    std::string reason = why;
    if (success) {
        // A body that could not be closed cleanly was removed by release.
        if (!wrote || !moveFileReplacing(partialPath(destination_), destination_)) {
            std::remove(partialPath(destination_).c_str());
            success = false;
            reason = "cannot replace " + destination_;
        }
    }
    failure_ = success ? "" : reason;
    if (success)
        logWrite("HTTP GET %s: %u bytes\n", url_.text().c_str(), unsigned(bytes_));
    else
        logWrite("HTTP GET %s failed: %s\n", url_.text().c_str(), failure_.c_str());
    setState(success ? kIdle : kFailed);
}

} // namespace gv
