#include "link/linkengine.h"
#include "link/linktrace.h"
#include "support/fakemodule.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {
QStringList linesOf(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The bytes of every line of one direction, in order.
QByteArray bytesOf(const QStringList& lines, QChar direction) {
    static const QRegularExpression line(
        QStringLiteral("^ *\\d+\\.\\d (.) ((?:[0-9A-F]{2} )+)\\|"));
    QByteArray out;
    for (const QString& l : lines) {
        const auto m = line.match(l);
        if (m.hasMatch() && m.captured(1) == direction)
            out += QByteArray::fromHex(m.captured(2).toLatin1());
    }
    return out;
}
} // namespace

class LinkTraceTest : public QObject {
    Q_OBJECT
private slots:
    // A store of one byte whose first write goes unanswered, on the fake module's clock.
    void scriptedStore() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("trace.txt"));
        FakeModule fake;
        fake.open(1);
        fake.drop(FakeModule::Commands('W').times(1));
        TracedPort port(fake);
        LinkTrace trace(path);
        trace.setClock([&fake] { return double(fake.nowMs()); });
        QVERIFY(trace.open(QStringLiteral("test"), nullptr));
        port.setTrace(&trace);
        ConfigStore store;
        store.image[5] = 0x2A;
        LinkEngine engine(store, port);
        engine.setClock([&fake] { return fake.nowMs(); });
        QVERIFY(engine.startStore({5}, false));
        for (int i = 0; i < 500 && !engine.isIdle(); ++i)
            engine.tick();
        QVERIFY(engine.isIdle());

        const QStringList lines = linesOf(path);
        QVERIFY(lines.first().startsWith(QStringLiteral("# Stavnik CFG, záznam komunikace od ")));
        QCOMPARE(lines.mid(2),
                 QStringList({
                     "      80.0 = linka je tichá, pokračuje se",
                     "      80.0 = kontrolní dotaz uzavírá blok",
                     "      80.0 > 40 47 30 30 30 30 2A 20 |@G0000* |  identifikace",
                     "     100.0 < 53 30 2A |S0*|",
                     "     140.0 = kontrolní odpověď souhlasí, blok platí",
                     "     140.0 > 40 57 05 00 2A 05 2A |@W..*.*|  zápis 0x0005 = 0x2A",
                     "     200.0 = bez platné odpovědi, nový pokus (0x0005)",
                     "     260.0 = linka je tichá, pokračuje se",
                     "     260.0 > 40 57 05 00 2A 05 2A |@W..*.*|  zápis 0x0005 = 0x2A",
                     "     280.0 < 59 2A |Y*|",
                     "     280.0 = odpověď přijata (0x0005)",
                     "     880.0 = linka je tichá, pokračuje se",
                     "     880.0 = kontrolní dotaz uzavírá blok",
                     "     880.0 > 40 47 30 30 30 30 2A 20 |@G0000* |  identifikace",
                     "     900.0 < 53 30 2A |S0*|",
                     "     900.0 = kontrolní odpověď souhlasí, blok platí",
                 }));
        // Nothing left out, nothing invented.
        QCOMPARE(bytesOf(lines, QLatin1Char('>')), fake.sentBytes());
    }

    // Past the limit the older half goes, and the file says so; the newest line stays.
    void boundedInSize() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("trace.txt"));
        LinkTrace trace(path, 4096);
        QVERIFY(trace.open(QStringLiteral("test"), nullptr));
        for (int i = 0; i < 400; ++i)
            trace.sent(QByteArray("@R") + char(i) + char(i >> 8) + "00*");
        QVERIFY(QFile(path).size() <= 4096);
        const QStringList lines = linesOf(path);
        QVERIFY(lines.first().startsWith(QStringLiteral("# ... starší část záznamu vynechána")));
        QVERIFY(lines.last().endsWith(QStringLiteral("čtení 0x018F")));
        QVERIFY(lines.at(1).contains(QStringLiteral("> 40 52 ")));
    }
};

QTEST_GUILESS_MAIN(LinkTraceTest)
#include "link_trace.moc"
