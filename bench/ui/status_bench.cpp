// One status page pass on the real form, on the offscreen platform.
//   status_bench --benchmark_min_time=0.5
#include "protocol/device_state.h"
#include "supervision/tick.h"
#include "ui/operator_view.h"
#include "ui/status_page.h"
#include "ui_serial.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPixmap>
#include <QPixmapCache>
#include <QSet>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// The form alone: statusPagePass needs nothing else of the window.
struct Page {
    QMainWindow window;
    Ui::Serial form;
    protocol::DeviceState state;
    StatusPageCopies shown;

    explicit Page(bool visible) {
        form.setupUi(&window);
        form.stackedWidget->setCurrentIndex(0);
        if (visible)
            window.show();
        state.tempWaterIn = 23;
        state.tempWaterOut = 27;
        state.dewPointTemp = 12.345678f;
        state.analogIn1 = 512;
        state.pwmDuty = 50;
        state.pwmFreq = 5000;
        state.productType = QStringLiteral("FL-1000");
        state.serialNumber = QStringLiteral("SN0042");
        state.ccbVersion = QStringLiteral("V1.2.3");
        state.ccbDateTime = QStringLiteral("2023-1-6 8:05");
        state.driverBoardVersion[0][0] = QStringLiteral("D0.9.1");
        // Two passes: everything written once, then steady.
        statusPagePass(form, state, shown);
        statusPagePass(form, state, shown);
        QApplication::processEvents();
    }
};

// Every change-detected source and the three always-written lamps flip together.
void setAllFlags(protocol::DeviceState &s, bool v) {
    s.extEStop = s.doorInterlock = s.systemFault = s.chillerFault = v;
    s.dcOn = s.laserReady = s.redLightOn = v;
    s.dinEStop2 = s.dinPwm = s.dinDcOn = s.dinLaserOn = s.doutDcOn = s.doutFault = v;
    protocol::ModuleStatus &m = s.moduleStatus[0];
    m.qbhFault = m.fiberBreakFault = m.waterInHiFault = m.waterOutHiFault = m.beamOn = m.pdFault =
        v;
    s.driverChannel[2][7].overCurrent2 = v;
    s.driverChannel[2][7].overTemp4 = v;
}

void BM_StatusPassNothingChanged(benchmark::State &st) {
    Page page(false);
    QLabel *lamp = page.form.label_TemperatureFault;
    const QString before = page.form.label_TempDewPoint->text();
    QSet<qint64> lampKeys;
    for (auto _ : st) {
        statusPagePass(page.form, page.state, page.shown);
        lampKeys.insert(lamp->pixmap(Qt::ReturnByValue).cacheKey());
    }
    // One key: the always-written lamp gets the same cached pixmap every time, never a
    // freshly decoded one.
    st.counters["distinct_lamp_pixmaps"] = lampKeys.size();
    st.counters["text_unchanged"] = page.form.label_TempDewPoint->text() == before;
}
BENCHMARK(BM_StatusPassNothingChanged);

void BM_StatusPassEveryLampChanges(benchmark::State &st) {
    Page page(false);
    bool on = false;
    for (auto _ : st) {
        on = !on;
        setAllFlags(page.state, on);
        page.state.tempWaterIn = on ? 24 : 23;
        statusPagePass(page.form, page.state, page.shown);
    }
}
BENCHMARK(BM_StatusPassEveryLampChanges);

// The pass with what the window runs after it: the screen reader's texts and the tray's view
// of the link (state, tool tip, notices), with nothing changed and with every lamp changing.
void BM_StatusPassWithScreenReaderAndTray(benchmark::State &st) {
    Page page(false);
    OperatorView view(page.window, page.form);
    view.retranslate();
    view.linkChanged(alarms::Link::Live); // frames come: the screen reader reads the lamps
    const bool changing = st.range(0) != 0;
    bool on = false;
    for (auto _ : st) {
        if (changing) {
            on = !on;
            setAllFlags(page.state, on);
        }
        statusPagePass(page.form, page.state, page.shown, view.look());
        view.pagePassDone();
        view.linkRefresh(page.state, QStringLiteral("ttyUSB0"));
    }
}
BENCHMARK(BM_StatusPassWithScreenReaderAndTray)->Arg(0)->Arg(1);

// The same with the window shown and the repaints the pass causes processed.
void BM_StatusPassNothingChangedShownWithRepaint(benchmark::State &st) {
    Page page(true);
    for (auto _ : st) {
        statusPagePass(page.form, page.state, page.shown);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_StatusPassNothingChangedShownWithRepaint);

void BM_StatusPassEveryLampChangesShownWithRepaint(benchmark::State &st) {
    Page page(true);
    bool on = false;
    for (auto _ : st) {
        on = !on;
        setAllFlags(page.state, on);
        statusPagePass(page.form, page.state, page.shown);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_StatusPassEveryLampChangesShownWithRepaint);

// The event processing of a shown window with no pass at all, to read the two above against.
void BM_ShownWindowProcessEventsOnly(benchmark::State &st) {
    Page page(true);
    for (auto _ : st)
        QApplication::processEvents();
}
BENCHMARK(BM_ShownWindowProcessEventsOnly);

// What change detection spares: a cached resource pixmap against a decode.
void BM_ResourcePixmapCached(benchmark::State &st) {
    QPixmap warm(QStringLiteral(":/red.png"));
    for (auto _ : st)
        benchmark::DoNotOptimize(QPixmap(QStringLiteral(":/red.png")).cacheKey());
}
BENCHMARK(BM_ResourcePixmapCached);

void BM_ResourcePixmapDecoded(benchmark::State &st) {
    for (auto _ : st) {
        QPixmapCache::clear();
        benchmark::DoNotOptimize(QPixmap(QStringLiteral(":/red.png")).cacheKey());
    }
}
BENCHMARK(BM_ResourcePixmapDecoded);

// Ten thousand ticks of the schedule with nothing pending, no window.
void BM_TenThousandIdleTicks(benchmark::State &st) {
    supervision::TickSchedule tick;
    protocol::DeviceState state;
    qint32 silence = 0;
    int refreshes = 0;
    for (auto _ : st) {
        for (int i = 0; i < 10000; ++i)
            refreshes += tick.advance(state, true, silence, 800).refreshNow;
        silence = 0; // a frame now and then keeps the link alive
    }
    benchmark::DoNotOptimize(refreshes);
}
BENCHMARK(BM_TenThousandIdleTicks)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(resources);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
