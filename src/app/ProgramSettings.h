#pragma once
// Where the window keeps what it remembers between runs (its layout, the
// recent list files, the snap setting): the user's configuration folder (the
// registry on Windows), under the program's name. In the default format, so
// that a test run can keep its settings in a folder of its own on every
// system (QSettings::setDefaultFormat and setPath).

#include "common/ProgramInfo.h"

#include <QSettings>

inline QSettings ProgramSettings()
{
    return QSettings(QSettings::defaultFormat(), QSettings::UserScope, kProgramName, kProgramName);
}
