#include "ui/diagnostics/csv.h"

#include "events/event_words.h"
#include "preference/language_preference.h"
#include "service/bundle_paths.h"
#include "ui/diagnostics/texts.h"

#include <QAbstractItemModel>
#include <QDateTime>
#include <QSaveFile>
#include <QStringList>

namespace diagnostics {

namespace {

// The offset from UTC of local time at `at` (ms since 1970), in seconds.
int offsetAt(qint64 at) {
    return QDateTime::fromMSecsSinceEpoch(at).offsetFromUtc();
}

// Whether another instant has the same local time as `at`: the hour (or so) passed twice when
// the clocks go back. Such an instant sits as far away as the two offsets differ, and has the
// other offset; the offsets a few hours either side are the candidates.
bool localTimeRepeats(qint64 at) {
    const int here = offsetAt(at);
    constexpr qint64 window = qint64(6) * 3600 * 1000;
    for (const qint64 there : {at - window, at + window}) {
        const int other = offsetAt(there);
        if (other != here && offsetAt(at + qint64(here - other) * 1000) == other)
            return true;
    }
    return false;
}

} // namespace

QString modelToCsv(const QAbstractItemModel &model) {
    QString out;
    QStringList fields;
    for (int c = 0; c < model.columnCount(); ++c)
        fields.append(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
    out += csvLine(fields);
    for (int r = 0; r < model.rowCount(); ++r) {
        fields.clear();
        for (int c = 0; c < model.columnCount(); ++c)
            fields.append(model.data(model.index(r, c), Qt::DisplayRole).toString());
        out += csvLine(fields);
    }
    return out;
}

QString shownEventCell(const EventRow &row, int cell) {
    const QString category = row.cells[0].toString();
    switch (cell) {
    case 0:
        return events::categoryText(category);
    case 1:
        return events::eventLabel(category, row.cells[1].toString());
    case 2:
        return events::eventValueText(category, row.cells[1].toString(), row.cells[2].toString());
    default:
        return row.cells[cell].toString();
    }
}

QString eventsCsvHeader() {
    return csvLine({Texts::tr("时间"), Texts::tr("类别"), Texts::tr("键"), Texts::tr("存储值"),
                    Texts::tr("名称"), Texts::tr("值"), Texts::tr("详情")});
}

QString eventCsvLine(const EventRow &row) {
    return csvLine({csvTime(row.at), shownEventCell(row, 0), row.cells[1].toString(),
                    row.cells[2].toString(), shownEventCell(row, 1), shownEventCell(row, 2),
                    row.cells[3].toString()});
}

QString exportRefusal(const QString &target, const QString &logDir) {
    return service::ownFolderTarget(target, logDir, preference::configDirectory());
}

QString eventTimeText(qint64 at) {
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(at);
    const QString text = local.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    if (!localTimeRepeats(at))
        return text;
    const int offset = local.offsetFromUtc();
    return text + QStringLiteral(" %1%2:%3")
                      .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                      .arg(qAbs(offset) / 3600, 2, 10, QLatin1Char('0'))
                      .arg(qAbs(offset) % 3600 / 60, 2, 10, QLatin1Char('0'));
}

QString writeEventsCsv(const QString &path, const std::vector<EventRow> &taken, EventReader &source,
                       const std::function<bool()> &cancelled,
                       const std::function<void(qint64)> &written) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    bool ok = true;
    qint64 rows = qint64(taken.size());
    const auto put = [&](const QString &text) {
        const QByteArray bytes = text.toUtf8();
        ok = ok && file.write(bytes) == bytes.size();
    };
    QString text = eventsCsvHeader();
    for (const EventRow &row : taken)
        text += eventCsvLine(row);
    put(text);
    QString error;
    EventReader::Outcome outcome = EventReader::Outcome::More;
    while (ok && outcome == EventReader::Outcome::More)
        outcome = source.read(
            4096,
            [&](std::vector<EventRow> &&page) {
                text.clear();
                for (const EventRow &row : page)
                    text += eventCsvLine(row);
                put(text);
                written(rows += qint64(page.size()));
            },
            cancelled, &error);
    if (outcome == EventReader::Outcome::Cancelled || outcome == EventReader::Outcome::Failed) {
        file.cancelWriting();
        return outcome == EventReader::Outcome::Failed ? error : Texts::tr("已取消");
    }
    // Written out before commit(), which would rename a file whose last bytes could not be
    // written (a full disk) into place all the same.
    if (!ok || !file.flush() || file.error() != QFileDevice::NoError || !file.commit())
        return file.errorString();
    return QString();
}

} // namespace diagnostics
