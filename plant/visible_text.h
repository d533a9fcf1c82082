#pragma once

#include <QString>

// Text shown as what it is, in both programs (what comes from the broker, a file a person wrote),
// and the keys checked before they are kept: nothing can hide, reorder or break a line. Ids have
// a stricter rule of their own (plant/plant_id.h).
namespace plant {

// Hidden when shown as it is: it steers, joins or breaks a line, or is not drawn at all (a
// control, format or separator character, a filler, a variation selector, a lone surrogate).
bool hiddenCharacter(char32_t c);

// A text from the broker or a file as a person may see it: every hidden character (above) is
// written as <U+XXXX>, so that nothing can hide, reorder or break a line.
QString visibleText(const QString &text);
// The first `maxLength` characters (never half a surrogate pair), made visible.
QString visibleText(const QString &text, int maxLength);

// A key (of a status's alarms) as it may be kept and shown as it is: not empty, at most
// `maxLength` UTF-16 units, no blank at either end, no half of a surrogate pair, and none of the
// characters that visibleText() would write as <U+XXXX>, unassigned or standing for broken UTF-8.
bool validKey(const QString &id, int maxLength);

} // namespace plant
