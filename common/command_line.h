#pragma once

#include <QCoreApplication>
#include <QString>

class QTranslator;

// The command line of both programs, read whole before anything starts: an unknown option, a
// missing value or a stray argument ends the program with status 2 and a usage line on standard
// error, never with a window. Qt's own options for a window (-platform, -style, -display, ...)
// are accepted and left to Qt; any other single-dash word is refused, so a typo never opens a
// window.
enum class Program { Host, Fleet };

struct CommandLine {
    enum Action { Window, Help, Version, SupportBundle, AlarmReport, Wrong };
    enum Problem {
        None,
        UnknownOption,
        MissingValue,
        Repeated,
        StrayArgument,
        SinceAlone,
        BadPeriod,
        NotText,
        TwoJobs,
        BadReportPeriod,
        BadReportName
    };
    Action action = Window;
    QString file; // SupportBundle, AlarmReport: as typed
    // The bundle's 1h, 1d (default), 7d or all; the report's 24h, 7d, 30d (default), 90d or all.
    QString since;
    Problem problem = None;
    // The option the problem is about, only when it reads as an option name (never a value: an
    // argument may be a password typed in the wrong place); else the argument's number.
    QString option;
    int position = 0;
};

CommandLine readCommandLine(Program program, int argc, char **argv);

// Everything the command line says goes through the translator, in context "CommandLine".
class CommandLineTexts {
    Q_DECLARE_TR_FUNCTIONS(CommandLine)
};

// Installs the catalogue of the working directory's language preference (config/language.gl,
// language/*.qm), as the window would; without one the texts stay as written (Chinese).
void useLanguagePreference(QTranslator &translator);

QString programName(Program program);
QString helpText(Program program);
QString versionText(Program program);
// "laser-host: <what is wrong>" and the usage lines (translated).
QString wrongText(Program program, const CommandLine &line);

// Help, Version or Wrong, with an application object of its own (no display): says it and
// returns the exit status (0, 0, 2).
int sayCommandLine(Program program, const CommandLine &line, int argc, char **argv);

// Between these two, a window that cannot start (no display, no platform plugin) ends the
// program with status 1 and Qt's reason on standard error instead of an abort.
class WindowStart {
public:
    explicit WindowStart(Program program);
    ~WindowStart();
    WindowStart(const WindowStart &) = delete;
    WindowStart &operator=(const WindowStart &) = delete;
};
