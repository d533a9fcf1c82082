#pragma once

class QString;
class QWidget;

namespace Ui {
class Serial;
}

// What a screen reader finds in the two pages: each lamp and value has its caption as its
// accessible name and what it shows as its accessible description (报警 / 正常 for an alarm lamp,
// 开 / 关 for a state lamp or a settings flag, a value with its unit), in the language shown; while
// the link gives no data (the port closed, no frame yet, the link lost) every description is
// 无数据 instead, though the lamps and values on screen stay as they are: a grey lamp or a 0 there
// is not "normal" or "0 °C".
namespace accessible {

// Sets the accessible name or description only when it differs: each set is announced.
void setName(QWidget *widget, const QString &name);
void setDescription(QWidget *widget, const QString &description);

// A caption as a name: "T3温度(C):" gives "T3温度(C)".
QString captionName(const QString &caption);

// The words of a lamp's state in the current language.
QString alarmWord(bool alarm);
QString onOffWord(bool on);

class PageTexts {
public:
    explicit PageTexts(Ui::Serial &form) : form(form) {}
    // Whether the status page shows what the CCB sent (the port open and the link not lost) and
    // the settings page what the laser holds (besides, an answered read-back or write since):
    // where not, a lamp or value reads 无数据 (No data), never 正常 or 关 (grey says both).
    void setKnown(bool status, bool settings) {
        statusKnown = status;
        settingsKnown = settings;
    }
    // Names and descriptions again, from the captions now shown (after a language change).
    void retranslate();
    // After a page pass or a change of the link: the descriptions that changed.
    void refresh();

private:
    Ui::Serial &form;
    bool statusKnown = false;
    bool settingsKnown = false;
};

} // namespace accessible
