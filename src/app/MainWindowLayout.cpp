// The main window as its form lays it out: components and their settings, the
// main menu, the toolbar, the views' pop-up menus and the four file dialogs,
// and the wiring of the commands to the parts that carry them out.

#include "app/MainWindow.h"

#include "app/CrossFadeControl.h"
#include "app/CursorKeys.h"
#include "app/LanguageMenu.h"
#include "app/LoopEditController.h"
#include "app/LoopsOfMany.h"
#include "app/PlaybackController.h"
#include "app/PositionReadout.h"
#include "app/ResourceIcon.h"
#include "app/SoundFiles.h"
#include "app/UserGuide.h"
#include "app/Version.h"
#include "app/ViewPopupMenu.h"
#include "app/WaveListModel.h"
#include "app/WaveTable.h"
#include "app/WaveViews.h"
#include "view/GraphImage.h"
#include "view/ScrolledGraphImage.h"
#include "view/SeamView.h"
#include "view/TimeRuler.h"

#include <QAction>
#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>

namespace {

// The toolbar images, by image index.
const char* const kIconFiles[] = {
    "new", "open", "save", "export", "add-wave", "delete-wave", "move-up", "move-down",
    "view-all", "zoom-in", "zoom-out", "loop-start", "loop-end", "loop-clear", "play", "stop",
};

QIcon ImageListIcon(int Image)
{
    return ResourceIcon(QLatin1String(kIconFiles[Image]));
}

// Body with Strip beside it (Direction: TopToBottom puts it above, RightToLeft
// to the right), at the strip's natural size.
QWidget* StripBeside(QWidget* Strip, QWidget* Body, QBoxLayout::Direction Direction, Qt::Alignment StripAlignment = {})
{
    auto* pair = new QWidget;
    auto* layout = new QBoxLayout(Direction, pair);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Strip, 0, StripAlignment);
    layout->addWidget(Body, 1);
    return pair;
}

} // namespace

QAction* TMainForm::NewAction(const char* Name, const QString& Caption, const QString& Hint, int Image,
                              std::function<void()> Handler)
{
    auto* action = new QAction(Caption, this);
    action->setObjectName(QLatin1String(Name));
    if (!Hint.isEmpty())
        action->setToolTip(Hint);
    if (Image >= 0)
        action->setIcon(ImageListIcon(Image));
    if (Handler)
        connect(action, &QAction::triggered, this, [this, Handler] { RunCommand(Handler); });
    return action;
}

