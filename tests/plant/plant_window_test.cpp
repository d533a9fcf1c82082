// The window and the plant link: without config/plant.ini the program holds no network socket
// and shows nothing new; with one it connects out and shows the link's line in the status bar.
#include "plant/plant_link.h"
#include "support/broker.h"
#include "support/tcp_sockets.h"
#include "support/window_fixture.h"
#include "ui/diagnostics/diagnostics_window.h"
#include "ui/diagnostics/tabs.h"

#include <QDir>
#include <QLabel>
#include <QStatusBar>
#include <QtTest>

#include <memory>

namespace {

// A running broker on loopback, a subscriber to `filter` on it, and a fresh working directory
// whose config/plant.ini names the broker.
struct PlantSetup {
    explicit PlantSetup(const std::string &filter)
        : ready(broker.start() &&
                WorkDir::writeConfig(QStringLiteral("plant.ini"),
                                     "[mqtt]\nurl = " + broker.url().toUtf8() + "\n")),
          sub(broker.port, filter) {}
    Broker broker;
    WorkDir work;
    bool ready;
    Subscriber sub;
};

} // namespace

class PlantWindowTest : public QObject {
    Q_OBJECT

private slots:
    void withoutPlantIniTheWindowOpensNoNetworkSocket() {
        WorkDir work;
        QCOMPARE(fixture::tcpSocketsOf(), 0);
        Serial window;
        window.show();
        // No link at all, and none after five refresh passes, where a link would publish.
        QCOMPARE(window.findChild<plant::PlantLink *>(), nullptr);
        SerialProbe::ticks(window, 1000);
        QCoreApplication::processEvents();
        QCOMPARE(fixture::tcpSocketsOf(), 0);
        QCOMPARE(window.findChild<QLabel *>(QStringLiteral("plantLinkState")), nullptr);
        QVERIFY(!QDir(QStringLiteral("config")).exists(QStringLiteral("plant.ini")));
    }

    void withPlantIniTheWindowConnectsAndShowsTheLinkState() {
        if (!Broker::available())
            QSKIP("mosquitto is not installed (tools/packages.sh lists it)");
        PlantSetup plant("laser/+/status");
        QVERIFY(plant.ready);
        const int before = fixture::tcpSocketsOf();

        Serial window;
        window.show();
        auto *label = window.findChild<QLabel *>(QStringLiteral("plantLinkState"));
        QVERIFY(label);
        QTRY_COMPARE_WITH_TIMEOUT(
            label->text(),
            QStringLiteral("Plant link: connected to 127.0.0.1:%1").arg(plant.broker.port), 10000);
        QCOMPARE(fixture::tcpSocketsOf(), before + 1);
        // The refresh pass feeds the status.
        const auto status = plant.sub.collect(QStringLiteral("status"), 1);
        QCOMPARE(status.size(), size_t(1));
        QVERIFY(status[0].payload.contains("\"link\""));
    }

    void theHistorysEventsReachTheBrokerAndTheLinkTabShowsTheLine() {
        if (!Broker::available())
            QSKIP("mosquitto is not installed (tools/packages.sh lists it)");
        PlantSetup plant("laser/+/events");
        QVERIFY(plant.ready);

        PtyPair pty;
        Serial window;
        window.show();
        auto *label = window.findChild<QLabel *>(QStringLiteral("plantLinkState"));
        QVERIFY(label);
        QTRY_VERIFY_WITH_TIMEOUT(label->text().contains(QStringLiteral("connected")), 10000);

        // Opening the port is a history event, and so goes to the broker.
        QVERIFY(fixture::openOnPty(window, pty));
        const auto events = plant.sub.collect(QStringLiteral("events"), 1);
        QCOMPARE(events.size(), size_t(1));
        QVERIFY2(events[0].payload.contains("\"name\":\"opened\""), events[0].payload.constData());
        QVERIFY(events[0].payload.contains("\"category\":\"link\""));

        auto *diagnostics = window.findChild<diagnostics::Diagnostics *>();
        QVERIFY(diagnostics);
        diagnostics->showWindow();
        diagnostics::LinkTab *tab = diagnostics->window()->linkTab();
        diagnostics->window()->tabs()->setCurrentIndex(diagnostics::DiagnosticsWindow::LinkIndex);
        QCOMPARE(tab->valueText(diagnostics::LinkTab::PlantRow), label->text());
    }

    void aMalformedPlantIniShowsOneLineAndTheWindowWorks() {
        WorkDir work;
        QVERIFY(WorkDir::writeConfig(QStringLiteral("plant.ini"), "[mqtt]\nurl = ftp://example\n"));
        Serial window;
        window.show();
        auto *label = window.findChild<QLabel *>(QStringLiteral("plantLinkState"));
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Plant link off: config/plant.ini: url must start "
                                               "with mqtt:// or mqtts://"));
        // Off for good: no connection, not even after two refresh passes fed it the status.
        SerialProbe::ticks(window, 400);
        QCoreApplication::processEvents();
        QCOMPARE(window.findChild<plant::PlantLink *>()->report().state, plant::LinkState::Off);
        QCOMPARE(fixture::tcpSocketsOf(), 0);
        QCOMPARE(SerialProbe::form(window)->stackedWidget->currentIndex(), 0);
    }
};

QTEST_MAIN(PlantWindowTest)
#include "plant_window_test.moc"
