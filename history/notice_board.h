#pragma once

#include "history/notice.h"

#include <QString>

#include <vector>

namespace history {

// The writer's notices as the window reads them: the troubles going on and the notice said
// last, and the two in one English line.
class NoticeBoard {
public:
    // A trouble that begins goes on until its end; an end, or a notice said once, is the last.
    void take(const Notice &notice);
    // The troubles going on, or else what was said last; empty while nothing was ever said.
    QString text() const { return troubleText; }
    const std::vector<Notice> &troubles() const { return going; }
    const Notice *lastNotice() const { return hasLast ? &last : nullptr; }

private:
    QString troubleText;
    std::vector<Notice> going;
    Notice last;
    bool hasLast = false;
};

} // namespace history
