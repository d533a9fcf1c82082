#pragma once

#include "history/recorder.h"
#include "protocol/device_state.h"

#include <QByteArray>
#include <QString>

#include <optional>

// about.txt of a support bundle: what the support team needs to place the other files. A
// fixed English layout of "name: value" lines, whatever language the operator uses.
namespace service {

struct AboutFacts {
    qint64 madeAt = 0; // ms since 1970, UTC
    QString madeBy;    // "window" or "command line"
    QString period;    // "last day", ...
    QString portName;  // empty when unknown (command line)
    QString portSettings;
    bool portOpen = false;
    // What the window knows of the CCB; absent from the command line.
    std::optional<protocol::DeviceState> device;
    QByteArray lastSettingsValue; // seven bytes, empty when none was read back
    qint64 lastSettingsAt = 0;
    std::optional<history::LinkFigures> figures;
    QString historyTrouble;
};

QString programVersion(); // "0.3.10"
QString buildText();      // the commit and the compiler the program was built from
QByteArray aboutText(const AboutFacts &facts);

} // namespace service
