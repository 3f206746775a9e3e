#include "app/mainwindow.h"
#include "data/codec.h"
#include "data/datafile.h"
#include "data/ui/routegrid.h"
#include "link/linkdriver.h"
#include "support/fakemodule.h"
#include "support/modal.h"

#include <QAction>
#include <QDate>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

// The module holds route 3 (TL 4 -> TL 9); b.txt holds the same, a.txt route 3 from TL 1.
// The window has read the module (an entry in its history), then opened a.txt and cleared a
// route in it: unsaved, one step to take back, the module different.
struct Desk {
    QTemporaryDir dir;
    QString a = dir.filePath(QStringLiteral("a.txt")), b = dir.filePath(QStringLiteral("b.txt"));
    FakeModule port;
    ConfigStore store;
    LinkEngine engine{store, port};
    // Without a drag under way Qt routes no drop: the window's handler gets it directly.
    struct Window : MainWindow {
        using MainWindow::dropEvent;
        using MainWindow::MainWindow;
    } w{store, engine, port, dir.filePath(QStringLiteral("cfg.ini"))};

    Desk() {
        ConfigStore file;
        file.route(3).fromButton = 1;
        file.route(3).toButton = 2;
        encodeRoutes(file.routes, file.image);
        datafile::saveFile(a, file);
        file.route(3).trainRoute = 1;
        file.route(3).fromButton = 4;
        file.route(3).toButton = 9;
        encodeRoutes(file.routes, file.image);
        datafile::saveFile(b, file);
        port.responder().setImage(file.image);
        w.openFile(b); // for the recent files
        read();
        w.openFile(a);
        w.grid()->selectRoute(3);
        answerNextBox(QMessageBox::Ok);
        w.findChild<QAction*>(QStringLiteral("Zruencesty1"))->trigger();
    }
    void read() {
        w.findChild<QAction*>(QStringLiteral("Nastdatazmodulu1"))->trigger();
        auto* driver = w.findChild<LinkDriver*>();
        driver->stop();
        for (int i = 0; i < 20000 && !engine.isIdle(); ++i)
            driver->tick();
    }
    QString line() const { return w.findChild<QLabel*>(QStringLiteral("LBmodul"))->text(); }
    void openHistoryEntry() {
        w.findChild<QAction*>(QStringLiteral("HistorieModulu1"))->trigger();
        auto* history = w.findChild<QDialog*>(QStringLiteral("HistoryWindow"));
        history->findChild<QTableWidget*>()->selectRow(0);
        history->findChild<QPushButton*>(QStringLiteral("OpenBtn"))->click();
    }
};

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class DocumentTest : public QObject {
    Q_OBJECT
private slots:
    // Every way a configuration replaces the one on screen, and what must follow it.
    void replacement_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("source"); // in the title
        QTest::addColumn<bool>("saveTarget");
        QTest::addColumn<bool>("modified");
        QTest::newRow("file") << "file"
                              << "b.txt" << true << false;
        QTest::newRow("recent file") << "recent"
                                     << "b.txt" << true << false;
        QTest::newRow("command line") << "command"
                                      << "b.txt" << true << false;
        QTest::newRow("drop") << "drop"
                              << "b.txt" << true << false;
        QTest::newRow("module read") << "read"
                                     << "z modulu" << false << true;
        QTest::newRow("history entry") << "history"
                                       << "ze záznamu historie" << false << true;
    }
    void replacement() {
        QFETCH(QString, path);
        QFETCH(QString, source);
        QFETCH(bool, saveTarget);
        QFETCH(bool, modified);
        Desk d;
        QCOMPARE(d.line(), QStringLiteral("Modul: liší se (1 cesta)"));
        QVERIFY(d.w.isWindowModified());
        auto* open = d.w.findChild<QFileDialog*>(QStringLiteral("OpenDialog1"));
        open->setOption(QFileDialog::DontUseNativeDialog);
        onNextModal([&](QWidget* m) {
            qobject_cast<QMessageBox*>(m)->button(QMessageBox::Discard)->click();
            if (path == QLatin1String("file"))
                onNextModal([&](QWidget*) {
                    open->selectFile(d.b);
                    open->QDialog::accept();
                });
        });
        if (path == QLatin1String("file")) {
            d.w.findChild<QAction*>(QStringLiteral("Nast1"))->trigger();
        } else if (path == QLatin1String("recent")) {
            d.w.findChild<QMenu*>(QStringLiteral("Posledni1"))->actions().at(1)->trigger();
        } else if (path == QLatin1String("command")) {
            d.w.openFile(d.b);
        } else if (path == QLatin1String("drop")) {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(d.b)});
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
            d.w.dropEvent(&drop);
        } else if (path == QLatin1String("read")) {
            d.read();
        } else {
            d.openHistoryEntry();
        }
        const ConfigDocument& doc = d.w.configDocument();
        QTRY_COMPARE(d.w.windowTitle(), QStringLiteral("Stavnik V2ext  CFG – %1[*]").arg(source));
        QCOMPARE(doc.saveTarget(), saveTarget ? d.b : QString());
        QCOMPARE(d.w.isWindowModified(), modified);
        QVERIFY(!d.w.findChild<QAction*>(QStringLiteral("Zpet1"))->isEnabled());
        QCOMPARE(d.w.grid()->item(2, 1)->text(), QStringLiteral("TL 4"));
        QVERIFY(d.w.findChild<QPlainTextEdit*>(QStringLiteral("routeDescription"))
                    ->toPlainText()
                    .contains(QStringLiteral("TL 4")));
        QCOMPARE(d.line(), QStringLiteral("Modul: shodný s obrazovkou"));
        QCOMPARE(d.w.grid()->item(2, 0)->toolTip(), QStringLiteral("Cesta je v modulu stejná"));
    }

    // The entry has no file: Ctrl+S asks for a name and never writes over a.txt.
    void saveAfterHistoryEntryAsksForName() {
        Desk d;
        answerNextBox(QMessageBox::Discard);
        d.openHistoryEntry();
        QTRY_COMPARE(d.w.configDocument().origin(), ConfigDocument::Origin::HistoryEntry);
        const QByteArray before = contents(d.a);
        QString offered;
        onNextModal([&](QWidget* m) {
            auto* files = qobject_cast<QFileDialog*>(m);
            offered = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
            files->reject();
        });
        d.w.show();
        QVERIFY(QTest::qWaitForWindowActive(&d.w));
        d.w.findChild<QFileDialog*>(QStringLiteral("SaveDialog1"))
            ->setOption(QFileDialog::DontUseNativeDialog);
        QTest::keyClick(&d.w, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(offered,
                 QStringLiteral("modul-%1.txt").arg(QDate::currentDate().toString(Qt::ISODate)));
        QCOMPARE(contents(d.a), before);
    }
};

QTEST_MAIN(DocumentTest)
#include "app_document.moc"
