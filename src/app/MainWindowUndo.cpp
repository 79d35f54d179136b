// The main window's undo: the Undo and Redo items, and the editor operations
// through which the undo commands change the list, its rows and the views.
// SetLoop is the one path of every loop change.

#include "app/MainWindow.h"

#include "app/MainWindowConstants.h"
#include "view/GraphImage.h"

#include <QAction>
#include <QTableWidget>
#include <QUndoStack>

namespace {

using namespace mainform;

const char* const kUndoCaption = "元に戻す(&U)";
const char* const kRedoCaption = "やり直し(&R)";

} // namespace

bool TMainForm::Modified() const { return !FUndoStack->isClean(); }

void TMainForm::CreateUndoActions()
{
    MainMenu1_Undo = NewAction("MainMenu1_Undo", kUndoCaption, {}, -1, nullptr);
    MainMenu1_Redo = NewAction("MainMenu1_Redo", kRedoCaption, {}, -1, nullptr);
    connect(MainMenu1_Undo, &QAction::triggered, this, [this] { RunCommand([this] { FUndoStack->undo(); }); });
    connect(MainMenu1_Redo, &QAction::triggered, this, [this] { RunCommand([this] { FUndoStack->redo(); }); });
    connect(FUndoStack, &QUndoStack::indexChanged, this, [this] { UpdateUndoActions(); });
    connect(FUndoStack, &QUndoStack::cleanChanged, this, [this] { UpdateUndoActions(); });
    UpdateUndoActions();
}

// The items name the step they would take back or do again, and rest while
// a wave plays (the player reads the wave being played).
void TMainForm::UpdateUndoActions()
{
    const auto update = [this](QAction* Action, const char* Caption, bool Can, const QString& Step) {
        Action->setEnabled(Can && !FPlaying);
        const QString caption = QString::fromUtf8(Caption);
        Action->setText(Can ? caption + " " + Step : caption);
    };
    update(MainMenu1_Undo, kUndoCaption, FUndoStack->canUndo(), FUndoStack->undoText());
    update(MainMenu1_Redo, kRedoCaption, FUndoStack->canRedo(), FUndoStack->redoText());
}

// Carries the command out and keeps it for undo; a command that fails is
// dropped and its error goes on.
void TMainForm::Push(std::unique_ptr<QUndoCommand> Command)
{
    FUndoStack->push(Command.get());
    Command.release();
}

void TMainForm::AppendWaves(std::vector<std::unique_ptr<TWaveInfo>> Waves, int Shown)
{
    if (!Waves.empty())
        Push(std::make_unique<TInsertWavesCommand>(Editor(), FKSD.Count(), std::move(Waves), Shown, "wav追加"));
}

void TMainForm::SetLoop(int32_t Index, int32_t Start, int32_t End, const QString& Name)
{
    if (!FKSD.GetWave(Index))
        return;
    const TLoopState before = LoopOf(Index);
    // A row shows a point as a number once it was set; a removed loop as "-".
    TLoopState after{Start, End, false, false};
    if (Start != 0 || End != 0) {
        after.StartShown = before.StartShown || Start != before.Start;
        after.EndShown = before.EndShown || End != before.End;
    }
    if (after != before)
        Push(std::make_unique<TLoopCommand>(Editor(), Index, before, after, Name));
}

// ---- The editor operations ----------------------------------------------

void TMainForm::InsertWave(int32_t Index, std::unique_ptr<TWaveInfo> Wave)
{
    FKSD.InsertWave(Index, std::move(Wave));
    FSelectingFromCode = true;
    WaveListView->insertRow(Index);
    FSelectingFromCode = false;
    SetRow(Index, *FKSD.GetWave(Index));
}

std::unique_ptr<TWaveInfo> TMainForm::TakeWave(int32_t Index)
{
    const bool shown = SelectedIndex() == Index || PartWaveGraphImage->WaveInfo() == FKSD.GetWave(Index);
    std::unique_ptr<TWaveInfo> wave = FKSD.TakeWave(Index);
    FSelectingFromCode = true;
    WaveListView->removeRow(Index);
    FSelectingFromCode = false;
    if (shown) {
        ClearViews();
        SelectIndex(-1);
    }
    return wave;
}

void TMainForm::SwapWaves(int32_t Upper)
{
    FKSD.MoveNext(Upper);
    SetRow(Upper, *FKSD.GetWave(Upper));
    SetRow(Upper + 1, *FKSD.GetWave(Upper + 1));
}

// A wave the views show already keeps its span, selection and markers.
void TMainForm::SelectWave(int32_t Index)
{
    const TWaveInfo* wave = FKSD.GetWave(Index);
    const bool shown = wave && PartWaveGraphImage->WaveInfo() == wave;
    SelectIndex(wave ? Index : -1);
    if (!shown)
        WaveListViewClick();
}

TLoopState TMainForm::LoopOf(int32_t Index) const
{
    const TWaveInfo& wave = *FKSD.GetWave(Index);
    const auto shown = [&](int Column) {
        const QTableWidgetItem* item = WaveListView->item(Index, Column);
        return item && item->text() != "-";
    };
    return {wave.LoopStart(), wave.LoopEnd(), shown(colLoopStart), shown(colLoopEnd)};
}

void TMainForm::ApplyLoop(int32_t Index, const TLoopState& Loop)
{
    TWaveInfo* wave = FKSD.GetWave(Index);
    if (!wave)
        return;
    wave->SetLoopStart(Loop.Start);
    wave->SetLoopEnd(Loop.End);
    SetCell(Index, colLoopStart, Loop.StartShown ? QString::number(wave->LoopStart()) : "-");
    SetCell(Index, colLoopEnd, Loop.EndShown ? QString::number(wave->LoopEnd()) : "-");
    SelectWave(Index);
    ShowLoopMarker(kLoopStart, kRed, Loop.StartShown, wave->LoopStart());
    ShowLoopMarker(kLoopEnd, kGreen, Loop.EndShown, wave->LoopEnd());
    ShowSeam();
}

void TMainForm::ShowLoopMarker(const char* Name, TBgrColor Color, bool Shown, int32_t Position)
{
    if (Shown)
        SetMarkerInBoth(Name, Color, Position);
    else
        RemoveMarkerInBoth(Name);
}
