#include "ui/diagnostics/history_state.h"

#include "events/event_words.h"
#include "history/recorder.h"
#include "history/texts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QStringList>

namespace diagnostics {

namespace {

QString began(const history::Notice &n) {
    using history::Notice;
    switch (n.kind) {
    case Notice::QueueRows:
        return history::Texts::tr("队列已满, %1 行未记录").arg(n.count);
    case Notice::QueueBytes:
        return history::Texts::tr("队列已满, %1 字节抓包数据未记录").arg(n.count);
    case Notice::Capture:
        return history::Texts::tr("抓包停止: %1").arg(n.text);
    case Notice::Database:
        return history::Texts::tr("事件未记录: %1").arg(n.text);
    case Notice::Locked:
        return history::Texts::tr("数据库被其他程序锁定, %1 行等待写入").arg(n.count);
    case Notice::RowsGivenUp:
        return history::Texts::tr("等待写入的行过多, 最早的 %1 行已放弃").arg(n.count);
    case Notice::OverCap:
        return history::Texts::tr("抓包文件超出上限 %1 字节: 其他程序正在写入的文件不删除")
            .arg(n.count);
    default:
        return history::logText(n);
    }
}

QString ended(const history::Notice &n) {
    using history::Notice;
    switch (n.kind) {
    case Notice::QueueRows:
        return history::Texts::tr("已恢复: 队列重新接收数据行, 共 %1 行未记录").arg(n.count);
    case Notice::QueueBytes:
        return history::Texts::tr("已恢复: 队列重新接收抓包数据, 共 %1 字节未记录").arg(n.count);
    case Notice::Capture:
        return history::Texts::tr("已恢复: 抓包继续写入 %1, 丢失 %2 字节").arg(n.text).arg(n.count);
    case Notice::Database:
        return history::Texts::tr("已恢复: 事件重新记录, 等待的 %1 行已写入").arg(n.count);
    case Notice::Locked:
        return history::Texts::tr("已恢复: 数据库锁已释放, 等待的 %1 行已写入").arg(n.count);
    case Notice::RowsGivenUp:
        return history::Texts::tr("已恢复: 数据行重新写入, 共放弃 %1 行").arg(n.count);
    case Notice::OverCap:
        return history::Texts::tr("已恢复: 抓包文件回到上限以内");
    default:
        return history::logText(n);
    }
}

} // namespace

QString noticeText(const history::Notice &notice) {
    switch (notice.phase) {
    case history::Notice::Began:
        return began(notice);
    case history::Notice::Ended:
        return ended(notice);
    case history::Notice::Once:
        break;
    }
    if (notice.kind == history::Notice::Damaged)
        return history::Texts::tr("数据库已损坏, 另存为 %1, 已新建数据库").arg(notice.text);
    if (notice.kind == history::Notice::ClockJump) {
        const QString from = QDateTime::fromMSecsSinceEpoch(notice.from)
                                 .toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        const QString to =
            QDateTime::fromMSecsSinceEpoch(notice.to).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        const QString span = events::durationText(qAbs(notice.to - notice.from));
        if (notice.text == QLatin1String("start"))
            return history::Texts::tr("时钟比最新记录晚 %1 (%2 → %3), 保持一天后才按它删除旧记录")
                .arg(span, from, to);
        if (notice.to > notice.from)
            return history::Texts::tr("时钟向前跳变 %1 (%2 → %3), 保持一天后才按它删除旧记录")
                .arg(span, from, to);
        return history::Texts::tr("时钟向后跳变 %1 (%2 → %3)").arg(span, from, to);
    }
    // Said at the end of the run, on standard error only.
    return history::logText(notice);
}

QString historyStateText(const history::Recorder &recorder) {
    QStringList texts;
    for (const history::Notice &n : recorder.troubles())
        texts << noticeText(n);
    if (texts.isEmpty() && recorder.lastNotice())
        texts << noticeText(*recorder.lastNotice());
    return texts.join(QStringLiteral("; "));
}

QString sizeText(qint64 bytes) {
    return bytes < 0 ? QStringLiteral("-") : QLocale().formattedDataSize(bytes);
}

} // namespace diagnostics
