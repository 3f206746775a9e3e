#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <functional>
#include <memory>

namespace modaldetail {
struct Wait {
    std::function<void(QWidget*)> act;
    QWidget* ignore = nullptr;
    int tries = 0;
};

// Each timer holds the wait and nothing holds the timer's function, so the wait is freed with
// the last timer instead of keeping itself alive.
inline void poll(const std::shared_ptr<Wait>& wait, int delay) {
    QTimer::singleShot(delay, qApp, [wait] {
        QWidget* w = QApplication::activeModalWidget();
        if (w && w != wait->ignore)
            wait->act(w);
        else if (++wait->tries < 500)
            poll(wait, 10);
    });
}
} // namespace modaldetail

// Runs `act` on the next modal window that opens (a box or a dialog started with exec()).
// Polls, because the window only exists once the caller has entered its exec().
inline void onNextModal(std::function<void(QWidget*)> act, QWidget* ignore = nullptr) {
    auto wait = std::make_shared<modaldetail::Wait>();
    wait->act = std::move(act);
    wait->ignore = ignore;
    modaldetail::poll(wait, 0);
}

struct SeenBox {
    QString title;
    QString text;
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
        seen->icon = box->icon();
        seen->buttons = box->standardButtons();
        if (QAbstractButton* b = box->button(answer))
            b->click();
        else
            box->reject();
    });
    return seen;
}
