#include "support/bytes.h"
#include "support/fakemodule.h"
#include "support/linkstates.h"
#include "support/screenshots.h"
#include "support/taborder.h"
#include "tools/ui/manualtestwindow.h"
#include "widgets/controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {
// A link engine on a line where nothing answers unless a test puts the reply there, and the two
// test windows as the program creates them.
struct Rig {
    ConfigStore store;
    FakeModule port;
    LinkEngine engine{store, port};
    AppSettings settings;
    std::unique_ptr<ModuleTestWindow> stv2;
    std::unique_ptr<ExpansionTestWindow> exp2;

    explicit Rig(bool developer = false) {
        port.open(1);
        port.setSilent(true);
        settings.developer = developer;
        stv2 = std::make_unique<ModuleTestWindow>(engine, settings);
        exp2 = std::make_unique<ExpansionTestWindow>(engine, settings);
    }
    ManualTestWindow* form(const QString& which) {
        return which == QLatin1String("EXP2") ? static_cast<ManualTestWindow*>(exp2.get())
                                              : static_cast<ManualTestWindow*>(stv2.get());
    }
    // What the line carried over the next ticks.
    QByteArray sent(int ticks = 1) {
        port.clearSent();
        for (int i = 0; i < ticks; ++i)
            engine.tick();
        return port.sentBytes();
    }
};

template <typename T> T* child(QWidget* w, const QString& name) {
    T* c = w->findChild<T*>(name);
    if (!c)
        qWarning("no control %s", qPrintable(name));
    return c;
}

QPushButton* button(QWidget* w, const char* name) {
    return child<QPushButton>(w, QLatin1String(name));
}

void click(QWidget* w, const char* name) {
    QPushButton* b = button(w, name);
    QVERIFY(b);
    QVERIFY2(b->isEnabled(), name);
    QTest::mouseClick(b, Qt::LeftButton);
}

QString pointSpin(ManualTestWindow* f) {
    return QLatin1String(f->config().pointSpinName);
}
QString positionGroup(ManualTestWindow* f) {
    return QLatin1String(f->config().positionGroupName);
}

// Chooses a position the way a user does: a click on the radio button; -1 clears the group.
void choosePosition(ManualTestWindow* f, int index) {
    auto* group = child<RadioGroup>(f, positionGroup(f));
    QVERIFY(group);
    if (index < 0) {
        group->setItemIndex(-1);
        return;
    }
    auto* radio = child<QRadioButton>(group, positionGroup(f) + QString::number(index));
    QVERIFY(radio);
    QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(4, radio->height() / 2));
    QCOMPARE(group->itemIndex(), index);
}

// 0 empties the box instead of typing a number.
void typeInto(QSpinBox* box, int value) {
    box->setFocus();
    box->selectAll();
    if (value == 0)
        QTest::keyClick(box, Qt::Key_Backspace);
    else
        QTest::keyClicks(box, QString::number(value));
}

int position(ManualTestWindow* f) {
    return child<RadioGroup>(f, positionGroup(f))->itemIndex();
}

QColor lamp(QWidget* f, const QString& name) {
    auto* l = child<LampShape>(f, name);
    return l ? l->brushColor() : QColor();
}

QString lampLetters(QWidget* f, const char* prefix, int count) {
    QString s;
    for (int k = 1; k <= count; ++k) {
        const QColor c = lamp(f, QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(k));
        if (c == QColor(255, 255, 255))
            s += 'W';
        else if (c == QColor(255, 255, 0))
            s += 'Y';
        else if (c == QColor(0, 128, 0))
            s += 'G';
        else if (c == QColor(255, 0, 0))
            s += 'R';
        else if (c == QColor(0, 255, 255))
            s += 'A';
        else
            s += '?';
    }
    return s;
}
} // namespace

class ToolsManualTestWindowTest : public QObject {
    Q_OBJECT

