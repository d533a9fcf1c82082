#include "plant/client_certificate.h"
#include "plant/client_files.h"
#include "plant/config.h"
#include "plant/texts.h"

#include <QFile>

#include <memory>
#include <utility>

// Reading config/plant.ini and the files it names; the text itself is read by parseConfig.
namespace plant {

namespace {

// The largest files read: a certificate with its chain, and a key or a one-line secret.
constexpr qint64 largestCertificateFile = 1024 * 1024;
constexpr qint64 largestSecretFile = 64 * 1024;

} // namespace

QString readClientFiles(Config &config) {
    const auto fail = [&](const QString &key, const QString &what) {
        return Texts::tr("%1 第%2行: %3")
            .arg(config.fileName, QString::number(config.lines.value(key)), what);
    };
    const auto read = [&](const QString &key, const QString &path, qint64 limit,
                          QByteArray *bytes) {
        const QString reason = readSmallFile(path, limit, bytes);
        return reason.isEmpty() ? QString()
                                : fail(key, Texts::tr("%1 无法读取: %2").arg(key, reason));
    };
    // The first line of a file holding one secret; an empty one is a mistake, not a secret.
    const auto secretLine = [&](const QString &key, const QString &path, QByteArray *line) {
        QByteArray bytes;
        const QString error = read(key, path, largestSecretFile, &bytes);
        if (!error.isEmpty())
            return error;
        *line = firstLine(bytes);
        if (line->isEmpty())
            return fail(key, Texts::tr("%1 的第一行为空").arg(key));
        // A NUL would end it early on its way to the library, and text that is not UTF-8 would
        // not be sent as it stands in the file: said, not guessed at.
        if (line->contains('\0') || QString::fromUtf8(*line).toUtf8() != *line)
            return fail(key, Texts::tr("%1 的第一行不是 UTF-8 文本").arg(key));
        return QString();
    };

    // The TLS library opens it by name on every attempt, on a thread that cannot be told to stop:
    // a pipe put in its place since the start would hold that thread, and the program's end.
    if (!config.caFile.isEmpty()) {
        const QString reason = plainFileProblem(config.caFile);
        if (!reason.isEmpty())
            return fail(QStringLiteral("ca_file"),
                        Texts::tr("%1 无法读取: %2").arg(QStringLiteral("ca_file"), reason));
    }
    if (!config.passwordFile.isEmpty()) {
        QByteArray line;
        const QString error =
            secretLine(QStringLiteral("password_file"), config.passwordFile, &line);
        if (!error.isEmpty())
            return error;
        config.password = QString::fromUtf8(line);
    }
    QByteArray passphrase;
    if (!config.keyPasswordFile.isEmpty()) {
        const QString error =
            secretLine(QStringLiteral("key_password_file"), config.keyPasswordFile, &passphrase);
        if (!error.isEmpty())
            return error;
    }
    config.keyPassword = passphrase;
    config.certificate = ClientCertificate();
    if (config.certFile.isEmpty())
        return QString();

    QByteArray certPem;
    QByteArray keyPem;
    QString error =
        read(QStringLiteral("cert_file"), config.certFile, largestCertificateFile, &certPem);
    if (error.isEmpty())
        error = read(QStringLiteral("key_file"), config.keyFile, largestSecretFile, &keyPem);
    if (!error.isEmpty())
        return error;
    CertificateProblem problem = CertificateProblem::None;
    const std::unique_ptr<Credentials> credentials =
        readCredentials(certPem, keyPem, passphrase, &problem);
    switch (problem) {
    case CertificateProblem::None:
        break;
    case CertificateProblem::NoCertificate:
        return fail(QStringLiteral("cert_file"), Texts::tr("cert_file 中没有 PEM 证书"));
    case CertificateProblem::NoKey:
        return fail(QStringLiteral("key_file"), Texts::tr("key_file 中没有 PEM 私钥"));
    case CertificateProblem::PassphraseMissing:
        return fail(QStringLiteral("key_file"),
                    Texts::tr("key_file 的私钥已加密，需要 key_password_file"));
    case CertificateProblem::PassphraseWrong:
        return fail(QStringLiteral("key_password_file"),
                    Texts::tr("key_password_file 的口令打不开 key_file 的私钥"));
    case CertificateProblem::KeyMismatch:
        return fail(QStringLiteral("key_file"),
                    Texts::tr("key_file 的私钥不属于 cert_file 的证书"));
    }
    config.certificate = describe(credentials->certificate);
    return QString();
}

ConfigResult loadConfig(const QString &path) {
    QFile file(path);
    // A pipe in its place would hold the window before it ever shows.
    if (!plainFileProblem(path).isEmpty() || !file.open(QIODevice::ReadOnly)) {
        ConfigResult result;
        result.error = Texts::tr("%1: 无法读取").arg(path);
        return result;
    }
    // A settings file is a few lines; anything far larger is not one.
    const QByteArray text = file.read(largestConfigBytes + 1);
    if (text.size() > largestConfigBytes) {
        ConfigResult result;
        result.error = Texts::tr("%1: 文件太大，不是设置文件").arg(path);
        return result;
    }
    ConfigResult result = parseConfig(text, path);
    if (!result.error.isEmpty())
        return result;
    result.error = readClientFiles(result.config);
    if (!result.error.isEmpty())
        return result;
    Config &config = result.config;
    if (config.lines.contains(QStringLiteral("password")) && readableByOthers(path))
        config.exposed << path;
    for (const auto &file : {std::make_pair("password_file", config.passwordFile),
                             std::make_pair("key_file", config.keyFile),
                             std::make_pair("key_password_file", config.keyPasswordFile)})
        if (!file.second.isEmpty() && readableByOthers(file.second))
            config.exposed << QLatin1String(file.first);
    return result;
}

} // namespace plant
