#pragma once

#include <QString>

// What comes from the broker made fit to show, and the ids and keys checked before they are kept:
// nothing can hide, reorder or break a line, or make one id look like another.
namespace plant {

// A text from the broker as a person may see it: every control, format (direction marks and
// overrides, zero-width and invisible characters), line or paragraph separator and lone
// surrogate is written as <U+XXXX>, so that nothing can hide, reorder or break a line.
QString visibleText(const QString &text);
// The first `maxLength` characters (never half a surrogate pair), made visible.
QString visibleText(const QString &text, int maxLength);

// An id or a key as it may be kept and shown as it is: not empty, at most `maxLength` UTF-16
// units, no blank at either end, no half of a surrogate pair, and none of the characters that
// visibleText() would write as <U+XXXX> or that stand for broken UTF-8.
bool validKey(const QString &id, int maxLength);

} // namespace plant
