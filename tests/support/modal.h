#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <functional>
#include <memory>

// Runs `act` on the next modal window that opens (a box or a dialog started with exec()).
// Polls, because the window only exists once the caller has entered its exec().
inline void onNextModal(std::function<void(QWidget*)> act, QWidget* ignore = nullptr) {
    auto poll = std::make_shared<std::function<void()>>();
    auto tries = std::make_shared<int>(0);
    *poll = [act, poll, tries, ignore] {
        QWidget* w = QApplication::activeModalWidget();
        if (w && w != ignore) {
            act(w);
            return;
        }
        if (++*tries < 500)
            QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(0, *poll);
}

struct SeenBox {
    QString title;
    QString text;
    QString detailedText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Records the next message box and presses `answer` on it.
inline std::shared_ptr<SeenBox> answerNextBox(QMessageBox::StandardButton answer) {
    auto seen = std::make_shared<SeenBox>();
    onNextModal([seen, answer](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box)
            return;
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->detailedText = box->detailedText();
        seen->icon = box->icon();
        seen->buttons = box->standardButtons();
        if (QAbstractButton* b = box->button(answer))
            b->click();
        else
            box->reject();
    });
    return seen;
}
