#pragma once

#include <QImage>
#include <QPoint>
#include <QString>

namespace harness {

// The colour of an indicator as a person reads it off the screen.
enum class Lamp { Gray, Red, Green, Orange, Other };
QString lampName(Lamp lamp);
// The colour of an indicator image at `point` of a screenshot.
Lamp lampAt(const QImage &shot, const QPoint &point);

// Share of pixels whose channels differ by more than `tolerance` (0 means equal images).
double difference(const QImage &a, const QImage &b, int tolerance = 24);

} // namespace harness
