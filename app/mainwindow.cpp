#include "app/mainwindow.h"

#include "app/abouttext.h"
#include "app/mainwindowtexts.h"
#include "app/portdialog.h"
#include "data/codec.h"
#include "data/configcheck.h"
#include "data/differences.h"
#include "data/routecommands.h"
#include "data/ui/copyroutedialog.h"
#include "data/ui/datafiledialog.h"
#include "data/ui/differenceswindow.h"
#include "data/ui/historywindow.h"
#include "data/ui/routegrid.h"
#include "data/ui/routepane.h"
#include "data/ui/sheetdialogs.h"
#include "editors/ui/peripheraleditor.h"
#include "editors/ui/routeeditor.h"
#include "link/historyrecorder.h"
#include "link/linkdialogs.h"
#include "link/storechoicedialog.h"
#include "tools/ui/manualtestwindow.h"
#include "tools/ui/simulationwindow.h"
#include "widgets/builders.h"
#include "widgets/messageboxes.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace t = mainwindowtexts;

namespace {
QAction* addItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    return a;
}

void addSeparator(QMenu* menu, const char* name) {
    menu->addSeparator()->setObjectName(QLatin1String(name));
}

QFileDialog* fileDialog(const QString& name, QFileDialog::AcceptMode mode, const QString& filter,
                        QWidget* parent) {
    auto* dialog = new QFileDialog(parent);
    dialog->setObjectName(name);
    dialog->setAcceptMode(mode);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(filter);
    dialog->setDefaultSuffix(t::kFileSuffix);
    return dialog;
}
} // namespace

MainWindow::MainWindow(ConfigStore& store, LinkEngine& engine, BytePort& port, QString settingsPath,
                       QWidget* parent)
    : QMainWindow(parent), m_store(store), m_port(port), m_settingsPath(std::move(settingsPath)),
      m_engine(engine) {
    setObjectName(QStringLiteral("TMainForm1"));
    setWindowTitle(t::kMainCaption);
    buildControls();
    startUp();
    createDialogs();
    buildMenu();
}

MainWindow::~MainWindow() {
    shutDown();
}

