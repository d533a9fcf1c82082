#include "service/report_words.h"

#include "events/event_words.h"
#include "service/profile.h"

#include <QDateTime>
#include <QLocale>

#include <algorithm>

namespace service {

namespace {

using events::Measure;
using events::PeriodFigures;

constexpr qint64 dayMs = 24 * 3600 * 1000;

QString number(double v, int decimals) {
    return QString::number(v, 'f', decimals);
}

QString percent(double share) {
    return ReportTexts::tr("%1 %").arg(number(share * 100, 1));
}

QString seconds(qint64 ms) {
    return QString::number(ms / 1000);
}

} // namespace

std::optional<ReportSpan> reportSpanFromArgument(const QString &argument) {
    for (ReportSpan s : {ReportSpan::Day, ReportSpan::Week, ReportSpan::Month, ReportSpan::Quarter,
                         ReportSpan::All})
        if (argument == reportSpanArgument(s))
            return s;
    return std::nullopt;
}

QString reportSpanArgument(ReportSpan span) {
    switch (span) {
    case ReportSpan::Day:
        return QStringLiteral("24h");
    case ReportSpan::Week:
        return QStringLiteral("7d");
    case ReportSpan::Month:
        return QStringLiteral("30d");
    case ReportSpan::Quarter:
        return QStringLiteral("90d");
    case ReportSpan::All:
        break;
    }
    return QStringLiteral("all");
}

QString reportSpanText(ReportSpan span) {
    switch (span) {
    case ReportSpan::Day:
        return ReportTexts::tr("最近24小时");
    case ReportSpan::Week:
        return ReportTexts::tr("最近7天");
    case ReportSpan::Month:
        return ReportTexts::tr("最近30天");
    case ReportSpan::Quarter:
        return ReportTexts::tr("最近90天");
    case ReportSpan::All:
        break;
    }
    return ReportTexts::tr("全部历史");
}

qint64 reportSpanMs(ReportSpan span) {
    const qint64 days[] = {1, 7, 30, 90, 0};
    return days[int(span)] * dayMs;
}

history::ReportRequest spanRequest(ReportSpan span, qint64 now) {
    history::ReportRequest r = history::alignedRequest(now, now + 1, now);
    if (span != ReportSpan::All)
        r.from = r.to - reportSpanMs(span);
    else
        r.from = history::ReportRequest::sinceTheStart;
    return r;
}

QString timeText(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString reportTitle() {
    return ReportTexts::tr("报警报告");
}

QString periodText(const PeriodFigures &f) {
    return ReportTexts::tr("%1 至 %2").arg(timeText(f.from), timeText(f.to));
}

std::vector<FigureLine> overallLines(const PeriodFigures &f) {
    std::vector<FigureLine> lines;
    const bool watched = f.intervals > 0;
    const auto verdict = [watched](bool out) {
        return !watched ? ReportTexts::tr("无数据")
               : out    ? ReportTexts::tr("超出参考线")
                        : ReportTexts::tr("在参考线内");
    };
    const auto measured = [&](const QString &label, const QString &value, const QString &ref,
                              Measure m) {
        const bool out = watched && f.isOut(m);
        lines.push_back({label, value, ref, out, verdict(out)});
    };
    qint64 called = 0, soon = 0, chattering = 0, stale = 0;
    for (const events::AlarmFigures &a : f.alarms) {
        called += a.rises - a.shelvedRises;
        soon += a.ackedSoon;
        chattering += a.chatters > 0 ? 1 : 0;
        stale += a.stale > 0 ? 1 : 0;
    }
    lines.push_back({ReportTexts::tr("报警出现次数"), QString::number(f.rises), {}, false, {}});
    lines.push_back(
        {ReportTexts::tr("链路连通时间"), events::durationText(f.linkUpMs), {}, false, {}});
    measured(ReportTexts::tr("平均每小时出现"), number(f.risesPerHour(), 1),
             ReportTexts::tr("约 6 可接受"), Measure::RisesPerHour);
    measured(ReportTexts::tr("平均每10分钟出现"), number(f.risesPer10Min(), 2),
             ReportTexts::tr("约 1 可接受"), Measure::RisesPer10Min);
    measured(ReportTexts::tr("最繁忙的10分钟"),
             f.peakRises > 0
                 ? ReportTexts::tr("%1 次 (%2 起)").arg(f.peakRises).arg(timeText(f.peakAt))
                 : QStringLiteral("0"),
             ReportTexts::tr("超过 10 次即泛滥"), Measure::Peak10Min);
    measured(ReportTexts::tr("泛滥的10分钟区间"),
             ReportTexts::tr("%1 (%2 / %3)")
                 .arg(percent(f.floodShare()))
                 .arg(f.floodIntervals)
                 .arg(f.intervals),
             ReportTexts::tr("低于 1 %"), Measure::FloodShare);
    const qint64 kinds = std::count_if(f.alarms.begin(), f.alarms.end(),
                                       [](const events::AlarmFigures &a) { return a.rises > 0; });
    measured(
        ReportTexts::tr("前10个报警占全部出现"),
        kinds > 10
            ? percent(f.top10Share())
            : ReportTexts::tr("%1 (只有 %2 个报警出现)").arg(percent(f.top10Share())).arg(kinds),
        ReportTexts::tr("低于 20 %"), Measure::Top10Share);
    lines.push_back({ReportTexts::tr("抖动的报警 (60 秒内出现 3 次以上)"),
                     QString::number(chattering), ReportTexts::tr("0"), chattering > 0,
                     verdict(chattering > 0)});
    lines.push_back(
        {ReportTexts::tr("出现超过 24 小时的报警"), QString::number(stale), {}, false, {}});
    lines.push_back({ReportTexts::tr("10 分钟内确认的出现"),
                     ReportTexts::tr("%1 / %2").arg(soon).arg(called),
                     {},
                     false,
                     {}});
    lines.push_back(
        {ReportTexts::tr("链路中断次数"), QString::number(f.linkLosses), {}, false, {}});
    lines.push_back(
        {ReportTexts::tr("程序意外结束次数"), QString::number(f.crashes), {}, false, {}});
    return lines;
}

QString alarmName(const QString &key) {
    // A key the words do not know comes back as it is, and a history may hold anything.
    return visibleText(events::eventLabel(QStringLiteral("alarm"), key));
}

QStringList alarmHeader(bool forPeople) {
    const QString s = forPeople ? QString() : ReportTexts::tr(" (秒)");
    return {ReportTexts::tr("报警"),
            ReportTexts::tr("键"),
            ReportTexts::tr("出现次数"),
            ReportTexts::tr("累计时长") + s,
            ReportTexts::tr("最长一次") + s,
            ReportTexts::tr("抖动次数"),
            ReportTexts::tr("首出次数"),
            ReportTexts::tr("搁置时长") + s,
            ReportTexts::tr("10分钟内确认"),
            ReportTexts::tr("未在10分钟内确认"),
            ReportTexts::tr("超过24小时"),
            ReportTexts::tr("无消除行"),
            ReportTexts::tr("结束时仍出现, 自")};
}

QStringList alarmCells(const events::AlarmFigures &a, bool forPeople) {
    const auto time = [forPeople](qint64 ms) {
        return forPeople ? events::durationText(ms) : seconds(ms);
    };
    return {alarmName(a.key),
            visibleText(a.key),
            QString::number(a.rises),
            time(a.activeMs),
            time(a.longestMs),
            QString::number(a.chatters),
            QString::number(a.firstOuts),
            time(a.shelvedMs),
            QString::number(a.ackedSoon),
            QString::number(a.notAckedSoon()),
            QString::number(a.stale),
            QString::number(a.endedWithRun),
            a.onAtEnd >= 0 ? timeText(a.onAtEnd) : QString()};
}

QStringList reportNotes(const PeriodFigures &f) {
    QStringList notes;
    if (f.noHistory) {
        notes << ReportTexts::tr("工作目录中没有历史 (log/history.sqlite)。");
        return notes;
    }
    if (f.eventsFrom == 0)
        notes << ReportTexts::tr("历史中还没有事件。");
    else if (f.beforeKept())
        notes << ReportTexts::tr("历史从 %1 开始 (事件保留 400 天, 温度采样保留 90 天): 时段中"
                                 "更早的部分没有记录。")
                     .arg(timeText(f.eventsFrom));
    const qint64 on = std::count_if(f.alarms.begin(), f.alarms.end(),
                                    [](const events::AlarmFigures &a) { return a.onAtEnd >= 0; });
    if (on > 0)
        notes << ReportTexts::tr("历史的最后一行 (%1) 时仍出现的报警: %2 个; 时长算到那时为止。")
                     .arg(timeText(f.historyEnd))
                     .arg(on);
    if (f.endedWithRun > 0)
        notes << ReportTexts::tr("没有消除行, 随程序的运行结束 (关闭串口, 链路中断, 程序意外结束)"
                                 "而结束的出现: %1 次, 其中因程序意外结束: %2 次; 时长算到"
                                 "那时为止。")
                     .arg(f.endedWithRun)
                     .arg(f.endedByCrash);
    if (f.overlapMs > 0)
        notes << ReportTexts::tr("两个程序同时打开串口写入本历史, 共 %1: 其间两者的报警行无法"
                                 "区分, 次数和时长可能不准。")
                     .arg(events::durationText(f.overlapMs));
    if (f.clearsWithoutRise > 0)
        notes
            << ReportTexts::tr("没有对应出现行的消除行: %1 个; 未计入。").arg(f.clearsWithoutRise);
    if (f.risesWhileOn > 0)
        notes << ReportTexts::tr("报警已在出现时又出现 (缺少消除行, 或两个程序): %1 次; 前一次算"
                                 "到此时为止。")
                     .arg(f.risesWhileOn);
    if (f.notCounted > 0)
        notes << ReportTexts::tr("无法计算的时长 (结束早于开始, 或超过 400 天: 写入时时钟有误): "
                                 "%1 段; 未计入。")
                     .arg(f.notCounted);
    if (f.clockJumps > 0) {
        QStringList jumps;
        for (size_t i = 0; i < f.jumps.size() && i < 5; ++i)
            jumps << ReportTexts::tr("%1 跳到 %2")
                         .arg(timeText(f.jumps[i].from), timeText(f.jumps[i].to));
        if (f.jumps.size() > 5)
            jumps << QStringLiteral("...");
        notes << ReportTexts::tr("系统时钟在时段中跳变: %1 次 (%2); 跳变本身不计入任何时长, 跳变"
                                 "前后的时间各按当时的时钟。")
                     .arg(f.clockJumps)
                     .arg(jumps.join(QStringLiteral("; ")));
    }
    if (f.rowsAhead > 0)
        notes << ReportTexts::tr(
                     "时间比报告时晚一天以上的行 (写入时时钟超前): %1 行; 它们的次数和时长不在"
                     "报告时之前的任何时段内。")
                     .arg(f.rowsAhead);
    if (f.linkUpMs == 0 && f.rises > 0)
        notes << ReportTexts::tr("时段中没有链路连通的记录: 平均值按整个时段计算。");
    return notes;
}

} // namespace service
