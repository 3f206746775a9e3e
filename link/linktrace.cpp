#include "link/linktrace.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QSaveFile>

#include <memory>

namespace {
QString hexNumber(int value, int digits) {
    return QStringLiteral("0x") +
           QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

QString hexAddress(int address) {
    return hexNumber(address, 4);
}

int addressOf(const QByteArray& c) {
    return static_cast<std::uint8_t>(c.at(2)) + 256 * static_cast<std::uint8_t>(c.at(3));
}

// Hexadecimal, then the bytes as text where they are printable.
QString bytesText(const QByteArray& bytes) {
    QString hex;
    QString text;
    for (char c : bytes) {
        const auto b = static_cast<std::uint8_t>(c);
        hex += QStringLiteral("%1 ").arg(b, 2, 16, QLatin1Char('0')).toUpper();
        text += b >= 0x20 && b < 0x7F ? QLatin1Char(c) : QLatin1Char('.');
    }
    return hex + QLatin1Char('|') + text + QLatin1Char('|');
}
} // namespace

LinkTrace::LinkTrace(QString path, qint64 limitBytes)
    : m_path(std::move(path)), m_limit(std::max<qint64>(limitBytes, 1024)) {}

bool LinkTrace::open(const QString& where, QString* error) {
    close();
    m_file.setFileName(m_path);
    // Unbuffered: each line is with the system once written, whatever happens to the program.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        if (error)
            *error = m_file.errorString();
        return false;
    }
    if (!m_now) {
        auto clock = std::make_shared<QElapsedTimer>();
        clock->start();
        m_now = [clock] { return clock->nsecsElapsed() / 1e6; };
    }
    writeLine(QStringLiteral("# Stavnik CFG, záznam komunikace od %1, %2")
                  .arg(QDateTime::currentDateTime().toString(Qt::ISODate), where));
    writeLine(QStringLiteral("# čas [ms]  > do modulu  < z modulu  = co z toho link vyvodil"));
    return true;
}

void LinkTrace::close() {
    if (m_file.isOpen())
        m_file.close();
}

void LinkTrace::sent(const QByteArray& bytes) {
    writeBytes('>', bytes, describeCommand(bytes));
}

void LinkTrace::received(const QByteArray& bytes) {
    writeBytes('<', bytes, QString());
}

void LinkTrace::note(LinkNote what, int address) {
    writeLine(QStringLiteral("%1 = %2").arg(m_now(), 10, 'f', 1).arg(noteText(what, address)));
}

void LinkTrace::comment(const QString& text) {
    writeLine(QStringLiteral("%1 # %2").arg(m_now(), 10, 'f', 1).arg(text));
}

void LinkTrace::writeBytes(char direction, const QByteArray& bytes, const QString& meaning) {
    QString line = QStringLiteral("%1 %2 %3")
                       .arg(m_now(), 10, 'f', 1)
                       .arg(QLatin1Char(direction))
                       .arg(bytesText(bytes));
    if (!meaning.isEmpty())
        line += QStringLiteral("  ") + meaning;
    writeLine(line);
}

void LinkTrace::writeLine(const QString& line) {
    if (!m_file.isOpen())
        return;
    m_file.write((line + QLatin1Char('\n')).toUtf8());
    if (m_file.size() > m_limit)
        dropOlderHalf();
}

// The newer half stays, from the start of a line, under a line that says what went.
void LinkTrace::dropOlderHalf() {
    m_file.close();
    QFile old(m_path);
    if (!old.open(QIODevice::ReadOnly))
        return;
    const QByteArray all = old.readAll();
    old.close();
    qsizetype cut = all.indexOf('\n', all.size() - m_limit / 2);
    cut = cut < 0 ? all.size() : cut + 1;
    QSaveFile trimmed(m_path);
    if (trimmed.open(QIODevice::WriteOnly)) {
        trimmed.write(QStringLiteral("# ... starší část záznamu vynechána (%1 bajtů), záznam je "
                                     "omezen na %2 kB\n")
                          .arg(cut)
                          .arg(m_limit / 1024)
                          .toUtf8());
        trimmed.write(all.mid(cut));
        trimmed.commit();
    }
    m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
}

