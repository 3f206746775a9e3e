#include "support/bytes.h"
#include "support/fakemodule.h"
#include "support/linkstates.h"
#include "support/screenshots.h"
#include "support/taborder.h"
#include "tools/ui/simulationwindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {
struct Rig {
    ConfigStore store;
    FakeModule port; // answers only what a test puts on the line
    LinkEngine engine{store, port};
    AppSettings settings;
    std::unique_ptr<SimulationWindow> form;

    explicit Rig(bool developer = false) {
        port.open(1);
        port.setSilent(true);
        settings.developer = developer;
        form = std::make_unique<SimulationWindow>(engine, settings);
    }
    // One simulation tick of the window, then the engine's tick that sends the frame; returns
    // the frame's hex bytes.
    QByteArray frame() {
        form->sendNextFrame();
        port.clearSent();
        engine.tick();
        return port.sentBytes().toHex(' ');
    }
    // The module's reply, handled by the engine's next tick.
    void reply(const QByteArray& r) {
        port.inject(r);
        engine.tick();
    }
    template <typename T> T* get(const QString& name) {
        T* c = form->findChild<T*>(name);
        if (!c)
            qWarning("no control %s", qPrintable(name));
        return c;
    }
    QString text(const char* label) { return get<QLabel>(QLatin1String(label))->text(); }
};

QByteArray simReply(int b1, int b2) {
    return bytes({0x40, b1, b2, 0, 0, 0, 0, 0, 0, '*'});
}

const char* const kDeveloperOnly[] = {"SEkolejA", "SEkolejB", "LBkolej1",  "CBvjezd1",
                                      "CBvjezd2", "LBspeedA", "SEnavREQa", "LBreqA"};
} // namespace

class ToolsSimulationWindowTest : public QObject {
    Q_OBJECT
private slots:
    void controlsAsDescribed() {
        Rig rig;
        SimulationWindow* f = rig.form.get();
        QCOMPARE(f->objectName(), QStringLiteral("TSimulForm1"));
        QCOMPARE(f->windowTitle(), QStringLiteral("Simulace STAVNIK č.2"));
        for (int n = 1; n <= 15; ++n) {
            auto* box = rig.get<QComboBox>(QStringLiteral("CBoxNav%1").arg(n));
            QVERIFY(box);
            QVERIFY(box->isEditable());
            QCOMPARE(box->count(), 4);
            QCOMPARE(box->itemText(0), QStringLiteral("STUJ"));
            QCOMPARE(box->itemText(1), QStringLiteral("40km/h"));
            QCOMPARE(box->itemText(2), QStringLiteral("přivolávací n."));
            QCOMPARE(box->itemText(3), QStringLiteral("VOLNO"));
            QCOMPARE(box->currentIndex(), 0);
            QCOMPARE(box->toolTip(), QStringLiteral("Vyberte signální kód"));
            bool labelled = false;
            for (QLabel* l : f->findChildren<QLabel*>())
                labelled |= l->buddy() == box && l->text() == QStringLiteral("Návěst %1").arg(n);
            QVERIFY2(labelled, qPrintable(box->objectName()));
        }
        for (int k = 1; k <= 16; ++k) {
            QCOMPARE(rig.get<QCheckBox>(QStringLiteral("CBsen%1").arg(k))->text(),
                     QStringLiteral("S%1").arg(k));
            QCOMPARE(rig.get<QCheckBox>(QStringLiteral("CBdet%1").arg(k))->text(),
                     QStringLiteral("D%1").arg(k));
        }
        const struct {
            const char* name;
            const char* text;
        } labels[] = {{"Label22", "Stavník se dotazuje na návěsti č. "},
                      {"LBreqNavA", "0"},
                      {"Label23", "a"},
                      {"LBreqNavB", "0"},
                      {"Label10", "Simul senzoru"},
                      {"Label9", "Simul obsazeni"},
                      {"Label21", "Příjato zpráv:"},
                      {"LBtikRX", "0"},
                      {"LBreqA", "Req NavA"},
                      {"LBspeedA", "A="},
                      {"LBkolej1", "Kolej A/B"},
                      {"Label11", "Upozornění:"},
                      {"Label12", "Pro simulaci komunikace STVNIK <-> STVNIK"},
                      {"Label13", "nutno odpojit konfig. propojku na DPS"}};
        for (const auto& l : labels)
            QCOMPARE(rig.text(l.name), QString::fromUtf8(l.text));
        QVERIFY(rig.get<QLabel>("Label11")->font().bold());
        QVERIFY(rig.get<QLabel>("LBreqNavA")->font().bold());
        QVERIFY(rig.get<QLabel>("LBreqNavB")->font().bold());
        QCOMPARE(rig.get<QPushButton>("Button1")->text(), QStringLiteral("ZAVŘÍT"));

        const struct {
            const char* name;
            int max;
            const char* hint;
        } spins[] = {{"SEnavREQa", 21, "zadost o rychlost navesti"},
                     {"SEkolejA", 15, "Simulace cisla koleje"},
                     {"SEkolejB", 15, "Simulace obsaz. koleje"}};
        for (const auto& s : spins) {
            auto* spin = rig.get<QSpinBox>(QLatin1String(s.name));
            QCOMPARE(spin->minimum(), 0);
            QCOMPARE(spin->maximum(), s.max);
            QCOMPARE(spin->value(), 0);
            QCOMPARE(spin->toolTip(), QString::fromUtf8(s.hint));
        }
        for (const char* name : {"CBvjezd1", "CBvjezd2"}) {
            auto* box = rig.get<QCheckBox>(QLatin1String(name));
            QCOMPARE(box->text(), QStringLiteral("S1"));
            QCOMPARE(box->toolTip(), QStringLiteral("Směr vjezdu"));
            QVERIFY(!box->isChecked());
        }
        auto* timer = f->findChild<QTimer*>("Timer1");
        QVERIFY(timer);
        QCOMPARE(timer->interval(), 600);
        QVERIFY2(!timer->isActive(), "off until the window is shown");
    }

