#include "fleet/laser_details.h"

#include "fleet/texts.h"

#include "fleet/fleet_texts.h"
#include "plant/alarm_names.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cmath>

namespace fleet {

namespace {

// Where a field of the status payload gets its caption: the status page's ("Serial") where it
// has one, the fleet's own otherwise.
struct Caption {
    const char *section; // "" for every section
    const char *field;
    const char *context;
    const char *source;
};

const Caption captions[] = {
    {"", "alarms", "Serial", QT_TRANSLATE_NOOP("Serial", "系统状态")},
    {"", "states", "Fleet", QT_TRANSLATE_NOOP("Fleet", "状态")},
    {"", "modules", "Fleet", QT_TRANSLATE_NOOP("Fleet", "模块")},
    {"", "temperatures", "Fleet", QT_TRANSLATE_NOOP("Fleet", "温度")},
    {"", "inputs", "Serial", QT_TRANSLATE_NOOP("Serial", "数字量输入")},
    {"", "outputs", "Serial", QT_TRANSLATE_NOOP("Serial", "数字量输出")},
    {"", "versions", "Fleet", QT_TRANSLATE_NOOP("Fleet", "版本")},
    {"", "product", "Serial", QT_TRANSLATE_NOOP("Serial", "产品信息")},
    {"", "link", "Fleet", QT_TRANSLATE_NOOP("Fleet", "串口")},
    {"", "shown_module", "Fleet", QT_TRANSLATE_NOOP("Fleet", "显示的模块")},
    {"", "laser_id", "Fleet", QT_TRANSLATE_NOOP("Fleet", "激光器")},
    {"", "at", "Fleet", QT_TRANSLATE_NOOP("Fleet", "发布时间")},
    {"states", "dc_on", "Serial", QT_TRANSLATE_NOOP("Serial", "直流开启")},
    {"states", "laser_ready", "Serial", QT_TRANSLATE_NOOP("Serial", "光闸开启")},
    {"states", "red_light_on", "Serial", QT_TRANSLATE_NOOP("Serial", "指示光标")},
    {"modules", "beam_on", "Serial", QT_TRANSLATE_NOOP("Serial", "激光输出")},
    {"temperatures", "water_in", "Serial", QT_TRANSLATE_NOOP("Serial", "T3温度(C):")},
    {"temperatures", "water_out", "Serial", QT_TRANSLATE_NOOP("Serial", "T4温度(C):")},
    {"temperatures", "dew_point", "Serial", QT_TRANSLATE_NOOP("Serial", "露点温度(C):")},
    {"inputs", "estop2", "Serial", QT_TRANSLATE_NOOP("Serial", "外部急停")},
    {"inputs", "pwm", "Serial", QT_TRANSLATE_NOOP("Serial", "PWM输入")},
    {"inputs", "dc_on", "Serial", QT_TRANSLATE_NOOP("Serial", "直流开启")},
    {"inputs", "laser_on", "Serial", QT_TRANSLATE_NOOP("Serial", "光闸开启")},
    {"inputs", "analog_in_1", "Serial", QT_TRANSLATE_NOOP("Serial", "AI-1:")},
    {"inputs", "pwm_duty", "Serial", QT_TRANSLATE_NOOP("Serial", "Duty:")},
    {"inputs", "pwm_frequency", "Serial", QT_TRANSLATE_NOOP("Serial", "Freq:")},
    {"outputs", "dc_on", "Serial", QT_TRANSLATE_NOOP("Serial", "直流开启")},
    {"outputs", "fault", "Serial", QT_TRANSLATE_NOOP("Serial", "报警输出")},
    {"versions", "ccb", "Serial", QT_TRANSLATE_NOOP("Serial", "CCB:")},
    {"versions", "driver_board", "Serial", QT_TRANSLATE_NOOP("Serial", "DB:")},
    {"product", "type", "Serial", QT_TRANSLATE_NOOP("Serial", "产品型号：")},
    {"product", "serial_number", "Serial", QT_TRANSLATE_NOOP("Serial", "销售序号：")},
    {"product", "ccb_date_time", "Serial", QT_TRANSLATE_NOOP("Serial", "系统时间：")},
    {"link", "port", "Serial", QT_TRANSLATE_NOOP("Serial", "端口号：")},
    {"link", "open", "Fleet", QT_TRANSLATE_NOOP("Fleet", "已打开")},
    {"link", "last_frame_at", "Fleet", QT_TRANSLATE_NOOP("Fleet", "最后一帧")},
};

QString captionOf(const QString &section, const QString &field) {
    // Alarm flags, of the system and of each module, have their own table.
    if (section == QLatin1String("alarms") || section == QLatin1String("modules")) {
        const QString caption = plant::alarmCaption(field);
        if (caption != field)
            return caption;
        for (const plant::AlarmName &a : plant::moduleAlarms)
            if (field == QLatin1String(a.key))
                return serialCaption(a.caption);
    }
    for (const Caption &c : captions)
        if (field == QLatin1String(c.field) && section == QLatin1String(c.section))
            return QLatin1String(c.context) == QLatin1String("Serial") ? serialCaption(c.source)
                                                                       : Texts::tr(c.source);
    return field;
}

bool isAlarmField(const QString &section, const QString &field) {
    return section == QLatin1String("alarms") ||
           (section == QLatin1String("modules") && field != QLatin1String("beam_on"));
}

void addFields(QTreeWidgetItem *parent, const QString &section, const QJsonObject &object,
               qint64 now) {
    for (auto it = object.begin(); it != object.end(); ++it) {
        auto *item = new QTreeWidgetItem(parent);
        item->setText(0, captionOf(section, it.key()));
        if (it.value().isObject()) {
            addFields(item, section, it.value().toObject(), now);
            continue;
        }
        QString text = valueText(it.value(), isAlarmField(section, it.key()));
        if (it.key().endsWith(QLatin1String("_at")) && it.value().isDouble())
            text = clockText(static_cast<qint64>(it.value().toDouble()), now);
        item->setText(1, text);
    }
}

} // namespace

QString valueText(const QJsonValue &value, bool isAlarm) {
    switch (value.type()) {
    case QJsonValue::Bool:
        if (isAlarm)
            return value.toBool() ? Texts::tr("报警") : Texts::tr("正常");
        return onOffText(value.toBool());
    case QJsonValue::Double: {
        const double v = value.toDouble();
        if (std::floor(v) == v && std::fabs(v) < 9007199254740992.0)
            return QString::number(static_cast<qint64>(v));
        return numberText(v);
    }
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Null:
        return QStringLiteral("—");
    default:
        return QString();
    }
}

LaserDetails::LaserDetails(QWidget *parent) : QWidget(parent) {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    title = new QLabel(this);
    title->setObjectName(QStringLiteral("detailsTitle"));
    title->setTextFormat(Qt::PlainText);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);

