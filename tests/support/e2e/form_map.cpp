#include "support/e2e/form_map.h"

#include "ui_serial.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QStackedWidget>
#include <QTranslator>

namespace harness {

namespace {
Ui::Serial *formOf(void *p) {
    return static_cast<Ui::Serial *>(p);
}

// Makes the page that holds `w` the current page of its stacked widget, so its layouts run.
void bringForward(QWidget *w) {
    for (QWidget *child = w, *parent = w ? w->parentWidget() : nullptr; parent;
         child = parent, parent = parent->parentWidget()) {
        if (auto *stack = qobject_cast<QStackedWidget *>(parent)) {
            if (stack->currentWidget() != child)
                stack->setCurrentWidget(child);
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    if (QWidget *top = w ? w->window() : nullptr)
        if (top->layout())
            top->layout()->activate();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}
} // namespace

FormMap::FormMap(const QString &catalogue) {
    if (!catalogue.isEmpty()) {
        translator = std::make_unique<QTranslator>();
        if (translator->load(catalogue))
            QCoreApplication::installTranslator(translator.get());
    }
    main = std::make_unique<QMainWindow>();
    auto *f = new Ui::Serial;
    f->setupUi(main.get());
    form = f;
    main->setAttribute(Qt::WA_DontShowOnScreen);
    main->show();
    QCoreApplication::processEvents();
}

FormMap::~FormMap() {
    delete formOf(form);
    main.reset();
    if (translator)
        QCoreApplication::removeTranslator(translator.get());
}

void FormMap::setWindowSize(const QSize &size) {
    main->resize(size);
    QCoreApplication::processEvents();
    if (main->layout())
        main->layout()->activate();
    QCoreApplication::processEvents();
}

void FormMap::setPage(int index) {
    formOf(form)->stackedWidget->setCurrentIndex(index);
    QCoreApplication::processEvents();
}

QRect FormMap::rect(const QString &objectName) const {
    auto *w = main->findChild<QWidget *>(objectName);
    if (!w)
        return QRect();
    bringForward(w);
    return QRect(w->mapTo(main.get(), QPoint(0, 0)), w->size());
}

QString FormMap::menuOf(const QString &actionObjectName) const {
    for (QMenu *menu : main->menuBar()->findChildren<QMenu *>())
        for (QAction *a : menu->actions())
            if (a->objectName() == actionObjectName)
                return menu->objectName();
    return QString();
}

QPoint FormMap::menuTitle(const QString &menuObjectName) const {
    auto *menu = main->findChild<QMenu *>(menuObjectName);
    if (!menu)
        return QPoint();
    QMenuBar *bar = main->menuBar();
    const QRect r = bar->actionGeometry(menu->menuAction());
    return bar->mapTo(main.get(), r.center());
}

QPoint FormMap::menuItem(const QString &actionObjectName) const {
    auto *menu = main->findChild<QMenu *>(menuOf(actionObjectName));
    if (!menu)
        return QPoint();
    QAction *action = nullptr;
    for (QAction *a : menu->actions())
        if (a->objectName() == actionObjectName)
            action = a;
    QMenuBar *bar = main->menuBar();
    // A menu opens below its title, its left edge at the title's left edge.
    const QRect title = bar->actionGeometry(menu->menuAction());
    const QPoint origin = bar->mapTo(main.get(), title.bottomLeft() + QPoint(0, 1));
    menu->ensurePolished();
    menu->adjustSize();
    return origin + menu->actionGeometry(action).center();
}

QImage FormMap::render(const QString &objectName, const QString *text) const {
    auto *w = main->findChild<QWidget *>(objectName);
    if (!w)
        return QImage();
    bringForward(w);
    QString old;
    auto *label = qobject_cast<QLabel *>(w);
    auto *button = qobject_cast<QAbstractButton *>(w);
    if (text) {
        if (label) {
            old = label->text();
            label->setText(*text);
        } else if (button) {
            old = button->text();
            button->setText(*text);
        }
    }
    const QImage image = w->grab().toImage();
    if (text) {
        if (label)
            label->setText(old);
        else if (button)
            button->setText(old);
    }
    return image;
}

QString FormMap::text(const QString &objectName) const {
    auto *w = main->findChild<QWidget *>(objectName);
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return button->text();
    if (auto *combo = qobject_cast<QComboBox *>(w))
        return combo->currentText();
    return QString();
}

} // namespace harness
