#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <functional>
#include <memory>

// Runs `act` on the next modal window that opens (a box or a dialog started with exec()).
// Polls, because the window only exists once the caller has entered its exec(). Each poll's
// timer owns a copy of what the next poll needs and nothing refers back to it, so nothing is
// left alive once the polls end.
inline void onNextModal(std::function<void(QWidget*)> act, QWidget* ignore = nullptr,
                        int pollsLeft = 500) {
    QTimer::singleShot(pollsLeft == 500 ? 0 : 10, qApp, [act = std::move(act), ignore, pollsLeft] {
        QWidget* w = QApplication::activeModalWidget();
        if (w && w != ignore)
            act(w);
        else if (pollsLeft > 1)
            onNextModal(act, ignore, pollsLeft - 1);
    });
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
