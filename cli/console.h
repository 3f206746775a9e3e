#pragma once

// What the system's console needs before stavnikctl reads or writes a byte: on Windows standard
// input and output carry data files byte for byte (no CR added before LF, no end at 0x1A) and
// the console shows the Czech texts, which are UTF-8.
void prepareConsole();

// Whether a person watches standard error, so that progress may be drawn there.
bool stderrIsTerminal();

// Started without a command in a console that is its own (double-clicked in Explorer, which
// closes that console as soon as the program ends): says what stavnikctl is and waits for a key
// so that the text can be read. False, doing nothing, in a command prompt or a script.
bool explainedToExplorer();
