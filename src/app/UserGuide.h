#pragma once
// The user guide the help menu opens: the user part of the README, installed
// with the program (share/doc beside its bin folder), or made in the build
// tree for a program run from there.

#include <QString>

// The guide's path, the installed one first; empty when neither exists.
QString UserGuidePath();
// Opens the guide with the desktop's viewer for it; throws EVantrelError
// when there is no guide or no viewer takes it.
void OpenUserGuide();
