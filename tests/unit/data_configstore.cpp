#include "data/codec.h"
#include "data/datafile.h"

#include <QTest>

using Change = void (*)(ConfigStore&);
Q_DECLARE_METATYPE(Change)

namespace {
void setToButton(ConfigStore& s, int button) {
    s.route(5).toButton = button;
    encodeRoutes(s.routes, s.image);
}
void row(const char* name, bool modified, Change change) {
    QTest::newRow(name) << change << modified;
}
} // namespace

class ConfigStoreTest : public QObject {
    Q_OBJECT
private slots:
    void modification_data() {
        QTest::addColumn<Change>("change");
        QTest::addColumn<bool>("modified");
        row("route edited", true, [](ConfigStore& s) { setToButton(s, 10); });
        row("route copied", true, [](ConfigStore& s) {
            s.route(9) = s.route(5);
            setToButton(s, 9);
        });
        row("route cleared", true, [](ConfigStore& s) {
            s.route(5).pointPositions.fill(0);
            setToButton(s, 0);
        });
        row("description edited", true, [](ConfigStore& s) { s.route(5).description += 'x'; });
        row("peripheral setting", true, [](ConfigStore& s) { s.image[3] ^= 1; });
        row("module read, other routes", true, [](ConfigStore& s) {
            s.image[image::blockAddress(7)] = 0x21;
            decodeCurrent(s.image, s.routes);
        });
        row("module read, same routes", false,
            [](ConfigStore& s) { decodeCurrent(s.image, s.routes); });
        row("edit undone by hand", false, [](ConfigStore& s) {
            setToButton(s, 10);
            setToButton(s, 9);
        });
        // A file holds nothing past the last route block, so saving could not keep it anyway.
        row("byte past the saved region", false,
            [](ConfigStore& s) { s.image[image::kConfigSize] = 1; });
        row("file loaded", false, [](ConfigStore& s) {
            ConfigStore other;
            other.route(2).description = QStringLiteral("jiný soubor");
            datafile::loadBytes(datafile::format(other), QString(), s);
        });
        row("edit, then a refused file", true, [](ConfigStore& s) {
            s.route(5).description.clear();
            datafile::loadBytes("S9.9\r\n", QString(), s);
        });
    }
    void modification() {
        QFETCH(Change, change);
        QFETCH(bool, modified);
        ConfigStore store; // saved with route 5 defined and described
        store.route(5).fromButton = 3;
        store.route(5).description = QStringLiteral("Vjezd na 1. kolej");
        setToButton(store, 9);
        store.markSaved();
        change(store);
        QCOMPARE(store.isModified(), modified);
        store.markSaved();
        QVERIFY(!store.isModified());
    }
};

QTEST_APPLESS_MAIN(ConfigStoreTest)
#include "data_configstore.moc"
