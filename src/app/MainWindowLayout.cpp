// The main window as its form lays it out: components and their settings, the
// main menu, the toolbar, the wave list's columns, the four file dialogs and
// the keys of the commands. Behaviour lives in MainWindow.cpp and its
// companions; the views' pop-up menus in MainWindowPopups.cpp.

#include "app/MainWindow.h"

#include "app/Version.h"
#include "playback/LowLVPCM.h"
#include "view/GraphImage.h"
#include "view/ScrolledGraphImage.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

// The toolbar images, by image index.
const char* const kIconFiles[] = {
    "new", "open", "save", "export", "add-wave", "delete-wave", "move-up", "move-down",
    "view-all", "zoom-in", "zoom-out", "loop-start", "loop-end", "loop-clear", "play", "stop",
};

QIcon ImageListIcon(int Image)
{
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(kIconFiles[Image])));
}

struct TColumn {
    const char* Title;
    int Width;
    int MinWidth;
};
const TColumn kColumns[] = {
    {"ファイル名", 150, 100}, {"周波数(Hz)", 80, 60}, {"長さ(msec)", 80, 60},
    {"サンプル数", 80, 60},   {"ループ始点", 80, 60}, {"ループ終点", 80, 60},
};

} // namespace

QAction* TMainForm::NewAction(const char* Name, const QString& Caption, const QString& Hint, int Image,
                              void (TMainForm::*Handler)())
{
    auto* action = new QAction(Caption, this);
    action->setObjectName(QLatin1String(Name));
    if (!Hint.isEmpty())
        action->setToolTip(Hint);
    if (Image >= 0)
        action->setIcon(ImageListIcon(Image));
    if (Handler)
        connect(action, &QAction::triggered, this, [this, Handler] { RunCommand([this, Handler] { (this->*Handler)(); }); });
    return action;
}

void TMainForm::CreateActions()
{
    MainMenu1_New = NewAction("MainMenu1_New", "新規作成(&N)", "新規作成", 0, &TMainForm::MainMenu1_NewClick);
    MainMenu1_OpenKSD = NewAction("MainMenu1_OpenKSD", "KSDを開く(&L)...", "KSDを開く", 1, &TMainForm::MainMenu1_OpenKSDClick);
    MainMenu1_OverwriteKSD = NewAction("MainMenu1_OverwriteKSD", "KSDを上書き保存(&S)...", "KSDを上書き保存", 2,
                                       &TMainForm::MainMenu1_OverwriteKSDClick);
    MainMenu1_SaveAsKSD = NewAction("MainMenu1_SaveAsKSD", "KSDを名前をつけて保存(&A)...", "KSDを名前をつけて保存", -1,
                                    &TMainForm::MainMenu1_SaveAsKSDClick);
    MainMenu1_ExportVBK = NewAction("MainMenu1_ExportVBK", "VBKのエクスポート(&E)...", "VBKのエクスポート", 3,
                                    &TMainForm::MainMenu1_ExportVBKClick);
    MainMenu1_Exit = NewAction("MainMenu1_Exit", "終了(&X)", {}, -1, &TMainForm::MainMenu1_ExitClick);
    MainMenu1_AddWave = NewAction("MainMenu1_AddWave", "wav追加(&A)...", "wav追加", 4, &TMainForm::MainMenu1_AddWaveClick);
    MainMenu1_DeleteWave = NewAction("MainMenu1_DeleteWave", "wav削除(&D)...", "wav削除", 5, &TMainForm::MainMenu1_DeleteWaveClick);
    MainMenu1_MoveUp = NewAction("MainMenu1_MoveUp", "上に移動(&U)", "上に移動", 6, &TMainForm::MainMenu1_MoveUpClick);
    MainMenu1_MoveDown = NewAction("MainMenu1_MoveDown", "下に移動(&D)", "下に移動", 7, &TMainForm::MainMenu1_MoveDownClick);
    MainMenu1_LoopStart = NewAction("MainMenu1_LoopStart", "ループ始点(&S)", "ループ始点", 11, &TMainForm::MainMenu1_LoopStartClick);
    MainMenu1_LoopEnd = NewAction("MainMenu1_LoopEnd", "ループ終点(&E)", "ループ終点", 12, &TMainForm::MainMenu1_LoopEndClick);
    MainMenu1_LoopClear = NewAction("MainMenu1_LoopClear", "ループクリア(&C)", "ループクリア", 13, &TMainForm::MainMenu1_LoopClearClick);
    MainMenu1_ViewAll = NewAction("MainMenu1_ViewAll", "全体表示(&A)", "全体表示", 8, &TMainForm::MainMenu1_ViewAllClick);
    MainMenu1_ZoomIn = NewAction("MainMenu1_ZoomIn", "ズームイン(&I)", "ズームイン", 9, &TMainForm::MainMenu1_ZoomInClick);
    MainMenu1_ZoomOut = NewAction("MainMenu1_ZoomOut", "ズームアウト(&O)", "ズームアウト", 10, &TMainForm::MainMenu1_ZoomOutClick);
    MainMenu1_PlayStart = NewAction("MainMenu1_PlayStart", "再生(&P)", "再生", 14, &TMainForm::MainMenu1_PlayStartClick);
    MainMenu1_PlsyStop = NewAction("MainMenu1_PlsyStop", "停止(&S)", "停止", 15, &TMainForm::MainMenu1_PlayStopClick);
    MainMenu1_About = NewAction("MainMenu1_About", "バージョン情報(&A)...", {}, -1, &TMainForm::MainMenu1_AboutClick);

    // The fixed spans of the detail view, in seconds as numerator/denominator.
    struct TSpan {
        const char* Name;
        const char* Caption;
        int32_t Numerator;
        int32_t Denominator;
    };
    const TSpan spans[] = {
        {"MainMenu1_View10ms", "0.01秒表示(&1)", 10, 1000}, {"MainMenu1_View50ms", "0.05秒表示(&2)", 50, 1000},
        {"MainMenu1_View100ms", "0.1秒表示(&3)", 100, 1000}, {"MainMenu1_View500ms", "0.5秒表示(&4)", 500, 1000},
        {"MainMenu1_View1sec", "1秒表示(&5)", 1, 1},          {"MainMenu1_View5sec", "5秒表示(&6)", 5, 1},
    };
    for (const TSpan& span : spans) {
        QAction* action = NewAction(span.Name, QString::fromUtf8(span.Caption), {}, -1, nullptr);
        connect(action, &QAction::triggered, this, [this, span] {
            RunCommand([this, span] { ViewSpan(span.Numerator, span.Denominator); });
        });
        FViewSpanActions.push_back(action);
    }
}

