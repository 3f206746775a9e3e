#pragma once

#include "emu/stv2responder.h"

#include <QString>
#include <QStringList>

// Everything stv2-emu can be told on its command line.
struct EmuOptions {
    ResponderOptions responder;
    bool pacing = true; // 9600-baud timing of every byte, both ways
    // A USB serial adapter between the module and the tool: what it receives is handed over only
    // at the next beat of its latency timer, every this many milliseconds (0: no adapter).
    int adapterLatencyMs = 0;
    QString linkPath;   // symbolic link to the pseudo-terminal, made at start, removed at exit
    QString loadPath;   // data file loaded into the memory at start
    QString savePath;   // data file the memory is saved to at exit
    QString logPath;    // command log; empty: standard error
    bool quiet = false; // no command log at all
    bool animate = false;
    int animateMs = 400; // one step of the input pattern
    bool help = false;
    bool version = false;
};

struct EmuOptionsResult {
    bool ok = false;
    QString error; // one line, for standard error
    EmuOptions options;
};

// `args` without the program name. Unknown options, missing or out-of-range values fail.
EmuOptionsResult parseEmuOptions(const QStringList& args);
QString emuHelpText();

// Parsers of single option values, exposed for their tests.
// "3.0" (major.minor, 0..15 each), "2.5b" (with revision letter) or a raw byte "0x30".
bool parseFirmware(const QString& text, std::uint8_t& version, char& revision);
// A share as 0..1 ("0.05") or percent ("5%").
bool parseShare(const QString& text, double& share);
