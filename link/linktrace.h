#pragma once

#include "link/byteport.h"

#include <QFile>
#include <QString>

#include <functional>

// A record of the line to look at or to send to someone who can help: every byte sent and
// received with its time and direction, and what the link engine made of it, as text an editor
// shows. Each line reaches the file as it is written (nothing is lost when the program is
// killed); beyond the size limit the older half is dropped and the file says so.
class LinkTrace {
public:
    static constexpr qint64 kDefaultLimit = 4 * 1024 * 1024;

    explicit LinkTrace(QString path, qint64 limitBytes = kDefaultLimit);

    // Appends to the file, beginning with a line that says when and on what (`where`). False,
    // with the system's reason in `error`, when it cannot be written.
    bool open(const QString& where, QString* error);
    void close();
    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_path; }
    // Milliseconds for the lines' times; by default since open().
    void setClock(std::function<double()> nowMs) { m_now = std::move(nowMs); }

    void sent(const QByteArray& bytes);
    void received(const QByteArray& bytes);
    void note(LinkNote what, int address);
    // A line of its own: the port opened or closed, a diagnosis begins, input thrown away.
    void comment(const QString& text);

    // "@R" and its address in words: what a command asks the module.
    static QString describeCommand(const QByteArray& command);
    static QString noteText(LinkNote what, int address);

private:
    void writeBytes(char direction, const QByteArray& bytes, const QString& meaning);
    void writeLine(const QString& line);
    void dropOlderHalf();

    QString m_path;
    qint64 m_limit;
    QFile m_file;
    std::function<double()> m_now;
};

// The port as the engine sees it, with a trace beside the line: what is sent and received goes
// through unchanged and, while a trace is set, into it. Received bytes are taken from the line
// as soon as it reports them, so their times are those of their arrival, not of the next tick.
class TracedPort : public BytePort {
public:
    explicit TracedPort(BytePort& line);
    ~TracedPort() override;

    // Null: no trace. The trace must outlive its use here.
    void setTrace(LinkTrace* trace);
    LinkTrace* trace() const { return m_trace; }

    bool open(int portNumber) override;
    void close() override;
    bool isOpen() const override { return m_line.isOpen(); }
    void send(const QByteArray& bytes) override;
    qint64 bytesWaiting() override;
    void discardInput() override;
    QByteArray read(qint64 count) override;
    bool reopenIfLost() override;
    QString openErrorText() const override { return m_line.openErrorText(); }
    LowLatency lowLatency() const override { return m_line.lowLatency(); }
    void note(LinkNote what, int address) override;

private:
    void pull();

    BytePort& m_line;
    LinkTrace* m_trace = nullptr;
    QByteArray m_taken; // received and traced, not yet read by the engine
};
