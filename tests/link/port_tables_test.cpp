// The entry texts, the setting tables and the listing of openable ports, without the window.
#include "link/port_entry.h"
#include "link/port_list.h"
#include "link/port_loss.h"
#include "link/port_settings.h"
#include "support/ports.h"
#include "support/table.h"

#include <QSerialPort>
#include <QSerialPortInfo>
#include <QStringList>
#include <QTest>

Q_DECLARE_METATYPE(QSerialPort::SerialPortError)

class PortTablesTest : public QObject {
    Q_OBJECT

private slots:
    void entryTextIsNameThenDescriptionInParentheses_data();
    void entryTextIsNameThenDescriptionInParentheses();
    void portNameIsTheEntryCutBeforeItsFirstParenthesis_data();
    void portNameIsTheEntryCutBeforeItsFirstParenthesis();

    void settingTablesMapIndexToValue_data();
    void settingTablesMapIndexToValue();
    void fixedSettingsAre115200EightNoneOne();

    void onlyAFailedReadOfAnOpenPortMeansTheDeviceIsGone();

    void listingReportsExactlyThePortsThatOpen();
    void listingHandsOverEachEntryWhileItsPortIsOpen();
    void listingLeavesThePortAtTheLastPortTried();
};

// Each entry text also gives back the port's own name.
void PortTablesTest::entryTextIsNameThenDescriptionInParentheses_data() {
    fixture::columns<QString, QString, QString>("name", "description", "entry");
    const char *rows[][4] = {
        {"usb adapter", "COM3", "USB Serial Port", "COM3(USB Serial Port)"},
        {"empty description", "COM3", "", "COM3()"},
        {"device path", "/dev/pts/7", "test", "/dev/pts/7(test)"},
        {"blanks kept as given", "ttyUSB0", " FT232R ", "ttyUSB0( FT232R )"},
        {"plain", "ttyUSB0", "FT232R USB UART", "ttyUSB0(FT232R USB UART)"},
        {"empty description, COM1", "COM1", "", "COM1()"},
        {"description with parentheses", "COM9", "Bridge (COM9)", "COM9(Bridge (COM9))"},
    };
    for (const auto &r : rows)
        QTest::newRow(r[0]) << QString::fromUtf8(r[1]) << QString::fromUtf8(r[2])
                            << QString::fromUtf8(r[3]);
}

void PortTablesTest::entryTextIsNameThenDescriptionInParentheses() {
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(QString, entry);
    QCOMPARE(seriallink::portEntryText(name, description), entry);
    QCOMPARE(seriallink::portNameFromEntry(entry), name);
}

void PortTablesTest::portNameIsTheEntryCutBeforeItsFirstParenthesis_data() {
    fixture::columns<QString, QString>("entry", "name");
    const char *rows[][3] = {
        {"name and description", "COM3(USB Serial Port)", "COM3"},
        {"empty description", "COM3()", "COM3"},
        {"no parenthesis", "COM12", "COM12"},
        {"nothing selected", "", ""},
        {"parenthesis in the description", "COM4(Port (A))", "COM4"},
        {"starts with a parenthesis", "(odd)", ""},
        {"device path", "/dev/pts/7(test)", "/dev/pts/7"},
        {"unclosed parenthesis", "ttyS1(", "ttyS1"},
    };
    for (const auto &r : rows)
        QTest::newRow(r[0]) << QString::fromUtf8(r[1]) << QString::fromUtf8(r[2]);
}

void PortTablesTest::portNameIsTheEntryCutBeforeItsFirstParenthesis() {
    QFETCH(QString, entry);
    QFETCH(QString, name);
    QCOMPARE(seriallink::portNameFromEntry(entry), name);
}

void PortTablesTest::settingTablesMapIndexToValue_data() {
    fixture::addSettingTableRows();
}

