#include "clouds/http_download.h"

#include "clouds/net_client.h"
#include "clouds/server_address.h"
#include "core/log.h"
#include "platform/atomic_file.h"
#include "platform/window.h"

#include <algorithm>

namespace gv {

using namespace platform;

namespace {

// Frees the connections given up since the last one, outside their own
// message handling.
constexpr uint32_t kReleaseMessage = WM_USER + 20;

bool usableInRequest(const std::string& text) {
    return std::none_of(text.begin(), text.end(),
                        [](char c) { return uint8_t(c) <= 0x20 || uint8_t(c) == 0x7F; });
}

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

std::string HttpDownload::requestText(const std::string& host, const std::string& path) {
    // A bare IPv6 address goes into the Host line in brackets.
    std::string hostLine = host;
    if (host.find(':') != host.rfind(':') && host[0] != '[') hostLine = "[" + host + "]";
    return "GET " + path + " HTTP/1.1\r\nUser-Agent: QuorvaneA1\r\nHost: " + hostLine +
           "\r\nConnection: close\r\n\r\n";
}

bool HttpDownload::start(const std::string& host, const std::string& path,
                         const std::string& destination) {
    if (busy_) return false;
    if (host.size() > kTextLimit || path.size() > kTextLimit || destination.size() > kTextLimit ||
        host.size() + path.size() > kRequestTextLimit || destination.empty())
        return false;
    if (!usableInRequest(host) || !usableInRequest(path) || path.empty() || path[0] != '/')
        return false;
    const std::optional<ServerAddress> server = parseServerAddress(host);
    if (!server) return false;

    std::unique_ptr<NetClient> net = NetClient::create(netEvent, this);
    if (!net || !net->start(server->host, server->port)) return false;
    net_ = std::move(net);
    host_ = host;
    path_ = path;
    destination_ = destination;
    parser_ = HttpResponseParser();
    failure_.clear();
    bytes_ = 0;
    busy_ = true;
    setTimer(window_->handle(), kIdleTimer, idleLimitMs_);
    setTimer(window_->handle(), kTotalTimer, totalLimitMs_);
    setState(kConnecting);
    return true;
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
    net_->send(requestText(host_, path_));
    setState(kRequestSent);
}

void HttpDownload::onData() {
    if (state_ != kRequestSent && state_ != kReceiving) return;
    for (;;) {
        int error = 0;
        const long n = net_->receive(&error);
        if (n < 0) {
            finish(false, std::string("connection broken: ") + socketErrorText(error));
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
        finish(false, socketErrorText(error));
        return;
    }
    if (parser_.finish() == HttpResponseParser::Result::Complete)
        finish(true, "");
    else
        finish(false, parser_.failure());
}

void HttpDownload::release(bool keepPartial) {
    killTimer(window_->handle(), kIdleTimer);
    killTimer(window_->handle(), kTotalTimer);
    bool closed = true;
    if (file_) closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (net_) {
        net_->stop();
        retired_.push_back(std::move(net_));
        postMessage({kReleaseMessage, 0, 0, window_->handle()});
    }
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
        logWrite("HTTP GET http://%s%s: %u bytes\n", host_.c_str(), path_.c_str(),
                 unsigned(bytes_));
    else
        logWrite("HTTP GET http://%s%s failed: %s\n", host_.c_str(), path_.c_str(),
                 failure_.c_str());
    setState(success ? kIdle : kFailed);
}

} // namespace gv
