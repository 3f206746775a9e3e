#include "link/linkengine.h"
#include "link/serialport.h"
#include "tools/ui/manualtestwindow.h"
#include "tools/ui/simulationwindow.h"
#include "widgets/controls.h"

#include "support/bytes.h"
#include "support/emulator.h"
#include "support/pty.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <unistd.h>

#include <memory>

namespace {
// stv2-emu logging every command it receives into `log`, paced like a real line only when asked.
bool startLogging(EmulatorProcess& emu, const QString& log, bool pacing = false) {
    QStringList args{QStringLiteral("--log"), log};
    if (!pacing)
        args << QStringLiteral("--no-pacing");
    if (!emu.start(args))
        return false;
    emu.holdOpen(0);
    return true;
}

QString readLog(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The tool's side, as the program builds it: a real serial port, the engine ticking every
// 20 ms from a timer, and the three live-tool windows.
struct Tool {
    ConfigStore store;
    SerialBytePort port;
    LinkEngine engine{store, port};
    AppSettings settings;
    QTimer clock;
    std::unique_ptr<ModuleTestWindow> stv2;
    std::unique_ptr<ExpansionTestWindow> exp2;
    std::unique_ptr<SimulationWindow> simul;

    Tool(const QString& ini, bool developer) : port(ini) {
        settings.developer = developer;
        stv2 = std::make_unique<ModuleTestWindow>(engine, settings);
        exp2 = std::make_unique<ExpansionTestWindow>(engine, settings);
        simul = std::make_unique<SimulationWindow>(engine, settings);
        QObject::connect(&clock, &QTimer::timeout, &engine, &LinkEngine::tick);
    }
    ManualTestWindow* form(const QString& which) {
        return which == QLatin1String("EXP2") ? static_cast<ManualTestWindow*>(exp2.get())
                                              : static_cast<ManualTestWindow*>(stv2.get());
    }
};

template <typename T> T* child(QWidget* w, const QString& name) {
    return w->findChild<T*>(name);
}

void click(QWidget* w, const char* name) {
    auto* b = child<QPushButton>(w, QLatin1String(name));
    QVERIFY2(b && b->isEnabled(), name);
    QTest::mouseClick(b, Qt::LeftButton);
}

QColor lamp(QWidget* w, const char* name) {
    auto* l = child<LampShape>(w, QLatin1String(name));
    return l ? l->brushColor() : QColor();
}

const QColor kWhite(255, 255, 255);
const QColor kYellow(255, 255, 0);
const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);
const QColor kAqua(0, 255, 255);
} // namespace

class ToolsLiveTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString ini() const { return dir.filePath(QStringLiteral("stavnikCFG.ini")); }
    // A log of its own for every test case.
    QString logFile() const {
        return dir.filePath(
            QStringLiteral("%1-%2.log")
                .arg(QLatin1String(QTest::currentTestFunction()))
                .arg(QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-')));
    }
    // Paced as a real line at 9600 baud, as ./run starts the virtual module, and unpaced.
    static void pacing() {
        QTest::addColumn<bool>("paced");
        QTest::newRow("no pacing") << false;
        QTest::newRow("9600 baud") << true;
    }

private slots:
    // What each Set puts on the line, byte for byte, read at the far end of the terminal.
    void setBytesOnTheLine_data() {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("setButton");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("choice");
        QTest::addColumn<QList<int>>("relays");
        QTest::addColumn<bool>("swap");
        QTest::addColumn<QByteArray>("expected");
        const QList<int> none;
        QTest::newRow("STV2 point 1 rovně") << "STV2"
                                            << "Button1" << 1 << 0 << none << false
                                            << bytes({0x40, 0x54, 0x00, 0x01, 0x01, 0x01, 0x2A});
        QTest::newRow("STV2 point 1 none") << "STV2"
                                           << "Button1" << 1 << -1 << none << false
                                           << bytes({0x40, 0x54, 0x00, 0x00, 0x01, 0x01, 0x2A});
        QTest::newRow("STV2 relays R1 R16") << "STV2"
                                            << "Button2" << 0 << 0 << QList<int>{1, 16} << false
                                            << bytes({0x40, 0x45, 0x01, 0x80, 0x01, 0x01, 0x2A});
        QTest::newRow("STV2 relays R1..R8 swapped")
            << "STV2"
            << "Button2" << 0 << 0 << QList<int>{1, 2, 3, 4, 5, 6, 7, 8} << true
            << bytes({0x40, 0x45, 0x00, 0xFF, 0x01, 0x01, 0x2A});
        QTest::newRow("STV2 signal no code") << "STV2"
                                             << "Button4" << 1 << -1 << none << false
                                             << bytes({0x40, 0x4E, 0x01, 0xFF, 0x01, 0x01, 0x2A});
        QTest::newRow("EXP2 point 9 rovně") << "EXP2"
                                            << "Button1" << 9 << 0 << none << false
                                            << bytes({0x40, 0x54, 0x00, 0x04, 0x01, 0x01, 0x2A});
        QTest::newRow("EXP2 point 16 odbočka") << "EXP2"
                                               << "Button1" << 16 << 1 << none << false
                                               << bytes({0x40, 0x54, 0x07, 0x08, 0x01, 0x01, 0x2A});
        QTest::newRow("EXP2 relays R17 R32") << "EXP2"
                                             << "Button2" << 0 << 0 << QList<int>{1, 16} << false
                                             << bytes({0x40, 0x46, 0x01, 0x80, 0x01, 0x01, 0x2A});
        QTest::newRow("EXP2 signal 17 code 1") << "EXP2"
                                               << "Button4" << 17 << 1 << none << false
                                               << bytes({0x40, 0x4E, 0x11, 0x01, 0x01, 0x01, 0x2A});
    }
    void setBytesOnTheLine() {
        QFETCH(QString, which);
        QFETCH(QString, setButton);
        QFETCH(int, number);
        QFETCH(int, choice);
        QFETCH(QList<int>, relays);
        QFETCH(bool, swap);
        QFETCH(QByteArray, expected);
        Pty pty;
        QVERIFY(!pty.slave.isEmpty());
        Tool tool(ini(), true);
        QVERIFY(tool.port.openDevice(pty.slave));
        ManualTestWindow* f = tool.form(which);
        f->show();
        if (setButton == "Button1") {
            child<QSpinBox>(f, QLatin1String(f->config().pointSpinName))->setValue(number);
            child<RadioGroup>(f, QLatin1String(f->config().positionGroupName))
                ->setItemIndex(choice);
        } else if (setButton == "Button4") {
            child<QSpinBox>(f, "SEnav1")->setValue(number);
            child<QComboBox>(f, "CBox1navest")->setCurrentIndex(choice);
        }
        for (int k : relays)
            child<QCheckBox>(f, QStringLiteral("CBrele%1").arg(k))->setChecked(true);
        child<QCheckBox>(f, "CBswap")->setChecked(swap);
        click(f, setButton.toLatin1().constData());
        tool.engine.tick();
        QCOMPARE(pty.read(expected.size()).toHex(' '), expected.toHex(' '));
        QCOMPARE(pty.read(1, 100), QByteArray()); // nothing more
        f->close();
    }

    // The Set commands reach the virtual module, which logs them and takes their settings.
    void commandsReachTheModule() {
        EmulatorProcess emu;
        QVERIFY(startLogging(emu, logFile()));
        Tool tool(ini(), false);
        QVERIFY(tool.port.openDevice(emu.device));
        tool.clock.start(20);

        ManualTestWindow* main = tool.form("STV2");
        main->show();
        child<QSpinBox>(main, "SEvyh1a")->setValue(4);
        child<RadioGroup>(main, "RGvyh1a")->setItemIndex(1);
        click(main, "Button1");
        QTRY_VERIFY(tool.engine.isIdle());
        child<QCheckBox>(main, "CBrele1")->setChecked(true);
        child<QCheckBox>(main, "CBrele16")->setChecked(true);
        click(main, "Button2");
        QTRY_VERIFY(tool.engine.isIdle());
        child<QSpinBox>(main, "SEnav1")->setValue(5);
        child<QComboBox>(main, "CBox1navest")->setCurrentIndex(1);
        click(main, "Button4");
        QTRY_VERIFY(tool.engine.isIdle());
        click(main, "Button3");

        ManualTestWindow* exp = tool.form("EXP2");
        exp->show();
        child<QSpinBox>(exp, "SEvyh1")->setValue(16);
        child<RadioGroup>(exp, "RGvyh1")->setItemIndex(0);
        click(exp, "Button1");
        QTRY_VERIFY(tool.engine.isIdle());
        child<QCheckBox>(exp, "CBrele1")->setChecked(true);
        child<QCheckBox>(exp, "CBrele16")->setChecked(true);
        click(exp, "Button2");
        QTRY_VERIFY(tool.engine.isIdle());
        child<QSpinBox>(exp, "SEnav1")->setValue(17);
        child<QComboBox>(exp, "CBox1navest")->setCurrentIndex(13);
        click(exp, "Button4");
        QTRY_VERIFY(tool.engine.isIdle());
        click(exp, "Button3");

        const QStringList expected = {
            "T point machine 4 := diverging", "E relays A=01 B=80", "N signal 5 := code",
            "T point machine 16 := straight", "F relays A=01 B=80", "N signal 17 (EXP) := code"};
        for (const QString& line : expected)
            QTRY_VERIFY2(readLog(logFile()).contains(line),
                         qPrintable(line + " in:\n" + readLog(logFile())));
    }

    // The lamps follow the module's inputs as they change while it runs.
    void lampsFollowTheModule_data() { pacing(); }
    void lampsFollowTheModule() {
        QFETCH(bool, paced);
        EmulatorProcess emu;
        QVERIFY(startLogging(emu, logFile(), paced));
        Tool tool(ini(), false);
        QVERIFY(tool.port.openDevice(emu.device));
        tool.clock.start(20);

        ManualTestWindow* main = tool.form("STV2");
        main->show();
        QCOMPARE(lamp(main, "ShTL15"), kAqua);
        click(main, "Button5");
        emu.command("sensor 3 on");
        emu.command("detector 5 on");
        emu.command("button 12 on");
        emu.command("button 16 on");
        QTRY_COMPARE_WITH_TIMEOUT(lamp(main, "ShSN3"), kGreen, 3000);
        QTRY_COMPARE_WITH_TIMEOUT(lamp(main, "ShDET5"), kRed, 3000);
        QTRY_COMPARE_WITH_TIMEOUT(lamp(main, "ShTL12"), kYellow, 3000);
        QTRY_COMPARE_WITH_TIMEOUT(lamp(main, "ShTL16"), kRed, 3000);
        QCOMPARE(lamp(main, "ShTL15"), kAqua);
        emu.command("sensor 3 off");
        QTRY_COMPARE_WITH_TIMEOUT(lamp(main, "ShSN3"), kWhite, 3000);
        click(main, "Button3");
        QCOMPARE(tool.engine.linkState(), 0);

        ManualTestWindow* exp = tool.form("EXP2");
        exp->show();
        click(exp, "Button5");
        emu.command("exp button 12 on");
        emu.command("exp sensor 2 on");
        QTRY_COMPARE_WITH_TIMEOUT(lamp(exp, "ShTL12"), kYellow, 3000);
        QTRY_COMPARE_WITH_TIMEOUT(lamp(exp, "ShSN2"), kGreen, 3000);
        QCOMPARE(lamp(exp, "ShTL16"), kWhite); // the main module's button 16 is not this unit's
        exp->close();
        QCOMPARE(tool.engine.linkState(), 0);
        QVERIFY(readLog(logFile()).contains("U exp status"));
    }

    // The simulation window counts the module's replies and answers its varying questions.
    void simulationCountsReplies_data() { pacing(); }
    void simulationCountsReplies() {
        QFETCH(bool, paced);
        EmulatorProcess emu;
        QVERIFY(startLogging(emu, logFile(), paced));
        Tool tool(ini(), true);
        QVERIFY(tool.port.openDevice(emu.device));
        tool.clock.start(20);

        // Signal 5 of the module shows VOLNO, and the neighbour asks about it.
        ManualTestWindow* main = tool.form("STV2");
        main->show();
        child<QSpinBox>(main, "SEnav1")->setValue(5);
        child<QComboBox>(main, "CBox1navest")->setCurrentIndex(1);
        click(main, "Button4");
        QTRY_VERIFY(tool.engine.isIdle());
        main->close();

        SimulationWindow* f = tool.simul.get();
        for (int n = 1; n <= 15; ++n)
            child<QComboBox>(f, QStringLiteral("CBoxNav%1").arg(n))->setCurrentIndex(3);
        child<QSpinBox>(f, "SEnavREQa")->setValue(5);
        child<QCheckBox>(f, "CBsen1")->setChecked(true);
        f->show();
        auto* count = child<QLabel>(f, "LBtikRX");
        QTRY_VERIFY_WITH_TIMEOUT(count->text().toInt() >= 3, 5000);
        QCOMPARE(child<QLabel>(f, "LBspeedA")->text(), QStringLiteral("3"));
        const int asked = child<QLabel>(f, "LBreqNavA")->text().toInt();
        QVERIFY(asked >= 1 && asked <= 15);
        f->close();
        QCOMPARE(tool.engine.linkState(), 0);
        const int counted = tool.engine.simulationReply().replyCounter;
        QTest::qWait(800);
        QCOMPARE(tool.engine.simulationReply().replyCounter, counted);
        // Frames after the first carry the neighbour's VOLNO answers and sensor S1.
        const QString log = readLog(logFile());
        QVERIFY2(log.contains("neighbour says VOLNO/VOLNO"), qPrintable(log));
        QVERIFY2(log.contains("frame 05 00 00 00 01 00 00 00"), qPrintable(log));
    }
};

QTEST_MAIN(ToolsLiveTest)
#include "tools_live.moc"
