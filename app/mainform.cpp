#include "app/mainform.h"

#include "app/okcommdialog.h"
#include "app/texts.h"
#include "data/codec.h"
#include "data/datafiledialog.h"
#include "data/kopiecestform.h"
#include "data/routecommands.h"
#include "data/routegrid.h"
#include "editors/cestaform.h"
#include "editors/konfvyhform.h"
#include "link/dlgstoreform.h"
#include "link/linkdialogs.h"
#include "tools/manualform.h"
#include "tools/simulform.h"
#include "widgets/messageboxes.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
QAction* addItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    return a;
}

void addSeparator(QMenu* menu, const char* name) {
    menu->addSeparator()->setObjectName(QLatin1String(name));
}
} // namespace

TMainForm1::TMainForm1(ConfigStore& store, LinkEngine& engine, BytePort& port, QString settingsPath,
                       QWidget* parent)
    : QMainWindow(parent), m_store(store), m_port(port), m_settingsPath(std::move(settingsPath)),
      m_engine(engine) {
    setObjectName(QStringLiteral("TMainForm1"));
    setWindowTitle(texts::kMainCaption);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    buildControls();
    buildMenu();
    FormCreate();
}

TMainForm1::~TMainForm1() {
    FormClose();
}

void TMainForm1::buildControls() {
    auto* central = new QWidget(this);
    Table1 = new RouteGrid(central);
    Label1 = new QLabel(texts::kHint, central);
    Label1->setObjectName(QStringLiteral("Label1"));
    LBcestMax1 = new QLabel(QStringLiteral("??"), central);
    LBcestMax1->setObjectName(QStringLiteral("LBcestMax1"));
    LBverze1 = new QLabel(QStringLiteral("??"), central);
    LBverze1->setObjectName(QStringLiteral("LBverze1"));
    QFont big = LBverze1->font();
    big.setPointSize(12);
    LBverze1->setFont(big);
    BTtest1 = new QPushButton(QStringLiteral("Test comm"), central);
    BTtest1->setObjectName(QStringLiteral("BTtest1"));
    PBar1 = new QProgressBar(central);
    PBar1->setObjectName(QStringLiteral("PBar1"));
    PBar1->setRange(0, 100);
    PBar1->setValue(0);
    PBar1->setTextVisible(false);
    PBar1->hide();
    LBbar1 = new QLabel(QStringLiteral("přenos dat"), central);
    LBbar1->setObjectName(QStringLiteral("LBbar1"));
    LBbar1->hide();

    auto* status = new QHBoxLayout;
    status->addWidget(LBcestMax1);
    status->addSpacing(16);
    status->addWidget(LBverze1);
    status->addSpacing(16);
    status->addWidget(BTtest1);
    status->addSpacing(16);
    status->addWidget(LBbar1);
    status->addWidget(PBar1, 1);
    status->addStretch();
    auto* column = new QVBoxLayout(central);
    column->addWidget(Table1, 1);
    column->addWidget(Label1);
    column->addLayout(status);
    setCentralWidget(central);
    resize(800, 560);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setTimerType(Qt::PreciseTimer); // one exchange per tick: a coarse timer loses ticks
    Timer1->setInterval(20);
    connect(Timer1, &QTimer::timeout, this, &TMainForm1::Timer1Timer);
    Timer1->start();

    // The open dialog takes names of files that do not exist: the load then says it cannot
    // open them. The save dialog asks before replacing a file.
    OpenDialog1 = new QFileDialog(this);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog1->setFileMode(QFileDialog::AnyFile);
    OpenDialog1->setNameFilter(QStringLiteral("Text files (*.txt)"));
    OpenDialog1->setDefaultSuffix(QStringLiteral("txt"));
    SaveDialog1 = new QFileDialog(this);
    SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
    SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog1->setFileMode(QFileDialog::AnyFile);
    SaveDialog1->setNameFilter(QStringLiteral("Text file (*.txt)"));
    SaveDialog1->setDefaultSuffix(QStringLiteral("txt"));
}

