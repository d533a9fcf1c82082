#pragma once

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

// A plant's own certificate authority, made with openssl in a folder of its own at test time
// as docs/plant-link.md tells a plant to make one: the broker's certificate, and one for each
// host or fleet with its name (the laser id) as common name. Also another authority, for the
// certificates a plant's broker must not take.
class Certificates {
public:
    enum Issuer { Plant, Other };

    // With `brokerAltName` (e.g. "IP:127.0.0.1") a certificate for the broker, brokerCert() and
    // brokerKey(), with that name.
    explicit Certificates(const QString &brokerAltName = QString()) {
        made = authority(QStringLiteral("ca-plant"), QStringLiteral("plant test CA")) &&
               authority(QStringLiteral("ca-other"), QStringLiteral("another CA"));
        if (made && !brokerAltName.isEmpty()) {
            QFile ext(path(QStringLiteral("broker.ext")));
            made = ext.open(QIODevice::WriteOnly) &&
                   ext.write("subjectAltName=" + brokerAltName.toUtf8() + "\n") > 0;
            ext.close();
            made = made && issue(QStringLiteral("broker"), QStringLiteral("plant broker"), Plant,
                                 -1, 2, {QStringLiteral("-extfile"), ext.fileName()});
        }
    }

    static bool available() {
        return !QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty();
    }
    // Whether every certificate so far was made.
    bool made = false;

    QString folder() const { return dir.path(); }
    QString path(const QString &file) const { return dir.filePath(file); }
    QString caFile() const { return path(QStringLiteral("ca-plant.pem")); }
    QString brokerCert() const { return path(QStringLiteral("broker.pem")); }
    QString brokerKey() const { return path(QStringLiteral("broker.key")); }

    // FILE.pem and FILE.key: a certificate for `name` from `issuer`, valid from `fromDays` to
    // `toDays` from now (negative: in the past), its key encrypted with `passphrase` when one
    // is given. Returns whether it was made.
    bool issue(const QString &file, const QString &name, Issuer issuer = Plant, int fromDays = -1,
               int toDays = 2, const QStringList &extra = {}, const QByteArray &passphrase = {}) {
        const QString ca =
            issuer == Plant ? QStringLiteral("ca-plant") : QStringLiteral("ca-other");
        const QString key = file + QStringLiteral(".key");
        const QString request = file + QStringLiteral(".csr");
        const bool ok =
            openssl(QStringList{QStringLiteral("req")} + newKey() +
                    QStringList{QStringLiteral("-keyout"), key, QStringLiteral("-out"), request,
                                QStringLiteral("-subj"), QStringLiteral("/CN=") + name}) &&
            openssl(QStringList{QStringLiteral("ca"), QStringLiteral("-config"), config(ca),
                                QStringLiteral("-batch"), QStringLiteral("-notext"),
                                QStringLiteral("-in"), request, QStringLiteral("-out"),
                                file + QStringLiteral(".pem"), QStringLiteral("-startdate"),
                                when(fromDays), QStringLiteral("-enddate"), when(toDays)} +
                    extra) &&
            (passphrase.isEmpty() || encrypt(key, passphrase));
        made = made && ok;
        return ok;
    }

private:
    static QStringList newKey() {
        return {QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
    }
    static QString when(int days) {
        return QDateTime::currentDateTimeUtc().addDays(days).toString(
                   QStringLiteral("yyyyMMddHHmmss")) +
               QLatin1Char('Z');
    }
    QString config(const QString &ca) const { return path(ca + QStringLiteral(".cnf")); }

    bool openssl(const QStringList &args) {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral("openssl"), args);
        return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit &&
               p.exitCode() == 0;
    }

    // NAME.pem and NAME.key (names no certificate of a test takes), self-signed, with the database
    // `openssl ca` keeps beside them.
    bool authority(const QString &ca, const QString &commonName) {
        QFile index(path(ca + QStringLiteral(".index")));
        QFile serial(path(ca + QStringLiteral(".serial")));
        QFile cnf(config(ca));
        const QByteArray name = ca.toUtf8();
        if (!index.open(QIODevice::WriteOnly) || !serial.open(QIODevice::WriteOnly) ||
            serial.write("01\n") < 0 || !cnf.open(QIODevice::WriteOnly))
            return false;
        cnf.write("[ca]\ndefault_ca = own\n[own]\ndatabase = " + name + ".index\nserial = " + name +
                  ".serial\nnew_certs_dir = .\ncertificate = " + name +
                  ".pem\nprivate_key = " + name +
                  ".key\ndefault_md = sha256\npolicy = any\nunique_subject = no\n"
                  "[any]\ncommonName = supplied\n");
        cnf.close();
        return openssl(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + newKey() +
                       QStringList{QStringLiteral("-keyout"), ca + QStringLiteral(".key"),
                                   QStringLiteral("-out"), ca + QStringLiteral(".pem"),
                                   QStringLiteral("-days"), QStringLiteral("3"),
                                   QStringLiteral("-subj"), QStringLiteral("/CN=") + commonName});
    }

    bool encrypt(const QString &key, const QByteArray &passphrase) {
        QFile pass(path(QStringLiteral("passout")));
        if (!pass.open(QIODevice::WriteOnly) || pass.write(passphrase + "\n") < 0)
            return false;
        pass.close();
        const QString encrypted = key + QStringLiteral(".enc");
        return openssl({QStringLiteral("pkey"), QStringLiteral("-in"), key, QStringLiteral("-out"),
                        encrypted, QStringLiteral("-aes256"), QStringLiteral("-passout"),
                        QStringLiteral("file:passout")}) &&
               QFile::remove(path(key)) && QFile::rename(path(encrypted), path(key));
    }

    QTemporaryDir dir;
};