void TMainForm::CreateActions()
{
    const auto loops = [this] { return FLoops; };
    MainMenu1_New = NewAction("MainMenu1_New", tr("新規作成(&N)"), tr("新規作成"), 0, [this] { MainMenu1_NewClick(); });
    MainMenu1_OpenKSD = NewAction("MainMenu1_OpenKSD", tr("KSDを開く(&L)..."), tr("KSDを開く"), 1,
                                  [this] { MainMenu1_OpenKSDClick(); });
    MainMenu1_OverwriteKSD = NewAction("MainMenu1_OverwriteKSD", tr("KSDを上書き保存(&S)..."), tr("KSDを上書き保存"), 2,
                                       [this] { MainMenu1_OverwriteKSDClick(); });
    MainMenu1_SaveAsKSD = NewAction("MainMenu1_SaveAsKSD", tr("KSDを名前をつけて保存(&A)..."),
                                    tr("KSDを名前をつけて保存"), -1, [this] { SaveKSDAs(); });
    MainMenu1_ExportVBK = NewAction("MainMenu1_ExportVBK", tr("VBKのエクスポート(&E)..."), tr("VBKのエクスポート"), 3,
                                    [this] { MainMenu1_ExportVBKClick(); });
    MainMenu1_Exit = NewAction("MainMenu1_Exit", tr("終了(&X)"), {}, -1, [this] { close(); });
    MainMenu1_Undo = NewAction("MainMenu1_Undo", tr("元に戻す(&U)"), {}, -1, [this] { FModel->UndoStack().undo(); });
    MainMenu1_Redo = NewAction("MainMenu1_Redo", tr("やり直し(&R)"), {}, -1, [this] { FModel->UndoStack().redo(); });
    MainMenu1_AddWave = NewAction("MainMenu1_AddWave", tr("wav追加(&A)..."), tr("wav追加"), 4,
                                  [this] { MainMenu1_AddWaveClick(); });
    // The row after the deleted one, if any, is selected in its place.
    MainMenu1_DeleteWave = NewAction("MainMenu1_DeleteWave", tr("wav削除(&D)..."), tr("wav削除"), 5, [this] {
        const int32_t i = WaveListView->SelectedIndex();
        FModel->DeleteWave(i);
        if (i >= 0 && i < FModel->Count())
            SelectWave(i);
    });
    MainMenu1_MoveUp = NewAction("MainMenu1_MoveUp", tr("上に移動(&U)"), tr("上に移動"), 6, [this] {
        const int32_t i = WaveListView->SelectedIndex();
        FModel->MoveWave(i, i - 1);
    });
    MainMenu1_MoveDown = NewAction("MainMenu1_MoveDown", tr("下に移動(&D)"), tr("下に移動"), 7, [this] {
        const int32_t i = WaveListView->SelectedIndex();
        FModel->MoveWave(i, i + 1);
    });
    MainMenu1_LoopStart = NewAction("MainMenu1_LoopStart", tr("ループ始点(&S)"), tr("ループ始点"), 11,
                                    [loops] { loops()->ChangeLoopPointAtCursor(true); });
    MainMenu1_LoopEnd = NewAction("MainMenu1_LoopEnd", tr("ループ終点(&E)"), tr("ループ終点"), 12,
                                  [loops] { loops()->ChangeLoopPointAtCursor(false); });
    MainMenu1_LoopClear = NewAction("MainMenu1_LoopClear", tr("ループクリア(&C)"), tr("ループクリア"), 13,
                                    [loops] { loops()->RemoveLoop(); });
    // With several rows selected, each of their waves gets its loop.
    MainMenu1_FindLoop = NewAction("MainMenu1_FindLoop", tr("ループを自動検出(&F)"), tr("ループを自動検出"), -1, [this] {
        if (const std::vector<int32_t> rows = WaveListView->SelectedIndices(); rows.size() > 1)
            FindLoopsOfMany(*FModel, rows, *FPrompter, this);
        else
            FLoops->FindLoop(nullptr, false);
    });
    MainMenu1_FindLoopWide = NewAction("MainMenu1_FindLoopWide", tr("ループ終点を広く検索(&W)"), {}, -1,
                                       [loops] { loops()->FindLoop(nullptr, true); });
    MainMenu1_AutoFade = NewAction("MainMenu1_AutoFade", tr("クロスフェードを自動設定(&X)"), {}, -1,
                                   [loops] { loops()->SetAutomaticFade(); });
    MainMenu1_SnapToZero = NewAction("MainMenu1_SnapToZero", tr("ゼロクロスに合わせる(&Z)"), tr("ゼロクロスに合わせる"), -1, {});
    MainMenu1_SnapToZero->setIcon(ResourceIcon("snap-zero"));
    MainMenu1_TimeInSamples = NewAction("MainMenu1_TimeInSamples", tr("サンプル単位で表示(&M)"), {}, -1, {});
    MainMenu1_ViewAll = NewAction("MainMenu1_ViewAll", tr("全体表示(&A)"), tr("全体表示"), 8, [this] { FViews->ShowWholeWave(); });
    MainMenu1_ZoomIn = NewAction("MainMenu1_ZoomIn", tr("ズームイン(&I)"), tr("ズームイン"), 9, [this] {
        if (!FLoops->ZoomSeamView(true))
            FViews->ZoomIn();
    });
    MainMenu1_ZoomOut = NewAction("MainMenu1_ZoomOut", tr("ズームアウト(&O)"), tr("ズームアウト"), 10, [this] {
        if (!FLoops->ZoomSeamView(false))
            FViews->ZoomOut();
    });
    MainMenu1_PlayStart = NewAction("MainMenu1_PlayStart", tr("再生(&P)"), tr("再生"), 14, [this] { FPlayback->Play(SelectedWave()); });
    MainMenu1_PlayFromCursor = NewAction("MainMenu1_PlayFromCursor", tr("カーソルから再生(&C)"), {}, -1, [this] {
        FPlayback->Play(SelectedWave(), FViews->ShownCursor().value_or(0));
    });
    MainMenu1_Audition = NewAction("MainMenu1_Audition", tr("継ぎ目を試聴(&J)"), tr("継ぎ目を試聴"), -1,
                                   [this] { FPlayback->Audition(SelectedWave()); });
    MainMenu1_Audition->setIcon(ResourceIcon("audition"));
    MainMenu1_PlsyStop = NewAction("MainMenu1_PlsyStop", tr("停止(&S)"), tr("停止"), 15, [this] { FPlayback->Stop(); });
    MainMenu1_About = NewAction("MainMenu1_About", tr("バージョン情報(&A)..."), {}, -1, [this] { FPrompter->ShowModal(*VersionForm); });

    // The fixed spans of the detail view, in seconds as numerator/denominator.
    struct TSpan {
        const char* Name;
        const char* Caption;
        int32_t Numerator;
        int32_t Denominator;
    };
    const TSpan spans[] = {
        {"MainMenu1_View10ms", QT_TR_NOOP("0.01秒表示(&1)"), 10, 1000}, {"MainMenu1_View50ms", QT_TR_NOOP("0.05秒表示(&2)"), 50, 1000},
        {"MainMenu1_View100ms", QT_TR_NOOP("0.1秒表示(&3)"), 100, 1000}, {"MainMenu1_View500ms", QT_TR_NOOP("0.5秒表示(&4)"), 500, 1000},
        {"MainMenu1_View1sec", QT_TR_NOOP("1秒表示(&5)"), 1, 1},          {"MainMenu1_View5sec", QT_TR_NOOP("5秒表示(&6)"), 5, 1},
    };
    for (const TSpan& span : spans)
        FViewSpanActions.push_back(NewAction(span.Name, tr(span.Caption), {}, -1, [this, span] {
            FViews->ShowSeconds(span.Numerator, span.Denominator);
        }));
}
void TMainForm::CreateMenus()
{
    QMenu* file = menuBar()->addMenu(tr("ファイル(&F)"));
    file->setObjectName("MainMenu1_File");
    file->addActions({MainMenu1_New, MainMenu1_OpenKSD});
    MainMenu1_Recent = file->addMenu(tr("最近使ったファイル(&R)"));
    MainMenu1_Recent->setObjectName("MainMenu1_Recent");
    file->addSeparator();
    file->addActions({MainMenu1_OverwriteKSD, MainMenu1_SaveAsKSD});
    file->addSeparator();
    file->addAction(MainMenu1_ExportVBK);
    file->addSeparator();
    file->addAction(MainMenu1_Exit);

    MainMenu1_Edit = menuBar()->addMenu(tr("編集(&E)"));
    MainMenu1_Edit->setObjectName("MainMenu1_Edit");
    MainMenu1_Edit->addActions({MainMenu1_Undo, MainMenu1_Redo});
    MainMenu1_Edit->addSeparator();
    MainMenu1_Edit->addActions({MainMenu1_AddWave, MainMenu1_DeleteWave});
    MainMenu1_Edit->addSeparator();
    MainMenu1_Edit->addActions({MainMenu1_MoveUp, MainMenu1_MoveDown});
    MainMenu1_Edit->addSeparator();
    MainMenu1_Edit->addActions({MainMenu1_LoopStart, MainMenu1_LoopEnd, MainMenu1_LoopClear});
    MainMenu1_Edit->addMenu(FCursorKeys->Menu());
    MainMenu1_Edit->addSeparator();
    MainMenu1_Edit->addActions({MainMenu1_FindLoop, MainMenu1_FindLoopWide, MainMenu1_AutoFade, MainMenu1_SnapToZero});

    QMenu* view = menuBar()->addMenu(tr("表示(&V)"));
    view->setObjectName("MainMenu1_View");
    view->addAction(MainMenu1_ViewAll);
    view->addSeparator();
    view->addActions({MainMenu1_ZoomIn, MainMenu1_ZoomOut});
    view->addSeparator();
    for (QAction* span : FViewSpanActions)
        view->addAction(span);
    view->addSeparator();
    view->addAction(MainMenu1_TimeInSamples);
    auto* language = new TLanguageMenu(view);
    view->addMenu(language);
    connect(language, &TLanguageMenu::Chosen, this,
            [this] { statusBar()->showMessage(tr("表示言語は次回の起動から切り替わります")); });

    QMenu* play = menuBar()->addMenu(tr("演奏(&P)"));
    play->setObjectName("MainMenu1_Play");
    play->addActions({MainMenu1_PlayStart, MainMenu1_PlayFromCursor, MainMenu1_Audition, MainMenu1_PlsyStop});

    QMenu* help = menuBar()->addMenu(tr("ヘルプ(&H)"));
    help->setObjectName("MainMenu1_Help");
    help->addAction(NewAction("MainMenu1_Guide", tr("使い方(&H)..."), {}, -1, [this] { ShowUserGuide(this); }));
    help->addSeparator();
    help->addAction(MainMenu1_About);
}

