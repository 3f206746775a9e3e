#pragma once

#include <QString>

// What "O programu" shows: the program's title and purpose, then its version, the Qt it runs
// on, and the authorship and licence notice.
QString aboutText();
