#include "data/configstore.h"
#include "data/ui/routegrid.h"
#include "editors/ui/peripheraleditor.h"
#include "support/screenshots.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <memory>

// The dialog is driven the way a user drives it: controls found by name, clicked and typed
// into. Expected headers are written out byte by byte, or computed by the reference model
// below, which follows the header's byte layout and the documented value lists, not the
// editor's code.
using Header = QByteArray; // 64 bytes

namespace {

constexpr int kDelayShown[16] = {0, 2, 3, 5, 6, 8, 10, 11, 13, 14, 16, 18, 19, 21, 22, 24};
// The relay delay the box shows for stored half seconds 0..15, in half seconds.
constexpr int kRelayShownHalves[16] = {0, 0, 2, 4, 4, 4, 6, 8, 8, 8, 10, 10, 10, 10, 10, 10};

Header bytes(std::initializer_list<std::pair<int, int>> changes, Header base = Header(64, 0)) {
    for (auto [address, value] : changes)
        base[address] = char(value);
    return base;
}

// What OK stores after the first showing on an all-zero image: what the user changed, and
// nothing else, although the boxes show a pulse length, signals and a DCC address of 1.
Header zeroAfterOk(std::initializer_list<std::pair<int, int>> changes = {}) {
    return bytes(changes);
}

// A header the dialog shows without changing anything: OK with no user action gives it back.
// Bytes the dialog does not own carry values it must not touch.
Header settled() {
    Header h(64, 0);
    const int owned[][2] = {{1, 3},     {2, 5},     {3, 0x96},  {4, 0x37},  {5, 0x5A},  {6, 0x12},
                            {7, 0x21},  {8, 0x32},  {9, 0x43},  {10, 0x51}, {11, 0x60}, {12, 0x72},
                            {13, 0xF3}, {14, 0x6A}, {15, 0x81}, {17, 7},    {18, 12}};
    for (const auto& p : owned)
        h[p[0]] = char(p[1]);
    for (int a : {0, 16})
        h[a] = char(0xE0 + a);
    for (int a = 19; a < 64; ++a)
        h[a] = char(a * 37 + 11);
    return h;
}

Header headerOf(const ConfigStore& store) {
    return Header(reinterpret_cast<const char*>(store.image.data()), 64);
}

QString describe(const Header& actual, const Header& expected) {
    QStringList diffs;
    for (int a = 0; a < 64; ++a)
        if (actual[a] != expected[a])
            diffs << QStringLiteral("byte %1: %2 expected %3")
                         .arg(a)
                         .arg(quint8(actual[a]), 2, 16, QLatin1Char('0'))
                         .arg(quint8(expected[a]), 2, 16, QLatin1Char('0'));
    return diffs.join(QStringLiteral("; "));
}

// One dialog on its own store; the bytes past the header carry a pattern that must survive.
struct Session {
    ConfigStore store;
    std::unique_ptr<PeripheralEditor> dialog;

    explicit Session(const Header& header) {
        for (int a = 0; a < image::kSize; ++a)
            store.image[a] = quint8(a < 64 ? header[a] : a * 7 + 3);
        dialog = std::make_unique<PeripheralEditor>(store);
        // The dialog hands back the header; committing it is its caller's part.
        QObject::connect(dialog.get(), &QDialog::accepted, [this] {
            std::copy(dialog->header().begin(), dialog->header().end(), store.image.begin());
        });
    }

    template <typename T = QWidget> T* find(const QString& name) const {
        T* w = dialog->findChild<T*>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }

    // Brings the control's tab to the front, as a user would before touching it.
    void reveal(QWidget* w) const {
        auto* tabs = find<QTabWidget>(QStringLiteral("PCntr1"));
        for (QWidget* p = w; p && p->parentWidget(); p = p->parentWidget())
            if (qobject_cast<QStackedWidget*>(p->parentWidget()))
                tabs->setCurrentWidget(p);
    }

    void click(const QString& name) const {
        auto* button = find<QAbstractButton>(name);
        reveal(button);
        QPoint where = button->rect().center();
        if (qobject_cast<QCheckBox*>(button) || button->inherits("QRadioButton")) {
            QStyleOptionButton option;
            option.initFrom(button);
            const auto element = qobject_cast<QCheckBox*>(button) ? QStyle::SE_CheckBoxClickRect
                                                                  : QStyle::SE_RadioButtonClickRect;
            where = button->style()->subElementRect(element, &option, button).center();
        }
        QTest::mouseClick(button, Qt::LeftButton, {}, where);
    }

