#include "alarms/words.h"

#include "alarms/texts.h"
#include "events/event_words.h"

#include <algorithm>

namespace alarms {

namespace {

// The first few by name, the rest counted: a notice stays a few lines long.
QString names(const QStringList &keys) {
    constexpr int named = 5;
    QStringList shown;
    for (int i = 0; i < std::min<int>(named, keys.size()); ++i)
        shown << alarmName(keys[i]);
    if (keys.size() > named)
        shown << Texts::tr("另有 %1 项").arg(keys.size() - named);
    return shown.join(Texts::tr("、"));
}

} // namespace

QString alarmName(const QString &key) {
    return events::eventLabel(QStringLiteral("alarm"), key);
}

QString stateText(State state) {
    switch (state) {
    case State::Normal:
        return Texts::tr("正常");
    case State::ActiveUnacknowledged:
        return Texts::tr("报警，未确认");
    case State::ActiveAcknowledged:
        return Texts::tr("报警，已确认");
    case State::ReturnedUnacknowledged:
        return Texts::tr("已恢复，未确认");
    case State::Shelved:
        return Texts::tr("已搁置");
    case State::NoData:
        return Texts::tr("无数据");
    case State::EndedWithRun:
        return Texts::tr("随程序意外结束，未确认");
    }
    return QString();
}

QString noticeText(const Notice &n) {
    switch (n.kind) {
    case Notice::Kind::Rise:
        return Texts::tr("报警: %1").arg(names(n.keys));
    case Notice::Kind::FirstOut:
        return Texts::tr("首出: %1").arg(names(n.keys));
    case Notice::Kind::FloodBegan:
        return Texts::tr("报警泛滥: 10 分钟内 %1 次报警").arg(n.count);
    case Notice::Kind::FloodEnded:
        return Texts::tr("报警泛滥已结束: 共 %1 次报警").arg(n.count);
    case Notice::Kind::ShelfEnded:
        return n.stillActive ? Texts::tr("搁置结束: %1 仍在报警").arg(names(n.keys))
                             : Texts::tr("搁置结束: %1").arg(names(n.keys));
    case Notice::Kind::EndedWithRun:
        return Texts::tr("上次程序意外结束时 %1 项报警未确认: %2")
            .arg(n.keys.size())
            .arg(names(n.keys));
    }
    return QString();
}

QString linkText(Link link) {
    switch (link) {
    case Link::Closed:
        return Texts::tr("无数据: 串口已关闭");
    case Link::Waiting:
        return Texts::tr("无数据: 等待激光器的数据");
    case Link::Lost:
        return Texts::tr("无数据: 链路中断");
    case Link::Live:
        break;
    }
    return QString();
}

QString floodText(qint64 rises) {
    return Texts::tr("报警泛滥: %1 次报警").arg(rises);
}

QString shelvingText(Shelving why) {
    switch (why) {
    case Shelving::Allowed:
        break;
    case Shelving::EmergencyStop:
        return Texts::tr("急停报警不能搁置");
    case Shelving::SafetyInterlock:
        return Texts::tr("安全连锁报警不能搁置");
    case Shelving::BeamEscape:
        return Texts::tr("光纤和QBH报警不能搁置：激光可能从光纤外射出");
    }
    return QString();
}

QString shelveResultText(ShelveResult result) {
    switch (result) {
    case ShelveResult::Shelved:
        return QString();
    case ShelveResult::NotShelvable:
        return Texts::tr("这项报警不能搁置");
    case ShelveResult::BadDuration:
        return Texts::tr("搁置时间须在 15 分钟到 8 小时之间");
    case ShelveResult::UnknownAlarm:
        return Texts::tr("没有这项报警");
    }
    return QString();
}

QString shelfReadText(const ShelfRead &read) {
    const QString file = shelfFilePath();
    switch (read.problem) {
    case ShelfProblem::None:
        return QString();
    case ShelfProblem::SymbolicLink:
        return Texts::tr("%1 是符号链接，未读取：没有搁置").arg(file);
    case ShelfProblem::NotRegular:
        return Texts::tr("%1 不是普通文件，未读取：没有搁置").arg(file);
    case ShelfProblem::Unreadable:
        return Texts::tr("%1 无法读取（%2）：没有搁置").arg(file, read.error);
    case ShelfProblem::TooLarge:
        return Texts::tr("%1 超过 %2 字节，未读取：没有搁置").arg(file).arg(shelfFileLimit);
    case ShelfProblem::BadLine:
        return Texts::tr("%1 第 %2 行无法读取：没有搁置").arg(file).arg(read.badLine);
    }
    return QString();
}

QString restoreText(const RestoreReport &r) {
    QStringList parts;
    if (r.endedWhileClosed > 0)
        parts << Texts::tr("%1 项搁置在程序关闭期间已结束").arg(r.endedWhileClosed);
    if (r.refused > 0)
        parts << Texts::tr("%1 项不能搁置的报警未搁置").arg(r.refused);
    if (r.overLimit > 0)
        parts << Texts::tr("%1 项未知报警超出上限，未搁置").arg(r.overLimit);
    return parts.join(Texts::tr("；"));
}

} // namespace alarms
