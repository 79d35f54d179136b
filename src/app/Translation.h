#pragma once
// The window speaks Japanese, so Qt's own widgets (message box buttons, file
// dialogs) must too, whatever language the system is set to.

class QCoreApplication;

// Installs Qt's Japanese translation of its widgets into Application.
// Returns false when the translation is not installed on this machine (the
// dialogs then speak Qt's English).
bool InstallQtJapanese(QCoreApplication& Application);
