#pragma once

#include <QMessageBox>
#include <QString>

// Message boxes of the service kit. Their texts quote files (a path, a product type, a field
// name): always plain text, never taken for rich text, whatever a file holds.
namespace service {

inline QMessageBox::StandardButton plainBox(QWidget *parent, QMessageBox::Icon icon,
                                            const QString &title, const QString &text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton byDefault) {
    QMessageBox box(icon, title, text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(byDefault);
    return QMessageBox::StandardButton(box.exec());
}

inline void plainWarning(QWidget *parent, const QString &title, const QString &text) {
    plainBox(parent, QMessageBox::Warning, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

// True when the user answers Yes; Cancel is the default.
inline bool plainQuestion(QWidget *parent, const QString &title, const QString &text,
                          QMessageBox::Icon icon = QMessageBox::Question) {
    return plainBox(parent, icon, title, text, QMessageBox::Yes | QMessageBox::Cancel,
                    QMessageBox::Cancel) == QMessageBox::Yes;
}

} // namespace service
