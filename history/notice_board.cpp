#include "history/notice_board.h"

#include <QStringList>

#include <algorithm>

namespace history {

void NoticeBoard::take(const Notice &notice) {
    const auto same = [&notice](const Notice &n) { return n.kind == notice.kind; };
    going.erase(std::remove_if(going.begin(), going.end(), same), going.end());
    if (notice.phase == Notice::Began) {
        going.push_back(notice);
    } else {
        last = notice;
        hasLast = true;
    }
    QStringList texts;
    for (const Notice &n : going)
        texts << logText(n);
    troubleText = texts.isEmpty() ? logText(last) : texts.join(QStringLiteral("; "));
}

} // namespace history
