#include "fleet/laser_details.h"

#include "fleet/texts.h"

#include "events/alarm_names.h"
#include "events/event_words.h"
#include "fleet/bad_actor_list.h"
#include "fleet/fleet_texts.h"
#include "plant/fleet_messages.h"

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
    {"", "unacknowledged", "Fleet", QT_TRANSLATE_NOOP("Fleet", "主机上未确认的报警")},
};

// At most this many lines of a status are shown; a payload of thousands of fields would cost
// the window more than it tells.
constexpr int maxStatusItems = 500;
// Names and texts longer than these are cut where they are shown.
constexpr int maxShownName = 64;
constexpr int maxShownValue = 256;

// A text of the payload as it may be shown: cut, marked where cut, every hidden character
// visible.
QString shown(const QString &text, int maxLength) {
    QString out = plant::visibleText(text, maxLength);
    if (text.size() > maxLength)
        out += QChar(0x2026);
    return out;
}

QString captionOf(const QString &section, const QString &field) {
    // Alarm flags, of the system and of each module, have their own table.
    if (section == QLatin1String("alarms") || section == QLatin1String("modules")) {
        if (events::alarmBit(field) >= 0)
            return events::alarmCaption(field);
        for (const events::AlarmName &a : events::moduleAlarms)
            if (field == QLatin1String(a.key))
                return serialCaption(a.caption);
    }
    for (const Caption &c : captions)
        if (field == QLatin1String(c.field) && section == QLatin1String(c.section))
            return QLatin1String(c.context) == QLatin1String("Serial") ? serialCaption(c.source)
                                                                       : Texts::tr(c.source);
    return shown(field, maxShownName);
}

bool isAlarmField(const QString &section, const QString &field) {
    return section == QLatin1String("alarms") ||
           (section == QLatin1String("modules") && field != QLatin1String("beam_on"));
}

// Fills the status tree within maxStatusItems lines and counts what did not fit.
class StatusFill {
public:
    StatusFill(QTreeWidget *tree, qint64 now) : tree(tree), now(now) {}

    void all(const QJsonObject &status) {
        for (auto it = status.begin(); it != status.end(); ++it)
            value(nullptr, QString(), it.key(), it.value());
        if (skipped > 0) {
            auto *more = new QTreeWidgetItem(tree);
            more->setText(0, Texts::tr("另有 %1 项未显示").arg(skipped));
        }
    }

private:
    QTreeWidgetItem *line(QTreeWidgetItem *parent, const QString &caption) {
        if (left <= 0) {
            ++skipped;
            return nullptr;
        }
        --left;
        auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, caption);
        return item;
    }

    // One field: `section` is the top-level field it is in (empty at the top).
    void value(QTreeWidgetItem *parent, const QString &section, const QString &key,
               const QJsonValue &v) {
        QTreeWidgetItem *item = line(parent, captionOf(section, key));
        if (!item) {
            // Its own lines are not shown either; counted as one.
            return;
        }
        const QString inner = section.isEmpty() ? key : section;
        if (v.isObject()) {
            const QJsonObject o = v.toObject();
            for (auto it = o.begin(); it != o.end(); ++it)
                value(item, inner, it.key(), it.value());
        } else if (v.isArray()) {
            const QJsonArray list = v.toArray();
            // The modules are numbered as the status page numbers them; any other list by place.
            const bool modules = section.isEmpty() && key == QLatin1String("modules");
            // Alarms waiting for an acknowledgement at the laser: each under its own words.
            const bool unacknowledged = section.isEmpty() && key == QLatin1String("unacknowledged");
            for (int i = 0; i < list.size(); ++i) {
                if (unacknowledged && list.at(i).isString()) {
                    QTreeWidgetItem *alarm = line(
                        item,
                        shown(events::eventLabel(QStringLiteral("alarm"), list.at(i).toString()),
                              maxShownName));
                    if (alarm)
                        alarm->setText(1, Texts::tr("未确认"));
                } else if (modules && list.at(i).isObject()) {
                    QTreeWidgetItem *module = line(item, Texts::tr("模块%1").arg(i));
                    if (!module)
                        continue;
                    const QJsonObject o = list.at(i).toObject();
                    for (auto it = o.begin(); it != o.end(); ++it)
                        value(module, inner, it.key(), it.value());
                } else {
                    value(item, inner, QStringLiteral("[%1]").arg(i), list.at(i));
                }
            }
        } else {
            item->setText(1, fieldText(section, key, v, now));
        }
    }

    QTreeWidget *tree;
    qint64 now;
    int left = maxStatusItems;
    int skipped = 0;
};

} // namespace

