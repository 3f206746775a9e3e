#include "data/codepage1250.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

// The table against Qt's own codec where Qt has one (ICU), and the round trip everywhere.
class CodePageTest : public QObject {
    Q_OBJECT
private slots:
    void everyByteReadsAndWritesBack() {
        QStringDecoder system("windows-1250");
        for (int b = 0; b < 256; ++b) {
            const QByteArray byte(1, char(b));
            const QString c = codepage1250::decode(byte);
            QCOMPARE(c.size(), 1);
            if (system.isValid())
                QCOMPARE(c, QString(system.decode(byte)));
            QCOMPARE(codepage1250::encode(c), byte);
        }
    }

    void everyCharacterAsQtsCodec() {
        if (!QStringEncoder("windows-1250").isValid())
            QSKIP("Qt has no Windows-1250 codec here");
        for (char32_t u = 1; u < 0x10000; ++u) {
            const QChar c{char16_t(u)};
            if (c.isSurrogate())
                continue;
            QStringEncoder system("windows-1250"); // a fresh one: an error stays set
            const QByteArray qt = system.encode(QStringView(&c, 1));
            const bool qtHolds = !system.hasError() && qt.size() == 1;
            QCOMPARE(codepage1250::holds(QStringView(&c, 1)), qtHolds);
            bool lossy = false;
            QCOMPARE(codepage1250::encode(QStringView(&c, 1), &lossy),
                     qtHolds ? qt : QByteArray("?"));
            QCOMPARE(lossy, !qtHolds);
        }
    }

    void lettersItLacksBecomeOneQuestionMarkEach_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("Czech") << QStringLiteral("Příjezd č. 3")
                               << QByteArray("P\xF8\xED"
                                             "jezd \xE8. 3");
        QTest::newRow("Cyrillic") << QStringLiteral("Ж1") << QByteArray("?1");
        QTest::newRow("outside the BMP") << QStringLiteral("a\U0001F682b") << QByteArray("a?b");
        QTest::newRow("lone surrogate") << QString(QChar(0xD83D)) << QByteArray("?");
    }
    void lettersItLacksBecomeOneQuestionMarkEach() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(codepage1250::encode(text), bytes);
    }
};

QTEST_APPLESS_MAIN(CodePageTest)
#include "data_codepage.moc"
