#include "ui/accessible_texts.h"

#include "alarms/words.h"
#include "events/event_words.h"
#include "ui/attention.h"
#include "ui/lamp_look.h"
#include "ui/settings_page.h"
#include "ui/status_page.h"
#include "ui/texts.h"
#include "ui_serial.h"

#include <QGroupBox>
#include <QLabel>

namespace accessible {

namespace {

using attention::Texts;
using Form = Ui::Serial;

// A value label, its caption and its unit ("%1 °C"); null for a text shown as it is.
struct Value {
    QLabel *Form::*value;
    QLabel *Form::*caption;
    const char *unit;
};

const Value values[] = {
    {&Form::label_TempWaterIn, &Form::label_80, QT_TRANSLATE_NOOP("Attention", "%1 °C")},
    {&Form::label_TempWaterOut, &Form::label_76, QT_TRANSLATE_NOOP("Attention", "%1 °C")},
    {&Form::label_TempDewPoint, &Form::label_78, QT_TRANSLATE_NOOP("Attention", "%1 °C")},
    {&Form::label_CCBVersion, &Form::label_84, nullptr},
    {&Form::label_DBVersion, &Form::label_83, nullptr},
    {&Form::label_AI_1, &Form::label_10, QT_TRANSLATE_NOOP("Attention", "%1 V")},
    {&Form::label_Freq, &Form::label_12, QT_TRANSLATE_NOOP("Attention", "%1 Hz")},
    {&Form::label_Duty, &Form::label_233, QT_TRANSLATE_NOOP("Attention", "%1 %")},
    {&Form::label_ProductType, &Form::label_99, nullptr},
    {&Form::label_SerialNumber, &Form::label_105, nullptr},
    {&Form::label_SystemDateTime, &Form::label_97, nullptr},
};

QString lampText(const StatusLamp &lamp, const Form &form) {
    const looks::Lamp shown = looks::shownLamp(form.*lamp.lamp);
    return lamp.alarm ? alarmWord(shown == looks::Lamp::Alarm)
                      : onOffWord(shown == looks::Lamp::On || shown == looks::Lamp::Beam);
}

QString valueText(const Value &v, const Form &form) {
    const QString text = (form.*v.value)->text();
    // A text from the CCB (product type, serial number) is read as what it holds: a control
    // character in it is said, not passed to the screen reader to act on or drop.
    if (!v.unit)
        return attention::visible(text);
    if (text.isEmpty())
        return text;
    return Texts::tr(v.unit).arg(text);
}

// A settings lamp's caption: the other label of its cell (the check box has no text).
QString settingsCaption(const QLabel *lamp) {
    for (const QLabel *label :
         lamp->parentWidget()->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly))
        if (label != lamp)
            return captionName(label->text());
    return QString();
}

} // namespace

void setName(QWidget *widget, const QString &name) {
    if (widget->accessibleName() != name)
        widget->setAccessibleName(name);
}

void setDescription(QWidget *widget, const QString &description) {
    if (widget->accessibleDescription() != description)
        widget->setAccessibleDescription(description);
}

QString captionName(const QString &caption) {
    QString name = caption.trimmed();
    while (name.endsWith(QLatin1Char(':')) || name.endsWith(QChar(0xff1a)))
        name.chop(1);
    return name.trimmed();
}

QString alarmWord(bool alarm) {
    return alarm ? Texts::tr("报警") : Texts::tr("正常");
}

QString onOffWord(bool on) {
    // The state words of the Events tab.
    return events::eventValueText(QStringLiteral("state"), QString(),
                                  on ? QStringLiteral("on") : QStringLiteral("off"));
}

void PageTexts::retranslate() {
    for (const StatusLamp &lamp : statusLamps) {
        QString name = captionName((form.*lamp.caption)->text());
        if (lamp.group)
            name = Texts::tr("%1：%2").arg((form.*lamp.group)->title(), name);
        setName(form.*lamp.lamp, name);
    }
    for (const Value &v : values)
        setName(form.*v.value, captionName((form.*v.caption)->text()));
    for (QLabel *lamp : settingsLamps(form))
        setName(lamp, settingsCaption(lamp));
    refresh();
}

void PageTexts::refresh() {
    const QString none = alarms::stateText(alarms::State::NoData);
    for (const StatusLamp &lamp : statusLamps)
        setDescription(form.*lamp.lamp, statusKnown ? lampText(lamp, form) : none);
    for (const Value &v : values)
        setDescription(form.*v.value, statusKnown ? valueText(v, form) : none);
    for (QLabel *lamp : settingsLamps(form))
        setDescription(lamp,
                       settingsKnown ? onOffWord(looks::shownLamp(lamp) == looks::Lamp::On) : none);
}

} // namespace accessible
