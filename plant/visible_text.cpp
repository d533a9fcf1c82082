#include "plant/visible_text.h"

namespace plant {

namespace {

// Hidden when shown as it is: it steers, joins, breaks or is not there at all.
bool hidden(uint c) {
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

// Characters that have no business in a laser id or a key shown as it is: every one that
// visibleText() would write as <U+XXXX> (controls, invisible and direction marks, which could
// make one id look like another, line separators), and what stands for broken UTF-8.
bool oddCharacter(char32_t c) {
    return hidden(c) || c < 0x20 || (c >= 0x7f && c <= 0x9f) || (c >= 0x200b && c <= 0x200f) ||
           (c >= 0x202a && c <= 0x202e) || (c >= 0x2060 && c <= 0x2069) || c == 0xfeff ||
           c == 0xfffd || (c >= 0xfff9 && c <= 0xfffb);
}

// The first `n` UTF-16 units of `text`, never ending in the first half of a pair.
QString cut(const QString &text, int n) {
    if (text.size() <= n)
        return text;
    if (n > 0 && text.at(n - 1).isHighSurrogate())
        --n;
    return text.left(n);
}

} // namespace

// Read once per key of a status, of which there may be thousands: nothing is copied.
bool validKey(const QString &id, int maxLength) {
    if (id.isEmpty() || id.size() > maxLength || id.front().isSpace() || id.back().isSpace())
        return false;
    for (int i = 0; i < id.size(); ++i) {
        const QChar unit = id.at(i);
        if (unit.isLowSurrogate())
            return false; // a second half without its first
        if (unit.isHighSurrogate()) {
            if (i + 1 >= id.size() || !id.at(i + 1).isLowSurrogate())
                return false;
            if (oddCharacter(QChar::surrogateToUcs4(unit, id.at(++i))))
                return false;
        } else if (oddCharacter(unit.unicode())) {
            return false;
        }
    }
    return true;
}

QString visibleText(const QString &text) {
    QString out;
    out.reserve(text.size());
    bool changed = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar unit = text.at(i);
        const bool pair =
            unit.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const uint c = pair ? QChar::surrogateToUcs4(unit, text.at(i + 1)) : unit.unicode();
        if (hidden(c)) {
            out += QStringLiteral("<U+%1>").arg(c, 4, 16, QLatin1Char('0')).toUpper();
            changed = true;
        } else {
            out += unit;
            if (pair)
                out += text.at(i + 1);
        }
        if (pair)
            ++i;
    }
    return changed ? out : text;
}

QString visibleText(const QString &text, int maxLength) {
    return visibleText(cut(text, maxLength));
}

} // namespace plant
