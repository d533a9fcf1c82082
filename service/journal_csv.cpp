#include "service/journal_csv.h"

#include "history/csv.h"

#include <QDateTime>

namespace service {

QByteArray journalCsv(const std::vector<history::JournalEntry> &entries) {
    QString text = history::csvLine({QStringLiteral("time_utc"), QStringLiteral("direction"),
                                     QStringLiteral("code"), QStringLiteral("bytes"),
                                     QStringLiteral("verdict"), QStringLiteral("text")});
    for (const history::JournalEntry &e : entries) {
        const bool received = e.direction == history::Direction::Received;
        const QString direction = received ? QStringLiteral("received")
                                  : e.direction == history::Direction::Sent
                                      ? QStringLiteral("sent")
                                      : QStringLiteral("skipped");
        text += history::csvLine(
            {QDateTime::fromMSecsSinceEpoch(e.at, Qt::UTC).toString(Qt::ISODateWithMs), direction,
             e.name, QString::fromLatin1(e.bytes.toHex(' ').toUpper()),
             received ? QString::fromLatin1(protocol::verdictText(e.verdict)) : QString(), e.text});
    }
    return text.toUtf8();
}

} // namespace service