    void tabGoesSignalsThenInputs() {
        Rig rig(true);
        QStringList expected = numbered("CBoxNav", 1, 15) << "SEnavREQa";
        for (int n = 1; n <= 16; ++n)
            expected << QString("CBsen%1").arg(n) << QString("CBdet%1").arg(n);
        expected << "SEkolejA"
                 << "SEkolejB"
                 << "CBvjezd1"
                 << "CBvjezd2"
                 << "Button1";
        QCOMPARE(tabOrder(rig.form.get()), expected);
    }

    void developerControls_data() {
        QTest::addColumn<bool>("developer");
        QTest::newRow("user") << false;
        QTest::newRow("developer") << true;
    }
    void developerControls() {
        QFETCH(bool, developer);
        Rig rig(developer);
        rig.form->show();
        for (const char* name : kDeveloperOnly)
            QVERIFY2(rig.get<QWidget>(QLatin1String(name))->isVisible() == developer, name);
        rig.form->close();
    }

    // Every frame example, from the controls as a user sets them.
    void frames_data() {
        QTest::addColumn<bool>("developer");
        QTest::addColumn<QStringList>("ticked"); // check boxes to tick
        QTest::addColumn<QList<int>>("spins");   // SEnavREQa, SEkolejA, SEkolejB; -n: n, emptied
        QTest::addColumn<QString>("frame");
        QTest::newRow("nothing changed")
            << false << QStringList() << QList<int>{0, 0, 0} << "40 00 00 00 00 00 00 00 00 2a";
        QTest::newRow("S9 and D16") << false << QStringList{"CBsen9", "CBdet16"}
                                    << QList<int>{0, 0, 0} << "40 00 00 00 00 00 80 01 00 2a";
        QTest::newRow("S1 S8 D1 D9") << false << QStringList{"CBsen1", "CBsen8", "CBdet1", "CBdet9"}
                                     << QList<int>{0, 0, 0} << "40 00 00 00 01 81 01 00 00 2a";
        QTest::newRow("track in developer mode")
            << true << QStringList() << QList<int>{0, 5, 2} << "40 00 00 25 00 00 00 00 00 2a";
        QTest::newRow("track ignored without developer mode")
            << false << QStringList() << QList<int>{0, 5, 2} << "40 00 00 00 00 00 00 00 00 2a";
        QTest::newRow("emptied boxes read 0")
            << true << QStringList() << QList<int>{-21, -5, -2} << "40 00 00 00 00 00 00 00 00 2a";
        QTest::newRow("own question")
            << true << QStringList() << QList<int>{21, 0, 0} << "40 15 00 00 00 00 00 00 00 2a";
        QTest::newRow("entry directions stay out")
            << true << QStringList{"CBvjezd1", "CBvjezd2"} << QList<int>{0, 0, 0}
            << "40 00 00 00 00 00 00 00 00 2a";
    }
    void frames() {
        QFETCH(bool, developer);
        QFETCH(QStringList, ticked);
        QFETCH(QList<int>, spins);
        QFETCH(QString, frame);
        Rig rig(developer);
        rig.form->show();
        for (const QString& name : ticked) {
            auto* box = rig.get<QCheckBox>(name);
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
            QVERIFY(box->isChecked());
        }
        const char* names[] = {"SEnavREQa", "SEkolejA", "SEkolejB"};
        for (int i = 0; i < 3; ++i) {
            auto* spin = rig.get<QSpinBox>(QLatin1String(names[i]));
            spin->setValue(qAbs(spins[i]));
            if (spins[i] < 0) {
                spin->setFocus();
                spin->selectAll();
                QTest::keyClick(spin, Qt::Key_Backspace);
            }
        }
        QCOMPARE(QString::fromLatin1(rig.frame()), frame);
        rig.form->close();
    }

