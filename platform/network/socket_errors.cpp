#include "platform/network/async_socket.h"
#include "platform/network/socket_stream.h"

namespace gv::platform {

const char* socketErrorText(int error) {
    switch (error) {
    case 0:
        return "no error";
    case kSocketWouldBlock:
        return "would block";
    case kSocketInProgress:
        return "in progress";
    case kSocketNetworkUnreachable:
        return "network unreachable";
    case kSocketConnectionAborted:
        return "connection aborted";
    case kSocketConnectionReset:
        return "connection reset by peer";
    case kSocketTimedOut:
        return "connection timed out";
    case kSocketConnectionRefused:
        return "connection refused";
    case kSocketHostUnreachable:
        return "host unreachable";
    case kHostNotFound:
        return "host not found";
    case kHostTryAgain:
        return "host name lookup failed for now";
    case kTlsFailure:
        return "TLS failure";
    case kTlsConnectionCut:
        return "connection cut";
    default:
        return "network error";
    }
}

} // namespace gv::platform
