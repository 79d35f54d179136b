// What the main window remembers between runs, in the user's settings: its
// size and place, the heights of the list and the two views, and the list
// files used last (the File menu's recent files).

#include "app/MainWindow.h"

#include "app/NativePath.h"
#include "app/ProgramSettings.h"
#include "app/RecentFiles.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSplitter>

namespace {

const char* const kGeometry = "Window/Geometry";
const char* const kListSplitter = "Window/ListSplitter";
const char* const kViewSplitter = "Window/ViewSplitter";

} // namespace

// On the first run nothing is stored and the window keeps the form's layout.
void TMainForm::RestoreSession()
{
    const QSettings settings = ProgramSettings();
    restoreGeometry(settings.value(kGeometry).toByteArray());
    Splitter1->restoreState(settings.value(kListSplitter).toByteArray());
    Splitter2->restoreState(settings.value(kViewSplitter).toByteArray());
    FRecentFiles->Load(settings);
    UpdateRecentMenu();
}

void TMainForm::SaveSession() const
{
    QSettings settings = ProgramSettings();
    settings.setValue(kGeometry, saveGeometry());
    settings.setValue(kListSplitter, Splitter1->saveState());
    settings.setValue(kViewSplitter, Splitter2->saveState());
}

void TMainForm::RememberFile(const QString& Path)
{
    FRecentFiles->Add(Path);
    UpdateRecentMenu();
}

// Rebuilds the menu and stores the list, so every change survives the run.
void TMainForm::UpdateRecentMenu()
{
    QSettings settings = ProgramSettings();
    FRecentFiles->Save(settings);
    MainMenu1_Recent->clear();
    int number = 0;
    for (const QString& path : FRecentFiles->Files()) {
        // A "&" in a path is no access key.
        const QString caption =
            QStringLiteral("&%1 %2").arg(++number).arg(QDir::toNativeSeparators(path).replace("&", "&&"));
        QAction* action = MainMenu1_Recent->addAction(caption);
        connect(action, &QAction::triggered, this, [this, path] { RunCommand([this, path] { OpenRecentFile(path); }); });
    }
    MainMenu1_Recent->setEnabled(!FRecentFiles->Files().isEmpty());
}

// A list file that is no longer there leaves the menu, with the error any
// open of it gives; the document stays as it was.
void TMainForm::OpenRecentFile(const QString& Path)
{
    if (!QFileInfo::exists(Path)) {
        FRecentFiles->Remove(Path);
        UpdateRecentMenu();
        TKSD().LoadFromFile(NativePath(Path));
    }
    if (ConfirmDiscard())
        OpenKSDFile(Path);
}
