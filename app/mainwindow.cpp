#include "app/mainwindow.h"

#include "app/abouttext.h"
#include "app/mainwindowtexts.h"
#include "app/portdialog.h"

#include "data/codec.h"
#include "data/counted.h"
#include "data/routecommands.h"
#include "data/ui/configsteps.h"
#include "data/ui/copyroutedialog.h"
#include "data/ui/datafiledialog.h"
#include "data/ui/routegrid.h"
#include "editors/ui/peripheraleditor.h"
#include "editors/ui/routeeditor.h"
#include "link/historyrecorder.h"
#include "link/linkdriver.h"
#include "link/linktexts.h"
#include "link/linktrace.h"
#include "link/ui/linkdialogs.h"
#include "link/ui/linktestwindow.h"
#include "link/ui/storechoicedialog.h"
#include "review/configcheck.h"
#include "review/differences.h"
#include "review/historysummary.h"
#include "review/modulecomparison.h"
#include "review/moduledifferences.h"
#include "review/ui/differenceswindow.h"
#include "review/ui/historywindow.h"
#include "review/ui/routepane.h"
#include "review/ui/sheetdialogs.h"
#include "review/ui/stationoverview.h"
#include "tools/ui/manualtestwindow.h"
#include "tools/ui/simulationwindow.h"
#include "widgets/messageboxes.h"

#include "ui_mainwindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTextBrowser>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>

namespace t = mainwindowtexts;

namespace {
// Enough to take back an afternoon's mistakes; each step holds two copies of the image.
constexpr int kHistorySteps = 100;

QString stepCaption(const QString& verb, const QString& step) {
    return step.isEmpty() ? verb : verb + QStringLiteral(": ") + step;
}

// The one local file of a drag, or nothing.
QString droppedFile(const QMimeData* data) {
    const QList<QUrl> urls = data->urls();
    return urls.size() == 1 && urls.front().isLocalFile() ? urls.front().toLocalFile() : QString();
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

// The bytes a verify found different, as the module holds them.
std::vector<moduledifferences::ModuleByte>
moduleBytes(const std::vector<LinkEngine::ByteDifference>& differences) {
    std::vector<moduledifferences::ModuleByte> bytes;
    for (const LinkEngine::ByteDifference& d : differences)
        bytes.emplace_back(d.address, d.moduleValue);
    return bytes;
}
} // namespace

MainWindow::MainWindow(ConfigStore& store, LinkEngine& engine, BytePort& port, QString settingsPath,
                       QWidget* parent)
    : QMainWindow(parent), m_store(store), m_document(new ConfigDocument(store, this)),
      m_port(port), m_settingsPath(std::move(settingsPath)), m_engine(engine),
      m_ui(std::make_unique<Ui::MainWindow>()) {
    buildControls();
    startUp();
    createDialogs();
    buildMenu();
    buildHistory();
    followDocument();
    buildOverview();
    fillRecentMenu();
}

MainWindow::~MainWindow() {
    // The history says it was cleared when the window's children go: nothing left to show it.
    m_history->disconnect(this);
    shutDown();
}

void MainWindow::buildControls() {
    m_ui->setupUi(this);
    m_grid = m_ui->Table1;
    m_hint = m_ui->Label1;
    m_capacityLabel = m_ui->LBcestMax1;
    m_versionLabel = m_ui->LBverze1;
    m_testButton = m_ui->BTtest1;
    m_progressBar = m_ui->PBar1;
    m_progressLabel = m_ui->LBbar1;
    m_timeLeftLabel = m_ui->LBtimeLeft;
    m_cancelButton = m_ui->BTcancel;
    // Only while a transfer runs.
    for (QWidget* transferOnly : std::initializer_list<QWidget*>{m_progressBar, m_progressLabel,
                                                                 m_timeLeftLabel, m_cancelButton})
        transferOnly->hide();
    // The selected route in words, under the hint that points to it.
    m_grid->follow(*m_document);
    auto* routePane = new RoutePane(*m_document, *m_grid, m_ui->centralwidget);
    routePane->followNames(m_names);
    // Taller by the pane, so the grid shows as many rows as before.
    resize(width(), height() + routePane->sizeHint().height() + m_ui->column->spacing());
    splitGridAndPane(routePane);

    // The link's clock runs from the moment the window exists, before the port is opened.
    m_driver = new LinkDriver(m_engine, m_port, this);
    connect(m_driver, &LinkDriver::portOpenFailed, this, &MainWindow::warnPortFailed);
    m_driver->start();

    // The open dialog takes names of files that do not exist: the load then says it cannot
    // open them. The save dialog asks before replacing a file.
    m_openDialog =
        fileDialog(QStringLiteral("OpenDialog1"), QFileDialog::AcceptOpen, t::kOpenFilter, this);
    m_saveDialog =
        fileDialog(QStringLiteral("SaveDialog1"), QFileDialog::AcceptSave, t::kSaveFilter, this);
}

// The user decides how much of the window the grid and the pane under it take; the window's
// size and that split are kept in [Window] of the settings file.
void MainWindow::splitGridAndPane(QWidget* routePane) {
    m_splitter = new QSplitter(Qt::Vertical, m_ui->centralwidget);
    m_splitter->setObjectName(QStringLiteral("gridSplitter"));
    m_splitter->setChildrenCollapsible(false);
    auto* below = new QWidget(m_splitter);
    auto* belowColumn = new QVBoxLayout(below);
    belowColumn->setContentsMargins(0, 0, 0, 0);
    m_ui->column->removeWidget(m_grid);
    m_ui->column->removeWidget(m_hint);
    belowColumn->addWidget(m_hint);
    belowColumn->addWidget(routePane);
    m_splitter->addWidget(m_grid);
    m_splitter->addWidget(below);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 0);
    m_ui->column->insertWidget(0, m_splitter, 1);
}

