#include "app/RecentFiles.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const char* const kKey = "RecentFiles";

} // namespace

void TRecentFiles::Add(const QString& Path)
{
    const QString path = QFileInfo(Path).absoluteFilePath();
    FFiles.removeAll(path);
    FFiles.prepend(path);
    while (FFiles.size() > kMax)
        FFiles.removeLast();
}

void TRecentFiles::Remove(const QString& Path) { FFiles.removeAll(QFileInfo(Path).absoluteFilePath()); }

void TRecentFiles::Load(const QSettings& Settings)
{
    FFiles.clear();
    const QStringList stored = Settings.value(kKey).toStringList();
    for (auto it = stored.crbegin(); it != stored.crend(); ++it)
        Add(*it);
}

void TRecentFiles::Save(QSettings& Settings) const { Settings.setValue(kKey, FFiles); }
