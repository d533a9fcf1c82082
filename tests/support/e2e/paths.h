#pragma once

#include <QString>

// Where the pieces of an end-to-end run are. Filled from the build (compile definitions) and
// overridable through the environment: LASER_HOST_BIN, CCB_SIM_BIN, LASER_VPORT_SCRIPT,
// LASER_LANGUAGE_DIR.
namespace harness {

struct Paths {
    QString program;
    QString simulator;
    QString virtualPort;
    QString languageDir;
};
Paths defaultPaths();

// Why the driver cannot run here (no DISPLAY, not root, a tool missing), or an empty text.
QString missingPrerequisite();

} // namespace harness
