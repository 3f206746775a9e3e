#include "cli/command.h"
#include "settings/appsettings.h"

namespace {

// stavnikctl port [--map DEVICE]: which serial device the tool opens, read (and changed) the
// way the tool itself reads the settings file, so that scripts such as ./run never have to
// parse it.
int portCommand(const Invocation& run) {
    const QString path = settingsFilePath();
    const AppSettings settings = loadSettings(path);
    const int number = settings.portNumber;
    if (!settings.fileIgnored.isEmpty())
        run.err << "stavnikctl: " << path << ": " << settings.fileIgnored << '\n';
    const QString map = QStringLiteral("--map");
    if (run.options.contains(map)) {
        const QString device = run.options.value(map);
        if (device.trimmed().isEmpty())
            return run.usageError(QStringLiteral("--map needs a device path"));
        if (!savePortMapping(number, device, path)) {
            const QString why = settings.fileProblem.isEmpty()
                                    ? QStringLiteral("the file cannot be read or written, or is "
                                                     "not plain INI text")
                                    : settings.fileProblem;
            run.err << "stavnikctl: " << path << ": COM" << number << " not mapped to " << device
                    << ": " << why << '\n';
            return exitcode::kFailed;
        }
    }
    const bool mapped = !mappedDevice(number, path).isEmpty();
    run.out << "COM" << number << '\t' << portDevice(number, path) << '\t'
            << (mapped ? "mapped" : "default") << '\n';
    return exitcode::kOk;
}

} // namespace

CliCommands portCommands() {
    return {
        {QStringLiteral("port"),
         QString(),
         0,
         {{QStringLiteral("--map"), QStringLiteral("DEVICE")}},
         QStringLiteral("print the configured port: COMn, its device and whether stavnikCFG.ini "
                        "maps it (TAB-separated); --map DEVICE maps it there"),
         portCommand},
    };
}