void TMainForm::CreateToolBar()
{
    ToolBar1 = addToolBar("ToolBar1");
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setFixedHeight(27);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);

    // Buttons by name and the menu item each is bound to; null is a separator.
    const std::pair<const char*, QAction*> buttons[] = {
        {"ToolButton_New", MainMenu1_New},          {"ToolButton_OpenKSD", MainMenu1_OpenKSD},
        {nullptr, nullptr},                         {"ToolButton_SaveKSD", MainMenu1_OverwriteKSD},
        {nullptr, nullptr},                         {"ToolButton_ExportVBK", MainMenu1_ExportVBK},
        {nullptr, nullptr},                         {"ToolButton_AddWave", MainMenu1_AddWave},
        {"ToolButton_DeleteWave", MainMenu1_DeleteWave}, {nullptr, nullptr},
        {"ToolButton_MoveUp", MainMenu1_MoveUp},    {"ToolButton_MoveDown", MainMenu1_MoveDown},
        {nullptr, nullptr},                         {"ToolButton_ViewAll", MainMenu1_ViewAll},
        {"ToolButton_ZoomIn", MainMenu1_ZoomIn},    {"ToolButton_ZoomOut", MainMenu1_ZoomOut},
        {nullptr, nullptr},                         {"ToolButton_LoopStart", MainMenu1_LoopStart},
        {"ToolButton_LoopEnd", MainMenu1_LoopEnd},  {"ToolButton_LoopClear", MainMenu1_LoopClear},
        {"ToolButton_SnapToZero", MainMenu1_SnapToZero}, {nullptr, nullptr},
        {"ToolButton_Play", MainMenu1_PlayStart},   {"ToolButton_Audition", MainMenu1_Audition},
        {"ToolButton_Stop", MainMenu1_PlsyStop},
    };
    for (const auto& [name, action] : buttons) {
        if (!action) {
            ToolBar1->addSeparator();
            continue;
        }
        ToolBar1->addAction(action);
        QWidget* button = ToolBar1->widgetForAction(action);
        button->setObjectName(QLatin1String(name));
        if (action != MainMenu1_SnapToZero) // the form's buttons are fixed
            button->setFixedWidth(26);
    }
}

