// The program as main() runs it, with its port opened on the pseudo-terminal given as the
// argument, for tests that end it by a signal or kill it. Prints "open" once the port is open,
// and with --say-bytes then "in N" whenever the window has taken bytes from the port (N in all
// so far). Also "looping" once an event loop runs (a box's in the constructor: before "open"),
// "read" on standard error, which LASER_TEST_STDERR_GONE makes a pipe whose reader is gone.
#include "common/signal_exit.h"
#include "history/recorder.h"
#include "support/serial_probe.h"
#include "ui/serial.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QSerialPort>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    int ends[2];
    if (qEnvironmentVariableIsSet("LASER_TEST_STDERR_GONE") && ::pipe(ends) == 0)
        ::dup2(ends[1], 2), ::close(ends[0]);
    const SignalExit signalExit;
    QTimer::singleShot(0, [] { std::printf("looping\n"), std::fflush(stdout); });
    Serial window;
    window.show();
    if (argc > 1) {
        auto *combo = window.findChild<QComboBox *>(QStringLiteral("comboBoxCOM"));
        combo->addItem(QString::fromLocal8Bit(argv[1]) + QStringLiteral("(test)"));
        combo->setCurrentIndex(combo->count() - 1);
        auto *button = window.findChild<QPushButton *>(QStringLiteral("pushButtonSerialSwitch"));
        button->click();
        if (button->text() == QStringLiteral("关闭串口"))
            std::printf("open\n");
        else
            std::printf("not open\n");
        std::fflush(stdout);
        // After the window's own handler, which hands what it read to the history.
        const auto *recorder = window.findChild<history::Recorder *>();
        if (argc > 2 && QByteArray(argv[2]) == "--say-bytes")
            QObject::connect(SerialProbe::port(window), &QSerialPort::readyRead, [recorder] {
                std::printf("in %llu\n",
                            static_cast<unsigned long long>(recorder->figures().bytesIn));
                std::fflush(stdout);
                std::fputs("read\n", stderr);
            });
    }
    return application.exec();
}
