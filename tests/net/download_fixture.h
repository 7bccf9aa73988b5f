#pragma once
// A download client reporting into a list, for the tests against scripted
// loopback servers.
#include "net/http_download.h"

#include "tests/net/loopback_server.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace gv::test {

struct Report {
    uint32_t state;
    uint32_t bytes;
};

class Download : public ::testing::Test {
  protected:
    TempDir dir;
    std::string destination = dir.file("clouds.sat");
    std::vector<Report> reports;
    std::unique_ptr<HttpDownload> client = HttpDownload::create(record, 7);
    // Set by a test to chain a start from inside the end report.
    std::function<void()> onEnd;

    static Download* current;
    void SetUp() override {
        current = this;
        writeBytes(destination, {'o', 'l', 'd'});
    }
    void TearDown() override { current = nullptr; }

    static void record(HttpDownload& c, uint32_t user, uint32_t state, uint32_t bytes) {
        EXPECT_EQ(user, 7u);
        EXPECT_EQ(&c, current->client.get());
        current->reports.push_back({state, bytes});
        if ((state == HttpDownload::kIdle || state == HttpDownload::kFailed) && current->onEnd)
            current->onEnd();
    }
    bool ended() const {
        return !reports.empty() && (reports.back().state == HttpDownload::kIdle ||
                                    reports.back().state == HttpDownload::kFailed);
    }
    uint32_t run(const std::string& host, const std::string& path = "/map.gif") {
        reports.clear();
        EXPECT_TRUE(client->start(host, path, destination));
        EXPECT_TRUE(client->busy());
        EXPECT_TRUE(pumpUntil([this] { return ended(); }, 10000));
        return reports.empty() ? 99 : reports.back().state;
    }
    std::vector<uint32_t> states() const {
        std::vector<uint32_t> s;
        for (const Report& r : reports)
            if (s.empty() || s.back() != r.state) s.push_back(r.state);
        return s;
    }
    std::string host(const LoopbackServer& server) const {
        return "127.0.0.1:" + std::to_string(server.port());
    }
    void expectUntouched() {
        EXPECT_EQ(readText(destination), "old");
        EXPECT_FALSE(std::filesystem::exists(HttpDownload::partialPath(destination)));
        EXPECT_FALSE(client->busy());
    }
};
inline Download* Download::current = nullptr;

inline const std::string kImage("GIF89a\x02\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00;", 20);

inline std::string okHead(std::size_t length) {
    return "HTTP/1.1 200 OK\r\nContent-Type: image/gif\r\nContent-Length: " +
           std::to_string(length) + "\r\n\r\n";
}

} // namespace gv::test
