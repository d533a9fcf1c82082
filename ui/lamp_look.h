#pragma once

#include <QPixmap>

class QLabel;

// How a lamp shows what it says. The plain look is the four pictures of the resources, the
// colour alone. The shapes look, for eyes that do not tell red from green, gives each state a
// shape beside its colour, at the lamp's size: a triangle with "!" for an alarm, a filled dot
// for on (green, or orange for the beam), a ring for off.
namespace looks {

enum class Lamp { Alarm, On, Beam, Off };

struct LampImages {
    QPixmap alarm;
    QPixmap on;
    QPixmap beam;
    QPixmap off;
    const QPixmap &of(Lamp lamp) const;
};

// Made once and kept until the application object goes. Plain: ":/red.png", ":/green.png",
// ":/orange.png", ":/gray.png".
const LampImages &images(bool shapes);

// A shape of the shapes look, drawn at `size` pixels: also the tray's pictures.
QPixmap drawShape(Lamp lamp, int size);

// What the label shows, from the picture it holds: an image of either look, or Off for any
// other picture (the form's first one, which looks as ":/gray.png").
Lamp shownLamp(const QLabel *label);

// Gives the label the same state in the other look.
void restyle(QLabel *label, const LampImages &look);

} // namespace looks
