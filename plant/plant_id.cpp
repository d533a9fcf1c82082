#include "plant/plant_id.h"

#include "plant/visible_text.h"

#include <QVector>

namespace plant {

namespace {

bool blank(char32_t c) {
    // Braille's blank pattern prints as a space without being one.
    return QChar::isSpace(c) || c == 0x2800;
}

IdProblem characterProblem(char32_t c, bool first) {
    if (c == '/' || c == '+' || c == '#')
        return IdProblem::TopicCharacter;
    if (blank(c))
        return IdProblem::Blank;
    switch (QChar::category(c)) {
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
        return IdProblem::Invisible;
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        if (first)
            return IdProblem::Invisible;
        break;
    default:
        break;
    }
    return hiddenCharacter(c) || c == 0xfffd ? IdProblem::Invisible : IdProblem::None;
}

// Latin, Greek and Cyrillic hold letters that print alike ("c" and "с", "o" and "ο"): one word
// of an id writes its letters in one of them, so that a letter swapped for its look-alike is
// refused. Words apart may differ: a Cyrillic host name with its port, "резак-COM3".
bool mixesScripts(char32_t c, QChar::Script &first) {
    if (!QChar::isLetter(c) && !QChar::isMark(c)) {
        first = QChar::Script_Unknown;
        return false;
    }
    const QChar::Script script = QChar::script(c);
    if (script != QChar::Script_Latin && script != QChar::Script_Greek &&
        script != QChar::Script_Cyrillic)
        return false;
    if (first == QChar::Script_Unknown)
        first = script;
    return script != first;
}

} // namespace

IdCheck checkPlantId(const QString &id) {
    IdCheck check;
    if (id.isEmpty()) {
        check.problem = IdProblem::Empty;
        return check;
    }
    // A lone half of a pair comes as itself or as U+FFFD: refused either way.
    const QVector<uint> characters = id.toUcs4();
    QChar::Script script = QChar::Script_Unknown;
    for (int i = 0; i < characters.size(); ++i) {
        const char32_t c = characters.at(i);
        IdProblem problem = characterProblem(c, i == 0);
        if (problem == IdProblem::None && mixesScripts(c, script))
            problem = IdProblem::MixedScripts;
        if (problem != IdProblem::None)
            return IdCheck{problem, c, i + 1};
    }
    if (characters.size() > maxPlantIdCharacters)
        check.problem = IdProblem::TooLong;
    else if (id.normalized(QString::NormalizationForm_C) != id)
        check.problem = IdProblem::NotComposed;
    return check;
}

QString plantIdFrom(const QString &text) {
    const QVector<uint> characters = text.normalized(QString::NormalizationForm_C).toUcs4();
    QString id;
    QChar::Script script = QChar::Script_Unknown;
    for (int i = 0; i < characters.size() && i < maxPlantIdCharacters; ++i) {
        const char32_t c = characters.at(i);
        if (characterProblem(c, i == 0) != IdProblem::None || mixesScripts(c, script)) {
            id += QLatin1Char('_');
        } else if (QChar::requiresSurrogates(c)) {
            id += QChar(QChar::highSurrogate(c));
            id += QChar(QChar::lowSurrogate(c));
        } else {
            id += QChar(static_cast<ushort>(c));
        }
    }
    return id.normalized(QString::NormalizationForm_C);
}

} // namespace plant