    auto *split = new QSplitter(Qt::Vertical, this);
    status = new QTreeWidget(split);
    status->setObjectName(QStringLiteral("statusTree"));
    status->setColumnCount(2);
    status->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    auto *eventBox = new QWidget(split);
    auto *eventLayout = new QVBoxLayout(eventBox);
    eventLayout->setContentsMargins(0, 0, 0, 0);
    eventNote = new QLabel(eventBox);
    eventNote->setObjectName(QStringLiteral("eventNote"));
    eventLayout->addWidget(eventNote);
    events = new QTreeWidget(eventBox);
    events->setObjectName(QStringLiteral("eventTree"));
    events->setColumnCount(5);
    events->setRootIsDecorated(false);
    eventLayout->addWidget(events);
    layout->addWidget(split, 1);
    retranslate();
    showLaser(nullptr, QString(), 0);
}

void LaserDetails::retranslate() {
    status->setHeaderLabels({Texts::tr("项目"), Texts::tr("值")});
    events->setHeaderLabels({Texts::tr("时间"), Texts::tr("类别"), Texts::tr("名称"),
                             Texts::tr("值"), Texts::tr("详情")});
}

void LaserDetails::showLaser(const Laser *laser, const QString &stateText, qint64 now) {
    status->clear();
    events->clear();
    if (!laser) {
        title->setText(Texts::tr("选择一台激光器查看详情"));
        eventNote->clear();
        return;
    }
    title->setText(laser->id + QStringLiteral(" — ") + stateText);
    if (laser->hasStatus)
        fillStatus(QJsonDocument::fromJson(laser->status.payload).object(), now);

    QList<QTreeWidgetItem *> rows;
    for (const history::Event &e : laser->events)
        rows << new QTreeWidgetItem(
            QStringList{clockText(e.at, now), e.category, e.name, e.value, e.detail});
    events->addTopLevelItems(rows);
    eventNote->setText(laser->eventsDropped > 0
                           ? Texts::tr("自本窗口启动以来的事件（最新的 %1 条，较早的 %2 条已丢弃）")
                                 .arg(laser->events.size())
                                 .arg(laser->eventsDropped)
                           : Texts::tr("自本窗口启动以来的事件"));
}

void LaserDetails::fillStatus(const QJsonObject &all, qint64 now) {
    for (auto it = all.begin(); it != all.end(); ++it) {
        auto *item = new QTreeWidgetItem(status);
        item->setText(0, captionOf(QString(), it.key()));
        if (it.value().isObject()) {
            addFields(item, it.key(), it.value().toObject(), now);
        } else if (it.value().isArray()) {
            const QJsonArray list = it.value().toArray();
            for (int i = 0; i < list.size(); ++i) {
                auto *child = new QTreeWidgetItem(item);
                child->setText(0, Texts::tr("模块%1").arg(i));
                addFields(child, it.key(), list.at(i).toObject(), now);
            }
        } else if (it.key() == QLatin1String("at") && it.value().isDouble()) {
            const auto at = static_cast<qint64>(it.value().toDouble());
            item->setText(1, clockText(at, now));
        } else {
            item->setText(1, valueText(it.value(), false));
        }
    }
    status->expandAll();
}

} // namespace fleet

#include "moc_laser_details.cpp"
