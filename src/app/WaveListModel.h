#pragma once
// TWaveListModel: the wave list as the window edits it, and the table model
// the list view reads (one row per wave, the columns of WaveRowCells.h). It
// owns the list (TKSD), the undo stack of its changes and each wave's loop
// state as the window shows it (TLoopState: whether a point shows as a
// number), which travels with the wave through every step. Every change to
// the list goes through it, and every change but a marker drag in progress
// is one undo command (WaveListCommands.h).
//
// The seam of each wave's loop is measured here once per change of the loop
// or its fade, and kept for the table, the seam label and anyone else.
//
// The list is modified exactly when the undo stack is away from its clean
// state, which saving sets and clearing and loading reset.
//
// Rows change through the table model's own notices (rows inserted and
// removed, data changed, model reset); the signals below tell the window
// what changed. All are emitted on the caller's thread (the main thread).

#include "app/WaveListCommands.h"
#include "document/KSD.h"
#include "loop/LoopFinder.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QUndoStack;

class TWaveListModel : public QAbstractTableModel, private TWaveListEditor {
    Q_OBJECT
public:
    explicit TWaveListModel(QObject* Parent = nullptr);
    ~TWaveListModel() override;

    const TKSD& Document() const { return FKSD; }
    int32_t Count() const { return FKSD.Count(); }
    // Null for an index outside the list (-1 included).
    const TWaveInfo* Wave(int32_t Index) const { return FKSD.GetWave(Index); }
    // The index of Wave in the list, -1 when it is not in it.
    int32_t IndexOf(const TWaveInfo* Wave) const;
    TLoopState LoopOf(int32_t Index) const override;
    // The seam of a loop that plays, as the bank holds it after the fade
    // (cut to what the loop allows); none for a missing wave, a loop that
    // does not play or one past the wave's end.
    std::optional<TSeamMeasure> SeamOf(int32_t Index) const;
    // The span of the wave at Index the detail view shows (window state,
    // kept beside the wave: no undo step, not modified); the whole wave at
    // first. The span kept is inside the wave.
    TViewSpan SpanOf(int32_t Index) const;
    void SetSpan(int32_t Index, TViewSpan Span);
    QUndoStack& UndoStack() const { return *FUndoStack; }
    bool Modified() const;

    // An empty list with nothing to undo.
    void Clear();
    // Replaces the list with the list file at Path, with nothing to undo;
    // Resolve answers for the waves still missing, SkipUnreadable for those
    // that cannot be read (KSD.h). The list is
    // modified when a wave was found in a new place (saving would write its
    // new path). On failure the list is left empty and the error goes on.
    TLoadReport Load(const std::string& Path, const TMissingWaveResolver& Resolve = {},
                     const TUnreadableWaveResolver& SkipUnreadable = {});
    // Writes the list file; the list is unmodified afterwards.
    void Save(const std::string& Path);

    // The undo steps. Each carries the change out and keeps it for undo; one
    // that fails is dropped and its error goes on.
    // Puts Waves at the end of the list; Shown as in TInsertWavesCommand.
    void AppendWaves(std::vector<std::unique_ptr<TWaveInfo>> Waves, int Shown);
    void DeleteWave(int32_t Index);
    void MoveWave(int32_t From, int32_t To); // to a neighbouring row
    // Puts Wave in the place of the wave at Index, its row showing Wave's
    // loop points (a missing wave found later).
    void ReplaceWave(int32_t Index, std::unique_ptr<TWaveInfo> Wave);
    // Gives the wave at Index the loop Start .. End as the step Name (no order
    // check here: callers apply the order rule). A point shows as a number
    // once it was set; a removed loop shows none. No step when nothing changes.
    // A crossfade the new loop cannot hold is shortened in the same step
    // (CrossFadeShortened).
    void SetLoop(int32_t Index, int32_t Start, int32_t End, const QString& Name);
    // Gives the wave at Index a crossfade of Samples, at most what its loop
    // allows (LongestFade), as the step Name; no step when nothing changes.
    void SetCrossFade(int32_t Index, int32_t Samples, const QString& Name);

    // Gives several waves their loops (wave index, start, end) as one step.
    struct TLoopChange {
        int32_t Index;
        int32_t Start;
        int32_t End;
    };
    void SetLoops(const std::vector<TLoopChange>& Changes, const QString& Name);

    // A marker drag in progress: moves one loop point, shown as a number,
    // with no undo step; returns the point the wave holds (its setter keeps a
    // start inside the wave). The drag ends with RestoreLoop and SetLoop.
    int32_t DragLoopPoint(int32_t Index, bool Start, int32_t Position);
    // Puts back the loop a drag started from, with no undo step.
    void RestoreLoop(int32_t Index, const TLoopState& Loop) { ApplyLoop(Index, Loop); }

    // The table model.
    int rowCount(const QModelIndex& Parent = {}) const override;
    int columnCount(const QModelIndex& Parent = {}) const override;
    QVariant data(const QModelIndex& Index, int Role = Qt::DisplayRole) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role = Qt::DisplayRole) const override;
    // Only the loop cells can be edited; what is typed goes to SetTypedLoopPoint.
    Qt::ItemFlags flags(const QModelIndex& Index) const override;

signals:
    // Wave, out of the list already, lives until the handlers return.
    void WaveRemoved(int32_t Index, const TWaveInfo* Wave);
    // The loop or its shown state of the wave at Index changed.
    void LoopChanged(int32_t Index);
    // A loop change of the wave at Index shortened its crossfade.
    void CrossFadeShortened(int32_t Index, int32_t FromSamples, int32_t ToSamples);
    // A drag moved a loop point of the wave at Index (DragLoopPoint).
    void LoopDragged(int32_t Index);
    // An undo step asks for the wave at Index to be selected and shown (-1: none).
    void SelectionRequested(int32_t Index);

private:
    // What the model keeps beside each wave, in list order.
    struct TRow {
        bool StartShown = false;
        bool EndShown = false;
        TViewSpan Span;
        // The seam of the loop as it is now; empty until asked for.
        mutable std::optional<std::optional<TSeamMeasure>> Seam;
    };
    static TRow RowByPoints(const TWaveInfo& Wave);
    TWaveListEditor& Editor() { return *this; }
    TRow& RowOf(int32_t Index) { return FRows[static_cast<std::size_t>(Index)]; }
    const TRow& RowOf(int32_t Index) const { return FRows[static_cast<std::size_t>(Index)]; }
    // The loop or fade of the wave at Index changed: its row shows it.
    void LoopStateChanged(int32_t Index);
    void Push(std::unique_ptr<QUndoCommand> Command);
    void InsertWave(int32_t Index, TTakenWave Wave) override;
    TTakenWave TakeWave(int32_t Index) override;
    void SwapWaves(int32_t Upper) override;
    void SelectWave(int32_t Index) override { emit SelectionRequested(Index); }
    void ApplyLoop(int32_t Index, const TLoopState& Loop) override;

    TKSD FKSD;
    std::vector<TRow> FRows; // one for each wave
    QUndoStack* FUndoStack;
};