void TMainForm::CreateWidgets()
{
    WaveListView = new TWaveTable(*FModel);

    const auto makeView = [](const char* name, int minHeight) {
        auto* view = new TGraphImage;
        view->setObjectName(QLatin1String(name));
        view->setMinimumHeight(minHeight);
        view->SetColor(TGraphImage::ButtonFace);
        view->SetCursor(0);
        view->SetCursorEnabled(false);
        return view;
    };
    AllWaveGraphImage = makeView("AllWaveGraphImage", 16);
    PartWaveGraphImage = makeView("PartWaveGraphImage", 16);
    SeamView = new TSeamView;
    SeamView->setObjectName("SeamView");
    SeamView->setMinimumHeight(16);

    Splitter2 = new QSplitter(Qt::Vertical);
    Splitter2->setObjectName("Splitter2");
    Splitter2->setHandleWidth(3);
    Splitter2->setChildrenCollapsible(false);
    Splitter2->addWidget(AllWaveGraphImage);
    // The detail view scrolls and zooms through the wave; the span it asks
    // for is remembered in the wave like any other.
    auto* detailPane = new TScrolledGraphImage(PartWaveGraphImage);
    connect(detailPane, &TScrolledGraphImage::OnViewRequest, this,
            [this](int32_t Start, int32_t End) { RunCommand([this, Start, End] { FViews->ShowSpan(Start, End); }); });
    // The time ruler lies right above the detail view, and the crossfade
    // right of the seam view that shows the join after it (in the toolbar
    // it would fall off the end at the window's first size).
    TimeRuler = new TTimeRuler(*PartWaveGraphImage);
    Splitter2->addWidget(StripBeside(TimeRuler, detailPane, QBoxLayout::TopToBottom));
    CrossFadeControl = new TCrossFadeControl;
    Splitter2->addWidget(StripBeside(CrossFadeControl, SeamView, QBoxLayout::RightToLeft, Qt::AlignTop));
    Splitter2->setStretchFactor(0, 0);
    Splitter2->setStretchFactor(1, 1);
    Splitter2->setStretchFactor(2, 0);
    Splitter2->setSizes({40, 130, 48}); // fits under the list's eight rows at the first size

    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setObjectName("Splitter1");
    Splitter1->setHandleWidth(2);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(WaveListView);
    Splitter1->addWidget(Splitter2);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    // The list starts with room for eight rows; the views take the rest.
    const int listHeight = WaveListView->horizontalHeader()->sizeHint().height() +
                           8 * WaveListView->verticalHeader()->defaultSectionSize() + 2 * WaveListView->frameWidth();
    Splitter1->setSizes({listHeight, 275});
    setCentralWidget(Splitter1);

    // The status bar shows the loop's seam cost, and whether the bank holds
    // the loop: as high as its text needs.
    statusBar()->setObjectName("StatusBar1");
    SeamCostLabel = new QLabel;
    SeamCostLabel->setObjectName("SeamCostLabel");
    statusBar()->addWidget(SeamCostLabel);
    BankLoopLabel = new QLabel;
    BankLoopLabel->setObjectName("BankLoopLabel");
    statusBar()->addWidget(BankLoopLabel);
    ReadoutLabel = new QLabel;
    ReadoutLabel->setObjectName("ReadoutLabel");
    statusBar()->addPermanentWidget(ReadoutLabel);

    const QString all = tr("すべてのファイル");
    WaveOpenDialog = {TFileDialog::TKind::OpenMany, SoundFileFilter(tr("サウンドファイル"), tr("waveファイル"), all), {}, {}};
    WaveLocateDialog = {TFileDialog::TKind::Open, WaveOpenDialog.Filter, {}, {}};
    KSDOpenDialog = {TFileDialog::TKind::Open, tr("ksdファイル(*.ksd);;すべてのファイル(*)"), {}, {}};
    KSDSaveDialog = {TFileDialog::TKind::Save, tr("KSDファイル(*.ksd);;すべてのファイル(*)"), "ksd", {}};
    ExportVBKDialog = {TFileDialog::TKind::Save, tr("VBKファイル(*.vbk);;すべてのファイル(*)"), "vbk", {},
                       tr("VBKファイルのエクスポート")};

    VersionForm = new TVersionForm(this);
}