void MainWindow::restoreWindowLayout() {
    const WindowLayout saved = loadWindowLayout(m_settingsPath);
    if (!saved.geometry.isEmpty())
        restoreGeometry(saved.geometry);
    if (!saved.splitter.isEmpty())
        m_splitter->restoreState(saved.splitter);
}

void MainWindow::buildMenu() {
    const Ui::MainWindow& ui = *m_ui;
    connect(ui.Nast1, &QAction::triggered, this, &MainWindow::loadDataFile);
    connect(ui.Uloit1, &QAction::triggered, this, &MainWindow::saveDataFile);
    connect(ui.Exit1, &QAction::triggered, this, &QWidget::close);
    connect(ui.Porovnat1, &QAction::triggered, this, &MainWindow::compareWithFile);
    connect(ui.Ulozit1, &QAction::triggered, this, &MainWindow::saveToOpenFile);
    addSheetActions();

    connect(ui.Konfiguracevhybek1, &QAction::triggered, this, &MainWindow::openPeripheralEditor);
    connect(ui.Definicecesty1, &QAction::triggered, this, &MainWindow::editRoute);
    connect(ui.Kopiecesty2, &QAction::triggered, this, &MainWindow::copyRoute);
    connect(ui.Zruencesty1, &QAction::triggered, this, &MainWindow::clearRoute);
    connect(ui.Manulnzen1, &QAction::triggered, this, &MainWindow::openModuleTest);
    connect(ui.TestperiferimonitoringEXP21, &QAction::triggered, this,
            &MainWindow::openExpansionTest);
    connect(ui.Testnastavencesty1, &QAction::triggered, this, &MainWindow::openSimulationWindow);
    connect(ui.Kontrola1, &QAction::triggered, this, [this] {
        m_differencesWindow->showFindings(configcheck::check(m_store, m_names.names()));
    });
    // Table1DblClick: the grid's double click edits the route as the menu item does.
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, &MainWindow::editRoute);
    // Enter on a row does the same, for those who move through the grid by keyboard.
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* enter =
            new QShortcut(QKeySequence(key), m_grid, nullptr, nullptr, Qt::WidgetShortcut);
        connect(enter, &QShortcut::activated, this, &MainWindow::editRoute);
    }
    // Delete on a row asks as "Zrušení nadef. cesty" does.
    auto* del = new QShortcut(QKeySequence::Delete, m_grid, nullptr, nullptr, Qt::WidgetShortcut);
    connect(del, &QShortcut::activated, this, &MainWindow::clearRoute);

    connect(ui.KomunikaceRS2321, &QAction::triggered, this, &MainWindow::choosePort);
    setUpHistory(ui.Transfer1);
    QAction* linkTest = ui.Transfer1->addAction(QStringLiteral("Diagnostika linky"));
    linkTest->setObjectName(QStringLiteral("DiagnostikaLinky1"));
    connect(linkTest, &QAction::triggered, this, &MainWindow::openLinkTest);
    // The transfers and "Test comm" belong to the link's side of the window.
    // A read replaces the configuration: what was not saved is offered for saving first.
    // A port lost to an unplug is opened again as each exchange starts: no need for the dialog.
    // A transfer on a port that could not be opened would only end in a time-out.
    connect(ui.Nastdatazmodulu1, &QAction::triggered, this, [this] {
        if (!m_engine.isIdle() || !offerToSave())
            return;
        m_driver->run([this] { m_link->readFromModule(); });
    });
    connect(ui.Verifikovatdatasmodulem1, &QAction::triggered, this,
            [this] { m_driver->run([this] { m_link->verifyWithModule(); }); });
    connect(ui.Uloitdatadomodulu1, &QAction::triggered, this,
            [this] { m_driver->run([this] { m_link->storeToModule(); }); });
    // "Test comm" still runs: it puts "??" in place of a version the module no longer confirms.
    connect(m_testButton, &QPushButton::clicked, this, [this] {
        m_driver->run([this] { m_link->testComm(); }, LinkDriver::PortNeed::Optional);
    });

    connect(ui.Oprogramu1, &QAction::triggered, this, &MainWindow::showAbout);
    connect(ui.Napoveda1, &QAction::triggered, this, &MainWindow::showHelp);
}

