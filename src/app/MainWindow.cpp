#include "app/MainWindow.h"

#include "app/CoreTexts.h"
#include "app/CrossFadeControl.h"
#include "app/LoopEditController.h"
#include "app/MainWindowConstants.h"
#include "app/PlaybackController.h"
#include "app/RecentFiles.h"
#include "app/ResourceIcon.h"
#include "app/TypedLoopPoint.h"
#include "app/WaveListModel.h"
#include "app/WaveTable.h"
#include "app/WaveViews.h"
#include "common/ErrorText.h"
#include "view/GraphImage.h"

#include <QAction>
#include <QMenu>
#include <QUndoStack>

using namespace mainform;

TMainForm::TMainForm(std::unique_ptr<TPrompter> Prompter, std::shared_ptr<TWaveOutDevice> Device, QWidget* Parent)
    : QMainWindow(Parent), FPrompter(std::move(Prompter)), FRecentFiles(std::make_unique<TRecentFiles>()),
      FModel(new TWaveListModel(this))
{
    Q_INIT_RESOURCE(Icons);
    setObjectName("MainForm");
    setWindowIcon(ResourceIcon("vantrel"));
    resize(686, 441);
    setAcceptDrops(true);
    CreateWidgets();
    CreateActions();
    CreateControllers(std::move(Device));
    AssignShortcuts();
    CreateMenus();
    CreateToolBar();
    CreatePopupMenus();
    ConnectModel();
    RestoreSession();
}

// The player's worker reads the playing wave: it stops before the list goes.
TMainForm::~TMainForm()
{
    FPlayback->Stop();
    FModel->disconnect(this);
}

const TKSD& TMainForm::Document() const { return FModel->Document(); }

bool TMainForm::Modified() const { return FModel->Modified(); }

TLowLVPCM& TMainForm::Player() const { return FPlayback->Player(); }

bool TMainForm::RunCommand(const std::function<void()>& Command)
{
    QString message;
    try {
        Command();
        return true;
    } catch (const Exception& e) {
        message = WindowErrorText(e);
    } catch (const std::exception& e) {
        message = QString::fromStdString(ErrorText(e.what()));
    }
    FPrompter->ShowError(this, kTitle, message);
    return false;
}

// ---- The model and the selection ------------------------------------------

// The table follows the model by itself; the views and the undo items
// follow it here.
void TMainForm::ConnectModel()
{
    connect(FModel, &TWaveListModel::WaveRemoved, this, [this](int32_t, const TWaveInfo* Wave) {
        if (FViews->Shown() != Wave)
            return;
        FViews->Show(nullptr);
        FLoops->ShowSeam();
        WaveListView->Select(-1);
    });
    connect(FModel, &TWaveListModel::SelectionRequested, this, [this](int32_t Index) { SelectWave(Index); });
    connect(FModel, &TWaveListModel::LoopChanged, this, [this](int32_t Index) {
        SelectWave(Index);
        FLoops->ShowLoopState(FModel->LoopOf(Index));
    });
    connect(WaveListView, &TWaveTable::UserSelected, this, [this] { RunCommand([this] { ShowSelectedWave(); }); });
    connect(WaveListView, &TWaveTable::LoopPointTyped, this, [this](int32_t Row, bool Start, const QString& Text) {
        RunCommand([&] { SetTypedLoopPoint(*FModel, Row, Start, Text.toStdString()); });
    });

    const QUndoStack* stack = &FModel->UndoStack();
    connect(stack, &QUndoStack::indexChanged, this, [this] { UpdateUndoActions(); });
    connect(stack, &QUndoStack::cleanChanged, this, [this] {
        UpdateUndoActions();
        UpdateTitle();
    });
    UpdateUndoActions();
    UpdateTitle();
}

// A wave kept as missing has nothing to show or play.
const TWaveInfo* TMainForm::SelectedWave() const
{
    const TWaveInfo* wave = FModel->Wave(WaveListView->SelectedIndex());
    return wave && !wave->IsMissing() ? wave : nullptr;
}

void TMainForm::ShowSelectedWave()
{
    TWaveInfo* wave = FModel->Wave(WaveListView->SelectedIndex());
    if (wave && wave->IsMissing()) // as SelectedWave
        wave = nullptr;
    FViews->Show(wave);
    FLoops->ShowLoopOf(wave);
}

void TMainForm::SelectWave(int32_t Index)
{
    const TWaveInfo* wave = FModel->Wave(Index);
    const bool shown = wave && FViews->Shown() == wave;
    WaveListView->Select(wave ? Index : -1);
    if (!shown)
        ShowSelectedWave();
}

// ---- The playing state ------------------------------------------------------

// While a wave plays nothing that could change the list or a loop is enabled.
void TMainForm::SetPlayingState(bool Playing)
{
    for (QWidget* widget :
         std::initializer_list<QWidget*>{AllWaveGraphImage, PartWaveGraphImage, WaveListView, CrossFadeControl})
        widget->setEnabled(!Playing);
    MainMenu1_Edit->menuAction()->setEnabled(!Playing);
    for (QAction* action : {MainMenu1_AddWave, MainMenu1_DeleteWave, MainMenu1_MoveUp, MainMenu1_MoveDown,
                            MainMenu1_LoopStart, MainMenu1_LoopEnd, MainMenu1_LoopClear, MainMenu1_FindLoop,
                            MainMenu1_FindLoopWide, MainMenu1_SnapToZero})
        action->setEnabled(!Playing);
    UpdateUndoActions();
    if (!Playing) {
        FLoops->ShowSeam(); // the fade control as the loop allows
        WaveListView->setFocus();
    }
}

// The items name the step they would take back or do again, and rest while
// a wave plays (the player reads the wave being played).
void TMainForm::UpdateUndoActions()
{
    const QUndoStack& stack = FModel->UndoStack();
    const bool playing = FPlayback && FPlayback->Playing();
    const auto update = [playing](QAction* Action, const QString& Caption, bool Can, const QString& Step) {
        Action->setEnabled(Can && !playing);
        Action->setText(Can ? Caption + " " + Step : Caption);
    };
    update(MainMenu1_Undo, tr("元に戻す(&U)"), stack.canUndo(), stack.undoText());
    update(MainMenu1_Redo, tr("やり直し(&R)"), stack.canRedo(), stack.redoText());
}