void MainWindow::buildControls() {
    auto* central = new QWidget(this);
    m_grid = new RouteGrid(central);
    m_hint = widgets::label(QStringLiteral("Label1"), t::kHint, central);
    m_capacityLabel = widgets::label(QStringLiteral("LBcestMax1"), t::kUnknown, central);
    m_versionLabel = widgets::label(QStringLiteral("LBverze1"), t::kUnknown, central);
    QFont big = m_versionLabel->font();
    big.setPointSize(12);
    m_versionLabel->setFont(big);
    m_testButton = new QPushButton(t::kTestComm, central);
    m_testButton->setObjectName(QStringLiteral("BTtest1"));
    m_progressBar = new QProgressBar(central);
    m_progressBar->setObjectName(QStringLiteral("PBar1"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);
    m_progressBar->hide();
    m_progressLabel = widgets::label(QStringLiteral("LBbar1"), t::kTransferring, central);
    m_progressLabel->hide();
    // Beside the bar, only while a transfer runs; everything documented stays where it is.
    m_timeLeftLabel = widgets::label(QStringLiteral("LBtimeLeft"), QString(), central);
    m_timeLeftLabel->hide();
    m_cancelButton = new QPushButton(t::kCancelTransfer, central);
    m_cancelButton->setObjectName(QStringLiteral("BTcancel"));
    m_cancelButton->setToolTip(t::kCancelTransferTip);
    m_cancelButton->hide();

    auto* status = new QHBoxLayout;
    status->addWidget(m_capacityLabel);
    status->addSpacing(16);
    status->addWidget(m_versionLabel);
    status->addSpacing(16);
    status->addWidget(m_testButton);
    status->addSpacing(16);
    status->addWidget(m_progressLabel);
    status->addWidget(m_progressBar, 1);
    status->addWidget(m_timeLeftLabel);
    status->addWidget(m_cancelButton);
    status->addStretch();
    // The selected route in words, under the hint that points to it.
    auto* routePane = new RoutePane(m_store, *m_grid, central);
    auto* column = new QVBoxLayout(central);
    column->addWidget(m_grid, 1);
    column->addWidget(m_hint);
    column->addWidget(routePane);
    column->addLayout(status);
    setCentralWidget(central);
    // Notes after a transfer; made now so that it never pushes the window's controls later.
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    // Taller by the pane, so the grid shows as many rows as before.
    resize(800, 560 + routePane->sizeHint().height() + column->spacing());

    // The link's clock runs from the moment the window exists, before the port is opened.
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setTimerType(Qt::PreciseTimer); // one exchange per tick: a coarse timer loses ticks
    m_timer->setInterval(20);
    connect(m_timer, &QTimer::timeout, this, &MainWindow::onTick);
    m_timer->start();

    // The open dialog takes names of files that do not exist: the load then says it cannot
    // open them. The save dialog asks before replacing a file.
    m_openDialog =
        fileDialog(QStringLiteral("OpenDialog1"), QFileDialog::AcceptOpen, t::kOpenFilter, this);
    m_saveDialog =
        fileDialog(QStringLiteral("SaveDialog1"), QFileDialog::AcceptSave, t::kSaveFilter, this);
}

void MainWindow::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* file = bar->addMenu(t::kFileMenu);
    file->setObjectName(QStringLiteral("File1"));
    QAction* load = addItem(file, "Nast1", t::kLoadFile);
    QAction* save = addItem(file, "Uloit1", t::kSaveFile);
    load->setShortcut(QKeySequence::Open);
    save->setShortcut(QKeySequence::Save);
    addSeparator(file, "N2");
    QAction* exit = addItem(file, "Exit1", t::kExit);
    connect(load, &QAction::triggered, this, &MainWindow::loadDataFile);
    connect(save, &QAction::triggered, this, &MainWindow::saveDataFile);
    connect(exit, &QAction::triggered, this, &QWidget::close);
    // Beyond the documented items, so those keep their places.
    addSeparator(file, "N4");
    QAction* compare = addItem(file, "Porovnat1", t::kCompareFile);
    connect(compare, &QAction::triggered, this, &MainWindow::compareWithFile);
    addSheetActions(file);

    QMenu* setup = bar->addMenu(t::kSetupMenu);
    setup->setObjectName(QStringLiteral("Setup1"));
    QAction* peripherals = addItem(setup, "Konfiguracevhybek1", t::kPeripherals);
    QAction* edit = addItem(setup, "Definicecesty1", t::kEditRoute);
    QAction* copy = addItem(setup, "Kopiecesty2", t::kCopyRoute);
    QAction* clear = addItem(setup, "Zruencesty1", t::kClearRoute);
    addSeparator(setup, "N1");
    QAction* moduleTest = addItem(setup, "Manulnzen1", t::kModuleTest);
    QAction* expansionTest = addItem(setup, "TestperiferimonitoringEXP21", t::kExpansionTest);
    QAction* simulation = addItem(setup, "Testnastavencesty1", t::kSimulation);
    connect(peripherals, &QAction::triggered, this, &MainWindow::openPeripheralEditor);
    connect(edit, &QAction::triggered, this, &MainWindow::editRoute);
    connect(copy, &QAction::triggered, this, &MainWindow::copyRoute);
    connect(clear, &QAction::triggered, this, &MainWindow::clearRoute);
    connect(moduleTest, &QAction::triggered, this, &MainWindow::openModuleTest);
    connect(expansionTest, &QAction::triggered, this, &MainWindow::openExpansionTest);
    connect(simulation, &QAction::triggered, this, &MainWindow::openSimulationWindow);
    addSeparator(setup, "N5");
    QAction* check = addItem(setup, "Kontrola1", t::kCheckConfig);
    connect(check, &QAction::triggered, this,
            [this] { m_differencesWindow->showFindings(configcheck::check(m_store)); });
    // Table1DblClick: the grid's double click edits the route as the menu item does.
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, &MainWindow::editRoute);
    // Enter on a row does the same, for those who move through the grid by keyboard.
    auto* enter =
        new QShortcut(QKeySequence(Qt::Key_Return), m_grid, nullptr, nullptr, Qt::WidgetShortcut);
    connect(enter, &QShortcut::activated, this, &MainWindow::editRoute);
    auto* keypadEnter =
        new QShortcut(QKeySequence(Qt::Key_Enter), m_grid, nullptr, nullptr, Qt::WidgetShortcut);
    connect(keypadEnter, &QShortcut::activated, this, &MainWindow::editRoute);

    QMenu* transfer = bar->addMenu(t::kTransferMenu);
    transfer->setObjectName(QStringLiteral("Transfer1"));
    QAction* port = addItem(transfer, "KomunikaceRS2321", t::kPortSettings);
    addSeparator(transfer, "N3");
    QAction* read = addItem(transfer, "Nastdatazmodulu1", t::kReadModule);
    QAction* verify = addItem(transfer, "Verifikovatdatasmodulem1", t::kVerifyModule);
    QAction* store = addItem(transfer, "Uloitdatadomodulu1", t::kStoreModule);
    setUpHistory(transfer);
    connect(port, &QAction::triggered, this, &MainWindow::choosePort);
    // The transfers and "Test comm" belong to the link's side of the window.
    // A read replaces the configuration: what was not saved is offered for saving first.
    // A port lost to an unplug is opened again as each exchange starts: no need for the dialog.
    // A transfer on a port that could not be opened would only end in a time-out.
    connect(read, &QAction::triggered, this, [this] {
        if (!m_engine.isIdle() || !saveChangesFirst(this, *m_saveDialog, m_store))
            return;
        if (reopenLostPort())
            m_link->readFromModule();
    });
    connect(verify, &QAction::triggered, this, [this] {
        if (reopenLostPort())
            m_link->verifyWithModule();
    });
    connect(store, &QAction::triggered, this, [this] {
        if (reopenLostPort())
            m_link->storeToModule();
    });
    // "Test comm" still runs: it puts "??" in place of a version the module no longer confirms.
    connect(m_testButton, &QPushButton::clicked, this, [this] {
        reopenLostPort();
        m_link->testComm();
    });

    QMenu* info = bar->addMenu(t::kInfoMenu);
    info->setObjectName(QStringLiteral("Info1"));
    QAction* about = addItem(info, "Oprogramu1", t::kAbout);
    connect(about, &QAction::triggered, this, &MainWindow::showAbout);
}

