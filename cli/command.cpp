#include "cli/command.h"

QString usageLine(const CliCommand& command) {
    QString line = QStringLiteral("stavnikctl ") + command.name;
    if (!command.operands.isEmpty())
        line += QLatin1Char(' ') + command.operands;
    for (const CliOption& o : command.options) {
        const QString text = o.value.isEmpty() ? o.name : o.name + QLatin1Char(' ') + o.value;
        line += o.required ? QLatin1Char(' ') + text : QStringLiteral(" [%1]").arg(text);
    }
    return line;
}

int usageError(QTextStream& err, const QString& what, const QString& usage) {
    err << "stavnikctl: " << what << '\n' << "usage: " << usage << '\n';
    return exitcode::kUsage;
}

int Invocation::usageError(const QString& what) const {
    return ::usageError(err, what, usage);
}

QString printable(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const QChar::Category category = c.category();
        if (category != QChar::Other_Control && category != QChar::Other_Format) {
            out += c;
            continue;
        }
        const ushort code = c.unicode();
        out += code < 0x100 ? QStringLiteral("\\x%1").arg(code, 2, 16, QLatin1Char('0'))
                            : QStringLiteral("\\u%1").arg(code, 4, 16, QLatin1Char('0'));
    }
    return out;
}
