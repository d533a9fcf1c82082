// The history's rows in the operator's words: every stored key reads as the status page calls
// it, in both languages, values and categories as words, a search finds the shown words; and
// which alarms are on, from the rows alone.
#include "events/active_alarms.h"
#include "events/event_words.h"
#include "events/flag_watch.h"
#include "support/english.h"

#include <QTest>

#include <memory>

using events::ActiveAlarm;
using events::Event;

namespace {

Event row(qint64 at, const char *category, const char *name, const char *value = "") {
    return Event{at, QLatin1String(category), QLatin1String(name), QLatin1String(value), QString()};
}

// Texts in the language of the row: "english" installs the catalogue for the case.
std::unique_ptr<EnglishCatalogue> language(const QString &name) {
    return name == QLatin1String("english") ? std::make_unique<EnglishCatalogue>() : nullptr;
}

} // namespace

Q_DECLARE_METATYPE(std::vector<events::Event>)
Q_DECLARE_METATYPE(std::vector<events::ActiveAlarm>)

class EventWordsTest : public QObject {
    Q_OBJECT

private slots:
    void aKeyReadsAsTheStatusPageCallsIt_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("label");
        const auto both = [](const char *tag, const char *category, const char *name,
                             const char *chinese, const char *english) {
            QTest::newRow(qPrintable(QStringLiteral("%1 zh").arg(QLatin1String(tag))))
                << "chinese" << category << name << QString::fromUtf8(chinese);
            QTest::newRow(qPrintable(QStringLiteral("%1 en").arg(QLatin1String(tag))))
                << "english" << category << name << QString::fromUtf8(english);
        };
        both("system alarm", "alarm", "chillerFault", "水冷机警报", "Chiller alarm");
        both("module alarm", "alarm", "module1.qbhFault", "模块1 QBH报警", "Module 1 QBH alarm");
        both("driver sensor", "alarm", "board0.channel3.overTemp2", "驱动板0 通道3 驱动温度报警 2",
             "Board 0 channel 3 Driver temp. alarm 2");
        // The same caption in two group boxes: the box tells them apart.
        both("input", "state", "dinEStop2", "数字量输入：外部急停",
             "Digital inputs: External E-stop");
        both("link", "link", "link_lost", "串口", "Serial port");
        both("command", "command", "redLight", "红光开关", "Red pilot light");
        both("unknown flag", "alarm", "module1.futureFault", "module1.futureFault",
             "module1.futureFault");
        both("unknown command", "command", "Code 9A", "Code 9A", "Code 9A");
        both("clock", "clock", "jump", "系统时钟", "System clock");
    }
    void aKeyReadsAsTheStatusPageCallsIt() {
        QFETCH(QString, language);
        QFETCH(QString, category);
        QFETCH(QString, name);
        QFETCH(QString, label);
        const auto catalogue = ::language(language);
        QCOMPARE(events::eventLabel(category, name), label);
    }

    void valuesAndCategoriesReadAsWords_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("categoryShown");
        const auto both = [](const char *tag, const char *category, const char *name,
                             const char *value, const char *chinese, const char *english,
                             const char *categoryZh, const char *categoryEn) {
            QTest::newRow(qPrintable(QStringLiteral("%1 zh").arg(QLatin1String(tag))))
                << "chinese" << category << name << value << QString::fromUtf8(chinese)
                << QString::fromUtf8(categoryZh);
            QTest::newRow(qPrintable(QStringLiteral("%1 en").arg(QLatin1String(tag))))
                << "english" << category << name << value << QString::fromUtf8(english)
                << QString::fromUtf8(categoryEn);
        };
        both("alarm on", "alarm", "chillerFault", "on", "出现", "raised", "报警", "Alarm");
        both("alarm off", "alarm", "chillerFault", "off", "消除", "cleared", "报警", "Alarm");
        both("state on", "state", "dcOn", "on", "开", "on", "状态", "State");
        both("link lost", "link", "link_lost", "", "链路中断", "link lost", "链路", "Link");
        both("device gone", "link", "device_gone", "", "设备已拔出", "device removed", "链路",
             "Link");
        both("command sent", "command", "clearAllFaults", "sent", "已发送", "sent", "命令",
             "Command");
        both("a number stays", "command", "redLight", "3", "3", "3", "命令", "Command");
        both("a description stays", "settings", "written", "mode automatic", "mode automatic",
             "mode automatic", "设置", "Settings");
        both("unknown category", "future", "x", "on", "on", "on", "future", "future");
        both("ended unexpectedly", "link", "ended_unexpectedly", "", "程序意外结束",
             "program ended unexpectedly", "链路", "Link");
        both("clock forward", "clock", "jump", "forward", "向前跳变", "jumped forward", "时钟",
             "Clock");
        both("clock back", "clock", "jump", "back", "向后跳变", "jumped back", "时钟", "Clock");
    }
    void valuesAndCategoriesReadAsWords() {
        QFETCH(QString, language);
        QFETCH(QString, category);
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(QString, shown);
        QFETCH(QString, categoryShown);
        const auto catalogue = ::language(language);
        QCOMPARE(events::eventValueText(category, name, value), shown);
        QCOMPARE(events::categoryText(category), categoryShown);
    }

    // A key the history writes and no label for it would show the operator a bare key.
    void everyKeyTheHistoryWritesHasALabel() {
        const QStringList known = events::flagNames();
        events::FlagWatch watch;
        QCOMPARE(known.size(), int(watch.flags().size()));
        for (const events::FlagWatch::Flag &f : watch.flags()) {
            QVERIFY2(known.contains(f.name), qPrintable(f.name));
            QVERIFY2(events::eventLabel(QLatin1String(f.category), f.name) != f.name,
                     qPrintable(f.name));
        }
        for (const QString &name : events::commandNames())
            QVERIFY(events::eventLabel(QStringLiteral("command"), name) != name);
        for (const QString &name : events::settingsNames())
            QVERIFY(events::eventLabel(QStringLiteral("settings"), name) != name);
        for (const QString &name : events::linkNames())
            QVERIFY(events::eventValueText(QStringLiteral("link"), name, QString()) != name);
    }

    void durationsReadInWholeUnits_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<QString>("text");
        QTest::newRow("negative") << "chinese" << qint64(-5) << QStringLiteral("0 秒");
        QTest::newRow("seconds") << "chinese" << qint64(59999) << QStringLiteral("59 秒");
        QTest::newRow("minutes") << "chinese" << qint64(125000) << QStringLiteral("2 分 05 秒");
        QTest::newRow("hours") << "chinese" << qint64(3720000) << QStringLiteral("1 小时 02 分");
        QTest::newRow("days") << "chinese" << qint64(273600000) << QStringLiteral("3 天 4 小时");
        QTest::newRow("minutes en") << "english" << qint64(60000) << QStringLiteral("1 min 00 s");
        QTest::newRow("days en") << "english" << qint64(86400000) << QStringLiteral("1 d 0 h");
    }
    void durationsReadInWholeUnits() {
        QFETCH(QString, language);
        QFETCH(qint64, ms);
        QFETCH(QString, text);
        const auto catalogue = ::language(language);
        QCOMPARE(events::durationText(ms), text);
    }

    void aSearchFindsTheShownWordsInTheCurrentLanguage() {
        const auto has = [](const QVector<events::ShownKey> &keys, const char *category,
                            const char *name, const char *value) {
            for (const events::ShownKey &k : keys)
                if (k.category == QLatin1String(category) && k.name == QLatin1String(name) &&
                    k.value == QLatin1String(value))
                    return true;
            return false;
        };
        QVERIFY(events::keysShownAs(QString()).isEmpty());
        QVector<events::ShownKey> keys = events::keysShownAs(QStringLiteral("QBH"));
        QCOMPARE(keys.size(), 6); // one per module, its alarm rows and what was done with it
        QVERIFY(has(keys, "alarm", "module0.qbhFault", ""));
        QVERIFY(has(events::keysShownAs(QStringLiteral("首出")), "handling", "", "first_out"));
        QVERIFY(has(events::keysShownAs(QStringLiteral("出现")), "alarm", "", "on"));
        QVERIFY(has(events::keysShownAs(QStringLiteral("中断")), "link", "link_lost", ""));
        QVERIFY(has(events::keysShownAs(QStringLiteral("串口")), "link", "", ""));
        // Another language, other words: "raised" is the English for an alarm's on.
        QVERIFY(events::keysShownAs(QStringLiteral("raised")).isEmpty());
        EnglishCatalogue english;
        QVERIFY(has(events::keysShownAs(QStringLiteral("RAISED")), "alarm", "", "on"));
        keys = events::keysShownAs(QStringLiteral("board 2 channel 7 driver temp"));
        QCOMPARE(keys.size(), 8); // the four sensors, each twice
        QVERIFY(has(keys, "alarm", "board2.channel7.overTemp4", ""));
        QVERIFY(has(events::keysShownAs(QStringLiteral("Digital inputs")), "state", "dinPwm", ""));
    }

    void anAlarmIsOnFromItsLastOnUntilItEnds_data() {
        QTest::addColumn<std::vector<Event>>("rows");
        QTest::addColumn<std::vector<ActiveAlarm>>("active");
        const QString chiller = QStringLiteral("chillerFault");
        const QString qbh = QStringLiteral("module1.qbhFault");
        QTest::newRow("no rows") << std::vector<Event>{} << std::vector<ActiveAlarm>{};
        QTest::newRow("on") << std::vector<Event>{row(10, "alarm", "chillerFault", "on")}
                            << std::vector<ActiveAlarm>{{chiller, 10}};
        QTest::newRow("on then off") << std::vector<Event>{row(10, "alarm", "chillerFault", "on"),
                                                           row(20, "alarm", "chillerFault", "off")}
                                     << std::vector<ActiveAlarm>{};
        QTest::newRow("on again after off")
            << std::vector<Event>{row(10, "alarm", "chillerFault", "on"),
                                  row(20, "alarm", "chillerFault", "off"),
                                  row(30, "alarm", "chillerFault", "on")}
            << std::vector<ActiveAlarm>{{chiller, 30}};
        QTest::newRow("oldest first, states ignored")
            << std::vector<Event>{row(10, "alarm", "module1.qbhFault", "on"),
                                  row(20, "state", "dcOn", "on"),
                                  row(30, "alarm", "chillerFault", "on")}
            << std::vector<ActiveAlarm>{{qbh, 10}, {chiller, 30}};
        for (const char *end : {"closed", "link_lost", "state_cleared", "device_gone", "opened"})
            QTest::newRow(end) << std::vector<Event>{row(10, "alarm", "chillerFault", "on"),
                                                     row(20, "link", end),
                                                     row(30, "alarm", "module1.qbhFault", "on")}
                               << std::vector<ActiveAlarm>{{qbh, 30}};
        // Written at the next start, at the dead run's newest row, after the new run's rows
        // may have been taken on: it ends the alarms up to its time.
        QTest::newRow("ended unexpectedly")
            << std::vector<Event>{row(10, "alarm", "chillerFault", "on"),
                                  row(30, "alarm", "module1.qbhFault", "on"),
                                  row(20, "link", "ended_unexpectedly")}
            << std::vector<ActiveAlarm>{{qbh, 30}};
        QTest::newRow("a port error ends nothing")
            << std::vector<Event>{row(10, "alarm", "chillerFault", "on"),
                                  row(20, "link", "port_error"), row(25, "link", "open_failed")}
            << std::vector<ActiveAlarm>{{chiller, 10}};
        QTest::newRow("an off without an on")
            << std::vector<Event>{row(10, "alarm", "chillerFault", "off")}
            << std::vector<ActiveAlarm>{};
    }
    void anAlarmIsOnFromItsLastOnUntilItEnds() {
        QFETCH(std::vector<Event>, rows);
        QFETCH(std::vector<ActiveAlarm>, active);
        const std::vector<ActiveAlarm> got = events::activeAlarms(rows);
        QCOMPARE(got.size(), active.size());
        for (size_t i = 0; i < got.size(); ++i) {
            QCOMPARE(got[i].name, active[i].name);
            QCOMPARE(got[i].since, active[i].since);
        }
    }
};

QTEST_GUILESS_MAIN(EventWordsTest)
#include "event_words_test.moc"
