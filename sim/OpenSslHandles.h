// Owners for the OpenSSL objects the simulator makes.
#pragma once

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>

namespace tavso::sim {

struct OpenSslFree {
    void operator()(BIO* b) const { BIO_free_all(b); }
    void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
    void operator()(X509* c) const { X509_free(c); }
    void operator()(X509_EXTENSION* e) const { X509_EXTENSION_free(e); }
};

using BioPtr = std::unique_ptr<BIO, OpenSslFree>;
using PKeyPtr = std::unique_ptr<EVP_PKEY, OpenSslFree>;
using X509Ptr = std::unique_ptr<X509, OpenSslFree>;
using ExtensionPtr = std::unique_ptr<X509_EXTENSION, OpenSslFree>;

}  // namespace tavso::sim