    static void bothWindows() {
        QTest::addColumn<QString>("which");
        QTest::newRow("TManualForm2") << "STV2";
        QTest::newRow("TManualFormEX2") << "EXP2";
    }

private slots:
    void controlsAsDescribed_data() {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("windowClass");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("pointSpin");
        QTest::addColumn<int>("pointMin");
        QTest::addColumn<int>("pointMax");
        QTest::addColumn<int>("signalMin");
        QTest::addColumn<int>("signalMax");
        QTest::addColumn<int>("firstRelay");
        QTest::addColumn<QStringList>("lampCaptions");
        QTest::addColumn<bool>("bars");
        QTest::newRow("STV2")
            << "STV2"
            << "TManualForm2"
            << "ModuleTestWindow"
            << "Test a manuální řízení periferií" << QSize(456, 383) << "SEvyh1a" << 1 << 8 << 1
            << 15 << 1
            << QStringList{"SN1      snímač      SN8", "DET1    obsazení    DET8",
                           "TL1      tlačítko       TL8                        TL14"}
            << false;
        QTest::newRow("EXP2") << "EXP2"
                              << "TManualFormEX2"
                              << "ExpansionTestWindow"
                              << "Test a manuální řízení periferií EXP jednotky" << QSize(465, 387)
                              << "SEvyh1" << 9 << 16 << 17 << 23 << 17
                              << QStringList{"SN9       snímač      SN16",
                                             "DET9    obsazení   DET16",
                                             "TL15     tlačítko       TL22"}
                              << true;
    }
    void controlsAsDescribed() {
        QFETCH(QString, which);
        QFETCH(QString, className);
        QFETCH(QString, windowClass);
        QFETCH(QString, caption);
        QFETCH(QSize, size);
        QFETCH(QString, pointSpin);
        QFETCH(int, pointMin);
        QFETCH(int, pointMax);
        QFETCH(int, signalMin);
        QFETCH(int, signalMax);
        QFETCH(int, firstRelay);
        QFETCH(QStringList, lampCaptions);
        QFETCH(bool, bars);
        Rig rig;
        ManualTestWindow* f = rig.form(which);
        QCOMPARE(f->objectName(), className);
        QCOMPARE(QString::fromLatin1(f->metaObject()->className()), windowClass);
        QCOMPARE(f->windowTitle(), caption);
        QVERIFY(f->width() >= size.width() && f->height() >= size.height());

        auto* spin = child<QSpinBox>(f, pointSpin);
        QVERIFY(spin);
        QCOMPARE(spin->minimum(), pointMin);
        QCOMPARE(spin->maximum(), pointMax);
        QCOMPARE(spin->value(), pointMin);
        QCOMPARE(spin->toolTip(), QStringLiteral("Vyberte číslo přestavníku"));
        auto* group = child<RadioGroup>(f, positionGroup(f));
        QVERIFY(group);
        QCOMPARE(group->title(), QStringLiteral("poloha"));
        QCOMPARE(group->itemIndex(), -1);
        QStringList items;
        for (QRadioButton* r : group->findChildren<QRadioButton*>())
            items << r->text();
        QCOMPARE(items, (QStringList{"rovně", "odbočka"}));

        auto* signal = child<QSpinBox>(f, "SEnav1");
        QVERIFY(signal);
        QCOMPARE(signal->minimum(), signalMin);
        QCOMPARE(signal->maximum(), signalMax);
        QCOMPARE(signal->value(), signalMin);
        QCOMPARE(signal->toolTip(), QStringLiteral("Vyberte číslo přestavníku"));

        for (int k = 1; k <= 16; ++k) {
            auto* box = child<QCheckBox>(f, QStringLiteral("CBrele%1").arg(k));
            QVERIFY(box);
            QCOMPARE(box->text(), QStringLiteral("R%1").arg(firstRelay + k - 1));
            QVERIFY(!box->isChecked());
        }

        const QStringList texts = {"přestavník č.", "relé", "návěstidlo"};
        const char* labels[] = {"LBbar1", "Label5", "Label1"};
        for (int i = 0; i < 3; ++i)
            QCOMPARE(child<QLabel>(f, labels[i])->text(), texts[i]);
        for (const char* name : {"Button1", "Button2", "Button4"})
            QCOMPARE(button(f, name)->text(), QStringLiteral("Set"));
        QCOMPARE(button(f, "Button5")->text(), QStringLiteral("Čtení vstupu ZAP"));
        QCOMPARE(button(f, "Button3")->text(), QStringLiteral("ZAVŘÍT"));
        QVERIFY(button(f, "Button3")->font().bold());
        QCOMPARE(button(f, "BTtestINC")->text(), QStringLiteral("test INC"));
        QCOMPARE(child<QCheckBox>(f, "CBswap")->text(), QStringLiteral("swap HI/LO"));

        QStringList shownCaptions;
        for (QLabel* l : f->findChildren<QLabel*>())
            if (lampCaptions.contains(l->text()))
                shownCaptions << l->text();
        shownCaptions.sort();
        lampCaptions.sort();
        QCOMPARE(shownCaptions, lampCaptions);

        QCOMPARE(f->findChildren<LampShape*>().size(), 32);
        for (LampShape* l : f->findChildren<LampShape*>()) {
            QCOMPARE(l->size(), QSize(9, 17));
            const bool wide = l->objectName() == "ShTL8" || l->objectName() == "ShSN8";
            QCOMPARE(l->penWidth(), wide ? 2 : 1);
        }
        for (const char* bar : {"Shape1", "Shape2"}) {
            auto* shape = f->findChild<QFrame*>(QLatin1String(bar));
            QCOMPARE(shape != nullptr, bars);
            if (shape)
                QCOMPARE(shape->palette().color(QPalette::Window), QColor(0, 128, 128));
        }
        auto* timer = f->findChild<QTimer*>("Timer1");
        QVERIFY(timer);
        QCOMPARE(timer->interval(), 250);
        QVERIFY(timer->isActive());
    }

