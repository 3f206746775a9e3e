#include "link/porterror.h"

#include <QTest>

Q_DECLARE_METATYPE(PortFacts)
Q_DECLARE_METATYPE(PortProblem)

class PortErrorTest : public QObject {
    Q_OBJECT

    static PortFacts device(bool characterDevice, bool readWrite, bool groupMay = true) {
        PortFacts f;
        f.inspected = f.exists = true;
        f.characterDevice = characterDevice;
        f.readWriteAllowed = readWrite;
        f.owner = QStringLiteral("root");
        f.group = QStringLiteral("uucp");
        f.groupMayReadWrite = groupMay;
        return f;
    }

private slots:
    void explainsEachKind_data() {
        QTest::addColumn<QSerialPort::SerialPortError>("error");
        QTest::addColumn<PortFacts>("facts");
        QTest::addColumn<PortProblem>("problem");
        QTest::addColumn<QStringList>("says");
        QTest::addColumn<QString>("neverSays");
        using E = QSerialPort::SerialPortError;
        PortFacts gone;
        gone.inspected = true;
        PortFacts held = device(true, true);
        held.holder = QStringLiteral("minicom, PID 812");
        PortFacts file = gone;
        file.exists = true;
        PortFacts dir = file;
        dir.directory = true;
        const QString usermod = QStringLiteral("usermod");

        QTest::newRow("missing") << E::DeviceNotFoundError << gone << PortProblem::Missing
                                 << QStringList{"/dev/ttyUSB0 neexistuje",
                                                "\n  /dev/ttyUSB1 — FT232R USB UART\n"}
                                 << usermod;
        QTest::newRow("node without hardware")
            << E::DeviceNotFoundError << device(true, true) << PortProblem::Missing
            << QStringList{"neexistuje"} << usermod;
        QTest::newRow("permission: not in the group")
            << E::PermissionError << device(true, false) << PortProblem::Permission
            << QStringList{"skupině uucp", "\n  sudo usermod -aG uucp $USER\n",
                           "dalšího přihlášení"}
            << "jiný program";
        QTest::newRow("permission: owner only")
            << E::PermissionError << device(true, false, false) << PortProblem::Permission
            << QStringList{"jen jeho vlastník (root)"} << usermod;
        QTest::newRow("busy: locked by another program")
            << E::PermissionError << held << PortProblem::Busy
            << QStringList{"jiný program (minicom, PID 812)"} << usermod;
        QTest::newRow("not a tty: regular file")
            << E::UnsupportedOperationError << file << PortProblem::NotSerial
            << QStringList{"obyčejný soubor"} << usermod;
        QTest::newRow("not a tty: folder") << E::UnknownError << dir << PortProblem::NotSerial
                                           << QStringList{"ale složka"} << "soubor";
        QTest::newRow("not a tty: /dev/null")
            << E::UnsupportedOperationError << device(true, true) << PortProblem::NotSerial
            << QStringList{"není sériové zařízení."} << "ale";
        QTest::newRow("Windows: missing")
            << E::DeviceNotFoundError << PortFacts{} << PortProblem::Missing
            << QStringList{"neexistuje"} << usermod;
        QTest::newRow("Windows: access denied is another program")
            << E::PermissionError << PortFacts{} << PortProblem::Busy
            << QStringList{"jiný program.\n"} << usermod;
        QTest::newRow("anything else names the system's words")
            << E::ResourceError << device(true, true) << PortProblem::Other
            << QStringList{"nelze otevřít: Input/output error."} << usermod;
    }
    void explainsEachKind() {
        QFETCH(QSerialPort::SerialPortError, error);
        QFETCH(PortFacts, facts);
        QFETCH(PortProblem, problem);
        QFETCH(QStringList, says);
        QFETCH(QString, neverSays);
        const PortFailure failure{QStringLiteral("/dev/ttyUSB0"), error,
                                  QStringLiteral("Input/output error"), facts};
        QCOMPARE(classifyPortFailure(failure), problem);
        const QString text =
            portFailureText(failure, {QStringLiteral("/dev/ttyUSB1 — FT232R USB UART")});
        for (const QString& s : says)
            QVERIFY2(text.contains(s), qPrintable(text));
        QVERIFY2(!text.contains(neverSays), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(PortErrorTest)
#include "link_porterror.moc"
