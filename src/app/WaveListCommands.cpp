#include "app/WaveListCommands.h"

#include <algorithm>

TInsertWavesCommand::TInsertWavesCommand(TWaveListEditor& Editor, int32_t Index, std::vector<TTakenWave> Waves,
                                         int Shown, const QString& Text)
    : QUndoCommand(Text), FEditor(Editor), FIndex(Index), FWaves(std::move(Waves)), FShown(Shown)
{
}

void TInsertWavesCommand::redo()
{
    for (std::size_t i = 0; i < FWaves.size(); ++i)
        FEditor.InsertWave(FIndex + static_cast<int32_t>(i), std::move(FWaves[i]));
    if (FShown >= 0)
        FEditor.SelectWave(FIndex + FShown);
}

void TInsertWavesCommand::undo()
{
    for (std::size_t i = FWaves.size(); i-- > 0;)
        FWaves[i] = FEditor.TakeWave(FIndex + static_cast<int32_t>(i));
}

TDeleteWaveCommand::TDeleteWaveCommand(TWaveListEditor& Editor, int32_t Index, const QString& Text)
    : QUndoCommand(Text), FEditor(Editor), FIndex(Index)
{
}

void TDeleteWaveCommand::redo() { FWave = FEditor.TakeWave(FIndex); }

void TDeleteWaveCommand::undo()
{
    FEditor.InsertWave(FIndex, std::move(FWave));
    FEditor.SelectWave(FIndex);
}

TMoveWaveCommand::TMoveWaveCommand(TWaveListEditor& Editor, int32_t From, int32_t To, const QString& Text)
    : QUndoCommand(Text), FEditor(Editor), FFrom(From), FTo(To)
{
}

void TMoveWaveCommand::redo()
{
    FEditor.SwapWaves(std::min(FFrom, FTo));
    FEditor.SelectWave(FTo);
}

void TMoveWaveCommand::undo()
{
    FEditor.SwapWaves(std::min(FFrom, FTo));
    FEditor.SelectWave(FFrom);
}

TLoopCommand::TLoopCommand(TWaveListEditor& Editor, int32_t Index, const TLoopState& Before,
                           const TLoopState& After, const QString& Text)
    : QUndoCommand(Text), FEditor(Editor), FIndex(Index), FBefore(Before), FAfter(After)
{
}

void TLoopCommand::redo() { FEditor.ApplyLoop(FIndex, FAfter); }

void TLoopCommand::undo() { FEditor.ApplyLoop(FIndex, FBefore); }

TReplaceWaveCommand::TReplaceWaveCommand(TWaveListEditor& Editor, int32_t Index, TTakenWave Wave, const QString& Text)
    : QUndoCommand(Text), FEditor(Editor), FIndex(Index), FWave(std::move(Wave))
{
}

void TReplaceWaveCommand::Swap()
{
    TTakenWave out = FEditor.TakeWave(FIndex);
    FEditor.InsertWave(FIndex, std::move(FWave));
    FWave = std::move(out);
    FEditor.SelectWave(FIndex);
}
