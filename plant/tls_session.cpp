#include "plant/tls_session.h"

#include "plant/client_certificate.h"
#include "plant/client_files.h"
#include "plant/texts.h"

#include <QDateTime>
#include <QFile>
#include <QHostAddress>

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <memory>

namespace plant {

namespace {

QString brokerCertificateReason(long verifyResult) {
    switch (verifyResult) {
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        return Texts::tr("代理服务器的证书不是为此地址签发的");
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return Texts::tr("代理服务器的证书已过期");
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return Texts::tr("代理服务器的证书尚未生效（或本机时钟不准）");
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        return Texts::tr("代理服务器的证书不受信任（颁发机构未知，见 ca_file）");
    default:
        return Texts::tr("代理服务器的证书不受信任（OpenSSL 验证代码 %1）").arg(verifyResult);
    }
}

} // namespace

TlsSession::~TlsSession() {
    SSL_free(ssl); // frees both memory BIOs with it
    SSL_CTX_free(context);
}

bool TlsSession::setUp(const Config &config) {
    ERR_clear_error();
    context = SSL_CTX_new(TLS_client_method());
    if (!context)
        return false;
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
    const bool trusted =
        config.caFile.isEmpty()
            ? SSL_CTX_set_default_verify_paths(context) == 1
            : SSL_CTX_load_verify_locations(context, QFile::encodeName(config.caFile).constData(),
                                            nullptr) == 1;
    if (!trusted)
        return false;
    if (!config.certFile.isEmpty()) {
        QByteArray certPem;
        QByteArray keyPem;
        if (!readSmallFile(config.certFile, 1024 * 1024, &certPem).isEmpty() ||
            !readSmallFile(config.keyFile, 64 * 1024, &keyPem).isEmpty())
            return false;
        CertificateProblem problem;
        const std::unique_ptr<Credentials> credentials =
            readCredentials(certPem, keyPem, config.keyPassword, &problem);
        if (!credentials || SSL_CTX_use_certificate(context, credentials->certificate) != 1 ||
            SSL_CTX_use_PrivateKey(context, credentials->key) != 1)
            return false;
        for (int i = 0; i < sk_X509_num(credentials->chain); ++i)
            SSL_CTX_add1_chain_cert(context, sk_X509_value(credentials->chain, i));
    }
    ssl = SSL_new(context);
    in = BIO_new(BIO_s_mem());
    out = BIO_new(BIO_s_mem());
    if (!ssl || !in || !out) {
        SSL_free(ssl);
        BIO_free(in);
        BIO_free(out);
        ssl = nullptr;
        in = out = nullptr;
        return false;
    }
    SSL_set_bio(ssl, in, out);
    SSL_set_connect_state(ssl);
    const QByteArray host = config.host.toUtf8();
    if (QHostAddress(config.host).isNull()) {
        SSL_set_tlsext_host_name(ssl, host.constData());
        SSL_set1_host(ssl, host.constData());
    } else {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), host.constData());
    }
    return true;
}

void TlsSession::received(const QByteArray &bytes) {
    if (!bytes.isEmpty() && in)
        BIO_write(in, bytes.constData(), static_cast<int>(bytes.size()));
}

bool TlsSession::handshake() {
    if (ssl && !done && !over) {
        ERR_clear_error();
        const int result = SSL_do_handshake(ssl);
        done = result == 1;
        look(result);
    }
    return done;
}

int TlsSession::read(char *buffer, int size) {
    if (!done || over)
        return 0;
    ERR_clear_error();
    const int result = SSL_read(ssl, buffer, size);
    look(result);
    return result > 0 ? result : 0;
}

void TlsSession::write(const QByteArray &plain) {
    if (!done || over || plain.isEmpty())
        return;
    ERR_clear_error();
    // Memory buffers take all of it at once.
    look(SSL_write(ssl, plain.constData(), static_cast<int>(plain.size())));
}

QByteArray TlsSession::toSend() {
    QByteArray bytes;
    if (!out)
        return bytes;
    char chunk[4096];
    int n = 0;
    while ((n = BIO_read(out, chunk, sizeof chunk)) > 0)
        bytes.append(chunk, n);
    return bytes;
}

void TlsSession::look(int result) {
    const int error = SSL_get_error(ssl, result);
    if (error != SSL_ERROR_SSL && error != SSL_ERROR_ZERO_RETURN && error != SSL_ERROR_SYSCALL)
        return;
    over = true;
    // What the error queue says of the broker's verdict.
    while (const unsigned long e = ERR_get_error())
        if (failure == 0 && ERR_GET_LIB(e) == ERR_LIB_SSL)
            failure = ERR_GET_REASON(e);
}

QString TlsSession::reason(const Config &config) {
    const ClientCertificate &own = config.certificate;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    switch (failure) {
    case SSL_R_CERTIFICATE_VERIFY_FAILED:
        return brokerCertificateReason(SSL_get_verify_result(ssl));
    case SSL_R_TLSV13_ALERT_CERTIFICATE_REQUIRED:
        return Texts::tr("代理服务器要求客户端证书（plant.ini 中没有 cert_file）");
    case SSL_R_SSLV3_ALERT_HANDSHAKE_FAILURE:
        return config.certFile.isEmpty()
                   ? Texts::tr("代理服务器拒绝了 TLS 握手（也许要求客户端证书: cert_file）")
                   : Texts::tr("代理服务器拒绝了 TLS 握手");
    case SSL_R_TLSV1_ALERT_UNKNOWN_CA:
        return Texts::tr("代理服务器不认识客户端证书的颁发机构");
    case SSL_R_SSLV3_ALERT_CERTIFICATE_EXPIRED:
        return !own.isNull() && own.notAfter > now
                   ? Texts::tr("代理服务器认为客户端证书已过期（按本机时钟有效至 %1）")
                         .arg(own.notAfter.toLocalTime().toString(
                             QStringLiteral("yyyy-MM-dd HH:mm")))
                   : Texts::tr("代理服务器拒绝了客户端证书: 已过期");
    case SSL_R_SSLV3_ALERT_CERTIFICATE_REVOKED:
        return Texts::tr("代理服务器拒绝了客户端证书: 已吊销");
    case SSL_R_SSLV3_ALERT_BAD_CERTIFICATE:
    case SSL_R_SSLV3_ALERT_CERTIFICATE_UNKNOWN:
    case SSL_R_SSLV3_ALERT_UNSUPPORTED_CERTIFICATE:
    case SSL_R_TLSV1_ALERT_ACCESS_DENIED:
    case SSL_R_TLSV1_ALERT_DECRYPT_ERROR:
        if (!own.isNull() && own.notBefore > now)
            return Texts::tr("代理服务器拒绝了客户端证书: %1 起才生效")
                .arg(own.notBefore.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
        return Texts::tr("代理服务器拒绝了客户端证书");
    default:
        return QString();
    }
}

} // namespace plant
