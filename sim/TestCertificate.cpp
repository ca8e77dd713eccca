#include "sim/TestCertificate.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/rand.h>

#include <cstdio>
#include <fstream>

#include "sim/OpenSslHandles.h"

namespace tavso::sim {

namespace {

constexpr long kValidSecs = 30L * 24 * 3600;

// P-256 keys: a fresh pair costs well under a millisecond, where RSA would slow every test start.
PKeyPtr newKey() {
    return PKeyPtr(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
}

bool addExtension(X509* cert, X509* issuer, int nid, const char* value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    ExtensionPtr ext(X509V3_EXT_conf_nid(nullptr, &ctx, nid, value));
    return ext && X509_add_ext(cert, ext.get(), -1) == 1;
}

struct Extension {
    int nid;
    const char* value;
};

// A certificate for `key` named `commonName`, signed by `issuerKey` as `issuer` (null: itself).
X509Ptr newCertificate(EVP_PKEY* key, const std::string& commonName, X509* issuer, EVP_PKEY* issuerKey,
                       std::initializer_list<Extension> extensions) {
    X509Ptr cert(X509_new());
    uint64_t serial = 0;
    if (!cert || RAND_bytes(reinterpret_cast<unsigned char*>(&serial), sizeof serial) != 1) {
        return nullptr;
    }
    X509_NAME* name = X509_get_subject_name(cert.get());
    bool ok = X509_set_version(cert.get(), 2) == 1 &&
              ASN1_INTEGER_set_uint64(X509_get_serialNumber(cert.get()), serial >> 1) == 1 &&
              // An hour back, so a client whose clock is a little behind still accepts it.
              X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600) &&
              X509_gmtime_adj(X509_getm_notAfter(cert.get()), kValidSecs) &&
              X509_set_pubkey(cert.get(), key) == 1 &&
              X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                                         reinterpret_cast<const unsigned char*>("tavso simulator"), -1, -1,
                                         0) == 1 &&
              X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                         reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1,
                                         0) == 1;
    X509* signer = issuer ? issuer : cert.get();
    ok = ok && X509_set_issuer_name(cert.get(), X509_get_subject_name(signer)) == 1;
    for (const Extension& e : extensions) {
        ok = ok && addExtension(cert.get(), signer, e.nid, e.value);
    }
    if (!ok || X509_sign(cert.get(), issuerKey ? issuerKey : key, EVP_sha256()) <= 0) {
        return nullptr;
    }
    return cert;
}

std::string bioText(BIO* bio) {
    char* data = nullptr;
    long n = BIO_get_mem_data(bio, &data);
    return n > 0 ? std::string(data, static_cast<size_t>(n)) : std::string();
}

std::string certificatePem(X509* cert) {
    BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio || PEM_write_bio_X509(bio.get(), cert) != 1) {
        return {};
    }
    return bioText(bio.get());
}

std::string privateKeyPem(EVP_PKEY* key) {
    BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio || PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr) != 1) {
        return {};
    }
    return bioText(bio.get());
}

}  // namespace

std::string openSslError() {
    unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0) {
        return "unknown";
    }
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return text;
}

bool TestCertificate::generate(TestCertificate& out, std::string& error) {
    PKeyPtr caKey = newKey();
    PKeyPtr serverKey = newKey();
    if (!caKey || !serverKey) {
        error = "Unable to make a key: " + openSslError();
        return false;
    }
    // A name of its own, so that a client trusting another such authority is told the issuer is
    // unknown rather than that a signature is bad.
    unsigned char tag[4] = {};
    RAND_bytes(tag, sizeof tag);
    char caName[64];
    std::snprintf(caName, sizeof caName, "tavso simulator CA %02x%02x%02x%02x", tag[0], tag[1], tag[2],
                  tag[3]);
    X509Ptr ca = newCertificate(caKey.get(), caName, nullptr, nullptr,
                                {{NID_basic_constraints, "critical,CA:TRUE"},
                                 {NID_key_usage, "critical,keyCertSign,cRLSign"},
                                 {NID_subject_key_identifier, "hash"}});
    if (!ca) {
        error = "Unable to make the CA certificate: " + openSslError();
        return false;
    }
    X509Ptr server = newCertificate(serverKey.get(), "127.0.0.1", ca.get(), caKey.get(),
                                    {{NID_basic_constraints, "critical,CA:FALSE"},
                                     {NID_key_usage, "critical,digitalSignature"},
                                     {NID_ext_key_usage, "serverAuth"},
                                     {NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost"},
                                     {NID_authority_key_identifier, "keyid"}});
    if (!server) {
        error = "Unable to make the server certificate: " + openSslError();
        return false;
    }
    TestCertificate made;
    made.m_caPem = certificatePem(ca.get());
    made.m_certPem = certificatePem(server.get());
    made.m_keyPem = privateKeyPem(serverKey.get());
    if (made.m_caPem.empty() || made.m_certPem.empty() || made.m_keyPem.empty()) {
        error = "Unable to write the certificates as PEM: " + openSslError();
        return false;
    }
    out = std::move(made);
    return true;
}

bool TestCertificate::writeCaPem(const std::string& path, std::string& error) const {
    std::ofstream file(path, std::ios::trunc);
    file << m_caPem;
    file.close();
    if (!file) {
        error = "Unable to write the CA certificate to " + path;
        return false;
    }
    return true;
}

}  // namespace tavso::sim
