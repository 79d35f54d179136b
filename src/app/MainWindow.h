#pragma once
// TMainForm: the application's only window and its controller. It owns the
// wave list document, shows it as a list with one row per wave (row i always
// shows wave i), shows the selected wave in two waveform views (the whole
// wave above, a zoomed span below), and carries out every menu, toolbar,
// pop-up, mouse and drag-and-drop command: the document commands, loop
// editing, the view span and playback.
//
// Every command runs on the main thread. An exception that leaves a command
// is shown by the window's standard error display and leaves the window and
// the document as the command left them. Components carry the object names
// of the window's form ("WaveListView", "MainMenu1_AddWave",
// "AGIPopupMenu_N4", and "MainMenu1_PlsyStop" with its inherited spelling):
// tests find them by these names, so they stay as they are. The code never
// looks a component up by name: it holds each one in a member (the pop-up
// items by what they do, TViewPopup).
//
// Every change to the document is an undo command (WaveListCommands.h) on
// one QUndoStack: the list is modified exactly when the stack is away from
// its clean state, which saving sets and New and open reset.

#include "app/Prompter.h"
#include "app/WaveListCommands.h"
#include "common/Exception.h"
#include "document/KSD.h"
#include "playback/LoopFeeder.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QMenu;
class QSplitter;
class QTableWidget;
class QTimer;
class QToolBar;
class QUndoStack;
class TBgrColor;
class TGraphImage;
class TLowLVPCM;
class TMarkerStatus;
class TRecentFiles;
class TSeamView;
class TVersionForm;
class TWaveOutDevice;

VANTREL_DECLARE_EXCEPTION(EVantrelError);

class TMainForm : public QMainWindow, private TWaveListEditor {
    Q_OBJECT
public:
    // Prompter answers every dialog; Device is the audio output the player uses.
    TMainForm(std::unique_ptr<TPrompter> Prompter, std::shared_ptr<TWaveOutDevice> Device,
              QWidget* Parent = nullptr);
    ~TMainForm() override;

    const TKSD& Document() const { return FKSD; }
    bool Modified() const;
    const QString& FileName() const { return FFileName; }
    TLowLVPCM& Player() const { return *LowLVPCM1; }

    // The standard error display: runs Command and shows any exception that
    // leaves it. Returns false when one did.
    bool RunCommand(const std::function<void()>& Command);

    // The files named on the command line: a list file is opened, WAV files
    // start a new list; what cannot be read is reported like any open error.
    void OpenArguments(const QStringList& Paths);

protected:
    void closeEvent(QCloseEvent* Event) override;
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

private:
    // Layout (the form description).
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateWidgets();
    void CreatePopupMenus();
    void CreatePlayer(std::shared_ptr<TWaveOutDevice> Device);
    void AssignShortcuts();
    QAction* NewAction(const char* Name, const QString& Caption, const QString& Hint, int Image,
                       void (TMainForm::*Handler)());

    // Document commands.
    void WaveListViewClick();
    void MainMenu1_NewClick();
    void MainMenu1_OpenKSDClick();
    void MainMenu1_OverwriteKSDClick();
    void MainMenu1_SaveAsKSDClick();
    void MainMenu1_ExportVBKClick();
    void MainMenu1_ExitClick();
    void MainMenu1_AddWaveClick();
    void MainMenu1_DeleteWaveClick();
    void MainMenu1_MoveUpClick();
    void MainMenu1_MoveDownClick();
    void MainMenu1_AboutClick();
    void WMDropFiles(const QStringList& Names);
    bool FormCloseQuery();

    bool ConfirmDiscard();
    TPrompter::TAnswer AskSave();
    void ClearDocument();
    void ClearViews();
    void ShowWave(TWaveInfo* Wave);
    bool OpenKSDWithDialog();
    void OpenKSDFile(const QString& Path);
    bool SaveKSDAs();
    void SaveKSDTo(const QString& Path);

