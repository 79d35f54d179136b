#pragma once
// The window's keys win over a text box's: a box with the focus (the
// crossfade, a loop cell being typed) claims keys such as Ctrl+E (end of
// line) for itself, which would leave the window's command deaf there. The
// box keeps the plain keys it types with and the editing keys every box
// has (undo, cut, copy, paste, select all).

#include <QObject>

class QMainWindow;

class TWindowShortcuts : public QObject {
public:
    // Watches the application's key events for Window's boxes.
    explicit TWindowShortcuts(QMainWindow& Window);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    QMainWindow& FWindow;
};
