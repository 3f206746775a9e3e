#include "link/historyrecorder.h"
#include "link/transfers.h"

#include <QtTest>

namespace {
// "store failed all": the transfer, its outcome and (a store) the part it sent, or "diff" for a
// verify that found byte 400 different. `writes`: of a failed store, -1 for all of them;
// `doubt`: 0 a write was on its way, else the address its read-back found wrong.
void row(const char* name, const QString& what, int writes, int doubt, const QString& before,
         const QString& part, const QString& known) {
    QTest::newRow(name) << what.split(' ') << writes << doubt << before << part << known;
}
} // namespace

// What the history keeps of each transfer kind and outcome, on a 20-route module (addresses
// 1..703) whose bytes are address * 3 and were known before as address * 5.
class HistoryEntryTest : public QObject {
    Q_OBJECT
private slots:
    void entryHolds_data() {
        QTest::addColumn<QStringList>("what");
        QTest::addColumn<int>("writes");
        QTest::addColumn<int>("doubt");
        QTest::addColumn<QString>("before"); // known before, as ranges
        QTest::addColumn<QString>("part");   // "-": no entry
        QTest::addColumn<QString>("known");
        row("read", "read done -", -1, -1, "", "", "1-703");
        row("read failed", "read failed -", -1, -1, "", "-", "");
        row("read cancelled", "read cancelled -", -1, -1, "", "-", "");
        row("verify equal", "verify done -", -1, -1, "", "equal", "1-703");
        row("verify different", "verify done diff", -1, -1, "", "different", "1-703");
        row("verify cancelled", "verify cancelled -", -1, -1, "", "-", "");
        row("store all", "store done all", -1, -1, "", "all", "1-703");
        row("store header alone", "store done header", -1, -1, "", "header", "1-62");
        row("store header over a read", "store done header", -1, -1, "1-703", "header", "1-703");
        row("store route", "store done route=3", -1, -1, "", "route=3", "68-69,308-329");
        row("store changed bytes", "store done changed", -1, -1, "1-703", "changed", "1-703");
        row("store failed after 10 writes", "store failed all", 10, -1, "", "all", "1-10");
        row("store cancelled, a write on its way", "store cancelled all", 10, 0, "", "all", "1-10");
        row("store cancelled over a read", "store cancelled all", 10, 0, "1-703", "all",
            "1-10,12-703");
        row("store failed in read-back", "store failed route=3", -1, 310, "", "route=3",
            "68-69,308-309,311-329");
    }
    void entryHolds() {
        QFETCH(QStringList, what);
        QFETCH(int, writes);
        QFETCH(int, doubt);
        QFETCH(QString, before);
        QFETCH(QString, part);
        QFETCH(QString, known);
        TransferFacts f;
        f.transfer = what[0] == "read"     ? TransferKind::Read
                     : what[0] == "verify" ? TransferKind::Verify
                                           : TransferKind::Store;
        f.outcome = what[1] == "done"     ? history::Outcome::Done
                    : what[1] == "failed" ? history::Outcome::Failed
                                          : history::Outcome::Cancelled;
        f.capacity = 20;
        for (int a = 0; a < image::kSize; ++a) {
            f.image[std::size_t(a)] = std::uint8_t(a * 3);
            f.bytesBefore[std::size_t(a)] = std::uint8_t(a * 5);
        }
        QVERIFY(history::parseRanges(before, f.knownBefore));
        if (what[2] == "diff")
            f.differences.push_back({400, 1, 0xEE});
        f.storeList = what[2] == "header"    ? transfers::headerAddresses()
                      : what[2] == "all"     ? transfers::allAddresses(20)
                      : what[2] == "route=3" ? transfers::routeAddresses(3)
                                             : std::vector<std::uint32_t>{7, 9};
        f.writesDone = writes < 0 ? int(f.storeList.size()) : writes;
        f.writeInFlight = doubt == 0;
        f.doubtfulAddress = doubt > 0 ? doubt : -1;

        const std::optional<history::Entry> e = historyEntry(f);
        QCOMPARE(e.has_value(), part != "-");
        if (!e)
            return;
        QCOMPARE(e->part, part);
        QCOMPARE(history::rangesText(e->known), known);
        QCOMPARE(e->complete(), known == "1-703");
        // Known bytes come from the transfer where it wrote or read them, else from before.
        const bool sent = f.transfer != TransferKind::Store || part == "all" || part == "header";
        QCOMPARE(e->bytes[5], std::uint8_t(sent ? 15 : 25));
        if (what[2] == "diff")
            QCOMPARE(e->bytes[400], std::uint8_t(0xEE));
    }
};

QTEST_APPLESS_MAIN(HistoryEntryTest)
#include "link_history.moc"
