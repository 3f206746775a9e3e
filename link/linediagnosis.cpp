#include "link/linediagnosis.h"

#include "link/transferprogress.h"
#include "link/transfers.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numeric>

namespace linediag {
namespace {

constexpr double kPi = 3.14159265358979323846;
// A whole read of 90 routes: its bytes, the probes closing its blocks and the capacity query.
const int kReadExchanges = transfers::lastConfigAddress(90) +
                           transfers::lastConfigAddress(90) / TransferProgress::kBlockLength + 2;
// Fewer replies than this say nothing about a beat.
constexpr int kBeatSamples = 12;
// Arrivals at random share a phase this well by chance about once in a hundred series.
constexpr double kBeatAgreement = 0.5;
// Below this a timer's beat costs nothing worth advice (and a busy system wakes the program on a
// grid of a few ms).
constexpr double kShortestBeat = 6;
constexpr double kLongestBeat = 40;

// How far each reply took longer than its exchange on the wire.
std::vector<double> overheads(const std::vector<Exchange>& exchanges) {
    std::vector<double> out;
    for (const Exchange& e : exchanges)
        if (e.replied())
            out.push_back(std::max(0.0, e.replyMs() - e.wireMs()));
    return out;
}

// Time per exchange of a normal-pace read at `tick`: a reply taken at the tick after it came.
double normalExchangeMs(const std::vector<double>& extra, int tick) {
    const double readWire = 9 * kByteMs;
    double sum = 0;
    for (double o : extra)
        sum += std::ceil((readWire + o + 1) / tick) * tick;
    return sum / extra.size();
}

// The interval that reads fastest, with every reply inside two ticks (the shortest reply window).
int suggestTick(const std::vector<double>& extra) {
    const double readWire = 9 * kByteMs;
    const double slowest = readWire + *std::max_element(extra.begin(), extra.end()) + 2;
    int best = 0;
    double bestMs = 0;
    for (int tick = 10; tick <= 500; tick += 5) {
        if (2 * tick < slowest)
            continue;
        const double perExchange = normalExchangeMs(extra, tick);
        if (best == 0 || perExchange < bestMs - 0.01) {
            best = tick;
            bestMs = perExchange;
        }
    }
    return best > 0 ? best : 500;
}

void countOutcomes(const std::vector<Exchange>& exchanges, Diagnosis& d) {
    std::vector<double> replies;
    std::vector<double> wires;
    for (const Exchange& e : exchanges) {
        ++d.exchanges;
        d.answered += e.outcome == Outcome::Answered;
        d.late += e.outcome == Outcome::Late;
        d.lost += e.outcome == Outcome::Lost;
        d.wrong += e.outcome == Outcome::Wrong;
        d.strayExchanges += e.strayBytes > 0;
        wires.push_back(e.wireMs());
        if (e.replied())
            replies.push_back(e.replyMs());
    }
    d.replies = spreadOf(replies);
    d.histogram = histogramOf(replies);
    d.wireMs = spreadOf(wires).median;
}

} // namespace

Spread spreadOf(std::vector<double> v) {
    Spread s;
    s.count = static_cast<int>(v.size());
    if (v.empty())
        return s;
    std::sort(v.begin(), v.end());
    const auto rank = [&v](double share) {
        const auto i = static_cast<std::size_t>(std::ceil(share * v.size()));
        return v[std::clamp<std::size_t>(i, 1, v.size()) - 1];
    };
    s.min = v.front();
    s.median = rank(0.5);
    s.p95 = rank(0.95);
    s.max = v.back();
    return s;
}

Histogram histogramOf(const std::vector<double>& v, int bins) {
    Histogram h;
    if (v.empty() || bins < 1)
        return h;
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    h.firstMs = std::floor(*lo);
    h.binMs = std::max(1.0, std::ceil((std::floor(*hi) + 1 - h.firstMs) / bins));
    const int used = static_cast<int>(std::ceil((std::floor(*hi) + 1 - h.firstMs) / h.binMs));
    h.counts.assign(std::max(1, used), 0);
    for (double x : v) {
        const int i = static_cast<int>((x - h.firstMs) / h.binMs);
        ++h.counts[std::clamp(i, 0, int(h.counts.size()) - 1)];
    }
    return h;
}

double beatOf(const std::vector<double>& arrivals) {
    if (int(arrivals.size()) < kBeatSamples)
        return 0;
    // The longest period whose phases agree: a beat of 16 ms also agrees at 8, never at 32.
    for (double period = kLongestBeat; period >= kShortestBeat; period -= 0.5) {
        std::complex<double> sum;
        for (double t : arrivals)
            sum += std::polar(1.0, 2 * kPi * std::fmod(t, period) / period);
        if (std::abs(sum) / arrivals.size() >= kBeatAgreement)
            return period;
    }
    return 0;
}

Diagnosis diagnose(const std::vector<Exchange>& exchanges, int tickMs, LowLatency lowLatency) {
    Diagnosis d;
    d.tickMs = tickMs;
    d.suggestedTickMs = tickMs;
    d.lowLatency = lowLatency;
    countOutcomes(exchanges, d);
    const int replied = d.answered + d.late;
    if (replied == 0 || 2 * replied < d.exchanges) {
        d.verdict = Verdict::Dead;
        return d;
    }
    d.verdict =
        d.late + d.lost + d.wrong + d.strayExchanges > 0 ? Verdict::Faulty : Verdict::Usable;
    std::vector<double> arrivals;
    for (const Exchange& e : exchanges)
        if (e.replied())
            arrivals.push_back(e.replyAtMs);
    const std::vector<double> extra = overheads(exchanges);
    const double spreadMs = *std::max_element(extra.begin(), extra.end()) -
                            *std::min_element(extra.begin(), extra.end());
    d.beatMs = beatOf(arrivals);
    // Replies that all take the same time fall on any beat their commands fall on.
    if (spreadMs < d.beatMs / 3)
        d.beatMs = 0;
    d.suggestedTickMs = suggestTick(extra);
    d.normalReadS = kReadExchanges * normalExchangeMs(extra, d.suggestedTickMs) / 1000;
    const double meanExtra = std::accumulate(extra.begin(), extra.end(), 0.0) / extra.size();
    d.fastReadS = kReadExchanges * (9 * kByteMs + meanExtra + 0.5) / 1000;
    d.fastHelps = d.fastReadS < 0.8 * d.normalReadS;
    return d;
}

int exitCodeOf(Verdict v) {
    switch (v) {
    case Verdict::Usable:
        return 0;
    case Verdict::Faulty:
        return 1;
    case Verdict::Dead:
        break;
    }
    return 2;
}

} // namespace linediag