void TMainForm::CreateMenus()
{
    QMenu* file = menuBar()->addMenu("ファイル(&F)");
    file->setObjectName("MainMenu1_File");
    file->addActions({MainMenu1_New, MainMenu1_OpenKSD});
    MainMenu1_Recent = file->addMenu("最近使ったファイル(&R)");
    MainMenu1_Recent->setObjectName("MainMenu1_Recent");
    file->addSeparator();
    file->addActions({MainMenu1_OverwriteKSD, MainMenu1_SaveAsKSD});
    file->addSeparator();
    file->addAction(MainMenu1_ExportVBK);
    file->addSeparator();
    file->addAction(MainMenu1_Exit);

    MainMenu1_Edit = menuBar()->addMenu("編集(&E)");
    MainMenu1_Edit->setObjectName("MainMenu1_Edit");
    MainMenu1_Edit->addActions({MainMenu1_Undo, MainMenu1_Redo});
    MainMenu1_Edit->addSeparator();
    MainMenu1_Edit->addActions({MainMenu1_AddWave, MainMenu1_DeleteWave});
    MainMenu1_Edit->addSeparator();
    MainMenu1_Edit->addActions({MainMenu1_MoveUp, MainMenu1_MoveDown});
    MainMenu1_Edit->addSeparator();
    MainMenu1_Edit->addActions({MainMenu1_LoopStart, MainMenu1_LoopEnd, MainMenu1_LoopClear});

    QMenu* view = menuBar()->addMenu("表示(&V)");
    view->setObjectName("MainMenu1_View");
    view->addAction(MainMenu1_ViewAll);
    view->addSeparator();
    view->addActions({MainMenu1_ZoomIn, MainMenu1_ZoomOut});
    view->addSeparator();
    for (QAction* span : FViewSpanActions)
        view->addAction(span);

    QMenu* play = menuBar()->addMenu("演奏(&P)");
    play->setObjectName("MainMenu1_Play");
    play->addActions({MainMenu1_PlayStart, MainMenu1_PlsyStop});

    QMenu* help = menuBar()->addMenu("ヘルプ(&H)");
    help->setObjectName("MainMenu1_Help");
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
        {nullptr, nullptr},                         {"ToolButton_Play", MainMenu1_PlayStart},
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
        button->setFixedWidth(26);
    }
}

