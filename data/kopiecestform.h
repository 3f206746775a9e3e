#pragma once

#include <QDialog>

class QLabel;
class QSpinBox;

// TKopieCestForm1: asks which route to copy onto the selected one. Lives for the whole run,
// so the source number chosen last time is offered again.
class TKopieCestForm1 : public QDialog {
    Q_OBJECT
public:
    explicit TKopieCestForm1(QWidget* parent = nullptr);

    // FormShow: limits the source to what the table can hold and names the target route.
    void prepare(int targetRoute, int routeCapacity);
    int sourceRoute() const;

private:
    QSpinBox* SEzdr;
    QLabel* LBcil;
};
