#include "common/command_line.h"

#include "preference/language_preference.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>

namespace {

// Qt's options for a window that people pass, each with its value or alone. Qt reads them from
// the arguments the application object is given; the list is what is said in --help too.
struct QtOption {
    const char *name;
    const char *value; // nullptr: a flag
    bool inlineValue;  // also -name=VALUE
};
const QtOption qtOptions[] = {
    {"-platform", "NAME", false},
    {"-platformtheme", "NAME", false},
    {"-platformpluginpath", "PATH", false},
    {"-plugin", "NAME", false},
    {"-style", "NAME", true},
    {"-stylesheet", "FILE", true},
    {"-display", "NAME", false},
    {"-geometry", "GEOMETRY", false},
    {"-qwindowgeometry", "GEOMETRY", false},
    {"-qwindowtitle", "TITLE", false},
    {"-qwindowicon", "FILE", false},
    {"-session", "ID", false},
    {"-name", "NAME", false},
    {"-reverse", nullptr, false},
    {"-nograb", nullptr, false},
    {"-dograb", nullptr, false},
    {"-widgetcount", nullptr, false},
};

const QtOption *qtOption(const QString &argument, bool *inlined) {
    for (const QtOption &o : qtOptions) {
        const QLatin1String name(o.name);
        if (argument == name) {
            *inlined = false;
            return &o;
        }
        if (o.inlineValue && argument.startsWith(name + QLatin1Char('='))) {
            *inlined = true;
            return &o;
        }
    }
    return nullptr;
}

// An argument is named back only when it reads as an option name: a value typed in the wrong
// place may be a password, and standard error may end up in a log.
QString optionName(const QString &argument) {
    static const QRegularExpression plain(QStringLiteral("^--?[A-Za-z0-9][A-Za-z0-9_-]{0,39}$"));
    const QString name = argument.section(QLatin1Char('='), 0, 0);
    return plain.match(name).hasMatch() ? name : QString();
}

bool isPeriod(const QString &text) {
    return text == QLatin1String("1h") || text == QLatin1String("1d") ||
           text == QLatin1String("7d") || text == QLatin1String("all");
}

bool isReportPeriod(const QString &text) {
    return text == QLatin1String("24h") || text == QLatin1String("7d") ||
           text == QLatin1String("30d") || text == QLatin1String("90d") ||
           text == QLatin1String("all");
}

// The report is a CSV file or a printable page, told by the name.
bool isReportName(const QString &file) {
    const QString suffix = QFileInfo(file).suffix().toLower();
    return suffix == QLatin1String("csv") || suffix == QLatin1String("html") ||
           suffix == QLatin1String("htm");
}

CommandLine wrong(CommandLine::Problem problem, const QString &argument, int position) {
    CommandLine line;
    line.action = CommandLine::Wrong;
    line.problem = problem;
    line.option = optionName(argument);
    line.position = position;
    return line;
}

// Wraps words to lines of at most `width` characters.
QString wrapped(const QStringList &words, int width) {
    QString out;
    int column = 0;
    for (const QString &word : words) {
        if (column > 0 && column + 1 + word.size() > width) {
            out += QLatin1Char('\n');
            column = 0;
        } else if (column > 0) {
            out += QLatin1Char(' ');
            ++column;
        }
        out += word;
        column += word.size();
    }
    return out;
}

QString usageLines(Program program) {
    return program == Program::Host
               ? CommandLineTexts::tr(
                     "用法: laser-host [Qt 选项]...\n"
                     "      laser-host --support-bundle FILE [--since 1h|1d|7d|all]\n"
                     "      laser-host --alarm-report FILE [--since 24h|7d|30d|90d|all]\n"
                     "      laser-host --help | --version")
               : CommandLineTexts::tr("用法: laser-fleet [Qt 选项]...\n"
                                      "      laser-fleet --help | --version");
}

} // namespace

