#include "data/codec.h"
#include "data/routecommands.h"
#include "data/ui/configsteps.h"

#include <QUndoStack>
#include <QtTest>

// Each change as a step on the stack: pushing makes it, undo gives back the configuration it
// started from byte for byte (bytes no route field holds included), redo the changed one.
class ConfigStepsTest : public QObject {
    Q_OBJECT
private slots:
    void changeUndoRedo_data() {
        QTest::addColumn<QString>("change"); // "same ...": an OK that changed nothing
        for (const char* change : {"edit", "copy", "clear", "clear whole", "header", "mark",
                                   "same route", "same header"})
            QTest::newRow(change) << QString::fromLatin1(change);
    }
    void changeUndoRedo() {
        QFETCH(QString, change);
        const bool pushed = !change.startsWith(QLatin1String("same"));
        ConfigStore store;
        for (std::size_t a = 0; a < store.image.size(); ++a)
            store.image[a] = std::uint8_t(a * 37 + 11); // every bit, meaningful or not, set
        decodeCurrent(store.image, store.routes);
        store.route(7).description = QStringLiteral("sedmička");
        ConfigDocument doc(store);
        const ConfigStore before = store;
        QUndoStack stack;
        std::unique_ptr<QUndoCommand> step;
        bool changes = false;
        if (change.endsWith(QLatin1String("header"))) {
            HeaderBytes header = headerOf(store.image);
            header[5] ^= change == QLatin1String("header") ? 0x10 : 0;
            auto h = std::make_unique<HeaderStep>(doc, header, QString());
            changes = h->changesAnything();
            step = std::move(h);
        } else {
            RouteRecord after = store.route(7);
            if (change == QLatin1String("edit"))
                after.signal2 = 9;
            else if (change == QLatin1String("copy"))
                after = store.route(2);
            else if (change.startsWith(QLatin1String("clear")))
                after = clearedRoute(after, change.endsWith(QLatin1String("whole")));
            const bool mark = change == QLatin1String("mark");
            auto r = std::make_unique<RouteStep>(doc, 7, after, mark, QString());
            changes = r->changesAnything();
            step = std::move(r);
        }
        QCOMPARE(changes, pushed);
        if (!pushed)
            return;
        stack.push(step.release()); // makes the change
        const ConfigStore after = store;
        const bool markAfter = doc.descriptionFromElsewhere(7);
        QVERIFY(after.image != before.image || after.routes != before.routes || markAfter);
        // A route's change touches its own bytes only, whatever the others hold.
        for (int a = image::kHeaderSize; a < image::kSize; ++a)
            QVERIFY(after.image[a] == before.image[a] || a / 2 == image::indexPairAddress(7) / 2 ||
                    (a >= image::blockAddress(7) && a < image::blockAddress(8)));
        stack.undo();
        QVERIFY(store.image == before.image && store.routes == before.routes);
        QVERIFY(!doc.descriptionFromElsewhere(7));
        stack.redo();
        QVERIFY(store.image == after.image && store.routes == after.routes);
        QCOMPARE(doc.descriptionFromElsewhere(7), markAfter);
    }
};

QTEST_MAIN(ConfigStepsTest)
#include "data_configsteps.moc"
