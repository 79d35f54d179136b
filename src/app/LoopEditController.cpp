#include "app/LoopEditController.h"

#include "app/CancellableSearch.h"
#include "app/CoreTexts.h"
#include "app/CrossFadeControl.h"
#include "app/MainWindowConstants.h"
#include "app/ProgramSettings.h"
#include "app/SeamWords.h"
#include "app/WaveListModel.h"
#include "app/WaveViews.h"
#include "document/CrossFade.h"
#include "document/LoopRules.h"
#include "loop/LoopFinder.h"
#include "view/GraphImage.h"
#include "view/SeamView.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace {

using namespace mainform;

constexpr const char* kSnapSetting = "Edit/SnapToZeroCrossings";

// The loop finder the command-line tool asks too (LoopFinder.h).
TLoopFinder FinderOf(const TWaveInfo& Wave) { return TLoopFinder(Wave.Samples(), Wave.SamplesPerSec()); }

// "ビブラート 5.6 Hz".
QString MovementText(const TMovement& Movement)
{
    const char* const words[] = {QT_TRANSLATE_NOOP("TLoopEditController", "ビブラート"),
                                 QT_TRANSLATE_NOOP("TLoopEditController", "トレモロ"),
                                 QT_TRANSLATE_NOOP("TLoopEditController", "うなり")};
    return TLoopEditController::tr("%1 %2 Hz")
        .arg(TLoopEditController::tr(words[static_cast<int>(Movement.Kind)]))
        .arg(Movement.Hz, 0, 'f', 1);
}

} // namespace

TLoopEditController::TLoopEditController(TWaveListModel& Model, TWaveViews& Views, TParts Parts, QObject* Parent)
    : QObject(Parent), FModel(Model), FViews(Views), FParts(std::move(Parts))
{
    FParts.SnapToZero->setCheckable(true);
    FParts.SnapToZero->setChecked(ProgramSettings().value(kSnapSetting, false).toBool());
    connect(FParts.SnapToZero, &QAction::toggled, this, [](bool On) { ProgramSettings().setValue(kSnapSetting, On); });
    connect(&FModel, &TWaveListModel::LoopDragged, this, [this] { ShowSeam(); });
    connect(FParts.FadeControl, &TCrossFadeControl::FadeRequested, this,
            [this](int32_t Samples) { ChangeCrossFade(Samples); });
    // Enter in the fade box gives the keys (Space plays) back to the list.
    connect(FParts.FadeControl, &TCrossFadeControl::EditingFinished, this,
            [this] { FParts.FocusHome->setFocus(Qt::OtherFocusReason); });
    connect(&FModel, &TWaveListModel::CrossFadeShortened, this, [this](int32_t, int32_t From, int32_t To) {
        FParts.StatusBar->showMessage(
            tr("ループに合わせてクロスフェードを %1 サンプルから %2 サンプルに短くしました").arg(From).arg(To), 10000);
    });
}

// ---- The loop commands ---------------------------------------------------

void TLoopEditController::ChangeLoopPoint(bool Start, int32_t Position)
{
    const int32_t index = FParts.SelectedIndex();
    const TWaveInfo* wave = FModel.Wave(index);
    if (!wave)
        return;
    Position = SnappedLoopPoint(*wave, Position, Start);
    if (Start) {
        CheckLoopStart(*wave, Position);
        FModel.SetLoop(index, Position, wave->LoopEnd(), tr("ループ始点の変更"));
    } else {
        CheckLoopEnd(*wave, Position);
        FModel.SetLoop(index, wave->LoopStart(), Position, tr("ループ終点の変更"));
    }
}

void TLoopEditController::ChangeLoopPointAtCursor(bool Start)
{
    if (const std::optional<int32_t> cursor = FViews.ShownCursor())
        ChangeLoopPoint(Start, *cursor);
}

void TLoopEditController::ChangeLoop(int32_t Start, int32_t End)
{
    const int32_t index = FParts.SelectedIndex();
    if (!FModel.Wave(index))
        return;
    if (Start != 0 && Start >= End)
        throw ELoopOrderError(kLoopEndBeforeStart);
    FModel.SetLoop(index, Start, End, tr("ループの設定"));
}

void TLoopEditController::RemoveLoop() { FModel.SetLoop(FParts.SelectedIndex(), 0, 0, tr("ループクリア")); }

void TLoopEditController::ChangeCrossFade(int32_t Samples)
{
    FModel.SetCrossFade(FParts.SelectedIndex(), Samples, tr("クロスフェードの変更"));
    ShowSeam(); // the control shows what the loop allowed
}

