#pragma once
// The certificate authorities a TLS client trusts, put into a context's
// store: the system's own trust store, and the bundle named by SSL_CERT_FILE
// (or the folder SSL_CERT_DIR), as for any OpenSSL program. Only the TLS
// stream uses it.
#include <string>

struct ssl_ctx_st;

namespace gv::platform {

// False, with the reason in `why`, when no authority at all can be trusted.
bool loadTrustStore(ssl_ctx_st* context, std::string* why);

} // namespace gv::platform