    void tabGoesRowByRow_data() { bothWindows(); }
    void tabGoesRowByRow() {
        QFETCH(QString, which);
        Rig rig(true);
        ManualTestWindow* f = rig.form(which);
        const QString group = positionGroup(f);
        const QStringList expected =
            QStringList{pointSpin(f), group + "0", group + "1", "BTtestINC", "Button1"} +
            numbered("CBrele", 1, 16) + QStringList{"CBswap",  "Button2", "SEnav1", "CBox1navest",
                                                    "Button4", "Button5", "Button3"};
        QCOMPARE(tabOrder(f), expected);
    }

    void signalCodeList_data() { bothWindows(); }
    void signalCodeList() {
        QFETCH(QString, which);
        Rig rig;
        auto* box = child<QComboBox>(rig.form(which), "CBox1navest");
        QVERIFY(box);
        QVERIFY(box->isEditable());
        QCOMPARE(box->currentIndex(), -1);
        QCOMPARE(box->lineEdit()->placeholderText(), QStringLiteral("kód návěsti"));
        QCOMPARE(box->count(), 16);
        QCOMPARE(box->itemText(0), QStringLiteral("0:  [--č--]  STOP    ( posuv zakázán )"));
        QCOMPARE(box->itemText(3), QStringLiteral("3:  [ž*----] volno (příští náv. 40kmh)"));
        QCOMPARE(box->itemText(10), QStringLiteral("10:[--čb-]  nezabezpečený posun"));
        QCOMPARE(box->itemText(15), QStringLiteral("15:[ž--bž]  opakovací navěst "));
        for (int i = 0; i < 16; ++i)
            QVERIFY(box->itemText(i).startsWith(QString::number(i) + ':'));
    }

    void developerControls_data() {
        QTest::addColumn<QString>("which");
        QTest::addColumn<bool>("developer");
        QTest::newRow("STV2 user") << "STV2" << false;
        QTest::newRow("STV2 developer") << "STV2" << true;
        QTest::newRow("EXP2 user") << "EXP2" << false;
        QTest::newRow("EXP2 developer") << "EXP2" << true;
    }
    void developerControls() {
        QFETCH(QString, which);
        QFETCH(bool, developer);
        Rig rig(developer);
        ManualTestWindow* f = rig.form(which);
        f->show();
        auto* swap = child<QCheckBox>(f, "CBswap");
        QCOMPARE(swap->isVisible(), developer);
        QCOMPARE(swap->isEnabled(), developer);
        QCOMPARE(button(f, "BTtestINC")->isVisible(), developer);
        QCOMPARE(button(f, "BTtestINC")->isEnabled(), developer);
        if (developer) {
            swap->setChecked(true);
            f->close();
            f->show();
            QVERIFY2(!swap->isChecked(), "opening unticks swap HI/LO");
        }
        f->close();
    }

