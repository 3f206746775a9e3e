#include "link/ui/linktestwindow.h"

#include "link/linediagnosis.h"
#include "link/linetester.h"
#include "link/linkdriver.h"
#include "link/linkengine.h"
#include "link/linktrace.h"
#include "ui_linktestwindow.h"

#include <QDir>
#include <QPushButton>
#include <QStandardPaths>

LinkTestWindow::LinkTestWindow(LinkDriver& driver, TracedPort* tracedPort, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::LinkTestWindow>()), m_driver(driver),
      m_tracedPort(tracedPort) {
    m_ui->setupUi(this);
    m_ui->LBtracePath->setText(QStringLiteral("Soubor: ") + defaultTracePath());
    m_ui->CBtrace->setEnabled(m_tracedPort != nullptr);
    connect(m_ui->BTrun, &QPushButton::clicked, this, &LinkTestWindow::runTest);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_ui->CBtrace, &QCheckBox::toggled, this, &LinkTestWindow::setTracing);
}

LinkTestWindow::~LinkTestWindow() {
    if (m_tracedPort)
        m_tracedPort->setTrace(nullptr);
}

QString LinkTestWindow::defaultTracePath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("zaznam-komunikace.txt"));
}

void LinkTestWindow::setTracing(bool on) {
    m_tracedPort->setTrace(nullptr);
    m_trace.reset();
    if (!on)
        return;
    const QString path = defaultTracePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    auto trace = std::make_unique<LinkTrace>(path);
    QString why;
    if (!trace->open(QStringLiteral("stavnik-cfg"), &why)) {
        m_ui->LBtracePath->setText(path + QStringLiteral(": ") + why);
        m_ui->CBtrace->setChecked(false);
        return;
    }
    trace->comment(linediag::lowLatencyText(m_driver.port().lowLatency()));
    m_ui->LBtracePath->setText(QStringLiteral("Soubor: ") + path);
    m_trace = std::move(trace);
    m_tracedPort->setTrace(m_trace.get());
}

void LinkTestWindow::runTest() {
    if (m_run)
        return;
    if (!m_driver.engine().isIdle()) {
        m_ui->TXTreport->setPlainText(
            QStringLiteral("S modulem právě probíhá jiná výměna; diagnostiku spusťte po ní."));
        return;
    }
    m_ui->TXTreport->clear();
    m_ui->histogram->setHistogram({});
    m_driver.run([this] {
        // The engine's receive step would take the replies being measured.
        m_driverWasRunning = m_driver.running();
        m_driver.stop();
        if (m_trace)
            m_trace->comment(QStringLiteral("diagnostika linky"));
        m_run = new LineTestRun(m_driver.port(), m_driver.tickInterval(), this);
        connect(m_run, &LineTestRun::progress, this, [this](int done, int planned) {
            m_ui->PBtest->setMaximum(planned);
            m_ui->PBtest->setValue(done);
        });
        connect(m_run, &LineTestRun::finished, this, &LinkTestWindow::testFinished);
        m_ui->BTrun->setEnabled(false);
        m_run->start();
    });
    if (!m_run)
        m_ui->TXTreport->setPlainText(
            linediag::reportLines(
                linediag::diagnose({}, m_driver.tickInterval(), LowLatency::NotAsked))
                .join(QLatin1Char('\n')));
}

void LinkTestWindow::testFinished() {
    const linediag::Diagnosis d = linediag::diagnose(
        m_run->tester().exchanges(), m_driver.tickInterval(), m_driver.port().lowLatency());
    m_run->deleteLater();
    m_run = nullptr;
    if (m_driverWasRunning)
        m_driver.start();
    m_ui->BTrun->setEnabled(true);
    m_ui->histogram->setHistogram(d.histogram);
    m_ui->TXTreport->setPlainText(linediag::reportLines(d).join(QLatin1Char('\n')));
}
