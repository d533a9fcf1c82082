#include "support/e2e/lamp.h"

#include <QColor>

namespace harness {

QString lampName(Lamp lamp) {
    switch (lamp) {
    case Lamp::Gray:
        return QStringLiteral("gray");
    case Lamp::Red:
        return QStringLiteral("red");
    case Lamp::Green:
        return QStringLiteral("green");
    case Lamp::Orange:
        return QStringLiteral("orange");
    case Lamp::Other:
        break;
    }
    return QStringLiteral("other");
}

Lamp lampAt(const QImage &shot, const QPoint &point) {
    if (!shot.rect().contains(point))
        return Lamp::Other;
    // The centre 3x3 pixels, averaged, so a highlight pixel does not decide.
    int r = 0, g = 0, b = 0, n = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const QPoint p = point + QPoint(dx, dy);
            if (!shot.rect().contains(p))
                continue;
            const QColor c = shot.pixelColor(p);
            r += c.red();
            g += c.green();
            b += c.blue();
            ++n;
        }
    const QColor c(r / n, g / n, b / n);
    const int sat = c.hsvSaturation();
    const int hue = c.hsvHue();
    // The gray lamp is darker than the window behind it (about 198 against 239), so a point
    // that misses the lamp does not pass for a gray one.
    if (sat < 40)
        return c.value() >= 150 && c.value() <= 225 ? Lamp::Gray : Lamp::Other;
    if (sat < 90)
        return Lamp::Other;
    if (hue < 15 || hue > 345)
        return Lamp::Red;
    if (hue >= 20 && hue <= 50)
        return Lamp::Orange;
    if (hue >= 80 && hue <= 160)
        return Lamp::Green;
    return Lamp::Other;
}

double difference(const QImage &a, const QImage &b, int tolerance) {
    if (a.size() != b.size() || a.isNull())
        return 1.0;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qint64 differing = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            if (qAbs(qRed(p[col]) - qRed(q[col])) > tolerance ||
                qAbs(qGreen(p[col]) - qGreen(q[col])) > tolerance ||
                qAbs(qBlue(p[col]) - qBlue(q[col])) > tolerance)
                ++differing;
        }
    }
    return double(differing) / double(qint64(x.width()) * x.height());
}

} // namespace harness
