#pragma once

#include "data/configdocument.h"
#include "data/configstore.h"
#include "data/namesholder.h"
#include "link/byteport.h"
#include "link/linkengine.h"
#include "settings/appsettings.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QDialog;
class QFileDialog;
class QUndoStack;
class QLabel;
class QProgressBar;
class QPushButton;
class QSplitter;
class CopyRouteDialog;
class DifferencesWindow;
class LinkDialogs;
class LinkDriver;
class LinkTestWindow;
class PortDialog;
class RouteGrid;
class RouteEditor;
class StoreChoiceDialog;
class PeripheralEditor;
class ModuleTestWindow;
class ExpansionTestWindow;
class SimulationWindow;
class StationOverview;
namespace Ui {
class MainWindow;
}

// The main window: route grid, menu, link display and the 20 ms clock of the module link.
// It creates its dialogs once, right after reading the settings and opening the port; they
// live as long as the window and keep their controls' state between showings.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(ConfigStore& store, LinkEngine& engine, BytePort& port,
               QString settingsPath = settingsFilePath(), QWidget* parent = nullptr);
    ~MainWindow() override;

    int portNumber() const { return m_settings.portNumber; }
    RouteGrid* grid() const { return m_grid; }
    // The configuration on screen, over the store the window was given.
    ConfigDocument& configDocument() const { return *m_document; }
    // A data file named from outside (the command line, a file dropped on the window), loaded
    // as "Načíst data" loads the file picked in its dialog.
    void openFile(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildControls();
    void splitGridAndPane(QWidget* routePane);
    void restoreWindowLayout();
    void buildMenu();
    void addSheetActions();
    void createDialogs();
    void startUp();
    void shutDown();
    // Opens "COM" + port number; on failure queues the warning so start-up is never blocked.
    void openPort();
    void warnPortFailed();
    void refillGrid();
    void buildHistory();
    void followDocument();
    void takeModuleReads();
    void updateTitle();
    void updateModuleMarks();
    // Route n becomes `after` as one step of the history, unless that changes nothing.
    void changeRoute(int n, const QString& step, const RouteRecord& after, bool foreignAfter);
    // No transfer running, and what was not saved offered for saving.
    bool mayReplaceConfiguration();
    bool offerToSave();
    // The names go beside the data file just saved; a failure is told like the file's own.
    void saveNamesBeside(const QString& dataFile);
    void buildOverview();
    // Route n selected in the grid and opened in the route editor; with a pair, the pair is
    // filled in first (a new route from the matrix).
    void openRouteFromOverview(int n, int from = 0, int to = 0);
    bool openHistoryEntry(const QString& dataPath);
    void rememberFile(const QString& path);
    void fillRecentMenu();
    void openRecentFile(const QString& path);

    void loadDataFile();
    void saveDataFile();
    void saveToOpenFile();
    void compareWithFile();
    void showModuleDifferences();
    void openPeripheralEditor();
    void editRoute();
    void copyRoute();
    void clearRoute();
    void openModuleTest();
    void openExpansionTest();
    void openSimulationWindow();
    void choosePort();
    void openLinkTest();
    void showAbout();
    void showHelp();
    // "Historie modulu" in `transferMenu`, and the history kept after every transfer.
    void setUpHistory(QMenu* transferMenu);

    ConfigStore& m_store; // read through m_document; only the link's hand-over writes it
    ConfigDocument* m_document = nullptr;
    NamesHolder m_names;
    BytePort& m_port;
    QString m_settingsPath;
    AppSettings m_settings;
    LinkEngine& m_engine;
    bool m_closed = false;
    std::unique_ptr<Ui::MainWindow> m_ui;
    QUndoStack* m_history = nullptr;
    QDialog* m_helpWindow = nullptr;
    bool m_readTaken = false; // the transfer ending now committed a module read

    RouteGrid* m_grid = nullptr;
    QSplitter* m_splitter = nullptr;
    QLabel* m_hint = nullptr;
    QLabel* m_capacityLabel = nullptr;
    QLabel* m_versionLabel = nullptr;
    QLabel* m_moduleLine = nullptr; // what the module holds, standing in the status row
    QPushButton* m_testButton = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QLabel* m_progressLabel = nullptr;
    QLabel* m_timeLeftLabel = nullptr;
    QPushButton* m_cancelButton = nullptr;
    LinkDriver* m_driver = nullptr;
    QFileDialog* m_openDialog = nullptr;
    QFileDialog* m_saveDialog = nullptr;

    StoreChoiceDialog* m_storeChoiceDialog = nullptr;
    PeripheralEditor* m_peripheralEditor = nullptr;
    ExpansionTestWindow* m_expansionTestWindow = nullptr;
    RouteEditor* m_routeEditor = nullptr;
    PortDialog* m_portDialog = nullptr;
    CopyRouteDialog* m_copyRouteDialog = nullptr;
    DifferencesWindow* m_differencesWindow = nullptr;
    SimulationWindow* m_simulationWindow = nullptr;
    ModuleTestWindow* m_moduleTestWindow = nullptr;
    LinkDialogs* m_link = nullptr;
    LinkTestWindow* m_linkTestWindow = nullptr;
    StationOverview* m_overview = nullptr;
};