    // Every command example of the two windows, set up through the controls.
    void setSendsExactBytes_data() {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("setButton");
        QTest::addColumn<int>("number");        // point machine or signal number typed; 0 empties
        QTest::addColumn<int>("choice");        // position or signal code item; -1 none
        QTest::addColumn<QList<int>>("relays"); // CBrele boxes to tick
        QTest::addColumn<QByteArray>("expected");
        const QList<int> none;
        QTest::newRow("STV2 point 1 rovně")
            << "STV2"
            << "Button1" << 1 << 0 << none << bytes({0x40, 0x54, 0x00, 0x01, 0x01, 0x01, 0x2A});
        QTest::newRow("STV2 point 1 no position")
            << "STV2"
            << "Button1" << 1 << -1 << none << bytes({0x40, 0x54, 0x00, 0x00, 0x01, 0x01, 0x2A});
        QTest::newRow("STV2 point 8 odbočka")
            << "STV2"
            << "Button1" << 8 << 1 << none << bytes({0x40, 0x54, 0x07, 0x02, 0x01, 0x01, 0x2A});
        QTest::newRow("STV2 point emptied reads 1")
            << "STV2"
            << "Button1" << 0 << 0 << none << bytes({0x40, 0x54, 0x00, 0x01, 0x01, 0x01, 0x2A});
        QTest::newRow("STV2 relays R1 R16") << "STV2"
                                            << "Button2" << 0 << 0 << QList<int>{1, 16}
                                            << bytes({0x40, 0x45, 0x01, 0x80, 0x01, 0x01, 0x2A});
        QTest::newRow("STV2 relays none")
            << "STV2"
            << "Button2" << 0 << 0 << none << bytes({0x40, 0x45, 0x00, 0x00, 0x01, 0x01, 0x2A});
        QTest::newRow("STV2 signal no code")
            << "STV2"
            << "Button4" << 1 << -1 << none << bytes({0x40, 0x4E, 0x01, 0xFF, 0x01, 0x01, 0x2A});
        QTest::newRow("STV2 signal 15 code 13")
            << "STV2"
            << "Button4" << 15 << 13 << none << bytes({0x40, 0x4E, 0x0F, 0x0D, 0x01, 0x01, 0x2A});
        QTest::newRow("EXP2 point 9 rovně")
            << "EXP2"
            << "Button1" << 9 << 0 << none << bytes({0x40, 0x54, 0x00, 0x04, 0x01, 0x01, 0x2A});
        QTest::newRow("EXP2 point 16 odbočka")
            << "EXP2"
            << "Button1" << 16 << 1 << none << bytes({0x40, 0x54, 0x07, 0x08, 0x01, 0x01, 0x2A});
        QTest::newRow("EXP2 point 12 no position")
            << "EXP2"
            << "Button1" << 12 << -1 << none << bytes({0x40, 0x54, 0x03, 0x00, 0x01, 0x01, 0x2A});
        QTest::newRow("EXP2 relays R17 R32") << "EXP2"
                                             << "Button2" << 0 << 0 << QList<int>{1, 16}
                                             << bytes({0x40, 0x46, 0x01, 0x80, 0x01, 0x01, 0x2A});
        QTest::newRow("EXP2 relays R24 R25") << "EXP2"
                                             << "Button2" << 0 << 0 << QList<int>{8, 9}
                                             << bytes({0x40, 0x46, 0x80, 0x01, 0x01, 0x01, 0x2A});
        QTest::newRow("EXP2 signal 17 code 1")
            << "EXP2"
            << "Button4" << 17 << 1 << none << bytes({0x40, 0x4E, 0x11, 0x01, 0x01, 0x01, 0x2A});
        QTest::newRow("EXP2 signal emptied reads 17")
            << "EXP2"
            << "Button4" << 0 << 1 << none << bytes({0x40, 0x4E, 0x11, 0x01, 0x01, 0x01, 0x2A});
        QTest::newRow("EXP2 signal typed 2 reads 17")
            << "EXP2"
            << "Button4" << 2 << 1 << none << bytes({0x40, 0x4E, 0x11, 0x01, 0x01, 0x01, 0x2A});
        QTest::newRow("EXP2 signal 23 no code")
            << "EXP2"
            << "Button4" << 23 << -1 << none << bytes({0x40, 0x4E, 0x17, 0xFF, 0x01, 0x01, 0x2A});
    }
    void setSendsExactBytes() {
        QFETCH(QString, which);
        QFETCH(QString, setButton);
        QFETCH(int, number);
        QFETCH(int, choice);
        QFETCH(QList<int>, relays);
        QFETCH(QByteArray, expected);
        Rig rig;
        ManualTestWindow* f = rig.form(which);
        f->show();
        // Each box first holds its maximum, so that a box read as "the number it held before"
        // shows in the bytes.
        for (const QString& name : {pointSpin(f), QStringLiteral("SEnav1")})
            child<QSpinBox>(f, name)->setValue(child<QSpinBox>(f, name)->maximum());
        if (setButton == "Button1") {
            typeInto(child<QSpinBox>(f, pointSpin(f)), number);
            choosePosition(f, choice);
        } else if (setButton == "Button4") {
            typeInto(child<QSpinBox>(f, "SEnav1"), number);
            child<QComboBox>(f, "CBox1navest")->setCurrentIndex(choice);
        }
        for (int k : relays)
            QTest::mouseClick(child<QCheckBox>(f, QStringLiteral("CBrele%1").arg(k)),
                              Qt::LeftButton, {}, QPoint(4, 6));
        click(f, setButton.toLatin1().constData());
        QCOMPARE(rig.engine.linkState(), 40);
        QCOMPARE(rig.sent().toHex(' '), expected.toHex(' '));
        QCOMPARE(rig.engine.linkState(), 0);
        QCOMPARE(rig.sent(), QByteArray()); // sent once
        f->close();
    }

