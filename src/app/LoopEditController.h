#pragma once
// TLoopEditController: editing the loop of the selected wave. It carries out
// the loop commands of the menus and pop-ups, the marker drags in the views,
// snapping loop points to zero crossings and the automatic loop search, and
// shows the loop: its markers in the views, its seam in the seam view, the
// seam cost in the status label and, for a loop from sample 0, that the bank
// will not hold it. It also sets the loop's crossfade (TCrossFadeControl),
// shades the faded stretch in both views and shows the seam and its cost as
// the bank will hold them, after the fade. Loops are found and snapped by the
// loop finder the command-line tool uses (LoopFinder.h); the seam cost shown
// is the list model's measure of the loop (SeamOf), taken once per change. Every loop change goes to the list model as
// one undo step; a drag moves the loop live and becomes one step on release.
//
// The order rule (LoopRules.h) is applied here, before a change reaches the
// model. Every member runs on the main thread; an exception leaves a command
// with the loop as it was.

#include "app/WaveListCommands.h"

#include <QObject>

#include <cstdint>
#include <functional>

class QAction;
class QLabel;
class QStatusBar;
class QWidget;
class TCrossFadeControl;
class TGraphImage;
class TMarkerStatus;
class TPrompter;
class TSeamView;
class TWaveInfo;
class TWaveListModel;
class TWaveViews;

class TLoopEditController : public QObject {
    Q_OBJECT
public:
    struct TParts {
        TSeamView* SeamView;
        QLabel* SeamCostLabel;
        QLabel* BankLoopLabel; // says when the bank will not hold the shown loop
        QAction* SnapToZero; // checkable; its state is kept between runs
        QWidget* FocusHome;  // takes the focus back from the seam view on a click in a view
        std::function<int32_t()> SelectedIndex;
        TCrossFadeControl* FadeControl;
        QStatusBar* StatusBar; // says when a loop change shortened the fade
        TPrompter* Prompter;   // the progress of a long loop search
    };
    TLoopEditController(TWaveListModel& Model, TWaveViews& Views, TParts Parts, QObject* Parent = nullptr);

    // The loop commands on the selected wave (none selected: nothing).
    void ChangeLoopPoint(bool Start, int32_t Position);
    void ChangeLoopPointAtCursor(bool Start); // at the cursor a view shows
    // Both points at once: the end is checked against the new start only.
    void ChangeLoop(int32_t Start, int32_t End);
    void RemoveLoop();
    // The crossfade of the selected wave's loop, at most what it allows.
    void ChangeCrossFade(int32_t Samples);
    // The loop finder's automatic crossfade (LoopFade.h) for the selected
    // wave's loop, as one undo step; the status bar names it. Nothing
    // without a loop that plays.
    void SetAutomaticFade();
    // Inside the selection of View (or of either view when View is null);
    // else the best end near the loop end of a wave with a loop (wider with
    // Wide); else the automatic loop of the whole wave. The status bar names
    // the loop and the sound's movement the search found ("vibrato 5.6 Hz").
    // A search of more than half a second shows a progress dialog that
    // cancels it (CancellableSearch.h); cancelled, nothing changes.
    void FindLoop(const TGraphImage* View, bool Wide);

    // The views' mouse: a press in View, its release, and a marker moved in
    // View that Other follows.
    void MouseDown(TGraphImage* View);
    void MouseUp();
    void MarkerMoved(TGraphImage* View, TMarkerStatus* Marker);

    // The shown wave's loop markers, as its row shows its points (the
    // model's loop state).
    void ShowLoopOf(const TWaveInfo* Wave);
    // The markers as the loop state shows its points.
    void ShowLoopState(const TLoopState& Loop);
    // The seam view and the seam cost of the shown wave's loop; after any
    // change of the shown wave or its loop.
    void ShowSeam();
    // Zooms the seam view when it has the focus; false when it has not.
    bool ZoomSeamView(bool In);

private:
    int32_t SnappedLoopPoint(const TWaveInfo& Wave, int32_t Position, bool Start) const;
    TGraphImage* OtherView(const TGraphImage* View) const;

    TWaveListModel& FModel;
    TWaveViews& FViews;
    TParts FParts;
    TLoopState FSavedLoop;       // the selected wave's loop when a mouse button went down
    bool FMarkerOffLoop = false; // a drag left a marker where the wave's loop point is not (snapped or refused)
};
