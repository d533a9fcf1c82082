#include "service/database_copy.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>
#include <QVector>

namespace service {

namespace {

QString quoted(const QString &name) {
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

struct SchemaItem {
    QString type;
    QString name;
    QString sql;
};

struct Table {
    QString name;
    QString columns; // quoted, comma-separated; generated and hidden columns are left to SQLite
    bool rowid = true;
    qint64 first = 0; // the smallest and largest rowid when the copy began
    qint64 last = -1;
};

// Aims at steps of some 20 to 100 ms whatever the rows weigh and however busy the machine is.
constexpr int firstStepRows = 1000;
constexpr int fewestStepRows = 50;
constexpr int mostStepRows = 1 << 20;

class Copier {
public:
    Copier(const QSqlDatabase &db, const std::atomic<bool> &cancel,
           const std::function<void(double)> &progress, QString *error)
        : q(db), cancel(cancel), progress(progress), error(error) {}

    CopyOutcome run(const QString &source) {
        // A scratch file removed afterwards: no journal, nothing in the system's temp folder.
        for (const char *sql : {"PRAGMA journal_mode=OFF", "PRAGMA synchronous=OFF",
                                "PRAGMA temp_store=MEMORY", "PRAGMA cache_size=-8192"})
            if (!exec(QLatin1String(sql)))
                return CopyOutcome::Failed;
        q.prepare(QStringLiteral("ATTACH DATABASE ? AS src"));
        q.addBindValue(
            QUrl::fromLocalFile(QFileInfo(source).absoluteFilePath()).toString(QUrl::FullyEncoded) +
            QStringLiteral("?mode=ro"));
        if (!q.exec())
            return failed();
        q.finish();
        const CopyOutcome outcome = copyInOneTransaction();
        if (outcome != CopyOutcome::Copied)
            q.exec(QStringLiteral("ROLLBACK"));
        q.finish();
        q.exec(QStringLiteral("DETACH DATABASE src"));
        q.finish();
        return outcome;
    }

private:
    CopyOutcome copyInOneTransaction() {
        // The first read of src below starts the one read transaction every step shares.
        if (!exec(QStringLiteral("BEGIN")))
            return CopyOutcome::Failed;
        QVector<SchemaItem> schema;
        if (!exec(QStringLiteral("SELECT type, name, sql FROM src.sqlite_master "
                                 "WHERE sql IS NOT NULL AND name NOT LIKE 'sqlite\\_%' ESCAPE "
                                 "'\\' ORDER BY rowid")))
            return CopyOutcome::Failed;
        while (q.next())
            schema.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toString()});
        q.finish();
        const qint64 userVersion = pragma(QStringLiteral("src.user_version"));
        const qint64 applicationId = pragma(QStringLiteral("src.application_id"));

        // Tables and their indexes first, so that every step below is bounded; triggers and
        // views last, so that no trigger fires on the rows copied. (The history has no virtual
        // tables; one would fail the copy on its shadow tables, and the notes would say so.)
        QVector<Table> tables;
        for (const SchemaItem &item : schema)
            if (item.type == QLatin1String("table")) {
                if (!exec(item.sql))
                    return CopyOutcome::Failed;
                tables.append(table(item.name));
                if (!error->isEmpty())
                    return CopyOutcome::Failed;
            }
        for (const SchemaItem &item : schema)
            if (item.type == QLatin1String("index") && !exec(item.sql))
                return CopyOutcome::Failed;

        // Spans of rowids, as doubles: rowids may lie anywhere in 64 bits.
        double total = 0;
        for (const Table &t : tables)
            total += double(t.last) - double(t.first) + 1;
        double done = 0;
        for (const Table &t : tables) {
            const CopyOutcome outcome = copyRows(t, total, &done);
            if (outcome != CopyOutcome::Copied)
                return outcome;
        }
        // AUTOINCREMENT's counters: a table that has them in src has them in the copy.
        if (hasSequence() && (!exec(QStringLiteral("DELETE FROM main.sqlite_sequence")) ||
                              !exec(QStringLiteral("INSERT INTO main.sqlite_sequence(name, seq) "
                                                   "SELECT name, seq FROM src.sqlite_sequence"))))
            return CopyOutcome::Failed;
        for (const SchemaItem &item : schema)
            if ((item.type == QLatin1String("trigger") || item.type == QLatin1String("view")) &&
                !exec(item.sql))
                return CopyOutcome::Failed;
        if (!exec(QStringLiteral("PRAGMA main.user_version = %1").arg(userVersion)) ||
            !exec(QStringLiteral("PRAGMA main.application_id = %1").arg(applicationId)))
            return CopyOutcome::Failed;
        if (cancel.load())
            return CopyOutcome::Cancelled;
        return exec(QStringLiteral("COMMIT")) ? CopyOutcome::Copied : CopyOutcome::Failed;
    }

