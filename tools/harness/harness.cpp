#include "tools/harness/harness.h"

#include "ui_serial.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTime>
#include <QTranslator>
#include <QWindow>

#include <csignal>
#include <ctime>
#include <unistd.h>

#ifndef LASER_HOST_BIN
#define LASER_HOST_BIN ""
#endif
#ifndef CCB_SIM_BIN
#define CCB_SIM_BIN ""
#endif
#ifndef LASER_VPORT_SCRIPT
#define LASER_VPORT_SCRIPT ""
#endif
#ifndef LASER_LANGUAGE_DIR
#define LASER_LANGUAGE_DIR ""
#endif

namespace harness {

namespace {

QString fromEnv(const char *name, const char *fallback) {
    const QByteArray v = qgetenv(name);
    return v.isEmpty() ? QString::fromLocal8Bit(fallback) : QString::fromLocal8Bit(v);
}

// Lets the event loop run while waiting, in slices.
void pause(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(5);
    }
}

} // namespace

Paths defaultPaths() {
    Paths p;
    p.program = fromEnv("LASER_HOST_BIN", LASER_HOST_BIN);
    p.simulator = fromEnv("CCB_SIM_BIN", CCB_SIM_BIN);
    p.virtualPort = fromEnv("LASER_VPORT_SCRIPT", LASER_VPORT_SCRIPT);
    p.languageDir = fromEnv("LASER_LANGUAGE_DIR", LASER_LANGUAGE_DIR);
    return p;
}

QString missingPrerequisite() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return QStringLiteral("DISPLAY is not set (start Xvfb and export DISPLAY)");
    if (geteuid() != 0)
        return QStringLiteral("not root (the virtual serial port needs a mount namespace)");
    for (const char *tool : {"xdotool", "import", "unshare"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return QStringLiteral("%1 is not installed").arg(QLatin1String(tool));
    const Paths p = defaultPaths();
    for (const QString &f : {p.program, p.simulator, p.virtualPort})
        if (!QFile::exists(f))
            return QStringLiteral("%1 is missing (build it first)").arg(f);
    return QString();
}

double wallClockMs() {
    return QTime::currentTime().msecsSinceStartOfDay();
}

// ---------------------------------------------------------------- WorkDir

WorkDir::WorkDir(const QString &languageDir) {
    QTemporaryDir tmp(QDir::tempPath() + QStringLiteral("/laser-e2e-XXXXXX"));
    if (!tmp.isValid())
        return;
    tmp.setAutoRemove(false);
    dirPath = tmp.path();
    QFile::link(QFileInfo(languageDir).absoluteFilePath(), dirPath + QStringLiteral("/language"));
}

WorkDir::~WorkDir() {
    if (!dirPath.isEmpty())
        QDir(dirPath).removeRecursively();
}

// ---------------------------------------------------------------- Simulator

Simulator::Simulator() {
    QObject::connect(&proc, &QProcess::readyReadStandardError, [this] { collect(); });
}

Simulator::~Simulator() {
    stop();
}

bool Simulator::start(const QString &binary, const QStringList &args, int timeoutMs) {
    proc.setProgram(binary);
    proc.setArguments(args);
    proc.start();
    if (!proc.waitForStarted(timeoutMs))
        return false;
    QElapsedTimer t;
    t.start();
    while (!proc.canReadLine() && t.elapsed() < timeoutMs)
        proc.waitForReadyRead(100);
    pty = QString::fromLocal8Bit(proc.readLine()).trimmed();
    return pty.startsWith(QLatin1Char('/'));
}

void Simulator::send(const QString &command) {
    proc.write(command.toUtf8() + '\n');
    proc.waitForBytesWritten(1000);
}

void Simulator::collect() {
    partial.append(proc.readAllStandardError());
    int nl;
    while ((nl = partial.indexOf('\n')) >= 0) {
        logLines << QString::fromUtf8(partial.left(nl));
        partial.remove(0, nl + 1);
    }
}

int Simulator::mark() {
    QCoreApplication::processEvents();
    collect();
    return logLines.size();
}

QStringList Simulator::lines() {
    collect();
    return logLines;
}

bool Simulator::waitForLog(const QRegularExpression &pattern, int from, int timeoutMs,
                           QString *line, double *stampMs) {
    static const QRegularExpression stamp(QStringLiteral("^ccb-sim \\[([0-9:.]+)\\]"));
    QElapsedTimer t;
    t.start();
    int next = from;
    for (;;) {
        proc.waitForReadyRead(20);
        collect();
        for (; next < logLines.size(); ++next) {
            if (pattern.match(logLines.at(next)).hasMatch()) {
                if (line)
                    *line = logLines.at(next);
                if (stampMs)
                    *stampMs = QTime::fromString(stamp.match(logLines.at(next)).captured(1),
                                                 QStringLiteral("HH:mm:ss.zzz"))
                                   .msecsSinceStartOfDay();
                return true;
            }
        }
        if (t.elapsed() > timeoutMs || proc.state() == QProcess::NotRunning)
            return false;
        QCoreApplication::processEvents();
    }
}

void Simulator::stop() {
    if (proc.state() == QProcess::NotRunning)
        return;
    proc.write("quit\n");
    if (!proc.waitForFinished(2000)) {
        proc.kill();
        proc.waitForFinished(2000);
    }
    collect();
}

// ---------------------------------------------------------------- Program

Program::~Program() {
    stop(500);
}

bool Program::start(const Paths &paths, const QString &ptyPath, const QString &workDir,
                    const QStringList &extraEnv) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    for (const QString &kv : extraEnv) {
        const int eq = kv.indexOf(QLatin1Char('='));
        env.insert(kv.left(eq), kv.mid(eq + 1));
    }
    proc.setProcessEnvironment(env);
    proc.setWorkingDirectory(workDir);
    proc.setProcessChannelMode(QProcess::MergedChannels);
    proc.setProgram(QStringLiteral("bash"));
    proc.setArguments({paths.virtualPort, ptyPath, QStringLiteral("--"), paths.program});
    proc.start();
    return proc.waitForStarted(5000);
}

