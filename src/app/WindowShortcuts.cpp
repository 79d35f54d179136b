#include "app/WindowShortcuts.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>

namespace {

bool IsEditingKey(const QKeyEvent& Key)
{
    for (QKeySequence::StandardKey editing : {QKeySequence::Undo, QKeySequence::Redo, QKeySequence::Cut,
                                              QKeySequence::Copy, QKeySequence::Paste, QKeySequence::SelectAll})
        if (Key.matches(editing))
            return true;
    return false;
}

// Whether one of Window's commands has Key as its shortcut.
bool IsWindowKey(const QMainWindow& Window, const QKeyEvent& Key)
{
    const QKeySequence pressed(Key.keyCombination());
    for (const QAction* action : Window.findChildren<QAction*>())
        if (action->isEnabled() && action->shortcutContext() != Qt::WidgetShortcut && action->shortcuts().contains(pressed))
            return true;
    return false;
}

} // namespace

TWindowShortcuts::TWindowShortcuts(QMainWindow& Window) : QObject(&Window), FWindow(Window)
{
    qApp->installEventFilter(this);
}

// Consuming the override unanswered lets the shortcut go to the window.
bool TWindowShortcuts::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() != QEvent::ShortcutOverride)
        return false;
    auto* widget = qobject_cast<QWidget*>(Watched);
    if (widget == nullptr || widget->window() != &FWindow)
        return false;
    if (qobject_cast<QLineEdit*>(widget) == nullptr && qobject_cast<QAbstractSpinBox*>(widget) == nullptr)
        return false;
    const auto& key = static_cast<const QKeyEvent&>(*Event);
    if (!(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) || IsEditingKey(key))
        return false;
    return IsWindowKey(FWindow, key);
}