    // A reply's questions are answered in the next frame; the labels show the last reply.
    void repliesAnsweredAndShown_data() {
        QTest::addColumn<int>("b1");
        QTest::addColumn<int>("b2");
        QTest::addColumn<int>("box3");
        QTest::addColumn<int>("box5");
        QTest::addColumn<QStringList>("labels"); // LBreqNavA, LBreqNavB, LBspeedA
        QTest::addColumn<QString>("next");       // data bytes 1 and 2 of the next frame
        QTest::newRow("signals 3 and 5")
            << 0x63 << 0x05 << 3 << 1 << QStringList{"3", "5", "3"} << "60 20";
        QTest::newRow("emptied box answers 3")
            << 0x03 << 0x05 << -1 << 2 << QStringList{"3", "5", "0"} << "60 40";
        QTest::newRow("signal 0 and 16 get 0")
            << 0x40 << 0x10 << 3 << 3 << QStringList{"0", "16", "2"} << "00 00";
        QTest::newRow("signal 31 gets 0")
            << 0x1F << 0x7F << 3 << 3 << QStringList{"31", "31", "0"} << "00 00";
        QTest::newRow("STUJ answers 0")
            << 0x05 << 0x03 << 0 << 0 << QStringList{"5", "3", "0"} << "00 00";
    }
    void repliesAnsweredAndShown() {
        QFETCH(int, b1);
        QFETCH(int, b2);
        QFETCH(int, box3);
        QFETCH(int, box5);
        QFETCH(QStringList, labels);
        QFETCH(QString, next);
        Rig rig(true);
        rig.form->show();
        rig.get<QComboBox>("CBoxNav3")->setCurrentIndex(box3);
        rig.get<QComboBox>("CBoxNav5")->setCurrentIndex(box5);
        QCOMPARE(rig.text("LBspeedA"), QStringLiteral("A="));
        QCOMPARE(QString::fromLatin1(rig.frame()), QStringLiteral("40 00 00 00 00 00 00 00 00 2a"));
        QCOMPARE(rig.text("LBspeedA"), QStringLiteral("0"));
        rig.reply(simReply(b1, b2));
        QCOMPARE(rig.text("LBtikRX"), QStringLiteral("0")); // shown on the window's next tick
        const QByteArray f = rig.frame();
        QCOMPARE(QString::fromLatin1(f.mid(3, 5)), next);
        QCOMPARE(rig.text("LBtikRX"), QStringLiteral("1"));
        QCOMPARE((QStringList{rig.text("LBreqNavA"), rig.text("LBreqNavB"), rig.text("LBspeedA")}),
                 labels);
        rig.form->close();
    }

