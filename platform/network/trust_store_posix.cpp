// On Linux the system's trust store is OpenSSL's own default place
// (/etc/ssl/certs from Debian's ca-certificates), which SSL_CERT_FILE and
// SSL_CERT_DIR replace.
#include "platform/network/trust_store.h"

#include <openssl/ssl.h>

namespace gv::platform {

bool loadTrustStore(SSL_CTX* context, std::string* why) {
    if (SSL_CTX_set_default_verify_paths(context) == 1) return true;
    if (why) *why = "the trust store cannot be read";
    return false;
}

} // namespace gv::platform
