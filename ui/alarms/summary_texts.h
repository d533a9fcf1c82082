#pragma once

#include <QCoreApplication>

// The alarm summary's texts, context "AlarmSummary" in both catalogues. lupdate files a text
// under the class it sees before ::tr: write Texts::tr("..."). Not named texts.h: lupdate, given
// ui/, would find this file for the "alarms/texts.h" of alarms/ and lose that context.
namespace alarm_summary {

class Texts {
    Q_DECLARE_TR_FUNCTIONS(AlarmSummary)
};

} // namespace alarm_summary
