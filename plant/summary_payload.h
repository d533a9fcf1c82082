#pragma once

#include "events/alarm_figures.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>
#include <vector>

// The alarm summary a host publishes, retained, under PREFIX/ID/alarm_summary: the figures of
// its last 24 hours and 7 days per alarm, the most rises first. The bounds below are the
// writer's and the reader's alike, so that what one host writes the fleet always reads.
namespace plant {

constexpr int summaryVersion = 1;
// Per period, the alarms with the most rises; the rest are summed in `otherAlarms`/`otherRises`.
constexpr int maxSummaryAlarms = 20;
// Keys are the history's (doorInterlock, board0.channel3.overTemp2): alarms::validKey, at most
// 64 characters.
// The largest summary the fleet reads; the writer's largest is about 7 KiB.
constexpr int maxSummaryBytes = 16 * 1024;
// Counts and times are whole numbers up to this (ms: some 31,000 years).
constexpr qint64 maxSummaryNumber = 1000000000000000LL;

struct SummaryAlarm {
    QString key;
    qint64 rises = 0;
    qint64 activeMs = 0;
    qint64 chatters = 0; // chattering episodes: 3 or more rises within 60 s
    qint64 firstOuts = 0;
};

struct SummaryPeriod {
    qint64 from = 0; // ms since 1970, whole hours of the host's history
    qint64 to = 0;
    qint64 rises = 0; // of every alarm
    qint64 otherAlarms = 0;
    qint64 otherRises = 0;
    std::vector<SummaryAlarm> alarms;
};

enum SummarySpan { LastDay, LastWeek, summarySpans };

struct AlarmSummary {
    qint64 at = 0;    // when the host made it, by its clock
    QString instance; // the host's token of its start; empty where not given
    std::array<SummaryPeriod, summarySpans> periods;
};

// The period's figures as the summary carries them.
SummaryPeriod summaryPeriod(const events::PeriodFigures &figures);
// The top `count` alarms of a period by rises, in order: what a change of is worth a new summary.
QStringList topAlarms(const SummaryPeriod &period, int count);
QByteArray summaryPayload(const AlarmSummary &summary, const QString &laserId);
// What a summary holds in memory beyond its own struct.
qint64 heldBytes(const AlarmSummary &summary);

} // namespace plant