void TMainForm::CreateWidgets()
{
    WaveListView = new QTableWidget(0, static_cast<int>(std::size(kColumns)));
    WaveListView->setObjectName("WaveListView");
    WaveListView->setMinimumHeight(32);
    WaveListView->setShowGrid(true);
    WaveListView->setSelectionMode(QAbstractItemView::SingleSelection);
    WaveListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    WaveListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    WaveListView->verticalHeader()->hide();
    // Rows as high as the font, so the list shows all the rows its height holds.
    WaveListView->verticalHeader()->setMinimumSectionSize(1);
    WaveListView->verticalHeader()->setDefaultSectionSize(WaveListView->fontMetrics().height() + 2);
    WaveListView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    WaveListView->horizontalHeader()->setHighlightSections(false);
    WaveListView->horizontalHeader()->setMinimumSectionSize(60);
    for (int c = 0; c < static_cast<int>(std::size(kColumns)); ++c) {
        WaveListView->setHorizontalHeaderItem(c, new QTableWidgetItem(QString::fromUtf8(kColumns[c].Title)));
        WaveListView->setColumnWidth(c, kColumns[c].Width);
    }
    // Keep each column at least as wide as its minimum.
    connect(WaveListView->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int c, int, int size) {
        if (c >= 0 && c < static_cast<int>(std::size(kColumns)) && size < kColumns[c].MinWidth)
            WaveListView->setColumnWidth(c, kColumns[c].MinWidth);
    });
    connect(WaveListView, &QTableWidget::itemSelectionChanged, this, [this] {
        if (!FSelectingFromCode)
            RunCommand([this] { WaveListViewClick(); });
    });
    connect(WaveListView, &QTableWidget::cellClicked, this, [this] { RunCommand([this] { WaveListViewClick(); }); });

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

    Splitter2 = new QSplitter(Qt::Vertical);
    Splitter2->setObjectName("Splitter2");
    Splitter2->setHandleWidth(3);
    Splitter2->setChildrenCollapsible(false);
    Splitter2->addWidget(AllWaveGraphImage);
    // The detail view scrolls and zooms through the wave; the span it asks
    // for is remembered in the wave like any other.
    auto* detailPane = new TScrolledGraphImage(PartWaveGraphImage);
    connect(detailPane, &TScrolledGraphImage::OnViewRequest, this, [this](int32_t Start, int32_t End) {
        RunCommand([this, Start, End] {
            if (TWaveInfo* wave = SelectedWave())
                StoreAndShowView(*wave, Start, End);
        });
    });
    Splitter2->addWidget(detailPane);
    Splitter2->setStretchFactor(0, 0);
    Splitter2->setStretchFactor(1, 1);
    Splitter2->setSizes({72, 200});

    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setObjectName("Splitter1");
    Splitter1->setHandleWidth(2);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(WaveListView);
    Splitter1->addWidget(Splitter2);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({100, 275});
    setCentralWidget(Splitter1);

    // The status bar shows the loop's seam cost: as high as its text needs.
    statusBar()->setObjectName("StatusBar1");

    CursorTimer = new QTimer(this);
    CursorTimer->setObjectName("CursorTimer");
    CursorTimer->setInterval(20);
    connect(CursorTimer, &QTimer::timeout, this, [this] { RunCommand([this] { CursorTimerTimer(); }); });

    WaveOpenDialog = {TFileDialog::TKind::OpenMany, "waveファイル(*.wav);;すべてのファイル(*)", {}, {}};
    KSDOpenDialog = {TFileDialog::TKind::Open, "ksdファイル(*.ksd);;すべてのファイル(*)", {}, {}};
    KSDSaveDialog = {TFileDialog::TKind::Save, "KSDファイル(*.ksd);;すべてのファイル(*)", "ksd", {}};
    ExportVBKDialog = {TFileDialog::TKind::Save, "VBKファイル(*.vbk);;すべてのファイル(*)", "vbk", {}};

    VersionForm = new TVersionForm(this);
}
