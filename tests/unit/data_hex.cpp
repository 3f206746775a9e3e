#include "data/hex.h"

#include <QTest>

class HexTest : public QObject {
    Q_OBJECT
private slots:
    void toText_data() {
        QTest::addColumn<quint32>("value");
        QTest::addColumn<int>("digits");
        QTest::addColumn<QString>("text");
        QTest::newRow("address") << 2243u << 4 << "08C3";
        QTest::newRow("byte") << 171u << 2 << "AB";
        QTest::newRow("zero padded") << 0u << 4 << "0000";
        QTest::newRow("only the lowest digits") << 0x1FFu << 2 << "FF";
        QTest::newRow("top of 32 bits") << 0xFFFFFFFFu << 8 << "FFFFFFFF";
        QTest::newRow("no digits") << 5u << 0 << "";
    }
    void toText() {
        QFETCH(quint32, value);
        QFETCH(int, digits);
        QFETCH(QString, text);
        QCOMPARE(toHex(value, digits), text);
        QCOMPARE(toHexBytes(value, digits), text.toLatin1());
    }

    void toValue_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<quint32>("value");
        QTest::newRow("plain") << QByteArray("08C3") << 2243u;
        QTest::newRow("lower case skipped") << QByteArray("3f") << 3u;
        QTest::newRow("separators skipped") << QByteArray(" 1-2:G3\r") << 0x123u;
        QTest::newRow("empty") << QByteArray() << 0u;
        QTest::newRow("no digits") << QByteArray("xyz*") << 0u;
        QTest::newRow("wraps at 32 bits") << QByteArray("123456789") << 0x23456789u;
        QTest::newRow("high bytes skipped") << QByteArray("\xc1\x41\xff") << 0xAu;
    }
    void toValue() {
        QFETCH(QByteArray, text);
        QFETCH(quint32, value);
        QCOMPARE(hexToValue(QByteArrayView(text)), value);
        QCOMPARE(hexToValue(QString::fromLatin1(text)), value);
    }
};

QTEST_APPLESS_MAIN(HexTest)
#include "data_hex.moc"
