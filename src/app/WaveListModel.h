#pragma once
// TWaveListModel: the wave list as the window edits it, without any widget.
// It owns the list (TKSD), the undo stack of its changes and each wave's loop
// state as the window shows it (TLoopState: whether a point shows as a
// number). Every change to the list goes through it, and every change but a
// marker drag in progress is one undo command (WaveListCommands.h).
//
// The list is modified exactly when the undo stack is away from its clean
// state, which saving sets and clearing and loading reset.
//
// The signals tell the views what changed; they are emitted after the change,
// on the caller's thread (the main thread).

#include "app/WaveListCommands.h"
#include "document/KSD.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QUndoStack;

class TWaveListModel : public QObject, private TWaveListEditor {
    Q_OBJECT
public:
    explicit TWaveListModel(QObject* Parent = nullptr);
    ~TWaveListModel() override;

    const TKSD& Document() const { return FKSD; }
    int32_t Count() const { return FKSD.Count(); }
    // Null for an index outside the list (-1 included).
    TWaveInfo* Wave(int32_t Index) const { return FKSD.GetWave(Index); }
    TLoopState LoopOf(int32_t Index) const override;
    QUndoStack& UndoStack() const { return *FUndoStack; }
    bool Modified() const;

    // An empty list with nothing to undo.
    void Clear();
    // Replaces the list with the list file at Path, with nothing to undo;
    // Resolve answers for the waves still missing (KSD.h). The list is
    // modified when a wave was found in a new place (saving would write its
    // new path). On failure the list is left empty and the error goes on.
    TLoadReport Load(const std::string& Path, const TMissingWaveResolver& Resolve = {});
    // Writes the list file; the list is unmodified afterwards.
    void Save(const std::string& Path);

    // The undo steps. Each carries the change out and keeps it for undo; one
    // that fails is dropped and its error goes on.
    // Puts Waves at the end of the list; Shown as in TInsertWavesCommand.
    void AppendWaves(std::vector<std::unique_ptr<TWaveInfo>> Waves, int Shown);
    void DeleteWave(int32_t Index);
    void MoveWave(int32_t From, int32_t To); // to a neighbouring row
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

signals:
    void WaveInserted(int32_t Index);
    // Wave, out of the list already, lives until the handlers return.
    void WaveRemoved(int32_t Index, const TWaveInfo* Wave);
    void WavesSwapped(int32_t Upper);
    // The loop or its shown state of the wave at Index changed.
    void LoopChanged(int32_t Index);
    // A loop change of the wave at Index shortened its crossfade.
    void CrossFadeShortened(int32_t Index, int32_t FromSamples, int32_t ToSamples);
    // A drag moved a loop point of the wave at Index (DragLoopPoint).
    void LoopDragged(int32_t Index);
    // An undo step asks for the wave at Index to be selected and shown (-1: none).
    void SelectionRequested(int32_t Index);
    // The whole list was replaced (cleared or loaded).
    void Reset();

private:
    struct TShown {
        bool Start = false;
        bool End = false;
    };
    static TShown ShownByPoints(const TWaveInfo& Wave);
    TWaveListEditor& Editor() { return *this; }
    void Push(std::unique_ptr<QUndoCommand> Command);
    void InsertWave(int32_t Index, std::unique_ptr<TWaveInfo> Wave) override;
    std::unique_ptr<TWaveInfo> TakeWave(int32_t Index) override;
    void SwapWaves(int32_t Upper) override;
    void SelectWave(int32_t Index) override { emit SelectionRequested(Index); }
    void ApplyLoop(int32_t Index, const TLoopState& Loop) override;

    TKSD FKSD;
    std::vector<TShown> FShown; // one for each wave, in list order
    QUndoStack* FUndoStack;
};
