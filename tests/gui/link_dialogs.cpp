#include "data/codec.h"
#include "data/ui/routegrid.h"
#include "link/historyrecorder.h"
#include "link/linktexts.h"
#include "link/transfers.h"
#include "link/ui/linkdialogs.h"
#include "link/ui/storechoicedialog.h"
#include "support/fakemodule.h"
#include "support/modal.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

namespace {
// The main window's link widgets, an engine on a fake module and the driver, as the main window
// wires them.
struct Window {
    ConfigStore store;
    FakeModule module;
    LinkEngine engine{store, module};
    QWidget window;
    QProgressBar* PBar1 = new QProgressBar(&window);
    QLabel* LBbar1 = new QLabel(QStringLiteral("přenos dat"), &window);
    QLabel* LBverze1 = new QLabel(QStringLiteral("??"), &window);
    QLabel* LBcestMax1 = new QLabel(QStringLiteral("??"), &window);
    RouteGrid* Table1 = new RouteGrid(&window);
    StoreChoiceDialog* storeChoice = new StoreChoiceDialog(&window);
    QStatusBar* statusBar = new QStatusBar(&window);
    LinkDialogs* link = nullptr;
    LinkDriver driver{engine, module};

    explicit Window(const ResponderOptions& options = {}) : module(options) {
        module.open(1);
        auto* column = new QVBoxLayout(&window);
        for (QWidget* w :
             std::initializer_list<QWidget*>{Table1, LBcestMax1, LBverze1, LBbar1, PBar1})
            column->addWidget(w);
        PBar1->hide();
        LBbar1->hide();
        Table1->fill(store);
        link = new LinkDialogs(
            driver, store,
            {PBar1, LBbar1, LBverze1, LBcestMax1, Table1, nullptr, nullptr, statusBar}, storeChoice,
            &window);
        QObject::connect(&engine, &LinkEngine::imageRead, [this](const Image& read, int last) {
            store.takeModuleRead(read, last);
            Table1->fill(store);
        });
        driver.setTickInterval(5);
        engine.setTickInterval(LinkDriver::kDefaultTickMs); // reply windows of a few ticks
        window.show();
        driver.start();
    }

    // Long transfers: the ticks without the wall clock; boxes still open from the event loop.
    // `during` runs once, after `at` ticks.
    bool fastForward(int at = -1, const std::function<void()>& during = {}) {
        driver.stop();
        for (int i = 0; i < 20000 && !engine.isIdle(); ++i) {
            driver.tick();
            if (i == at)
                during();
        }
        return engine.isIdle();
    }
};

QRadioButton* item(StoreChoiceDialog* d, int i) {
    return d->findChild<QRadioButton*>(QStringLiteral("RGtypcest1_%1").arg(i));
}
QPushButton* button(QWidget* d, const char* name) {
    return d->findChild<QPushButton*>(QLatin1String(name));
}

// Chooses `choice` in the store dialog when it opens (or none for -1), sets its read-back and
// backup boxes and presses `press`. `backupWasOn`: whether the backup box came up ticked.
void answerStoreDialog(int choice, QByteArray press, bool readBack = true, bool backup = false,
                       bool* backupWasOn = nullptr) {
    onNextModal([choice, press, readBack, backup, backupWasOn](QWidget* w) {
        auto* d = qobject_cast<StoreChoiceDialog*>(w);
        if (!d)
            return;
        if (choice >= 0)
            item(d, choice)->click();
        auto* box = d->findChild<QCheckBox*>(QStringLiteral("CBverifyAfterStore"));
        if (box->isChecked() != readBack)
            box->click();
        auto* backupBox = d->findChild<QCheckBox*>(QStringLiteral("CBbackupFirst"));
        if (backupWasOn)
            *backupWasOn = backupBox->isChecked();
        backupBox->setChecked(backup);
        button(d, press.constData())->click();
    });
}
// Records the next message box (skipping any dialog that opens before it) and presses OK.
void onNextMessageBox(std::shared_ptr<SeenBox> seen, int tries = 0) {
    QTimer::singleShot(10, [seen, tries] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (tries < 500)
                onNextMessageBox(seen, tries + 1);
            return;
        }
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        box->button(QMessageBox::Ok)->click();
    });
}
} // namespace

class LinkDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void errorBoxDoesNotStopTheLink() {
        Window w;
        w.module.drop(FakeModule::Commands('R').from(40));
        auto ticksWhileOpen = std::make_shared<int>(-1);
        auto barWhileOpen = std::make_shared<bool>(false);
        auto seen = std::make_shared<QString>();
        onNextModal([&w, ticksWhileOpen, barWhileOpen, seen](QWidget* box) {
            *seen = static_cast<QMessageBox*>(box)->text();
            *barWhileOpen = w.PBar1->isVisible();
            const int before = w.module.receiveSteps();
            QTest::qWait(100);
            *ticksWhileOpen = w.module.receiveSteps() - before;
            static_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
        });
        const Image before = w.store.image;
        w.link->readFromModule();
        QVERIFY(w.PBar1->isVisible());
        QVERIFY(QTest::qWaitFor([&] { return *ticksWhileOpen >= 0; }, 5000));
        QCOMPARE(*seen, QStringLiteral("Chyba čtení dat !"));
        // At 5 ms, 100 ms with the box open must see many ticks, not none.
        QVERIFY2(*ticksWhileOpen >= 5, qPrintable(QString::number(*ticksWhileOpen)));
        QVERIFY(*barWhileOpen);
        QVERIFY(QTest::qWaitFor([&] { return !w.PBar1->isVisible(); }, 1000));
        QVERIFY(QTest::qWaitFor([&] { return !w.LBbar1->isVisible(); }, 1000));
        QVERIFY(w.store.image == before);
    }

    void versionWarningThenCapacity() {
        ResponderOptions old;
        old.version = 0x25;
        old.revision = 'b';
        old.capacity = 64;
        Window w(old);
        auto capacitySentWhileOpen = std::make_shared<int>(-1);
        auto stateWhileOpen = std::make_shared<int>(-1);
        auto seen = std::make_shared<SeenBox>();
        onNextModal([&w, capacitySentWhileOpen, stateWhileOpen, seen](QWidget* wdg) {
            auto* box = qobject_cast<QMessageBox*>(wdg);
            seen->title = box->windowTitle();
            seen->text = box->text();
            seen->icon = box->icon();
            QTest::qWait(60);
            *capacitySentWhileOpen = w.module.sentWithLetter('M').size();
            *stateWhileOpen = w.engine.linkState();
            static_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
        });
        w.link->testComm();
        QCOMPARE(w.LBverze1->text(), QStringLiteral("??"));
        QVERIFY(QTest::qWaitFor([&] { return w.LBcestMax1->text() != QLatin1String("??"); }, 5000));
        QCOMPARE(seen->title, QStringLiteral("Warning"));
        QCOMPARE(seen->icon, QMessageBox::Warning);
        QCOMPARE(seen->text, QStringLiteral("Tento SW nelze použít pro konfiguraci, aktualizujte "
                                            "funkci Stavníka na V3.0!"));
        QCOMPARE(w.LBverze1->text(), QStringLiteral("V 2.5b"));
        // While the warning was open the waiting ran out without a query.
        QCOMPARE(*capacitySentWhileOpen, 0);
        QCOMPARE(*stateWhileOpen, 0);
        QCOMPARE(w.LBcestMax1->text(), QStringLiteral("Max.cest:64"));
        QCOMPARE(w.module.sentWithLetter('M').size(), 1);
    }

    void barLabelFollowsProgressBarAtTheNextTick() {
        Window w;
        w.driver.stop();
        w.module.setSilent(true);
        w.link->readFromModule();
        QVERIFY(w.PBar1->isVisible());
        QVERIFY(!w.LBbar1->isVisible());
        w.driver.tick();
        QVERIFY(w.LBbar1->isVisible());
        answerNextBox(QMessageBox::Ok);
        while (!w.engine.isIdle()) // the capacity query's attempts time out; the bar goes with
            w.driver.tick();       // the box
        QVERIFY(QTest::qWaitFor([&] { return !w.PBar1->isVisible(); }, 2000));
        QVERIFY(w.LBbar1->isVisible());
        w.driver.tick();
        QVERIFY(!w.LBbar1->isVisible());
    }

    void boxIsNeverOpenedInsideTheTick() {
        Window w;
        w.driver.stop();
        w.module.setSilent(true);
        w.link->readFromModule();
        bool modalInTick = false;
        // A box opened inside Timer1Timer would block here; the tick must return first.
        for (int i = 0; i < 40 && !w.engine.isIdle(); ++i) { // the capacity query's attempts
            w.driver.tick();
            modalInTick |= QApplication::activeModalWidget() != nullptr;
        }
        QVERIFY(!modalInTick);
        QCOMPARE(w.engine.linkState(), 0);
        auto seen = answerNextBox(QMessageBox::Ok);
        QVERIFY(QTest::qWaitFor([&] { return !seen->text.isEmpty(); }, 2000));
        QCOMPARE(seen->text, QStringLiteral("Chyba čtení dat !"));
    }

    void verifyBoxes_data() {
        QTest::addColumn<bool>("differ");
        QTest::addColumn<QString>("text");
        QTest::newRow("equal") << false << "Data v modulu jsou shodná";
        QTest::newRow("different") << true << "Data v modulu jsou rozdílná !";
    }
    void verifyBoxes() {
        QFETCH(bool, differ);
        QFETCH(QString, text);
        ResponderOptions twenty;
        twenty.capacity = 20;
        Window w(twenty);
        if (differ) {
            w.store.image[0x12] = 0x5A;
            w.store.image[264 + 22 * 2 + 5] = 0x01;
        }
        auto details = std::make_shared<QString>();
        auto seen = std::make_shared<SeenBox>();
        onNextModal([seen, details](QWidget* wdg) {
            auto* box = qobject_cast<QMessageBox*>(wdg);
            seen->title = box->windowTitle();
            seen->text = box->text();
            seen->icon = box->icon();
            *details = box->detailedText();
            box->button(QMessageBox::Ok)->click();
        });
        w.link->verifyWithModule();
        QVERIFY(w.fastForward());
        QVERIFY(QTest::qWaitFor([&] { return !seen->text.isEmpty(); }, 5000));
        QCOMPARE(seen->text, text);
        QCOMPARE(seen->title, QStringLiteral("Information"));
        QCOMPARE(seen->icon, QMessageBox::Information);
        if (differ)
            QCOMPARE(*details, QStringLiteral("0012  hlavička, bajt 18: data 5A, modul 00\n"
                                              "0139  cesta 3, bajt 5: data 01, modul 00"));
        else
            QVERIFY(details->isEmpty());
        QVERIFY(!w.PBar1->isVisible());
    }

    void readRefillsTheGrid() {
        Window w;
        // Route 2 goes from button 3 to button 7 as a train route.
        w.module.responder().setMemoryAt(image::indexPairAddress(2), 0x80 | 3);
        w.module.responder().setMemoryAt(image::indexPairAddress(2) + 1, 7);
        auto rowText = [](RouteGrid& g, int c) {
            return g.item(1, c) ? g.item(1, c)->text() : QString();
        };
        QStringList before;
        for (int c = 0; c < w.Table1->columnCount(); ++c)
            before << rowText(*w.Table1, c);
        w.link->readFromModule();
        QVERIFY(w.fastForward());
        ConfigStore expected;
        expected.image = w.store.image;
        decodeCurrent(expected.image, expected.routes);
        RouteGrid reference;
        reference.fill(expected);
        bool changed = false;
        for (int c = 0; c < reference.columnCount(); ++c) {
            QCOMPARE(rowText(*w.Table1, c), rowText(reference, c));
            changed |= rowText(*w.Table1, c) != before[c];
        }
        QVERIFY(changed);
        QCOMPARE(w.store.route(2).fromButton, 3);
    }

    void storeDialog() {
        StoreChoiceDialog d;
        QCOMPARE(d.windowTitle(), QStringLiteral("Uložení dat do modulu"));
        QCOMPARE(d.findChild<QGroupBox*>(QStringLiteral("RGtypcest1"))->title(),
                 QStringLiteral("Data"));
        const QStringList texts{"jen konfiguraci periferií bez cest",
                                "konfig. periferií  + všechny  cesty", "pouze vybranou cestu",
                                "pouze změněná data"};
        QVERIFY(!item(&d, 3)->isEnabled()); // until the module's contents are known
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(item(&d, i)->text(), texts[i]);
            QVERIFY(!item(&d, i)->isChecked());
        }
        QCOMPARE(button(&d, "Button1")->text(), QStringLiteral("Store"));
        QCOMPARE(button(&d, "Button2")->text(), QStringLiteral("Cancel"));
        QVERIFY(!(d.windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!(d.windowFlags() & Qt::WindowMinMaxButtonsHint));

        // Nothing chosen: Store cannot be pressed, Cancel leaves the choice at -1.
        bool storeEnabled = true;
        onNextModal([&](QWidget*) {
            storeEnabled = button(&d, "Button1")->isEnabled();
            button(&d, "Button2")->click();
        });
        QCOMPARE(d.exec(), int(QDialog::Rejected));
        QVERIFY(!storeEnabled);
        QCOMPARE(d.choice(), -1);

        answerStoreDialog(2, "Button1");
        QCOMPARE(d.exec(), int(QDialog::Accepted));
        QCOMPARE(d.choice(), 2);

        // The last choice is still selected the next time; Cancel also records it.
        bool stillChecked = false;
        onNextModal([&](QWidget*) {
            stillChecked = item(&d, 2)->isChecked();
            item(&d, 0)->click();
            button(&d, "Button2")->click();
        });
        QCOMPARE(d.exec(), int(QDialog::Rejected));
        QVERIFY(stillChecked);
        QCOMPARE(d.choice(), 0);
    }

    // What each choice sends, read back or not, and the note at the end; an edit made while the
    // store runs stays out of the module and the note says so.
    void storeCommand_data() {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QByteArray>("press");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("firstAddress");
        QTest::addColumn<int>("writes");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<bool>("readBack");
        QTest::addColumn<bool>("editDuring");
        QTest::addColumn<QString>("note");
        const QString changed = QStringLiteral(". ") + linktexts::kChangedDuringStoreText;
        QTest::newRow("header") << 0 << QByteArray("Button1") << 90 << 1 << 62 << "" << true
                                << false << "Do modulu: 62 bajtů uloženo a ověřeno";
        QTest::newRow("header without read-back")
            << 0 << QByteArray("Button1") << 90 << 1 << 62 << "" << false << false
            << "Uloženo do modulu: 62 bajtů, bez ověření zpětným čtením";
        QTest::newRow("selected route 3")
            << 2 << QByteArray("Button1") << 90 << 68 << 24 << "" << true << false << "";
        QTest::newRow("route edited while stored")
            << 2 << QByteArray("Button1") << 90 << 68 << 24 << "" << true << true
            << "Do modulu: 24 bajtů uloženo a ověřeno" + changed;
        QTest::newRow("all with 20 routes")
            << 1 << QByteArray("Button1") << 20 << 1 << 703 << "" << true << false << "";
        QTest::newRow("all with capacity 255 refused")
            << 1 << QByteArray("Button1") << 255 << 0 << 0 << "Chyba zapisu dat !" << true << false
            << "";
        QTest::newRow("cancel sends nothing")
            << 1 << QByteArray("Button2") << 90 << 0 << 0 << "" << true << false << "";
    }
    void storeCommand() {
        QFETCH(int, choice);
        QFETCH(QByteArray, press);
        QFETCH(int, capacity);
        QFETCH(int, firstAddress);
        QFETCH(int, writes);
        QFETCH(QString, warning);
        QFETCH(bool, readBack);
        QFETCH(bool, editDuring);
        QFETCH(QString, note);
        Window w;
        w.store.routeCapacity = capacity;
        for (int a = 0; a < 3004; ++a)
            w.store.image[a] = static_cast<std::uint8_t>(a * 7);
        const Image before = w.store.image;
        w.Table1->selectRoute(3);
        answerStoreDialog(choice, press, readBack);
        auto box = std::make_shared<SeenBox>();
        if (!warning.isEmpty())
            onNextMessageBox(box);
        w.link->storeToModule();
        if (!warning.isEmpty()) {
            QVERIFY(QTest::qWaitFor([&] { return !box->text.isEmpty(); }, 2000));
            QCOMPARE(box->text, warning);
            QCOMPARE(box->title, QStringLiteral("Warning"));
        }
        // An edit of a byte the store has not sent yet, while it runs.
        QVERIFY(
            w.fastForward(editDuring ? 12 : -1, [&] { w.store.image[firstAddress + 20] ^= 1; }));
        const auto sent = w.module.sentWithLetter('W');
        QCOMPARE(sent.size(), writes);
        QCOMPARE(w.module.sentWithLetter('R').size(), readBack ? writes : 0);
        if (writes) {
            QCOMPARE(FakeModule::addressOf(sent.first()), firstAddress);
            for (const QByteArray& c : sent) {
                const int a = FakeModule::addressOf(c);
                QCOMPARE(w.module.responder().memoryAt(a), before[a]);
            }
        }
        if (!note.isEmpty()) // without the seconds it took
            QCOMPARE(w.statusBar->currentMessage().remove(QRegularExpression(", [0-9,]+ s")), note);
    }

    // With the backup box (ticked while nothing is known of the module) the module's contents
    // go into the history before the store overwrites them; the screen keeps its own.
    void backupBeforeStore() {
        Window w;
        QTemporaryDir dir;
        HistoryRecorder history(w.engine, w.store, dir.path());
        history.setModuleContents(&w.link->contents());
        w.link->setHistory(&history);
        w.store.routeCapacity = 20;
        for (int a = 1; a < 3004; ++a) {
            w.module.responder().setMemoryAt(a, std::uint8_t(a * 5));
            w.store.image[a] = std::uint8_t(a * 7);
        }
        const Image screen = w.store.image;
        bool backupWasOn = false;
        answerStoreDialog(transfers::Everything, "Button1", true, true, &backupWasOn);
        w.link->storeToModule();
        QVERIFY(w.fastForward());
        QCoreApplication::processEvents(); // the store follows the read
        QVERIFY(w.fastForward());
        QVERIFY(backupWasOn);
        QVERIFY(w.store.image == screen);
        history::Listing l = history::list(dir.path());
        QCOMPARE(l.entries.size(), 2);
        QCOMPARE(history::kindWord(l.entries.at(0)), QStringLiteral("store all"));
        QCOMPARE(history::kindWord(l.entries.at(1)), QStringLiteral("read"));
        QCOMPARE(history::load(l.entries[1]), QString());
        for (int a = 1; a <= 703; ++a) {
            QCOMPARE(w.module.responder().memoryAt(a), screen[a]);
            QCOMPARE(l.entries.at(1).bytes[a], std::uint8_t(a * 5));
        }
        QVERIFY(l.entries.at(0).complete());
    }

    // The store choice names the route the grid has selected, and the backup note the time at
    // the pace the link runs.
    void storeChoiceNamesRouteAndPace_data() {
        QTest::addColumn<bool>("fast");
        QTest::addColumn<QString>("pace");
        QTest::newRow("fast link") << true << "asi o 21 s";
        QTest::newRow("normal pace") << false << "asi o 45 s";
    }
    void storeChoiceNamesRouteAndPace() {
        QFETCH(bool, fast);
        QFETCH(QString, pace);
        Window w;
        w.driver.setFastLink(fast);
        w.Table1->selectRoute(7);
        QString routeItem, backupNote;
        onNextModal([&](QWidget* wdg) {
            auto* d = qobject_cast<StoreChoiceDialog*>(wdg);
            routeItem = item(d, transfers::SelectedRoute)->text();
            backupNote = d->findChild<QLabel*>(QStringLiteral("LBbackupNote"))->text();
            button(d, "Button2")->click();
        });
        w.link->storeToModule();
        QCOMPARE(routeItem, QStringLiteral("pouze vybranou cestu (7)"));
        QVERIFY2(backupNote.contains(pace), qPrintable(backupNote));
    }

    void verifyNoteSaysTheModuleDiffers() {
        ResponderOptions twenty;
        twenty.capacity = 20;
        Window w(twenty);
        w.store.image[0x12] = 0x5A;
        bool boxSeen = false;
        onNextModal([&](QWidget* box) {
            boxSeen = true;
            static_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
        });
        w.link->verifyWithModule();
        QVERIFY(w.fastForward());
        QVERIFY(QTest::qWaitFor([&] { return boxSeen; }, 5000));
        QVERIFY2(w.statusBar->currentMessage().startsWith(
                     QStringLiteral("Data v modulu jsou rozdílná: liší se 1 bajt (ověřeno")),
                 qPrintable(w.statusBar->currentMessage()));
    }

    void storeRefusedWhenLinkBusyAfterDialog() {
        Window w;
        w.driver.stop();
        onNextModal([&w](QWidget* d) {
            w.engine.startStatusPoll(); // something took the link while the dialog was open
            item(static_cast<StoreChoiceDialog*>(d), 0)->click();
            button(d, "Button1")->click();
        });
        w.link->storeToModule();
        QCOMPARE(w.engine.linkState(), 30);
        QVERIFY(!w.PBar1->isVisible());
    }
};

QTEST_MAIN(LinkDialogsTest)
#include "link_dialogs.moc"
