// The main window's loop finding: the seam view and the seam cost in the
// status bar, snapping loop points to zero crossings, and the automatic
// loop search of the Edit menu and the views' pop-up menus.

#include "app/MainWindow.h"
#include "app/ProgramSettings.h"

#include "common/Format.h"
#include "loop/AutoLoop.h"
#include "loop/ZeroCrossing.h"
#include "view/GraphImage.h"
#include "view/SeamView.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QScopedValueRollback>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>

namespace {

// How far a snapped loop point may move to reach a zero crossing.
constexpr double kSnapRadiusMs = 20.0;
// How far the automatic search looks for a better loop end around the
// current one, and how far the wider search does.
constexpr double kNearRadiusMs = 50.0;
constexpr double kWideRadiusMs = 500.0;
constexpr const char* kSnapSetting = "Edit/SnapToZeroCrossings";
constexpr const char* kNoLoopFound = "適切なループが見つかりません";

} // namespace

void TMainForm::CreateLoopFinding()
{
    SeamView = new TSeamView;
    SeamView->setObjectName("SeamView");
    SeamView->setMinimumHeight(16);
    Splitter2->addWidget(SeamView);
    Splitter2->setStretchFactor(2, 0);
    Splitter2->setSizes({72, 200, 72});

    SeamCostLabel = new QLabel;
    SeamCostLabel->setObjectName("SeamCostLabel");
    statusBar()->addWidget(SeamCostLabel);

    MainMenu1_FindLoop = NewAction("MainMenu1_FindLoop", "ループを自動検出(&F)", "ループを自動検出", -1, nullptr);
    connect(MainMenu1_FindLoop, &QAction::triggered, this, [this] { RunCommand([this] { FindLoop(nullptr, false); }); });
    MainMenu1_FindLoopWide = NewAction("MainMenu1_FindLoopWide", "ループ終点を広く検索(&W)", {}, -1, nullptr);
    connect(MainMenu1_FindLoopWide, &QAction::triggered, this, [this] { RunCommand([this] { FindLoop(nullptr, true); }); });
    MainMenu1_SnapToZero = NewAction("MainMenu1_SnapToZero", "ゼロクロスに合わせる(&Z)", "ゼロクロスに合わせる", -1, nullptr);
    MainMenu1_SnapToZero->setIcon(QIcon(":/icons/snap-zero.svg"));
    MainMenu1_SnapToZero->setCheckable(true);
    MainMenu1_SnapToZero->setChecked(ProgramSettings().value(kSnapSetting, false).toBool());
    connect(MainMenu1_SnapToZero, &QAction::toggled, this, [](bool On) { ProgramSettings().setValue(kSnapSetting, On); });

    MainMenu1_Edit->addSeparator();
    MainMenu1_Edit->addActions({MainMenu1_FindLoop, MainMenu1_FindLoopWide, MainMenu1_SnapToZero});
    // On the toolbar after the loop buttons, before the separator of the play buttons.
    const QList<QAction*> buttons = ToolBar1->actions();
    const qsizetype play = buttons.indexOf(MainMenu1_PlayStart);
    ToolBar1->insertAction(play > 0 ? buttons[play - 1] : nullptr, MainMenu1_SnapToZero);
    ToolBar1->widgetForAction(MainMenu1_SnapToZero)->setObjectName("ToolButton_SnapToZero");

    for (auto [menu, view, name] :
         {std::tuple{AllWaveGraphImagePopupMenu.Menu, AllWaveGraphImage, "AGIPopupMenu_FindLoop"},
          std::tuple{PartWaveGraphImagePopupMenu.Menu, PartWaveGraphImage, "PGIPopupMenu_FindLoop"}}) {
        menu->addSeparator();
        QAction* find = menu->addAction("ループを自動検出(&F)");
        find->setObjectName(QLatin1String(name));
        connect(find, &QAction::triggered, this, [this, view = view] { RunCommand([this, view] { FindLoop(view, false); }); });
        connect(menu, &QMenu::aboutToShow, this, [this, find] { find->setEnabled(SelectedWave() != nullptr); });
    }
    // Editing commands, disabled with the Edit menu while a wave plays.
    connect(MainMenu1_Edit->menuAction(), &QAction::changed, this, [this] {
        const bool editing = MainMenu1_Edit->menuAction()->isEnabled();
        for (QAction* action : {MainMenu1_FindLoop, MainMenu1_FindLoopWide, MainMenu1_SnapToZero})
            action->setEnabled(editing);
    });
}

