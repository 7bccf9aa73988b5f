#pragma once
// Between the portable part of the socket events (socket_watch.cpp: which
// event a socket's readiness means, and when it may be reported again) and
// the system's sockets (async_socket_posix.cpp, async_socket_win32.cpp).
#include "platform/network/async_socket.h"

#include <vector>

namespace gv::platform {

struct WatchedSocket {
    SocketHandle socket = kNoSocket;
    WindowHandle window = 0;
    uint32_t message = 0;
    uint32_t events = 0;
    bool connecting = false;  // a connect was started and has not ended
    bool readPending = false; // a read event waits for the next receive
    bool writeWanted = false; // a send could not take everything
    bool finished = false;    // the close (or a failed connect) was reported
};

// The sockets whose events are reported.
std::vector<WatchedSocket>& watchedSockets();
WatchedSocket* findWatched(SocketHandle socket);
void forgetWatched(SocketHandle socket);

// What the system says of one socket, asked without waiting.
struct Readiness {
    SocketHandle socket = kNoSocket;
    bool wantRead = false, wantWrite = false;                // asked
    bool readable = false, writable = false, broken = false; // answered
};
// False when nothing is ready (or the question failed).
bool pollReadiness(std::vector<Readiness>& sockets);
// The socket's pending error, cleared by asking.
int takeSocketError(SocketHandle socket);
// Looks at the next byte without taking it: 1 when there is one, 0 at the
// end of the stream, or minus the error number.
int peekSocket(SocketHandle socket);

// Turns the watched sockets' readiness into their messages.
void pollWatchedSockets();
// Has the window's pump poll the network events from now on.
void watchThroughPump();

} // namespace gv::platform
