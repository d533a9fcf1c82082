#pragma once

// The client certificate and its key, read with the library the MQTT client's TLS uses
// (OpenSSL), so what is accepted here is what the connection accepts. Included by plant/'s own
// sources only: nothing outside plant/ sees OpenSSL.

#include "plant/config.h"

#include <QByteArray>

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>

namespace plant {

enum class CertificateProblem {
    None,
    NoCertificate,     // cert_file holds no PEM certificate
    NoKey,             // key_file holds no PEM private key
    PassphraseMissing, // the key is encrypted and no key_password_file is given
    PassphraseWrong,   // the passphrase does not open the key
    KeyMismatch,       // the key is not the certificate's
};

// A certificate (with any chain after it) and the key that belongs to it.
struct Credentials {
    Credentials() = default;
    Credentials(const Credentials &) = delete;
    Credentials &operator=(const Credentials &) = delete;
    ~Credentials();
    X509 *certificate = nullptr;
    STACK_OF(X509) *chain = nullptr; // the certificates after the first, if any
    EVP_PKEY *key = nullptr;
};

// Reads the PEM texts. On a problem, null and `problem` says which.
std::unique_ptr<Credentials> readCredentials(const QByteArray &certPem, const QByteArray &keyPem,
                                             const QByteArray &passphrase,
                                             CertificateProblem *problem);

// What the program shows of a certificate: its name and the dates it is valid between.
ClientCertificate describe(const X509 *certificate);

} // namespace plant
