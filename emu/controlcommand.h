#pragma once

#include "emu/stv2responder.h"

#include <QString>

// One line typed on stv2-emu's standard input.
struct ControlCommand {
    enum class Kind { Empty, Error, Input, SetWord, Clear, Silent, Animate, Status, Help, Quit };
    enum class Input { Sensor, Detector, Button };
    enum class Mode { On, Off, Press };

    Kind kind = Kind::Empty;
    Unit unit = Unit::Main;
    Input input = Input::Sensor;
    int number = 0; // 1-based, within the unit
    Mode mode = Mode::On;
    unsigned value = 0; // SetWord
    bool flag = false;  // Silent, Animate
    QString error;
};

ControlCommand parseControlLine(const QString& line);

// Sets what an Input, SetWord or Clear command says; a Press sets the button (the host releases
// it later). Other kinds change nothing.
void applyInputCommand(Stv2Responder& module, const ControlCommand& cmd);

// Inputs and last commanded outputs of both units, a few lines for the status command.
QString moduleStatusText(const Stv2Responder& module);

// Step k of the --animate pattern: one light walking over each input group of both units.
void animateInputs(Stv2Responder& module, int step);
