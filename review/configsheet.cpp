#include "review/configsheet.h"

#include "data/headerfields.h"
#include "data/headerlabels.h"
#include "review/configcheck.h"
#include "review/configwords.h"

namespace configsheet {
namespace {
namespace pt = headerlabels;
using header::Field;

QString seconds(double value) {
    return QString::number(value, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(',')) +
           QStringLiteral(" s");
}

QString machineText(const Image& img, int n) {
    switch (header::shown(img, Field::MachineType, n - 1)) {
    case 0:
        return QStringLiteral("pulsní, puls ") + seconds(0.1);
    case 1:
        return QStringLiteral("pulsní, puls ") +
               seconds(0.3 * header::shown(img, Field::PulseLength, n - 1));
    case 2:
        return QStringLiteral("motor (trvalý výstup)");
    default:
        return QStringLiteral("pulsní, puls ") + seconds(0.3);
    }
}

bool pointUsed(const ConfigStore& config, int point) {
    for (int n = 1; n <= image::kRouteCount; ++n)
        if (configwords::isActive(config.route(n)) &&
            config.route(n).pointPositions[static_cast<std::size_t>(point - 1)] != 0)
            return true;
    return false;
}

QString relayMode(int relay, const Image& img) {
    const bool r15 = relay == 15;
    const int mode = header::shown(img, r15 ? Field::Relay15Mode : Field::Relay16Mode);
    QString text = configwords::relayModeText(relay, img).simplified();
    if (mode >= 1)
        text += QStringLiteral(", návěst %1")
                    .arg(header::shown(img, r15 ? Field::Relay15Signal : Field::Relay16Signal));
    if (mode == 2)
        text += QStringLiteral(", senzor %1")
                    .arg(header::shown(img, r15 ? Field::Relay15Sensor : Field::Relay16Sensor));
    return text;
}

QString detectorInputs(bool inverted, bool sensors, const QString& sensorRange) {
    QStringList parts;
    if (inverted)
        parts << QStringLiteral("invertované (L = volno)");
    if (sensors)
        parts << QStringLiteral("místo nich snímače ") + sensorRange;
    return parts.isEmpty() ? QStringLiteral("běžné") : parts.join(QStringLiteral(", "));
}

QString indicatorConditions(const Image& img, int relay) {
    QStringList inputs;
    for (int g = 0; g < 4; ++g) {
        const int mask = header::raw(img, Field::Conditions, 4 * (relay - 9) + g);
        for (int k = 0; k < 8; ++k)
            if (mask & (1 << k))
                inputs << pt::kConditionCaptions.at(static_cast<std::size_t>(g)) +
                              QString::number(k + 1);
    }
    return inputs.isEmpty() ? QStringLiteral("bez podmínek") : inputs.join(QStringLiteral(", "));
}

QString dccText(const Image& img) {
    if (!header::shown(img, Field::DccAccept))
        return QStringLiteral("příjem paketů vypnut");
    return QStringLiteral("příjem paketů zapnut, počáteční adresa %1, reset cesty %2")
        .arg(header::shown(img, Field::DccAddress))
        .arg(header::shown(img, Field::DccRouteReset) ? QStringLiteral("povolen")
                                                      : QStringLiteral("zakázán"));
}

// CSV cells: neutralised, then quoted where the separator, a quote or a line break needs it.
QString csvCell(const QString& cell, QChar separator) {
    QString text = neutralised(cell);
    if (text.contains(separator) || text.contains(QLatin1Char('"')) ||
        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))) {
        text.replace(QLatin1String("\""), QLatin1String("\"\""));
        return QLatin1Char('"') + text + QLatin1Char('"');
    }
    return text;
}

QString csvLine(const QStringList& cells, QChar separator) {
    QStringList out;
    for (const QString& c : cells)
        out << csvCell(c, separator);
    return out.join(separator) + QStringLiteral("\r\n");
}
} // namespace

const QStringList& columns() {
    static const QStringList heads = {
        QStringLiteral("Cesta"),   QStringLiteral("ODKUD → KAM"),
        QStringLiteral("Výhybky"), QStringLiteral("Návěsti"),
        QStringLiteral("Relé"),    QStringLiteral("Kontrola obsazení"),
        QStringLiteral("Popis")};
    return heads;
}

QList<Setting> settingsBlock(const ConfigStore& config) {
    const Image& img = config.image;
    const auto on = [&img](Field f) { return header::shown(img, f) != 0; };
    QList<Setting> out;
    for (int n = 1; n <= 8; ++n)
        if (pointUsed(config, n) || pointUsed(config, n + 8))
            out.append(
                {QStringLiteral("Přestavníky V%1 a V%2").arg(n).arg(n + 8), machineText(img, n)});
    out.append({QStringLiteral("Prodleva mezi přestavníky"),
                QStringLiteral("%1 ms").arg(header::shown(img, Field::PointDelay) * 100)});
    out.append({QStringLiteral("Zpoždění sepnutí relé (kromě R13, R14)"),
                QStringLiteral("%1 s").arg(header::shown(img, Field::RelayDelay))});
    out.append(
        {QStringLiteral("Kolize relé při jízdě na stejnou kolej"),
         on(Field::CollisionGuard) ? QStringLiteral("ošetřena") : QStringLiteral("neošetřena")});
    out.append({pt::kRelay15, relayMode(15, img)});
    out.append({pt::kRelay16, relayMode(16, img)});
    out.append({QStringLiteral("Detektory DET1..8"),
                detectorInputs(on(Field::InvertDetectors1), on(Field::SensorsForDetectors1),
                               QStringLiteral("SN1-8"))});
    out.append({QStringLiteral("Detektory DET9..16"),
                detectorInputs(on(Field::InvertDetectors2), on(Field::SensorsForDetectors2),
                               QStringLiteral("SN9-16"))});
    for (int r = 9; r <= 12; ++r)
        if (header::shown(img, Field::Indicator, r - 9))
            out.append(
                {QStringLiteral("Indikace obsazení na R%1").arg(r), indicatorConditions(img, r)});
    out.append({QStringLiteral("DCC"), dccText(img)});
    return out;
}

