// The command senders, seen from the CCB's end of a pseudo-terminal.

#include "support/table.h"
#include "support/test_main.h"
#include "support/window_fixture.h"

#include "protocol/device_state.h"

#include <QTest>

using namespace fixture;
using frames::parameterReply;
using frames::settingsWrite;
using frames::sevenBytes;

namespace {

// The senders by name, so that tables can list them; redOn(N) takes any operation byte.
void runSender(Serial &w, const QByteArray &name) {
    using Sender = void (*)(Serial &);
    const std::pair<const char *, Sender> senders[] = {
        {"clearFaultAll", SerialProbe::cmdSnd_clearFaultAll},
        {"ccbDcOn(true)", [](Serial &s) { SerialProbe::cmdSnd_ccbDcOn(s, true); }},
        {"ccbDcOn(false)", [](Serial &s) { SerialProbe::cmdSnd_ccbDcOn(s, false); }},
        {"Pgm(1)", [](Serial &s) { SerialProbe::cmdSnd_Pgm(s, 1); }},
        {"sysSet_readBack", SerialProbe::cmdSnd_sysSet_readBack},
        {"sysSet_Set", SerialProbe::cmdSnd_sysSet_Set},
    };
    for (const auto &sender : senders)
        if (name == sender.first)
            return sender.second(w);
    if (name.startsWith("redOn(") && name.endsWith(')'))
        return SerialProbe::cmdSnd_redOn(w, quint8(name.mid(6, name.size() - 7).toInt()));
    QFAIL(qPrintable("unknown sender " + name));
}

const char *const allSenders[] = {"clearFaultAll", "ccbDcOn(true)",   "ccbDcOn(false)",
                                  "redOn(1)",      "redOn(2)",        "redOn(255)",
                                  "Pgm(1)",        "sysSet_readBack", "sysSet_Set"};

} // namespace

class CommandFrames : public QObject {
    Q_OBJECT

private slots:

    void redLightButtonsPutTheParameter50WriteOnTheWire_data() {
        fixture::columns<QString, QByteArray>("button", "frame");
        QTest::newRow("on") << "pushButton_redon"
                            << QByteArray::fromHex("EF0E1100003832017F7F000000001E71");
        QTest::newRow("off") << "pushButton_redoff"
                             << QByteArray::fromHex("EF0E1100003832027F7F000000004673");
    }
    void redLightButtonsPutTheParameter50WriteOnTheWire() {
        QFETCH(QString, button);
        QFETCH(QByteArray, frame);
        PtyWindow win;
        QVERIFY(win.open());
        BoxCloser guard;

        auto *pushButton = win.w().findChild<QPushButton *>(button);
        QVERIFY(pushButton);
        pushButton->click();

        QCOMPARE(win.pty->read(frame.size()).toHex(' '), frame.toHex(' '));
        QCOMPARE(win.sentBeforeNow().toHex(' '), QByteArray());
        QCOMPARE(guard.count(), 0);
        // Red light commands are not part of the settings handshake.
        QCOMPARE(win.state().sysSetReadBackState, quint8(0));
        QCOMPARE(win.state().sysSetWriteState, quint8(0));
    }

