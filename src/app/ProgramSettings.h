#pragma once
// Where the window keeps what it remembers between runs (its layout, the
// recent list files, the snap setting): the user's configuration folder,
// under the program's name.

#include "common/ProgramInfo.h"

#include <QSettings>

inline QSettings ProgramSettings() { return QSettings(kProgramName, kProgramName); }
