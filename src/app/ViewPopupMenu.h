#pragma once
// TViewPopupMenu: the pop-up menu of a waveform view. Both views offer the
// same commands on their own view (the detail view's adds the whole wave);
// the menu opens with only the items enabled that make sense for the view's
// selection and the selected wave's loop. The window connects the items.

#include <QMenu>

#include <functional>

class TGraphImage;
class TWaveInfo;

class TViewPopupMenu : public QMenu {
    Q_OBJECT
public:
    // Items are named Prefix + "_N" + their place in the menu, separator
    // included ("AGIPopupMenu_N4"); the loop search Prefix + "_FindLoop",
    // the search for a missing wave's file Prefix + "_Locate".
    // SelectedWave tells, as the menu opens, which wave its commands act on
    // (a missing one included).
    TViewPopupMenu(TGraphImage* View, const char* Prefix, const QString& EnlargeCaption, bool WithWholeWave,
                   std::function<const TWaveInfo*()> SelectedWave, QWidget* Parent);

    QAction* Enlarge = nullptr;
    QAction* WholeWave = nullptr; // the detail view's menu only
    QAction* ClearSelection = nullptr;
    QAction* SetLoopStart = nullptr;
    QAction* SetLoopEnd = nullptr;
    QAction* SetLoop = nullptr;
    QAction* ClearLoop = nullptr;
    QAction* FindLoop = nullptr;
    QAction* Locate = nullptr; // 探す…: the file of a missing wave

private:
    void EnableItems(const TWaveInfo* Row, bool Selection);
};