    // Rows and selection.
    int SelectedIndex() const;
    void SelectIndex(int Index);
    TWaveInfo* SelectedWave() const;
    void SetRow(int Row, const TWaveInfo& Wave);
    void AppendRow(const TWaveInfo& Wave);
    void SetCell(int Row, int Column, const QString& Text);

    // Loop editing and view commands.
    void MainMenu1_LoopStartClick();
    void MainMenu1_LoopEndClick();
    void MainMenu1_LoopClearClick();
    void MainMenu1_ViewAllClick();
    void MainMenu1_ZoomInClick();
    void MainMenu1_ZoomOutClick();
    void ChangeLoopStart(int32_t Position);
    void ChangeLoopEnd(int32_t Position);
    void ChangeLoop(int32_t Start, int32_t End);
    void RemoveLoop();
    // The one way a loop changes: pushes an undo command named Name that
    // gives the wave at Index the loop Start .. End (no order check here;
    // callers apply the order rule). Does nothing when the loop stays as it is.
    void SetLoop(int32_t Index, int32_t Start, int32_t End, const QString& Name);
    void SetMarkerInBoth(const char* Name, TBgrColor Color, int32_t Position);
    void RemoveMarkerInBoth(const char* Name);
    void SyncMarker(TGraphImage* Source, TGraphImage* Target, TMarkerStatus* Marker);
    void ShowWholeWave();
    void ViewSpan(int32_t Numerator, int32_t Denominator);
    void StoreAndShowView(TWaveInfo& Wave, int32_t Start, int32_t End);
    void GraphImageMouseDown(TGraphImage* Other);
    void GraphImageMouseUp();
    std::optional<int32_t> ShownCursor() const;
    // A view's pop-up menu, its items by what they do.
    struct TViewPopup {
        QMenu* Menu = nullptr;
        QAction* Enlarge = nullptr;
        QAction* WholeWave = nullptr; // the detail view's menu only
        QAction* ClearSelection = nullptr;
        QAction* SetLoopStart = nullptr;
        QAction* SetLoopEnd = nullptr;
        QAction* SetLoop = nullptr;
        QAction* ClearLoop = nullptr;
    };
    TViewPopup CreatePopupMenu(TGraphImage* View, TGraphImage* Other, const char* Prefix, const char* EnlargeCaption,
                               bool WithWholeWave);
    void EnablePopupItems(const TViewPopup& Popup, const TGraphImage& View) const;
    void EnlargeSelection(TGraphImage* From, TGraphImage* Other);
    void ClearBothSelections();

    // Loop finding (MainWindowLoopFinding.cpp).
    void CreateLoopFinding();
    void ShowSeam(); // after any change of the shown wave or its loop
    bool ZoomSeamView(bool In); // false when the seam view has no focus
    // The wave whose detail view a zoom command changes; null when the seam
    // view took the command or no wave is shown.
    TWaveInfo* DetailZoomTarget(bool In);
    int32_t SnappedLoopPoint(const TWaveInfo& Wave, int32_t Position, bool Start) const;
    void FindLoop(const TGraphImage* View, bool Wide);

    // Playback.
    void MainMenu1_PlayStartClick();
    void MainMenu1_PlayStopClick();
    void CursorTimerTimer();
    void WMPlayStart();
    void WMPlayStop();
    void SetPlayingState(bool Playing);
    void PlayerError(const QString& Message, const QString& Caption);
    void PlayingChanged(bool Playing);

    // Undo (MainWindowUndo.cpp): the editor operations the commands use.
    void CreateUndoActions();
    void UpdateUndoActions();
    void Push(std::unique_ptr<QUndoCommand> Command);
    TWaveListEditor& Editor() { return *this; }
    void InsertWave(int32_t Index, std::unique_ptr<TWaveInfo> Wave) override;
    std::unique_ptr<TWaveInfo> TakeWave(int32_t Index) override;
    void SwapWaves(int32_t Upper) override;
    void SelectWave(int32_t Index) override;
    TLoopState LoopOf(int32_t Index) const override;
    void ApplyLoop(int32_t Index, const TLoopState& Loop) override;
    void ShowLoopMarker(const char* Name, TBgrColor Color, bool Shown, int32_t Position);
    // Puts Waves at the end of the list as one undo step; Shown as in
    // TInsertWavesCommand.
    void AppendWaves(std::vector<std::unique_ptr<TWaveInfo>> Waves, int Shown);

