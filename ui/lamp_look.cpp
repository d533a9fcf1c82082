#include "ui/lamp_look.h"

#include <QColor>
#include <QCoreApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace looks {

namespace {

const QColor alarmColour(210, 30, 30);
const QColor onColour(30, 150, 60);
const QColor beamColour(240, 140, 20);
const QColor offColour(120, 120, 120);

LampImages *looks[2] = {nullptr, nullptr};

LampImages *makeLook(bool shapes) {
    if (!shapes)
        return new LampImages{
            QPixmap(QStringLiteral(":/red.png")), QPixmap(QStringLiteral(":/green.png")),
            QPixmap(QStringLiteral(":/orange.png")), QPixmap(QStringLiteral(":/gray.png"))};
    // The size of the pictures the form gives the lamps.
    const int size = QPixmap(QStringLiteral(":/gray.png")).width();
    const int side = size > 0 ? size : 16;
    return new LampImages{drawShape(Lamp::Alarm, side), drawShape(Lamp::On, side),
                          drawShape(Lamp::Beam, side), drawShape(Lamp::Off, side)};
}

} // namespace

const QPixmap &LampImages::of(Lamp lamp) const {
    switch (lamp) {
    case Lamp::Alarm:
        return alarm;
    case Lamp::On:
        return on;
    case Lamp::Beam:
        return beam;
    case Lamp::Off:
        break;
    }
    return off;
}

const LampImages &images(bool shapes) {
    LampImages *&look = looks[shapes ? 1 : 0];
    if (!look) {
        look = makeLook(shapes);
        // Pixmaps must go before the application object does.
        qAddPostRoutine([] {
            for (LampImages *&l : looks) {
                delete l;
                l = nullptr;
            }
        });
    }
    return *look;
}

QPixmap drawShape(Lamp lamp, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const qreal pen = qMax<qreal>(1.5, s / 8);
    switch (lamp) {
    case Lamp::Alarm: {
        QPainterPath triangle;
        triangle.moveTo(s / 2, 0.5);
        triangle.lineTo(s - 0.5, s - 1.5);
        triangle.lineTo(0.5, s - 1.5);
        triangle.closeSubpath();
        p.fillPath(triangle, alarmColour);
        p.setPen(QPen(Qt::white, pen, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(s / 2, s * 0.3), QPointF(s / 2, s * 0.62));
        p.drawPoint(QPointF(s / 2, s * 0.78));
        break;
    }
    case Lamp::On:
    case Lamp::Beam:
        p.setPen(Qt::NoPen);
        p.setBrush(lamp == Lamp::On ? onColour : beamColour);
        p.drawEllipse(QRectF(s * 0.12, s * 0.12, s * 0.76, s * 0.76));
        break;
    case Lamp::Off:
        p.setPen(QPen(offColour, pen));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(s * 0.18, s * 0.18, s * 0.64, s * 0.64));
        break;
    }
    return pixmap;
}

Lamp shownLamp(const QLabel *label) {
    const qint64 key = label->pixmap(Qt::ReturnByValue).cacheKey();
    for (bool shapes : {false, true}) {
        const LampImages &look = images(shapes);
        for (Lamp lamp : {Lamp::Alarm, Lamp::On, Lamp::Beam})
            if (look.of(lamp).cacheKey() == key)
                return lamp;
    }
    return Lamp::Off;
}

void restyle(QLabel *label, const LampImages &look) {
    const QPixmap &image = look.of(shownLamp(label));
    if (label->pixmap(Qt::ReturnByValue).cacheKey() != image.cacheKey())
        label->setPixmap(image);
}

} // namespace looks
