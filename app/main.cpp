#include "app/mainwindow.h"
#include "link/serialport.h"
#include "widgets/programfont.h"

#include <QApplication>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
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
    QGuiApplication::setDesktopFileName(QStringLiteral("stavnik-cfg")); // icon on Wayland

    ConfigStore store;
    SerialBytePort port(settingsFilePath());
    LinkEngine engine(store, port);
    MainWindow window(store, engine, port);
    window.show();
    return app.exec();
}
