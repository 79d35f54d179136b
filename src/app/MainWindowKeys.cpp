// The keys of the main window's commands. Where the platform has a standard
// key for a command it is used; the menus show every key beside its item.
// The play key is the playback controller's.

#include "app/MainWindow.h"

#include <QAction>
#include <QKeySequence>

namespace {

// All the platform's bindings of a standard key (Redo has two on some
// desktops), or Fallback where the platform has none (save as on some).
QList<QKeySequence> Standard(QKeySequence::StandardKey Key, const char* Fallback)
{
    const QList<QKeySequence> bindings = QKeySequence::keyBindings(Key);
    return bindings.isEmpty() ? QList<QKeySequence>{QKeySequence(QLatin1String(Fallback))} : bindings;
}
QList<QKeySequence> Key(QKeyCombination Combination) { return {QKeySequence(Combination)}; }

} // namespace

void TMainForm::AssignShortcuts()
{
    const std::pair<QAction*, QList<QKeySequence>> keys[] = {
        {MainMenu1_New, Standard(QKeySequence::New, "Ctrl+N")},
        {MainMenu1_OpenKSD, Standard(QKeySequence::Open, "Ctrl+O")},
        {MainMenu1_OverwriteKSD, Standard(QKeySequence::Save, "Ctrl+S")},
        {MainMenu1_SaveAsKSD, Standard(QKeySequence::SaveAs, "Ctrl+Shift+S")},
        {MainMenu1_ExportVBK, Key(Qt::CTRL | Qt::Key_E)},
        {MainMenu1_Exit, Standard(QKeySequence::Quit, "Ctrl+Q")},
        {MainMenu1_Undo, Standard(QKeySequence::Undo, "Ctrl+Z")},
        {MainMenu1_Redo, Standard(QKeySequence::Redo, "Ctrl+Shift+Z")},
        {MainMenu1_AddWave, Key(Qt::CTRL | Qt::Key_I)},
        {MainMenu1_DeleteWave, Standard(QKeySequence::Delete, "Del")},
        {MainMenu1_MoveUp, Key(Qt::ALT | Qt::Key_Up)},
        {MainMenu1_MoveDown, Key(Qt::ALT | Qt::Key_Down)},
        {MainMenu1_LoopStart, Key(Qt::Key_BracketLeft)},
        {MainMenu1_LoopEnd, Key(Qt::Key_BracketRight)},
        {MainMenu1_ViewAll, Key(Qt::CTRL | Qt::Key_0)},
        {MainMenu1_PlayFromCursor, Key(Qt::SHIFT | Qt::Key_Space)},
        {MainMenu1_ZoomIn, Standard(QKeySequence::ZoomIn, "Ctrl++")},
        {MainMenu1_ZoomOut, Standard(QKeySequence::ZoomOut, "Ctrl+-")},
    };
    for (const auto& [action, key] : keys)
        action->setShortcuts(key);
}
