#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <memory>

class QMainWindow;
class QTranslator;

namespace harness {

// The form of the window, built from the same Designer file in this process (never shown on
// screen), to know where each widget sits and what a text looks like when drawn. The program
// and this copy render with the same fonts and style on the same display.
class FormMap {
public:
    // `catalogue`: a .qm file to install before building (e.g. lang_English.qm), or empty.
    explicit FormMap(const QString &catalogue = QString());
    ~FormMap();
    FormMap(const FormMap &) = delete;
    FormMap &operator=(const FormMap &) = delete;

    void setWindowSize(const QSize &size);
    // Shows page 0 (status) or 1 (settings) in the copy, as the real window does.
    void setPage(int index);
    // A widget's rectangle in window coordinates (empty when it has no such widget).
    QRect rect(const QString &objectName) const;
    QPoint centre(const QString &objectName) const { return rect(objectName).center(); }
    // Menu titles and menu items, in window coordinates; the item assumes its menu is open.
    QPoint menuTitle(const QString &menuObjectName) const;
    QPoint menuItem(const QString &actionObjectName) const;
    QString menuOf(const QString &actionObjectName) const;
    // What the widget looks like with `text` (QLabel or button), or as it is.
    QImage render(const QString &objectName, const QString *text = nullptr) const;
    QString text(const QString &objectName) const;
    QMainWindow *window() const { return main.get(); }

private:
    std::unique_ptr<QTranslator> translator;
    std::unique_ptr<QMainWindow> main;
    void *form = nullptr; // SerialForm, kept out of this header
};

} // namespace harness
