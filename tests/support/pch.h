// The headers nearly every suite includes, precompiled once for all of them: QtTest's own class
// headers and the Qt classes most suites use, not Qt's module headers. A module header brings
// every class of the module, and gcc instantiates the templates of all of them again in each
// suite it compiles (some 0.7 s a suite more, for nothing the suite uses).
#include <QApplication>
#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVariant>
#include <QWidget>
