#include "review/configsheet.h"

#include "review/configwords.h"

namespace configsheet {
namespace {
QString csvCell(QString text) {
    if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))) {
        text.replace(QLatin1String("\""), QLatin1String("\"\""));
        return QLatin1Char('"') + text + QLatin1Char('"');
    }
    return text;
}
} // namespace

QByteArray csv(const ConfigStore& config) {
    QString out = QStringLiteral("položka,pole,hodnota\r\n");
    const auto row = [&out](const QString& item, const QString& field, const QString& value) {
        out += csvCell(item) + QLatin1Char(',') + csvCell(field) + QLatin1Char(',') +
               csvCell(value) + QStringLiteral("\r\n");
    };
    for (const configwords::Field& f : configwords::headerFields(config.image))
        row(QStringLiteral("hlavička"), f.name, f.value);
    for (int n = 1; n <= image::kRouteCount; ++n)
        if (configwords::isActive(config.route(n)))
            for (const configwords::Field& f : configwords::routeFields(config.route(n)))
                row(configwords::routeItem(n), f.name, f.value);
    return out.toUtf8();
}

QString pageHeading(const QString& title, const QString& date) {
    return QStringLiteral("Stavník STV2 – %1 – %2").arg(title, date);
}

QString html(const ConfigStore& config, const QString& title, const QString& date) {
    QString h = QStringLiteral("<!DOCTYPE html>\n<html lang=\"cs\"><head><meta charset=\"utf-8\">"
                               "<title>%1</title>\n<style>body{font-family:sans-serif}"
                               "td,th{text-align:left;padding:1px 8px 1px 0;vertical-align:top}"
                               "</style></head><body>\n")
                    .arg(pageHeading(title, date).toHtmlEscaped());
    h +=
        QStringLiteral("<h1>%1</h1>\n<p>%2</p>\n").arg(title.toHtmlEscaped(), date.toHtmlEscaped());
    h += QStringLiteral("<h2>Nastavení modulu</h2>\n<table>\n");
    for (const configwords::Field& f : configwords::headerFields(config.image))
        h += QStringLiteral("<tr><th>%1</th><td>%2</td></tr>\n")
                 .arg(f.name.toHtmlEscaped(), f.value.toHtmlEscaped());
    h += QStringLiteral("</table>\n<h2>Vlakové cesty</h2>\n");
    const int base = dccBase(config.image);
    for (int n = 1; n <= image::kRouteCount; ++n) {
        if (!configwords::isActive(config.route(n)))
            continue;
        const QStringList lines =
            configwords::describeRoute(config.route(n), n, base).split(QLatin1Char('\n'));
        h += QStringLiteral("<h3>%1</h3>\n<p>").arg(lines.first().toHtmlEscaped());
        for (int i = 1; i < lines.size(); ++i)
            h += lines[i].toHtmlEscaped() + QStringLiteral("<br>\n");
        h += QStringLiteral("</p>\n");
    }
    h += QStringLiteral("</body></html>\n");
    return h;
}

} // namespace configsheet
