#include "support/e2e/screen.h"

#include "support/e2e/clock.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMap>
#include <QPixmap>
#include <QProcess>
#include <QScreen>

namespace harness {

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
    } while (t.elapsed() < patient(timeoutMs));
    return 0;
}

bool Screen::windowGone(const QString &title, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (findWindow(title, 0) != 0) {
        if (t.elapsed() > patient(timeoutMs))
            return false;
        pause(100);
    }
    return true;
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

} // namespace harness