void PortTablesTest::settingTablesMapIndexToValue() {
    QFETCH(QString, setting);
    QFETCH(int, index);
    QFETCH(int, value);
    const auto valueOf = [](const auto &got) { return got ? int(*got) : -1; };
    int got = -2;
    if (setting == QLatin1String("baud rate"))
        got = valueOf(seriallink::baudRateAt(index));
    else if (setting == QLatin1String("data bits"))
        got = valueOf(seriallink::dataBitsAt(index));
    else if (setting == QLatin1String("parity"))
        got = valueOf(seriallink::parityAt(index));
    else if (setting == QLatin1String("stop bits"))
        got = valueOf(seriallink::stopBitsAt(index));
    QCOMPARE(got, value);
}

void PortTablesTest::fixedSettingsAre115200EightNoneOne() {
    QSerialPort port;
    port.setBaudRate(1200, QSerialPort::AllDirections);
    port.setDataBits(QSerialPort::Data5);
    port.setParity(QSerialPort::EvenParity);
    port.setStopBits(QSerialPort::TwoStop);
    seriallink::applyFixedSettings(port);
    QCOMPARE(port.baudRate(QSerialPort::Input), 115200);
    QCOMPARE(port.baudRate(QSerialPort::Output), 115200);
    QCOMPARE(port.dataBits(), QSerialPort::Data8);
    QCOMPARE(port.parity(), QSerialPort::NoParity);
    QCOMPARE(port.stopBits(), QSerialPort::OneStop);
    QCOMPARE(port.flowControl(), QSerialPort::NoFlowControl);
}

void PortTablesTest::listingReportsExactlyThePortsThatOpen() {
    QSerialPort port;
    int count = -1;
    const auto list = [&] {
        QStringList listed;
        count = seriallink::listOpenablePorts(port, [&](const QString &entry) { listed << entry; });
        return listed;
    };
    QStringList expected;
    QVERIFY2(fixture::listsTheOpenablePorts(list(), list, &expected),
             qPrintable(expected.join(QLatin1Char(' '))));
    QCOMPARE(count, expected.size());
    QVERIFY(!port.isOpen());
}

void PortTablesTest::listingHandsOverEachEntryWhileItsPortIsOpen() {
    QSerialPort port;
    int handedOver = 0;
    const int opened = seriallink::listOpenablePorts(port, [&](const QString &entry) {
        QVERIFY(port.isOpen());
        QCOMPARE(seriallink::portNameFromEntry(entry), port.portName());
        ++handedOver;
    });
    QCOMPARE(handedOver, opened);
    QVERIFY(!port.isOpen());
}

void PortTablesTest::listingLeavesThePortAtTheLastPortTried() {
    const QList<QSerialPortInfo> reported = QSerialPortInfo::availablePorts();
    QSerialPort port;
    port.setPortName(QStringLiteral("/dev/untouched"));
    const QString before = port.portName();
    seriallink::listOpenablePorts(port, nullptr);
    // The last port tried, whether or not it opened; with nothing reported the name stays.
    const QString expected = reported.isEmpty() ? before : reported.last().portName();
    QCOMPARE(port.portName(), expected);
}

void PortTablesTest::onlyAFailedReadOfAnOpenPortMeansTheDeviceIsGone() {
    using E = QSerialPort::SerialPortError;
    const E all[] = {
        QSerialPort::NoError,
        QSerialPort::DeviceNotFoundError,
        QSerialPort::PermissionError,
        QSerialPort::OpenError,
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
        // Qt 6 reports no line errors any more.
        QSerialPort::ParityError,
        QSerialPort::FramingError,
        QSerialPort::BreakConditionError,
#endif
        QSerialPort::WriteError,
        QSerialPort::ReadError,
        QSerialPort::ResourceError,
        QSerialPort::UnsupportedOperationError,
        QSerialPort::UnknownError,
        QSerialPort::TimeoutError,
        QSerialPort::NotOpenError
    };
    for (const E error : all) {
        const bool readFailed =
            error == QSerialPort::ReadError || error == QSerialPort::ResourceError;
        QCOMPARE(seriallink::meansDeviceGone(error, true), readFailed);
        // A closed port has nothing left to close.
        QVERIFY(!seriallink::meansDeviceGone(error, false));
    }
}

QTEST_GUILESS_MAIN(PortTablesTest)
#include "port_tables_test.moc"
