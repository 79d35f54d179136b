#pragma once
// The undo steps of the wave list. Every change to the list (adding,
// deleting, moving a wave, changing a loop) is one of these commands pushed
// on the list model's QUndoStack; redo() carries the change out (also the
// first time), undo() takes it back. They change the list only through
// TWaveListEditor, the list model's side they see.

#include "document/WaveInfo.h"
#include "view/ViewSpan.h"

#include <QUndoCommand>

#include <cstdint>
#include <memory>
#include <vector>

// A wave's loop points and whether the window shows each as a number (in
// its row, and as a marker in the views) or as "-" (a point the user never
// set), and the loop's crossfade in samples (it fits the loop: CrossFade.h).
struct TLoopState {
    int32_t Start = 0;
    int32_t End = 0;
    bool StartShown = false;
    bool EndShown = false;
    int32_t Fade = 0;
    bool operator==(const TLoopState&) const = default;
};

// A wave out of the list with what the window keeps beside it: whether each
// of its loop points shows and the span the detail view showed of it. A step
// that takes a wave out and puts it back restores all of it exactly.
struct TTakenWave {
    std::unique_ptr<TWaveInfo> Wave;
    bool StartShown = false;
    bool EndShown = false;
    TViewSpan Span;
};

// The list as the commands see it (TWaveListModel); the views follow its
// signals.
class TWaveListEditor {
public:
    // Puts Wave into the list at Index, with its row.
    virtual void InsertWave(int32_t Index, TTakenWave Wave) = 0;
    // Takes the wave at Index out with its row; when it was shown no row is
    // selected afterwards and the views are empty.
    virtual TTakenWave TakeWave(int32_t Index) = 0;
    // Swaps the waves at Upper and Upper + 1, with their rows and loop states.
    virtual void SwapWaves(int32_t Upper) = 0;
    // Selects the row at Index and shows its wave (-1: no row, empty views).
    virtual void SelectWave(int32_t Index) = 0;
    virtual TLoopState LoopOf(int32_t Index) const = 0;
    // Gives the wave at Index that loop, in its row and, selected, in the views.
    virtual void ApplyLoop(int32_t Index, const TLoopState& Loop) = 0;

protected:
    ~TWaveListEditor() = default;
};

// Waves read from files, put into the list from Index on; Shown is the
// offset of the one selected and shown afterwards, or -1 for none.
class TInsertWavesCommand : public QUndoCommand {
public:
    TInsertWavesCommand(TWaveListEditor& Editor, int32_t Index, std::vector<TTakenWave> Waves, int Shown,
                        const QString& Text);
    void redo() override;
    void undo() override;

private:
    TWaveListEditor& FEditor;
    int32_t FIndex;
    std::vector<TTakenWave> FWaves; // held while undone
    int FShown;
};

class TDeleteWaveCommand : public QUndoCommand {
public:
    TDeleteWaveCommand(TWaveListEditor& Editor, int32_t Index, const QString& Text);
    void redo() override;
    void undo() override;

private:
    TWaveListEditor& FEditor;
    int32_t FIndex;
    TTakenWave FWave; // held while deleted
};

// Moves the wave at From to the neighbouring row To (one up or one down).
class TMoveWaveCommand : public QUndoCommand {
public:
    TMoveWaveCommand(TWaveListEditor& Editor, int32_t From, int32_t To, const QString& Text);
    void redo() override;
    void undo() override;

private:
    TWaveListEditor& FEditor;
    int32_t FFrom;
    int32_t FTo;
};

class TLoopCommand : public QUndoCommand {
public:
    TLoopCommand(TWaveListEditor& Editor, int32_t Index, const TLoopState& Before, const TLoopState& After,
                 const QString& Text);
    void redo() override;
    void undo() override;

private:
    TWaveListEditor& FEditor;
    int32_t FIndex;
    TLoopState FBefore;
    TLoopState FAfter;
};

// Puts a wave in the place of the wave at Index (a missing wave found
// later); undo puts the old one back. Either way the wave at Index is
// selected and shown.
class TReplaceWaveCommand : public QUndoCommand {
public:
    TReplaceWaveCommand(TWaveListEditor& Editor, int32_t Index, TTakenWave Wave, const QString& Text);
    void redo() override { Swap(); }
    void undo() override { Swap(); }

private:
    void Swap();

    TWaveListEditor& FEditor;
    int32_t FIndex;
    TTakenWave FWave; // the one out of the list
};