    // Settings kept between runs (MainWindowSession.cpp).
    void RestoreSession();
    void SaveSession() const;
    void RememberFile(const QString& Path);
    void UpdateRecentMenu();
    void OpenRecentFile(const QString& Path);

    std::unique_ptr<TPrompter> FPrompter;
    TKSD FKSD;
    QString FFileName;
    QUndoStack* FUndoStack = nullptr;
    bool FPlaying = false;
    std::unique_ptr<TRecentFiles> FRecentFiles;
    TLoopState FSavedLoop; // the selected wave's loop when a mouse button went down
    bool FSelectingFromCode = false;
    bool FApplyingFoundLoop = false;
    bool FMarkerOffLoop = false; // a drag left a marker where the wave's loop point is not (snapped or refused)

    // The feeder runs on the player's worker thread. It is given the wave
    // and its loop when playback starts and never reads the list; the
    // playing wave's samples must outlive the playback, so whatever removes
    // waves stops the player first.
    int32_t FPlayIndex = 0;
    TLoopFeeder FFeeder;

    QToolBar* ToolBar1 = nullptr;
    QTableWidget* WaveListView = nullptr;
    QSplitter* Splitter1 = nullptr;
    QSplitter* Splitter2 = nullptr;
    TGraphImage* AllWaveGraphImage = nullptr;
    TGraphImage* PartWaveGraphImage = nullptr;
    TSeamView* SeamView = nullptr;
    QLabel* SeamCostLabel = nullptr;
    QLabel* BankLoopLabel = nullptr; // the bank's word on the shown wave's loop
    QMenu* MainMenu1_Edit = nullptr;
    QMenu* MainMenu1_Recent = nullptr;
    TViewPopup AllWaveGraphImagePopupMenu;
    TViewPopup PartWaveGraphImagePopupMenu;
    QTimer* CursorTimer = nullptr;
    TVersionForm* VersionForm = nullptr;
    TFileDialog WaveOpenDialog;
    TFileDialog KSDOpenDialog;
    TFileDialog KSDSaveDialog;
    TFileDialog ExportVBKDialog;
    std::unique_ptr<TLowLVPCM> LowLVPCM1;

    // Actions shared by the menus and the toolbar, by their menu item names.
    QAction* MainMenu1_New = nullptr;
    QAction* MainMenu1_OpenKSD = nullptr;
    QAction* MainMenu1_OverwriteKSD = nullptr;
    QAction* MainMenu1_SaveAsKSD = nullptr;
    QAction* MainMenu1_ExportVBK = nullptr;
    QAction* MainMenu1_Exit = nullptr;
    QAction* MainMenu1_Undo = nullptr;
    QAction* MainMenu1_Redo = nullptr;
    QAction* MainMenu1_AddWave = nullptr;
    QAction* MainMenu1_DeleteWave = nullptr;
    QAction* MainMenu1_MoveUp = nullptr;
    QAction* MainMenu1_MoveDown = nullptr;
    QAction* MainMenu1_LoopStart = nullptr;
    QAction* MainMenu1_LoopEnd = nullptr;
    QAction* MainMenu1_LoopClear = nullptr;
    QAction* MainMenu1_ViewAll = nullptr;
    QAction* MainMenu1_ZoomIn = nullptr;
    QAction* MainMenu1_ZoomOut = nullptr;
    QAction* MainMenu1_PlayStart = nullptr;
    QAction* MainMenu1_PlsyStop = nullptr;
    QAction* MainMenu1_About = nullptr;
    QAction* MainMenu1_FindLoop = nullptr;
    QAction* MainMenu1_FindLoopWide = nullptr;
    QAction* MainMenu1_SnapToZero = nullptr;
    std::vector<QAction*> FViewSpanActions;
};
