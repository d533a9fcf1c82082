#include "history/notice.h"

#include <QDateTime>

namespace history {

QString utcText(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC)
               .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
           QStringLiteral(" UTC");
}

QString spanText(qint64 ms) {
    const qint64 minutes = qAbs(ms) / 60000;
    return minutes >= 24 * 60
               ? QStringLiteral("%1 days %2 hours").arg(minutes / 1440).arg(minutes % 1440 / 60)
               : QStringLiteral("%1 hours %2 minutes").arg(minutes / 60).arg(minutes % 60);
}

namespace {

QString began(const Notice &n) {
    switch (n.kind) {
    case Notice::QueueRows:
        return QStringLiteral("the queue was full, %1 rows were not recorded").arg(n.count);
    case Notice::QueueBytes:
        return QStringLiteral("the queue was full, %1 captured bytes were not recorded")
            .arg(n.count);
    case Notice::Capture:
        return QStringLiteral("capture stopped, %1").arg(n.text);
    case Notice::Database:
        return QStringLiteral("events not recorded, %1").arg(n.text);
    case Notice::Locked:
        return QStringLiteral("the database is locked by another program, %1 rows waiting")
            .arg(n.count);
    case Notice::RowsGivenUp:
        return QStringLiteral("more rows waiting than are kept, the %1 oldest given up")
            .arg(n.count);
    case Notice::OverCap:
        return QStringLiteral("captures over their cap by %1 bytes: files other programs are "
                              "writing are kept")
            .arg(n.count);
    default:
        return QString();
    }
}

QString ended(const Notice &n) {
    switch (n.kind) {
    case Notice::QueueRows:
        return QStringLiteral("recovered: the queue takes rows again, %1 rows were not recorded")
            .arg(n.count);
    case Notice::QueueBytes:
        return QStringLiteral(
                   "recovered: the queue takes capture bytes again, %1 bytes were not recorded")
            .arg(n.count);
    case Notice::Capture:
        return QStringLiteral("recovered: capture goes on in %1, %2 bytes were lost")
            .arg(n.text)
            .arg(n.count);
    case Notice::Database:
        return QStringLiteral("recovered: events recorded again, %1 waiting rows written")
            .arg(n.count);
    case Notice::Locked:
        return QStringLiteral("recovered: the database lock is free, %1 waiting rows written")
            .arg(n.count);
    case Notice::RowsGivenUp:
        return QStringLiteral("recovered: rows are written again, %1 rows were given up")
            .arg(n.count);
    case Notice::OverCap:
        return QStringLiteral("recovered: captures within their cap again");
    default:
        return QString();
    }
}

QString once(const Notice &n) {
    switch (n.kind) {
    case Notice::Damaged:
        return QStringLiteral("the database was damaged; kept as %1, a fresh one started")
            .arg(n.text);
    case Notice::RowsAtExit:
        return QStringLiteral("%1 rows could not be written at exit, %2").arg(n.count).arg(n.text);
    case Notice::BytesAtExit:
        return QStringLiteral("%1 captured bytes could not be written at exit").arg(n.count);
    case Notice::ClockJump:
        if (n.text == QLatin1String("start"))
            return QStringLiteral("the wall clock is %1 past the newest row (%2 -> %3): rows are "
                                  "deleted by the history's own time until it has held for a day")
                .arg(spanText(n.to - n.from), utcText(n.from), utcText(n.to));
        return QStringLiteral("the wall clock jumped %1 %2 (%3 -> %4)%5")
            .arg(spanText(n.to - n.from),
                 n.to > n.from ? QStringLiteral("forward") : QStringLiteral("back"),
                 utcText(n.from), utcText(n.to),
                 n.to > n.from ? QStringLiteral(": rows are deleted by the history's own time "
                                                "until the new time has held for a day")
                               : QString());
    default:
        return began(n);
    }
}

} // namespace

QString logText(const Notice &notice) {
    const QString text = notice.phase == Notice::Began   ? began(notice)
                         : notice.phase == Notice::Ended ? ended(notice)
                                                         : once(notice);
    return QStringLiteral("history: ") + text;
}

} // namespace history
