// stv2-emu: a virtual STV2 module with its EXP2 unit on a pseudo-terminal.
#include "emu/emuoptions.h"
#include "emu/ptyhost.h"
#include "emu/stv2responder.h"

#include <QFile>
#include <QStringList>

#include <cstdio>

namespace {
void fail(const QString& text) {
    std::fprintf(stderr, "stv2-emu: %s\n", text.toLocal8Bit().constData());
}
} // namespace

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const EmuOptionsResult parsed = parseEmuOptions(args);
    if (!parsed.ok) {
        fail(parsed.error);
        return 2;
    }
    const EmuOptions& o = parsed.options;
    if (o.help) {
        std::fputs(emuHelpText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (o.version) {
        std::printf("stv2-emu %s\n", STAVNIK_VERSION);
        return 0;
    }

    Stv2Responder module(o.responder);
    QString error;
    if (!o.loadPath.isEmpty() && !module.loadDataFile(o.loadPath, &error)) {
        fail(error);
        return 2;
    }

    std::FILE* log = o.quiet ? nullptr : stderr;
    if (!o.quiet && !o.logPath.isEmpty()) {
        log = std::fopen(QFile::encodeName(o.logPath).constData(), "a");
        if (!log) {
            fail(QStringLiteral("cannot open the log %1").arg(o.logPath));
            return 2;
        }
    }

    int status = 0;
    {
        PtyHost host(module, o, log);
        if (!PtyHost::installSignalHandlers(&error) || !host.open(&error)) {
            fail(error);
            return 2;
        }
        // The first line is the device path, for scripts and tests to pick up.
        std::printf("%s\n", host.devicePath().toLocal8Bit().constData());
        std::fflush(stdout);
        host.run();
    }
    if (!o.savePath.isEmpty()) {
        if (module.saveDataFile(o.savePath, &error)) {
            if (log)
                std::fprintf(log, "memory saved to %s\n", o.savePath.toLocal8Bit().constData());
        } else {
            fail(error);
            status = 1;
        }
    }
    if (log && log != stderr)
        std::fclose(log);
    return status;
}
