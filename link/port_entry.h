#pragma once

#include <QString>

namespace seriallink {

// "NAME(description)", no blanks added; an empty description gives "NAME()".
QString portEntryText(const QString &name, const QString &description);
// The entry text up to, not including, its first "("; the whole text when it has none.
QString portNameFromEntry(const QString &entry);

} // namespace seriallink
