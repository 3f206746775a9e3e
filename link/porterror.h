#pragma once

#include <QString>
#include <QStringList>

// What the system said when a serial device did not open, in the same few kinds on every system.
enum class PortOpenError { Unknown, DeviceNotFound, Permission, UnsupportedOperation, Resource };

// Why a serial device did not open, told so that the user knows what to do about it.
enum class PortProblem { Missing, Permission, Busy, NotSerial, Other };

// What the file system says about the device, gathered right after the open failed. A port held
// by another program and a port the user may not open fail alike (Permission); only the device's
// permissions tell the two apart.
struct PortFacts {
    bool inspected = false; // false where devices are not files (Windows): only the error counts
    bool exists = false;    // after following symbolic links
    bool characterDevice = false;
    bool directory = false;
    bool regularFile = false;
    bool pipe = false; // a named pipe (FIFO)
    bool socket = false;
    bool readWriteAllowed = false; // for this user
    QString owner;
    QString group;
    bool groupMayReadWrite = false;
    QString holder; // the program named in the port's lock file, "stavnik-cfg, PID 1234"
};

struct PortFailure {
    QString device;
    PortOpenError error = PortOpenError::Unknown;
    QString systemText; // the system's own words
    PortFacts facts;
};

PortFacts portFacts(const QString& device);
PortProblem classifyPortFailure(const PortFailure& failure);
// Czech, a few lines: what happened and what to do. `existing` labels the serial devices found
// now, offered when the device is missing.
QString portFailureText(const PortFailure& failure, const QStringList& existing);
