#include "app/WaveListModel.h"

#include "document/CrossFade.h"

#include <QUndoStack>

#include <algorithm>

TWaveListModel::TWaveListModel(QObject* Parent) : QObject(Parent), FUndoStack(new QUndoStack(this)) {}

// The undo stack is a child: Qt deletes it after this destructor, and it
// still signals on the way out, when no handler may run.
TWaveListModel::~TWaveListModel() { FUndoStack->disconnect(); }

bool TWaveListModel::Modified() const { return !FUndoStack->isClean(); }

// A wave read from a file shows the points it holds: a start with any loop,
// an end once set.
TWaveListModel::TShown TWaveListModel::ShownByPoints(const TWaveInfo& Wave)
{
    return {Wave.Loop().IsSet(), Wave.LoopEnd() != 0};
}

TLoopState TWaveListModel::LoopOf(int32_t Index) const
{
    const TWaveInfo& wave = *FKSD.GetWave(Index);
    const TShown shown = FShown[static_cast<std::size_t>(Index)];
    return {wave.LoopStart(), wave.LoopEnd(), shown.Start, shown.End, wave.CrossFade()};
}

void TWaveListModel::Clear()
{
    FUndoStack->clear(); // its commands may hold waves of the old list
    FKSD.Clear();
    FShown.clear();
    emit Reset();
}

TLoadReport TWaveListModel::Load(const std::string& Path, const TMissingWaveResolver& Resolve)
{
    FUndoStack->clear();
    FKSD.Clear(); // loading appends
    FShown.clear();
    TLoadReport report;
    try {
        report = FKSD.LoadFromFile(Path, Resolve);
    } catch (...) {
        FKSD.Clear();
        emit Reset();
        throw;
    }
    for (int32_t i = 0; i < FKSD.Count(); ++i)
        FShown.push_back(ShownByPoints(*FKSD.GetWave(i)));
    if (report.Changed())
        FUndoStack->resetClean(); // no step leads back to what the file holds
    emit Reset();
    return report;
}

void TWaveListModel::Save(const std::string& Path)
{
    FKSD.SaveToFile(Path);
    FUndoStack->setClean();
}

void TWaveListModel::Push(std::unique_ptr<QUndoCommand> Command)
{
    FUndoStack->push(Command.get());
    Command.release();
}

void TWaveListModel::AppendWaves(std::vector<std::unique_ptr<TWaveInfo>> Waves, int Shown)
{
    if (!Waves.empty())
        Push(std::make_unique<TInsertWavesCommand>(Editor(), FKSD.Count(), std::move(Waves), Shown, tr("wav追加")));
}

void TWaveListModel::DeleteWave(int32_t Index)
{
    if (Wave(Index))
        Push(std::make_unique<TDeleteWaveCommand>(Editor(), Index, tr("wav削除")));
}

void TWaveListModel::MoveWave(int32_t From, int32_t To)
{
    if (Wave(From) && Wave(To))
        Push(std::make_unique<TMoveWaveCommand>(Editor(), From, To, To < From ? tr("上に移動") : tr("下に移動")));
}

void TWaveListModel::SetLoop(int32_t Index, int32_t Start, int32_t End, const QString& Name)
{
    if (!Wave(Index))
        return;
    const TLoopState before = LoopOf(Index);
    TLoopState after{Start, End, false, false, std::min(before.Fade, LongestFade({Start, End}))};
    if (Start != 0 || End != 0) {
        after.StartShown = before.StartShown || Start != before.Start;
        after.EndShown = before.EndShown || End != before.End;
    }
    if (after == before)
        return;
    Push(std::make_unique<TLoopCommand>(Editor(), Index, before, after, Name));
    if (after.Fade < before.Fade)
        emit CrossFadeShortened(Index, before.Fade, after.Fade);
}

void TWaveListModel::SetCrossFade(int32_t Index, int32_t Samples, const QString& Name)
{
    if (!Wave(Index))
        return;
    const TLoopState before = LoopOf(Index);
    TLoopState after = before;
    after.Fade = std::clamp(Samples, 0, LongestFade({before.Start, before.End}));
    if (after != before)
        Push(std::make_unique<TLoopCommand>(Editor(), Index, before, after, Name));
}

void TWaveListModel::SetLoops(const std::vector<TLoopChange>& Changes, const QString& Name)
{
    if (Changes.empty())
        return;
    FUndoStack->beginMacro(Name);
    for (const TLoopChange& change : Changes)
        SetLoop(change.Index, change.Start, change.End, Name);
    FUndoStack->endMacro();
}

int32_t TWaveListModel::DragLoopPoint(int32_t Index, bool Start, int32_t Position)
{
    TWaveInfo* wave = Wave(Index);
    if (!wave)
        return Position;
    TShown& shown = FShown[static_cast<std::size_t>(Index)];
    if (Start) {
        wave->SetLoopStart(Position);
        shown.Start = true;
    } else {
        wave->SetLoopEnd(Position);
        shown.End = true;
    }
    emit LoopDragged(Index);
    return Start ? wave->LoopStart() : wave->LoopEnd();
}

// ---- The operations of the undo commands ---------------------------------

// A wave put (back) into the list shows the points it holds.
void TWaveListModel::InsertWave(int32_t Index, std::unique_ptr<TWaveInfo> Wave)
{
    const TShown shown = ShownByPoints(*Wave);
    FKSD.InsertWave(Index, std::move(Wave));
    FShown.insert(FShown.begin() + Index, shown);
    emit WaveInserted(Index);
}

std::unique_ptr<TWaveInfo> TWaveListModel::TakeWave(int32_t Index)
{
    std::unique_ptr<TWaveInfo> wave = FKSD.TakeWave(Index);
    FShown.erase(FShown.begin() + Index);
    emit WaveRemoved(Index, wave.get());
    return wave;
}

void TWaveListModel::SwapWaves(int32_t Upper)
{
    FKSD.MoveNext(Upper);
    // The moved rows show the points their waves hold, as when read.
    FShown[static_cast<std::size_t>(Upper)] = ShownByPoints(*FKSD.GetWave(Upper));
    FShown[static_cast<std::size_t>(Upper) + 1] = ShownByPoints(*FKSD.GetWave(Upper + 1));
    emit WavesSwapped(Upper);
}

void TWaveListModel::ApplyLoop(int32_t Index, const TLoopState& Loop)
{
    TWaveInfo* wave = Wave(Index);
    if (!wave)
        return;
    wave->SetLoopStart(Loop.Start);
    wave->SetLoopEnd(Loop.End);
    wave->SetCrossFade(Loop.Fade);
    FShown[static_cast<std::size_t>(Index)] = {Loop.StartShown, Loop.EndShown};
    emit LoopChanged(Index);
}
