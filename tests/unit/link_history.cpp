#include "link/historyrecorder.h"
#include "link/transfers.h"

#include <QtTest>

// What the history keeps of each transfer kind and outcome, on a 20-route module (addresses
// 1..703) whose bytes are address * 3.
class HistoryEntryTest : public QObject {
    Q_OBJECT
private slots:
    void entryHolds_data() {
        QTest::addColumn<QString>("transfer");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("part");   // store: header, all, route=3, changed
        QTest::addColumn<int>("writesDone"); // -1: every write
        QTest::addColumn<bool>("inFlight");
        QTest::addColumn<int>("doubtful");      // read-back failed here, -1 none
        QTest::addColumn<QString>("before");    // known before, as ranges
        QTest::addColumn<QString>("entryPart"); // "-": no entry
        QTest::addColumn<QString>("known");
        QTest::addColumn<bool>("complete");
        const QString no = QStringLiteral("-");
        QTest::newRow("read") << "read"
                              << "done"
                              << "" << -1 << false << -1 << ""
                              << ""
                              << "1-703" << true;
        QTest::newRow("read failed") << "read"
                                     << "failed"
                                     << "" << -1 << false << -1 << "" << no << "" << false;
        QTest::newRow("read cancelled") << "read"
                                        << "cancelled"
                                        << "" << -1 << false << -1 << "" << no << "" << false;
        QTest::newRow("verify equal") << "verify"
                                      << "done"
                                      << "" << -1 << false << -1 << ""
                                      << "equal"
                                      << "1-703" << true;
        QTest::newRow("verify different") << "verify"
                                          << "done"
                                          << "diff" << -1 << false << -1 << ""
                                          << "different"
                                          << "1-703" << true;
        QTest::newRow("verify cancelled") << "verify"
                                          << "cancelled"
                                          << "" << -1 << false << -1 << "" << no << "" << false;
        QTest::newRow("store all") << "store"
                                   << "done"
                                   << "all" << -1 << false << -1 << ""
                                   << "all"
                                   << "1-703" << true;
        QTest::newRow("store header alone") << "store"
                                            << "done"
                                            << "header" << -1 << false << -1 << ""
                                            << "header"
                                            << "1-62" << false;
        QTest::newRow("store header over a read") << "store"
                                                  << "done"
                                                  << "header" << -1 << false << -1 << "1-703"
                                                  << "header"
                                                  << "1-703" << true;
        QTest::newRow("store route, nothing known") << "store"
                                                    << "done"
                                                    << "route=3" << -1 << false << -1 << ""
                                                    << "route=3"
                                                    << "68-69,308-329" << false;
        QTest::newRow("store changed bytes") << "store"
                                             << "done"
                                             << "changed" << -1 << false << -1 << "1-703"
                                             << "changed"
                                             << "1-703" << true;
        QTest::newRow("store failed after 10 writes") << "store"
                                                      << "failed"
                                                      << "all" << 10 << false << -1 << ""
                                                      << "all"
                                                      << "1-10" << false;
        QTest::newRow("store cancelled, a write on its way") << "store"
                                                             << "cancelled"
                                                             << "all" << 10 << true << -1 << ""
                                                             << "all"
                                                             << "1-10" << false;
        QTest::newRow("store cancelled over a read") << "store"
                                                     << "cancelled"
                                                     << "all" << 10 << true << -1 << "1-703"
                                                     << "all"
                                                     << "1-10,12-703" << false;
        QTest::newRow("store failed in read-back") << "store"
                                                   << "failed"
                                                   << "route=3" << -1 << false << 310 << ""
                                                   << "route=3"
                                                   << "68-69,308-309,311-329" << false;
    }
    void entryHolds() {
        QFETCH(QString, transfer);
        QFETCH(QString, outcome);
        QFETCH(QString, part);
        QFETCH(int, writesDone);
        QFETCH(bool, inFlight);
        QFETCH(int, doubtful);
        QFETCH(QString, before);
        QFETCH(QString, entryPart);
        QFETCH(QString, known);
        QFETCH(bool, complete);
        TransferFacts f;
        f.transfer = transfer == "read"     ? LinkEngine::Transfer::Read
                     : transfer == "verify" ? LinkEngine::Transfer::Verify
                                            : LinkEngine::Transfer::Store;
        f.outcome = outcome == "done"     ? history::Outcome::Done
                    : outcome == "failed" ? history::Outcome::Failed
                                          : history::Outcome::Cancelled;
        f.capacity = 20;
        for (int a = 0; a < image::kSize; ++a) {
            f.image[std::size_t(a)] = std::uint8_t(a * 3);
            f.bytesBefore[std::size_t(a)] = std::uint8_t(a * 5);
        }
        QVERIFY(history::parseRanges(before, f.knownBefore));
        if (part == "diff")
            f.differences.push_back({400, 1, 0xEE});
        f.storeList = part == "header"    ? transfers::headerAddresses()
                      : part == "all"     ? transfers::allAddresses(20)
                      : part == "route=3" ? transfers::routeAddresses(3)
                                          : std::vector<std::uint32_t>{7, 9};
        f.writesDone = writesDone < 0 ? int(f.storeList.size()) : writesDone;
        f.writeInFlight = inFlight;
        f.doubtfulAddress = doubtful;

        const std::optional<history::Entry> e = historyEntry(f);
        QCOMPARE(e.has_value(), entryPart != "-");
        if (!e)
            return;
        QCOMPARE(e->part, entryPart);
        QCOMPARE(history::rangesText(e->known), known);
        QCOMPARE(e->complete(), complete);
        // Known bytes come from the transfer where it wrote or read them, else from before.
        const bool fromTransfer =
            f.transfer != LinkEngine::Transfer::Store || part == "all" || part == "header";
        QCOMPARE(e->bytes[5], std::uint8_t(fromTransfer ? 15 : 25));
        if (part == "diff")
            QCOMPARE(e->bytes[400], std::uint8_t(0xEE));
    }
};

QTEST_APPLESS_MAIN(HistoryEntryTest)
#include "link_history.moc"