void TLoopEditController::SetAutomaticFade()
{
    const int32_t index = FParts.SelectedIndex();
    const TWaveInfo* wave = FModel.Wave(index);
    if (!wave || !wave->Loop().Plays())
        return;
    const TFadeChoice fade = FinderOf(*wave).AutomaticFade(wave->LoopStart(), wave->LoopEnd());
    FModel.SetCrossFade(index, fade.Samples, tr("クロスフェードの自動設定"));
    ShowSeam();
    FParts.StatusBar->showMessage(tr("クロスフェードを %1 サンプルにしました").arg(fade.Samples), 10000);
}

// ---- The automatic loop ----------------------------------------------------

// The loop found is where it is best: it is not snapped.
void TLoopEditController::FindLoop(const TGraphImage* View, bool Wide)
{
    const TWaveInfo* wave = FModel.Wave(FParts.SelectedIndex());
    if (!wave)
        return;
    const TGraphImage* selected = View                              ? View
                                  : FViews.Detail()->HasSelection() ? FViews.Detail()
                                                                    : FViews.Overview();
    const int32_t index = FParts.SelectedIndex();
    const std::optional<std::pair<int32_t, int32_t>> selection =
        selected->HasSelection() ? std::optional(std::pair(selected->SelectStart(), selected->SelectEnd())) : std::nullopt;
    const std::optional<std::pair<int32_t, int32_t>> loop =
        wave->Loop().Plays() ? std::optional(std::pair(wave->LoopStart(), wave->LoopEnd())) : std::nullopt;
    const double radius = Wide ? kWideRadiusMs : kNearRadiusMs;
    const std::optional<TFoundLoops> searched = FindCancellable(
        std::vector<int16_t>(wave->Samples().begin(), wave->Samples().end()), wave->SamplesPerSec(),
        [selection, loop, radius](const TLoopFinder& finder) {
            return selection ? finder.LoopsIn(selection->first, selection->second, {})
                   : loop    ? finder.BestEndsNear(loop->first, loop->second, radius, {})
                             : finder.WholeWave({});
        },
        *FParts.Prompter, FParts.FocusHome->window(), tr("ループを自動検出しています…"));
    // Nothing could change the list while the search ran (CancellableSearch.h).
    if (!searched || FModel.Wave(index) != wave) {
        FParts.StatusBar->showMessage(tr("ループの検出を取り消しました"), 10000);
        return;
    }
    const TFoundLoops& found = *searched;
    const TLoopCandidate& best = found.Loops.front();
    // The status bar says what happened, also when nothing visibly did.
    const bool kept = best.Start == wave->LoopStart() && best.End == wave->LoopEnd();
    ChangeLoop(best.Start, best.End);
    QString message = kept ? tr("今のループより良いループは見つかりませんでした")
                           : tr("ループ %1:%2 を見つけました").arg(best.Start).arg(best.End);
    if (found.Movement)
        message += tr("（%1）").arg(MovementText(*found.Movement));
    FParts.StatusBar->showMessage(message, 10000);
}

// ---- Snapping --------------------------------------------------------------

// Position snapped as the loop finder snaps it (never to a worse seam) when
// snapping is on; Position itself otherwise.
int32_t TLoopEditController::SnappedLoopPoint(const TWaveInfo& Wave, int32_t Position, bool Start) const
{
    if (!FParts.SnapToZero->isChecked())
        return Position;
    return FinderOf(Wave).Snap(Position, Start ? Wave.LoopEnd() : Wave.LoopStart(), Start, Wave.CrossFade());
}

// ---- The mouse in the views -------------------------------------------------

TGraphImage* TLoopEditController::OtherView(const TGraphImage* View) const
{
    return View == FViews.Overview() ? FViews.Detail() : FViews.Overview();
}

void TLoopEditController::MouseDown(TGraphImage* View)
{
    const int32_t index = FParts.SelectedIndex();
    if (FModel.Wave(index))
        FSavedLoop = FModel.LoopOf(index);
    // At most one view shows a cursor, so the loop commands know which to take.
    OtherView(View)->SetCursorEnabled(false);
    // The overview takes no focus, the detail view takes it for its cursor
    // keys (CursorKeys.h): either way the seam view gives its zoom keys back.
    if (FParts.SeamView->hasFocus())
        FParts.FocusHome->setFocus(Qt::MouseFocusReason);
}

