#include "plant/visible_text.h"

namespace plant {

bool hiddenCharacter(char32_t c) {
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        break;
    }
    // Letters and marks that are never drawn: the combining grapheme joiner, the Hangul fillers,
    // the Khmer inherent vowels, the Mongolian and other variation selectors.
    return c == 0x034f || c == 0x115f || c == 0x1160 || c == 0x17b4 || c == 0x17b5 ||
           (c >= 0x180b && c <= 0x180f) || c == 0x3164 || (c >= 0xfe00 && c <= 0xfe0f) ||
           c == 0xffa0 || (c >= 0xe0100 && c <= 0xe01ef);
}

namespace {

// Characters that have no business in a key shown as it is: every one that visibleText()
// writes as <U+XXXX>, an unassigned one, and what stands for broken UTF-8.
bool oddCharacter(char32_t c) {
    return hiddenCharacter(c) || c == 0xfffd || QChar::category(c) == QChar::Other_NotAssigned;
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
        if (hiddenCharacter(c)) {
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
