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

// Every figure that is not zero, by its JSON name (times in seconds), alarms first.
QString summary(const QJsonObject &figures) {
    QStringList out;
    const auto add = [&out](const QJsonObject &o, const QStringList &skip) {
        for (auto it = o.begin(); it != o.end(); ++it)
            if (it.value().isDouble() && it.value().toDouble() != 0 && !skip.contains(it.key()))
                out << (it.key().endsWith(QLatin1String("_ms"))
                            ? QStringLiteral("%1=%2s")
                                  .arg(it.key().chopped(3))
                                  .arg(it->toDouble() / 1000)
                            : QStringLiteral("%1=%2").arg(it.key()).arg(it->toDouble()));
    };
    for (const QJsonValue &a : figures[QLatin1String("alarms")].toArray()) {
        out << a[QLatin1String("key")].toString() + QLatin1Char(':');
        add(a.toObject(), {QStringLiteral("on_at_end")});
        if (a[QLatin1String("on_at_end")].toDouble() >= 0)
            out << QStringLiteral("on_since=%1s")
                       .arg((a[QLatin1String("on_at_end")].toDouble() - t0) / 1000);
    }
    out << QStringLiteral("|");
    add(figures, QStringList{"version", "from", "to", "history_end", "events_from", "rises",
                             "intervals", "peak_at", "ended_with_run", "ended_by_crash"});
    return out.join(QLatin1Char(' '));
}

} // namespace

class AlarmFiguresTest : public QObject {
    Q_OBJECT

private slots:
    void aHistoryGivesItsFigures_data() {
        fixture::columns<QString, QString>("rows", "figures");
        const auto row = [](const char *tag, const char *rows, const char *figures) {
            QTest::newRow(tag) << QString::fromUtf8(rows) << QString::fromUtf8(figures);
        };
        row("no rows", "", "|");
        row("a rise and its clear", "0 link opened, 10 A+, 70 A-, 100 link closed",
            "A: active=60s longest=60s rises=1 | link_up=100s peak_rises=1");
        row("chattering: two episodes",
            "0 A+,1 A-,10 A+,11 A-,20 A+,21 A-,30 A+,31 A-,200 A+,201 A-,230 A+,231 A-,250 A+,251 "
            "A-",
            "A: active=7s chattering_episodes=2 longest=1s rises=7 | peak_rises=7");
        QString flood; // eleven rises within ten minutes, a second apart
        for (int i = 0; i < 11; ++i)
            flood += QStringLiteral("%1 A+,%2 A-,").arg(i * 2).arg(i * 2 + 1);
        QTest::newRow("a flood of eleven") << flood
                                           << "A: active=11s chattering_episodes=1 longest=1s "
                                              "rises=11 | flood_intervals=1 peak_rises=11";
        row("first out, acknowledged in time and late",
            "0 A+, 0 handling A first_out,60 handling A acknowledged, 100 A-, 200 A+, 900 handling "
            "A acknowledged,950 A-",
            "A: acknowledged_within_10_min=1 active=850s first_outs=1 longest=750s rises=2 | "
            "peak_rises=2");
        row("shelved: its rises call for no acknowledgement",
            "0 handling A shelved 15 min; u; r,60 A+, 70 A-, 900 handling A shelf_ended",
            "A: active=10s longest=10s rises=1 shelved=900s shelved_rises=1 | peak_rises=1");
        row("stale: on for more than a day", "0 A+, 90000 A-",
            "A: active=90000s longest=90000s rises=1 stale=1 | peak_rises=1");
        row("a crash ends the run's alarms at its last row",
            "0 link opened, 10 A+,500 link ended_unexpectedly, 600 link opened, 700 link closed",
            "A: active=490s ended_by_crash=1 ended_with_run=1 longest=490s rises=1 | crashes=1 "
            "link_up=600s peak_rises=1");
        row("only a crash", "50 link ended_unexpectedly", "| crashes=1");
        row("a lost link ends its alarms", "0 link opened, 10 A+, 40 link link_lost",
            "A: active=30s ended_with_run=1 longest=30s rises=1 | link_losses=1 link_up=40s "
            "peak_rises=1");
        row("on at the end of the history", "0 link opened, 3600 A+",
            "A: active=169199s longest=169199s rises=1 stale=1 on_since=3600s | link_up=172799s "
            "peak_rises=1");
        row("the clock jumped an hour forward while on", "0 A+, 3700 jump 3600, 3800 A-",
            "A: active=200s longest=200s rises=1 | clock_jumps=1 peak_rises=1");
        row("a clear stamped before its rise", "100 A+, 50 A-",
            "A: rises=1 | not_counted=1 peak_rises=1");
        row("two programs at once",
            "0 link opened, 10 link opened, 20 A+, 30 link closed,40 A-, 60 link closed",
            "A: active=10s ended_with_run=1 longest=10s rises=1 | clears_without_rise=1 "
            "link_up=60s overlap=20s peak_rises=1");
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
