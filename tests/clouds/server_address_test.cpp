#include "clouds/server_address.h"

#include <gtest/gtest.h>

namespace gv {
namespace {

void expectServer(const std::string& text, const std::string& host, uint16_t port) {
    const auto s = parseServerAddress(text);
    ASSERT_TRUE(s.has_value()) << text;
    EXPECT_EQ(s->host, host) << text;
    EXPECT_EQ(s->port, port) << text;
}

TEST(ServerAddress, ANameOrAddressWithOrWithoutItsPort) {
    expectServer("www.fourmilab.ch", "www.fourmilab.ch", 80);
    expectServer("example.org:8080", "example.org", 8080);
    expectServer("192.0.2.7:81", "192.0.2.7", 81);
    expectServer("127.0.0.1", "127.0.0.1", 80);
    expectServer("[::1]:8080", "::1", 8080);
    expectServer("[2001:db8::1]", "2001:db8::1", 80);
    // Without brackets an IPv6 address cannot carry a port: all of it is the address.
    expectServer("2001:db8::1", "2001:db8::1", 80);
    expectServer("localhost:65535", "localhost", 65535);
    expectServer("localhost:00080", "localhost", 80);
}

TEST(ServerAddress, UnusableTextsAreRefused) {
    for (const char* bad :
         {"", "example.org:", "example.org:0", "example.org:65536", "example.org:80a",
          "example.org:-1", ":8080", "[::1", "[]:80", "[::1]8080", "[::1]:", "exa mple.org",
          "example.org\r\nX: y", "example.org:123456"})
        EXPECT_FALSE(parseServerAddress(bad).has_value()) << bad;
}

} // namespace
} // namespace gv
