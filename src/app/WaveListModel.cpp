#include "app/WaveListModel.h"

#include "app/WaveRowCells.h"
#include "document/CrossFade.h"

#include <QCoreApplication>
#include <QUndoStack>

#include <algorithm>

TWaveListModel::TWaveListModel(QObject* Parent) : QAbstractTableModel(Parent), FUndoStack(new QUndoStack(this)) {}

// The undo stack is a child: Qt deletes it after this destructor, and it
// still signals on the way out, when no handler may run.
TWaveListModel::~TWaveListModel() { FUndoStack->disconnect(); }

bool TWaveListModel::Modified() const { return !FUndoStack->isClean(); }

// A wave read from a file shows the points it holds: a start with any loop,
// an end once set.
TWaveListModel::TRow TWaveListModel::RowByPoints(const TWaveInfo& Wave)
{
    return {Wave.Loop().IsSet(), Wave.LoopEnd() != 0, {0, Wave.SampleCount()}, {}};
}

int32_t TWaveListModel::IndexOf(const TWaveInfo* Wave) const
{
    for (int32_t i = 0; i < FKSD.Count(); ++i)
        if (FKSD.GetWave(i) == Wave)
            return i;
    return -1;
}

TLoopState TWaveListModel::LoopOf(int32_t Index) const
{
    const TWaveInfo& wave = *FKSD.GetWave(Index);
    const TRow& row = RowOf(Index);
    return {wave.LoopStart(), wave.LoopEnd(), row.StartShown, row.EndShown, wave.CrossFade()};
}

std::optional<TSeamMeasure> TWaveListModel::SeamOf(int32_t Index) const
{
    const TWaveInfo* wave = Wave(Index);
    if (!wave)
        return std::nullopt;
    const TRow& row = RowOf(Index);
    if (!row.Seam) {
        const TWaveLoop loop = wave->Loop();
        if (wave->IsMissing() || !loop.Plays() || loop.End > wave->SampleCount())
            row.Seam.emplace(std::nullopt);
        else
            row.Seam.emplace(TLoopFinder(wave->Samples(), wave->SamplesPerSec())
                                 .Measure(loop.Start, loop.End, std::min(wave->CrossFade(), LongestFade(loop))));
    }
    return *row.Seam;
}

TViewSpan TWaveListModel::SpanOf(int32_t Index) const { return Wave(Index) ? RowOf(Index).Span : TViewSpan{}; }

// As the detail view allows: a start inside the wave, an end up to its last
// sample; a point outside keeps the one kept before.
void TWaveListModel::SetSpan(int32_t Index, TViewSpan Span)
{
    const TWaveInfo* wave = Wave(Index);
    if (!wave)
        return;
    TViewSpan& kept = RowOf(Index).Span;
    if (Span.Start >= 0 && Span.Start < wave->SampleCount())
        kept.Start = Span.Start;
    if (Span.End >= 0 && Span.End <= wave->SampleCount())
        kept.End = Span.End;
}

// ---- The table model ----------------------------------------------------------

int TWaveListModel::rowCount(const QModelIndex& Parent) const { return Parent.isValid() ? 0 : FKSD.Count(); }

int TWaveListModel::columnCount(const QModelIndex& Parent) const { return Parent.isValid() ? 0 : kWaveColumnCount; }

QVariant TWaveListModel::data(const QModelIndex& Index, int Role) const
{
    const TWaveInfo* wave = Wave(Index.row());
    if (!wave || Index.column() < 0 || Index.column() >= kWaveColumnCount)
        return {};
    const bool seam = Index.column() == colSeam && (Role == Qt::DisplayRole || Role == Qt::EditRole);
    return WaveCell(*wave, LoopOf(Index.row()), seam ? SeamOf(Index.row()) : std::nullopt, Index.column(), Role);
}

QVariant TWaveListModel::headerData(int Section, Qt::Orientation Orientation, int Role) const
{
    if (Orientation != Qt::Horizontal || Role != Qt::DisplayRole || Section < 0 || Section >= kWaveColumnCount)
        return QAbstractTableModel::headerData(Section, Orientation, Role);
    return QCoreApplication::translate("TWaveTable", kWaveColumns[Section].Title);
}

Qt::ItemFlags TWaveListModel::flags(const QModelIndex& Index) const
{
    const Qt::ItemFlags flags = QAbstractTableModel::flags(Index);
    const bool loop = Index.column() == colLoopStart || Index.column() == colLoopEnd;
    return loop ? flags | Qt::ItemIsEditable : flags;
}