Sheet build(const ConfigStore& config, const ElementNames& names, const QString& title,
            const QString& date) {
    Sheet sheet{title, date, settingsBlock(config), {}, {}, {}};
    for (int n = 1; n <= image::kRouteCount; ++n) {
        const RouteRecord& r = config.route(n);
        if (!configwords::isActive(r))
            continue;
        sheet.rows.append({n,
                           {QString::number(n), configwords::buttonsText(r, names),
                            configwords::pointsText(r, names), configwords::signalsText(r, names),
                            configwords::relaysText(r, names), configwords::detectorsText(r, names),
                            r.description}});
    }
    for (const configcheck::Finding& f : configcheck::check(config, names))
        sheet.findings << f.text;
    for (const elementnames::Entry& e : names.entries())
        sheet.names.append({elementnames::code(e.kind, e.number), e.name});
    return sheet;
}

QString neutralised(const QString& cell) {
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (!cell.isEmpty() && formulaStarts.contains(cell.front()))
        return QLatin1Char('\'') + cell;
    return cell;
}

QByteArray csv(const Sheet& sheet) {
    const QChar separator(QLatin1Char(';'));
    QString out = csvLine(columns(), separator);
    for (const Row& row : sheet.rows)
        out += csvLine(row.cells, separator);
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

QByteArray longCsv(const ConfigStore& config, const ElementNames& names) {
    const QChar separator(QLatin1Char(','));
    QString out = QStringLiteral("položka,pole,hodnota\r\n");
    for (const configwords::Field& f : configwords::headerFields(config.image))
        out += csvLine({QStringLiteral("hlavička"), f.name, f.value}, separator);
    for (int n = 1; n <= image::kRouteCount; ++n)
        if (configwords::isActive(config.route(n)))
            for (const configwords::Field& f : configwords::routeFields(config.route(n), names))
                out += csvLine({configwords::routeItem(n), f.name, f.value}, separator);
    for (const elementnames::Entry& e : names.entries())
        out += csvLine({QStringLiteral("názvy"), elementnames::code(e.kind, e.number), e.name},
                       separator);
    return out.toUtf8();
}

QString pageHeading(const QString& title, const QString& date) {
    return QStringLiteral("Stavník STV2 – %1 – %2").arg(title, date);
}

namespace {
QString pairTable(const QList<Setting>& pairs) {
    QString h = QStringLiteral("<table class=\"pairs\">\n");
    for (const Setting& s : pairs)
        h += QStringLiteral("<tr><th>%1</th><td>%2</td></tr>\n")
                 .arg(s.name.toHtmlEscaped(), s.value.toHtmlEscaped());
    return h + QStringLiteral("</table>\n");
}

QString routeTable(const Sheet& sheet) {
    QString h = QStringLiteral("<table class=\"routes\">\n<thead><tr>");
    for (const QString& c : columns())
        h += QStringLiteral("<th>%1</th>").arg(c.toHtmlEscaped());
    h += QStringLiteral("</tr></thead>\n<tbody>\n");
    for (const Row& row : sheet.rows) {
        h += QStringLiteral("<tr>");
        for (const QString& c : row.cells)
            h += QStringLiteral("<td>%1</td>").arg(c.toHtmlEscaped());
        h += QStringLiteral("</tr>\n");
    }
    return h + QStringLiteral("</tbody></table>\n");
}
} // namespace

QString html(const Sheet& sheet) {
    QString h = QStringLiteral(
                    "<!DOCTYPE html>\n<html lang=\"cs\"><head><meta charset=\"utf-8\">"
                    "<title>%1</title>\n<style>@page{size:A4 landscape;margin:12mm}"
                    "body{font-family:sans-serif;font-size:9pt}"
                    "table{border-collapse:collapse}td,th{text-align:left;vertical-align:top;"
                    "padding:1px 6px 1px 0}table.routes td,table.routes th{border:1px solid #999;"
                    "padding:2px 4px}thead{display:table-header-group}tr{page-break-inside:avoid;"
                    "break-inside:avoid}</style></head><body>\n")
                    .arg(pageHeading(sheet.title, sheet.date).toHtmlEscaped());
    h += QStringLiteral("<h1>%1</h1>\n<p>%2</p>\n")
             .arg(sheet.title.toHtmlEscaped(), sheet.date.toHtmlEscaped());
    h += QStringLiteral("<h2>%1</h2>\n").arg(kSettingsHeading) + pairTable(sheet.settings);
    h += QStringLiteral("<h2>%1</h2>\n").arg(kRoutesHeading) + routeTable(sheet);
    h += QStringLiteral("<h2>%1</h2>\n").arg(kFindingsHeading);
    if (sheet.findings.isEmpty())
        h += QStringLiteral("<p>%1</p>\n").arg(kNoFindings);
    for (const QString& f : sheet.findings)
        h += QStringLiteral("<p>%1</p>\n").arg(f.toHtmlEscaped());
    if (!sheet.names.isEmpty())
        h += QStringLiteral("<h2>%1</h2>\n").arg(kNamesHeading) + pairTable(sheet.names);
    return h + QStringLiteral("</body></html>\n");
}

} // namespace configsheet
