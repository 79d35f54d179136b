#include "app/LoopsOfMany.h"

#include "app/MainWindowConstants.h"
#include "app/Prompter.h"
#include "app/WaveListModel.h"
#include "loop/LoopFinder.h"

#include <QCoreApplication>

namespace {


// The loop the one-wave command finds when nothing is selected in the views.
TLoopCandidate AutomaticLoop(const TWaveInfo& Wave)
{
    const TLoopFinder finder(Wave.Samples(), Wave.SamplesPerSec());
    const TFoundLoops found = Wave.Loop().Plays()
                                  ? finder.BestEndsNear(Wave.LoopStart(), Wave.LoopEnd(), kNearRadiusMs, {})
                                  : finder.WholeWave({});
    return found.Loops.front();
}

} // namespace

void FindLoopsOfMany(TWaveListModel& Model, const std::vector<int32_t>& Indices, TPrompter& Prompter,
                     QWidget* Parent)
{
    const std::unique_ptr<TProgress> progress =
        Prompter.StartProgress(Parent, QCoreApplication::translate("LoopsOfMany", "ループを自動検出しています…"), static_cast<int>(Indices.size()));
    std::vector<TWaveListModel::TLoopChange> changes;
    QStringList notFound;
    for (std::size_t done = 0; done < Indices.size(); ++done) {
        if (!progress->Step(static_cast<int>(done)))
            return;
        const TWaveInfo* wave = Model.Wave(Indices[done]);
        if (!wave || wave->IsMissing())
            continue;
        try {
            const TLoopCandidate loop = AutomaticLoop(*wave);
            changes.push_back({Indices[done], loop.Start, loop.End});
        } catch (const ELoopFinderError&) {
            notFound << QString::fromStdString(wave->WaveName());
        }
    }
    if (!progress->Step(static_cast<int>(Indices.size())))
        return;
    Model.SetLoops(changes, QCoreApplication::translate("TLoopEditController", "ループを自動検出"));
    if (!notFound.isEmpty())
        Prompter.ShowWarning(Parent, mainform::kTitle,
                             QCoreApplication::translate("LoopsOfMany", "適切なループが見つかりません: %1").arg(notFound.join(", ")));
}
