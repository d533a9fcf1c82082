#include "plant/link_report.h"

#include "plant/broker_connection.h"
#include "plant/texts.h"

namespace plant {

namespace {

// The Sparkplug side: its connection's state where it is not connected, then its counts.
QString sparkplugPart(const SparkplugReport &s) {
    if (!s.on)
        return QString();
    QString part = QStringLiteral("; Sparkplug");
    if (s.state == LinkState::Connecting || s.state == LinkState::Reconnecting)
        part += Texts::tr(" 正在连接");
    else if (s.waitingForHost)
        part += Texts::tr(" 等待主应用上线");
    part += Texts::tr(": bdSeq %1, seq %2, 出生证书 %3").arg(s.bdSeq).arg(s.seq).arg(s.births);
    if (s.refused > 0)
        part += Texts::tr(", 拒绝命令 %1").arg(s.refused);
    if (s.unreadable > 0)
        part += Texts::tr(", 无法读取或过时 %1").arg(s.unreadable);
    if (s.notOurs > 0)
        part += Texts::tr(", 不属于本节点 %1").arg(s.notOurs);
    if (s.dropped > 0)
        part += Texts::tr(", 来不及读而丢弃 %1").arg(s.dropped);
    if (s.lateUnsent > 0)
        part += Texts::tr(", 迟到事件未发 %1").arg(s.lateUnsent);
    return part;
}

} // namespace

bool loadLinkConfig(const QString &file, Config *config, Report *report) {
    qRegisterMetaType<plant::Report>();
    const ConfigResult loaded = loadConfig(file);
    if (!loaded.error.isEmpty()) {
        report->state = LinkState::Off;
        report->lastError = loaded.error;
        return false;
    }
    *config = loaded.config;
    report->state = LinkState::Connecting;
    report->server = config->server();
    report->certificate = config->certificate;
    report->notice = settingsNotices(*config).join(QStringLiteral("; "));
    // Once on standard error as well; the status line keeps saying it.
    if (!report->notice.isEmpty())
        qWarning("%s", qPrintable(stateLine(*report)));
    return true;
}

bool operator==(const Report &a, const Report &b) {
    return a.state == b.state && a.server == b.server && a.lastError == b.lastError &&
           a.buffered == b.buffered && a.dropped == b.dropped && a.expired == b.expired &&
           a.refused == b.refused && a.refusedWhy == b.refusedWhy && a.notice == b.notice &&
           a.certificate == b.certificate && a.otherHost == b.otherHost &&
           a.sparkplug == b.sparkplug && a.late == b.late && a.catchingUp == b.catchingUp &&
           a.unsentWhy == b.unsentWhy && a.unsent == b.unsent;
}

QString stateLine(const Report &report) {
    QString line;
    switch (report.state) {
    case LinkState::Off:
        return Texts::tr("工厂链路关闭: %1").arg(report.lastError);
    case LinkState::Connecting:
        line = Texts::tr("工厂链路: 正在连接 %1").arg(report.server);
        break;
    case LinkState::Connected:
        line = Texts::tr("工厂链路: 已连接 %1").arg(report.server);
        break;
    case LinkState::Reconnecting:
        line = Texts::tr("工厂链路: 正在重新连接 %1").arg(report.server);
        break;
    }
    if (report.state != LinkState::Connected && !report.lastError.isEmpty())
        line += QStringLiteral(" (") + report.lastError + QLatin1Char(')');
    if (report.buffered > 0)
        line += Texts::tr("; 缓存 %1 条").arg(report.buffered);
    if (report.dropped > 0)
        line += Texts::tr("; 丢弃 %1 条").arg(report.dropped);
    if (report.expired > 0)
        line += Texts::tr("; 过期未发 %1 条").arg(report.expired);
    if (report.refused > 0)
        line +=
            Texts::tr("; 代理服务器拒收 %1 条（%2）").arg(report.refused).arg(report.refusedWhy);
    if (report.late > 0)
        line += (report.catchingUp ? Texts::tr("; 正在从历史补发: 已补发 %1 条")
                                   : Texts::tr("; 从历史补发 %1 条"))
                    .arg(report.late);
    if (!report.unsentWhy.isEmpty())
        line += (report.unsent >= 0
                     ? Texts::tr("; 历史无法读取，%1 条事件未发送（%2）")
                           .arg(report.unsent)
                           .arg(report.unsentWhy)
                     : Texts::tr("; 历史无法读取，未送达的事件未发送（%1）").arg(report.unsentWhy));
    if (report.otherHost)
        line += Texts::tr("; 另一台主机也在以此激光器 ID 发布");
    line += sparkplugPart(report.sparkplug);
    if (!report.notice.isEmpty())
        line += QStringLiteral("; ") + report.notice;
    return line;
}

QString linkTabText(const Report &report) {
    const QString certificate = certificateLine(report.certificate);
    return certificate.isEmpty() ? stateLine(report)
                                 : stateLine(report) + QLatin1Char('\n') + certificate;
}

QString publishRefusal(int reason) {
    switch (reason) {
    case 135:
        return Texts::tr("未获授权");
    case 144:
        return Texts::tr("主题名无效");
    case 149:
        return Texts::tr("消息太大");
    case 151:
        return Texts::tr("超出配额");
    default:
        return Texts::tr("原因代码 %1").arg(reason);
    }
}

} // namespace plant