    // A typed signal code that names no entry goes out as "none chosen".
    void typedSignalCode() {
        Rig rig;
        ManualTestWindow* f = rig.form("STV2");
        f->show();
        auto* box = child<QComboBox>(f, "CBox1navest");
        box->setCurrentIndex(4);
        box->lineEdit()->selectAll();
        QTest::keyClicks(box->lineEdit(), "nesmysl");
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        QCOMPARE(box->count(), 16);
        click(f, "Button4");
        QCOMPARE(rig.sent().toHex(' '), bytes({0x40, 0x4E, 0x01, 0xFF, 1, 1, 0x2A}).toHex(' '));
        // Pasted rather than typed: the test's key clicks know only ASCII.
        box->lineEdit()->selectAll();
        box->lineEdit()->insert(QStringLiteral("2:  [ž----]  výstraha (příští náv. STUJ)"));
        click(f, "Button4");
        QCOMPARE(rig.sent().toHex(' '), bytes({0x40, 0x4E, 0x01, 0x02, 1, 1, 0x2A}).toHex(' '));
        f->close();
    }

    // Enter in a number box confirms the number and presses no button.
    void enterPressesNothing_data() { bothWindows(); }
    void enterPressesNothing() {
        QFETCH(QString, which);
        Rig rig(true);
        ManualTestWindow* f = rig.form(which);
        f->show();
        for (const QString& name : {pointSpin(f), QStringLiteral("SEnav1")}) {
            auto* spin = child<QSpinBox>(f, name);
            typeInto(spin, spin->maximum());
            QTest::keyClick(spin, Qt::Key_Return);
        }
        QTest::keyClick(child<QComboBox>(f, "CBox1navest"), Qt::Key_Return);
        QCOMPARE(rig.engine.linkState(), 0);
        QCOMPARE(rig.sent(), QByteArray());
        QVERIFY(f->isVisible());
        f->close();
    }

    // Busy link: the command is only prepared; a later press replaces it.
    void setWhileBusyOnlyPrepares_data() { bothWindows(); }
    void setWhileBusyOnlyPrepares() {
        QFETCH(QString, which);
        Rig rig;
        ManualTestWindow* f = rig.form(which);
        f->show();
        // Busy with a capacity query that stays unanswered, quiet on the line.
        QVERIFY(reachLinkState(rig.engine, rig.port, stateNumber(LinkState::IdentCapacityWait1)));
        click(f, "Button1");
        click(f, "Button4");
        QCOMPARE(rig.engine.linkState(), stateNumber(LinkState::IdentCapacityWait1));
        QCOMPARE(rig.sent(3), QByteArray());
        QCOMPARE(rig.engine.linkState(), 0);
        click(f, "Button2");
        QCOMPARE(rig.sent().at(1), which == "STV2" ? 'E' : 'F');
        f->close();
    }

    // With swap ticked: high byte first, then low byte first, and so on; each window alternates
    // on its own.
    void swapToggles_data() {
        QTest::addColumn<QString>("presses");  // s = STV2 Set, e = EXP2 Set, upper case: swap on
        QTest::addColumn<QStringList>("sent"); // relay bytes A B of each press
        QTest::newRow("main alternates") << "SSS" << QStringList{"00 ff", "ff 00", "00 ff"};
        QTest::newRow("unticked leaves the toggle")
            << "SsS" << QStringList{"00 ff", "ff 00", "ff 00"};
        QTest::newRow("windows independent")
            << "SEES" << QStringList{"00 ff", "00 ff", "ff 00", "ff 00"};
        QTest::newRow("expansion first")
            << "EESs" << QStringList{"00 ff", "ff 00", "00 ff", "ff 00"};
    }
    void swapToggles() {
        QFETCH(QString, presses);
        QFETCH(QStringList, sent);
        Rig rig(true);
        for (ManualTestWindow* f : {rig.form("STV2"), rig.form("EXP2")}) {
            f->show();
            for (int k = 1; k <= 8; ++k)
                child<QCheckBox>(f, QStringLiteral("CBrele%1").arg(k))->setChecked(true);
            f->hide();
        }
        QStringList got;
        for (QChar p : presses) {
            ManualTestWindow* f = rig.form(p.toLower() == 's' ? "STV2" : "EXP2");
            f->show(); // opening unticks swap, so tick it after
            child<QCheckBox>(f, "CBswap")->setChecked(p.isUpper());
            click(f, "Button2");
            got << rig.sent().mid(2, 2).toHex(' ');
            f->close();
        }
        QCOMPARE(got, sent);
    }

