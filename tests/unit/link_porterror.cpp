#include "link/porterror.h"

#include <QTest>

Q_DECLARE_METATYPE(PortFacts)
Q_DECLARE_METATYPE(PortProblem)
Q_DECLARE_METATYPE(PortOpenError)

namespace {
// What stat() and access() said; "inspected" is false where devices are no files (Windows).
PortFacts facts(bool inspected, bool exists, bool tty, bool readWrite, bool groupMay = true) {
    PortFacts f;
    f.inspected = inspected;
    f.exists = exists;
    f.characterDevice = tty;
    f.readWriteAllowed = readWrite;
    f.owner = QStringLiteral("root");
    f.group = QStringLiteral("uucp");
    f.groupMayReadWrite = groupMay;
    return f;
}
} // namespace

class PortErrorTest : public QObject {
    Q_OBJECT
private slots:
    void explainsEachKind_data() {
        QTest::addColumn<PortOpenError>("error");
        QTest::addColumn<PortFacts>("facts");
        QTest::addColumn<PortProblem>("problem");
        QTest::addColumn<QStringList>("says");
        using E = PortOpenError;
        using P = PortProblem;
        PortFacts held = facts(true, true, true, true);
        held.holder = QStringLiteral("minicom, PID 812");
        PortFacts folder = facts(true, true, false, true);
        folder.directory = true;
        PortFacts regular = facts(true, true, false, true);
        regular.regularFile = true;
        PortFacts fifo = facts(true, true, false, true);
        fifo.pipe = true;
        PortFacts socket = facts(true, true, false, true);
        socket.socket = true;

        QTest::newRow("missing, the others listed")
            << E::DeviceNotFound << facts(true, false, false, false) << P::Missing
            << QStringList{"/dev/ttyUSB0 neexistuje", "\n  /dev/ttyUSB1 — FT232R USB UART\n"};
        QTest::newRow("permission: not in the group")
            << E::Permission << facts(true, true, true, false) << P::Permission
            << QStringList{"skupině uucp", "\n  sudo usermod -aG uucp $USER\n",
                           "od dalšího přihlášení"};
        QTest::newRow("permission: owner only")
            << E::Permission << facts(true, true, true, false, false) << P::Permission
            << QStringList{"jen jeho vlastník (root)"};
        QTest::newRow("busy: the same error, but we may open it")
            << E::Permission << held << P::Busy << QStringList{"jiný program (minicom, PID 812)"};
        QTest::newRow("not a tty: regular file")
            << E::UnsupportedOperation << regular << P::NotSerial
            << QStringList{"není sériové zařízení, ale obyčejný soubor"};
        QTest::newRow("not a tty: FIFO") << E::UnsupportedOperation << fifo << P::NotSerial
                                         << QStringList{"ale pojmenovaná roura (FIFO)"};
        QTest::newRow("not a tty: socket")
            << E::Unknown << socket << P::NotSerial << QStringList{"ale socket"};
        QTest::newRow("not a tty: folder")
            << E::Unknown << folder << P::NotSerial << QStringList{"ale složka"};
        QTest::newRow("not a tty: /dev/null")
            << E::UnsupportedOperation << facts(true, true, true, true) << P::NotSerial
            << QStringList{"není sériové zařízení.\n"};
        QTest::newRow("Windows: access denied is another program")
            << E::Permission << PortFacts{} << P::Busy << QStringList{"jiný program.\n"};
        QTest::newRow("anything else in the system's words")
            << E::Resource << facts(true, true, true, true) << P::Other
            << QStringList{"nelze otevřít: Input/output error."};
    }
    void explainsEachKind() {
        QFETCH(PortOpenError, error);
        QFETCH(PortFacts, facts);
        QFETCH(PortProblem, problem);
        QFETCH(QStringList, says);
        const PortFailure failure{QStringLiteral("/dev/ttyUSB0"), error,
                                  QStringLiteral("Input/output error"), facts};
        QCOMPARE(classifyPortFailure(failure), problem);
        const QString text =
            portFailureText(failure, {QStringLiteral("/dev/ttyUSB1 — FT232R USB UART")});
        for (const QString& s : says)
            QVERIFY2(text.contains(s), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(PortErrorTest)
#include "link_porterror.moc"