    void type(const QString& name, const QString& text) const {
        auto* box = find<QSpinBox>(name);
        reveal(box);
        box->selectAll();
        if (text.isEmpty())
            QTest::keyClick(box, Qt::Key_Backspace);
        else
            QTest::keyClicks(box, QString(text).remove(QLatin1Char('!')));
        if (text.endsWith(QLatin1Char('!'))) // "!" ends the typing with Return
            QTest::keyClick(box, Qt::Key_Return);
    }

    // "?name=value" or "?name.enabled=0/1": spin boxes compare their text, buttons whether
    // they are checked, labels their text.
    void check(const QString& step) const {
        const QString what = step.mid(1).section(QLatin1Char('='), 0, 0);
        const QString want = step.section(QLatin1Char('='), 1);
        QString actual;
        if (what.endsWith(QLatin1String(".enabled"))) {
            actual = find(what.chopped(8))->isEnabled() ? QStringLiteral("1") : QStringLiteral("0");
        } else if (auto* box = dialog->findChild<QSpinBox*>(what)) {
            actual = box->cleanText();
        } else if (auto* button = dialog->findChild<QAbstractButton*>(what)) {
            actual = button->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
        } else {
            actual = find<QLabel>(what)->text();
        }
        if (actual != want)
            QFAIL(qPrintable(QStringLiteral("%1: got \"%2\"").arg(step, actual)));
    }

    // Script steps: "show", "OK", "Cancel", "close", "name=text" (typed into a spin box),
    // "?..." (a check), anything else clicks the named control.
    void run(const QStringList& script, bool endsClosed = true) const {
        for (const QString& step : script) {
            if (step == QLatin1String("show")) {
                dialog->show();
            } else if (step == QLatin1String("OK")) {
                click(QStringLiteral("BtOK1"));
                QCOMPARE(dialog->result(), int(QDialog::Accepted));
            } else if (step == QLatin1String("Cancel")) {
                click(QStringLiteral("BtCancel1"));
                QCOMPARE(dialog->result(), int(QDialog::Rejected));
            } else if (step == QLatin1String("close")) {
                dialog->close();
                QCOMPARE(dialog->result(), int(QDialog::Rejected));
            } else if (step.startsWith(QLatin1Char('?'))) {
                check(step);
            } else if (step.contains(QLatin1Char('='))) {
                type(step.section(QLatin1Char('='), 0, 0), step.section(QLatin1Char('='), 1));
            } else {
                click(step);
            }
            if (QTest::currentTestFailed())
                return;
        }
        if (endsClosed)
            QVERIFY2(!dialog->isVisible(), "the script must end by closing the dialog");
    }

