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

struct WatchedBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString informative;
};

// Closes every message box that opens while it lives with `answer` (when the box has it) and
// remembers what they said.
class BoxWatcher {
public:
    explicit BoxWatcher(QMessageBox::StandardButton answer = QMessageBox::Ok) {
        QObject::connect(&m_timer, &QTimer::timeout, [this, answer] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                m_boxes.push_back(
                    {box->windowTitle(), box->text(), box->icon(), box->informativeText()});
                if (QAbstractButton* button = box->button(answer))
                    button->click();
                else
                    box->accept();
            }
        });
        m_timer.start(10);
    }
    const QList<WatchedBox>& boxes() const { return m_boxes; }

private:
    QTimer m_timer;
    QList<WatchedBox> m_boxes;
};
