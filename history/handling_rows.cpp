#include "history/handling_rows.h"

#include "events/handling_rows.h"

#include <utility>

namespace history {

HandlingRows::HandlingRows(std::function<void(const events::Event &)> sink)
    : sink(std::move(sink)) {}

void HandlingRows::take(const std::vector<events::Event> &rows) {
    for (const events::Event &e : rows) {
        if (e.category == events::handlingCategory) {
            sink(e);
            continue;
        }
        if (refusedRows++ == 0)
            qWarning("history: a %s row from the alarm handling was not recorded (only handling "
                     "rows come from there)",
                     qPrintable(e.category));
    }
}

} // namespace history
