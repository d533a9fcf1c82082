#include "service/about.h"

#include "protocol/describe.h"
#include "service/profile.h"
#include "service/settings_fields.h"

#include <QDateTime>
#include <QSysInfo>
#include <QTextStream>

namespace service {

namespace {

QString utc(qint64 ms) {
    return ms > 0 ? QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(Qt::ISODateWithMs)
                  : QStringLiteral("-");
}

QString orDash(const QString &text) {
    return text.isEmpty() ? QStringLiteral("-") : text;
}

} // namespace

QString programVersion() {
    return QStringLiteral(LASER_VERSION);
}

QString buildText() {
    return QStringLiteral(LASER_BUILD_ID);
}

QByteArray aboutText(const AboutFacts &f) {
    QString text;
    QTextStream out(&text);
    out << "LASER SYSTEM host program, support bundle\n\n";
    out << "made at: " << utc(f.madeAt) << "\n";
    out << "made by: " << f.madeBy << "\n";
    out << "period: " << f.period << "\n\n";

    out << "program version: " << programVersion() << "\n";
    out << "build: " << buildText() << "\n";
    out << "Qt: " << qVersion() << " (built with " << QT_VERSION_STR << ")\n";
    out << "operating system: " << QSysInfo::prettyProductName() << ", kernel "
        << QSysInfo::kernelType() << ' ' << QSysInfo::kernelVersion() << ", "
        << QSysInfo::currentCpuArchitecture() << "\n\n";

    out << "port: " << orDash(f.portName) << "\n";
    out << "port settings: " << orDash(f.portSettings) << "\n";
    out << "port state: " << (f.portOpen ? "open" : "closed") << "\n\n";

    if (f.device) {
        const protocol::DeviceState &d = *f.device;
        // The CCB's own texts, each on its line as what it is (no control or direction
        // character can pass for another line or turn the text around).
        out << "product type: " << orDash(visibleText(d.productType)) << "\n";
        out << "serial number: " << orDash(visibleText(d.serialNumber)) << "\n";
        out << "CCB version: " << orDash(visibleText(d.ccbVersion)) << "\n";
        out << "driver board version: " << orDash(visibleText(d.driverBoardVersion[0][0])) << "\n";
        out << "CCB date and time: " << orDash(visibleText(d.ccbDateTime)) << "\n\n";
    } else {
        out << "product data: not known here (made without the window)\n\n";
    }

    if (f.lastSettingsValue.size() == protocol::systemSettingsSize) {
        out << "last settings value read back: " << valueHex(f.lastSettingsValue) << " at "
            << utc(f.lastSettingsAt) << "\n";
        const protocol::SystemSettings s =
            protocol::decodeSystemSettings(f.lastSettingsValue.constData());
        out << "  decoded: " << protocol::describeSettings(s) << "\n";
        for (const SettingsField &field : settingsFields())
            out << "  " << field.name << ": " << fieldValue(field, s) << "\n";
        out << "\n";
    } else {
        out << "last settings value read back: none\n\n";
    }

    if (f.figures) {
        const history::LinkFigures &l = *f.figures;
        out << "link figures since the start or the last reset:\n";
        out << "  bytes in: " << l.bytesIn << "\n";
        out << "  bytes out: " << l.bytesOut << "\n";
        out << "  frames in: " << l.framesIn << "\n";
        out << "  frames out: " << l.framesOut << "\n";
        out << "  check failures: " << l.checkFailures << "\n";
        out << "  unknown codes: " << l.unknownCodes << "\n";
        out << "  noise bytes: " << l.noiseBytes << "\n";
        out << "  early reassembly passes: " << l.earlyPasses << "\n";
        out << "  frames per second: " << QString::number(l.framesPerSecond, 'f', 0) << "\n";
        out << "  last frame at: " << utc(l.lastFrameAt) << "\n";
        out << "  last port error: "
            << (l.lastPortError.isEmpty()
                    ? QStringLiteral("-")
                    : utc(l.lastPortErrorAt) + QLatin1Char(' ') + l.lastPortError)
            << "\n";
        out << "  frames by code:";
        bool any = false;
        for (int code = 0; code < 256; ++code)
            if (l.framesByCode[code]) {
                out << ' ' << QString::number(code, 16).toUpper() << '=' << l.framesByCode[code];
                any = true;
            }
        out << (any ? "\n" : " -\n");
    } else {
        out << "link figures: not known here (made without the window)\n";
    }
    out << "history: " << (f.historyTrouble.isEmpty() ? QStringLiteral("ok") : f.historyTrouble)
        << "\n";
    out.flush();
    return text.toUtf8();
}

} // namespace service
