#pragma once

#include "support/e2e/driver.h"
#include "support/e2e/form_map.h"
#include "support/e2e/paths.h"
#include "support/e2e/program.h"
#include "support/e2e/simulator.h"
#include "support/e2e/work_dir.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace harness {

// One run of the real program: its working directory, the simulator, the program on the
// simulator's port and the view of its window. Stops the program and the simulator when it
// goes.
class Session {
public:
    // A session of its own working directory, or of `shared` (kept across a restart).
    explicit Session(WorkDir *shared = nullptr);
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    // Status rounds every 300 ms, no drift: quick, and the line is still quiet for more than
    // the 200 ms the program waits before it cuts frames.
    static QStringList defaultSimulatorArgs();

    // Starts the simulator alone, for sessions that give it commands before the program runs.
    // Empty on success, otherwise why not.
    QString startSimulator(const QStringList &args = defaultSimulatorArgs());
    // Starts the simulator (unless it runs already) and the program, attaches to its window and
    // waits until the window is drawn. `catalogue` is the .qm the map of the form is built with.
    QString start(const QString &catalogue = QString(), const QStringList &programEnv = {});
    // One click on the switch, as a person gives it: a click that is lost is a fault to see, not
    // to repeat. On failure the screen is saved beside the test's log and the reason warned.
    bool openPort();
    // start(), then the port opened and the simulator's first rounds shown (the DC-on lamp
    // green): where the program has received, recorded and refreshed.
    QString startWithPortOpen();

    WorkDir &dir() { return *workDir; }
    QString logDir() const { return workDir->path() + QStringLiteral("/log"); }
    // Writes config/NAME in the working directory (plant.ini, language.gl).
    bool writeConfig(const QString &name, const QByteArray &content);

    // start() waits until the switch button looks as the map draws it, the sign that the window
    // takes clicks; off for a program whose fonts the map does not share (QT_FONT_DPI).
    bool waitUntilDrawnAsMap = true;
    Paths paths = defaultPaths();
    Simulator sim;
    Program program;
    std::unique_ptr<FormMap> map;
    std::unique_ptr<Driver> driver;

private:
    std::unique_ptr<WorkDir> ownDir;
    WorkDir *workDir;
};

} // namespace harness