bool Program::isRunning() const {
    return proc.state() != QProcess::NotRunning;
}
qint64 Program::pid() const {
    return proc.processId();
}
QString Program::output() const {
    return QString::fromLocal8Bit(const_cast<QProcess &>(proc).readAll());
}

void Program::stop(int graceMs) {
    if (!isRunning())
        return;
    proc.terminate();
    if (!proc.waitForFinished(graceMs)) {
        proc.kill();
        proc.waitForFinished(2000);
    }
}

// ---------------------------------------------------------------- colours

QString lampName(Lamp lamp) {
    switch (lamp) {
    case Lamp::Gray:
        return QStringLiteral("gray");
    case Lamp::Red:
        return QStringLiteral("red");
    case Lamp::Green:
        return QStringLiteral("green");
    case Lamp::Orange:
        return QStringLiteral("orange");
    case Lamp::Other:
        break;
    }
    return QStringLiteral("other");
}

Lamp lampAt(const QImage &shot, const QPoint &point) {
    if (!shot.rect().contains(point))
        return Lamp::Other;
    // The centre 3x3 pixels, averaged, so a highlight pixel does not decide.
    int r = 0, g = 0, b = 0, n = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const QPoint p = point + QPoint(dx, dy);
            if (!shot.rect().contains(p))
                continue;
            const QColor c = shot.pixelColor(p);
            r += c.red();
            g += c.green();
            b += c.blue();
            ++n;
        }
    const QColor c(r / n, g / n, b / n);
    const int sat = c.hsvSaturation();
    const int hue = c.hsvHue();
    // The gray lamp is darker than the window behind it (about 198 against 239), so a point
    // that misses the lamp does not pass for a gray one.
    if (sat < 40)
        return c.value() >= 150 && c.value() <= 225 ? Lamp::Gray : Lamp::Other;
    if (sat < 90)
        return Lamp::Other;
    if (hue < 15 || hue > 345)
        return Lamp::Red;
    if (hue >= 20 && hue <= 50)
        return Lamp::Orange;
    if (hue >= 80 && hue <= 160)
        return Lamp::Green;
    return Lamp::Other;
}

double difference(const QImage &a, const QImage &b, int tolerance) {
    if (a.size() != b.size() || a.isNull())
        return 1.0;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qint64 differing = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            if (qAbs(qRed(p[col]) - qRed(q[col])) > tolerance ||
                qAbs(qGreen(p[col]) - qGreen(q[col])) > tolerance ||
                qAbs(qBlue(p[col]) - qBlue(q[col])) > tolerance)
                ++differing;
        }
    }
    return double(differing) / double(qint64(x.width()) * x.height());
}

// ---------------------------------------------------------------- Screen

bool Screen::run(const QString &tool, const QStringList &args, QByteArray *out, int timeoutMs) {
    QProcess p;
    p.start(tool, args);
    if (!p.waitForStarted(timeoutMs) || !p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    if (out)
        *out = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

quint64 Screen::findWindow(const QString &title, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    do {
        QByteArray out;
        if (run(QStringLiteral("xdotool"),
                {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                 QStringLiteral("--name"), title},
                &out, 3000)) {
            const QList<QByteArray> ids = out.trimmed().split('\n');
            if (!ids.isEmpty() && !ids.first().isEmpty())
                return ids.first().toULongLong();
        }
        pause(100);
    } while (t.elapsed() < timeoutMs);
    return 0;
}

QString Screen::windowTitle(quint64 window) {
    QByteArray out;
    run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), QString::number(window)},
        &out);
    return QString::fromUtf8(out).trimmed();
}

