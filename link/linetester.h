#pragma once

#include "link/byteport.h"
#include "link/linediagnosis.h"

#include <QByteArray>
#include <QObject>

#include <functional>
#include <memory>
#include <vector>

class QTimer;

// The link diagnosis's exchanges: identify, capacity and reads of a sample of addresses spread
// over the configuration, nothing that changes the module. Unlike the engine it measures: each
// command waits for its reply far longer than the engine would, the line is watched a while
// after each reply for bytes that answer nothing, and the pauses between commands vary so that
// the arrival times cannot fall on a beat of their own making.
//
// Plain and clock-driven: the owner calls poll() often (every millisecond) with the clock it
// gave. The engine must not tick meanwhile: its receive step would take the replies.
class LineTester {
public:
    static constexpr int kIdentifies = 4;
    static constexpr int kCapacities = 4;
    static constexpr int kReads = 40;
    static constexpr double kLostMs = 300; // no whole reply by then: lost
    static constexpr double kWatchMs = 25; // after a reply, bytes that answer nothing

    // `tickMs` sizes the engine's reply windows, after which a reply counts as late.
    LineTester(BytePort& port, std::function<double()> nowMs, int tickMs);

    void start();
    // Looks at the line and sends what is due; false once the series is over.
    bool poll();
    bool running() const { return m_phase != Phase::Done; }
    int exchangesDone() const { return static_cast<int>(m_done.size()); }
    static constexpr int exchangesPlanned() { return kIdentifies + kCapacities + kReads; }
    const std::vector<linediag::Exchange>& exchanges() const { return m_done; }

private:
    enum class Phase { Pause, Wait, Watch, Done };
    QByteArray commandOf(int index) const;
    void send();
    void waitForReply(const QByteArray& bytes, double now);
    void finishExchange(double now);
    bool moduleSilent() const;
    double pauseMs();

    BytePort& m_port;
    std::function<double()> m_now;
    int m_tickMs;
    Phase m_phase = Phase::Done;
    double m_until = 0;
    std::vector<linediag::Exchange> m_done;
    linediag::Exchange m_current;
    char m_kind = 0;    // the current command's letter
    QByteArray m_reply; // bytes of the current window not yet taken for a reply or a stray
    int m_capacity = 90;
    std::uint32_t m_random = 0x2545F491;
};

// Runs a LineTester on its port, polling every millisecond from the event loop.
class LineTestRun : public QObject {
    Q_OBJECT
public:
    LineTestRun(BytePort& port, int tickMs, QObject* parent = nullptr);
    ~LineTestRun() override;

    void start();
    // Ends the series at once; finished follows.
    void cancel();
    const LineTester& tester() const { return *m_tester; }
    // Runs to the end in a local event loop (stavnikctl).
    std::vector<linediag::Exchange> runToEnd();

signals:
    void progress(int done, int planned);
    void finished();

private:
    std::unique_ptr<LineTester> m_tester;
    QTimer* m_timer;
    int m_reported = -1;
};
