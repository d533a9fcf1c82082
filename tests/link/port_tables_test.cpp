// The entry texts, the setting tables and the listing of openable ports, without the window.
#include "link/port_entry.h"
#include "link/port_list.h"
#include "link/port_loss.h"
#include "link/port_settings.h"
#include "openable_ports.h"

#include <QSerialPort>
#include <QSerialPortInfo>
#include <QStringList>
#include <QTest>

#include <optional>

Q_DECLARE_METATYPE(QSerialPort::DataBits)
Q_DECLARE_METATYPE(QSerialPort::Parity)
Q_DECLARE_METATYPE(QSerialPort::StopBits)
Q_DECLARE_METATYPE(QSerialPort::SerialPortError)

class PortTablesTest : public QObject {
    Q_OBJECT

private slots:
    void entryTextIsNameThenDescriptionInParentheses_data();
    void entryTextIsNameThenDescriptionInParentheses();
    void portNameIsTheEntryCutBeforeItsFirstParenthesis_data();
    void portNameIsTheEntryCutBeforeItsFirstParenthesis();
    void portNameOfAnEntryTextIsThePortsOwnName_data();
    void portNameOfAnEntryTextIsThePortsOwnName();

    void baudRateTableMapsIndexToRate_data();
    void baudRateTableMapsIndexToRate();
    void dataBitTableMapsIndexToBits_data();
    void dataBitTableMapsIndexToBits();
    void parityTableMapsIndexToParity_data();
    void parityTableMapsIndexToParity();
    void stopBitTableMapsIndexToBits_data();
    void stopBitTableMapsIndexToBits();
    void fixedSettingsAre115200EightNoneOne();

    void onlyAFailedReadOfAnOpenPortMeansTheDeviceIsGone();

    void listingReportsExactlyThePortsThatOpen();
    void listingHandsOverEachEntryWhileItsPortIsOpen();
    void listingLeavesThePortAtTheLastPortTried();
};

void PortTablesTest::entryTextIsNameThenDescriptionInParentheses_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("entry");
    QTest::newRow("usb adapter") << "COM3"
                                 << "USB Serial Port"
                                 << "COM3(USB Serial Port)";
    QTest::newRow("empty description") << "COM3"
                                       << ""
                                       << "COM3()";
    QTest::newRow("device path") << "/dev/pts/7"
                                 << "test"
                                 << "/dev/pts/7(test)";
    QTest::newRow("blanks kept as given") << "ttyUSB0"
                                          << " FT232R "
                                          << "ttyUSB0( FT232R )";
}

void PortTablesTest::entryTextIsNameThenDescriptionInParentheses() {
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(QString, entry);
    QCOMPARE(seriallink::portEntryText(name, description), entry);
}

void PortTablesTest::portNameIsTheEntryCutBeforeItsFirstParenthesis_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("name");
    QTest::newRow("name and description") << "COM3(USB Serial Port)"
                                          << "COM3";
    QTest::newRow("empty description") << "COM3()"
                                       << "COM3";
    QTest::newRow("no parenthesis") << "COM12"
                                    << "COM12";
    QTest::newRow("nothing selected") << ""
                                      << "";
    QTest::newRow("parenthesis in the description") << "COM4(Port (A))"
                                                    << "COM4";
    QTest::newRow("starts with a parenthesis") << "(odd)"
                                               << "";
    QTest::newRow("device path") << "/dev/pts/7(test)"
                                 << "/dev/pts/7";
    QTest::newRow("unclosed parenthesis") << "ttyS1("
                                          << "ttyS1";
}

void PortTablesTest::portNameIsTheEntryCutBeforeItsFirstParenthesis() {
    QFETCH(QString, entry);
    QFETCH(QString, name);
    QCOMPARE(seriallink::portNameFromEntry(entry), name);
}

void PortTablesTest::portNameOfAnEntryTextIsThePortsOwnName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::newRow("plain") << "ttyUSB0"
                           << "FT232R USB UART";
    QTest::newRow("empty description") << "COM1"
                                       << "";
    QTest::newRow("description with parentheses") << "COM9"
                                                  << "Bridge (COM9)";
}

