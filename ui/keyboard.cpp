#include "ui/keyboard.h"

#include "ui_serial.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QSpinBox>

const KeyboardAccess::MenuKey KeyboardAccess::menuKeys[6] = {
    {"menu_masterWindow", 'U'}, {"menu_SysSet", 'S'},  {"menu_Language", 'L'},
    {"menu_Diagnostics", 'D'},  {"menu_Service", 'M'}, {"menu_Help", 'H'},
};

namespace {

void chain(const QList<QWidget *> &widgets) {
    for (int i = 1; i < widgets.size(); ++i)
        QWidget::setTabOrder(widgets[i - 1], widgets[i]);
}

} // namespace

KeyboardAccess::KeyboardAccess(QMainWindow &w, Ui::Serial &form) : QObject(&w), window(w) {
    setObjectName(QStringLiteral("keyboardAccess"));
    // The scroll area round the pages would be a Tab stop of its own, with no name and nothing
    // to do: it scrolls to whichever field Tab reaches all the same.
    form.scrollArea->setFocusPolicy(Qt::NoFocus);
    chain({form.comboBoxCOM, form.pushButtonUpData, form.pushButtonSerialSwitch,
           form.pushButton_redon, form.pushButton_redoff});
    // The settings boxes in the order the grid shows them, row by row.
    QList<QWidget *> settings;
    for (int row = 0; row < form.gridLayout->rowCount(); ++row)
        for (int column = 0; column < form.gridLayout->columnCount(); ++column)
            if (QLayoutItem *cell = form.gridLayout->itemAtPosition(row, column))
                if (cell->widget())
                    for (QCheckBox *box : cell->widget()->findChildren<QCheckBox *>())
                        settings << box;
    settings << form.comboBox_OPModeUsr << form.spinBox_PdLeakageLevel
             << form.pushButton_sysSet_readBack1 << form.pushButton_sysSet_set1;
    chain(settings);

    const auto page = [&w](const QKeySequence &key, QAction *action) {
        auto *shortcut = new QShortcut(key, &w);
        connect(shortcut, &QShortcut::activated, action, &QAction::trigger);
    };
    page(QKeySequence(Qt::CTRL | Qt::Key_1), form.actionMasterWindow);
    page(QKeySequence(Qt::CTRL | Qt::Key_2), form.actionSys_set);

    auto *firstMenu = new QShortcut(QKeySequence(Qt::Key_F10), &w);
    connect(firstMenu, &QShortcut::activated, this, [this] {
        const QList<QAction *> menus = window.menuBar()->actions();
        if (!menus.isEmpty())
            window.menuBar()->setActiveAction(menus.first());
    });
    retranslate();
}

void KeyboardAccess::retranslate() {
    qDeleteAll(menuShortcuts);
    menuShortcuts.clear();
    for (const MenuKey &key : menuKeys) {
        QMenu *menu = window.menuBar()->findChild<QMenu *>(QLatin1String(key.menu));
        // Two shortcuts on one key would both be ambiguous, and neither would open.
        if (!menu || !QKeySequence::mnemonic(menu->title()).isEmpty())
            continue;
        auto *shortcut =
            new QShortcut(QKeySequence(Qt::ALT | Qt::Key(Qt::Key_A + key.letter - 'A')), &window);
        connect(shortcut, &QShortcut::activated, this,
                [this, menu] { window.menuBar()->setActiveAction(menu->menuAction()); });
        menuShortcuts << shortcut;
    }
}
