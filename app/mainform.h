#pragma once

#include "data/configstore.h"
#include "link/byteport.h"
#include "link/linkengine.h"
#include "link/settings.h"

#include <QMainWindow>

class QAction;
class QFileDialog;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class LinkDialogs;
class RouteGrid;
class TCestaForm1;
class StoreChoiceDialog;
class TFormKonfVYH2;
class TKopieCestForm1;
class TManualForm2;
class TManualFormEX2;
class TSimulForm1;
class TOKcommDlg;

// The main window: route grid, menu, link display and the 20 ms clock of the module link.
class TMainForm1 : public QMainWindow {
    Q_OBJECT
public:
    TMainForm1(ConfigStore& store, LinkEngine& engine, BytePort& port,
               QString settingsPath = settingsFilePath(), QWidget* parent = nullptr);
    ~TMainForm1() override;

    // Program entry creates the dialogs once, right after the main window; they keep their
    // controls' state between showings.
    void createDialogs();

    const AppSettings& settings() const { return m_settings; }
    int portNumber() const { return m_settings.portNumber; }
    RouteGrid* grid() const { return Table1; }
    QTimer* timer() const { return Timer1; }
    QFileDialog* openDialog() const { return OpenDialog1; }
    QFileDialog* saveDialog() const { return SaveDialog1; }

    // Handlers, named after the menu items and controls they serve.
    void Nast1Click();
    void Uloit1Click();
    void Konfiguracevhybek1Click();
    void Table1DblClick();
    void Manulnzen1Click();
    void TestperiferimonitoringEXP21Click();
    void Testnastavencesty1Click();
    void Kopiecesty2Click();
    void Zruencesty1Click();
    void KonfiguraceRS2321Click();
    void Oprogramu1Click();
    void Timer1Timer();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    void buildMenu();
    void buildControls();
    // Opens "COM" + port number; on failure queues the warning so start-up is never blocked.
    void openPort();
    void refill();

    ConfigStore& m_store;
    BytePort& m_port;
    QString m_settingsPath;
    AppSettings m_settings;
    LinkEngine& m_engine;
    bool m_closed = false;

    RouteGrid* Table1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* LBcestMax1 = nullptr;
    QLabel* LBverze1 = nullptr;
    QPushButton* BTtest1 = nullptr;
    QProgressBar* PBar1 = nullptr;
    QLabel* LBbar1 = nullptr;
    QTimer* Timer1 = nullptr;
    QFileDialog* OpenDialog1 = nullptr;
    QFileDialog* SaveDialog1 = nullptr;

    StoreChoiceDialog* m_dlgStore = nullptr;
    TFormKonfVYH2* m_konfVyhForm = nullptr;
    TCestaForm1* m_cestaForm = nullptr;
    TOKcommDlg* m_okCommDlg = nullptr;
    TKopieCestForm1* m_kopieCestForm = nullptr;
    TManualFormEX2* m_manualExpForm = nullptr;
    TSimulForm1* m_simulForm = nullptr;
    TManualForm2* m_manualForm = nullptr;
    LinkDialogs* m_link = nullptr;
};