    // The toggle survives closing and reopening the window.
    void swapToggleSurvivesReopening() {
        Rig rig(true);
        ManualTestWindow* f = rig.form("STV2");
        f->show();
        child<QCheckBox>(f, "CBswap")->setChecked(true);
        click(f, "Button2");
        QVERIFY(f->relaySwapToggle());
        click(f, "Button3");
        QVERIFY(!f->isVisible());
        f->show();
        QVERIFY(f->relaySwapToggle());
        child<QCheckBox>(f, "CBswap")->setChecked(true);
        child<QCheckBox>(f, "CBrele9")->setChecked(true);
        rig.sent(); // drop the first command
        click(f, "Button2");
        QCOMPARE(rig.sent().mid(2, 2).toHex(' '), QByteArray("00 01"));
        f->close();
    }

    // "test INC": sends the current selection, then steps the controls.
    void testIncWalk_data() {
        QTest::addColumn<QString>("which");
        QTest::addColumn<int>("machine");
        QTest::addColumn<int>("choice");
        QTest::addColumn<QStringList>("sent");     // index and code bytes of each press
        QTest::addColumn<QStringList>("controls"); // machine/position after each press
        QTest::newRow("STV2 8 odbočka wraps")
            << "STV2" << 8 << 1 << QStringList{"07 02", "00 01", "00 02", "01 01"}
            << QStringList{"1/0", "1/1", "2/0", "2/1"};
        QTest::newRow("STV2 from nothing chosen")
            << "STV2" << 3 << -1 << QStringList{"02 00", "02 02", "03 01"}
            << QStringList{"3/1", "4/0", "4/1"};
        QTest::newRow("EXP2 16 odbočka wraps to 9")
            << "EXP2" << 16 << 1 << QStringList{"07 08", "00 04", "00 08"}
            << QStringList{"9/0", "9/1", "10/0"};
        QTest::newRow("EXP2 15 rovně")
            << "EXP2" << 15 << 0 << QStringList{"06 04", "06 08", "07 04", "07 08", "00 04"}
            << QStringList{"15/1", "16/0", "16/1", "9/0", "9/1"};
    }
    void testIncWalk() {
        QFETCH(QString, which);
        QFETCH(int, machine);
        QFETCH(int, choice);
        QFETCH(QStringList, sent);
        QFETCH(QStringList, controls);
        Rig rig(true);
        ManualTestWindow* f = rig.form(which);
        f->show();
        auto* spin = child<QSpinBox>(f, pointSpin(f));
        typeInto(spin, machine);
        choosePosition(f, choice);
        QStringList gotSent;
        QStringList gotControls;
        for (int i = 0; i < sent.size(); ++i) {
            click(f, "BTtestINC");
            const QByteArray b = rig.sent();
            QCOMPARE(b.left(2), QByteArray("@T"));
            gotSent << b.mid(2, 2).toHex(' ');
            gotControls << QStringLiteral("%1/%2").arg(spin->value()).arg(position(f));
        }
        QCOMPARE(gotSent, sent);
        QCOMPARE(gotControls, controls);
        f->close();
    }

    // The poll button in every kind of link state; the caption tells whether reading repeats.
    void pollSwitch_data() {
        QTest::addColumn<QString>("which");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("setEnabled");
        const QString first = QStringLiteral("Čtení vstupu ZAP");
        const QString on = QStringLiteral("Opak. čtení ZAP");
        const QString off = QStringLiteral("Opak. čtení VYP");
        const QList<int> states = {0,  5,  8,  10, 11, 14, 15, 17, 20, 21, 23,
                                   30, 31, 32, 33, 35, 36, 37, 38, 40, 42, 43};
        for (int s : states) {
            const bool mainStops = s >= 30 && s <= 34;
            QTest::addRow("STV2 %d", s) << "STV2" << s
                                        << (s == 0      ? 30
                                            : mainStops ? 0
                                                        : s)
                                        << (s == 0      ? on
                                            : mainStops ? off
                                                        : first)
                                        << (s != 0);
            const bool expStops = s >= 30 && s <= 39;
            QTest::addRow("EXP2 %d", s) << "EXP2" << s
                                        << (s == 0     ? 35
                                            : expStops ? 0
                                                       : s)
                                        << (s == 0     ? on
                                            : expStops ? off
                                                       : first)
                                        << (s != 0);
        }
    }
    void pollSwitch() {
        QFETCH(QString, which);
        QFETCH(int, state);
        QFETCH(int, after);
        QFETCH(QString, caption);
        QFETCH(bool, setEnabled);
        Rig rig;
        ManualTestWindow* f = rig.form(which);
        f->show();
        QVERIFY(reachLinkState(rig.engine, rig.port, state));
        click(f, "Button5");
        QCOMPARE(rig.engine.linkState(), after);
        QCOMPARE(button(f, "Button5")->text(), caption);
        for (const char* name : {"Button1", "Button2", "Button4"})
            QCOMPARE(button(f, name)->isEnabled(), setEnabled);
        f->close();
    }

