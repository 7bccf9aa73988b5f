#include "net/server_address.h"

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

TEST(ServerAddress, TheSchemeChoosesTlsAndTheDefaultPort) {
    const auto secure = parseServerAddress("https://clouds.example.org");
    ASSERT_TRUE(secure.has_value());
    EXPECT_TRUE(secure->secure);
    EXPECT_EQ(secure->host, "clouds.example.org");
    EXPECT_EQ(secure->port, 443);
    EXPECT_EQ(parseServerAddress("HTTPS://[::1]:8443/")->port, 8443);
    EXPECT_TRUE(parseServerAddress("Https://[::1]:8443/")->secure);
    const auto plain = parseServerAddress("http://example.org/");
    ASSERT_TRUE(plain.has_value());
    EXPECT_FALSE(plain->secure);
    EXPECT_EQ(plain->host, "example.org");
    EXPECT_EQ(plain->port, 80);
    EXPECT_FALSE(parseServerAddress("example.org:8080")->secure);
    for (const char* bad :
         {"https://", "https:///", "ftp://example.org", "https://example.org/maps",
          "https://user@example.org", "https:/example.org", "//example.org"})
        EXPECT_FALSE(parseServerAddress(bad).has_value()) << bad;
}

TEST(ServerAddress, UnusableTextsAreRefused) {
    for (const char* bad : {"",
                            "example.org:",
                            "example.org:0",
                            "example.org:65536",
                            "example.org:80a",
                            "example.org:-1",
                            ":8080",
                            "[::1",
                            "[]:80",
                            "[::1]8080",
                            "[::1]:",
                            "exa mple.org",
                            "example.org\r\nX: y",
                            "example.org:123456",
                            "[example.org]:80",
                            "a]b",
                            "a[b:80",
                            "[::1%eth0]:80",
                            "a]:b:c",
                            "2001:db8::g"})
        EXPECT_FALSE(parseServerAddress(bad).has_value()) << bad;
}

} // namespace
} // namespace gv
