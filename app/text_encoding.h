#pragma once

#include <QTextStream>

// Makes a text stream read and write UTF-8. Left alone, Qt 5 takes the locale's codec (GB18030
// on many Chinese desktops) and Qt 6 always UTF-8, so the same file would read differently
// under the two.
inline void useUtf8(QTextStream &stream) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    stream.setEncoding(QStringConverter::Utf8);
#else
    stream.setCodec("UTF-8");
#endif
}