// The controllers need the views and the actions they drive.
void TMainForm::CreateControllers(std::shared_ptr<TWaveOutDevice> Device)
{
    FViews = std::make_unique<TWaveViews>(AllWaveGraphImage, PartWaveGraphImage, *FPrompter, *FModel);
    FPlayback = new TPlaybackController(std::move(Device), *FViews, this);
    FPlayback->BindPlayKey(MainMenu1_PlayStart, MainMenu1_PlsyStop);
    connect(FPlayback, &TPlaybackController::PlayingChanged, this, [this](bool Playing) { SetPlayingState(Playing); });
    connect(FPlayback, &TPlaybackController::ErrorOccurred, this,
            [this](const QString& Title, const QString& Text) { FPrompter->ShowError(this, Title, Text); });
    FCursorKeys = new TCursorKeys(*FViews, this);
    // A click or drag in the overview takes the detail view there.
    connect(AllWaveGraphImage, &TGraphImage::OnMouseDown, this,
            [this](TGraphImage*, Qt::MouseButton Button, Qt::KeyboardModifiers, int X, int) {
                RunCommand([&] { FViews->OverviewPressed(Button, X); });
            });
    connect(AllWaveGraphImage, &TGraphImage::OnMouseMove, this,
            [this](TGraphImage*, Qt::KeyboardModifiers, int X, int) { RunCommand([&] { FViews->OverviewMoved(X); }); });
    connect(AllWaveGraphImage, &TGraphImage::OnMouseUp, this, [this] { FViews->OverviewReleased(); });
    FReadout = new TPositionReadout(*FModel, *FViews, *TimeRuler, *ReadoutLabel, *MainMenu1_TimeInSamples, this);
    FLoops = new TLoopEditController(
        *FModel, *FViews,
        {SeamView, SeamCostLabel, BankLoopLabel, MainMenu1_SnapToZero, WaveListView,
         [this] { return WaveListView->SelectedIndex(); }, CrossFadeControl, statusBar(), FPrompter.get()},
        this);
}

