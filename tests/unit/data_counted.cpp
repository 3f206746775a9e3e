#include "data/counted.h"

#include <QtTest>

class CountedTest : public QObject {
    Q_OBJECT
private slots:
    void formFollowsTheCount_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("expected");
        for (const auto& [n, text] :
             std::initializer_list<std::pair<int, const char*>>{{0, "0 cest"},
                                                                {1, "1 cesta"},
                                                                {2, "2 cesty"},
                                                                {4, "4 cesty"},
                                                                {5, "5 cest"},
                                                                {11, "11 cest"},
                                                                {90, "90 cest"}})
            QTest::newRow(text) << n << QString::fromUtf8(text);
    }
    void formFollowsTheCount() {
        QFETCH(int, n);
        QFETCH(QString, expected);
        QCOMPARE(counted(n, "cesta", "cesty", "cest"), expected);
    }
};

QTEST_MAIN(CountedTest)
#include "data_counted.moc"