    // The columns of a table of src and the span of its rowids.
    Table table(const QString &name) {
        Table t;
        t.name = name;
        QStringList columns;
        if (exec(QStringLiteral("PRAGMA src.table_xinfo(%1)").arg(quoted(name))))
            while (q.next())
                if (q.value(6).toInt() == 0) // not hidden, not generated
                    columns << quoted(q.value(1).toString());
        q.finish();
        t.columns = columns.join(QStringLiteral(", "));
        // A table WITHOUT ROWID has none to go by: it is copied in one step.
        if (!q.exec(
                QStringLiteral("SELECT min(rowid), max(rowid) FROM src.%1").arg(quoted(name)))) {
            t.rowid = false;
            t.last = t.first;
        } else if (q.next() && !q.value(0).isNull()) {
            t.first = q.value(0).toLongLong();
            t.last = q.value(1).toLongLong();
        }
        q.finish();
        return t;
    }

    CopyOutcome copyRows(const Table &t, double total, double *done) {
        if (!t.rowid)
            return exec(QStringLiteral("INSERT INTO main.%1(%2) SELECT %2 FROM src.%1")
                            .arg(quoted(t.name), t.columns))
                       ? CopyOutcome::Copied
                       : CopyOutcome::Failed;
        const double before = *done;
        const QString step = QStringLiteral("INSERT INTO main.%1(rowid, %2) SELECT rowid, %2 FROM "
                                            "src.%1 WHERE rowid >= ? ORDER BY rowid LIMIT ?")
                                 .arg(quoted(t.name), t.columns);
        const QString reached =
            QStringLiteral("SELECT max(rowid) FROM main.%1").arg(quoted(t.name));
        qint64 from = t.first; // the next rowid to copy
        int rows = firstStepRows;
        // Rows the writer adds meanwhile are not in the read transaction: the span stays put.
        bool more = t.last >= t.first;
        while (more) {
            if (cancel.load())
                return CopyOutcome::Cancelled;
            QElapsedTimer clock;
            clock.start();
            q.prepare(step);
            q.addBindValue(from);
            q.addBindValue(rows);
            if (!q.exec())
                return failed();
            q.finish();
            if (!exec(reached))
                return CopyOutcome::Failed;
            const bool copied = q.next() && !q.value(0).isNull();
            const qint64 now = copied ? q.value(0).toLongLong() : t.last;
            q.finish();
            if (!copied || now < from) // nothing more below the span's end
                break;
            more = now < t.last;
            if (more)
                from = now + 1;
            *done = before + (double(now) - double(t.first) + 1);
            if (total > 0)
                progress(*done / total);
            const qint64 ms = clock.elapsed();
            if (ms < 20)
                rows = qMin(rows * 2, mostStepRows);
            else if (ms > 100)
                rows = qMax(rows / 2, fewestStepRows);
        }
        *done = before + (double(t.last) - double(t.first) + 1);
        return CopyOutcome::Copied;
    }

    bool hasSequence() {
        const bool found = exec(QStringLiteral(
                               "SELECT 1 FROM src.sqlite_master WHERE name = 'sqlite_sequence'")) &&
                           q.next();
        q.finish();
        return found;
    }

    qint64 pragma(const QString &name) {
        const qint64 value =
            exec(QStringLiteral("PRAGMA %1").arg(name)) && q.next() ? q.value(0).toLongLong() : 0;
        q.finish();
        return value;
    }

    bool exec(const QString &sql) {
        if (q.exec(sql))
            return true;
        failed();
        return false;
    }
    CopyOutcome failed() {
        if (error->isEmpty())
            *error = q.lastError().text();
        return CopyOutcome::Failed;
    }

    QSqlQuery q;
    const std::atomic<bool> &cancel;
    const std::function<void(double)> &progress;
    QString *error;
};

} // namespace

CopyOutcome copyDatabase(const QString &source, const QString &target,
                         const std::atomic<bool> &cancel,
                         const std::function<void(double)> &progress, QString *error) {
    static std::atomic<int> serial{0};
    const QString connection = QStringLiteral("support-bundle-copy-%1").arg(++serial);
    CopyOutcome outcome = CopyOutcome::Failed;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(target);
        // URI names for the read-only source; the target's absolute path is never read as one.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open()) {
            *error = db.lastError().text();
        } else {
            Copier copier(db, cancel, progress, error);
            outcome = copier.run(source);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return outcome;
}

} // namespace service