void TMainForm::CreatePopupMenus()
{
    // The list's own menu: the file of a missing wave is looked for here.
    auto* listMenu = new QMenu(this);
    listMenu->setObjectName("WaveListPopupMenu");
    QAction* locate = listMenu->addAction(tr("探す…"));
    locate->setObjectName("WaveListPopupMenu_Locate");
    connect(locate, &QAction::triggered, this, [this] { RunCommand([this] { LocateMissingWave(); }); });
    connect(listMenu, &QMenu::aboutToShow, this, [this, locate] {
        const TWaveInfo* wave = FModel->Wave(WaveListView->SelectedIndex());
        locate->setEnabled(wave && wave->IsMissing());
    });
    WaveListView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(WaveListView, &QWidget::customContextMenuRequested, this,
            [this, listMenu](const QPoint& At) { listMenu->popup(WaveListView->viewport()->mapToGlobal(At)); });

    const auto selected = [this] { return FModel->Wave(WaveListView->SelectedIndex()); };
    for (auto [view, prefix, enlarge, wholeWave] :
         {std::tuple{AllWaveGraphImage, "AGIPopupMenu", tr("選択範囲を別ウィンドウで拡大表示"), false},
          std::tuple{PartWaveGraphImage, "PGIPopupMenu", tr("選択範囲を拡大表示"), true}}) {
        auto* menu = new TViewPopupMenu(view, prefix, enlarge, wholeWave, selected, this);
        const auto item = [this](QAction* Action, std::function<void()> Handler) {
            if (Action)
                connect(Action, &QAction::triggered, this, [this, Handler] { RunCommand(Handler); });
        };
        item(menu->Enlarge, [this, view = view] { FViews->EnlargeSelection(view); });
        item(menu->WholeWave, [this] { FViews->ShowWholeWave(); });
        item(menu->ClearSelection, [this] { FViews->ClearSelections(); });
        item(menu->SetLoopStart, [this, view = view] { FLoops->ChangeLoopPoint(true, view->Cursor()); });
        item(menu->SetLoopEnd, [this, view = view] { FLoops->ChangeLoopPoint(false, view->Cursor()); });
        item(menu->SetLoop, [this, view = view] { FLoops->ChangeLoop(view->SelectStart(), view->SelectEnd()); });
        item(menu->ClearLoop, [this] { FLoops->RemoveLoop(); });
        item(menu->FindLoop, [this, view = view] { FLoops->FindLoop(view, false); });
        item(menu->Locate, [this] { LocateMissingWave(); });

        // The views' own mouse handling runs first; these follow it.
        connect(view, &TGraphImage::OnMouseDown, this,
                [this, view = view] { RunCommand([this, view] { FLoops->MouseDown(view); }); });
        connect(view, &TGraphImage::OnMouseUp, this, [this] { RunCommand([this] { FLoops->MouseUp(); }); });
        connect(view, &TGraphImage::OnMarkerMove, this,
                [this, view = view](TGraphImage*, Qt::KeyboardModifiers, TMarkerStatus* marker, int) {
                    RunCommand([this, view, marker] { FLoops->MarkerMoved(view, marker); });
                });
    }
}