    // On, off, on again: the captions follow, and the poll really runs on the line.
    void pollRunsAndStops_data() { bothWindows(); }
    void pollRunsAndStops() {
        QFETCH(QString, which);
        Rig rig;
        ManualTestWindow* f = rig.form(which);
        f->show();
        const QByteArray request = which == "STV2" ? "@S0000*" : "@U0000*";
        click(f, "Button5");
        QCOMPARE(rig.sent(8), request + request);
        click(f, "Button5");
        QCOMPARE(button(f, "Button5")->text(), QStringLiteral("Opak. čtení VYP"));
        QCOMPARE(rig.sent(8), QByteArray());
        click(f, "Button5");
        QCOMPARE(button(f, "Button5")->text(), QStringLiteral("Opak. čtení ZAP"));
        QCOMPARE(rig.sent(4), request);
        f->close();
    }

    // ZAVŘÍT, the frame's close box and Escape all end this window's own poll.
    void closingStopsOwnPoll_data() {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("how");
        for (const char* w : {"STV2", "EXP2"})
            for (const char* how : {"ZAVŘÍT", "frame", "Escape"})
                QTest::addRow("%s %s", w, how) << w << QString::fromUtf8(how);
    }
    void closingStopsOwnPoll() {
        QFETCH(QString, which);
        QFETCH(QString, how);
        Rig rig;
        ManualTestWindow* f = rig.form(which);
        f->show();
        click(f, "Button5");
        rig.engine.tick();
        QVERIFY(rig.engine.linkState() != 0);
        if (how == "ZAVŘÍT")
            click(f, "Button3");
        else if (how == "frame")
            QVERIFY(f->close());
        else
            QTest::keyClick(f, Qt::Key_Escape);
        QVERIFY(!f->isVisible());
        QCOMPARE(rig.engine.linkState(), 0);
        if (how == "ZAVŘÍT")
            QCOMPARE(f->result(), int(QDialog::Accepted));
        QCOMPARE(rig.sent(8), QByteArray());
        // Reopened: the buttons work and the caption does not claim a running poll.
        f->show();
        QCOMPARE(button(f, "Button5")->text(), QStringLiteral("Opak. čtení VYP"));
        for (const char* name : {"Button1", "Button2", "Button4"})
            QVERIFY(button(f, name)->isEnabled());
        f->close();
    }

    // Closing leaves every link state that is not this window's poll alone.
    void closingLeavesOtherStates_data() {
        QTest::addColumn<QString>("which");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("after");
        for (int s : {5, 11, 15, 21, 35, 38, 40, 43}) {
            QTest::addRow("STV2 %d", s) << "STV2" << s << s;
            QTest::addRow("EXP2 %d", s) << "EXP2" << s << (s >= 35 && s <= 38 ? 0 : s);
        }
    }
    void closingLeavesOtherStates() {
        QFETCH(QString, which);
        QFETCH(int, state);
        QFETCH(int, after);
        Rig rig;
        ManualTestWindow* f = rig.form(which);
        f->show();
        QVERIFY(reachLinkState(rig.engine, rig.port, state));
        click(f, "Button3");
        QCOMPARE(rig.engine.linkState(), after);
    }

    // Opening enables the Set buttons whatever the link state; the controls keep their values.
    void reopeningKeepsControls() {
        Rig rig;
        ManualTestWindow* f = rig.form("STV2");
        f->show();
        typeInto(child<QSpinBox>(f, "SEvyh1a"), 6);
        choosePosition(f, 1);
        child<QCheckBox>(f, "CBrele3")->setChecked(true);
        child<QComboBox>(f, "CBox1navest")->setCurrentIndex(9);
        click(f, "Button5");
        f->hide(); // hidden by the program, not closed: the poll goes on
        QVERIFY(rig.engine.linkState() >= 30);
        f->show();
        QVERIFY(button(f, "Button1")->isEnabled());
        QCOMPARE(button(f, "Button5")->text(), QStringLiteral("Opak. čtení ZAP"));
        QCOMPARE(child<QSpinBox>(f, "SEvyh1a")->value(), 6);
        QCOMPARE(position(f), 1);
        QVERIFY(child<QCheckBox>(f, "CBrele3")->isChecked());
        QCOMPARE(child<QComboBox>(f, "CBox1navest")->currentIndex(), 9);
        // While the poll runs a Set press only prepares its command.
        click(f, "Button1");
        QCOMPARE(rig.sent(4), QByteArray("@S0000*"));
        QVERIFY(rig.engine.linkState() >= 30 && rig.engine.linkState() <= 33);
        f->close();
    }

