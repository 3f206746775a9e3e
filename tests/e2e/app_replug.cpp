#include "app/mainwindow.h"
#include "link/serialport.h"
#include "support/emulator.h"
#include "support/modal.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class ReplugTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    // The module is plugged in after the start, then unplugged and plugged back in: each time
    // "Test comm" finds it without the port dialog.
    void testCommFindsTheModuleAgain() {
        const QString link = dir.filePath(QStringLiteral("stv2-emu.tty"));
        const QString ini = dir.filePath(QStringLiteral("stavnikCFG.ini"));
        QVERIFY(savePortMapping(1, link, ini));
        ConfigStore store;
        SerialBytePort port(ini);
        LinkEngine engine(store, port);
        auto box = answerNextBox(QMessageBox::Ok);
        MainWindow w(store, engine, port, ini);
        QTRY_VERIFY(box->detailedText.contains(link + QStringLiteral(" neexistuje")));
        QCOMPARE(box->text, QStringLiteral("Chyba otevření  COM1  "));

        auto* test = w.findChild<QPushButton*>(QStringLiteral("BTtest1"));
        auto* capacity = w.findChild<QLabel*>(QStringLiteral("LBcestMax1"));
        for (const QString& routes : {QStringLiteral("64"), QStringLiteral("90")}) {
            EmulatorProcess emu;
            QVERIFY(
                emu.start({QStringLiteral("--link"), link, QStringLiteral("--capacity"), routes}));
            emu.holdOpen();
            // The capacity comes last: the exchange is over before the module goes away. A
            // pseudo-terminal on a machine short of CPU has been seen to hold a command for
            // longer than the answer is waited for: then "Test comm" is pressed again.
            const auto shown = [&] { return capacity->text() == "Max.cest:" + routes; };
            for (int i = 0; i < 3 && !shown(); ++i) {
                test->click();
                if (QTest::qWaitFor(shown, 5000))
                    break;
            }
            QCOMPARE(capacity->text(), QStringLiteral("Max.cest:") + routes);
            QVERIFY(emu.stop());
            QTRY_VERIFY_WITH_TIMEOUT(!port.isOpen(), 3000); // the tool noticed the unplug
        }
        // Still unplugged: the attempt says why, in the start-up's box, and says it once.
        auto lost = answerNextBox(QMessageBox::Ok);
        test->click();
        QTRY_COMPARE(lost->text, QStringLiteral("Chyba otevření  COM1  "));
        QVERIFY(lost->detailedText.contains(link + QStringLiteral(" neexistuje")));
        QTest::qWait(300);
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(ReplugTest)
#include "app_replug.moc"
