// Windows keeps its trusted roots in the system's certificate store, which
// OpenSSL 3.0 does not read: each certificate of the "ROOT" store is copied
// into the context's store. OpenSSL's own default places (a folder fixed
// when the library was built) are not read; SSL_CERT_FILE and SSL_CERT_DIR
// still add a bundle or a folder.
#include "platform/network/trust_store.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// After windows.h, whose types it uses.
#include <wincrypt.h>

#include <cstdlib>

namespace gv::platform {

namespace {

// The certificates of the system's store of trusted roots; how many were
// added.
int addSystemRoots(X509_STORE* store) {
    HCERTSTORE system = CertOpenSystemStoreW(0, L"ROOT");
    if (!system) return 0;
    int added = 0;
    for (PCCERT_CONTEXT cert = CertEnumCertificatesInStore(system, nullptr); cert;
         cert = CertEnumCertificatesInStore(system, cert)) {
        const unsigned char* der = cert->pbCertEncoded;
        X509* x509 = d2i_X509(nullptr, &der, long(cert->cbCertEncoded));
        if (!x509) continue; // one the library cannot read is not trusted
        // The same root twice is no failure.
        if (X509_STORE_add_cert(store, x509) == 1) ++added;
        X509_free(x509);
    }
    CertCloseStore(system, 0);
    ERR_clear_error();
    return added;
}

} // namespace

bool loadTrustStore(SSL_CTX* context, std::string* why) {
    int sources = addSystemRoots(SSL_CTX_get_cert_store(context)) > 0 ? 1 : 0;
    const char* file = std::getenv(X509_get_default_cert_file_env());
    const char* dir = std::getenv(X509_get_default_cert_dir_env());
    if ((file && *file) || (dir && *dir)) {
        if (SSL_CTX_load_verify_locations(context, file && *file ? file : nullptr,
                                          dir && *dir ? dir : nullptr) == 1)
            ++sources;
        ERR_clear_error();
    }
    if (sources == 0 && why) *why = "the trust store cannot be read";
    return sources > 0;
}

} // namespace gv::platform