QString LinkTrace::describeCommand(const QByteArray& c) {
    if (c.size() == 10 && c.at(0) == '@' && c.at(9) == '*')
        return QStringLiteral("simulace");
    if (c.size() < 7 || c.at(0) != '@')
        return QString();
    switch (c.at(1)) {
    case 'G':
        return QStringLiteral("identifikace");
    case 'M':
        return QStringLiteral("počet cest");
    case 'R':
        return QStringLiteral("čtení %1").arg(hexAddress(addressOf(c)));
    case 'W':
        return QStringLiteral("zápis %1 = %2")
            .arg(hexAddress(addressOf(c)), hexNumber(static_cast<std::uint8_t>(c.at(4)), 2));
    case 'S':
        return QStringLiteral("stav modulu");
    case 'U':
        return QStringLiteral("stav rozšíření");
    case 'N':
        return QStringLiteral("návěst");
    case 'T':
        return QStringLiteral("přestavník");
    case 'E':
        return QStringLiteral("relé");
    case 'F':
        return QStringLiteral("relé rozšíření");
    default:
        return QString();
    }
}

QString LinkTrace::noteText(LinkNote what, int address) {
    const QString at = address >= 0 ? QStringLiteral(" (%1)").arg(hexAddress(address)) : QString();
    switch (what) {
    case LinkNote::ReplyTaken:
        return QStringLiteral("odpověď přijata") + at;
    case LinkNote::Retry:
        return QStringLiteral("bez platné odpovědi, nový pokus") + at;
    case LinkNote::Probe:
        return QStringLiteral("kontrolní dotaz uzavírá blok");
    case LinkNote::ProbeAnswered:
        return QStringLiteral("kontrolní odpověď souhlasí, blok platí");
    case LinkNote::BlockRedone:
        return QStringLiteral("odpovědi nesouhlasí, blok se opakuje od") + at;
    case LinkNote::LineQuiet:
        return QStringLiteral("linka je tichá, pokračuje se");
    case LinkNote::Failed:
        return QStringLiteral("přenos selhal") + at;
    }
    return QString();
}

// ---- TracedPort

TracedPort::TracedPort(BytePort& line) : m_line(line) {
    m_line.setArrivalHandler([this] {
        if (m_trace)
            pull();
        notifyArrival();
    });
}

TracedPort::~TracedPort() {
    m_line.setArrivalHandler({});
}

void TracedPort::setTrace(LinkTrace* trace) {
    m_trace = trace;
}

bool TracedPort::open(int portNumber) {
    const bool ok = m_line.open(portNumber);
    if (m_trace)
        m_trace->comment(ok ? QStringLiteral("port COM%1 otevřen").arg(portNumber)
                            : QStringLiteral("port COM%1 se nepodařilo otevřít").arg(portNumber));
    return ok;
}

void TracedPort::close() {
    if (m_trace && m_line.isOpen())
        m_trace->comment(QStringLiteral("port zavřen"));
    m_line.close();
    m_taken.clear();
}

bool TracedPort::reopenIfLost() {
    const bool wasOpen = m_line.isOpen();
    const bool open = m_line.reopenIfLost();
    if (m_trace && open && !wasOpen)
        m_trace->comment(QStringLiteral("ztracený port znovu otevřen"));
    return open;
}

void TracedPort::send(const QByteArray& bytes) {
    if (m_trace && m_line.isOpen())
        m_trace->sent(bytes);
    m_line.send(bytes);
}

void TracedPort::pull() {
    const qint64 waiting = m_line.bytesWaiting();
    if (waiting <= 0)
        return;
    const QByteArray bytes = m_line.read(waiting);
    m_trace->received(bytes);
    m_taken += bytes;
}

qint64 TracedPort::bytesWaiting() {
    if (!m_trace)
        return m_taken.size() + m_line.bytesWaiting();
    pull();
    return m_taken.size();
}

void TracedPort::discardInput() {
    if (m_trace) {
        pull();
        if (!m_taken.isEmpty())
            m_trace->comment(QStringLiteral("přijaté bajty zahozeny (%1)").arg(m_taken.size()));
    }
    m_taken.clear();
    m_line.discardInput();
}

QByteArray TracedPort::read(qint64 count) {
    QByteArray out = m_taken.left(count);
    m_taken.remove(0, out.size());
    if (out.size() < count && !m_trace)
        out += m_line.read(count - out.size());
    return out;
}

void TracedPort::note(LinkNote what, int address) {
    if (m_trace)
        m_trace->note(what, address);
}