// ---- The seam view and the seam cost ------------------------------------

void TMainForm::ShowSeam()
{
    const TWaveInfo* wave = PartWaveGraphImage->WaveInfo();
    if (!wave || wave->LoopEnd() <= wave->LoopStart()) {
        SeamView->SetSeam(nullptr, 0, 0);
        SeamCostLabel->clear();
        return;
    }
    SeamView->SetSeam(wave, wave->LoopStart(), wave->LoopEnd());
    const double cost = SeamCost(wave->Samples(), wave->LoopStart(), wave->LoopEnd(),
                                 SamplesOfMs(kDefaultSeamWindowMs, wave->SamplesPerSec()));
    SeamCostLabel->setText(
        QString::fromStdString(Format("ループの継ぎ目: %.4g %s", cost, SeamQualityName(SeamQualityOf(cost)))));
}

bool TMainForm::ZoomSeamView(bool In)
{
    if (!SeamView->hasFocus())
        return false;
    In ? SeamView->ZoomIn() : SeamView->ZoomOut();
    return true;
}

// ---- Snapping -----------------------------------------------------------

// Position moved to the nearest zero crossing of the slope of the other loop
// point (rising when that is not set), when snapping is on and there is one
// near; Position itself otherwise.
int32_t TMainForm::SnappedLoopPoint(const TWaveInfo& Wave, int32_t Position, bool Start) const
{
    if (!MainMenu1_SnapToZero->isChecked() || FApplyingFoundLoop)
        return Position;
    const int32_t other = Start ? Wave.LoopEnd() : Wave.LoopStart();
    const TSlope slope = other != 0 ? SlopeAt(Wave.Samples(), other) : TSlope::Rising;
    return NearestZeroCrossing(Wave.Samples(), Position, slope, SamplesOfMs(kSnapRadiusMs, Wave.SamplesPerSec()))
        .value_or(Position);
}

// ---- The automatic loop -------------------------------------------------

// Inside the selection of View (or of either view when View is null); else
// the best end near the loop end of a wave with a loop; else the automatic
// loop of the whole wave.
void TMainForm::FindLoop(const TGraphImage* View, bool Wide)
{
    TWaveInfo* wave = SelectedWave();
    if (!wave)
        return;
    const TSamples samples = wave->Samples();
    const int32_t rate = wave->SamplesPerSec();
    const TGraphImage* selected = View                              ? View
                                  : PartWaveGraphImage->HasSelection() ? PartWaveGraphImage
                                                                       : AllWaveGraphImage;
    std::vector<TLoopCandidate> found;
    if (selected->HasSelection()) {
        TAutoLoopOptions options;
        options.From = selected->SelectStart();
        options.To = selected->SelectEnd();
        options.FindSustainedPart = false;
        found = AutoLoops(samples, rate, options);
    } else if (wave->LoopEnd() > wave->LoopStart()) {
        TLoopSearchOptions options;
        options.TargetSample = wave->LoopEnd();
        options.RadiusSamples = SamplesOfMs(Wide ? kWideRadiusMs : kNearRadiusMs, rate);
        options.HalfWindowSamples = SamplesOfMs(kDefaultSeamWindowMs, rate);
        found = BestLoopEnds(samples, wave->LoopStart(), options);
    } else {
        found = AutoLoops(samples, rate, {});
    }
    if (found.empty())
        throw EVantrelError(kNoLoopFound);
    // The loop found is where it is best: snapping must not move it.
    const QScopedValueRollback<bool> applying(FApplyingFoundLoop, true);
    ChangeLoop(found.front().Start, found.front().End);
}