CommandLine readCommandLine(Program program, int argc, char **argv) {
    CommandLine line;
    bool help = false;
    bool version = false;
    bool sinceGiven = false;
    bool bundle = false;
    bool report = false;
    // Bytes that are no text here (a Latin-1 name typed in a UTF-8 terminal) would become other
    // characters: a bundle written under a name nobody typed.
    for (int i = 1; i < argc; ++i)
        if (QString::fromLocal8Bit(argv[i]).toLocal8Bit() != argv[i])
            return wrong(CommandLine::NotText, QString(), i);
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        // The end of the options, as scripts write it: neither program takes a word after them.
        if (argument == QLatin1String("--")) {
            if (i + 1 < argc)
                return wrong(CommandLine::StrayArgument, QString(), i + 1);
            break;
        }
        // The value of an option: inline after '=', or the next argument unless that is an
        // option itself (a file called "--since" is far less likely than a forgotten value).
        const auto value = [&](QString *out) {
            const int equals = argument.indexOf(QLatin1Char('='));
            if (equals >= 0)
                *out = argument.mid(equals + 1);
            else if (i + 1 < argc && argv[i + 1][0] != '-')
                *out = QString::fromLocal8Bit(argv[++i]);
            else
                return false;
            return !out->isEmpty();
        };
        const QString name = argument.section(QLatin1Char('='), 0, 0);
        bool inlined = false;
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            help = true;
        } else if (argument == QLatin1String("--version")) {
            version = true;
        } else if (program == Program::Host && name == QLatin1String("--support-bundle")) {
            if (bundle)
                return wrong(CommandLine::Repeated, argument, i);
            bundle = true;
            if (!value(&line.file))
                return wrong(CommandLine::MissingValue, argument, i);
        } else if (program == Program::Host && name == QLatin1String("--alarm-report")) {
            if (report)
                return wrong(CommandLine::Repeated, argument, i);
            report = true;
            if (!value(&line.file))
                return wrong(CommandLine::MissingValue, argument, i);
        } else if (program == Program::Host && name == QLatin1String("--since")) {
            if (sinceGiven)
                return wrong(CommandLine::Repeated, argument, i);
            sinceGiven = true;
            if (!value(&line.since))
                return wrong(CommandLine::MissingValue, argument, i);
        } else if (const QtOption *qt = qtOption(argument, &inlined)) {
            // Qt takes the next argument as the value, whatever it is ("-geometry -0-0").
            const int at = i;
            if (qt->value &&
                (inlined ? argument.section(QLatin1Char('='), 1).isEmpty() : ++i >= argc))
                return wrong(CommandLine::MissingValue, argument, at);
        } else if (argument.startsWith(QLatin1Char('-'))) {
            return wrong(CommandLine::UnknownOption, argument, i);
        } else {
            return wrong(CommandLine::StrayArgument, QString(), i);
        }
    }
    if (bundle && report)
        return wrong(CommandLine::TwoJobs, QString(), 0);
    if (sinceGiven && !bundle && !report)
        return wrong(CommandLine::SinceAlone, QString(), 0);
    if (!sinceGiven)
        line.since = report ? QStringLiteral("30d") : QStringLiteral("1d");
    if (bundle && !isPeriod(line.since))
        return wrong(CommandLine::BadPeriod, QString(), 0);
    if (report && !isReportPeriod(line.since))
        return wrong(CommandLine::BadReportPeriod, QString(), 0);
    if (report && !isReportName(line.file))
        return wrong(CommandLine::BadReportName, QString(), 0);
    line.action = help      ? CommandLine::Help
                  : version ? CommandLine::Version
                  : bundle  ? CommandLine::SupportBundle
                  : report  ? CommandLine::AlarmReport
                            : CommandLine::Window;
    return line;
}

void useLanguagePreference(QTranslator &translator) {
    QFile file(preference::languageFilePath());
    QString language = preference::chinese;
    // A plain file only, as the window reads it: opening a pipe would wait for a writer.
    if (QFileInfo(file).isFile() && file.open(QIODevice::ReadOnly)) {
        const QString given = preference::parseLanguage(QString::fromUtf8(file.read(4096)));
        if (!given.isEmpty())
            language = given;
    }
    if (translator.load(preference::catalogueFor(language)))
        QCoreApplication::installTranslator(&translator);
}

QString programName(Program program) {
    return program == Program::Host ? QStringLiteral("laser-host") : QStringLiteral("laser-fleet");
}

QString helpText(Program program) {
    // An option stays on one line with its value.
    QStringList words =
        CommandLineTexts::tr(
            "窗口的 Qt 选项, 原样交给 Qt (-style 和 -stylesheet 也可写作 -style=NAME):")
            .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QtOption &o : qtOptions)
        words << (o.value
                      ? QStringLiteral("%1 %2").arg(QLatin1String(o.name), QLatin1String(o.value))
                      : QLatin1String(o.name)) +
                     QLatin1Char(',');
    words.last().replace(QLatin1Char(','), QLatin1Char('.'));
    words << CommandLineTexts::tr("单独的 -- 结束选项, 其后不能再有参数; 其他参数一律拒绝。")
                 .split(QLatin1Char(' '), Qt::SkipEmptyParts);

    QStringList parts;
    parts << usageLines(program);
    if (program == Program::Host) {
        parts << CommandLineTexts::tr(
            "打开光纤激光器上位机的窗口。程序从工作目录读取 config/ 和 language/,\n"
            "历史记在其中的 log/ 里。");
        parts << CommandLineTexts::tr(
                     "  --support-bundle FILE  把工作目录的诊断包 (zip 压缩包) 写到 FILE 后结束;\n"
                     "                         不开窗口, 不需要显示器; 相对的 FILE 以输入命令的\n"
                     "                         目录为准\n"
                     "  --since PERIOD         与 --support-bundle 一起: 诊断包所含 capture 文件\n"
                     "                         的时段: 1h, 1d (默认), 7d 或 all\n"
                     "  --alarm-report FILE    把工作目录历史的报警报告写到 FILE 后结束: .csv 为\n"
                     "                         CSV 表格, .html 为可打印的网页; 不开窗口\n"
                     "  --since PERIOD         与 --alarm-report 一起: 报告的时段: 24h, 7d,\n"
                     "                         30d (默认), 90d 或 all") +
                     QLatin1Char('\n') +
                     CommandLineTexts::tr("  -h, --help             显示本帮助后结束\n"
                                          "  --version              显示版本后结束");
    } else {
        parts << CommandLineTexts::tr(
            "打开车间总览窗口: 工厂 MQTT 代理上的每台激光器。程序从工作目录读取\n"
            "config/plant.ini, config/language.gl 和 language/ 中的译文。");
        parts << CommandLineTexts::tr("  -h, --help             显示本帮助后结束\n"
                                      "  --version              显示版本后结束");
    }
    parts << wrapped(words, 78);
    parts << (program == Program::Host
                  ? CommandLineTexts::tr(
                        "退出状态: 0 窗口已关闭, 或诊断包或报告已写入; 1 诊断包或报告未写入,\n"
                        "或窗口无法启动 (原因在标准错误上); 2 参数错误 (标准错误上有用法)。写\n"
                        "诊断包或报告时收到 SIGINT, SIGTERM 或 SIGHUP: 删除已开始写的文件, 然后\n"
                        "以该信号结束。")
                  : CommandLineTexts::tr(
                        "退出状态: 0 窗口已关闭; 1 窗口无法启动 (原因在标准错误上); 2 参数\n"
                        "错误 (标准错误上有用法)。"));
    return parts.join(QStringLiteral("\n\n")) + QLatin1Char('\n');
}

