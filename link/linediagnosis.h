#pragma once

#include "link/byteport.h"

#include <QStringList>

#include <vector>

// What a short series of exchanges says about the line: how long the replies take against their
// time on the wire, which were late, lost or wrong, whether they arrive on the beat of an
// adapter's latency timer, and what to do about it. Plain values in, words out: no port, no
// clock.
namespace linediag {

// One byte on the wire at 9600 baud, 8N1: ten bits.
constexpr double kByteMs = 10.0 / 9.6;

enum class Outcome {
    Answered, // a whole reply within the engine's reply window
    Late,     // a whole reply, but after the window in which the engine would have taken it
    Lost,     // nothing came
    Wrong,    // bytes came, but no reply of the awaited form
};

struct Exchange {
    int commandBytes = 7;
    int replyBytes = 2;
    double sentAtMs = 0;  // the command handed to the port
    double replyAtMs = 0; // the reply's last byte arrived (Answered, Late)
    Outcome outcome = Outcome::Lost;
    int strayBytes = 0; // bytes that answered nothing: before, after or instead of the reply

    double wireMs() const { return (commandBytes + replyBytes) * kByteMs; }
    double replyMs() const { return replyAtMs - sentAtMs; }
    bool replied() const { return outcome == Outcome::Answered || outcome == Outcome::Late; }
};

struct Spread {
    int count = 0;
    double min = 0;
    double median = 0;
    double p95 = 0;
    double max = 0;
};
// Nearest-rank percentiles of `ms`, in any order.
Spread spreadOf(std::vector<double> ms);

struct Histogram {
    double firstMs = 0; // lower edge of the first bin
    double binMs = 1;
    std::vector<int> counts;
};
Histogram histogramOf(const std::vector<double>& ms, int bins = 10);

// The period in milliseconds of a timer on whose beats the arrivals fall (an adapter's latency
// timer), 0 when they do not fall on one.
double beatOf(const std::vector<double>& arrivalsMs);

enum class Verdict { Usable, Faulty, Dead };

struct Diagnosis {
    int exchanges = 0;
    int answered = 0;
    int late = 0;
    int lost = 0;
    int wrong = 0;
    int strayExchanges = 0; // exchanges with stray bytes
    Spread replies;
    Histogram histogram;
    double wireMs = 0; // median time the exchanges take on the wire
    double beatMs = 0; // 0: no beat
    int tickMs = 20;   // the interval the engine runs at now
    int suggestedTickMs = 20;
    double normalReadS = 0; // a whole read at the suggested interval
    double fastReadS = 0;   // a whole read with the fast link
    bool fastHelps = false;
    LowLatency lowLatency = LowLatency::NotAsked;
    Verdict verdict = Verdict::Dead;
};

Diagnosis diagnose(const std::vector<Exchange>& exchanges, int tickMs, LowLatency lowLatency);
// The report in words, one finding or piece of advice per line.
QStringList reportLines(const Diagnosis& d);
// "Nízká latence ovladače portu: zapnuta." and the like.
QString lowLatencyText(LowLatency state);
// The histogram as text lines, bars of "#".
QStringList histogramLines(const Histogram& h);
// stavnikctl linktest: 0 usable, 1 works with faults, 2 does not work.
int exitCodeOf(Verdict v);

} // namespace linediag
