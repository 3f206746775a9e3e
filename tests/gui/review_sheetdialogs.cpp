#include "review/ui/sheetdialogs.h"
#include "support/modal.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QtTest>

class SheetDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { m_parent = new QWidget; }
    void cleanup() { delete m_parent; }
    void exportChoosesTheFormatByName_data();
    void exportChoosesTheFormatByName();

private:
    QWidget* m_parent = nullptr;
    ConfigStore m_store;
};

// The name typed, or the filter the user picks for a bare name, chooses the format; a name that
// chooses none and a target that is no file (given without the dialog, -1) are refused, and
// nothing is written.
void SheetDialogsTest::exportChoosesTheFormatByName_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QByteArray>("start");
    QTest::newRow("csv") << "list.csv" << 0 << "list.csv"
                         << QByteArray("\xEF\xBB\xBF"
                                       "Cesta;");
    QTest::newRow("csv, long form")
        << "list.csv" << 3 << "list.csv" << QByteArray("položka,pole,hodnota\r\n");
    QTest::newRow("bare name, CSV filter")
        << "list" << 2 << "list.csv" << QByteArray("\xEF\xBB\xBF");
    QTest::newRow("bare name, HTML filter")
        << "list" << 1 << "list.html" << QByteArray("<!DOCTYPE");
    QTest::newRow("pdf in capitals") << "list.PDF" << 2 << "list.PDF" << QByteArray("%PDF");
    QTest::newRow("no such format") << "list.txt" << 0 << "" << QByteArray();
    QTest::newRow("a folder") << "folder.csv" << -1 << "" << QByteArray();
}

void SheetDialogsTest::exportChoosesTheFormatByName() {
    QFETCH(QString, typed);
    QFETCH(int, filter);
    QFETCH(QString, written);
    QFETCH(QByteArray, start);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.csv")));
    QFileDialog* dialog = exportDialog(m_parent);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    BoxWatcher watcher;
    onNextModal([&](QWidget* w) {
        if (filter < 0)
            return;
        auto* combo = w->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        for (int k = 0; k < filter; ++k)
            QTest::keyClick(combo, Qt::Key_Down);
        qobject_cast<QFileDialog*>(w)->selectFile(dir.filePath(typed));
        static_cast<QDialog*>(w)->accept();
    });
    const bool saved = filter < 0 ? exportSheetTo(m_parent, dir.filePath(typed), m_store)
                                  : exportSheetCommand(m_parent, *dialog, m_store);
    QCOMPARE(saved, !written.isEmpty());
    QCOMPARE(watcher.boxes().size(), written.isEmpty() ? 1 : 0);
    QStringList expected{QStringLiteral("folder.csv")};
    if (!written.isEmpty())
        expected << written;
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), expected);
    if (written.isEmpty())
        return;
    QFile f(dir.filePath(written));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().startsWith(start));
}

QTEST_MAIN(SheetDialogsTest)
#include "review_sheetdialogs.moc"
