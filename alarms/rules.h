#pragma once

#include <QString>

// The rules every way in applies alike: the window's actions, the shelf file and the history
// rows read back. One rule, one place.
namespace alarms {

// A stored alarm key: an ASCII letter, then up to 63 ASCII letters, digits, '_' or '.'. A key of
// a newer CCB passes if it has this shape; anything else (blanks, controls, look-alike letters,
// direction marks) cannot be told apart from a key on screen and is refused.
bool validKey(const QString &key);

// Whether the operator may shelve an alarm, and if not, why.
//  - extEStop, the external emergency stop: someone stopped the laser on purpose; it is the one
//    emergency-stop alarm of the CCB (its second emergency-stop input, dinEStop2, is a digital
//    input shown as a state, never an alarm).
//  - doorInterlock: the guard of the beam path is open; a chattering door switch is a defective
//    safety circuit to be mended, not an alarm to silence.
//  - moduleN.qbhFault and moduleN.fiberBreakFault: the beam may leave the fibre where it
//    should not (the output head unseated, the fibre broken): a burn and fire hazard.
// Every other alarm protects the machine (water, temperatures, photodiode, drivers, chiller,
// system fault) or is a newer CCB's, and may be shelved.
enum class Shelving { Allowed, EmergencyStop, SafetyInterlock, BeamEscape };
Shelving shelving(const QString &key);

// A shelf's reason or a user name as it may be kept and shown: blanks folded, controls,
// format characters (direction overrides, zero-width marks), separators and lone surrogates
// become U+FFFD, cut to `most` characters (never half a pair).
QString cleanText(const QString &text, int most);

// The user logged in on this PC ("USERNAME" on Windows, "USER" or "LOGNAME" elsewhere, else the
// account the program runs as), cleaned as above; "?" when the system tells none.
QString pcUserName();

} // namespace alarms
