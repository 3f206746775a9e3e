#include "data/ui/datafiledialog.h"
#include "data/ui/routegrid.h"
#include "support/modal.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

// Answers the next file dialog: picks `path`, or cancels when it is empty.
void answerFileDialog(const QString& path) {
    onNextModal([path](QWidget* w) {
        auto* d = qobject_cast<QFileDialog*>(w);
        if (!d)
            return;
        if (path.isEmpty()) {
            d->reject();
        } else {
            d->selectFile(path);
            static_cast<QDialog*>(d)->accept();
        }
    });
}

QString sample(const char* name) {
    return QStringLiteral(STAVNIK_TEST_DATA "/") + QLatin1String(name);
}

QString cell(const RouteGrid& grid, int route, int column) {
    const QTableWidgetItem* item = grid.item(route - 1, column);
    return item ? item->text() : QString();
}

} // namespace

class DataFileDialogTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void loadRefillsTheGrid();
    void loadRefusals_data();
    void loadRefusals();
    void loadCancelledChangesNothing();
    void noDataAfterHeaderIsTold();
    void partialFileAsksFirst_data();
    void partialFileAsksFirst();
    void dialogsStartInTheLastFolder();
    void saveWritesTheChosenFile();
    void saveCancelledWritesNothing();
    void failedSaveShowsTheError();

private:
    QWidget* m_parent = nullptr;
    RouteGrid* m_grid = nullptr;
    QFileDialog* m_open = nullptr;
    QFileDialog* m_save = nullptr;
    ConfigStore m_store;
};

void DataFileDialogTest::init() {
    m_parent = new QWidget;
    m_grid = new RouteGrid(m_parent);
    m_open = new QFileDialog(m_parent);
    m_open->setOption(QFileDialog::DontUseNativeDialog);
    m_open->setAcceptMode(QFileDialog::AcceptOpen);
    m_open->setFileMode(QFileDialog::AnyFile);
    m_save = new QFileDialog(m_parent);
    m_save->setOption(QFileDialog::DontUseNativeDialog);
    m_save->setAcceptMode(QFileDialog::AcceptSave);
    m_save->setFileMode(QFileDialog::AnyFile);
    m_store = ConfigStore();
    m_grid->fill(m_store);
}

void DataFileDialogTest::cleanup() {
    delete m_parent;
}

void DataFileDialogTest::loadRefillsTheGrid() {
    BoxWatcher watcher;
    answerFileDialog(sample("s26_mixed.txt"));
    loadDataFileCommand(m_parent, *m_open, m_store, *m_grid);
    QCOMPARE(cell(*m_grid, 1, 1), QStringLiteral("TL 5"));
    QCOMPARE(cell(*m_grid, 1, 3), QStringLiteral("357"));
    QCOMPARE(cell(*m_grid, 1, 20), QStringLiteral("Vjezd na 1. kolej – Žďár"));
    QCOMPARE(cell(*m_grid, 7, 0), QStringLiteral("7 X"));
    QCOMPARE(cell(*m_grid, 90, 12), QStringLiteral("O"));
    // The sample sets a few bytes, and names one address beyond the image: the question first,
    // then one warning after the grid was filled.
    QCOMPARE(watcher.boxes().size(), 2);
    QCOMPARE(watcher.boxes()[1].title, QStringLiteral("Warning"));
    QCOMPARE(watcher.boxes()[1].icon, QMessageBox::Warning);
    QCOMPARE(watcher.boxes()[1].text, datafile::skippedLinesText(1));
}

void DataFileDialogTest::loadRefusals_data() {
    QTest::addColumn<QByteArray>("content"); // "-": the file does not exist
    QTest::addColumn<QString>("text");
    QTest::newRow("missing file") << QByteArray("-")
                                  << QStringLiteral("Chyba otevreni souboru  dat");
    QTest::newRow("unknown marker")
        << QByteArray("S2.6 \r\n*\r\n0040:85\r\n") << QStringLiteral("Neznámý format dat !");
}

void DataFileDialogTest::loadRefusals() {
    QFETCH(QByteArray, content);
    QFETCH(QString, text);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trasy.txt"));
    if (content != "-") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    m_store.route(1).description = QStringLiteral("beze změny");
    m_grid->fill(m_store);
    BoxWatcher watcher;
    answerFileDialog(path);
    loadDataFileCommand(m_parent, *m_open, m_store, *m_grid);
    QCOMPARE(watcher.boxes().size(), 1);
    QCOMPARE(watcher.boxes()[0].title, QStringLiteral("Warning"));
    QCOMPARE(watcher.boxes()[0].text, text + path);
    // Under it, which file and the system's reason, where there is one.
    QCOMPARE(watcher.boxes()[0].informative,
             content == "-" ? path + QStringLiteral(": No such file or directory") : QString());
    QCOMPARE(cell(*m_grid, 1, 1), QStringLiteral("TL??"));
    QCOMPARE(m_store.route(1).description, QStringLiteral("beze změny"));
}

