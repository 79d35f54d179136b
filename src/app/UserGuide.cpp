#include "app/UserGuide.h"

#include "app/MainWindowConstants.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

QString UserGuidePath()
{
    const QString installed = QDir(QCoreApplication::applicationDirPath()).filePath(VANTREL_GUIDE_INSTALLED);
    for (const QString& path : {installed, QStringLiteral(VANTREL_GUIDE_BUILT)})
        if (QFileInfo(path).isFile())
            return QDir::cleanPath(path);
    return {};
}

void OpenUserGuide()
{
    const QString path = UserGuidePath();
    if (path.isEmpty())
        throw EVantrelError(QCoreApplication::translate("UserGuide", "使い方の説明が見つかりません").toStdString());
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        throw EVantrelError(QCoreApplication::translate("UserGuide", "「%1」を開けません").arg(path).toStdString());
}