// A marker drag moves the loop live; on release the loop of the press comes
// back, and a drag that left the loop start before the loop end becomes one
// undoable step. One that did not is refused, and so is a loop end dragged
// down to sample 0 past a set start, which would otherwise read as "no loop
// end".
void TLoopEditController::MouseUp()
{
    const bool markerOffLoop = std::exchange(FMarkerOffLoop, false);
    const int32_t index = FParts.SelectedIndex();
    const TWaveInfo* wave = FModel.Wave(index);
    if (!wave)
        return;
    const int32_t start = wave->LoopStart();
    const int32_t end = wave->LoopEnd();
    if (start == FSavedLoop.Start && end == FSavedLoop.End) {
        if (markerOffLoop) // the dragged view still shows its marker where the mouse left it
            FModel.RestoreLoop(index, FSavedLoop);
        return;
    }
    FModel.RestoreLoop(index, FSavedLoop);
    if (end == 0 && FSavedLoop.End != 0 && start > 0)
        throw EVantrelError(kLoopEndBeforeStart);
    if (end != 0 && start >= end)
        throw EVantrelError(kLoopStartAfterEnd);
    FModel.SetLoop(index, start, end, tr("ループマーカーの移動"));
}

void TLoopEditController::MarkerMoved(TGraphImage* View, TMarkerStatus* Marker)
{
    const std::string name = View->GetMarkerName(Marker);
    const int32_t index = FParts.SelectedIndex();
    const TWaveInfo* wave = FModel.Wave(index);
    const bool loopPoint = name == kLoopStart || name == kLoopEnd;
    // A snapped loop point moves the other view's marker and the wave; the
    // dragged marker follows on release (it must not be replaced mid-drag).
    TMarkerStatus moved = *Marker;
    if (wave && loopPoint)
        moved.Position = SnappedLoopPoint(*wave, Marker->Position, name == kLoopStart);
    FMarkerOffLoop |= moved.Position != Marker->Position;
    OtherView(View)->SetMarker(name, moved);
    // The wave holds what its setters allow (a start inside the wave; a
    // marker past the last sample is put back on release).
    if (wave && loopPoint)
        FMarkerOffLoop |= FModel.DragLoopPoint(index, name == kLoopStart, moved.Position) != moved.Position;
}

// ---- Showing the loop -------------------------------------------------------

void TLoopEditController::ShowLoopOf(const TWaveInfo* Wave)
{
    if (const int32_t index = FModel.IndexOf(Wave); Wave && index >= 0)
        ShowLoopState(FModel.LoopOf(index));
    else
        ShowSeam();
}

void TLoopEditController::ShowLoopState(const TLoopState& Loop)
{
    const auto show = [this](const char* Name, TBgrColor Color, bool Shown, int32_t Position) {
        if (Shown)
            FViews.SetMarker(Name, Color, Position);
        else
            FViews.RemoveMarker(Name);
    };
    show(kLoopStart, kRed, Loop.StartShown, Loop.Start);
    show(kLoopEnd, kGreen, Loop.EndShown, Loop.End);
    ShowSeam();
}

void TLoopEditController::ShowSeam()
{
    const TWaveInfo* wave = FViews.Shown();
    // A loop that plays here but that the bank will not hold is said while shown.
    FParts.BankLoopLabel->setText(wave && wave->Loop().DroppedByBank() ? CoreText(kLoopFromZeroNotInBank) : "");
    const TWaveLoop loop = wave ? wave->Loop() : TWaveLoop{};
    // A drag moves the loop without its fade: what it still allows is shown.
    const int32_t longest = LongestFade(loop);
    const int32_t fade = wave ? std::min(wave->CrossFade(), longest) : 0;
    FParts.FadeControl->Show(fade, longest, wave ? wave->SamplesPerSec() : 0);
    for (TGraphImage* view : {FViews.Overview(), FViews.Detail()})
        view->SetShade(loop.End - fade, fade > 0 ? loop.End : 0);
    if (!wave || !loop.Plays()) {
        FParts.SeamView->SetSeam(nullptr, 0, 0);
        FParts.SeamCostLabel->clear();
        return;
    }
    FParts.SeamView->SetSeam(wave, loop.Start, loop.End, FadedStretch(wave->Samples(), loop, fade));
    // Measured once per loop change, by the model, for the list too.
    const std::optional<TSeamMeasure> seam = FModel.SeamOf(FModel.IndexOf(wave));
    if (!seam) {
        FParts.SeamCostLabel->clear();
        return;
    }
    FParts.SeamCostLabel->setText(tr("ループの継ぎ目: %1 %2")
                                      .arg(QString::fromStdString(SeamCostNumber(seam->Cost)),
                                           SeamQualityWord(seam->Quality)));
}

bool TLoopEditController::ZoomSeamView(bool In)
{
    if (!FParts.SeamView->hasFocus())
        return false;
    In ? FParts.SeamView->ZoomIn() : FParts.SeamView->ZoomOut();
    return true;
}
