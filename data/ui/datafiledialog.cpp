#include "data/ui/datafiledialog.h"

#include "data/ui/routegrid.h"
#include "widgets/messageboxes.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>

namespace {
const QString kRestStaysText =
    QStringLiteral("Ostatní bajty zůstanou z konfigurace na obrazovce. Načíst soubor?");
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

// The name field is empty for a load and holds the current file's name for a save.
QString askForFile(QFileDialog& dialog, ConfigStore& store) {
    const bool save = dialog.acceptMode() == QFileDialog::AcceptSave;
    return ::askForFile(dialog, store, save ? QFileInfo(store.currentFile).fileName() : QString());
}
} // namespace

// Left as it was, the name field would keep the last name typed, and a name typed next would be
// added to it.
QString askForFile(QFileDialog& dialog, ConfigStore& store, const QString& name) {
    return askForFile(dialog, store.lastFolder, name);
}

QString askForFile(QFileDialog& dialog, QString& lastFolder, const QString& name) {
    if (!lastFolder.isEmpty())
        dialog.setDirectory(lastFolder);
    // Qt's own dialog: a native one starts empty by itself.
    if (auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
        field->setText(name);
        field->selectAll();
    } else if (!name.isEmpty()) {
        dialog.selectFile(name);
    }
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QString path = dialog.selectedFiles().value(0);
    if (!path.isEmpty())
        lastFolder = QFileInfo(path).absolutePath();
    return path;
}

namespace {
// The load's checks and boxes around `loaded`, a copy of the configuration on screen. Loaded
// beside it first: a file that sets only part of it would otherwise mix two configurations
// without a word, and Cancel must leave everything as it was. The skipped lines are told by
// the caller, once the result is in place.
datafile::LoadResult loadBeside(QWidget* parent, const QString& path, ConfigStore& loaded) {
    using Status = datafile::LoadResult::Status;
    datafile::LoadResult result = datafile::loadFile(path, loaded);
    switch (result.status) {
    case Status::Loaded:
        if (!result.setsEverything() && warningBox(parent, datafile::partialFileText(result),
                                                   QMessageBox::Ok | QMessageBox::Cancel, QString(),
                                                   kRestStaysText) != QMessageBox::Ok)
            result.status = Status::Stopped;
        break;
    case Status::Refused:
    case Status::IoError:
        warningBox(parent, result.message, QMessageBox::Ok, QString(),
                   failureDetail(path, result.reason));
        break;
    case Status::Stopped:
        warningBox(parent, datafile::noDataLinesText(fullName(path)));
        break;
    }
    return result;
}

void tellSkippedLines(QWidget* parent, const datafile::LoadResult& result) {
    if (result.skippedLines > 0)
        warningBox(parent, datafile::skippedLinesText(result.skippedLines));
}
} // namespace

datafile::LoadResult loadDataFileFrom(QWidget* parent, const QString& path, ConfigStore& store,
                                      RouteGrid& grid) {
    ConfigStore loaded = store;
    const datafile::LoadResult result = loadBeside(parent, path, loaded);
    if (result.status == datafile::LoadResult::Status::Loaded) {
        store = loaded;
        store.currentFile = path;
        grid.fill(store);
        tellSkippedLines(parent, result);
    }
    return result;
}

std::optional<ConfigStore> loadDataFileCopyFrom(QWidget* parent, const QString& path,
                                                const ConfigStore& store) {
    ConfigStore loaded = store;
    const datafile::LoadResult result = loadBeside(parent, path, loaded);
    if (result.status != datafile::LoadResult::Status::Loaded)
        return std::nullopt;
    loaded.currentFile = path;
    tellSkippedLines(parent, result);
    return loaded;
}

bool tellSaveResult(QWidget* parent, const QString& path, const safesave::Result& result) {
    if (result.saved) {
        if (result.inPlace)
            informationBox(parent, safesave::inPlaceSentence(result.inPlaceWhy) + fullName(path));
        return true;
    }
    QString detail = failureDetail(path, result.reason);
    if (result.inPlace)
        detail += QLatin1Char('\n') + kInPlaceFailedText;
    // Czech first; the system's own (English) words are in the details.
    warningBox(parent, safesave::failureSentence(result.problem), QMessageBox::Ok, QString(),
               detail);
    return false;
}

bool saveDataFileTo(QWidget* parent, const QString& path, ConfigStore& store) {
    const datafile::SaveResult result = datafile::saveFile(path, store);
    // On failure the configuration stays as it is, so the user can pick another place and save
    // again.
    if (result.saved) {
        store.markSaved();
        store.currentFile = path;
    }
    return tellSaveResult(parent, path, result);
}

bool loadDataFileCommand(QWidget* parent, QFileDialog& openDialog, ConfigStore& store,
                         RouteGrid& grid) {
    const QString path = askForFile(openDialog, store);
    return !path.isEmpty() && loadDataFileFrom(parent, path, store, grid).status ==
                                  datafile::LoadResult::Status::Loaded;
}

std::optional<ConfigStore> loadDataFileCopyCommand(QWidget* parent, QFileDialog& openDialog,
                                                   ConfigStore& store) {
    const QString path = askForFile(openDialog, store);
    if (path.isEmpty())
        return std::nullopt;
    return loadDataFileCopyFrom(parent, path, store);
}

bool saveDataFileCommand(QWidget* parent, QFileDialog& saveDialog, ConfigStore& store) {
    const QString path = askForFile(saveDialog, store);
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

QString askForFile(QFileDialog& dialog, ConfigDocument& document, const QString& name) {
    QString folder = document.config().lastFolder;
    const QString path = askForFile(dialog, folder, name);
    document.setLastFolder(folder);
    return path;
}

bool loadDataFileInto(QWidget* parent, const QString& path, ConfigDocument& document,
                      ConfigDocument::Origin origin) {
    ConfigStore loaded = document.config();
    const datafile::LoadResult result = loadBeside(parent, path, loaded);
    if (result.status != datafile::LoadResult::Status::Loaded)
        return false;
    document.replace(loaded, origin, path);
    tellSkippedLines(parent, result);
    return true;
}

bool saveDocument(QWidget* parent, QFileDialog& saveDialog, ConfigDocument& document,
                  bool askName) {
    QString path = askName ? QString() : document.saveTarget();
    if (path.isEmpty()) {
        const QString name = document.saveTarget().isEmpty()
                                 ? document.suggestedFileName()
                                 : QFileInfo(document.saveTarget()).fileName();
        path = askForFile(saveDialog, document, name);
        if (path.isEmpty())
            return false;
    }
    // On failure the configuration stays as it is, so the user can pick another place.
    const datafile::SaveResult result = datafile::saveFile(path, document.config());
    if (result.saved)
        document.markSavedTo(path);
    return tellSaveResult(parent, path, result);
}

bool saveChangesFirst(QWidget* parent, QFileDialog& saveDialog, ConfigDocument& document) {
    if (!document.isModified())
        return true;
    switch (askSaveChanges(parent)) {
    case SaveChangesAnswer::Save:
        return saveDocument(parent, saveDialog, document, false);
    case SaveChangesAnswer::Discard:
        return true;
    case SaveChangesAnswer::Cancel:
        break;
    }
    return false;
}
