#include "app/mainwindow.h"
#include "data/codec.h"
#include "data/datafile.h"
#include "data/routecommands.h"
#include "data/ui/routegrid.h"
#include "support/fakemodule.h"
#include "support/modal.h"
#include "support/screenshots.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

class MainWindowTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    int fileNo = 0;
    QString ini;

    void writeIni(const QByteArray& text) {
        QFile f(ini);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    QAction* action(QWidget* w, const char* name) {
        return w->findChild<QAction*>(QLatin1String(name));
    }
    static QTimer* timer(const MainWindow& w) {
        return w.findChild<QTimer*>(QStringLiteral("Timer1"));
    }

private slots:
    void init() { ini = dir.filePath(QStringLiteral("cfg%1.ini").arg(++fileNo)); }

    void windowAsDescribed() {
        ConfigStore store;
        FakeModule port;
        LinkEngine engine_w(store, port);
        MainWindow w(store, engine_w, port, ini);
        QCOMPARE(w.windowTitle(), QStringLiteral("Stavnik V2ext  CFG"));

        const QList<QMenu*> menus = w.menuBar()->findChildren<QMenu*>(Qt::FindDirectChildrenOnly);
        QStringList titles;
        for (QAction* a : w.menuBar()->actions())
            titles << a->text();
        QCOMPARE(titles, (QStringList{"Soubor       ", "Konfigurace        ", "Přenos       ",
                                      "Info    ", "Úpravy"}));
        Q_UNUSED(menus);

        struct Item {
            const char* name;
            const char* caption;
        };
        const Item items[] = {
            {"Nast1", "Načíst data"},
            {"Uloit1", "Uložit data"},
            {"Exit1", "Exit"},
            {"Konfiguracevhybek1", "Konfigurace periferií "},
            {"Definicecesty1", "Definice vlakové cesty"},
            {"Kopiecesty2", "Kopie vlakové cesty"},
            {"Zruencesty1", "Zrušení nadef. cesty"},
            {"Manulnzen1", "Test periferií/monitoring STV2"},
            {"TestperiferimonitoringEXP21", "Test periferií/monitoring EXP2"},
            {"Testnastavencesty1", "Simulace STAVNIK č.2"},
            {"KomunikaceRS2321", "Nastavení RS232"},
            {"Nastdatazmodulu1", "Načíst data z modulu"},
            {"Verifikovatdatasmodulem1", "Verifikovat data s modulem"},
            {"Uloitdatadomodulu1", "Uložit data do modulu"},
            {"Oprogramu1", "O programu"},
        };
        for (const Item& item : items) {
            QAction* a = action(&w, item.name);
            QVERIFY2(a, item.name);
            QCOMPARE(a->text(), QString::fromUtf8(item.caption));
            QVERIFY2(a->isEnabled(), item.name);
        }
        QStringList fileItems;
        for (QAction* a : w.findChild<QMenu*>(QStringLiteral("File1"))->actions())
            fileItems << a->text();
        QCOMPARE(fileItems, (QStringList{"Načíst data", "Uložit data", "", "Exit", "", "Uložit",
                                         "Poslední soubory", "", "Porovnat se souborem…", "Tisk…",
                                         "Exportovat…"}));
        for (const char* sep : {"N1", "N2", "N3"})
            QVERIFY2(action(&w, sep) && action(&w, sep)->isSeparator(), sep);

        auto* label = w.findChild<QLabel*>(QStringLiteral("Label1"));
        QCOMPARE(label->text(), QStringLiteral("Klikněte  na vybraný řádek pro zobrazení detailů"));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("LBcestMax1"))->text(), QStringLiteral("??"));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("LBverze1"))->text(), QStringLiteral("??"));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("LBverze1"))->font().pointSize(), 12);
        QCOMPARE(w.findChild<QPushButton*>(QStringLiteral("BTtest1"))->text(),
                 QStringLiteral("Test comm"));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* bar = w.findChild<QProgressBar*>(QStringLiteral("PBar1"));
        QVERIFY(!bar->isVisible());
        QCOMPARE(bar->maximum(), 100);
        QVERIFY(!w.findChild<QLabel*>(QStringLiteral("LBbar1"))->isVisible());
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("LBbar1"))->text(),
                 QStringLiteral("přenos dat"));

        // Set STAVNIK_SCREENSHOTS to look at the window side by side with its description.
        if (const QString shots = screenshotFolder(); !shots.isEmpty())
            w.grab().save(shots + QStringLiteral("/main-window.png"));

        QVERIFY(timer(w)->isActive());
        QCOMPARE(timer(w)->interval(), 20);

        auto* open = w.findChild<QFileDialog*>(QStringLiteral("OpenDialog1"));
        auto* save = w.findChild<QFileDialog*>(QStringLiteral("SaveDialog1"));
        QCOMPARE(open->nameFilters(), QStringList{"Text files (*.txt)"});
        QCOMPARE(save->nameFilters(), QStringList{"Text file (*.txt)"});
        QCOMPARE(open->defaultSuffix(), QStringLiteral("txt"));
        QCOMPARE(save->defaultSuffix(), QStringLiteral("txt"));
        QVERIFY(!save->testOption(QFileDialog::DontConfirmOverwrite));
    }

    void gridAfterStartUp() {
        ConfigStore store;
        store.image.fill(0xFF); // start-up decodes whatever image the store holds
        store.image.fill(0);
        FakeModule port;
        LinkEngine engine_w(store, port);
        MainWindow w(store, engine_w, port, ini);
        RouteGrid* grid = w.grid();
        QCOMPARE(grid->objectName(), QStringLiteral("Table1"));
        QCOMPARE(grid->columnCount(), 21);
        QCOMPARE(grid->rowCount(), 90);
        const int widths[] = {29, 33, 33, 28, 21, 21, 22, 22, 23, 21, 23,
                              22, 25, 26, 25, 25, 25, 24, 25, 22, 250};
        for (int c = 0; c < 21; ++c) // a font that needs more room widens the column
            QVERIFY(grid->columnWidth(c) >= widths[c]);
        QCOMPARE(grid->horizontalHeaderItem(0)->text(), QStringLiteral("poř."));
        QCOMPARE(grid->horizontalHeaderItem(20)->text(), QStringLiteral("popis"));
        QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        for (int row = 0; row < 90; ++row) {
            QCOMPARE(grid->item(row, 0)->text(), QString::number(row + 1));
            QCOMPARE(grid->item(row, 1)->text(), QStringLiteral("TL??"));
            QCOMPARE(grid->item(row, 2)->text(), QStringLiteral("TL??"));
            QCOMPARE(grid->item(row, 3)->text(), QStringLiteral(" "));
            for (int c = 4; c < 20; ++c)
                QCOMPARE(grid->item(row, c)->text(), QStringLiteral("-"));
            QCOMPARE(grid->item(row, 20)->text(), QString());
        }
        QCOMPARE(grid->selectedRoute(), 1);
        for (const RouteRecord& r : store.routes)
            QCOMPARE(r.followingSignal, 44);
    }

    void settingsAtStartAndClose_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("openedPort");
        QTest::addColumn<int>("interval");
        QTest::newRow("no file") << QByteArray() << 1 << 20;
        QTest::newRow("values") << QByteArray("[Options]\nCOMserial=4\ntimerCOM=15\n") << 4 << 15;
        QTest::newRow("zeros") << QByteArray("[Options]\nCOMserial=0\ntimerCOM=0\n") << 1 << 20;
        QTest::newRow("junk") << QByteArray("[Options]\nCOMserial=x1\ntimerCOM=\n") << 1 << 20;
        QTest::newRow("large port") << QByteArray("[Options]\nCOMserial=15\n") << 15 << 20;
    }
    void settingsAtStartAndClose() {
        QFETCH(QByteArray, content);
        QFETCH(int, openedPort);
        QFETCH(int, interval);
        if (!content.isEmpty())
            writeIni(content);
        ConfigStore store;
        FakeModule port;
        {
            LinkEngine engine_w(store, port);
            MainWindow w(store, engine_w, port, ini);
            QCOMPARE(port.openedNumbers(), QList<int>{openedPort});
            QCOMPARE(timer(w)->interval(), interval);
            w.show();
            w.close();
            QVERIFY(!port.isOpen());
        }
        QSettings written(ini, QSettings::IniFormat);
        QCOMPARE(written.value(QStringLiteral("Options/COMserial")).toInt(), openedPort);
    }

    void portFailureWarnsOnceAndProgramGoesOn() {
        writeIni("[Options]\nCOMserial=3\n");
        ConfigStore store;
        FakeModule port;
        port.setPresent(false);
        auto box = answerNextBox(QMessageBox::Ok);
        LinkEngine engine_w(store, port);
        MainWindow w(store, engine_w, port, ini);
        w.show();
        QTRY_COMPARE(box->text, QStringLiteral("Chyba otevření  COM3  "));
        QCOMPARE(box->title, QStringLiteral("Warning"));
        QCOMPARE(box->icon, QMessageBox::Warning);
        QCOMPARE(box->buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QTest::qWait(100);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(timer(w)->isActive());
    }

    // A settings file that is a device is said once at start and never replaced at the close.
    void settingsFileThatIsNoFileIsToldOnce() {
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), ini));
        ConfigStore store;
        FakeModule port;
        auto box = answerNextBox(QMessageBox::Ok);
        {
            LinkEngine engine_w(store, port);
            MainWindow w(store, engine_w, port, ini);
            w.show();
            QTRY_VERIFY(box->text.endsWith(ini));
            QVERIFY(box->detailedText.contains(QStringLiteral("Is a device")));
            QVERIFY(w.close());
        }
        QCOMPARE(QFileInfo(ini).symLinkTarget(), QStringLiteral("/dev/null"));
    }

    void portDialog_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("typed"); // 0: keep what is shown
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("finalPort");
        QTest::newRow("choose 4") << QByteArray() << 1 << 4 << true << 4;
        QTest::newRow("cancel") << QByteArray() << 1 << 4 << false << 1;
        QTest::newRow("large number clamps to 10")
            << QByteArray("[Options]\nCOMserial=15\n") << 10 << 0 << true << 10;
        QTest::newRow("large number kept on cancel")
            << QByteArray("[Options]\nCOMserial=15\n") << 10 << 0 << false << 15;
        QTest::newRow("typed 15 becomes 10") << QByteArray() << 1 << 15 << true << 10;
    }
    void portDialog() {
        QFETCH(QByteArray, content);
        QFETCH(int, shown);
        QFETCH(int, typed);
        QFETCH(bool, ok);
        QFETCH(int, finalPort);
        if (!content.isEmpty())
            writeIni(content);
        ConfigStore store;
        FakeModule port;
        {
            LinkEngine engine_w(store, port);
            MainWindow w(store, engine_w, port, ini);
            const int startPort = port.openedNumbers().value(0);
            auto seenValue = std::make_shared<int>(-1);
            auto device = std::make_shared<QString>();
            onNextModal([=](QWidget* dlg) {
                auto* spin = dlg->findChild<QSpinBox*>(QStringLiteral("SEdit1"));
                *seenValue = spin->value();
                QCOMPARE(spin->maximum(), 10);
                QCOMPARE(dlg->windowTitle(), QStringLiteral("COM port"));
                if (typed) {
                    spin->selectAll();
                    QTest::keyClicks(spin, QString::number(typed));
                }
                dlg->findChild<QPushButton*>(ok ? QStringLiteral("OKBtn")
                                                : QStringLiteral("CancelBtn"))
                    ->click();
                *device = dlg->findChild<QLabel*>(QStringLiteral("LBdevice"))->text();
            });
            action(&w, "KomunikaceRS2321")->trigger();
            QCOMPARE(*seenValue, shown);
            if (typed)
                QCOMPARE(*device, QStringLiteral("/dev/ttyS%1").arg(qMin(typed, 10) - 1));
            if (ok)
                QCOMPARE(port.openedNumbers(), (QList<int>{startPort, finalPort}));
            else
                QCOMPARE(port.openedNumbers(), QList<int>{startPort});
            QCOMPARE(w.portNumber(), finalPort);
            w.close();
        }
        // The next start opens what was chosen.
        FakeModule next;
        LinkEngine engine_again(store, next);
        MainWindow again(store, engine_again, next, ini);
        QCOMPARE(next.openedNumbers(), QList<int>{finalPort});
    }

    // Picking the virtual module in the list maps the number to it and opens it on OK.
    void portDialogMapsTheChosenDevice() {
        writeIni("[Options]\nCOMserial=2\n");
        const QString emuLink = dir.filePath(QStringLiteral("stv2-emu.tty"));
        QVERIFY(QFile(emuLink).open(QIODevice::WriteOnly)); // the emulator runs
        ConfigStore store;
        FakeModule port;
        LinkEngine engine_w(store, port);
        MainWindow w(store, engine_w, port, ini);
        onNextModal([emuLink](QWidget* dlg) {
            QTest::keyClick(dlg->findChild<QComboBox*>(QStringLiteral("CBdevice")), Qt::Key_End);
            QCOMPARE(dlg->findChild<QLabel*>(QStringLiteral("LBdevice"))->text(), emuLink);
            dlg->findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
        });
        action(&w, "KomunikaceRS2321")->trigger();
        QFile::remove(emuLink);
        QCOMPARE(port.openedNumbers(), (QList<int>{2, 2}));
        QCOMPARE(portDevice(2, ini), emuLink);
    }

    void clearRoute_data() {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<bool>("cleared");
        QTest::addColumn<bool>("whole");
        QTest::newRow("ok") << QMessageBox::Ok << true << false;
        QTest::newRow("cancel") << QMessageBox::Cancel << false << false;
        QTest::newRow("ok, whole definition") << QMessageBox::Ok << true << true;
    }
    void clearRoute() {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(bool, cleared);
        QFETCH(bool, whole);
        ConfigStore store;
        FakeModule port;
        LinkEngine engine_w(store, port);
        MainWindow w(store, engine_w, port, ini);
        RouteRecord& r = store.route(7);
        r.fromButton = 4;
        r.toButton = 6;
        r.pointPositions[2] = 2;
        r.trackNumber = 3;
        r.description = QStringLiteral("k3");
        encodeRoutes(store.routes, store.image);
        const Image before = store.image;
        w.grid()->selectRoute(7);
        if (whole)
            onNextModal([](QWidget* m) {
                m->findChild<QCheckBox*>(QStringLiteral("warningCheck"))->setChecked(true);
            });
        auto box = answerNextBox(answer);
        action(&w, "Zruencesty1")->trigger();
        QCOMPARE(box->text, QStringLiteral("Opravdu nulovat definici cesty? "));
        QCOMPARE(box->icon, QMessageBox::Warning);
        QCOMPARE(box->buttons, QMessageBox::Ok | QMessageBox::Cancel);
        if (!cleared) {
            QCOMPARE(store.route(7).fromButton, 4);
            QVERIFY(store.image == before);
            return;
        }
        QCOMPARE(store.route(7).fromButton, 0);
        QCOMPARE(store.route(7).trackNumber, whole ? 0 : 3);
        QCOMPARE(store.image[image::indexPairAddress(7)], 0);
        // The track number stays in the image unless the whole definition goes.
        QCOMPARE(store.image[image::blockAddress(7) + 4], whole ? 0 : 3);
        QCOMPARE(w.grid()->item(6, 1)->text(), QStringLiteral("TL??"));
        QCOMPARE(w.grid()->item(6, 6)->text(), QStringLiteral("-"));
        QCOMPARE(w.grid()->item(6, 20)->text(), whole ? QString() : QStringLiteral("k3"));
        // What the route still holds is marked in its row.
        QCOMPARE(w.grid()->item(6, 0)->toolTip().isEmpty(), whole);
    }

    // The route in words under the grid follows the selection and the refill after a command.
    void routePaneFollowsTheGrid() {
        ConfigStore store;
        store.route(2).fromButton = 3;
        store.route(2).toButton = 9;
        store.route(2).shuntingRoute = 1;
        encodeRoutes(store.routes, store.image);
        FakeModule port;
        LinkEngine engine(store, port);
        MainWindow w(store, engine, port, ini);
        auto* pane = w.findChild<QPlainTextEdit*>(QStringLiteral("routeDescription"));
        QCOMPARE(pane->toPlainText(), QStringLiteral("Cesta 1 je prázdná."));
        w.grid()->selectRoute(2);
        QCOMPARE(pane->toPlainText(), QStringLiteral("Cesta 2: posun, ODKUD TL 3 → KAM TL 9\n"
                                                     "Následná návěst: vždy STŮJ"));
        answerNextBox(QMessageBox::Ok);
        action(&w, "Zruencesty1")->trigger();
        QCOMPARE(pane->toPlainText(), QStringLiteral("Cesta 2 je prázdná."));
    }

    // The DCC column reads the base the peripheral editor's OK has just written.
    void gridFollowsThePeripheralEditor() {
        ConfigStore store;
        FakeModule port;
        LinkEngine engine_w(store, port);
        MainWindow w(store, engine_w, port, ini);
        store.route(3).dccEnabled = 1;
        encodeRoutes(store.routes, store.image);
        onNextModal([](QWidget* m) {
            auto* box = m->findChild<QSpinBox*>(QStringLiteral("SE_DCCaddr"));
            box->setValue(100);
            m->findChild<QPushButton*>(QStringLiteral("BtOK1"))->click();
        });
        action(&w, "Konfiguracevhybek1")->trigger();
        QCOMPARE(w.grid()->item(2, 3)->text(), QStringLiteral("106"));
    }

    void copyRouteRemembersSource() {
        ConfigStore store;
        FakeModule port;
        LinkEngine engine_w(store, port);
        MainWindow w(store, engine_w, port, ini);
        store.route(12).fromButton = 9;
        store.route(12).description = QStringLiteral("dvanáctka");
        store.routeCapacity = 100;
        w.grid()->selectRoute(30);
        auto label = std::make_shared<QString>();
        auto max = std::make_shared<int>(0);
        onNextModal([=](QWidget* dlg) {
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Kopie definice cesty"));
            *label = dlg->findChild<QLabel*>(QStringLiteral("LBcil"))->text();
            auto* spin = dlg->findChild<QSpinBox*>(QStringLiteral("SEzdr"));
            *max = spin->maximum();
            spin->selectAll();
            QTest::keyClicks(spin, QStringLiteral("12"));
            dlg->findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
        });
        action(&w, "Kopiecesty2")->trigger();
        QCOMPARE(*label, QStringLiteral("Uložit do cesty č.30 ?"));
        QCOMPARE(*max, 90); // a module reporting 100 routes never makes us read past the table
        QCOMPARE(store.route(30), store.route(12));
        QCOMPARE(w.grid()->item(29, 1)->text(), QStringLiteral("TL 9"));
        QCOMPARE(store.image[image::indexPairAddress(30)], 9);

        // Second showing: the dialog offers 12 again; Cancel copies nothing.
        store.routeCapacity = 20;
        w.grid()->selectRoute(40);
        auto shown = std::make_shared<int>(0);
        onNextModal([=](QWidget* dlg) {
            auto* spin = dlg->findChild<QSpinBox*>(QStringLiteral("SEzdr"));
            *shown = spin->value();
            *max = spin->maximum();
            dlg->findChild<QPushButton*>(QStringLiteral("CancelBtn"))->click();
        });
        action(&w, "Kopiecesty2")->trigger();
        QCOMPARE(*shown, 12);
        QCOMPARE(*max, 20);
        QCOMPARE(store.route(40).fromButton, 0);
    }

    void editRoute_data() {
        QTest::addColumn<bool>("ok");
        QTest::newRow("ok writes back") << true;
        QTest::newRow("cancel changes nothing") << false;
    }
    void editRoute() {
        QFETCH(bool, ok);
        ConfigStore store;
        FakeModule port;
        LinkEngine engine(store, port);
        MainWindow w(store, engine, port, ini);
        // A route taken out of service is accepted without the route checks.
        store.route(5).testBlocked = 1;
        store.route(5).fromButton = 2;
        store.route(5).description = QStringLiteral("stará");
        encodeRoutes(store.routes, store.image);
        w.grid()->fill(store);
        const Image before = store.image;
        auto caption = std::make_shared<QString>();
        onNextModal([=](QWidget* dlg) {
            *caption = dlg->windowTitle();
            auto* text = dlg->findChild<QLineEdit*>(QStringLiteral("TXTnazev1"));
            text->selectAll();
            QTest::keyClicks(text, QStringLiteral("nova"));
            dlg->findChild<QPushButton*>(ok ? QStringLiteral("BtOK1") : QStringLiteral("Button1"))
                ->click();
        });
        // The user double-clicks route 5's row.
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QRect cell = w.grid()->visualItemRect(w.grid()->item(4, 1));
        QTest::mousePress(w.grid()->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseRelease(w.grid()->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(w.grid()->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(*caption, QStringLiteral("Konfigurace traťové cesty č.5"));
        QCOMPARE(store.route(5).description, ok ? QStringLiteral("nova") : QStringLiteral("stará"));
        QCOMPARE(w.grid()->item(4, 20)->text(), store.route(5).description);
        QCOMPARE(store.route(5).fromButton, 2);
        QVERIFY(store.image == before); // descriptions live outside the image
    }

    // Each change taken back gives the image and routes it started from, byte for byte, and
    // the unsaved mark goes with it; made again, the change is back.
    void undoRedo_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("undoText");
        QTest::newRow("route edited") << "Definicecesty1"
                                      << "Zpět: úprava cesty 7";
        QTest::newRow("route copied") << "Kopiecesty2"
                                      << "Zpět: kopie cesty 1 do cesty 7";
        QTest::newRow("route cleared") << "Zruencesty1"
                                       << "Zpět: zrušení cesty 7";
        QTest::newRow("peripherals") << "Konfiguracevhybek1"
                                     << "Zpět: konfigurace periferií";
    }
    void undoRedo() {
        QFETCH(QString, change);
        QFETCH(QString, undoText);
        ConfigStore store;
        FakeModule port;
        LinkEngine engine(store, port);
        MainWindow w(store, engine, port, ini);
        store.route(1).fromButton = 5;
        store.route(1).toButton = 12;
        store.route(7).testBlocked = 1;
        store.route(7).toButton = 22;
        store.route(7).description = QStringLiteral("zkušební");
        encodeRoutes(store.routes, store.image);
        store.markSaved();
        const ConfigStore before = store;
        w.grid()->selectRoute(7); // taken out of service: its OK skips the route checks
        onNextModal([](QWidget* dlg) {
            if (auto* box = qobject_cast<QMessageBox*>(dlg))
                return box->button(QMessageBox::Ok)->click();
            if (auto* text = dlg->findChild<QLineEdit*>(QStringLiteral("TXTnazev1")))
                QTest::keyClicks(text, QStringLiteral(" nova"));
            if (auto* source = dlg->findChild<QSpinBox*>(QStringLiteral("SEzdr")))
                source->setValue(1);
            if (auto* dcc = dlg->findChild<QSpinBox*>(QStringLiteral("SE_DCCaddr")))
                dcc->setValue(dcc->value() + 8);
            const QString ok = dlg->findChild<QPushButton*>(QStringLiteral("OKBtn"))
                                   ? QStringLiteral("OKBtn")
                                   : QStringLiteral("BtOK1");
            dlg->findChild<QPushButton*>(ok)->click();
        });
        w.findChild<QAction*>(change)->trigger();
        const ConfigStore after = store;
        QVERIFY(store.isModified() && w.isWindowModified());
        QCOMPARE(action(&w, "Zpet1")->text(), undoText);
        action(&w, "Zpet1")->trigger();
        QVERIFY(store.image == before.image);
        QVERIFY(store.routes == before.routes);
        QVERIFY(!w.isWindowModified());
        action(&w, "Znovu1")->trigger();
        QVERIFY(store.image == after.image);
        QVERIFY(store.routes == after.routes);
        QVERIFY(w.isWindowModified());
    }

    // stavnik-cfg FILE: a file that loads is named in the title and remembered; any other
    // leaves the empty configuration after the load's box.
    void openFromOutside_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::newRow("data file")
            << QStringLiteral("saved.txt") << QStringLiteral("Stavnik V2ext  CFG – saved.txt[*]");
        QTest::newRow("missing") << QStringLiteral(STAVNIK_TEST_DATA "/none.txt")
                                 << QStringLiteral("Stavnik V2ext  CFG");
        QTest::newRow("folder") << QStringLiteral(STAVNIK_TEST_DATA)
                                << QStringLiteral("Stavnik V2ext  CFG");
    }
    void openFromOutside() {
        QFETCH(QString, path);
        QFETCH(QString, title);
        const bool loads = title != QStringLiteral("Stavnik V2ext  CFG");
        ConfigStore store;
        store.route(3).fromButton = 4;
        encodeRoutes(store.routes, store.image);
        QVERIFY(datafile::saveFile(dir.filePath(QStringLiteral("saved.txt")), store).saved);
        path = QDir(dir.path()).absoluteFilePath(path);
        store = ConfigStore();
        FakeModule port;
        LinkEngine engine(store, port);
        MainWindow w(store, engine, port, ini);
        auto box = loads ? std::make_shared<SeenBox>() : answerNextBox(QMessageBox::Ok);
        w.openFile(path);
        QCOMPARE(w.windowTitle(), title);
        QCOMPARE(box->icon, loads ? QMessageBox::NoIcon : QMessageBox::Warning);
        QCOMPARE(store.image == ConfigStore().image, !loads);
        QCOMPARE(loadSettings(ini).recentFiles,
                 loads ? QStringList{QFileInfo(path).absoluteFilePath()} : QStringList());
    }

    void loadRefusedWhileTransferRuns() {
        ConfigStore store;
        FakeModule port;
        LinkEngine engine(store, port);
        MainWindow w(store, engine, port, ini);
        QVERIFY(engine.startRead());
        auto box = answerNextBox(QMessageBox::Ok);
        action(&w, "Nast1")->trigger();
        QCOMPARE(box->title, QStringLiteral("Warning"));
        QVERIFY(box->text.startsWith(QStringLiteral("Probíhá přenos dat")));
    }

    // The whole road through the main window: "Test comm", then a read whose routes appear in
    // the grid, against the virtual module on an in-memory line.
    void testCommAndReadFromTheModule() {
        writeIni("[Options]\ntimerCOM=1\n");
        FakeModule port;
        Image moduleImage{};
        moduleImage[image::indexPairAddress(3)] = 0x80 | 4; // train route TL 4 -> TL 9
        moduleImage[image::indexPairAddress(3) + 1] = 9;
        moduleImage[image::blockAddress(3)] = 0x01; // V1 straight
        port.responder().setImage(moduleImage);
        ConfigStore store;
        LinkEngine engine(store, port);
        MainWindow w(store, engine, port, ini);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* version = w.findChild<QLabel*>(QStringLiteral("LBverze1"));
        auto* capacity = w.findChild<QLabel*>(QStringLiteral("LBcestMax1"));
        // Time on the in-memory line moves with the clock's ticks.
        connect(timer(w), &QTimer::timeout, this, [&port] { port.advance(20); });

        QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("BTtest1")), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(version->text(), QStringLiteral("V 3.0"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(capacity->text(), QStringLiteral("Max.cest:90"), 5000);

        // Whatever box the read ends with is answered; the grid must show the module's route.
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->accept();
        });
        closer.start(50);
        action(&w, "Nastdatazmodulu1")->trigger();
        auto* bar = w.findChild<QProgressBar*>(QStringLiteral("PBar1"));
        QTRY_VERIFY_WITH_TIMEOUT(bar->isVisible(), 2000);
        // QTest::qWait sleeps between event rounds, which would slow the 1 ms clock tenfold.
        QEventLoop loop;
        QTimer poll;
        connect(&poll, &QTimer::timeout, &loop, [&] {
            if (!bar->isVisible() || w.grid()->item(2, 1)->text() == QStringLiteral("TL 4"))
                loop.quit();
        });
        poll.start(5);
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        loop.exec();
        QCOMPARE(w.grid()->item(2, 1)->text(), QStringLiteral("TL 4"));
        QCOMPARE(w.grid()->item(2, 2)->text(), QStringLiteral("TL 9"));
        QCOMPARE(w.grid()->item(2, 4)->text(), QStringLiteral("R"));
        QCOMPARE(store.route(3).trainRoute, Flag(1));
        QTRY_VERIFY_WITH_TIMEOUT(!bar->isVisible(), 5000);
        QCOMPARE(engine.linkState(), 0);

        // A verify that finds V1 of route 3 changed on screen lists it and marks the row.
        store.image[image::blockAddress(3)] = 0x02;
        auto* window = w.findChild<QDialog*>(QStringLiteral("differencesWindow"));
        action(&w, "Verifikovatdatasmodulem1")->trigger();
        QEventLoop verifying;
        connect(&poll, &QTimer::timeout, &verifying, [&] {
            if (window->isVisible())
                verifying.quit();
        });
        QTimer::singleShot(60000, &verifying, &QEventLoop::quit);
        verifying.exec();
        auto* table = window->findChild<QTableWidget*>(QStringLiteral("table"));
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("cesta 3"));
        QVERIFY(w.grid()->item(2, 0)->background() != QBrush());
        QVERIFY(w.grid()->item(1, 0)->background() == QBrush());
    }

    // The guard before a configuration is replaced or the program ends: each kind of change,
    // each action that would lose it, each answer. Nothing is asked when nothing changed.
    void unsavedChangesGuard_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("act");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("goesOn");
        const QStringList acts = {QStringLiteral("close"), QStringLiteral("Nast1"),
                                  QStringLiteral("Nastdatazmodulu1")};
        for (const QString& act : acts) {
            QTest::addRow("none %s", qPrintable(act)) << "none" << act << "-" << false << true;
            for (const QString& change : {QStringLiteral("route"), QStringLiteral("header")}) {
                const auto row = [&](const char* answer, bool goesOn) {
                    QTest::addRow("%s %s %s", qPrintable(change), qPrintable(act), answer)
                        << change << act << QString::fromLatin1(answer) << true << goesOn;
                };
                row("save", true);
                row("save-cancelled", false);
                row("discard", true);
                row("cancel", false);
            }
        }
    }
    void unsavedChangesGuard() {
        QFETCH(QString, change);
        QFETCH(QString, act);
        QFETCH(QString, answer);
        QFETCH(bool, asked);
        QFETCH(bool, goesOn);
        ConfigStore store;
        FakeModule port;
        LinkEngine engine(store, port);
        MainWindow w(store, engine, port, ini);
        w.show();
        if (change == QLatin1String("route")) {
            store.route(5).description = QStringLiteral("nová");
        } else if (change == QLatin1String("header")) {
            store.image[3] ^= 1;
        }
        const QString saved =
            dir.filePath(QStringLiteral("guard-%1.txt").arg(QTest::currentDataTag()));
        bool wasAsked = false;
        bool openShown = false;
        QString unexpected;
        for (auto* d : w.findChildren<QFileDialog*>())
            d->setOption(QFileDialog::DontUseNativeDialog);
        // Answers every modal window in turn until the action is over.
        QTimer answerer;
        QObject::connect(&answerer, &QTimer::timeout, [&] {
            QWidget* m = QApplication::activeModalWidget();
            auto* box = qobject_cast<QMessageBox*>(m);
            if (box && box->objectName() != QLatin1String("saveChangesBox")) {
                unexpected = box->text();
                box->done(QMessageBox::Cancel);
            } else if (box) {
                wasAsked = true;
                const auto button = answer.startsWith(QLatin1String("save")) ? QMessageBox::Save
                                    : answer == QLatin1String("discard")     ? QMessageBox::Discard
                                                                             : QMessageBox::Cancel;
                box->button(button)->click();
            } else if (auto* files = qobject_cast<QFileDialog*>(m)) {
                if (files->objectName() == QLatin1String("OpenDialog1")) {
                    openShown = true;
                    files->reject();
                } else if (answer == QLatin1String("save")) {
                    files->setDirectory(dir.path());
                    files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                        ->setText(QFileInfo(saved).fileName());
                    files->QDialog::accept(); // past the dialog's own checks of the folder
                } else {
                    files->reject();
                }
            }
        });
        answerer.start(10);
        bool wentOn = false;
        if (act == QLatin1String("close")) {
            wentOn = w.close();
        } else {
            action(&w, act.toLatin1().constData())->trigger();
            wentOn = act == QLatin1String("Nast1") ? openShown : !engine.isIdle();
        }
        answerer.stop();
        QCOMPARE(unexpected, QString());
        QCOMPARE(wasAsked, asked);
        QCOMPARE(wentOn, goesOn);
        QCOMPARE(QFile::exists(saved), answer == QLatin1String("save"));
        QCOMPARE(store.isModified(), asked && answer != QLatin1String("save"));
    }

    // The comparison and the check from the menus: the window's rows for a known pair, and
    // nothing but the load's box for a file that cannot be loaded.
    void reportWindows_data() {
        QTest::addColumn<QString>("act");
        // The file compared: "same", "changed", "missing"; for the check, "blocked" or empty.
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QStringList>("firstRow");
        const QString compare = QStringLiteral("Porovnat1"), check = QStringLiteral("Kontrola1");
        QTest::newRow("same") << compare << "same"
                              << "Konfigurace je shodná se souborem." << QStringList{};
        QTest::newRow("changed") << compare << "changed"
                                 << "1 rozdíl."
                                 << QStringList{"cesta 5", "", "stará", "nová"}; // field: editor's
        QTest::newRow("missing") << compare << "missing"
                                 << "" << QStringList{};
        QTest::newRow("no findings") << check << ""
                                     << "Žádné nálezy." << QStringList{};
        QTest::newRow("blocked") << check << "blocked"
                                 << "1 nález." << QStringList{"7"};
    }
    void reportWindows() {
        QFETCH(QString, act);
        QFETCH(QString, file);
        QFETCH(QString, summary);
        QFETCH(QStringList, firstRow);
        const QString compare = QStringLiteral("Porovnat1");
        ConfigStore store;
        FakeModule port;
        LinkEngine engine(store, port);
        MainWindow w(store, engine, port, ini);
        store.route(5).description = QStringLiteral("stará");
        store.route(7).testBlocked = file == QLatin1String("blocked");
        const QString path = dir.filePath(QStringLiteral("other-%1.txt").arg(++fileNo));
        if (act == compare && file != QLatin1String("missing")) {
            ConfigStore other = store;
            if (file == QLatin1String("changed"))
                other.route(5).description = QStringLiteral("nová");
            QVERIFY(datafile::saveFile(path, other).saved);
        }
        const ConfigStore before = store;
        w.findChild<QFileDialog*>(QStringLiteral("OpenDialog1"))
            ->setOption(QFileDialog::DontUseNativeDialog);
        std::shared_ptr<SeenBox> box;
        if (act == compare)
            onNextModal([&, missing = file == QLatin1String("missing")](QWidget* m) {
                auto* files = qobject_cast<QFileDialog*>(m);
                files->selectFile(path);
                files->QDialog::accept();
                if (missing)
                    box = answerNextBox(QMessageBox::Ok);
            });
        action(&w, act.toLatin1().constData())->trigger();
        QVERIFY(store.image == before.image && store.routes == before.routes);
        auto* window = w.findChild<QDialog*>(QStringLiteral("differencesWindow"));
        QCOMPARE(window->isVisible(), !summary.isEmpty());
        if (summary.isEmpty()) {
            QTRY_VERIFY(box && !box->text.isEmpty());
            return;
        }
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("LBsummary"))->text(), summary);
        auto* table = window->findChild<QTableWidget*>(QStringLiteral("table"));
        QCOMPARE(table->rowCount(), firstRow.isEmpty() ? 0 : 1);
        for (int c = 0; c < firstRow.size(); ++c)
            if (!firstRow.at(c).isEmpty())
                QCOMPARE(table->item(0, c)->text(), firstRow.at(c));
    }

    // Names typed once reach the pane, the grid's tips and the route editor, go back with
    // "Zpět", are saved beside the data file and come back with its next load; the matrix opens
    // the editor on a free route with the pair filled in; the window's layout is kept.
    void stationAtAGlance() {
        ConfigStore store;
        store.route(2).fromButton = 3;
        store.route(2).toButton = 9;
        store.route(2).pointPositions[4] = 1;
        store.route(3) = store.route(2);
        store.route(3).pointPositions[4] = 2;
        encodeRoutes(store.routes, store.image);
        FakeModule port;
        LinkEngine engine(store, port);
        const QString file = dir.filePath(QStringLiteral("stanice.txt"));
        const QString shots = screenshotFolder();
        {
            MainWindow w(store, engine, port, ini);
            w.grid()->selectRoute(2);
            onNextModal([](QWidget* m) {
                m->findChild<QTableWidget*>(QStringLiteral("names_TL"))
                    ->item(2, 1)
                    ->setText(QStringLiteral("Vjezd od Lhoty"));
                m->findChild<QTableWidget*>(QStringLiteral("names_V"))
                    ->item(4, 1)
                    ->setText(QStringLiteral("u skladiště"));
                if (!screenshotFolder().isEmpty())
                    m->grab().save(screenshotFolder() + QStringLiteral("/names.png"));
                static_cast<QDialog*>(m)->accept();
            });
            action(&w, "NazvyPrvku1")->trigger();
            auto* pane = w.findChild<QPlainTextEdit*>(QStringLiteral("routeDescription"));
            QVERIFY(pane->toPlainText().contains("ODKUD TL 3 (Vjezd od Lhoty) → KAM TL 9"));
            QVERIFY(pane->toPlainText().contains("V5 (u skladiště) ROVNĚ"));
            QCOMPARE(w.grid()->item(1, 1)->toolTip(), QStringLiteral("Vjezd od Lhoty"));
            w.findChild<QSpinBox*>(QStringLiteral("SEtlac1"))->setValue(3);
            QCOMPARE(w.findChild<QLabel*>(QStringLiteral("SEtlac1_name"))->text(),
                     QStringLiteral("Vjezd od Lhoty"));
            QVERIFY(w.isWindowModified());
            action(&w, "Zpet1")->trigger();
            QVERIFY(!pane->toPlainText().contains(QStringLiteral("Lhoty")));
            action(&w, "Znovu1")->trigger();
            auto* save = w.findChild<QFileDialog*>(QStringLiteral("SaveDialog1"));
            save->setOption(QFileDialog::DontUseNativeDialog);
            onNextModal([&](QWidget* m) {
                auto* files = qobject_cast<QFileDialog*>(m);
                files->setDirectory(dir.path());
                files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                    ->setText(QStringLiteral("stanice.txt"));
                files->QDialog::accept();
            });
            action(&w, "Uloit1")->trigger();
            QVERIFY(QFile::exists(dir.filePath(QStringLiteral("stanice.nazvy.ini"))));
            QVERIFY(!w.isWindowModified());

            action(&w, "PrehledTlacitek1")->trigger();
            auto* matrix = w.findChild<QTableWidget*>(QStringLiteral("matrix"));
            QCOMPARE(matrix->item(2, 8)->text(), QStringLiteral("2, 3"));
            action(&w, "VylucujiciCesty1")->trigger();
            auto* conflicts = w.findChild<QTableWidget*>(QStringLiteral("conflicts"));
            QCOMPARE(conflicts->item(0, 1)->toolTip(),
                     QStringLiteral("Cesty 2 a 3:\nV5 (u skladiště): ROVNĚ × ODBOČ"));
            if (!shots.isEmpty()) {
                w.grab().save(shots + QStringLiteral("/main-window-names.png"));
                matrix->window()->grab().save(shots + QStringLiteral("/matrix.png"));
                conflicts->window()->grab().save(shots + QStringLiteral("/conflicts.png"));
            }
            int from = -1, to = -1;
            QString caption;
            onNextModal([&](QWidget* m) {
                caption = m->windowTitle();
                from = m->findChild<QSpinBox*>(QStringLiteral("SEtlac1"))->value();
                to = m->findChild<QSpinBox*>(QStringLiteral("SEtlac2"))->value();
                static_cast<QDialog*>(m)->reject();
            });
            emit matrix->cellDoubleClicked(4, 6);
            QCOMPARE(caption, QStringLiteral("Konfigurace traťové cesty č.1"));
            QCOMPARE(from, 5);
            QCOMPARE(to, 7);

            // A finding leads to its route: routes 2 and 3 share their push-buttons.
            action(&w, "Kontrola1")->trigger();
            auto* findings = w.findChild<QDialog*>(QStringLiteral("differencesWindow"))
                                 ->findChild<QTableWidget*>(QStringLiteral("table"));
            QVERIFY(findings->item(0, 1)->text().contains(QStringLiteral("(Vjezd od Lhoty)")));
            onNextModal([&](QWidget* m) {
                caption = m->windowTitle();
                static_cast<QDialog*>(m)->reject();
            });
            emit findings->cellDoubleClicked(0, 1);
            QCOMPARE(caption, QStringLiteral("Konfigurace traťové cesty č.2"));
            QCOMPARE(w.grid()->selectedRoute(), 2);

            action(&w, "SkrytNepouzite1")->trigger();
            QVERIFY(w.grid()->isRowHidden(0));
            QVERIFY(!w.grid()->isRowHidden(1));
        }
        QVERIFY(!loadWindowLayout(ini).splitter.isEmpty());
        ConfigStore again;
        LinkEngine engine2(again, port);
        MainWindow w2(again, engine2, port, ini);
        w2.openFile(file);
        w2.grid()->selectRoute(2);
        QVERIFY(w2.findChild<QPlainTextEdit*>(QStringLiteral("routeDescription"))
                    ->toPlainText()
                    .contains(QStringLiteral("Vjezd od Lhoty")));
    }

    void aboutBox() {
        ConfigStore store;
        FakeModule port;
        LinkEngine engine_w(store, port);
        MainWindow w(store, engine_w, port, ini);
        auto box = answerNextBox(QMessageBox::Ok);
        action(&w, "Oprogramu1")->trigger();
        QCOMPARE(box->title, QStringLiteral("Stavnik CFG EXT 3.0"));
        QCOMPARE(box->icon, QMessageBox::NoIcon);
        QVERIFY(box->text.contains(QStringLiteral("Stavnik CFG EXT 3.0")));
    }
};

QTEST_MAIN(MainWindowTest)
#include "app_mainwindow.moc"
