#include "alarms/rules.h"

#include "alarms/decisions.h"

#include <QByteArray>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace alarms {

bool validKey(const QString &key) {
    if (key.isEmpty() || key.size() > 64)
        return false;
    for (int i = 0; i < key.size(); ++i) {
        const ushort c = key.at(i).unicode();
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (i == 0 ? !letter : !(letter || (c >= '0' && c <= '9') || c == '_' || c == '.'))
            return false;
    }
    return true;
}

Shelving shelving(const QString &key) {
    if (key == QLatin1String("extEStop"))
        return Shelving::EmergencyStop;
    if (key == QLatin1String("doorInterlock"))
        return Shelving::SafetyInterlock;
    if (key.startsWith(QLatin1String("module")) &&
        (key.endsWith(QLatin1String(".qbhFault")) ||
         key.endsWith(QLatin1String(".fiberBreakFault"))))
        return Shelving::BeamEscape;
    return Shelving::Allowed;
}

namespace {

// Characters that could hide, reorder or break a line, or look like nothing at all.
bool odd(uint c) {
    const QChar::Category k = QChar::category(c);
    return k == QChar::Other_Control || k == QChar::Other_Format || k == QChar::Other_Surrogate ||
           k == QChar::Other_PrivateUse || k == QChar::Other_NotAssigned ||
           k == QChar::Separator_Line || k == QChar::Separator_Paragraph || c == 0x115F ||
           c == 0x1160 || c == 0x2800 || c == 0x3164 || c == 0xFFA0;
}

} // namespace

QString cleanText(const QString &text, int most) {
    const QString folded = text.simplified();
    QString out;
    out.reserve(std::min<int>(int(folded.size()), most));
    for (int i = 0; i < folded.size() && out.size() < most; ++i) {
        const QChar c = folded.at(i);
        const bool pair =
            c.isHighSurrogate() && i + 1 < folded.size() && folded.at(i + 1).isLowSurrogate();
        const uint ucs = pair ? QChar::surrogateToUcs4(c, folded.at(i + 1)) : c.unicode();
        if (odd(ucs)) {
            out += QChar(QChar::ReplacementCharacter);
        } else if (pair) {
            if (out.size() + 2 > most)
                break;
            out += c;
            out += folded.at(i + 1);
        } else {
            out += c;
        }
        i += pair ? 1 : 0;
    }
    return out;
}

QString pcUserName() {
#ifdef Q_OS_WIN
    const QString name = qEnvironmentVariable("USERNAME");
#else
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty())
        name = qEnvironmentVariable("LOGNAME");
    // Started without a login's environment (a service, a script): the account itself.
    if (const passwd *account = name.isEmpty() ? ::getpwuid(::geteuid()) : nullptr)
        name = QString::fromLocal8Bit(account->pw_name);
#endif
    const QString clean = cleanText(name, longestUserName);
    return clean.isEmpty() ? QStringLiteral("?") : clean;
}

} // namespace alarms
