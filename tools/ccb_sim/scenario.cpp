#include "tools/ccb_sim/scenario.h"

#include <QRegularExpression>
#include <QStringList>

namespace ccbsim {

namespace {

Step error(const QString &why) {
    Step s;
    s.kind = Step::Error;
    s.text = why;
    return s;
}

Step done(const QString &what) {
    Step s;
    s.kind = Step::Done;
    s.text = what;
    return s;
}

Step timed(Step::Kind kind, double number, const QString &what) {
    Step s;
    s.kind = kind;
    s.number = number;
    s.text = what;
    return s;
}

bool onOff(const QString &word, bool *on) {
    const QString w = word.toLower();
    if (w == QLatin1String("on") || w == QLatin1String("1") || w == QLatin1String("true")) {
        *on = true;
        return true;
    }
    if (w == QLatin1String("off") || w == QLatin1String("0") || w == QLatin1String("false")) {
        *on = false;
        return true;
    }
    return false;
}

bool number(const QString &word, double *value) {
    bool ok = false;
    const double v = word.toDouble(&ok);
    if (ok)
        *value = v;
    return ok;
}

} // namespace

Step runCommand(const QString &rawLine, CcbModel &model) {
    QString line = rawLine;
    const int hash = line.indexOf(QLatin1Char('#'));
    if (hash >= 0)
        line.truncate(hash);
    const QStringList w =
        line.trimmed().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (w.isEmpty())
        return Step();
    const QString cmd = w.at(0).toLower();
    const int args = w.size() - 1;
    double v = 0;
    bool on = false;

    if (cmd == QLatin1String("alarm")) {
        if (args == 2 && w.at(1).toLower() == QLatin1String("all") && onOff(w.at(2), &on) && !on) {
            model.clearAllAlarms();
            return done(QStringLiteral("all alarms off"));
        }
        Alarm a;
        if (args != 2 || !alarmFromName(w.at(1), &a) || !onOff(w.at(2), &on))
            return error(
                QStringLiteral("usage: alarm NAME on|off, NAME one of: %1, or alarm all off")
                    .arg(alarmNames().join(QLatin1Char(' '))));
        model.setAlarm(a, on);
        return done(QStringLiteral("alarm %1 %2").arg(alarmName(a), on ? "on" : "off"));
    }
    if (cmd == QLatin1String("temp")) {
        if (args != 2 || !number(w.at(2), &v))
            return error(QStringLiteral("usage: temp in|out CELSIUS"));
        const QString which = w.at(1).toLower();
        if (which == QLatin1String("in") || which == QLatin1String("t3"))
            model.setTempIn(v);
        else if (which == QLatin1String("out") || which == QLatin1String("t4"))
            model.setTempOut(v);
        else
            return error(QStringLiteral("usage: temp in|out CELSIUS"));
        return done(QStringLiteral("temp %1 %2").arg(which).arg(v));
    }
    if (cmd == QLatin1String("dew")) {
        if (args != 1 || !number(w.at(1), &v))
            return error(QStringLiteral("usage: dew CELSIUS"));
        model.setDewPoint(v);
        return done(QStringLiteral("dew %1").arg(v));
    }
    if (cmd == QLatin1String("red") || cmd == QLatin1String("dc") || cmd == QLatin1String("beam") ||
        cmd == QLatin1String("drift")) {
        if (args != 1 || !onOff(w.at(1), &on))
            return error(QStringLiteral("usage: %1 on|off").arg(cmd));
        if (cmd == QLatin1String("red"))
            model.setRedLight(on);
        else if (cmd == QLatin1String("dc"))
            model.setDcOn(on);
        else if (cmd == QLatin1String("beam"))
            model.setBeamOn(on);
        else
            model.setDrift(on);
        return done(QStringLiteral("%1 %2").arg(cmd, on ? "on" : "off"));
    }
    if (cmd == QLatin1String("pwm")) {
        double freq = 0;
        if (args != 2 || !number(w.at(1), &v) || !number(w.at(2), &freq) || v < 0 || v > 127 ||
            freq < 0 || freq > 16383)
            return error(QStringLiteral("usage: pwm DUTY(0..127) FREQ(0..16383)"));
        model.setPwm(int(v), int(freq));
        return done(QStringLiteral("pwm %1 %2").arg(int(v)).arg(int(freq)));
    }
    if (cmd == QLatin1String("ai")) {
        if (args != 1 || !number(w.at(1), &v) || v < 0 || v > 1023)
            return error(QStringLiteral("usage: ai RAW(0..1023)"));
        model.setAnalogIn(int(v));
        return done(QStringLiteral("ai %1").arg(int(v)));
    }
    if (cmd == QLatin1String("module")) {
        if (args != 1 || !number(w.at(1), &v) || !model.setModule(int(v)) || v != int(v))
            return error(QStringLiteral("usage: module 0|1|2"));
        return done(QStringLiteral("module %1").arg(int(v)));
    }
    if (cmd == QLatin1String("badcrc")) {
        v = 1;
        if (args > 1 || (args == 1 && (!number(w.at(1), &v) || v < 0)))
            return error(QStringLiteral("usage: badcrc [ROUNDS]"));
        model.spoilNextRounds(int(v));
        return done(QStringLiteral("badcrc %1").arg(int(v)));
    }
    if (cmd == QLatin1String("include") || cmd == QLatin1String("exclude")) {
        Message m;
        if (args != 1 || !messageFromName(w.at(1), &m))
            return error(QStringLiteral("usage: %1 MESSAGE (e6 e2 tempin tempout e4 e5 ee a2 d2 "
                                        "param4 param32 param33)")
                             .arg(cmd));
        model.setIncluded(m, cmd == QLatin1String("include"));
        return done(QStringLiteral("%1 %2").arg(cmd, messageName(m)));
    }
    if (cmd == QLatin1String("send")) {
        if (args == 0)
            return timed(Step::SendRound, 0, QStringLiteral("send round"));
        Message m;
        const bool bad = args == 2 && w.at(2).toLower() == QLatin1String("bad");
        if ((args != 1 && !bad) || !messageFromName(w.at(1), &m))
            return error(QStringLiteral("usage: send [MESSAGE [bad]]"));
        Step s = timed(Step::Send, bad ? 1 : 0,
                       QStringLiteral("send %1%2").arg(messageName(m), bad ? " bad" : ""));
        s.message = m;
        return s;
    }
    if (cmd == QLatin1String("settings")) {
        if (args == 1) {
            const QByteArray bytes = QByteArray::fromHex(w.at(1).toLatin1());
            if (bytes.size() != protocol::systemSettingsSize)
                return error(QStringLiteral("usage: settings [14 HEX DIGITS]"));
            model.setSettings(protocol::decodeSystemSettings(bytes.constData()));
            return done(QStringLiteral("settings %1").arg(w.at(1)));
        }
        if (args != 0)
            return error(QStringLiteral("usage: settings [14 HEX DIGITS]"));
        return timed(Step::Settings, 0, QString());
    }

    // Commands with one number for the I/O side.
    struct Timed {
        const char *word;
        Step::Kind kind;
        double min;
        const char *usage;
    };
    static const Timed timedCommands[] = {
        {"silent", Step::Silent, 0, "silent SECONDS"}, {"noise", Step::Noise, 0, "noise BYTES"},
        {"period", Step::Period, 1, "period MS"},      {"sleep", Step::Sleep, 0, "sleep MS"},
        {"pace", Step::Pace, 0, "pace BAUD|off"},
    };
    for (const Timed &t : timedCommands) {
        if (cmd != QLatin1String(t.word))
            continue;
        if (t.kind == Step::Pace && args == 1 && w.at(1).toLower() == QLatin1String("off"))
            return timed(Step::Pace, 0, QStringLiteral("pace off"));
        if (args != 1 || !number(w.at(1), &v) || v < t.min)
            return error(QStringLiteral("usage: %1").arg(QLatin1String(t.usage)));
        return timed(t.kind, v, QStringLiteral("%1 %2").arg(cmd).arg(v));
    }
    if (args == 0) {
        if (cmd == QLatin1String("stats"))
            return timed(Step::Stats, 0, QString());
        if (cmd == QLatin1String("help"))
            return timed(Step::Help, 0, QString());
        if (cmd == QLatin1String("loop"))
            return timed(Step::Loop, 0, QStringLiteral("loop"));
        if (cmd == QLatin1String("quit") || cmd == QLatin1String("exit"))
            return timed(Step::Quit, 0, QStringLiteral("quit"));
        if (cmd == QLatin1String("clear")) {
            model.clearAllAlarms();
            return done(QStringLiteral("all alarms off"));
        }
    }
    return error(QStringLiteral("unknown command: %1 (try help)").arg(line.trimmed()));
}

QString scenarioHelp() {
    return QStringLiteral(
        "Scenario commands (standard input or --script FILE; one a line, # starts a comment):\n"
        "  alarm NAME on|off     raise or clear an alarm; NAME is one of\n"
        "                          estop       external emergency stop     (system status)\n"
        "                          door        door interlock              (system status)\n"
        "                          fault       system fault (also raised by any other alarm)\n"
        "                          chiller     chiller fault               (system status)\n"
        "                          qbh         QBH / fibre interlock       (module status)\n"
        "                          fiberbreak  fibre break                 (module status)\n"
        "                          waterin     water-in (T3) too high      (module status)\n"
        "                          waterout    water-out (T4) too high     (module status)\n"
        "                          pd          photodiode fault            (module status)\n"
        "                          overcurrent driver-board over-current   (driver board)\n"
        "                          overtemp    driver-board over-temperature (driver board)\n"
        "                        module alarms belong to the module reporting at the time\n"
        "  alarm all off | clear clear every alarm (as the clear-all-faults command does)\n"
        "  temp in|out CELSIUS   set the water-in (T3) or water-out (T4) temperature\n"
        "  dew CELSIUS           set the dew point\n"
        "  red on|off            switch the red pilot light (the host can do it too)\n"
        "  dc on|off             switch the DC supply (the host can do it too)\n"
        "  beam on|off           report the beam on or off\n"
        "  pwm DUTY FREQ         set the PWM input reading (duty 0..127, frequency 0..16383)\n"
        "  ai RAW                set analog input AI-1 (0..1023)\n"
        "  drift on|off          let temperatures and readings wander slowly (default on)\n"
        "  module N              report the status of module N (0..2)\n"
        "  silent SECONDS        send nothing at all for SECONDS (answers included)\n"
        "  noise N               send N random bytes that open no frame\n"
        "  badcrc [ROUNDS]       spoil the check bytes of the next status round(s) (default 1)\n"
        "  period MS             send a status round every MS milliseconds (default 1000)\n"
        "  pace BAUD|off         write no faster than a line of BAUD baud (default 115200)\n"
        "  exclude|include MSG   leave a message out of the rounds or put it back; MSG is one\n"
        "                        of e6 e2 tempin tempout e4 e5 ee a2 d2 param4 param32 param33\n"
        "  send [MSG [bad]]      send one message now (with wrong check bytes: bad), or a\n"
        "                        whole round without MSG\n"
        "  settings [HEX]        log the stored parameter-40 settings, or store 14 hex digits\n"
        "  stats                 log the frame counters\n"
        "  sleep MS              wait MS milliseconds before the next command (scripts)\n"
        "  loop                  start the script (--script) again from its first line\n"
        "  help                  this list\n"
        "  quit                  stop the simulator\n");
}

QString logLine(const QTime &at, const QString &text) {
    return QStringLiteral("ccb-sim [%1] %2").arg(at.toString(QStringLiteral("HH:mm:ss.zzz")), text);
}

} // namespace ccbsim
