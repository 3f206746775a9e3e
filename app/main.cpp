#include "app/mainwindow.h"
#include "link/linktrace.h"
#include "link/serialport.h"
#include "widgets/programfont.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include <cstdio>

namespace {
// --help and --version are answered before Qt needs a display; anything else is Qt's own
// (-platform, -style...).
bool answeredOnConsole(int argc, char* argv[]) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({help, version});
    parser.parse(args);
    if (parser.isSet(version)) {
        std::printf("stavnik-cfg %s\n", STAVNIK_VERSION);
        return true;
    }
    if (!parser.isSet(help))
        return false;
    std::fputs("Usage: stavnik-cfg [--help] [--version] [Qt options] [FILE]\n"
               "\n"
               "Stavnik CFG: the configuration and service tool of the STV2 model-railway\n"
               "station-throat controller and its EXP2 expansion unit. It keeps the routes and\n"
               "module-wide settings in data files and reads, verifies and writes them in the\n"
               "module over an RS232 line. The user interface is in Czech.\n"
               "\n"
               "FILE, a data file (.txt), is loaded at start as \"Načíst data\" loads it.\n"
               "\n"
               "Options:\n"
               "  -h, --help     show this text\n"
               "  --version      show the program's version\n"
               "\n"
               "Settings: ~/.config/stavnik-cfg/stavnikCFG.ini, section [Options] (COMserial,\n"
               "timerCOM, Developer, fastLink); section [Ports] maps COMn to a device\n"
               "(COM1=/dev/ttyUSB0); without it COMn is /dev/ttyS<n-1>.\n"
               "\n"
               "See also stavnikctl(1) for scripts and stv2-emu(1), a virtual module.\n",
               stdout);
    return true;
}
} // namespace

int main(int argc, char* argv[]) {
    if (answeredOnConsole(argc, argv))
        return 0;
    // Without a display Qt would abort with a message about platform plugins; say it plainly.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
#if !defined(Q_OS_WIN) && !defined(Q_OS_MACOS) // they have no DISPLAY
        std::fprintf(stderr, "stavnik-cfg: no display found (DISPLAY is not set). Start it from a "
                             "desktop session, or under xvfb-run.\n");
        return 1;
#endif
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("stavnik-cfg"));
    applyProgramFont(app);
    // Qt's own dialogs and buttons (file dialogs, "Show Details...") in Czech, like the rest:
    // from Qt's folder where Qt is installed, else from inside the program (Windows).
    QTranslator qtTexts;
    for (const QString& folder :
         {QLibraryInfo::path(QLibraryInfo::TranslationsPath), QStringLiteral(":/translations")})
        if (qtTexts.load(QLocale(QLocale::Czech), QStringLiteral("qtbase"), QStringLiteral("_"),
                         folder)) {
            QApplication::installTranslator(&qtTexts);
            break;
        }
    QGuiApplication::setDesktopFileName(QStringLiteral("stavnik-cfg")); // icon on Wayland

    ConfigStore store;
    SerialBytePort line(settingsFilePath());
    // "Záznam komunikace" (in "Diagnostika linky") records the line here when ticked.
    TracedPort port(line);
    LinkEngine engine(store, port);
    MainWindow window(store, engine, port);
    window.show();
    // What is left once Qt has taken its own options.
    QCommandLineParser files;
    files.parse(QCoreApplication::arguments());
    if (const QString file = files.positionalArguments().value(0); !file.isEmpty())
        QTimer::singleShot(0, &window, [&window, file] { window.openFile(file); });
    return app.exec();
}
