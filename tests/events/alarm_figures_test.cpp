// The alarm report's figures from small histories, damaged ones among them: each row a history
// ("seconds category name value [detail]", "seconds A+" for alarm A on; rows apart by commas,
// in the order written) and the figures it gives over two days; the same again from JSON.
#include "events/alarm_figures.h"
#include "events/clock_rows.h"
#include "support/table.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

namespace {

constexpr qint64 t0 = 1796601600000; // 2026-12-07 00:00 UTC
constexpr qint64 hour = 3600 * 1000;

std::vector<events::Event> history(const QString &script) {
    std::vector<events::Event> rows;
    for (const QString &line : script.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        QStringList w = line.simplified().split(QLatin1Char(' '));
        const qint64 at = t0 + qint64(w[0].toDouble() * 1000);
        if (w.size() == 2) // "A+": alarm A on, "A-": off
            w = QStringList{w[0], "alarm", w[1].chopped(1), w[1].endsWith('+') ? "on" : "off"};
        if (w[1] == QLatin1String("jump")) // seconds, and the seconds it jumped by
            rows.push_back(events::clockJumpRow(at - w[2].toLongLong() * 1000, at));
        else
            rows.push_back({at, w[1], w[2], w.value(3), w.mid(4).join(QLatin1Char(' '))});
    }
    return rows;
}

// Every figure above zero, by its JSON name (times in seconds, on_at_end from t0), alarms first.
QString summary(const QJsonObject &figures) {
    QStringList out;
    const auto add = [&out](const QJsonObject &o, const QStringList &skip) {
        for (auto it = o.begin(); it != o.end(); ++it) {
            const QString k = it.key();
            const double v = it->toDouble() - (k == "on_at_end" ? t0 : 0);
            if (it->isDouble() && it->toDouble() > 0 && !skip.contains(k))
                out << (k.endsWith("_ms") || k == "on_at_end"
                            ? QStringLiteral("%1=%2s").arg(k).arg(v / 1000)
                            : QStringLiteral("%1=%2").arg(k).arg(v));
        }
    };
    for (const QJsonValue &a : figures["alarms"].toArray()) {
        out << a["key"].toString() + ':';
        add(a.toObject(), {});
    }
    out << "|";
    add(figures, {"version", "from", "to", "history_end", "events_from", "rises", "intervals",
                  "peak_at", "peak_rises", "ended_with_run", "ended_by_crash"});
    return out.join(' ');
}

} // namespace

class AlarmFiguresTest : public QObject {
    Q_OBJECT

private slots:
    void aHistoryGivesItsFigures_data() {
        fixture::columns<QString, QString>("rows", "figures");
        const auto row = [](const char *tag, const QString &rows, const char *figures) {
            QTest::newRow(tag) << rows << QString::fromUtf8(figures);
        };
        row("no rows", "", "|");
        row("first out, acknowledged in time and late; shelved, calling for none",
            "0 link opened, 10 A+, 10 handling A first_out, 70 handling A acknowledged, 100 A-, "
            "200 A+, 900 handling A acknowledged, 950 A-, 1000 handling B shelved 15 min; u; r, "
            "1060 B+, 1070 B-, 1900 handling B shelf_ended, 2000 link closed",
            "A: acknowledged_within_10_min=1 active_ms=840s first_outs=1 longest_ms=750s rises=2 "
            "B: active_ms=10s longest_ms=10s rises=1 shelved_ms=900s shelved_rises=1 | "
            "link_up_ms=2000s");
        QString flood; // eleven rises a second apart, then three more: two chattering episodes
        for (int i = 0; i < 11; ++i)
            flood += QStringLiteral("%1 A+,%2 A-,").arg(i * 2).arg(i * 2 + 1);
        row("a flood of chattering", flood + "200 A+, 201 A-, 230 A+, 231 A-, 250 A+, 251 A-",
            "A: active_ms=14s chattering_episodes=2 longest_ms=1s rises=14 | flood_intervals=1");
        row("a lost link and a crash end their run's alarms",
            "0 link opened, 10 A+, 40 link link_lost, 50 link opened, 60 B+, 500 link "
            "ended_unexpectedly, 600 link opened",
            "A: active_ms=30s ended_with_run=1 longest_ms=30s rises=1 B: active_ms=440s "
            "ended_by_crash=1 ended_with_run=1 longest_ms=440s rises=1 | crashes=1 link_losses=1 "
            "link_up_ms=172689s");
        row("only a crash", "50 link ended_unexpectedly", "| crashes=1");
        row("on for more than a day, to the end", "3600 A+",
            "A: active_ms=169199s longest_ms=169199s on_at_end=3600s rises=1 stale=1 |");
        row("the clock jumped an hour forward; a clear stamped before its rise",
            "0 A+, 3700 jump 3600, 3800 A-, 5000 B+, 4000 B-",
            "A: active_ms=200s longest_ms=200s rises=1 B: rises=1 | clock_jumps=1 not_counted=1");
        row("two programs at once",
            "0 link opened, 10 link opened, 20 A+, 30 link closed, 40 A-, 60 link closed",
            "A: active_ms=10s ended_with_run=1 longest_ms=10s rises=1 | clears_without_rise=1 "
            "link_up_ms=60s overlap_ms=20s");
        row("shelves without their end rows end at their time, or after the longest",
            "0 handling B shelved 15 min; u; r, 1000 B+, 1010 B-, 2000 handling C shelved ?",
            "B: active_ms=10s longest_ms=10s rises=1 shelved_ms=900s C: shelved_ms=28800s |");
        row("rows outside the period", "-7200 A+, -7100 A-, 200000 B+", "|");
    }
    void aHistoryGivesItsFigures() {
        QFETCH(QString, rows);
        QFETCH(QString, figures);
        const std::vector<events::Event> h = history(rows);
        // The history ends a second before the period.
        const events::PeriodFigures f =
            events::figuresFromRows(h, t0, t0 + 48 * hour, t0 + 48 * hour - 1000);
        const QJsonObject json = f.toJson();
        QCOMPARE(summary(json), figures);
        const auto back = events::PeriodFigures::fromJson(
            QJsonDocument::fromJson(QJsonDocument(json).toJson()).object());
        QVERIFY(back && back->toJson() == json);
    }
};

QTEST_GUILESS_MAIN(AlarmFiguresTest)
#include "alarm_figures_test.moc"