// The configuration as a sheet to read: on paper, or as PDF, HTML or CSV by the name's extension.
void MainWindow::addSheetActions(QMenu* file) {
    QAction* print = addItem(file, "Tisk1", t::kPrintSheet);
    QAction* exportSheet = addItem(file, "Exportovat1", t::kExportSheet);
    QFileDialog* dialog = exportDialog(this);
    connect(print, &QAction::triggered, this, [this] { printSheetCommand(this, m_store); });
    connect(exportSheet, &QAction::triggered, this,
            [this, dialog] { exportSheetCommand(this, *dialog, m_store); });
}

// FormCreate: settings, capacity, the all-zero image decoded into the grid, then the port.
void MainWindow::startUp() {
    m_settings = loadSettings(m_settingsPath);
    // Said once; the settings are then read from it but never written.
    if (!m_settings.fileProblem.isEmpty())
        QTimer::singleShot(0, this, [this] {
            warningBox(this, t::kSettingsNotWritten + m_settingsPath, QMessageBox::Ok,
                       m_settingsPath + QStringLiteral(": ") + m_settings.fileProblem);
        });
    m_timer->setInterval(m_settings.timerInterval);
    m_engine.setTickInterval(m_settings.timerInterval);
    m_engine.setFastLink(m_settings.fastLink);
    // Without fast link the engine ignores it and the timer takes the bytes.
    m_port.setArrivalHandler([this] { m_engine.dataArrived(); });
    m_store.routeCapacity = image::kRouteCount;
    decodeCurrent(m_store.image, m_store.routes);
    refillGrid();
    openPort();
}

