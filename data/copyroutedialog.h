#pragma once

#include <QDialog>

class QLabel;
class QSpinBox;

// "Kopie vlakové cesty": asks which route to copy onto the selected one. Lives for the whole
// run, so the source number chosen last time is offered again.
class CopyRouteDialog : public QDialog {
    Q_OBJECT
public:
    explicit CopyRouteDialog(QWidget* parent = nullptr);

    // FormShow: limits the source to what the table can hold and names the target route.
    void prepare(int targetRoute, int routeCapacity);
    // FormClose: the source standing in the box when the dialog was last closed, in any way.
    int sourceRoute() const { return m_sourceRoute; }

    void done(int result) override;

private:
    QSpinBox* m_source;
    QLabel* m_target;
    int m_sourceRoute = 1;
};
