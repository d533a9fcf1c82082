#include "plant/client_certificate.h"

#include <openssl/err.h>
#include <openssl/pem.h>

#include <algorithm>
#include <cstring>

namespace plant {

namespace {

struct Passphrase {
    const QByteArray *text = nullptr;
    bool asked = false;
};

// OpenSSL asks for the passphrase only for an encrypted key. Without this callback it would
// ask on the terminal.
int passphraseCallback(char *buffer, int size, int, void *data) {
    auto *passphrase = static_cast<Passphrase *>(data);
    if (passphrase)
        passphrase->asked = true;
    if (!passphrase || !passphrase->text || passphrase->text->isEmpty())
        return -1;
    const int n = std::min(size, static_cast<int>(passphrase->text->size()));
    std::memcpy(buffer, passphrase->text->constData(), static_cast<size_t>(n));
    return n;
}

BIO *memoryBio(const QByteArray &bytes) {
    return BIO_new_mem_buf(bytes.constData(), static_cast<int>(bytes.size()));
}

QDateTime utc(const ASN1_TIME *time) {
    struct tm t;
    std::memset(&t, 0, sizeof t);
    if (!time || ASN1_TIME_to_tm(time, &t) != 1)
        return QDateTime();
    return QDateTime(QDate(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday),
                     QTime(t.tm_hour, t.tm_min, t.tm_sec), Qt::UTC);
}

// A name from a certificate as one line a person can read for what it is.
QString visible(const QString &text) {
    QString out;
    for (const QChar c : text.left(64)) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Other_Format ||
            category == QChar::Separator_Line || category == QChar::Separator_Paragraph)
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return text.size() > 64 ? out + QChar(0x2026) : out;
}

} // namespace

Credentials::~Credentials() {
    X509_free(certificate);
    sk_X509_pop_free(chain, X509_free);
    EVP_PKEY_free(key);
}

std::unique_ptr<Credentials> readCredentials(const QByteArray &certPem, const QByteArray &keyPem,
                                             const QByteArray &passphrase,
                                             CertificateProblem *problem) {
    auto credentials = std::make_unique<Credentials>();
    *problem = CertificateProblem::None;
    ERR_clear_error();

    BIO *certBio = memoryBio(certPem);
    credentials->certificate = PEM_read_bio_X509(certBio, nullptr, passphraseCallback, nullptr);
    if (credentials->certificate) {
        credentials->chain = sk_X509_new_null();
        while (X509 *next = PEM_read_bio_X509(certBio, nullptr, passphraseCallback, nullptr))
            sk_X509_push(credentials->chain, next);
    }
    BIO_free(certBio);
    // The end of the chain is an error on OpenSSL's queue too.
    ERR_clear_error();
    if (!credentials->certificate) {
        *problem = CertificateProblem::NoCertificate;
        return nullptr;
    }

    Passphrase asked{&passphrase, false};
    BIO *keyBio = memoryBio(keyPem);
    credentials->key = PEM_read_bio_PrivateKey(keyBio, nullptr, passphraseCallback, &asked);
    BIO_free(keyBio);
    ERR_clear_error();
    if (!credentials->key) {
        *problem = !asked.asked           ? CertificateProblem::NoKey
                   : passphrase.isEmpty() ? CertificateProblem::PassphraseMissing
                                          : CertificateProblem::PassphraseWrong;
        return nullptr;
    }
    const bool belongs = X509_check_private_key(credentials->certificate, credentials->key) == 1;
    ERR_clear_error();
    if (!belongs) {
        *problem = CertificateProblem::KeyMismatch;
        return nullptr;
    }
    return credentials;
}

ClientCertificate describe(const X509 *certificate) {
    ClientCertificate out;
    if (!certificate)
        return out;
    out.notBefore = utc(X509_get0_notBefore(certificate));
    out.notAfter = utc(X509_get0_notAfter(certificate));
    const X509_NAME *subject = X509_get_subject_name(certificate);
    const int index = X509_NAME_get_index_by_NID(subject, NID_commonName, -1);
    if (index >= 0) {
        unsigned char *utf8 = nullptr;
        const int size = ASN1_STRING_to_UTF8(
            &utf8, X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, index)));
        if (size >= 0)
            out.name = visible(QString::fromUtf8(reinterpret_cast<const char *>(utf8), size));
        OPENSSL_free(utf8);
    }
    return out;
}

} // namespace plant
