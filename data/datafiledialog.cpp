#include "data/datafiledialog.h"

#include "data/routegrid.h"
#include "widgets/messageboxes.h"

#include <QFileDialog>

namespace {
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
        warningBox(parent, result.message);
        break;
    case Status::Stopped:
        break;
    }
    return result;
}

bool saveDataFileTo(QWidget* parent, const QString& path, ConfigStore& store) {
    const QString error = datafile::saveFile(path, store);
    if (error.isEmpty()) {
        store.markSaved();
        return true;
    }
    warningBox(parent, error);
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
