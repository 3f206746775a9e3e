// The link diagnosis in words, as the window and stavnikctl linktest show it.
#include "link/linediagnosis.h"

#include <QLocale>

#include <algorithm>

namespace linediag {
namespace {

QString oneDecimal(double v) {
    return QLocale(QLocale::Czech).toString(v, 'f', 1);
}

QString inMs(double v) {
    return oneDecimal(v) + QStringLiteral(" ms");
}

QString inSeconds(double v) {
    return QLocale(QLocale::Czech).toString(v, 'f', 0) + QStringLiteral(" s");
}

} // namespace

QString lowLatencyText(LowLatency state) {
    switch (state) {
    case LowLatency::On:
        return QStringLiteral("Nízká latence ovladače portu: zapnuta.");
    case LowLatency::Unsupported:
        return QStringLiteral("Nízká latence ovladače portu: ovladač ji nepodporuje (nic se "
                              "nezměnilo).");
    case LowLatency::NotAvailable:
        return QStringLiteral("Nízká latence ovladače portu: o tu zde program nežádá, rozhoduje "
                              "nastavení převodníku.");
    case LowLatency::NotAsked:
        break;
    }
    return QStringLiteral("Nízká latence ovladače portu: port není otevřen.");
}

namespace {

// What lowers an adapter's latency timer where this program runs.
QString beatAdvice(const Diagnosis& d) {
    const QString beat =
        QStringLiteral("Odpovědi přicházejí v taktu %1: převodník USB–RS232 drží přijatá data do "
                       "uplynutí svého časovače latence.")
            .arg(inMs(d.beatMs));
    switch (d.lowLatency) {
    case LowLatency::NotAvailable:
        return beat + QStringLiteral(" Ve Správci zařízení otevřete Vlastnosti portu převodníku, "
                                     "kartu Nastavení portu, tlačítko Upřesnit, a nastavte "
                                     "„Latency Timer (msec)“ na 1 ms; pak port znovu otevřete.");
    case LowLatency::On:
        return beat + QStringLiteral(" Ovladač žádost o nízkou latenci přijal, takt však trvá: "
                                     "nastavte časovač ručně, zapsáním 1 do "
                                     "/sys/bus/usb-serial/devices/ttyUSB…/latency_timer.");
    case LowLatency::Unsupported:
    case LowLatency::NotAsked:
        break;
    }
    return beat + QStringLiteral(" Ovladač žádost o nízkou latenci odmítl: zapište 1 do "
                                 "/sys/bus/usb-serial/devices/ttyUSB…/latency_timer.");
}

QStringList faultLines(const Diagnosis& d) {
    QStringList out;
    if (d.lost > 0)
        out << QStringLiteral("Ztracené odpovědi: zkontrolujte kabel, napájení modulu a zda "
                              "port nepoužívá jiný program. Přenos je opakuje, ale zdržují.");
    if (d.late > 0)
        out << QStringLiteral("Pozdní odpovědi přišly až po uplynutí čekání: delší interval "
                              "časovače jim dá čas.");
    if (d.wrong > 0 || d.strayExchanges > 0)
        out << QStringLiteral("Cizí nebo poškozené bajty na lince: rušení, špatný kontakt nebo "
                              "jiné zařízení na lince. Přenos takový blok opakuje.");
    return out;
}

QString verdictLine(Verdict v) {
    switch (v) {
    case Verdict::Usable:
        return QStringLiteral("Linka je v pořádku.");
    case Verdict::Faulty:
        return QStringLiteral("Linka funguje, ale s chybami.");
    case Verdict::Dead:
        break;
    }
    return QStringLiteral("Linka nefunguje: modul neodpovídá nebo odpovídá jen zřídka.");
}

} // namespace

QStringList reportLines(const Diagnosis& d) {
    QStringList out;
    out << verdictLine(d.verdict);
    out << QStringLiteral("Výměn: %1, odpovědí včas: %2, pozdních: %3, ztracených: %4, "
                          "chybných: %5, výměn s cizími bajty: %6.")
               .arg(d.exchanges)
               .arg(d.answered)
               .arg(d.late)
               .arg(d.lost)
               .arg(d.wrong)
               .arg(d.strayExchanges);
    out << lowLatencyText(d.lowLatency);
    if (d.replies.count == 0)
        return out << QStringLiteral("Zkontrolujte číslo portu, kabel a napájení modulu.");
    out << QStringLiteral("Doba odpovědi: nejkratší %1, medián %2, 95 % do %3, nejdelší %4.")
               .arg(inMs(d.replies.min), inMs(d.replies.median), inMs(d.replies.p95),
                    inMs(d.replies.max));
    out << QStringLiteral("Výměna trvá na drátu %1, naměřeno %2 (o %3 déle).")
               .arg(inMs(d.wireMs), inMs(d.replies.median),
                    inMs(std::max(0.0, d.replies.median - d.wireMs)));
    out << faultLines(d);
    if (d.verdict == Verdict::Dead)
        return out;
    if (d.beatMs > 0)
        out << beatAdvice(d);
    out << QStringLiteral("Vhodný interval časovače: %1 ms (nyní %2 ms); celé čtení tak trvá "
                          "asi %3.")
               .arg(d.suggestedTickMs)
               .arg(d.tickMs)
               .arg(inSeconds(d.normalReadS));
    out << (d.fastHelps ? QStringLiteral("Rychlý přenos pomůže: celé čtení asi za %1.")
                        : QStringLiteral("Rychlý přenos tu mnoho nepomůže (celé čtení asi "
                                         "za %1)."))
               .arg(inSeconds(d.fastReadS));
    return out;
}

QStringList histogramLines(const Histogram& h) {
    QStringList out;
    const int most = h.counts.empty() ? 0 : *std::max_element(h.counts.begin(), h.counts.end());
    for (std::size_t i = 0; i < h.counts.size(); ++i) {
        const double from = h.firstMs + i * h.binMs;
        const int bar = most > 0 ? (h.counts[i] * 40 + most - 1) / most : 0;
        const QString range =
            QStringLiteral("%1–%2 ms").arg(oneDecimal(from), oneDecimal(from + h.binMs));
        out << QStringLiteral("%1 %2 %3")
                   .arg(range, 16)
                   .arg(QString(bar, QLatin1Char('#')))
                   .arg(h.counts[i]);
    }
    return out;
}

} // namespace linediag