    // Typed text that names no aspect counts as no entry chosen and answers 3.
    void typedAspect() {
        Rig rig;
        rig.form->show();
        auto* box = rig.get<QComboBox>("CBoxNav7");
        box->lineEdit()->selectAll();
        QTest::keyClicks(box->lineEdit(), "xyz");
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        QCOMPARE(box->count(), 4);
        rig.frame();
        rig.reply(simReply(0x07, 0x00));
        QCOMPARE(rig.frame().mid(3, 2), QByteArray("60"));
        rig.form->close();
    }

    // Only a reply of exactly ten bytes ending in "*" counts.
    void malformedRepliesNotCounted_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("counted");
        QTest::newRow("ten bytes") << simReply(0x63, 0x05) << 1;
        QTest::newRow("nine bytes") << bytes({0x40, 0x63, 5, 0, 0, 0, 0, 0, '*'}) << 0;
        QTest::newRow("eleven together") << simReply(0x63, 0x05) + '*' << 0;
        QTest::newRow("no star") << bytes({0x40, 0x63, 5, 0, 0, 0, 0, 0, 0, 0}) << 0;
    }
    void malformedRepliesNotCounted() {
        QFETCH(QByteArray, reply);
        QFETCH(int, counted);
        Rig rig;
        rig.form->show();
        rig.frame();
        rig.reply(reply);
        rig.frame();
        QCOMPARE(rig.text("LBtikRX"), QString::number(counted));
        QCOMPARE(rig.text("LBreqNavA"), counted ? QStringLiteral("3") : QStringLiteral("0"));
        rig.form->close();
    }

    // A tick while the link does something else asks for no frame.
    void busyLinkSendsNothing_data() {
        QTest::addColumn<int>("state");
        for (int s : {5, 11, 15, 21, 30, 33, 35, 40})
            QTest::addRow("state %d", s) << s;
    }
    void busyLinkSendsNothing() {
        QFETCH(int, state);
        Rig rig;
        rig.form->show();
        rig.get<QCheckBox>("CBsen2")->setChecked(true);
        QVERIFY(reachLinkState(rig.engine, rig.port, state));
        rig.form->sendNextFrame();
        QCOMPARE(rig.engine.linkState(), state);
        rig.port.clearSent();
        rig.engine.tick();
        for (const QByteArray& c : rig.port.sent())
            QVERIFY(c.size() != 10);
        rig.form->close();
    }

    // Closing ends only the simulation exchange, however the window is closed.
    void closing_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("after");
        for (const char* how : {"ZAVŘÍT", "frame", "Escape"})
            for (int s : {0, 42, 43, 11, 15, 22, 31, 36, 40})
                QTest::addRow("%s %d", how, s)
                    << QString::fromUtf8(how) << s << (s == 42 || s == 43 ? 0 : s);
    }
    void closing() {
        QFETCH(QString, how);
        QFETCH(int, state);
        QFETCH(int, after);
        Rig rig;
        rig.form->show();
        auto* timer = rig.form->findChild<QTimer*>("Timer1");
        QVERIFY(timer->isActive());
        QVERIFY(reachLinkState(rig.engine, rig.port, state));
        if (how == "ZAVŘÍT")
            QTest::mouseClick(rig.get<QPushButton>("Button1"), Qt::LeftButton);
        else if (how == "frame")
            QVERIFY(rig.form->close());
        else
            QTest::keyClick(rig.form.get(), Qt::Key_Escape);
        QVERIFY(!rig.form->isVisible());
        QVERIFY(!timer->isActive());
        QCOMPARE(rig.engine.linkState(), after);
        if (how == "ZAVŘÍT")
            QCOMPARE(rig.form->result(), int(QDialog::Accepted));
    }

    // The counter, the choices and the last values survive closing and reopening.
    void reopeningContinues() {
        Rig rig;
        rig.form->show();
        rig.get<QComboBox>("CBoxNav4")->setCurrentIndex(2);
        rig.get<QCheckBox>("CBdet3")->setChecked(true);
        for (int i = 0; i < 3; ++i) {
            rig.frame();
            rig.reply(simReply(0x24, 0x0E));
        }
        rig.form->sendNextFrame();
        QCOMPARE(rig.text("LBtikRX"), QStringLiteral("3"));
        rig.form->close();
        QCOMPARE(rig.engine.linkState(), 0);
        rig.form->show();
        QCOMPARE(rig.text("LBtikRX"), QStringLiteral("3"));
        QCOMPARE(rig.text("LBreqNavA"), QStringLiteral("4"));
        QCOMPARE(rig.get<QComboBox>("CBoxNav4")->currentIndex(), 2);
        QVERIFY(rig.get<QCheckBox>("CBdet3")->isChecked());
        QCOMPARE(QString::fromLatin1(rig.frame()), QStringLiteral("40 40 00 00 04 00 00 00 00 2a"));
        rig.reply(simReply(0x24, 0x0E));
        rig.form->sendNextFrame();
        QCOMPARE(rig.text("LBtikRX"), QStringLiteral("4"));
        rig.form->close();
    }

    // With the real timers: the first frame 600 ms after opening, then one a tick, and the
    // engine waits in 43 between them.
    void timerDrivesTheExchange() {
        Rig rig;
        QTimer engineTimer;
        QObject::connect(&engineTimer, &QTimer::timeout, [&] { rig.engine.tick(); });
        engineTimer.start(20);
        QElapsedTimer clock;
        clock.start();
        rig.form->show();
        QTRY_VERIFY_WITH_TIMEOUT(!rig.port.sent().isEmpty(), 2000);
        QVERIFY2(clock.elapsed() >= 550, "no frame before the first tick");
        QCOMPARE(rig.engine.linkState(), 43);
        QTRY_COMPARE_WITH_TIMEOUT(rig.port.sentBytes().size(), 20, 2000);
        rig.form->close();
        rig.port.clearSent();
        QTest::qWait(700);
        QCOMPARE(rig.port.sentBytes(), QByteArray());
    }

    void screenshot() {
        Rig rig(true);
        rig.form->show();
        rig.get<QComboBox>("CBoxNav3")->setCurrentIndex(3);
        rig.get<QComboBox>("CBoxNav5")->setCurrentIndex(1);
        rig.get<QCheckBox>("CBsen2")->setChecked(true);
        rig.get<QCheckBox>("CBdet11")->setChecked(true);
        rig.frame();
        rig.reply(simReply(0x63, 0x05));
        rig.frame();
        const QImage shot = rig.form->grab().toImage();
        QVERIFY(!shot.isNull());
        // Everything fits: the window is at least as large as its layout asks.
        QVERIFY(rig.form->width() >= rig.form->sizeHint().width());
        const QString dir = screenshotFolder();
        if (!dir.isEmpty())
            QVERIFY(shot.save(QDir(dir).filePath("simul.png")));
        rig.form->close();
    }
};

QTEST_MAIN(ToolsSimulationWindowTest)
#include "tools_simulationwindow.moc"
