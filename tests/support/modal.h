#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <QStringList>

#include <algorithm>
#include <functional>
#include <vector>

// What a message box showed, and closes it. Boxes must never hang a test: arm a BoxCloser
// before the call that may open one; it answers every box with `button`, or with
// QMessageBox::NoButton closes it through its window, as the title-bar button does.
struct SeenBox {
    bool seen = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

class BoxCloser {
public:
    explicit BoxCloser(QMessageBox::StandardButton button = QMessageBox::Ok)
        : BoxCloser(std::vector<QMessageBox::StandardButton>{button}) {}
    // One answer per box in turn; the last one answers every further box.
    explicit BoxCloser(std::vector<QMessageBox::StandardButton> answers) : answers(answers) {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] { poll(); });
        timer.start();
    }

    const SeenBox &box() const { return first; }
    int count() const { return boxes; }
    // The texts of every box seen, in order.
    const QStringList &texts() const { return seenTexts; }

    // Process events until a box has been seen (or timeoutMs passed).
    bool waitForBox(int timeoutMs = 2000) {
        QElapsedTimer clock;
        clock.start();
        while (!first.seen && clock.elapsed() < timeoutMs)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        return first.seen;
    }

private:
    void poll() {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (box == handled) {
            // A box that refuses to close must not hang the test.
            box->reject();
            return;
        }
        handled = box;
        const QMessageBox::StandardButton answer =
            answers[std::min(size_t(boxes), answers.size() - 1)];
        ++boxes;
        seenTexts.append(box->text());
        if (!first.seen) {
            first.seen = true;
            first.title = box->windowTitle();
            first.text = box->text();
            first.icon = box->icon();
        }
        if (answer == QMessageBox::NoButton)
            box->close();
        else if (QAbstractButton *b = box->button(answer))
            b->click();
        else
            box->reject();
    }

    std::vector<QMessageBox::StandardButton> answers;
    QTimer timer;
    SeenBox first;
    QPointer<QMessageBox> handled;
    int boxes = 0;
    QStringList seenTexts;
};

// Answers the next file dialog (Qt's own, as on the offscreen platform) with `path`, as a user
// who types the name and presses Save does. Arm it before the click that opens the dialog.
class FileDialogAnswer {
public:
    explicit FileDialogAnswer(const QString &path) : path(path) {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            timer.stop();
            answered = true;
            dialog->selectFile(this->path);
            static_cast<QDialog *>(dialog)->accept(); // the Save button
        });
        timer.start();
    }
    bool wasAnswered() const { return answered; }

private:
    QString path;
    QTimer timer;
    bool answered = false;
};