void DataFileDialogTest::loadCancelledChangesNothing() {
    BoxWatcher watcher;
    m_store.image[0x40] = 0x85;
    answerFileDialog(QString());
    loadDataFileCommand(m_parent, *m_open, m_store, *m_grid);
    QVERIFY(watcher.boxes().isEmpty());
    QCOMPARE(m_store.image[0x40], std::uint8_t(0x85));
    QCOMPARE(cell(*m_grid, 1, 1), QStringLiteral("TL??"));
}

void DataFileDialogTest::noDataAfterHeaderIsTold() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("prazdny.txt"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("S2.6\r\nV0006:0008\r\n*\r\n");
    f.close();
    BoxWatcher watcher;
    const ConfigStore before = m_store;
    const auto r = loadDataFileFrom(m_parent, path, m_store, *m_grid);
    QCOMPARE(r.status, datafile::LoadResult::Status::Stopped);
    QCOMPARE(watcher.boxes().size(), 1);
    QCOMPARE(watcher.boxes()[0].text, datafile::noDataLinesText(path));
    QVERIFY(m_store.image == before.image);
}

void DataFileDialogTest::partialFileAsksFirst_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("loads");
    QTest::newRow("OK loads") << int(QMessageBox::Ok) << true;
    QTest::newRow("Cancel keeps the screen") << int(QMessageBox::Cancel) << false;
}

void DataFileDialogTest::partialFileAsksFirst() {
    QFETCH(int, answer);
    QFETCH(bool, loads);
    const Image before = m_store.image;
    BoxWatcher watcher(static_cast<QMessageBox::StandardButton>(answer));
    const auto r = loadDataFileFrom(m_parent, sample("s24_nopopis.txt"), m_store, *m_grid);
    QCOMPARE(watcher.boxes().size(), 1);
    QCOMPARE(watcher.boxes()[0].text, datafile::partialFileText(r));
    QCOMPARE(m_store.image == before, !loads);
}

void DataFileDialogTest::dialogsStartInTheLastFolder() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("stanice.txt"));
    QVERIFY(datafile::saveFile(path, m_store).saved);
    // The full name typed into the name field, as a user may do.
    onNextModal([path](QWidget* w) {
        auto* d = qobject_cast<QFileDialog*>(w);
        d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
        QMetaObject::invokeMethod(d, "accept"); // past the protected slot, as OK does
    });
    loadDataFileCommand(m_parent, *m_open, m_store, *m_grid);
    QCOMPARE(m_store.currentFile, path);
    // Each next dialog: the same folder; an empty name to load, the file's name to save.
    for (QFileDialog* dialog : {m_open, m_save}) {
        QString seen;
        onNextModal([&seen](QWidget* w) {
            auto* d = qobject_cast<QFileDialog*>(w);
            const auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            seen = d->directory().path() + '|' + name->text() + '|' + name->selectedText();
            d->reject();
        });
        if (dialog == m_open)
            loadDataFileCommand(m_parent, *m_open, m_store, *m_grid);
        else
            saveDataFileCommand(m_parent, *m_save, m_store);
        QCOMPARE(seen,
                 dialog == m_open ? dir.path() + "||" : dir.path() + "|stanice.txt|stanice.txt");
    }
}

void DataFileDialogTest::saveWritesTheChosenFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ulozeno.txt"));
    m_store.image[2243] = 171;
    m_store.route(3).description = QStringLiteral("třetí");
    BoxWatcher watcher;
    answerFileDialog(path);
    saveDataFileCommand(m_parent, *m_save, m_store);
    QVERIFY(watcher.boxes().isEmpty());
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), datafile::format(m_store));
}

void DataFileDialogTest::saveCancelledWritesNothing() {
    QTemporaryDir dir;
    m_save->setDirectory(dir.path());
    BoxWatcher watcher;
    answerFileDialog(QString());
    saveDataFileCommand(m_parent, *m_save, m_store);
    QVERIFY(watcher.boxes().isEmpty());
    QVERIFY(QDir(dir.path()).isEmpty());
}

void DataFileDialogTest::failedSaveShowsTheError() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("neni/ulozeno.txt"));
    BoxWatcher watcher;
    QVERIFY(!saveDataFileTo(m_parent, path, m_store));
    QCOMPARE(watcher.boxes().size(), 1);
    QCOMPARE(watcher.boxes()[0].title, QStringLiteral("Warning"));
    // In Czech what failed and why, and under it which file and the system's reason.
    QCOMPARE(watcher.boxes()[0].text, QStringLiteral("Soubor nelze uložit: složka neexistuje."));
    QCOMPARE(watcher.boxes()[0].informative, path + QStringLiteral(": No such file or directory"));
    QVERIFY(!QFile::exists(path));
    // The configuration stays, so it can be saved elsewhere.
    QVERIFY(saveDataFileTo(m_parent, dir.filePath(QStringLiteral("jinam.txt")), m_store));
}

QTEST_MAIN(DataFileDialogTest)
#include "data_datafiledialog.moc"
