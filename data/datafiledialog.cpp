#include "data/datafiledialog.h"

#include "data/routegrid.h"
#include "widgets/messageboxes.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {
const QString kInPlaceFailedText =
    QStringLiteral("Soubor se přepisoval přímo; jeho dřívější obsah byl vrácen, jak to systém "
                   "dovolil.");

QString fullName(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// Under the box's text: which file, and the system's reason.
QString failureDetail(const QString& path, const QString& reason) {
    return reason.isEmpty() ? QString() : fullName(path) + QStringLiteral(": ") + reason;
}

// The chosen file, or an empty name when the user cancelled.
QString askForFile(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}
} // namespace

datafile::LoadResult loadDataFileFrom(QWidget* parent, const QString& path, ConfigStore& store,
                                      RouteGrid& grid) {
    using Status = datafile::LoadResult::Status;
    const datafile::LoadResult result = datafile::loadFile(path, store);
    switch (result.status) {
    case Status::Loaded:
        grid.fill(store);
        if (result.skippedLines > 0)
            warningBox(parent, datafile::skippedLinesText(result.skippedLines));
        break;
    case Status::Refused:
    case Status::IoError:
        warningBox(parent, result.message, QMessageBox::Ok, QString(),
                   failureDetail(path, result.reason));
        break;
    case Status::Stopped:
        break;
    }
    return result;
}

bool saveDataFileTo(QWidget* parent, const QString& path, ConfigStore& store) {
    const datafile::SaveResult result = datafile::saveFile(path, store);
    if (result.saved) {
        store.markSaved();
        if (result.inPlace)
            informationBox(parent, safesave::inPlaceSentence(result.inPlaceWhy) + fullName(path));
        return true;
    }
    QString detail = failureDetail(path, result.reason);
    if (result.inPlace)
        detail += QLatin1Char('\n') + kInPlaceFailedText;
    // The configuration stays as it is, so the user can pick another place and save again.
    // Czech first; the system's own (English) words are in the details.
    warningBox(parent, safesave::failureSentence(result.problem), QMessageBox::Ok, QString(),
               detail);
    return false;
}

void loadDataFileCommand(QWidget* parent, QFileDialog& openDialog, ConfigStore& store,
                         RouteGrid& grid) {
    const QString path = askForFile(openDialog);
    if (!path.isEmpty())
        loadDataFileFrom(parent, path, store, grid);
}

bool saveDataFileCommand(QWidget* parent, QFileDialog& saveDialog, ConfigStore& store) {
    const QString path = askForFile(saveDialog);
    return !path.isEmpty() && saveDataFileTo(parent, path, store);
}

bool saveChangesFirst(QWidget* parent, QFileDialog& saveDialog, ConfigStore& store) {
    if (!store.isModified())
        return true;
    switch (askSaveChanges(parent)) {
    case SaveChangesAnswer::Save:
        return saveDataFileCommand(parent, saveDialog, store);
    case SaveChangesAnswer::Discard:
        return true;
    case SaveChangesAnswer::Cancel:
        break;
    }
    return false;
}