    // The lamps after given status replies, painted by the window's 250 ms refresh.
    void lampsFollowReplies_data() {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("buttons");
        QTest::addColumn<QString>("sensors");
        QTest::addColumn<QString>("detectors");
        QTest::newRow("STV2 before any reply") << "STV2" << QByteArray() << "WWWWWWWWWWWWWWAA"
                                               << "WWWWWWWW"
                                               << "WWWWWWWW";
        QTest::newRow("STV2 01 80 40 FF")
            << "STV2" << bytes({0x01, 0x80, 0x40, 0xFF, '*'}) << "WWWWWWWYWWWWWWYA"
            << "GWWWWWWW"
            << "RRRRRRRR";
        QTest::newRow("STV2 bit 15 red")
            << "STV2" << bytes({0x80, 0x01, 0x81, 0x01, '*'}) << "YWWWWWWWYWWWWWAR"
            << "WWWWWWWG"
            << "RWWWWWWW";
        QTest::newRow("STV2 incomplete reply changes nothing")
            << "STV2" << bytes({0x01, 0x80, 0x40, 0xFF}) << "WWWWWWWWWWWWWWAA"
            << "WWWWWWWW"
            << "WWWWWWWW";
        QTest::newRow("EXP2 before any reply") << "EXP2" << QByteArray() << "WWWWWWWWWWWWWWWW"
                                               << "WWWWWWWW"
                                               << "WWWWWWWW";
        QTest::newRow("EXP2 00 01 80 00")
            << "EXP2" << bytes({0x00, 0x01, 0x80, 0x00, '*'}) << "WWWWWWWYYWWWWWWW"
            << "WWWWWWWW"
            << "WWWWWWWW";
        QTest::newRow("EXP2 top buttons yellow")
            << "EXP2" << bytes({0x03, 0xC0, 0x00, 0x30, '*'}) << "WWWWWWWWWWWWWWYY"
            << "GGWWWWWW"
            << "WWWWRRWW";
    }
    void lampsFollowReplies() {
        QFETCH(QString, which);
        QFETCH(QByteArray, reply);
        QFETCH(QString, buttons);
        QFETCH(QString, sensors);
        QFETCH(QString, detectors);
        Rig rig;
        ManualTestWindow* f = rig.form(which);
        f->show();
        if (!reply.isEmpty()) {
            click(f, "Button5");
            rig.engine.tick(); // sends the status command
            rig.port.inject(reply);
            for (int i = 0; i < 3; ++i)
                rig.engine.tick();
        }
        // Painted by the window's own timer, not by the reply.
        QTRY_COMPARE_WITH_TIMEOUT(lampLetters(f, "ShTL", 16), buttons, 1000);
        QCOMPARE(lampLetters(f, "ShSN", 8), sensors);
        QCOMPARE(lampLetters(f, "ShDET", 8), detectors);
        // The other window shows its own unit, untouched by this reply.
        ManualTestWindow* other = rig.form(which == "STV2" ? "EXP2" : "STV2");
        other->refreshLamps();
        QCOMPARE(lampLetters(other, "ShSN", 8), QStringLiteral("WWWWWWWW"));
        f->close();
    }

    // The lamps are painted as their colour says, with the wider outline on ShTL8 and ShSN8.
    void screenshots_data() {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("file");
        QTest::newRow("STV2") << "STV2"
                              << "manual-stv2.png";
        QTest::newRow("EXP2") << "EXP2"
                              << "manual-exp2.png";
    }
    void screenshots() {
        QFETCH(QString, which);
        QFETCH(QString, file);
        Rig rig(true);
        ManualTestWindow* f = rig.form(which);
        f->show();
        click(f, "Button5");
        rig.engine.tick();
        rig.port.inject(bytes({0x05, 0x81, 0x40, 0x0C, '*'}));
        for (int i = 0; i < 3; ++i)
            rig.engine.tick();
        f->refreshLamps();
        const QImage shot = f->grab().toImage();
        for (const char* name : {"ShSN1", "ShSN2", "ShTL1", "ShTL8", "ShDET3", "ShTL16"}) {
            auto* l = child<LampShape>(f, name);
            const QPoint centre = l->mapTo(f, l->rect().center());
            QCOMPARE(shot.pixelColor(centre * shot.devicePixelRatio()), l->brushColor());
            const QPoint edge = l->mapTo(f, QPoint(1, 8));
            const bool wide = l->penWidth() == 2;
            QCOMPARE(shot.pixelColor(edge * shot.devicePixelRatio()) == Qt::black, wide);
        }
        const QString dir = screenshotFolder();
        if (!dir.isEmpty())
            QVERIFY(shot.save(QDir(dir).filePath(file)));
        f->close();
    }
};

QTEST_MAIN(ToolsManualTestWindowTest)
#include "tools_manualtestwindow.moc"
