// The keys of the main window's commands. Where the platform has a standard
// key for a command it is used; the menus show every key beside its item.

#include "app/MainWindow.h"

#include <QAction>
#include <QKeySequence>

namespace {

const QKeySequence kPlayKey(Qt::Key_Space);

// All the platform's bindings of a standard key (Redo has two on some desktops).
QList<QKeySequence> Standard(QKeySequence::StandardKey Key) { return QKeySequence::keyBindings(Key); }
QList<QKeySequence> Key(QKeyCombination Combination) { return {QKeySequence(Combination)}; }

} // namespace

void TMainForm::AssignShortcuts()
{
    const std::pair<QAction*, QList<QKeySequence>> keys[] = {
        {MainMenu1_New, Standard(QKeySequence::New)},
        {MainMenu1_OpenKSD, Standard(QKeySequence::Open)},
        {MainMenu1_OverwriteKSD, Standard(QKeySequence::Save)},
        {MainMenu1_SaveAsKSD, Standard(QKeySequence::SaveAs)},
        {MainMenu1_ExportVBK, Key(Qt::CTRL | Qt::Key_E)},
        {MainMenu1_Exit, Standard(QKeySequence::Quit)},
        {MainMenu1_Undo, Standard(QKeySequence::Undo)},
        {MainMenu1_Redo, Standard(QKeySequence::Redo)},
        {MainMenu1_AddWave, Key(Qt::CTRL | Qt::Key_I)},
        {MainMenu1_DeleteWave, Standard(QKeySequence::Delete)},
        {MainMenu1_MoveUp, Key(Qt::ALT | Qt::Key_Up)},
        {MainMenu1_MoveDown, Key(Qt::ALT | Qt::Key_Down)},
        {MainMenu1_LoopStart, Key(Qt::Key_BracketLeft)},
        {MainMenu1_LoopEnd, Key(Qt::Key_BracketRight)},
        {MainMenu1_ViewAll, Key(Qt::CTRL | Qt::Key_0)},
        {MainMenu1_ZoomIn, Standard(QKeySequence::ZoomIn)},
        {MainMenu1_ZoomOut, Standard(QKeySequence::ZoomOut)},
        {MainMenu1_PlayStart, {kPlayKey}},
    };
    for (const auto& [action, key] : keys)
        action->setShortcuts(key);
}

// The play key plays when idle and stops while a wave plays; the menu shows
// it beside whichever of the two it does. Undo and redo rest while playing.
void TMainForm::PlayingChanged(bool Playing)
{
    FPlaying = Playing;
    MainMenu1_PlayStart->setShortcut(Playing ? QKeySequence() : kPlayKey);
    MainMenu1_PlsyStop->setShortcut(Playing ? kPlayKey : QKeySequence());
    UpdateUndoActions();
}
