#pragma once

#include <QString>

#include <functional>

class QSerialPort;

namespace seriallink {

// Walks the ports the system reports now, in its order, pointing `port` at each and trying to
// open it read-write. For every port that opens, `onOpenable` receives its entry text while the
// port is still open; the port is closed right after. Ports that do not open (busy, gone, no
// permission) are skipped silently. Afterwards `port` points at the last port tried, so callers
// set the name again from the selection. Returns the number of ports that opened.
int listOpenablePorts(QSerialPort &port, const std::function<void(const QString &)> &onOpenable);

} // namespace seriallink
