#pragma once
// The list files opened or saved last, newest first, at most kMax of them,
// each once. The window keeps them in its settings between runs and offers
// them in the File menu.

#include <QStringList>

class QSettings;

class TRecentFiles {
public:
    static constexpr int kMax = 8;

    const QStringList& Files() const { return FFiles; }
    // Puts Path (made absolute) first; the oldest beyond kMax goes.
    void Add(const QString& Path);
    void Remove(const QString& Path);

    void Load(const QSettings& Settings);
    void Save(QSettings& Settings) const;

private:
    QStringList FFiles;
};