void PortTablesTest::portNameOfAnEntryTextIsThePortsOwnName() {
    QFETCH(QString, name);
    QFETCH(QString, description);
    QCOMPARE(seriallink::portNameFromEntry(seriallink::portEntryText(name, description)), name);
}

void PortTablesTest::baudRateTableMapsIndexToRate_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<int>("rate");
    const int rates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    for (int i = 0; i < 8; ++i)
        QTest::addRow("index %d", i) << i << true << rates[i];
    QTest::newRow("index 8") << 8 << false << 0;
    QTest::newRow("index -1") << -1 << false << 0;
    QTest::newRow("large index") << 115200 << false << 0;
}

void PortTablesTest::baudRateTableMapsIndexToRate() {
    QFETCH(int, index);
    QFETCH(bool, listed);
    QFETCH(int, rate);
    const std::optional<qint32> got = seriallink::baudRateAt(index);
    QCOMPARE(got.has_value(), listed);
    if (listed)
        QCOMPARE(*got, rate);
}

void PortTablesTest::dataBitTableMapsIndexToBits_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<QSerialPort::DataBits>("bits");
    QTest::newRow("5") << 0 << true << QSerialPort::Data5;
    QTest::newRow("6") << 1 << true << QSerialPort::Data6;
    QTest::newRow("7") << 2 << true << QSerialPort::Data7;
    QTest::newRow("8") << 3 << true << QSerialPort::Data8;
    // Unlisted rows yield nothing, so their value column is never read.
    QTest::newRow("index 4") << 4 << false << QSerialPort::Data8;
    QTest::newRow("index -1") << -1 << false << QSerialPort::Data8;
}

void PortTablesTest::dataBitTableMapsIndexToBits() {
    QFETCH(int, index);
    QFETCH(bool, listed);
    QFETCH(QSerialPort::DataBits, bits);
    const auto got = seriallink::dataBitsAt(index);
    QCOMPARE(got.has_value(), listed);
    if (listed)
        QCOMPARE(*got, bits);
}

void PortTablesTest::parityTableMapsIndexToParity_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<QSerialPort::Parity>("parity");
    QTest::newRow("none") << 0 << true << QSerialPort::NoParity;
    QTest::newRow("odd") << 1 << true << QSerialPort::OddParity;
    QTest::newRow("even") << 2 << true << QSerialPort::EvenParity;
    QTest::newRow("index 3") << 3 << false << QSerialPort::NoParity;
    QTest::newRow("index -1") << -1 << false << QSerialPort::NoParity;
}

void PortTablesTest::parityTableMapsIndexToParity() {
    QFETCH(int, index);
    QFETCH(bool, listed);
    QFETCH(QSerialPort::Parity, parity);
    const auto got = seriallink::parityAt(index);
    QCOMPARE(got.has_value(), listed);
    if (listed)
        QCOMPARE(*got, parity);
}

void PortTablesTest::stopBitTableMapsIndexToBits_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<QSerialPort::StopBits>("bits");
    QTest::newRow("one") << 0 << true << QSerialPort::OneStop;
    QTest::newRow("two") << 1 << true << QSerialPort::TwoStop;
    QTest::newRow("index 2") << 2 << false << QSerialPort::OneStop;
    QTest::newRow("index -1") << -1 << false << QSerialPort::OneStop;
}

void PortTablesTest::stopBitTableMapsIndexToBits() {
    QFETCH(int, index);
    QFETCH(bool, listed);
    QFETCH(QSerialPort::StopBits, bits);
    const auto got = seriallink::stopBitsAt(index);
    QCOMPARE(got.has_value(), listed);
    if (listed)
        QCOMPARE(*got, bits);
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

// Another process may hold a reported port for a moment (every window being built opens each
// one in turn), so a differing list is taken again before it counts as wrong.
void PortTablesTest::listingReportsExactlyThePortsThatOpen() {
    QSerialPort port;
    QStringList listed, expected;
    int count = -1;
    for (int attempt = 0; attempt < 3; ++attempt) {
        listed.clear();
        count = seriallink::listOpenablePorts(port, [&](const QString &entry) { listed << entry; });
        expected = portsThatOpenNow();
        if (listed == expected)
            break;
        QTest::qSleep(50);
    }
    QCOMPARE(listed, expected);
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
