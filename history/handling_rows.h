#pragma once

#include "events/records.h"

#include <QtGlobal>

#include <functional>
#include <vector>

namespace history {

// The rows of what was done with an alarm (category "handling": its first out, the
// acknowledgements, the shelves and their ends, ended with the run), decided by the window's alarm
// handling and written beside the alarm's own rows, in the order decided. Only those: a row of
// another category would stand beside the rows the history takes from the frames and the link
// itself (two "on" rows for one rise), so it is refused, counted and said once.
class HandlingRows {
public:
    explicit HandlingRows(std::function<void(const events::Event &)> sink);

    void take(const std::vector<events::Event> &rows);
    quint64 refused() const { return refusedRows; }

private:
    std::function<void(const events::Event &)> sink;
    quint64 refusedRows = 0;
};

} // namespace history