    void sendersPutTheirExactFramesOnTheWire_data() {
        fixture::columns<QByteArray, QByteArray>("sender", "frame");
        QTest::newRow("clear all faults")
            << QByteArray("clearFaultAll") << QByteArray::fromHex("990300337B");
        // The payload is the inverse of the boolean.
        QTest::newRow("dc on") << QByteArray("ccbDcOn(true)") << QByteArray::fromHex("B30300727C");
        QTest::newRow("dc off") << QByteArray("ccbDcOn(false)")
                                << QByteArray::fromHex("B30301625D");
        QTest::newRow("settings read-back")
            << QByteArray("sysSet_readBack") << QByteArray::fromHex("EF070900000028575D");
        QTest::newRow("red light on")
            << QByteArray("redOn(1)") << QByteArray::fromHex("EF0E1100003832017F7F000000001E71");
        QTest::newRow("red light off")
            << QByteArray("redOn(2)") << QByteArray::fromHex("EF0E1100003832027F7F000000004673");
        // Only the low three bits of the operation go out: 9 = 0b1001 as 1, 10 as 2, 255 as 7.
        QTest::newRow("red light 9")
            << QByteArray("redOn(9)") << QByteArray::fromHex("EF0E1100003832017F7F000000001E71");
        QTest::newRow("red light 10")
            << QByteArray("redOn(10)") << QByteArray::fromHex("EF0E1100003832027F7F000000004673");
        QTest::newRow("red light 255")
            << QByteArray("redOn(255)")
            << frames::make(0xEF, frames::hex("11 00 00 38 32 07 7F 7F 00 00 00 00"));
        QTest::newRow("settings write after a reset")
            << QByteArray("sysSet_Set") << settingsWrite(QByteArray(7, '\0'));
    }
    void sendersPutTheirExactFramesOnTheWire() {
        QFETCH(QByteArray, sender);
        QFETCH(QByteArray, frame);
        PtyWindow win;
        QVERIFY(win.open());
        BoxCloser guard;

        runSender(win.w(), sender);

        QCOMPARE(win.pty->read(frame.size()).toHex(' '), frame.toHex(' '));
        QCOMPARE(win.sentBeforeNow().toHex(' '), QByteArray());
        QCOMPARE(guard.count(), 0);
    }

    void pgmCommandSendsNothing() {
        PtyWindow win;
        QVERIFY(win.open());
        BoxCloser guard;

        SerialProbe::cmdSnd_Pgm(win.w(), 1);
        SerialProbe::cmdSnd_Pgm(win.w(), 0xFF);

        QCOMPARE(win.sentBeforeNow().toHex(' '), QByteArray());
        QCOMPARE(guard.count(), 0);
    }

    void sendersWithThePortClosedSendNothingAndShowNoBox_data() {
        fixture::columns<QByteArray, bool>("sender", "openedBefore");
        for (const char *name : allSenders) {
            QTest::addRow("%s never opened", name) << QByteArray(name) << false;
            QTest::addRow("%s closed by the user", name) << QByteArray(name) << true;
        }
    }
    void sendersWithThePortClosedSendNothingAndShowNoBox() {
        QFETCH(QByteArray, sender);
        QFETCH(bool, openedBefore);
        PtyWindow win;
        // The pseudo-terminal is the selected port either way, so a sender that opened the port
        // by itself would show up on the wire.
        if (openedBefore) {
            QVERIFY(win.open());
            win.form()->pushButtonSerialSwitch->click();
            QVERIFY(!SerialProbe::portOpen(win.w()));
        } else {
            win.form()->comboBoxCOM->addItem(win.pty->entryText());
            win.form()->comboBoxCOM->setCurrentIndex(win.form()->comboBoxCOM->count() - 1);
        }
        QVERIFY(!SerialProbe::port(win.w())->isOpen());
        BoxCloser guard;

        QElapsedTimer clock;
        clock.start();
        runSender(win.w(), sender);
        // The DC switch's wait for the bytes to leave must not block on a closed port.
        QVERIFY(clock.elapsed() < 5000);

        QCOMPARE(win.sentBeforeNow().toHex(' '), QByteArray());
        QCOMPARE(guard.count(), 0);
        QVERIFY(!SerialProbe::port(win.w())->isOpen());
    }

    void settingsSendersCalledDirectlyWithThePortClosedStillWait() {
        PtyWindow win;
        BoxCloser guard;

        SerialProbe::cmdSnd_sysSet_readBack(win.w());
        SerialProbe::cmdSnd_sysSet_Set(win.w());

        // Only the buttons check the port; the senders go on to wait for the answer.
        QCOMPARE(win.state().sysSetReadBackState, quint8(protocol::handshakeWaiting));
        QCOMPARE(win.state().sysSetWriteState, quint8(protocol::handshakeWaiting));
        QVERIFY(!win.form()->pushButton_sysSet_readBack1->isEnabled());
        QVERIFY(!win.form()->pushButton_sysSet_set1->isEnabled());
        QCOMPARE(guard.count(), 0);
    }
};

LASER_WINDOW_TEST_MAIN(CommandFrames)
#include "command_senders_test.moc"
