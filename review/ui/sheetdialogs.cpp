#include "review/ui/sheetdialogs.h"

#include "data/ui/datafiledialog.h"
#include "review/print/printedsheet.h"
#include "widgets/messageboxes.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>

namespace {
const QString kExportTitle = QStringLiteral("Exportovat konfiguraci");
const QString kUnknownFormat =
    QStringLiteral("Formát se volí příponou souboru: .pdf, .html nebo .csv. Nic nebylo uloženo.");
const QString kPrintFailed = QStringLiteral("Tisk se nepodařilo zahájit.");
const QString kUntitled = QStringLiteral("neuložená konfigurace");

struct ExportFormat {
    QString filter;
    QString suffix;
};
const ExportFormat kFormats[] = {
    {QStringLiteral("Dokument PDF (*.pdf)"), QStringLiteral("pdf")},
    {QStringLiteral("Stránka HTML (*.html *.htm)"), QStringLiteral("html")},
    {QStringLiteral("Tabulka CSV (*.csv)"), QStringLiteral("csv")},
    {QStringLiteral("Tabulka CSV – dlouhý tvar: položka, pole, hodnota (*.csv)"),
     QStringLiteral("csv")},
};
const QString& longCsvFilter() {
    return kFormats[std::size(kFormats) - 1].filter;
}

// The sheet is headed with the data file's name.
QString sheetTitle(const ConfigStore& store) {
    return store.currentFile.isEmpty() ? kUntitled : QFileInfo(store.currentFile).fileName();
}
} // namespace

QFileDialog* exportDialog(QWidget* parent) {
    auto* dialog = new QFileDialog(parent, kExportTitle);
    dialog->setObjectName(QStringLiteral("ExportDialog1"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    QStringList filters;
    for (const ExportFormat& f : kFormats)
        filters << f.filter;
    dialog->setNameFilters(filters);
    dialog->setDefaultSuffix(kFormats[0].suffix);
    QObject::connect(dialog, &QFileDialog::filterSelected, dialog, [dialog](const QString& chosen) {
        for (const ExportFormat& f : kFormats)
            if (f.filter == chosen)
                dialog->setDefaultSuffix(f.suffix);
    });
    return dialog;
}

bool exportSheetCommand(QWidget* parent, QFileDialog& dialog, ConfigStore& store,
                        const ElementNames& names) {
    const QString path = askForFile(dialog, store, QFileInfo(store.currentFile).completeBaseName());
    return !path.isEmpty() && exportSheetTo(parent, path, store, names,
                                            dialog.selectedNameFilter() == longCsvFilter());
}

bool exportSheetTo(QWidget* parent, const QString& path, const ConfigStore& store,
                   const ElementNames& names, bool longCsv) {
    printedsheet::Format format = printedsheet::formatOf(path);
    if (longCsv && format == printedsheet::Format::Csv)
        format = printedsheet::Format::CsvLong;
    if (format == printedsheet::Format::Unknown) {
        warningBox(parent, kUnknownFormat);
        return false;
    }
    // Refused before the sheet is drawn, as a data file's save is.
    const safesave::Result target = safesave::check(path);
    if (target.problem != safesave::Problem::None)
        return tellSaveResult(parent, path, target);
    const QByteArray bytes =
        printedsheet::render(format, store, names, sheetTitle(store), printedsheet::today());
    return tellSaveResult(parent, path, safesave::write(path, bytes));
}

void printSheetCommand(QWidget* parent, const ConfigStore& store, const ElementNames& names) {
    QPrinter printer(QPrinter::HighResolution);
    const QString title = sheetTitle(store);
    printer.setDocName(title);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("PrintDialog1"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!printedsheet::paint(printer,
                             configsheet::build(store, names, title, printedsheet::today())))
        warningBox(parent, kPrintFailed);
}
