#pragma once
// A file name as the window hands it to the core: Qt's dialogs and drops give
// forward slashes on every system, while the core keeps the name as given
// and shows it in its messages and the list's tooltips. In the system's own
// separators, a name reads the same everywhere in the window (C:\voices\a.wav
// on Windows, never C:/voices/a.wav).

#include <QDir>
#include <QString>

#include <string>

inline std::string NativePath(const QString& Path) { return QDir::toNativeSeparators(Path).toStdString(); }