void MainWindow::buildHistory() {
    m_history = new QUndoStack(this);
    m_history->setUndoLimit(kHistorySteps);
    QAction* undo = m_ui->Zpet1;
    QAction* redo = m_ui->Znovu1;
    // Both habits: Ctrl+Shift+Z and Ctrl+Y.
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    connect(undo, &QAction::triggered, m_history, &QUndoStack::undo);
    connect(redo, &QAction::triggered, m_history, &QUndoStack::redo);
    connect(m_history, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(m_history, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    connect(m_history, &QUndoStack::undoTextChanged, undo,
            [undo](const QString& step) { undo->setText(stepCaption(t::kUndo, step)); });
    connect(m_history, &QUndoStack::redoTextChanged, redo,
            [redo](const QString& step) { redo->setText(stepCaption(t::kRedo, step)); });
    takeModuleReads();
}

// The grid and the route pane follow the document by themselves; here the window's own parts.
void MainWindow::followDocument() {
    ConfigDocument& doc = *m_document;
    // A configuration from elsewhere has no steps to take back.
    connect(&doc, &ConfigDocument::replaced, m_history, &QUndoStack::clear);
    connect(&doc, &ConfigDocument::replaced, this, [this] {
        if (m_document->origin() == ConfigDocument::Origin::File)
            rememberFile(m_document->saveTarget());
    });
    connect(&doc, &ConfigDocument::saved, this, &MainWindow::rememberFile);
    connect(&doc, &ConfigDocument::sourceChanged, this, &MainWindow::updateTitle);
    connect(&doc, &ConfigDocument::modifiedChanged, this, &MainWindow::updateTitle);
    for (auto change : {&ConfigDocument::replaced, &ConfigDocument::headerChanged})
        connect(&doc, change, this, &MainWindow::updateModuleMarks);
    connect(&doc, &ConfigDocument::routeChanged, this, &MainWindow::updateModuleMarks);
    connect(&m_link->contents(), &ModuleContents::changed, this, &MainWindow::updateModuleMarks);
    m_moduleLine = new QLabel(statusBar());
    m_moduleLine->setObjectName(QStringLiteral("LBmodul"));
    statusBar()->addPermanentWidget(m_moduleLine);
    updateModuleMarks();
}

// The read's result into the document, and its note. The engine hands over the bytes it read
// and proved; the document tells by the routes on screen which descriptions still belong.
void MainWindow::takeModuleReads() {
    connect(&m_engine, &LinkEngine::imageRead, m_document, &ConfigDocument::takeModuleRead);
    connect(&m_engine, &LinkEngine::transferStarted, this, [this] { m_readTaken = false; });
    connect(m_document, &ConfigDocument::replaced, this,
            [this] { m_readTaken = m_document->origin() == ConfigDocument::Origin::ModuleRead; });
    // After the read's own note: the module keeps no descriptions.
    connect(&m_engine, &LinkEngine::transferFinished, this, [this](TransferKind, bool ok) {
        if (!ok || !std::exchange(m_readTaken, false))
            return;
        // Two blanks, as between the other notes: the read's own ends in its time ("27,8 s").
        QString note = statusBar()->currentMessage() + QStringLiteral("  ") + t::kDescriptionsKept;
        if (const int foreign = m_document->descriptionsFromElsewhere(); foreign > 0)
            note += t::kDescriptionsForeign.arg(counted(foreign, "cesty", "cest", "cest"));
        statusBar()->showMessage(note, 8000);
    });
}

// The grid's marks and the standing line, from what this run has proven the module holds.
void MainWindow::updateModuleMarks() {
    const ModuleContents& module = m_link->contents();
    const modulecomparison::Comparison c =
        modulecomparison::compare(m_store, module.bytes(), module.known(), m_store.routeCapacity);
    m_grid->setModuleMarks(c.routes);
    if (m_moduleLine)
        m_moduleLine->setText(modulecomparison::standingLine(c));
}

// The documented caption first, then where the configuration came from, and the desktop's mark
// while it differs from the last file loaded or saved.
void MainWindow::updateTitle() {
    QString source;
    switch (m_document->origin()) {
    case ConfigDocument::Origin::New:
        break;
    case ConfigDocument::Origin::File:
        source = QFileInfo(m_document->saveTarget()).fileName();
        break;
    case ConfigDocument::Origin::ModuleRead:
        source = t::kFromModule;
        break;
    case ConfigDocument::Origin::HistoryEntry:
        source = t::kFromHistory;
        break;
    }
    const bool modified = m_document->isModified() || m_names.isModified();
    QString title = t::kMainCaption;
    if (!source.isEmpty())
        title += t::kTitleSeparator + source;
    if (!source.isEmpty() || modified)
        title += QStringLiteral("[*]");
    setWindowTitle(title);
    setWindowModified(modified);
}

void MainWindow::changeRoute(int n, const QString& step, const RouteRecord& after,
                             bool foreignAfter) {
    if (n < 1 || n > image::kRouteCount)
        return;
    auto change = std::make_unique<RouteStep>(*m_document, n, after, foreignAfter, step.arg(n));
    // An OK that changed nothing is no step to take back.
    if (change->changesAnything())
        m_history->push(change.release()); // makes the change
}

// The configuration as a sheet to read: on paper, or as PDF, HTML or CSV by the name's extension.
void MainWindow::addSheetActions() {
    QFileDialog* dialog = exportDialog(this);
    connect(m_ui->Tisk1, &QAction::triggered, this,
            [this] { printSheetCommand(this, m_store, m_names.names()); });
    connect(m_ui->Exportovat1, &QAction::triggered, this,
            [this, dialog] { exportSheetCommand(this, *dialog, m_store, m_names.names()); });
}

// FormCreate: settings, capacity, the all-zero image decoded into the grid, then the port.
void MainWindow::startUp() {
    m_settings = loadSettings(m_settingsPath);
    restoreWindowLayout();
    // Said once; the settings are then read from it but never written.
    if (!m_settings.fileProblem.isEmpty())
        QTimer::singleShot(0, this, [this] {
            warningBox(this, t::kSettingsNotWritten + m_settingsPath, QMessageBox::Ok,
                       m_settingsPath + QStringLiteral(": ") + m_settings.fileProblem);
        });
    if (!m_settings.fileIgnored.isEmpty())
        QTimer::singleShot(0, this, [this] {
            warningBox(this, t::kSettingsIgnored + m_settingsPath, QMessageBox::Ok,
                       m_settingsPath + QStringLiteral(": ") + m_settings.fileIgnored);
        });
    m_driver->setTickInterval(m_settings.timerInterval);
    m_driver->setFastLink(m_settings.fastLink);
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
    m_link = new LinkDialogs(*m_driver, m_store,
                             {m_progressBar, m_progressLabel, m_versionLabel, m_capacityLabel,
                              m_grid, m_timeLeftLabel, m_cancelButton, statusBar()},
                             m_storeChoiceDialog, this);
    connect(m_link, &LinkDialogs::verifyDifferencesShown, this, &MainWindow::showModuleDifferences);
    m_link->setDifferencesWriter(
        [this](const auto& bytes) { return moduledifferences::text(m_store, moduleBytes(bytes)); });
}

void MainWindow::openPort() {
    if (!m_port.open(m_settings.portNumber))
        warnPortFailed();
}

void MainWindow::warnPortFailed() {
    const QString text =
        linktexts::portOpenFailedText(QStringLiteral("COM%1").arg(m_settings.portNumber));
    const QString why = m_port.openErrorText();
    QTimer::singleShot(0, this,
                       [this, text, why] { warningBox(this, text, QMessageBox::Ok, why); });
}

void MainWindow::refillGrid() {
    m_grid->fill(m_store);
}

bool MainWindow::mayReplaceConfiguration() {
    // A file loaded now would be overwritten by the read in progress, or mix two
    // configurations in the module during a store.
    if (m_engine.transferRunning()) {
        warningBox(this, t::kLoadDuringTransfer);
        return false;
    }
    return offerToSave();
}

// Nast1Click
void MainWindow::loadDataFile() {
    if (!mayReplaceConfiguration())
        return;
    if (const QString path = askForFile(*m_openDialog, *m_document, QString()); !path.isEmpty())
        loadDataFileInto(this, path, *m_document, ConfigDocument::Origin::File);
}

void MainWindow::openFile(const QString& path) {
    if (mayReplaceConfiguration())
        loadDataFileInto(this, path, *m_document, ConfigDocument::Origin::File);
}

bool MainWindow::openHistoryEntry(const QString& dataPath) {
    return mayReplaceConfiguration() &&
           loadDataFileInto(this, dataPath, *m_document, ConfigDocument::Origin::HistoryEntry);
}

// Uloit1Click: always asks for the name.
void MainWindow::saveDataFile() {
    saveDocument(this, *m_saveDialog, *m_document, true);
}

// To the open file without asking; with none (new, read from the module, a history entry), as
// "Uložit data".
void MainWindow::saveToOpenFile() {
    saveDocument(this, *m_saveDialog, *m_document, false);
}

// The document's question, which also covers names changed on their own: saving the document
// writes them beside its file (see buildOverview).
bool MainWindow::offerToSave() {
    if (m_document->isModified() || !m_names.isModified())
        return saveChangesFirst(this, *m_saveDialog, *m_document);
    switch (askSaveChanges(this)) {
    case SaveChangesAnswer::Save:
        return saveDocument(this, *m_saveDialog, *m_document, false) && !m_names.isModified();
    case SaveChangesAnswer::Discard:
        return true;
    case SaveChangesAnswer::Cancel:
        break;
    }
    return false;
}

void MainWindow::saveNamesBeside(const QString& dataFile) {
    const safesave::Result r = m_names.saveFor(dataFile);
    if (!r.saved)
        tellSaveResult(this, elementnames::companionPath(dataFile), r);
}

void MainWindow::rememberFile(const QString& path) {
    const QStringList recent =
        withRecentFile(m_settings.recentFiles, QFileInfo(path).absoluteFilePath());
    if (recent != m_settings.recentFiles) {
        m_settings.recentFiles = recent;
        saveRecentFiles(recent, m_settingsPath);
        fillRecentMenu();
    }
    updateTitle();
}

void MainWindow::fillRecentMenu() {
    QMenu* menu = m_ui->Posledni1;
    // Later: this may run from one of these entries' own signal.
    for (QAction* entry : menu->actions()) {
        menu->removeAction(entry);
        entry->deleteLater();
    }
    int k = 0;
    for (const QString& file : m_settings.recentFiles) {
        QString shown = QDir::toNativeSeparators(file);
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* entry = menu->addAction(QStringLiteral("&%1  %2").arg(++k).arg(shown));
        connect(entry, &QAction::triggered, this, [this, file] { openRecentFile(file); });
    }
    menu->setEnabled(!m_settings.recentFiles.isEmpty());
}

void MainWindow::openRecentFile(const QString& path) {
    if (QFileInfo::exists(path)) {
        openFile(path);
        return;
    }
    warningBox(this, t::kRecentFileGone + QDir::toNativeSeparators(path));
    m_settings.recentFiles.removeAll(path);
    saveRecentFiles(m_settings.recentFiles, m_settingsPath);
    fillRecentMenu();
}

void MainWindow::compareWithFile() {
    // The file goes into a copy: the configuration on screen and its grid stay as they are.
    const std::optional<ConfigStore> file = loadDataFileCopyCommand(this, *m_openDialog, m_store);
    if (file)
        m_differencesWindow->showDifferences(
            t::kCompareTitle,
            differences::compare(m_store, *file, image::kConfigSize, m_names.names()), t::kOnScreen,
            t::kInFile, t::kSameAsFile);
}

// After the verify's box, the same differences as its details, in a window beside the grid;
// the grid's module marks show the same routes.
void MainWindow::showModuleDifferences() {
    const QList<differences::Difference> list = moduledifferences::compare(
        m_store, moduleBytes(m_engine.transfer().differences()), m_names.names());
    m_differencesWindow->showDifferences(t::kVerifyTitle, list, t::kOnScreen, t::kInModule,
                                         QString());
}

// Konfiguracevhybek1Click
void MainWindow::openPeripheralEditor() {
    const std::optional<HeaderBytes> header = m_peripheralEditor->edit();
    if (!header)
        return;
    auto change = std::make_unique<HeaderStep>(*m_document, *header, t::kPeripheralStep);
    if (change->changesAnything())
        m_history->push(change.release()); // makes the change
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
    const int n = m_grid->selectedRoute();
    // The user has seen the description in the editor: it is theirs from now on.
    if (const auto edited = m_routeEditor->edit(m_document->route(n), n))
        changeRoute(n, t::kEditStep, *edited, false);
}

// Kopiecesty2Click
void MainWindow::copyRoute() {
    const int target = m_grid->selectedRoute();
    m_copyRouteDialog->prepare(target, m_store.routeCapacity);
    if (m_copyRouteDialog->exec() != QDialog::Accepted)
        return;
    const int source = m_copyRouteDialog->sourceRoute();
    if (source < 1 || source > image::kRouteCount)
        return;
    changeRoute(target, t::kCopyStep.arg(source), m_document->route(source),
                m_document->descriptionFromElsewhere(source));
}

// Zruencesty1Click
void MainWindow::clearRoute() {
    // Unticked, the clear keeps what a modeller often reuses; ticked, nothing stays behind.
    bool whole = false;
    if (warningBoxWithCheck(this, t::kClearRouteQuestion, t::kClearWholeRoute, whole) !=
        QMessageBox::Ok)
        return;
    const int n = m_grid->selectedRoute();
    changeRoute(n, t::kClearStep, clearedRoute(m_document->route(n), whole),
                !whole && m_document->descriptionFromElsewhere(n));
}

// KonfiguraceRS2321Click: a new number takes effect at once and is written at shut-down.
void MainWindow::choosePort() {
    m_portDialog->setPortNumber(m_settings.portNumber);
    m_portDialog->setFastLink(m_settings.fastLink);
    m_portDialog->setLowLatency(m_port.lowLatency());
    if (m_portDialog->exec() != QDialog::Accepted)
        return;
    m_settings.portNumber = m_portDialog->portNumber();
    if (m_portDialog->fastLink() != m_settings.fastLink) {
        m_settings.fastLink = m_portDialog->fastLink();
        m_driver->setFastLink(m_settings.fastLink);
        saveFastLink(m_settings.fastLink, m_settingsPath);
    }
    if (!m_portDialog->chosenDevice().isEmpty())
        savePortMapping(m_settings.portNumber, m_portDialog->chosenDevice(), m_settingsPath);
    m_link->portChanged();
    m_port.close();
    openPort();
}

// Created at first use: the trace it keeps lives on when it is closed.
void MainWindow::openLinkTest() {
    if (!m_linkTestWindow)
        m_linkTestWindow = new LinkTestWindow(*m_driver, dynamic_cast<TracedPort*>(&m_port), this);
    m_linkTestWindow->exec();
}

// Oprogramu1Click
void MainWindow::showAbout() {
    QMessageBox box(QMessageBox::NoIcon, t::kApplicationTitle, aboutText(), QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("aboutBox"));
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK")); // not Qt's translation
    box.exec();
}

// Beside the main window, so the user can read it while working in it.
void MainWindow::showHelp() {
    if (!m_helpWindow) {
        Q_INIT_RESOURCE(help); // the page is in a static library
        m_helpWindow = new QDialog(this);
        m_helpWindow->setObjectName(QStringLiteral("helpWindow"));
        m_helpWindow->setWindowTitle(t::kHelpTitle);
        auto* page = new QTextBrowser(m_helpWindow);
        page->setSource(QUrl(QStringLiteral("qrc:/help/napoveda.html")));
        (new QVBoxLayout(m_helpWindow))->addWidget(page);
        m_helpWindow->resize(600, 640);
    }
    m_helpWindow->show();
    m_helpWindow->raise();
    m_helpWindow->activateWindow();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // The question and the boxes wait until the drag is over: its source waits for the answer.
    QTimer::singleShot(0, this, [this, path] { openFile(path); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!m_closed && !offerToSave()) {
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
    m_driver->stop();
    m_port.close();
    saveComSerial(m_settings.portNumber, m_settingsPath);
    saveWindowLayout({saveGeometry(), m_splitter->saveState()}, m_settingsPath);
}

void MainWindow::buildOverview() {
    m_overview = new StationOverview(m_store, m_names, *m_grid, *m_history, this);
    m_overview->addActions(m_ui->Upravy1, m_ui->Setup1);
    QAction* hideUnused = m_ui->Setup1->addAction(t::kHideUnused);
    hideUnused->setObjectName(QStringLiteral("SkrytNepouzite1"));
    hideUnused->setCheckable(true);
    connect(hideUnused, &QAction::toggled, this, [this](bool on) {
        m_grid->setHideUnused(on);
        refillGrid();
    });
    // The names belong to the data file: read with each file loaded, written with each save.
    // A module read or a history entry keeps the names on screen.
    connect(m_document, &ConfigDocument::replaced, this, [this] {
        if (m_document->origin() != ConfigDocument::Origin::File)
            return;
        const QString note = m_names.loadFor(m_document->saveTarget());
        if (!note.isEmpty())
            statusBar()->showMessage(note, 15000);
    });
    connect(m_document, &ConfigDocument::saved, this, &MainWindow::saveNamesBeside);
    m_routeEditor->setNames(m_names.names());
    connect(&m_names, &NamesHolder::changed, this, [this] {
        m_routeEditor->setNames(m_names.names());
        updateTitle();
    });
    connect(m_overview, &StationOverview::routeChosen, this,
            [this](int n) { openRouteFromOverview(n); });
    connect(m_overview, &StationOverview::newRouteChosen, this, &MainWindow::openRouteFromOverview);
    connect(m_overview, &StationOverview::noFreeRoute, this,
            [this] { warningBox(this, t::kNoFreeRoute); });
    connect(m_differencesWindow, &DifferencesWindow::routeChosen, this,
            [this](int n) { openRouteFromOverview(n); });
}

void MainWindow::openRouteFromOverview(int n, int from, int to) {
    if (n < 1 || n > image::kRouteCount)
        return;
    m_grid->selectRoute(n);
    m_grid->scrollToItem(m_grid->item(n - 1, 0));
    activateWindow();
    if (from == 0) {
        editRoute();
        return;
    }
    RouteRecord r = m_document->route(n);
    r.fromButton = from;
    r.toButton = to;
    if (const std::optional<RouteRecord> edited = m_routeEditor->edit(r, n))
        changeRoute(n, t::kEditStep, *edited, false);
}

void MainWindow::setUpHistory(QMenu* transferMenu) {
    auto* recorder = new HistoryRecorder(m_engine, m_store, history::defaultFolder(), this);
    recorder->setModuleContents(&m_link->contents());
    recorder->setSummarizer(history::changeSummary);
    m_link->setHistory(recorder);
    recorder->setPortName([this] {
        return QStringLiteral("COM%1 (%2)")
            .arg(m_settings.portNumber)
            .arg(portDevice(m_settings.portNumber, m_settingsPath));
    });
    // After the transfer's own note, which it must not hide.
    connect(recorder, &HistoryRecorder::problem, this,
            [this](const QString& text, const QString& details) {
                const QString before = statusBar()->currentMessage();
                statusBar()->showMessage(
                    before.isEmpty() ? text : before + QStringLiteral("  ") + text, 8000);
                statusBar()->setToolTip(details);
            });
    auto* window =
        new HistoryWindow({m_store, *m_differencesWindow,
                           [this](const QString& path) { return openHistoryEntry(path); },
                           [this] { m_driver->run([this] { m_link->storeToModule(); }); }},
                          history::defaultFolder(), this);
    window->setObjectName(QStringLiteral("HistoryWindow"));
    // An open list shows each new entry as it comes.
    connect(recorder, &HistoryRecorder::written, window, [window] {
        if (window->isVisible())
            window->refresh();
    });
    transferMenu->addSeparator()->setObjectName(QStringLiteral("N7"));
    QAction* open = transferMenu->addAction(QStringLiteral("Historie modulu"));
    open->setObjectName(QStringLiteral("HistorieModulu1"));
    connect(open, &QAction::triggered, window, [window] {
        window->refresh();
        window->show();
        window->raise();
    });
}