void TMainForm1::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* file = bar->addMenu(QStringLiteral("Soubor       "));
    file->setObjectName(QStringLiteral("File1"));
    QAction* load = addItem(file, "Nast1", QStringLiteral("Načíst data"));
    QAction* save = addItem(file, "Uloit1", QStringLiteral("Uložit data"));
    addSeparator(file, "N2");
    QAction* exit = addItem(file, "Exit1", QStringLiteral("Exit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);
    connect(load, &QAction::triggered, this, &TMainForm1::Nast1Click);
    connect(save, &QAction::triggered, this, &TMainForm1::Uloit1Click);

    QMenu* setup = bar->addMenu(QStringLiteral("Konfigurace        "));
    setup->setObjectName(QStringLiteral("Setup1"));
    QAction* periph =
        addItem(setup, "Konfiguracevhybek1", QStringLiteral("Konfigurace periferií "));
    QAction* edit = addItem(setup, "Definicecesty1", QStringLiteral("Definice vlakové cesty"));
    QAction* copy = addItem(setup, "Kopiecesty2", QStringLiteral("Kopie vlakové cesty"));
    QAction* clear = addItem(setup, "Zruencesty1", QStringLiteral("Zrušení nadef. cesty"));
    addSeparator(setup, "N1");
    QAction* manual =
        addItem(setup, "Manulnzen1", QStringLiteral("Test periferií/monitoring STV2"));
    QAction* manualExp = addItem(setup, "TestperiferimonitoringEXP21",
                                 QStringLiteral("Test periferií/monitoring EXP2"));
    QAction* simul = addItem(setup, "Testnastavencesty1", QStringLiteral("Simulace STAVNIK č.2"));
    connect(periph, &QAction::triggered, this, &TMainForm1::Konfiguracevhybek1Click);
    connect(edit, &QAction::triggered, this, &TMainForm1::Table1DblClick);
    connect(copy, &QAction::triggered, this, &TMainForm1::Kopiecesty2Click);
    connect(clear, &QAction::triggered, this, &TMainForm1::Zruencesty1Click);

    QMenu* transfer = bar->addMenu(QStringLiteral("Přenos       "));
    transfer->setObjectName(QStringLiteral("Transfer1"));
    QAction* port = addItem(transfer, "KomunikaceRS2321", QStringLiteral("Nastavení RS232"));
    addSeparator(transfer, "N3");
    QAction* read = addItem(transfer, "Nastdatazmodulu1", QStringLiteral("Načíst data z modulu"));
    QAction* verify =
        addItem(transfer, "Verifikovatdatasmodulem1", QStringLiteral("Verifikovat data s modulem"));
    QAction* store =
        addItem(transfer, "Uloitdatadomodulu1", QStringLiteral("Uložit data do modulu"));
    connect(port, &QAction::triggered, this, &TMainForm1::KonfiguraceRS2321Click);
    // The link handlers live with the link; they exist once the dialogs are created.
    // A port lost to an unplug is opened again as each exchange starts: no need for the dialog.
    connect(read, &QAction::triggered, this, [this] {
        m_port.reopenIfLost();
        m_link->ReadData1Click();
    });
    connect(verify, &QAction::triggered, this, [this] {
        m_port.reopenIfLost();
        m_link->VerifData1Click();
    });
    connect(store, &QAction::triggered, this, [this] {
        m_port.reopenIfLost();
        m_link->UlozitData1Click();
    });
    connect(BTtest1, &QPushButton::clicked, this, [this] {
        m_port.reopenIfLost();
        if (m_link)
            m_link->BTtest1Click();
    });
    connect(Table1, &QTableWidget::cellDoubleClicked, this, &TMainForm1::Table1DblClick);

    QMenu* info = bar->addMenu(QStringLiteral("Info    "));
    info->setObjectName(QStringLiteral("Info1"));
    QAction* about = addItem(info, "Oprogramu1", QStringLiteral("O programu"));
    connect(about, &QAction::triggered, this, &TMainForm1::Oprogramu1Click);

    connect(manual, &QAction::triggered, this, &TMainForm1::Manulnzen1Click);
    connect(manualExp, &QAction::triggered, this, &TMainForm1::TestperiferimonitoringEXP21Click);
    connect(simul, &QAction::triggered, this, &TMainForm1::Testnastavencesty1Click);
}

void TMainForm1::FormCreate() {
    m_settings = loadSettings(m_settingsPath);
    Timer1->setInterval(m_settings.timerInterval);
    m_store.routeCapacity = image::kRouteCount;
    decodeCurrent(m_store.image, m_store.routes);
    Table1->fill(m_store);
    openPort();
}

void TMainForm1::createDialogs() {
    m_dlgStore = new TDlgStore1(this);
    m_konfVyhForm = new TFormKonfVYH2(m_store, this);
    m_manualExpForm = new TManualFormEX2(m_engine, m_settings, this);
    m_cestaForm = new TCestaForm1(m_store, this);
    m_okCommDlg =
        new TOKcommDlg([path = m_settingsPath](int n) { return portDevice(n, path); }, this);
    m_okCommDlg->setPortList(
        [path = m_settingsPath] { return availablePorts(emulatorLinkPath(path)); });
    m_kopieCestForm = new TKopieCestForm1(this);
    m_simulForm = new TSimulForm1(m_engine, m_settings, this);
    m_manualForm = new TManualForm2(m_engine, m_settings, this);
    m_link = new LinkDialogs(m_engine, m_store, {PBar1, LBbar1, LBverze1, LBcestMax1, Table1},
                             m_dlgStore, this);
}

void TMainForm1::openPort() {
    if (m_port.open(m_settings.portNumber))
        return;
    const QString text = portOpenFailedText(m_settings.portNumber);
    const QString why = m_port.openErrorText();
    QTimer::singleShot(0, this,
                       [this, text, why] { warningBox(this, text, QMessageBox::Ok, why); });
}

void TMainForm1::refill() {
    Table1->fill(m_store);
}

void TMainForm1::Nast1Click() {
    // A file loaded now would be overwritten by the read in progress, or mix two
    // configurations in the module during a store.
    if (m_engine.transferRunning()) {
        warningBox(this, texts::kLoadDuringTransfer);
        return;
    }
    loadDataFileCommand(this, *OpenDialog1, m_store, *Table1);
}

void TMainForm1::Uloit1Click() {
    saveDataFileCommand(this, *SaveDialog1, m_store);
}

void TMainForm1::Konfiguracevhybek1Click() {
    m_konfVyhForm->exec();
}

void TMainForm1::Manulnzen1Click() {
    m_manualForm->exec();
}

void TMainForm1::TestperiferimonitoringEXP21Click() {
    m_manualExpForm->exec();
}

void TMainForm1::Testnastavencesty1Click() {
    m_simulForm->exec();
}

void TMainForm1::Table1DblClick() {
    if (editRoute(*m_cestaForm, m_store, Table1->selectedRoute()))
        refill();
}

void TMainForm1::Kopiecesty2Click() {
    const int target = Table1->selectedRoute();
    m_kopieCestForm->prepare(target, m_store.routeCapacity);
    const bool ok = m_kopieCestForm->exec() == QDialog::Accepted;
    const int source = m_kopieCestForm->sourceRoute();
    if (ok && copyRoute(m_store, source, target))
        refill();
}

void TMainForm1::Zruencesty1Click() {
    if (warningBox(this, texts::kClearRouteQuestion, QMessageBox::Ok | QMessageBox::Cancel) !=
        QMessageBox::Ok)
        return;
    clearRoute(m_store.route(Table1->selectedRoute()));
    refill();
    encodeRoutes(m_store.routes, m_store.image);
}

void TMainForm1::KonfiguraceRS2321Click() {
    m_okCommDlg->portNumber = m_settings.portNumber;
    if (m_okCommDlg->exec() != QDialog::Accepted)
        return;
    m_settings.portNumber = m_okCommDlg->portNumber;
    if (!m_okCommDlg->chosenDevice().isEmpty())
        savePortMapping(m_settings.portNumber, m_okCommDlg->chosenDevice(), m_settingsPath);
    m_port.close();
    openPort();
}

void TMainForm1::Oprogramu1Click() {
    QMessageBox box(QMessageBox::NoIcon, texts::kApplicationTitle, texts::kAboutText,
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("aboutBox"));
    box.exec();
}

void TMainForm1::Timer1Timer() {
    if (m_link) {
        m_link->Timer1Timer();
        return;
    }
    m_engine.tick();
    LBbar1->setVisible(PBar1->isVisible());
}

void TMainForm1::closeEvent(QCloseEvent* event) {
    FormClose();
    QMainWindow::closeEvent(event);
}

void TMainForm1::FormClose() {
    if (m_closed)
        return;
    m_closed = true;
    Timer1->stop();
    m_port.close();
    saveComSerial(m_settings.portNumber, m_settingsPath);
}