QRect Screen::windowGeometry(quint64 window) {
    QByteArray out;
    if (!run(QStringLiteral("xdotool"),
             {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"),
              QString::number(window)},
             &out))
        return QRect();
    QMap<QString, int> v;
    for (const QByteArray &line : out.split('\n')) {
        const int eq = line.indexOf('=');
        if (eq > 0)
            v.insert(QString::fromLatin1(line.left(eq)), line.mid(eq + 1).toInt());
    }
    return QRect(v.value(QStringLiteral("X")), v.value(QStringLiteral("Y")),
                 v.value(QStringLiteral("WIDTH")), v.value(QStringLiteral("HEIGHT")));
}

QSize Screen::screenSize() {
    QByteArray out;
    run(QStringLiteral("xdotool"), {QStringLiteral("getdisplaygeometry")}, &out);
    const QList<QByteArray> parts = out.trimmed().split(' ');
    return parts.size() == 2 ? QSize(parts[0].toInt(), parts[1].toInt()) : QSize();
}

QImage Screen::shot() {
    QByteArray png;
    if (!run(QStringLiteral("import"),
             {QStringLiteral("-silent"), QStringLiteral("-window"), QStringLiteral("root"),
              QStringLiteral("png:-")},
             &png, 20000))
        return QImage();
    return QImage::fromData(png, "PNG");
}

QImage Screen::grabArea(const QRect &area) {
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QImage();
    return screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
}

void Screen::click(const QPoint &p) {
    run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y()),
         QStringLiteral("sleep"), QStringLiteral("0.05"), QStringLiteral("click"),
         QStringLiteral("1")});
    parkPointer();
}

void Screen::parkPointer() {
    // Out of every widget, so no hover highlight changes what a widget looks like.
    const QSize size = screenSize();
    if (size.isValid())
        run(QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QString::number(size.width() - 1),
             QString::number(size.height() - 1)});
}

void Screen::key(const QString &keys, quint64 window) {
    QStringList args{QStringLiteral("key")};
    if (window)
        args << QStringLiteral("--window") << QString::number(window);
    args << keys;
    run(QStringLiteral("xdotool"), args);
}

// ---------------------------------------------------------------- FormMap

