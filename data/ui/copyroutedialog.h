#pragma once

#include <QDialog>

#include <memory>

class QLabel;
class QSpinBox;
namespace Ui {
class CopyRouteDialog;
}

// "Kopie vlakové cesty": asks which route to copy onto the selected one. Lives for the whole
// run, so the source number chosen last time is offered again.
class CopyRouteDialog : public QDialog {
    Q_OBJECT
public:
    explicit CopyRouteDialog(QWidget* parent = nullptr);
    ~CopyRouteDialog() override;

    // FormShow: limits the source to what the table can hold and names the target route.
    void prepare(int targetRoute, int routeCapacity);
    // FormClose: the source standing in the box when the dialog was last closed, in any way.
    int sourceRoute() const { return m_sourceRoute; }

    void done(int result) override;

private:
    std::unique_ptr<Ui::CopyRouteDialog> m_ui;
    QSpinBox* m_source;
    QLabel* m_target;
    int m_sourceRoute = 1;
};
