#pragma once

#include "data/configstore.h"
#include "data/elementnames.h"
#include "editors/routevalues.h"

#include <QDialog>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class RadioGroup;
namespace Ui {
class RouteEditor;
}

// Edits one route record in three tabs (objectName TCestaForm1), laid out in routeeditor.ui.
// Showing loads the record into the controls; an accepted OK writes the controls back into it
// and closes with Accepted. Any other way out closes with Rejected and leaves the record as it
// was. Created once and reused, so it reopens on the tab that was last in front.
class RouteEditor : public QDialog {
    Q_OBJECT
public:
    // The store lends the module's relay settings, which decide whether R15 and R16 belong to
    // the routes.
    explicit RouteEditor(const ConfigStore& store, QWidget* parent = nullptr);
    ~RouteEditor() override;

    // Shows `route` modally, the caption naming route n; the edited record on OK, nothing
    // otherwise.
    std::optional<RouteRecord> edit(const RouteRecord& route, int n);
    // The record being edited: as loaded, or as the last accepted OK wrote it.
    const RouteRecord& route() const { return m_route; }

    // What the controls hold right now.
    RouteEditValues values() const;

    // The modeller's names beside the push-button and signal numbers and on the points' groups,
    // following the numbers as they change.
    void setNames(const ElementNames& names);

signals:
    void namesChanged();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void adoptFormControls();
    // What the form leaves to the code: the boxes that repeat, the lists' entries, the sketch.
    void addDetectorBoxes();
    void addPointControls();
    void fillSignalControls();
    void connectHandlers();

    // Loads every control from the record; runs on each showing.
    void loadFromRoute(); // FormShow
    // Checks the route; on a refusal shows why and stays open, otherwise writes back and
    // closes with Accepted.
    void onOkClicked(); // BtOK1Click

    // Keep dependent controls usable only where they mean something; each runs whenever its
    // control's state really changes, whether by the user or by loading.
    void updateSignalCancelList();         // CheBsnNVenaClick
    void updateRouteCancelControls();      // CBsenzCESChange
    void updateSignalControls(int signal); // SEnav1Change, SEnav2Change, SEnav3Change
    void updateEntryCheck();               // SEkolejChange
    void onRepeatFollowingToggled();       // CBopakNav1Click

    void onDescriptionEdited(const QString& text);
    void commitTypedValues();

    // A label beside `box` that names the element its number stands for.
    void addNameLabel(QSpinBox* box, elementnames::Kind kind);
    void showPointNames();

    const ConfigStore& m_store;
    ElementNames m_names;
    bool m_nameLabelsAdded = false;
    RouteRecord m_route;
    std::unique_ptr<Ui::RouteEditor> m_ui;
    QString m_descriptionBefore; // what the description held before the user's latest edit

    // Each control carries its documented name as objectName.
    QTabWidget* m_tabs = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;

    // Push-buttons, route type, track and flags.
    QSpinBox* m_fromButtonBox = nullptr;
    QSpinBox* m_toButtonBox = nullptr;
    QCheckBox* m_trainRouteCheck = nullptr;
    QCheckBox* m_shuntingCheck = nullptr;
    QCheckBox* m_unsecuredShuntingCheck = nullptr;
    QSpinBox* m_trackBox = nullptr;
    QCheckBox* m_entryCheck = nullptr;
    QCheckBox* m_dccCheck = nullptr;
    QCheckBox* m_blockedCheck = nullptr;
    QCheckBox* m_cancelButton1Check = nullptr;
    QCheckBox* m_cancelButton2Check = nullptr;
    QLineEdit* m_descriptionEdit = nullptr;
    std::vector<QCheckBox*> m_localDetectorChecks;  // D1..D16, box k = bit k
    std::vector<QCheckBox*> m_remoteDetectorChecks; // rD1..rD16

    // Points and relays.
    std::array<RadioGroup*, 16> m_pointGroups{}; // points 1..16
    std::vector<QCheckBox*> m_relayChecks;       // R1..R16
    std::vector<QCheckBox*> m_extRelayChecks;    // R17..R32

    // Signals; index 0..2 stands for N1..N3.
    std::array<QSpinBox*, 3> m_signalBoxes{};
    std::array<QComboBox*, 3> m_aspectLists{};
    std::array<QCheckBox*, 3> m_repeatChecks{}; // N1 repeats the following signal, N2 N1, N3 N2
    QComboBox* m_followingList = nullptr;
    QCheckBox* m_autoCancelSignalCheck = nullptr;
    QComboBox* m_signalCancelList = nullptr;
    QCheckBox* m_autoCancelRouteCheck = nullptr;
    QComboBox* m_routeCancelList = nullptr;
    QCheckBox* m_autoCancelShuntingCheck = nullptr;
};

// The grid's edit command without the grid: route n (1..90) is edited, and on OK the edited
// record goes over route n and the route table is packed into the image. Returns true only
// then; the caller refills the grid. Any other close, or a number outside the table, changes
// nothing.
bool editRoute(RouteEditor& editor, ConfigStore& store, int n);