void TWaveListModel::Clear()
{
    beginResetModel();
    FUndoStack->clear(); // its commands may hold waves of the old list
    FKSD.Clear();
    FRows.clear();
    endResetModel();
}

TLoadReport TWaveListModel::Load(const std::string& Path, const TMissingWaveResolver& Resolve,
                                 const TUnreadableWaveResolver& SkipUnreadable)
{
    beginResetModel();
    FUndoStack->clear();
    FKSD.Clear(); // loading appends
    FRows.clear();
    TLoadReport report;
    try {
        report = FKSD.LoadFromFile(Path, Resolve, SkipUnreadable);
    } catch (...) {
        FKSD.Clear();
        endResetModel();
        throw;
    }
    for (int32_t i = 0; i < FKSD.Count(); ++i)
        FRows.push_back(RowByPoints(*FKSD.GetWave(i)));
    if (report.Changed())
        FUndoStack->resetClean(); // no step leads back to what the file holds
    endResetModel();
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
    if (Waves.empty())
        return;
    std::vector<TTakenWave> taken;
    for (std::unique_ptr<TWaveInfo>& wave : Waves) {
        const TRow row = RowByPoints(*wave);
        taken.push_back({std::move(wave), row.StartShown, row.EndShown, row.Span});
    }
    Push(std::make_unique<TInsertWavesCommand>(Editor(), FKSD.Count(), std::move(taken), Shown, tr("wav追加")));
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

void TWaveListModel::ReplaceWave(int32_t Index, std::unique_ptr<TWaveInfo> Wave)
{
    if (!this->Wave(Index))
        return;
    const TRow row = RowByPoints(*Wave);
    Push(std::make_unique<TReplaceWaveCommand>(Editor(), Index, TTakenWave{std::move(Wave), row.StartShown, row.EndShown, row.Span},
                                               tr("wavを探す")));
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
    TWaveInfo* wave = FKSD.GetWave(Index);
    if (!wave)
        return Position;
    TRow& row = RowOf(Index);
    if (Start) {
        wave->SetLoopStart(Position);
        row.StartShown = true;
    } else {
        wave->SetLoopEnd(Position);
        row.EndShown = true;
    }
    LoopStateChanged(Index);
    emit LoopDragged(Index);
    return Start ? wave->LoopStart() : wave->LoopEnd();
}

void TWaveListModel::LoopStateChanged(int32_t Index)
{
    RowOf(Index).Seam.reset();
    emit dataChanged(index(Index, colLoopStart), index(Index, colSeam));
}

// ---- The operations of the undo commands ---------------------------------

void TWaveListModel::InsertWave(int32_t Index, TTakenWave Wave)
{
    beginInsertRows({}, Index, Index);
    FKSD.InsertWave(Index, std::move(Wave.Wave));
    FRows.insert(FRows.begin() + Index, TRow{Wave.StartShown, Wave.EndShown, Wave.Span, {}});
    endInsertRows();
}

TTakenWave TWaveListModel::TakeWave(int32_t Index)
{
    beginRemoveRows({}, Index, Index);
    const TRow row = RowOf(Index);
    TTakenWave taken{FKSD.TakeWave(Index), row.StartShown, row.EndShown, row.Span};
    FRows.erase(FRows.begin() + Index);
    endRemoveRows();
    emit WaveRemoved(Index, taken.Wave.get());
    return taken;
}

// The rows stay where they are and show the swapped waves, each with the
// loop state it had.
void TWaveListModel::SwapWaves(int32_t Upper)
{
    FKSD.MoveNext(Upper);
    std::swap(RowOf(Upper), RowOf(Upper + 1));
    emit dataChanged(index(Upper, 0), index(Upper + 1, kWaveColumnCount - 1));
}

void TWaveListModel::ApplyLoop(int32_t Index, const TLoopState& Loop)
{
    TWaveInfo* wave = FKSD.GetWave(Index);
    if (!wave)
        return;
    wave->SetLoopStart(Loop.Start);
    wave->SetLoopEnd(Loop.End);
    wave->SetCrossFade(Loop.Fade);
    RowOf(Index).StartShown = Loop.StartShown;
    RowOf(Index).EndShown = Loop.EndShown;
    LoopStateChanged(Index);
    emit LoopChanged(Index);
}
