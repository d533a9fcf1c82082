#pragma once

#include <QByteArray>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

// A support bundle opened as a support team would: the standard unzip, and SQLite for the
// database copy in it.
class BundleReader {
public:
    explicit BundleReader(const QString &path) : path(path) {}

    // unzip -t: 0 when every entry is whole.
    int test() const { return unzip({QStringLiteral("-tq"), path}).first; }
    QStringList names() const {
        return QString::fromUtf8(unzip({QStringLiteral("-Z1"), path}).second)
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QByteArray entry(const QString &name) const {
        return unzip({QStringLiteral("-p"), path, name}).second;
    }
    // The entries that hold `bytes` anywhere.
    QStringList entriesContaining(const QByteArray &bytes) const {
        QStringList found;
        for (const QString &name : names())
            if (entry(name).contains(bytes))
                found << name;
        return found;
    }
    // The first column of the first row of `sql` on the bundle's history.sqlite, as unpacked.
    QString database(const QString &sql) {
        if (!scratch.isValid() ||
            unzip({QStringLiteral("-oq"), path, QStringLiteral("history.sqlite"),
                   QStringLiteral("-d"), scratch.path()})
                    .first != 0)
            return QStringLiteral("(not unpacked)");
        QString value = QStringLiteral("(no row)");
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bundle-copy"));
            db.setDatabaseName(scratch.filePath(QStringLiteral("history.sqlite")));
            if (db.open()) {
                QSqlQuery q(db);
                if (q.exec(sql) && q.next())
                    value = q.value(0).toString();
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("bundle-copy"));
        return value;
    }

private:
    static std::pair<int, QByteArray> unzip(const QStringList &args) {
        QProcess p;
        p.start(QStringLiteral("unzip"), args);
        p.waitForFinished(60000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                p.readAllStandardOutput()};
    }

    QString path;
    QTemporaryDir scratch;
};
