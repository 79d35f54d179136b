// The window's title: the list file's name, or 無題 for a list not yet saved,
// then the program's name, with the platform's mark of unsaved changes. The
// mark follows the undo stack's clean state, so undoing back to the saved
// list takes it away again.

#include "app/MainWindow.h"

#include "app/MainWindowConstants.h"

#include <QDir>
#include <QFileInfo>

using namespace mainform;

// Kept in the system's separators, however the path came (a dialog, the
// recent files, a drop), as every path the window shows.
void TMainForm::SetFileName(const QString& Path)
{
    FFileName = QDir::toNativeSeparators(Path);
    UpdateTitle();
}

void TMainForm::UpdateTitle()
{
    QString name = FFileName.isEmpty() ? tr("無題") : QFileInfo(FFileName).fileName();
    name.replace("[*]", "[*][*]"); // Qt's escape: a file's own "[*]" is no mark
    setWindowTitle(QStringLiteral("%1[*] - %2").arg(name, QLatin1String(kTitle)));
    setWindowModified(Modified());
}