namespace {
Ui::Serial *formOf(void *p) {
    return static_cast<Ui::Serial *>(p);
}

// Makes the page that holds `w` the current page of its stacked widget, so its layouts run.
void bringForward(QWidget *w) {
    for (QWidget *child = w, *parent = w ? w->parentWidget() : nullptr; parent;
         child = parent, parent = parent->parentWidget()) {
        if (auto *stack = qobject_cast<QStackedWidget *>(parent)) {
            if (stack->currentWidget() != child)
                stack->setCurrentWidget(child);
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    if (QWidget *top = w ? w->window() : nullptr)
        if (top->layout())
            top->layout()->activate();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}
} // namespace

FormMap::FormMap(const QString &catalogue) {
    if (!catalogue.isEmpty()) {
        translator = std::make_unique<QTranslator>();
        if (translator->load(catalogue))
            QCoreApplication::installTranslator(translator.get());
    }
    main = std::make_unique<QMainWindow>();
    auto *f = new Ui::Serial;
    f->setupUi(main.get());
    form = f;
    main->setAttribute(Qt::WA_DontShowOnScreen);
    main->show();
    QCoreApplication::processEvents();
}

FormMap::~FormMap() {
    delete formOf(form);
    main.reset();
    if (translator)
        QCoreApplication::removeTranslator(translator.get());
}

void FormMap::setWindowSize(const QSize &size) {
    main->resize(size);
    QCoreApplication::processEvents();
    if (main->layout())
        main->layout()->activate();
    QCoreApplication::processEvents();
}

void FormMap::setPage(int index) {
    formOf(form)->stackedWidget->setCurrentIndex(index);
    QCoreApplication::processEvents();
}

QRect FormMap::rect(const QString &objectName) const {
    auto *w = main->findChild<QWidget *>(objectName);
    if (!w)
        return QRect();
    bringForward(w);
    return QRect(w->mapTo(main.get(), QPoint(0, 0)), w->size());
}

QString FormMap::menuOf(const QString &actionObjectName) const {
    for (QMenu *menu : main->menuBar()->findChildren<QMenu *>())
        for (QAction *a : menu->actions())
            if (a->objectName() == actionObjectName)
                return menu->objectName();
    return QString();
}

QPoint FormMap::menuTitle(const QString &menuObjectName) const {
    auto *menu = main->findChild<QMenu *>(menuObjectName);
    if (!menu)
        return QPoint();
    QMenuBar *bar = main->menuBar();
    const QRect r = bar->actionGeometry(menu->menuAction());
    return bar->mapTo(main.get(), r.center());
}

QPoint FormMap::menuItem(const QString &actionObjectName) const {
    auto *menu = main->findChild<QMenu *>(menuOf(actionObjectName));
    if (!menu)
        return QPoint();
    QAction *action = nullptr;
    for (QAction *a : menu->actions())
        if (a->objectName() == actionObjectName)
            action = a;
    QMenuBar *bar = main->menuBar();
    // A menu opens below its title, its left edge at the title's left edge.
    const QRect title = bar->actionGeometry(menu->menuAction());
    const QPoint origin = bar->mapTo(main.get(), title.bottomLeft() + QPoint(0, 1));
    menu->ensurePolished();
    menu->adjustSize();
    return origin + menu->actionGeometry(action).center();
}

QImage FormMap::render(const QString &objectName, const QString *text) const {
    auto *w = main->findChild<QWidget *>(objectName);
    if (!w)
        return QImage();
    bringForward(w);
    QString old;
    auto *label = qobject_cast<QLabel *>(w);
    auto *button = qobject_cast<QAbstractButton *>(w);
    if (text) {
        if (label) {
            old = label->text();
            label->setText(*text);
        } else if (button) {
            old = button->text();
            button->setText(*text);
        }
    }
    const QImage image = w->grab().toImage();
    if (text) {
        if (label)
            label->setText(old);
        else if (button)
            button->setText(old);
    }
    return image;
}

QString FormMap::text(const QString &objectName) const {
    auto *w = main->findChild<QWidget *>(objectName);
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return button->text();
    if (auto *combo = qobject_cast<QComboBox *>(w))
        return combo->currentText();
    return QString();
}

// ---------------------------------------------------------------- Driver

bool Driver::attach(int timeoutMs) {
    win = Screen::findWindow(QStringLiteral("LASER SYSTEM"), timeoutMs);
    if (!win)
        return false;
    // The window may still be settling on its size.
    QRect last;
    for (int i = 0; i < 20; ++i) {
        geo = Screen::windowGeometry(win);
        if (geo == last && geo.isValid())
            break;
        last = geo;
        pause(100);
    }
    map->setWindowSize(geo.size());
    Screen::parkPointer();
    return geo.isValid();
}

QPoint Driver::screenPoint(const QString &objectName) const {
    const QRect r = map->rect(objectName);
    if (r.isEmpty()) {
        // A name the form does not have: point nowhere, so no check can pass by accident.
        qWarning("harness: the form has no widget named %s", qPrintable(objectName));
        return QPoint(-1, -1);
    }
    return geo.topLeft() + r.center();
}

void Driver::click(const QString &objectName) const {
    Screen::click(screenPoint(objectName));
}

void Driver::chooseMenu(const QString &actionObjectName) const {
    Screen::click(geo.topLeft() + map->menuTitle(map->menuOf(actionObjectName)));
    pause(400);
    Screen::click(geo.topLeft() + map->menuItem(actionObjectName));
}

Lamp Driver::lamp(const QString &objectName, const QImage &shot) const {
    return lampAt(shot, screenPoint(objectName));
}

bool Driver::waitForLamp(const QString &objectName, Lamp wanted, int timeoutMs, Lamp *seen) {
    QElapsedTimer t;
    t.start();
    Lamp now = Lamp::Other;
    do {
        now = lamp(objectName, Screen::shot());
        if (now == wanted)
            break;
        pause(150);
    } while (t.elapsed() < timeoutMs);
    if (seen)
        *seen = now;
    return now == wanted;
}

QImage Driver::crop(const QString &objectName, const QImage &shot) const {
    const QRect r = map->rect(objectName).translated(geo.topLeft());
    return shot.copy(r);
}

bool Driver::shows(const QString &objectName, const QString *text, const QImage &shot,
                   double *diff) const {
    const QImage expected = map->render(objectName, text);
    const double d = difference(crop(objectName, shot), expected);
    if (diff)
        *diff = d;
    // Anti-aliasing may differ in a few pixels; another text differs in many.
    return d < 0.01;
}

bool Driver::waitForText(const QString &objectName, const QString &text, int timeoutMs) {
    return waitForLook(objectName, &text, timeoutMs);
}

bool Driver::waitForLook(const QString &objectName, const QString *text, int timeoutMs,
                         double *diff) {
    QElapsedTimer t;
    t.start();
    do {
        if (shows(objectName, text, Screen::shot(), diff))
            return true;
        pause(150);
    } while (t.elapsed() < timeoutMs);
    return false;
}

} // namespace harness
