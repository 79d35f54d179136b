#pragma once
// TMainForm: the application's only window. It lays out the wave list, the
// two waveform views of the selected wave and the seam view, the menus, the
// toolbar and the dialogs, keeps the session between runs, and carries out
// the file commands (new, open, save, export, add, drop). It wires the parts
// that do the rest:
// - TWaveListModel holds the list, its undo stack and its loop state; every
//   change to the list goes through it, and the table and views follow it;
// - TWaveTable shows the list, TWaveViews the selected wave;
// - TPlaybackController plays the selected wave;
// - TLoopEditController edits its loop.
//
// Every command runs on the main thread. An exception that leaves a command
// is shown by the window's standard error display and leaves the window and
// the list as the command left them. Components carry the object names of
// the window's form ("WaveListView", "MainMenu1_AddWave", "AGIPopupMenu_N4",
// and "MainMenu1_PlsyStop" with its inherited spelling): tests find them by
// these names, so they stay as they are.
//
// While a wave plays, the commands that add, delete or move waves rest,
// except a drop of files on the window, which still adds waves at the end
// (the playing wave stays where it is). The views, the list's selection, the
// loop and fade commands and undo stay live: they act on the playing wave
// and the player follows them; selecting another row plays that wave.

#include "app/Prompter.h"
#include "document/KSD.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QMenu;
class QSplitter;
class QToolBar;
class TCursorKeys;
class TCrossFadeControl;
class TGraphImage;
class TLoopEditController;
class TLowLVPCM;
class TPlaybackController;
class TPositionReadout;
class TRecentFiles;
class TSeamView;
class TTimeRuler;
class TVersionForm;
class TWaveListModel;
class TWaveOutDevice;
class TWaveTable;
class TWaveViews;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // Prompter answers every dialog; Device is the audio output the player uses.
    TMainForm(std::unique_ptr<TPrompter> Prompter, std::shared_ptr<TWaveOutDevice> Device,
              QWidget* Parent = nullptr);
    ~TMainForm() override;

    const TKSD& Document() const;
    bool Modified() const;
    const QString& FileName() const { return FFileName; }
    TLowLVPCM& Player() const;

    // The standard error display: runs Command and shows any exception that
    // leaves it. Returns false when one did.
    bool RunCommand(const std::function<void()>& Command);

    // The files named on the command line: a list file is opened, other
    // files start a new list; what cannot be read is reported like any open
    // error.
    void OpenArguments(const QStringList& Paths);

protected:
    void closeEvent(QCloseEvent* Event) override;
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

private:
    // Layout (MainWindowLayout.cpp, MainWindowKeys.cpp).
    void CreateWidgets();
    void CreateControllers(std::shared_ptr<TWaveOutDevice> Device);
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreatePopupMenus();
    void AssignShortcuts();
    QAction* NewAction(const char* Name, const QString& Caption, const QString& Hint, int Image,
                       std::function<void()> Handler);

    // The model, the selection and the playing state (MainWindow.cpp).
    void ConnectModel();
    const TWaveInfo* SelectedWave() const;
    // Shows the selected row's wave, or nothing.
    void ShowSelectedWave();
    // Selects the row at Index (-1: none); a wave the views show already
    // keeps its span, selection and markers.
    void SelectWave(int32_t Index);
    void SetPlayingState(bool Playing);
    void UpdateUndoActions();

    // The title names the list file, or 無題, and marks unsaved changes
    // (MainWindowTitle.cpp).
    void SetFileName(const QString& Path);
    void UpdateTitle();

    // The file commands (MainWindowFiles.cpp).
    void MainMenu1_NewClick();
    void MainMenu1_OpenKSDClick();
    void MainMenu1_OverwriteKSDClick();
    void MainMenu1_ExportVBKClick();
    void MainMenu1_AddWaveClick();
    // Asks for the file of the selected wave, kept as missing, and puts the
    // wave read from it in its place as one undo step (探す…).
    void LocateMissingWave();
    void WMDropFiles(const QStringList& Names);
    bool FormCloseQuery();
    bool ConfirmDiscard();
    void ClearDocument();
    void OpenKSDFile(const QString& Path);
    bool SaveKSDAs();
    void SaveKSDTo(const QString& Path);
    // Appends the waves of Paths read before the first that fails as one
    // undo step, with the first, the last or none of them shown; the
    // failure goes on.
    enum class TShownWave { First, None };
    void AppendFiles(const QStringList& Paths, TShownWave Shown);

    // Settings kept between runs (MainWindowSession.cpp).
    void RestoreSession();
    void SaveSession() const;
    void RememberFile(const QString& Path);
    void UpdateRecentMenu();
    void OpenRecentFile(const QString& Path);

    std::unique_ptr<TPrompter> FPrompter;
    QString FFileName;
    // The list files whose poor seams are exported without a question, for this run (PoorSeams.h).
    QStringList FPoorSeamsAccepted;
    std::unique_ptr<TRecentFiles> FRecentFiles;

    // The parts; the controllers are children of the window.
    TWaveListModel* FModel = nullptr;
    std::unique_ptr<TWaveViews> FViews;
    TPlaybackController* FPlayback = nullptr;
    TLoopEditController* FLoops = nullptr;
    TCursorKeys* FCursorKeys = nullptr;
    TPositionReadout* FReadout = nullptr;

    QToolBar* ToolBar1 = nullptr;
    TWaveTable* WaveListView = nullptr;
    QSplitter* Splitter1 = nullptr;
    QSplitter* Splitter2 = nullptr;
    TGraphImage* AllWaveGraphImage = nullptr;
    TGraphImage* PartWaveGraphImage = nullptr;
    TSeamView* SeamView = nullptr;
    QLabel* SeamCostLabel = nullptr;
    QLabel* ReadoutLabel = nullptr;
    TTimeRuler* TimeRuler = nullptr;
    QLabel* BankLoopLabel = nullptr; // the bank's word on the shown wave's loop
    TCrossFadeControl* CrossFadeControl = nullptr; // in the toolbar
    QMenu* MainMenu1_Edit = nullptr;
    QMenu* MainMenu1_Recent = nullptr;
    TVersionForm* VersionForm = nullptr;
    TFileDialog WaveOpenDialog;
    TFileDialog KSDOpenDialog;
    TFileDialog KSDSaveDialog;
    TFileDialog ExportVBKDialog;
    TFileDialog WaveLocateDialog; // 探す… of a missing wave

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
    QAction* MainMenu1_TimeInSamples = nullptr;
    QAction* MainMenu1_PlayStart = nullptr;
    QAction* MainMenu1_PlayFromCursor = nullptr;
    QAction* MainMenu1_PlsyStop = nullptr;
    QAction* MainMenu1_Audition = nullptr;
    QAction* MainMenu1_About = nullptr;
    QAction* MainMenu1_FindLoop = nullptr;
    QAction* MainMenu1_FindLoopWide = nullptr;
    QAction* MainMenu1_AutoFade = nullptr;
    QAction* MainMenu1_SnapToZero = nullptr;
    std::vector<QAction*> FViewSpanActions;
};