QString versionText(Program program) {
    return QStringLiteral("%1 %2 (Qt %3)\n")
        .arg(programName(program), QStringLiteral(LASER_VERSION), QLatin1String(qVersion()));
}

QString wrongText(Program program, const CommandLine &line) {
    QString why;
    switch (line.problem) {
    case CommandLine::UnknownOption:
        why = line.option.isEmpty()
                  ? CommandLineTexts::tr("参数 %1 不是已知的选项").arg(line.position)
                  : CommandLineTexts::tr("未知的选项 %1").arg(line.option);
        break;
    case CommandLine::MissingValue:
        why = line.option.isEmpty() ? CommandLineTexts::tr("参数 %1 缺少它的值").arg(line.position)
                                    : CommandLineTexts::tr("%1 缺少它的值").arg(line.option);
        break;
    case CommandLine::Repeated:
        why = CommandLineTexts::tr("%1 给出了两次").arg(line.option);
        break;
    case CommandLine::StrayArgument:
        why = CommandLineTexts::tr("参数 %1 不属于任何选项").arg(line.position);
        break;
    case CommandLine::SinceAlone:
        why = CommandLineTexts::tr("--since 只能与 --support-bundle 或 --alarm-report 一起使用");
        break;
    case CommandLine::TwoJobs:
        why = CommandLineTexts::tr("--support-bundle 和 --alarm-report 一次只能用一个");
        break;
    case CommandLine::BadReportPeriod:
        why = CommandLineTexts::tr("--alarm-report 的 --since 只接受 24h, 7d, 30d, 90d 或 all");
        break;
    case CommandLine::BadReportName:
        why = CommandLineTexts::tr("--alarm-report 的文件名须以 .csv 或 .html 结尾");
        break;
    case CommandLine::BadPeriod:
        why = CommandLineTexts::tr("--since 只接受 1h, 1d, 7d 或 all");
        break;
    case CommandLine::NotText:
        why = CommandLineTexts::tr("参数 %1 不是本系统编码的文字").arg(line.position);
        break;
    case CommandLine::None:
        break;
    }
    return programName(program) + QStringLiteral(": ") + why + QLatin1Char('\n') +
           usageLines(program) + QLatin1Char('\n') +
           CommandLineTexts::tr("详见 %1 --help。").arg(programName(program)) + QLatin1Char('\n');
}

int sayCommandLine(Program program, const CommandLine &line, int argc, char **argv) {
    // Translations need an application object; this one needs no display.
    QCoreApplication application(argc, argv);
    QTranslator translator;
    useLanguagePreference(translator);
    switch (line.action) {
    case CommandLine::Help:
        std::fputs(helpText(program).toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Version:
        std::fputs(versionText(program).toLocal8Bit().constData(), stdout);
        return 0;
    default:
        std::fputs(wrongText(program, line).toLocal8Bit().constData(), stderr);
        return 2;
    }
}

namespace {

const char *starting = nullptr;
QtMessageHandler handlerBeforeStart = nullptr;

void onStartMessage(QtMsgType type, const QMessageLogContext &context, const QString &message) {
    if (type != QtFatalMsg) {
        handlerBeforeStart(type, context, message);
        return;
    }
    // Nothing has started yet: no window, no file. Qt's own words say why.
    std::fprintf(stderr, "%s: %s\n", starting, message.toLocal8Bit().constData());
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

WindowStart::WindowStart(Program program) {
    starting = program == Program::Host ? "laser-host" : "laser-fleet";
    handlerBeforeStart = qInstallMessageHandler(onStartMessage);
}

WindowStart::~WindowStart() {
    qInstallMessageHandler(handlerBeforeStart);
}
