#pragma once
// A listening TCP socket on the loopback address of a family, on a port the
// kernel picks (POSIX sockets, for the tests' own servers).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

namespace gv::test {

// The listening descriptor (-1 when none could be made) and its port.
inline int listenOnLoopback(int family, uint16_t& port) {
    port = 0;
    const int fd = socket(family, SOCK_STREAM, 0);
    if (fd < 0) return -1;
    sockaddr_storage s{};
    socklen_t length = 0;
    if (family == AF_INET) {
        auto* a = reinterpret_cast<sockaddr_in*>(&s);
        a->sin_family = AF_INET;
        a->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        length = sizeof *a;
    } else {
        auto* a = reinterpret_cast<sockaddr_in6*>(&s);
        a->sin6_family = AF_INET6;
        a->sin6_addr = in6addr_loopback;
        length = sizeof *a;
    }
    if (bind(fd, reinterpret_cast<sockaddr*>(&s), length) != 0 || listen(fd, 8) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&s), &length) != 0) {
        close(fd);
        return -1;
    }
    port = family == AF_INET ? ntohs(reinterpret_cast<sockaddr_in*>(&s)->sin_port)
                             : ntohs(reinterpret_cast<sockaddr_in6*>(&s)->sin6_port);
    return fd;
}

} // namespace gv::test
