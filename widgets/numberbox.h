#pragma once

#include <QSpinBox>

#include <functional>

// The number box of every window. A plain QSpinBox refuses the keystroke that takes the
// typed number above the maximum, so typing 25 into a box that ends at 22 silently leaves 2.
// Here such a number may stand while the user types and becomes the maximum when the box is
// left; a number below the minimum, or a text that is no number, becomes the minimum then
// (with CorrectToNearestValue, which the windows set).
class NumberBox : public QSpinBox {
public:
    using QSpinBox::QSpinBox;

    // Where the arrows and Page keys lead from a value, for a box that holds only some numbers
    // of its range; without one they step by one.
    void setStepper(std::function<int(int value, int steps)> stepper) {
        m_stepper = std::move(stepper);
    }
    void stepBy(int steps) override {
        if (m_stepper)
            setValue(m_stepper(value(), steps));
        else
            QSpinBox::stepBy(steps);
    }

protected:
    QValidator::State validate(QString& text, int& pos) const override {
        const QValidator::State state = QSpinBox::validate(text, pos);
        return state == QValidator::Invalid && aboveMaximum(text) ? QValidator::Intermediate
                                                                  : state;
    }

    void fixup(QString& text) const override {
        if (aboveMaximum(text))
            text = textFromValue(maximum());
        else
            QSpinBox::fixup(text);
    }

private:
    std::function<int(int, int)> m_stepper;

    bool aboveMaximum(const QString& text) const {
        bool ok = false;
        const qlonglong n = locale().toLongLong(text.trimmed(), &ok);
        return ok && n > maximum();
    }
};
