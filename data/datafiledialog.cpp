#include "data/datafiledialog.h"

#include "widgets/messageboxes.h"
#include "data/routegrid.h"

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

bool saveDataFileTo(QWidget* parent, const QString& path, const ConfigStore& store) {
    const QString error = datafile::saveFile(path, store);
    if (error.isEmpty())
        return true;
    warningBox(parent, error);
    return false;
}

void loadDataFileCommand(QWidget* parent, QFileDialog& openDialog, ConfigStore& store,
                         RouteGrid& grid) {
    const QString path = askForFile(openDialog);
    if (!path.isEmpty())
        loadDataFileFrom(parent, path, store, grid);
}

void saveDataFileCommand(QWidget* parent, QFileDialog& saveDialog, const ConfigStore& store) {
    const QString path = askForFile(saveDialog);
    if (!path.isEmpty())
        saveDataFileTo(parent, path, store);
}
