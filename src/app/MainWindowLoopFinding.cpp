// The main window's loop finding: the seam view and the seam cost in the
// status bar (with a word when the bank will not hold the loop), snapping
// loop points to zero crossings, and the automatic loop search of the Edit
// menu and the views' pop-up menus, all through the loop finder the
// command-line tool uses (LoopFinder.h).

#include "app/MainWindow.h"
#include "app/ProgramSettings.h"

#include "loop/LoopFinder.h"
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

constexpr const char* kSnapSetting = "Edit/SnapToZeroCrossings";

TLoopFinder FinderOf(const TWaveInfo& Wave) { return TLoopFinder(Wave.Samples(), Wave.SamplesPerSec()); }

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
    BankLoopLabel = new QLabel;
    BankLoopLabel->setObjectName("BankLoopLabel");
    statusBar()->addWidget(BankLoopLabel);

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
    BankLoopLabel->setText(wave && wave->Loop().DroppedByBank() ? kLoopFromZeroNotInBank : "");
    if (!wave || !wave->Loop().Plays()) {
        SeamView->SetSeam(nullptr, 0, 0);
        SeamCostLabel->clear();
        return;
    }
    SeamView->SetSeam(wave, wave->LoopStart(), wave->LoopEnd());
    const TSeamMeasure seam = FinderOf(*wave).Measure(wave->LoopStart(), wave->LoopEnd());
    SeamCostLabel->setText(QString::fromStdString("ループの継ぎ目: " + SeamCostText(seam.Cost)));
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
    return FinderOf(Wave).Snap(Position, Start ? Wave.LoopEnd() : Wave.LoopStart());
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
    const TGraphImage* selected = View                              ? View
                                  : PartWaveGraphImage->HasSelection() ? PartWaveGraphImage
                                                                       : AllWaveGraphImage;
    const TLoopFinder finder = FinderOf(*wave);
    const TFoundLoops found =
        selected->HasSelection() ? finder.LoopsIn(selected->SelectStart(), selected->SelectEnd(), {})
        : wave->Loop().Plays()   ? finder.BestEndsNear(wave->LoopStart(), wave->LoopEnd(),
                                                       Wide ? kWideRadiusMs : kNearRadiusMs, {})
                                 : finder.WholeWave({});
    // The loop found is where it is best: snapping must not move it.
    const QScopedValueRollback<bool> applying(FApplyingFoundLoop, true);
    ChangeLoop(found.Loops.front().Start, found.Loops.front().End);
}