QString fieldText(const QString &section, const QString &key, const QJsonValue &value, qint64 now) {
    if (value.isDouble()) {
        const double v = value.toDouble();
        // Times are range-checked before they become integers; temperatures beyond physical
        // sense are no readings.
        if (key == QLatin1String("at") || key.endsWith(QLatin1String("_at")))
            return plant::timeInRange(v) ? clockText(static_cast<qint64>(v), now)
                                         : Texts::tr("无效");
        if (section == QLatin1String("temperatures"))
            return plant::temperatureInRange(v) ? numberText(v) : Texts::tr("无效");
    }
    return valueText(value, isAlarmField(section, key));
}

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
        return QString::number(v, 'g', 6);
    }
    case QJsonValue::String:
        return shown(value.toString(), maxShownValue);
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
    figures = new QTreeWidget(split);
    figures->setObjectName(QStringLiteral("figureTree"));
    figures->setColumnCount(5);
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
    figures->setHeaderLabels(figureHeader());
    events->setHeaderLabels({Texts::tr("时间"), Texts::tr("类别"), Texts::tr("名称"),
                             Texts::tr("值"), Texts::tr("详情")});
}

void LaserDetails::showLaser(const Laser *laser, const QString &stateText, qint64 now) {
    status->clear();
    events->clear();
    fillFigures(figures, laser, now);
    setTitle(laser, stateText);
    if (!laser) {
        eventNote->clear();
        return;
    }
    if (laser->hasStatus && laser->status.payload.isEmpty()) {
        auto *note = new QTreeWidgetItem(status);
        note->setText(0, Texts::tr("状态内容未保留（已达内存上限）"));
    } else if (laser->hasStatus) {
        // Read again only now: the fleet keeps each laser's payload and a summary of it.
        StatusFill(status, now).all(QJsonDocument::fromJson(laser->status.payload).object());
        status->expandAll();
    }

    // In the operator's words, as the host's Events tab shows them.
    QList<QTreeWidgetItem *> rows;
    for (const events::Event &e : laser->events)
        rows << new QTreeWidgetItem(
            QStringList{clockText(e.at, now), events::categoryText(e.category),
                        events::eventLabel(e.category, e.name),
                        events::eventValueText(e.category, e.name, e.value), e.detail});
    events->addTopLevelItems(rows);
    eventNote->setText(laser->eventsDropped > 0
                           ? Texts::tr("自本窗口启动以来的事件（最新的 %1 条，较早的 %2 条已丢弃）")
                                 .arg(laser->events.size())
                                 .arg(laser->eventsDropped)
                           : Texts::tr("自本窗口启动以来的事件"));
}

void LaserDetails::setTitle(const Laser *laser, const QString &stateText) {
    if (!laser) {
        title->setText(Texts::tr("选择一台激光器查看详情"));
        return;
    }
    QString text = laser->id + QStringLiteral(" — ") + stateText;
    // Its times are its own clock's: said when that clock is off.
    if (Fleet::clockDiffers(*laser))
        text += QStringLiteral(" — ") +
                (laser->clockSkew > 0
                     ? Texts::tr("主机时钟比本机快 %1").arg(ageText(laser->clockSkew))
                     : Texts::tr("主机时钟比本机慢 %1").arg(ageText(-laser->clockSkew)));
    title->setText(text);
}

} // namespace fleet

#include "moc_laser_details.cpp"
