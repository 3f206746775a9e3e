// Start-up time of the desktop tool: application object, main window with the all-zero image
// decoded and the grid filled, the eight dialogs, first paint. Run with QT_QPA_PLATFORM=offscreen
// or on a display; prints milliseconds per phase.
#include "app/mainwindow.h"
#include "link/serialport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char* argv[]) {
    QElapsedTimer total;
    total.start();
    QApplication app(argc, argv);
    const qint64 appMs = total.elapsed();
    QTemporaryDir dir; // no settings file: COM1 is /dev/ttyS0, absent or not
    ConfigStore store;
    SerialBytePort port(dir.filePath(QStringLiteral("stavnikCFG.ini")));
    LinkEngine engine(store, port);
    QElapsedTimer t;
    t.start();
    MainWindow window(store, engine, port, dir.filePath(QStringLiteral("stavnikCFG.ini")));
    const qint64 windowMs = t.restart();
    window.show();
    QApplication::processEvents();
    const qint64 showMs = t.elapsed();
    std::printf("QApplication %lld ms, main window with its dialogs %lld ms, show %lld ms, "
                "total %lld ms\n",
                appMs, windowMs, showMs, static_cast<long long>(total.elapsed()));
    return 0;
}
