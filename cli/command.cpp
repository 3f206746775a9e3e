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