// Created once, in this order, after start-up has read the settings the live tools need.
void MainWindow::createDialogs() {
    m_storeChoiceDialog = new StoreChoiceDialog(this);
    m_storeChoiceDialog->setVerifyAfterStore(m_settings.verifyAfterStore);
    connect(m_storeChoiceDialog, &StoreChoiceDialog::verifyAfterStoreChanged, this,
            [this](bool on) {
                m_settings.verifyAfterStore = on;
                saveVerifyAfterStore(on, m_settingsPath);
            });
    m_peripheralEditor = new PeripheralEditor(m_store, this);
    m_expansionTestWindow = new ExpansionTestWindow(m_engine, m_settings, this);
    m_routeEditor = new RouteEditor(m_store, this);
    m_portDialog =
        new PortDialog([path = m_settingsPath](int n) { return portDevice(n, path); }, this);
    m_portDialog->setPortList(
        [path = m_settingsPath] { return availablePorts(emulatorLinkPath(path)); });
    m_copyRouteDialog = new CopyRouteDialog(this);
    m_differencesWindow = new DifferencesWindow(this);
    m_simulationWindow = new SimulationWindow(m_engine, m_settings, this);
    m_moduleTestWindow = new ModuleTestWindow(m_engine, m_settings, this);
    m_link = new LinkDialogs(m_engine, m_store,
                             {m_progressBar, m_progressLabel, m_versionLabel, m_capacityLabel,
                              m_grid, m_timeLeftLabel, m_cancelButton, statusBar()},
                             m_storeChoiceDialog, this);
    connect(m_link, &LinkDialogs::verifyDifferencesShown, this, &MainWindow::showModuleDifferences);
}

void MainWindow::openPort() {
    if (!m_port.open(m_settings.portNumber))
        warnPortFailed();
}

bool MainWindow::reopenLostPort() {
    if (m_port.reopenIfLost())
        return true;
    warnPortFailed();
    return false;
}

void MainWindow::warnPortFailed() {
    const QString text = portOpenFailedText(m_settings.portNumber);
    const QString why = m_port.openErrorText();
    QTimer::singleShot(0, this,
                       [this, text, why] { warningBox(this, text, QMessageBox::Ok, why); });
}

void MainWindow::refillGrid() {
    m_grid->fill(m_store);
}

// Nast1Click
void MainWindow::loadDataFile() {
    // A file loaded now would be overwritten by the read in progress, or mix two
    // configurations in the module during a store.
    if (m_engine.transferRunning()) {
        warningBox(this, t::kLoadDuringTransfer);
        return;
    }
    if (!saveChangesFirst(this, *m_saveDialog, m_store))
        return;
    loadDataFileCommand(this, *m_openDialog, m_store, *m_grid);
}

// Uloit1Click
void MainWindow::saveDataFile() {
    saveDataFileCommand(this, *m_saveDialog, m_store);
}

void MainWindow::compareWithFile() {
    // The file goes into a copy: the configuration on screen and its grid stay as they are.
    const std::optional<ConfigStore> file = loadDataFileCopyCommand(this, *m_openDialog, m_store);
    if (file)
        m_differencesWindow->showDifferences(t::kCompareTitle, differences::compare(m_store, *file),
                                             t::kOnScreen, t::kInFile, t::kSameAsFile);
}

// After the verify's box: the module's contents are the image with the differing bytes as the
// module holds them; the module keeps no descriptions, so those are the screen's.
void MainWindow::showModuleDifferences() {
    ConfigStore module = m_store;
    for (const LinkEngine::ByteDifference& d : m_engine.differences())
        if (d.address >= 0 && d.address < int(module.image.size()))
            module.image[std::size_t(d.address)] = d.moduleValue;
    const QList<differences::Difference> list = differences::compare(m_store, module);
    m_grid->markRoutes(differences::routesIn(list), t::kDiffersFromModule);
    m_differencesWindow->showDifferences(t::kVerifyTitle, list, t::kOnScreen, t::kInModule,
                                         QString());
}

// Konfiguracevhybek1Click
void MainWindow::openPeripheralEditor() {
    // The grid's DCC column reads the base from the header the editor may just have changed.
    if (m_peripheralEditor->exec() == QDialog::Accepted)
        refillGrid();
}

// Manulnzen1Click
void MainWindow::openModuleTest() {
    m_moduleTestWindow->exec();
}

// TestperiferimonitoringEXP21Click
void MainWindow::openExpansionTest() {
    m_expansionTestWindow->exec();
}

// Testnastavencesty1Click
void MainWindow::openSimulationWindow() {
    m_simulationWindow->exec();
}

