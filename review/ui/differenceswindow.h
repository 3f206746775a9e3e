#pragma once

#include "review/configcheck.h"
#include "review/differences.h"

#include <QDialog>

#include <memory>

class QLabel;
class QTableWidget;
namespace Ui {
class DifferencesWindow;
}

// A read-only list beside the grid: what differs between two configurations, or what the check
// across routes found. Not modal, so the user can look for the routes in the grid meanwhile.
class DifferencesWindow : public QDialog {
    Q_OBJECT
public:
    explicit DifferencesWindow(QWidget* parent = nullptr);
    ~DifferencesWindow() override;

    // One row per difference; `aName` and `bName` head the value columns; `sameText` stands in
    // the summary when there is nothing to list.
    void showDifferences(const QString& title, const QList<differences::Difference>& list,
                         const QString& aName, const QString& bName, const QString& sameText);
    // One row per finding: the routes involved and the finding's text.
    void showFindings(const QList<configcheck::Finding>& findings);

signals:
    // A double click on a row that concerns route n (a finding: its first route).
    void routeChosen(int n);

private:
    // `routes`: the route of each row, 0 for none.
    void setRows(const QStringList& header, const QList<QStringList>& rows,
                 const QList<int>& routes, const QString& summary);
    void fitRows();

    std::unique_ptr<Ui::DifferencesWindow> m_ui;
};
