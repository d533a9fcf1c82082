#pragma once

#include <QObject>
#include <QVector>

class QMainWindow;
class QShortcut;

namespace Ui {
class Serial;
}

// The main window from the keyboard without changing a text of it: the menus' titles stay as
// they are (no "&" letters), and instead Alt+letter opens a menu (Alt+U 使用者界面, Alt+S 设置,
// Alt+L 语言, Alt+D 诊断, Alt+M 维护, Alt+H 帮助) and F10 the first one; arrows and
// Enter do the rest. Ctrl+1 and Ctrl+2 show the two pages. Tab goes through the port panel and
// the red-light buttons, and on the settings page through the boxes row by row, then the mode,
// the leakage limit, 读回 and 设定.
class KeyboardAccess : public QObject {
    Q_OBJECT
public:
    KeyboardAccess(QMainWindow &window, Ui::Serial &form);
    // Menus added later (diagnostics, service) and titles in another language: a menu
    // whose title has a mnemonic of its own keeps it, and its Alt key is not taken here.
    void retranslate();

    struct MenuKey {
        const char *menu; // object name
        char letter;
    };
    static const MenuKey menuKeys[6];

private:
    QMainWindow &window;
    QVector<QShortcut *> menuShortcuts;
};
