#pragma once

#include <QImage>
#include <QMap>
#include <QObject>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>

class QMainWindow;
class QTranslator;

// Drives the real program on a real X display, as a person at the screen would: it starts the
// simulator and the program on a virtual /dev/ttyUSB0, clicks with xdotool, takes screenshots
// with `import` and reads colours and texts from the pixels. Used by the end-to-end tests and
// the whole-program benchmarks.
namespace harness {

// Where the pieces are. Filled from the build (compile definitions) and overridable through
// the environment: LASER_HOST_BIN, CCB_SIM_BIN, LASER_VPORT_SCRIPT, LASER_LANGUAGE_DIR.
struct Paths {
    QString program;
    QString simulator;
    QString virtualPort;
    QString languageDir;
};
Paths defaultPaths();

// Why the driver cannot run here (no DISPLAY, not root, a tool missing), or an empty text.
QString missingPrerequisite();

// Milliseconds since local midnight, the clock of the simulator's log stamps (a measurement
// across midnight is off by a day).
double wallClockMs();

// A fresh working directory for one program run, holding language/ as a link.
class WorkDir {
public:
    explicit WorkDir(const QString &languageDir);
    ~WorkDir();
    WorkDir(const WorkDir &) = delete;
    WorkDir &operator=(const WorkDir &) = delete;
    QString path() const { return dirPath; }
    QString preferenceFile() const { return dirPath + QStringLiteral("/config/language.gl"); }
    bool isValid() const { return !dirPath.isEmpty(); }

private:
    QString dirPath;
};

// The simulator as a child process: its pseudo-terminal, its standard input for scenario
// commands, and its log (standard error), line by line with the time stamps it writes.
class Simulator {
public:
    Simulator();
    ~Simulator();
    bool start(const QString &binary, const QStringList &args = {}, int timeoutMs = 5000);
    QString ptyPath() const { return pty; }
    void send(const QString &command);
    // Index of the next log line; pass it to waitForLog to look only at what comes later.
    int mark();
    // Waits for a log line at index >= from that matches. On success gives the line and the
    // wall time the simulator stamped on it (see wallClockMs).
    bool waitForLog(const QRegularExpression &pattern, int from, int timeoutMs,
                    QString *line = nullptr, double *stampMs = nullptr);
    QStringList lines();
    void stop();
    QProcess &process() { return proc; }

private:
    void collect();
    QProcess proc;
    QString pty;
    QByteArray partial;
    QStringList logLines;
};

// The program under test, started inside tools/virtual-port.sh so that Qt lists the
// simulator's pseudo-terminal as ttyUSB0.
class Program {
public:
    ~Program();
    bool start(const Paths &paths, const QString &ptyPath, const QString &workDir,
               const QStringList &extraEnv = {});
    bool isRunning() const;
    qint64 pid() const;
    // Asks the window to close (as the window manager would), then makes sure.
    void stop(int graceMs = 3000);
    QString output() const;
    QProcess &process() { return proc; }

private:
    QProcess proc;
};

enum class Lamp { Gray, Red, Green, Orange, Other };
QString lampName(Lamp lamp);
// The colour of an indicator image at `point` of a screenshot.
Lamp lampAt(const QImage &shot, const QPoint &point);

// The X display, through xdotool and import.
class Screen {
public:
    // Runs a tool and gives its standard output; false when it fails or times out.
    static bool run(const QString &tool, const QStringList &args, QByteArray *out = nullptr,
                    int timeoutMs = 15000);
    // The first visible window whose title matches `title` (xdotool search --name), or 0.
    static quint64 findWindow(const QString &title, int timeoutMs);
    static QString windowTitle(quint64 window);
    static QRect windowGeometry(quint64 window);
    static QSize screenSize();
    // The whole screen as `import -window root` sees it.
    static QImage shot();
    // A part of the screen straight from the X server (faster than import, for timing).
    static QImage grabArea(const QRect &area);
    // Clicks and then moves the pointer out of the way.
    static void click(const QPoint &screenPoint);
    static void parkPointer();
    static void key(const QString &keys, quint64 window = 0);
};

// The form of the window, built from the same Designer file in this process (never shown on
// screen), to know where each widget sits and what a text looks like when drawn. The program
// and this copy render with the same fonts and style on the same display.
class FormMap {
public:
    // `catalogue`: a .qm file to install before building (e.g. lang_English.qm), or empty.
    explicit FormMap(const QString &catalogue = QString());
    ~FormMap();
    FormMap(const FormMap &) = delete;
    FormMap &operator=(const FormMap &) = delete;

    void setWindowSize(const QSize &size);
    // Shows page 0 (status) or 1 (settings) in the copy, as the real window does.
    void setPage(int index);
    // A widget's rectangle in window coordinates (empty when it has no such widget).
    QRect rect(const QString &objectName) const;
    QPoint centre(const QString &objectName) const { return rect(objectName).center(); }
    // Menu titles and menu items, in window coordinates; the item assumes its menu is open.
    QPoint menuTitle(const QString &menuObjectName) const;
    QPoint menuItem(const QString &actionObjectName) const;
    QString menuOf(const QString &actionObjectName) const;
    // What the widget looks like with `text` (QLabel or button), or as it is.
    QImage render(const QString &objectName, const QString *text = nullptr) const;
    QString text(const QString &objectName) const;
    QMainWindow *window() const { return main.get(); }

private:
    std::unique_ptr<QTranslator> translator;
    std::unique_ptr<QMainWindow> main;
    void *form = nullptr; // SerialForm, kept out of this header
};

// Share of pixels whose channels differ by more than `tolerance` (0 means equal images).
double difference(const QImage &a, const QImage &b, int tolerance = 24);

// The running program's window on screen, with the map of its form.
class Driver {
public:
    explicit Driver(FormMap &map) : map(&map) {}
    bool attach(int timeoutMs = 10000);
    quint64 window() const { return win; }
    QRect geometry() const { return geo; }
    QPoint screenPoint(const QString &objectName) const;
    void click(const QString &objectName) const;
    void chooseMenu(const QString &actionObjectName) const;
    Lamp lamp(const QString &objectName, const QImage &shot) const;
    // Waits until the lamp shows `wanted`; gives the last colour seen.
    bool waitForLamp(const QString &objectName, Lamp wanted, int timeoutMs, Lamp *seen = nullptr);
    // Whether the widget on screen looks like the copy drawn with `text` (or as it is).
    bool shows(const QString &objectName, const QString *text, const QImage &shot,
               double *diff = nullptr) const;
    bool waitForText(const QString &objectName, const QString &text, int timeoutMs);
    // The same for the copy drawn as it is (text == nullptr) or with `text`.
    bool waitForLook(const QString &objectName, const QString *text, int timeoutMs,
                     double *diff = nullptr);
    QImage crop(const QString &objectName, const QImage &shot) const;
    void useMap(FormMap &other) { map = &other; }

private:
    FormMap *map;
    quint64 win = 0;
    QRect geo;
};

} // namespace harness