// Table1DblClick
void MainWindow::editRoute() {
    if (::editRoute(*m_routeEditor, m_store, m_grid->selectedRoute()))
        refillGrid();
}

// Kopiecesty2Click
void MainWindow::copyRoute() {
    const int target = m_grid->selectedRoute();
    m_copyRouteDialog->prepare(target, m_store.routeCapacity);
    const bool ok = m_copyRouteDialog->exec() == QDialog::Accepted;
    if (ok && ::copyRoute(m_store, m_copyRouteDialog->sourceRoute(), target))
        refillGrid();
}

// Zruencesty1Click
void MainWindow::clearRoute() {
    // Unticked, the clear keeps what a modeller often reuses; ticked, nothing stays behind.
    bool whole = false;
    if (warningBoxWithCheck(this, t::kClearRouteQuestion, t::kClearWholeRoute, whole) !=
        QMessageBox::Ok)
        return;
    if (::clearRoute(m_store, m_grid->selectedRoute(), whole))
        refillGrid();
}

// KonfiguraceRS2321Click: a new number takes effect at once and is written at shut-down.
void MainWindow::choosePort() {
    m_portDialog->setPortNumber(m_settings.portNumber);
    m_portDialog->setFastLink(m_settings.fastLink);
    if (m_portDialog->exec() != QDialog::Accepted)
        return;
    m_settings.portNumber = m_portDialog->portNumber();
    if (m_portDialog->fastLink() != m_settings.fastLink) {
        m_settings.fastLink = m_portDialog->fastLink();
        m_engine.setFastLink(m_settings.fastLink);
        saveFastLink(m_settings.fastLink, m_settingsPath);
    }
    if (!m_portDialog->chosenDevice().isEmpty())
        savePortMapping(m_settings.portNumber, m_portDialog->chosenDevice(), m_settingsPath);
    m_link->portChanged();
    m_port.close();
    openPort();
}

// Oprogramu1Click
void MainWindow::showAbout() {
    QMessageBox box(QMessageBox::NoIcon, t::kApplicationTitle, aboutText(), QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("aboutBox"));
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK")); // not Qt's translation
    box.exec();
}

// Timer1Timer
void MainWindow::onTick() {
    m_link->tick();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!m_closed && !saveChangesFirst(this, *m_saveDialog, m_store)) {
        event->ignore();
        return;
    }
    shutDown();
    QMainWindow::closeEvent(event);
}

// FormClose
void MainWindow::shutDown() {
    if (m_closed)
        return;
    m_closed = true;
    m_timer->stop();
    m_port.setArrivalHandler({});
    m_port.close();
    saveComSerial(m_settings.portNumber, m_settingsPath);
}

void MainWindow::setUpHistory(QMenu* transferMenu) {
    auto* recorder = new HistoryRecorder(m_engine, m_store, history::defaultFolder(), this);
    recorder->setModuleContents(&m_link->contents());
    recorder->setPortName([this] {
        return QStringLiteral("COM%1 (%2)")
            .arg(m_settings.portNumber)
            .arg(portDevice(m_settings.portNumber, m_settingsPath));
    });
    // After the transfer's own note, which it must not hide.
    connect(recorder, &HistoryRecorder::problem, this, [this](const QString& text) {
        const QString before = statusBar()->currentMessage();
        statusBar()->showMessage(before.isEmpty() ? text : before + QStringLiteral("  ") + text,
                                 8000);
    });
    auto* window = new HistoryWindow({m_store, *m_grid, *m_saveDialog, *m_differencesWindow,
                                      [this] {
                                          if (m_engine.transferRunning())
                                              warningBox(this, t::kLoadDuringTransfer);
                                          return !m_engine.transferRunning();
                                      }},
                                     history::defaultFolder(), this);
    window->setObjectName(QStringLiteral("HistoryWindow"));
    // An open list shows each new entry as it comes.
    connect(recorder, &HistoryRecorder::written, window, [window] {
        if (window->isVisible())
            window->refresh();
    });
    addSeparator(transferMenu, "N6");
    QAction* open = addItem(transferMenu, "HistorieModulu1", QStringLiteral("Historie modulu"));
    connect(open, &QAction::triggered, window, [window] {
        window->refresh();
        window->show();
        window->raise();
    });
}
