#pragma once

#include "emu/emuoptions.h"
#include "emu/stv2responder.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <map>
#include <sys/types.h>
#include <vector>

// Puts a Stv2Responder on the master side of a pseudo-terminal and keeps it there for as long as
// it runs: the tool may open, close and reopen the terminal's device any number of times.
class PtyHost {
public:
    PtyHost(Stv2Responder& module, const EmuOptions& options, std::FILE* log);
    ~PtyHost();
    PtyHost(const PtyHost&) = delete;
    PtyHost& operator=(const PtyHost&) = delete;

    // Creates the terminal in raw mode and, when asked, the symbolic link to it.
    bool open(QString* error);
    QString devicePath() const { return m_devicePath; }

    // SIGTERM, SIGINT and SIGHUP make run() return; call once before run().
    static bool installSignalHandlers(QString* error);
    // Serves the line and standard input until a stop signal or "quit".
    void run();

private:
    using Nanos = std::int64_t;
    static Nanos now();
    void logLine(const QString& line);
    void readLine();
    void readStdin();
    void handleControl(const QString& line);
    void schedule(const QList<ReplyChunk>& chunks, Nanos ready);
    void writeDue(Nanos t);
    // One write to the tool, or into the modelled adapter until its next beat.
    ssize_t deliver(const char* bytes, int count, Nanos t);
    void releaseAdapter(Nanos t);
    void runDue(Nanos t);
    Nanos nextWake(Nanos t) const;
    void setConnected(bool connected);
    void removeLink();
    void drainOpenEvents();
    bool nobodyHasTerminalOpen() const;

    Stv2Responder& m_module;
    EmuOptions m_options;
    std::FILE* m_log;
    int m_master = -1;
    int m_openWatch = -1; // inotify: someone opened the terminal's device
    QString m_devicePath;
    bool m_linkMade = false;
    bool m_connected = false;
    bool m_stop = false;
    Nanos m_start = 0;
    Nanos m_byteNs;
    Nanos m_rxFree = 0;
    Nanos m_txFree = 0;
    // Writes waiting for their time; a started chunk is finished before the next one begins,
    // as a UART sends one message after the other.
    std::multimap<Nanos, QByteArray> m_queue;
    QByteArray m_current;
    Nanos m_adapterBeatNs = 0;
    QByteArray m_adapterHeld; // in the modelled adapter, handed over at m_adapterRelease
    Nanos m_adapterRelease = 0;
    int m_currentPos = 0;
    bool m_stdinOpen = true;
    QByteArray m_stdinBuffer;
    struct Release {
        Nanos due;
        Unit unit;
        int button;
    };
    std::vector<Release> m_releases;
    bool m_animate = false;
    int m_animateStep = 0;
    Nanos m_nextAnimate = 0;
};
