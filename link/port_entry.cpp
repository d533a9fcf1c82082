#include "link/port_entry.h"

namespace seriallink {

QString portEntryText(const QString &name, const QString &description) {
    return name + QLatin1Char('(') + description + QLatin1Char(')');
}

QString portNameFromEntry(const QString &entry) {
    const int open = entry.indexOf(QLatin1Char('('));
    return open < 0 ? entry : entry.left(open);
}

} // namespace seriallink
