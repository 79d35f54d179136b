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
#include "app/WindowShortcuts.h"
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
    new TWindowShortcuts(*this);
    ConnectModel();
    RestoreSession();
}

// The player's worker reads the playing wave: it stops before the list goes.
TMainForm::~TMainForm()
{
    FPlayback->Stop();
    // A box losing its focus while the window goes would still commit what
    // was typed into it, to controllers already gone.
    CrossFadeControl->blockSignals(true);
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

// The table is a view of the model; the views and the undo items follow it
// here.
void TMainForm::ConnectModel()
{
    connect(FModel, &TWaveListModel::WaveRemoved, this, [this](int32_t, const TWaveInfo* Wave) {
        FPlayback->Release(Wave); // an undone add may take the playing wave
        if (FViews->Shown() != Wave)
            return;
        FViews->Show(nullptr);
        FLoops->ShowSeam();
        WaveListView->Select(-1);
    });
    connect(FModel, &TWaveListModel::SelectionRequested, this, [this](int32_t Index) { SelectWave(Index); });
    // A loop change leaves the selection alone (an automatic loop of several
    // rows keeps them all); the shown wave's markers follow its loop.
    connect(FModel, &TWaveListModel::LoopChanged, this, [this](int32_t Index) {
        if (FViews->Shown() == FModel->Wave(Index))
            FLoops->ShowLoopState(FModel->LoopOf(Index));
        FPlayback->Follow(FModel->Wave(Index));
    });
    connect(FModel, &TWaveListModel::LoopDragged, this, [this](int32_t Index) { FPlayback->Follow(FModel->Wave(Index)); });
    connect(FModel, &TWaveListModel::modelReset, this, [this] { FPlayback->Release(nullptr); });
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

// While a wave plays, another wave shown plays instead, from its start (a
// missing one stops the sound).
void TMainForm::ShowSelectedWave()
{
    const TWaveInfo* wave = SelectedWave();
    FViews->Show(wave);
    FLoops->ShowLoopOf(wave);
    if (FPlayback->Playing() && FPlayback->Wave() != wave)
        FPlayback->Play(wave);
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

// While a wave plays, the commands that change which waves are in the list
// rest; its loop, its fade, the views and the list's selection stay live
// (the player follows them).
void TMainForm::SetPlayingState(bool Playing)
{
    for (QAction* action : {MainMenu1_AddWave, MainMenu1_DeleteWave, MainMenu1_MoveUp, MainMenu1_MoveDown})
        action->setEnabled(!Playing);
    if (!Playing)
        FLoops->ShowSeam(); // the fade control as the loop allows
}

// The items name the step they would take back or do again.
void TMainForm::UpdateUndoActions()
{
    const QUndoStack& stack = FModel->UndoStack();
    const auto update = [](QAction* Action, const QString& Caption, bool Can, const QString& Step) {
        Action->setEnabled(Can);
        Action->setText(Can ? Caption + " " + Step : Caption);
    };
    update(MainMenu1_Undo, tr("元に戻す(&U)"), stack.canUndo(), stack.undoText());
    update(MainMenu1_Redo, tr("やり直し(&R)"), stack.canRedo(), stack.redoText());
}
