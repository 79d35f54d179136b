#pragma once
// TCursorKeys: the keys that move the detail view's cursor, so that a loop
// can be set without the mouse ("[" and "]" then set its points there):
//   Left / Right             one pixel column
//   Shift+Left / Shift+Right a tenth of the span shown
//   Ctrl+Left / Ctrl+Right   the previous / next zero crossing (either slope)
//   Home / End               the first / last sample of the span shown
// Each key is an item of its own menu (the key shown beside it), active
// while the detail view has the focus. The cursor stays on the wave; where it
// leaves the span shown, the span follows it. Moving the cursor shows it in
// the detail view and hides the overview's, so the loop commands take it.

#include <QObject>

#include <cstdint>

class QMenu;
class QWidget;
class TWaveViews;

class TCursorKeys : public QObject {
    Q_OBJECT
public:
    enum class TStep { Column, Tenth, ZeroCrossing, Edge };

    TCursorKeys(TWaveViews& Views, QWidget* Parent);
    QMenu* Menu() const { return FMenu; }

    // Moves the detail view's cursor by Step, backwards or forwards.
    void Move(TStep Step, bool Forward);

private:
    int32_t Target(TStep Step, bool Forward) const;

    TWaveViews& FViews;
    QMenu* FMenu;
};