    void verifyImage(const Header& expected) const {
        const Header actual = headerOf(store);
        QVERIFY2(actual == expected, qPrintable(describe(actual, expected)));
        for (int a = 64; a < image::kSize; ++a)
            if (store.image[a] != quint8(a * 7 + 3))
                QFAIL(qPrintable(QStringLiteral("byte %1 beyond the header changed").arg(a)));
    }
};

QStringList steps(const char* script) {
    return QString::fromUtf8(script).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QStringList allConditionBoxes() {
    QStringList names;
    for (const char* prefix : {"CBsn", "CBdet", "CBsnR", "CBdetR"})
        for (int k = 1; k <= 8; ++k)
            names << QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(k);
    return names;
}

QStringList allCheckBoxes() {
    QStringList names = allConditionBoxes();
    names << QStringLiteral("CBdccMode") << QStringLiteral("CBinverzeDET")
          << QStringLiteral("CBdetekceSN") << QStringLiteral("CBinverzeDET2")
          << QStringLiteral("CBdetekceSN2") << QStringLiteral("CB_DCCenaGLOB")
          << QStringLiteral("CB_DCCrstENA");
    for (int r = 9; r <= 12; ++r)
        names << QStringLiteral("CBrele%1").arg(r);
    return names;
}

QStringList checksAllClear() {
    QStringList steps;
    for (const QString& name : allCheckBoxes())
        steps << QStringLiteral("?%1=0").arg(name);
    return steps;
}

} // namespace

class PeripheralEditorTest : public QObject {
    Q_OBJECT
private slots:
    void scripts_data();
    void scripts();
    void delayRoundTrips_data();
    void delayRoundTrips();
    void relayDelayRoundTrips_data();
    void relayDelayRoundTrips();
    void firstShowingMatchesModel();
    void randomUseNeverLeavesTheOwnedBytes();
    void modalShowingThroughExec_data();
    void modalShowingThroughExec();
    void gridShowsNewDccBaseOnlyAfterRefill();
    void windowLooksAsDescribed();
    void screenshots();
};

void PeripheralEditorTest::scripts_data() {
    QTest::addColumn<Header>("header");
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<Header>("expected");
    const Header zero(64, 0);
    const Header set = settled();
    const QStringList firstLook =
        steps("show ?RGtyp1Item0=1 ?SEdit1=1 ?LBvyh2=+9 ?SEpulsVar1=1 ?SEpulsVar1.enabled=0 "
              "?SEdelayVYH=0 ?SEdelay=0 ?RGrele14Item0=1 ?RGrele15Item0=1 "
              "?SEnavestR14.enabled=0 ?SEsenzorR14.enabled=0 ?SEnavestR15.enabled=0 "
              "?SEsenzorR15.enabled=0 ?SEnavestR14=1 ?SEsenzorR14=1 ?SEnavestR15=1 "
              "?SEsenzorR15=1 ?SE_DCCaddr=1") +
        checksAllClear();
    auto row = [](const char* name, const Header& h, const QStringList& s, const Header& e) {
        QTest::newRow(name) << h << s << e;
    };

    row("all-zero first showing, OK", zero, firstLook + steps("OK"), zeroAfterOk());
    row("all-zero first showing, Cancel", zero, firstLook + steps("Cancel"), zero);
    row("settled header comes back unchanged", set, steps("show OK"), set);
    row("settled header shows its values", set,
        steps("show ?RGtyp1Item2=1 ?SEpulsVar1=1 ?SEdelayVYH=16 ?SEdelay=3 ?RGrele14Item1=1 "
              "?RGrele15Item2=1 ?SEnavestR14=12 ?SEsenzorR14=8 ?SEnavestR15=5 ?SEsenzorR15=4 "
              "?CBdccMode=1 ?CBinverzeDET=1 ?CBdetekceSN=1 ?CBinverzeDET2=1 ?CBdetekceSN2=1 "
              "?CBrele9=1 ?CBrele10=0 ?CBrele11=1 ?CBrele12=0 ?SE_DCCaddr=359 "
              "?CB_DCCenaGLOB=1 ?CB_DCCrstENA=0 Cancel"),
        set);

    row("machine 3 shows +11", zero, steps("show SEdit1=3 ?LBvyh2=+11 ?SEpulsVar1=1 Cancel"), zero);
    row("type and pulse of machine 4", set,
        steps("show SEdit1=4 ?RGtyp1Item3=1 ?SEpulsVar1=4 ?SEpulsVar1.enabled=0 RGtyp1Item1 "
              "?SEpulsVar1.enabled=1 SEpulsVar1=12 SEdit1=5 ?RGtyp1Item1=1 ?SEpulsVar1=5 "
              "RGtyp1Item0 ?SEpulsVar1.enabled=0 SEdit1=4 ?RGtyp1Item1=1 ?SEpulsVar1=12 OK"),
        bytes({{9, 0xC1}, {10, 0x50}}, set));
    // Showing a machine is no edit: both entries keep what the controls cannot show.
    row("type code above 3 and pulse 0 are shown as they can be",
        bytes({{6, 0x35}, {7, 0x07}}, zero),
        steps("show ?RGtyp1Item3=1 ?SEpulsVar1=3 SEdit1=2 ?RGtyp1Item3=1 ?SEpulsVar1=1 OK"),
        bytes({{6, 0x35}, {7, 0x07}}));
    row("a pulse length shown as 1 is stored once the type uses it", bytes({{7, 0x02}}, zero),
        steps("show SEdit1=2 RGtyp1Item1 OK"), bytes({{7, 0x11}}));
    row("a typed delay shows as what is stored", zero,
        steps("show SEdelayVYH=1! ?SEdelayVYH=2 SEdelayVYH=4! ?SEdelayVYH=3 SEdelayVYH=25! "
              "?SEdelayVYH=24 SEdelayVYH=7 OK show ?SEdelayVYH=6 Cancel"),
        zeroAfterOk({{5, 4}}));
    row("an emptied machine selector edits nothing", set,
        steps("show SEdit1=2 SEdit1= ?LBvyh2= ?RGtyp1.enabled=0 ?RGtyp1Item0=0 ?RGtyp1Item1=0 "
              "?RGtyp1Item2=0 ?RGtyp1Item3=0 ?SEpulsVar1.enabled=0 RGtyp1Item2 SEdit1=2 "
              "?RGtyp1Item1=1 ?LBvyh2=+10 OK"),
        set);
    row("OK with an empty machine selector takes machine 1", set,
        steps("show SEdit1=6 SEdit1= OK show ?SEdit1=1 ?LBvyh2=+9 Cancel"), set);

    row("S3 and rD8 for relay 10", zero, steps("show SEreleIND1=10 CBsn3 CBdetR8 OK"),
        zeroAfterOk({{36, 0x04}, {39, 0x80}}));
    row("ticks follow the relay selector, Cancel drops them", set,
        steps("show ?CBsn1=1 ?CBsn3=0 CBsn3 SEreleIND1=11 ?CBsn3=0 SEreleIND1=9 ?CBsn3=1 "
              "?CBsn1=1 Cancel"),
        set);
    row("tick for relay 9 from zero, switch away and back, Cancel", zero,
        steps("show CBdet5 SEreleIND1=11 ?CBdet5=0 SEreleIND1=9 ?CBdet5=1 Cancel"), zero);
    row("every condition box of relay 12", zero,
        steps("show SEreleIND1=12") + allConditionBoxes() + steps("OK"),
        zeroAfterOk({{44, 0xFF}, {45, 0xFF}, {46, 0xFF}, {47, 0xFF}}));
    row("a click flips only its own bit", set, steps("show SEreleIND1=11 CBsnR3 CBdet1 OK"),
        bytes({{42, quint8(set[42]) ^ 0x04}, {41, quint8(set[41]) ^ 0x01}}, set));
    row("a half-typed relay number selects no relay", zero,
        steps("show CBsn1 SEreleIND1=1 ?CBsn1=0 ?CBsn1.enabled=0 ?CBdetR8.enabled=0 CBsn2 "
              "?CBsn2=0 SEreleIND1=12 ?CBsn1=0 ?CBsn1.enabled=1 CBdet2 OK"),
        zeroAfterOk({{32, 0x01}, {45, 0x02}}));

    row("relay 15 modes enable its boxes", zero,
        steps("show RGrele14Item1 ?SEnavestR14.enabled=1 ?SEsenzorR14.enabled=0 RGrele14Item2 "
              "?SEnavestR14.enabled=1 ?SEsenzorR14.enabled=1 SEnavestR14=20 SEsenzorR14=16 "
              "RGrele14Item0 ?SEnavestR14.enabled=0 ?SEsenzorR14.enabled=0 RGrele14Item2 OK"),
        zeroAfterOk({{3, 0x20}, {17, 15}, {18, 20}}));
    row("relay 16 modes enable its boxes", zero,
        steps("show RGrele15Item2 ?SEnavestR15.enabled=1 ?SEsenzorR15.enabled=1 SEnavestR15=7 "
              "SEsenzorR15=9 RGrele15Item1 ?SEnavestR15.enabled=1 ?SEsenzorR15.enabled=0 OK"),
        zeroAfterOk({{3, 0x40}, {1, 8}, {2, 7}}));
    row("stored mode 3 shows as the last item", bytes({{3, 0xF0}}, zero),
        steps("show ?RGrele14Item2=1 ?RGrele15Item2=1 ?SEsenzorR14.enabled=1 "
              "?SEsenzorR15.enabled=1 OK"),
        bytes({{3, 0xF0}}));

    row("DCC 1900 with both flags", zero,
        steps("show SE_DCCaddr=1900 CB_DCCenaGLOB CB_DCCrstENA OK"),
        zeroAfterOk({{14, 0x6F}, {15, 0xC7}}));
    row("DCC 1900 without flags", set, steps("show SE_DCCaddr=1900 CB_DCCenaGLOB OK"),
        bytes({{14, 0x6F}, {15, 0x07}}, set));
    row("DCC address above 1900 in the image", bytes({{14, 0xFF}, {15, 0x3F}}, zero),
        steps("show ?SE_DCCaddr=1900 OK"), bytes({{14, 0xFF}, {15, 0x3F}}, zero));
    row("an emptied DCC address reads as the lowest on OK", set, steps("show SE_DCCaddr= OK"),
        bytes({{14, 4}, {15, 0x80}}, set));
    row("a DCC address typed above 1900 stores 1900", zero, steps("show SE_DCCaddr=2500 OK"),
        zeroAfterOk({{14, 0x6F}, {15, 0x07}}));
    row("machine 9 typed selects none, then becomes 8", zero,
        steps("show SEdit1=9 ?LBvyh2= ?RGtyp1.enabled=0 OK show ?SEdit1=8 ?LBvyh2=+16 Cancel"),
        zeroAfterOk());

    row("flags of bytes 4 and 5", zero,
        steps("show CBdccMode CBinverzeDET2 CBdetekceSN CBrele10 CBrele12 SEdelayVYH=8 "
              "SEdelay=5 OK"),
        zeroAfterOk({{3, 10}, {4, 0x15}, {5, 0xA5}}));
    row("longest point-machine delay", zero, steps("show SEdelayVYH=25 OK"),
        zeroAfterOk({{5, 0x0F}}));

    row("close box drops every change", set,
        steps("show SEdit1=3 RGtyp1Item1 SEpulsVar1=9 CBsn4 CBrele10 SE_DCCaddr=55 "
              "RGrele14Item0 CB_DCCrstENA close"),
        set);
    // This time machine 3 is shown while its pulse box already reads 1, so no entry takes the
    // pulse length 1 and byte 6 stays 0.
    row("next showing reloads but keeps both selectors", zero,
        steps("show SEdit1=3 SEreleIND1=11 CBsn1 RGtyp1Item1 Cancel show ?SEdit1=3 ?LBvyh2=+11 "
              "?SEreleIND1=11 ?CBsn1=0 ?RGtyp1Item0=1 OK"),
        zeroAfterOk({{6, 0x00}}));
}

void PeripheralEditorTest::scripts() {
    QFETCH(Header, header);
    QFETCH(QStringList, script);
    QFETCH(Header, expected);
    Session s(header);
    s.run(script);
    if (QTest::currentTestFailed())
        return;
    s.verifyImage(expected);
}

void PeripheralEditorTest::delayRoundTrips_data() {
    QTest::addColumn<int>("code");
    for (int c = 0; c < 16; ++c)
        QTest::addRow("code %d", c) << c;
}

void PeripheralEditorTest::delayRoundTrips() {
    QFETCH(int, code);
    Session s(bytes({{5, 0x90 | code}}, settled()));
    s.run({"show", QStringLiteral("?SEdelayVYH=%1").arg(kDelayShown[code]), "OK"});
    s.verifyImage(bytes({{5, 0x90 | code}}, settled()));
}

void PeripheralEditorTest::relayDelayRoundTrips_data() {
    QTest::addColumn<int>("halfSeconds");
    for (int v = 0; v < 16; ++v)
        QTest::addRow("%d half seconds", v) << v;
}

void PeripheralEditorTest::relayDelayRoundTrips() {
    QFETCH(int, halfSeconds);
    Session s(bytes({{3, 0x60 | halfSeconds}}, settled()));
    s.run({"show", QStringLiteral("?SEdelay=%1").arg(kRelayShownHalves[halfSeconds] / 2), "OK"});
    s.verifyImage(bytes({{3, 0x60 | halfSeconds}}, settled()));
}

void PeripheralEditorTest::firstShowingMatchesModel() {
    QRandomGenerator gen(2024);
    for (int i = 0; i < 150; ++i) {
        Header h(64, 0);
        for (auto& b : h)
            b = char(gen.bounded(256));
        Session s(h);
        s.run({"show", "OK"});
        s.verifyImage(h);
        if (QTest::currentTestFailed())
            return;
    }
}

// Whatever the user does, Cancel and the close box change nothing and OK touches only the
// bytes the dialog owns.
void PeripheralEditorTest::randomUseNeverLeavesTheOwnedBytes() {
    QRandomGenerator gen(77);
    QStringList buttons = allCheckBoxes();
    for (int i = 0; i < 4; ++i)
        buttons << QStringLiteral("RGtyp1Item%1").arg(i);
    for (int i = 0; i < 3; ++i)
        buttons << QStringLiteral("RGrele14Item%1").arg(i)
                << QStringLiteral("RGrele15Item%1").arg(i);
    const QStringList boxes = {"SEdit1",      "SEpulsVar1",  "SEdelayVYH",  "SEdelay",
                               "SEnavestR14", "SEsenzorR14", "SEnavestR15", "SEsenzorR15",
                               "SEreleIND1",  "SE_DCCaddr"};
    const QStringList endings = {"OK", "Cancel", "close"};
    for (int round = 0; round < 60; ++round) {
        Header h(64, 0);
        for (auto& b : h)
            b = char(gen.bounded(256));
        Session s(h);
        QStringList script{"show"};
        for (int step = 0; step < 40; ++step) {
            if (gen.bounded(2))
                script << buttons[gen.bounded(int(buttons.size()))];
            else
                script << boxes[gen.bounded(int(boxes.size()))] + QLatin1Char('=') +
                              QString::number(int(gen.bounded(-3, 2000)) /
                                              int(gen.bounded(1, 200)));
        }
        const QString ending = endings[gen.bounded(3)];
        s.run(script + QStringList{ending});
        if (QTest::currentTestFailed())
            return;
        const Header after = headerOf(s.store);
        if (ending != QLatin1String("OK")) {
            s.verifyImage(h);
        } else {
            for (int a : {0, 16})
                QCOMPARE(after[a], h[a]);
            for (int a = 19; a < 32; ++a)
                QCOMPARE(after[a], h[a]);
            for (int a = 48; a < 64; ++a)
                QCOMPARE(after[a], h[a]);
            // Bits without meaning keep theirs; a byte the dialog wrote holds what its box can.
            QCOMPARE(quint8(after[4]) & 0xC8, quint8(h[4]) & 0xC8);
            QCOMPARE(quint8(after[15]) & 0x30, quint8(h[15]) & 0x30);
            for (int a : {1, 17})
                QVERIFY(after[a] == h[a] || quint8(after[a]) <= 15);
            for (int a : {2, 18})
                QVERIFY(after[a] == h[a] || (quint8(after[a]) >= 1 && quint8(after[a]) <= 20));
        }
        if (QTest::currentTestFailed())
            return;
    }
}

void PeripheralEditorTest::modalShowingThroughExec_data() {
    QTest::addColumn<bool>("ok");
    QTest::newRow("OK") << true;
    QTest::newRow("close box") << false;
}

void PeripheralEditorTest::modalShowingThroughExec() {
    QFETCH(bool, ok);
    Session s(Header(64, 0));
    QString seen;
    QTimer::singleShot(0, [&] {
        auto* modal = qobject_cast<PeripheralEditor*>(QApplication::activeModalWidget());
        if (!modal) {
            seen = QStringLiteral("no modal dialog");
            return;
        }
        seen = modal->findChild<QLabel*>(QStringLiteral("LBvyh2"))->text();
        s.run({"SE_DCCaddr=1900", ok ? "OK" : "close"});
        if (modal->isVisible())
            modal->reject();
    });
    const int result = s.dialog->exec();
    QCOMPARE(seen, QStringLiteral("+9"));
    QCOMPARE(result, int(ok ? QDialog::Accepted : QDialog::Rejected));
    s.verifyImage(ok ? zeroAfterOk({{14, 0x6F}, {15, 0x07}}) : Header(64, 0));
}

// The dialog writes the image only; the grid keeps the numbers it was filled with until its
// next refill reads the new base.
void PeripheralEditorTest::gridShowsNewDccBaseOnlyAfterRefill() {
    Session s(Header(64, 0));
    s.store.route(3).dccEnabled = 1;
    RouteGrid grid;
    grid.fill(s.store);
    QCOMPARE(grid.item(2, 3)->text(), QStringLiteral("3"));
    s.run({"show", "SE_DCCaddr=1900", "OK"});
    QCOMPARE(grid.item(2, 3)->text(), QStringLiteral("3"));
    grid.fill(s.store);
    QCOMPARE(grid.item(2, 3)->text(), QStringLiteral("1906"));
}

void PeripheralEditorTest::windowLooksAsDescribed() {
    Session s(settled());
    PeripheralEditor& d = *s.dialog;
    QCOMPARE(d.windowTitle(), QStringLiteral("Konfigurace přestavníků a funkce"));
    QVERIFY(d.windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!(d.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    d.show();
    QCOMPARE(d.minimumSize(), d.maximumSize());
    auto* tabs = s.find<QTabWidget>(QStringLiteral("PCntr1"));
    const QStringList captions = {"Přestavníky       ", " Relé  1..14,17..32", " Relé 15,16 ",
                                  "Snímače/det.",       "Indikace obsaz.",     "DCC"};
    QCOMPARE(tabs->count(), int(captions.size()));
    for (int i = 0; i < tabs->count(); ++i)
        QCOMPARE(tabs->tabText(i), captions[i]);

    struct Range {
        const char* name;
        int min, max;
        const char* hint;
    };
    const Range ranges[] = {
        {"SEdit1", 1, 8, "Vyberte číslo přestavníku"},
        {"SEpulsVar1", 1, 15, "Délka pulsu"},
        {"SEdelayVYH", 0, 25, "Délka prodlevy mezi stavěním"},
        {"SEdelay", 0, 5, "Prodleva sepnutí relé"},
        {"SEnavestR14", 1, 20, "číslo návěsti pro detekci stavu VOLNO"},
        {"SEsenzorR14", 1, 16, "číslo senzorui pro detekci  vozidla"},
        {"SEnavestR15", 1, 20, "číslo návěsti pro detekci stavu VOLNO"},
        {"SEsenzorR15", 1, 16, "číslo senzorui pro detekci  vozidla"},
        {"SEreleIND1", 9, 12, "Vyberte číslo relé"},
        {"SE_DCCaddr", 1, 1900, "Nastavte bázovou adresu DCC"},
    };
    for (const Range& r : ranges) {
        auto* box = s.find<QSpinBox>(QLatin1String(r.name));
        QCOMPARE(box->minimum(), r.min);
        QCOMPARE(box->maximum(), r.max);
        QCOMPARE(box->toolTip().section(QLatin1Char('\n'), 0, 0), QString::fromUtf8(r.hint));
    }
    const std::pair<const char*, const char*> captionsByName[] = {
        {"RGtyp1Item0", "pulsní, 0.1sec"},
        {"RGtyp1Item1", "pulsní, variab."},
        {"RGtyp1Item2", "motor (trvalý výst.)"},
        {"RGtyp1Item3", "pulsní, 0.3sec"},
        {"RGrele14Item1", "zapnutí izol. úseku  (analog)"},
        {"RGrele15Item1", "zapnutí izol. úseku "},
        {"RGrele15Item2", "přepínání BG "},
        {"CBdetekceSN", "Místo detektorů DET1-8 kontrolovat  snímače SN1-8"},
        {"CB_DCCrstENA", "Povolit reset cesty přes DCC (povel   n+0)"},
        {"CBdetR8", "rD8"},
        {"CBrele12", "R12"},
        {"BtOK1", "OK"},
        {"BtCancel1", "Cancel"},
    };
    for (auto [name, caption] : captionsByName)
        QCOMPARE(s.find<QAbstractButton>(QLatin1String(name))->text(), QString::fromUtf8(caption));
    QVERIFY(s.find<QCheckBox>(QStringLiteral("CBrele9"))->font().bold());
    QVERIFY(!s.find<QCheckBox>(QStringLiteral("CBsn1"))->font().bold());
    d.reject();
}

// Pictures of every tab for a side-by-side look; written only when a folder is given.
void PeripheralEditorTest::screenshots() {
    const QString folder = screenshotFolder();
    if (folder.isEmpty())
        QSKIP("set STAVNIK_SCREENSHOTS to a folder to get the pictures");
    QDir().mkpath(folder);
    Session s(bytes({{36, 0x05}, {37, 0x80}}, settled()));
    s.run({"show", "SEdit1=2", "SEreleIND1=10"}, false);
    auto* tabs = s.find<QTabWidget>(QStringLiteral("PCntr1"));
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QApplication::processEvents();
        const QString file = QDir(folder).filePath(QStringLiteral("periph-tab%1.png").arg(i + 1));
        QVERIFY2(s.dialog->grab().save(file), qPrintable(file));
    }
    s.dialog->reject();
}

QTEST_MAIN(PeripheralEditorTest)
#include "editors_peripheraleditor.moc"
