#pragma once
// The window's icons, resources under ":/icons" by name: SVG files, or where
// Qt has no SVG support (the static Qt of the Windows build, which defines
// VANTREL_ICON_SUFFIX) PNG files rendered from them, each with a twice as
// large "@2x" version that QIcon takes for high-density screens.

#include <QIcon>
#include <QString>

#ifndef VANTREL_ICON_SUFFIX
#define VANTREL_ICON_SUFFIX ".svg"
#endif

inline QIcon ResourceIcon(const QString& Name)
{
    return QIcon(QStringLiteral(":/icons/") + Name + QStringLiteral(VANTREL_ICON_SUFFIX));
}
