// The window's layout and its document commands, answered by a scripted prompter.

#include "AppFixture.h"

#include "app/Version.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <filesystem>

using TAnswer = TPrompter::TAnswer;
// The document commands, the list and the window around them.
using MainWindowDocumentTest = AppTest;

namespace {

const QString kNoWave = "waveが登録されていません.";

} // namespace

TEST_F(MainWindowDocumentTest, LayoutCaptionsAndToolbar)
{
    EXPECT_EQ(Form->windowTitle(), "無題[*] - Vantrel");
    EXPECT_EQ(Form->size(), QSize(686, 441));
    const QStringList titles = {"ファイル名", "周波数(Hz)", "長さ(msec)", "サンプル数", "ループ始点", "ループ終点", "継ぎ目"};
    ASSERT_EQ(List()->model()->columnCount(), 7);
    QHeaderView& header = *List()->horizontalHeader();
    for (int c = 0; c < 7; ++c) {
        EXPECT_EQ(List()->model()->headerData(c, Qt::Horizontal).toString(), titles[c]);
        // Each title shows whole, and a column dragged narrower than its
        // title springs back to a width that still shows some of it.
        EXPECT_GE(List()->columnWidth(c), header.fontMetrics().horizontalAdvance(titles[c])) << c;
        const int before = List()->columnWidth(c);
        header.resizeSection(c, 5);
        EXPECT_GE(List()->columnWidth(c), 40) << c;
        header.resizeSection(c, before);
    }
    EXPECT_GT(Detail()->height(), Overview()->height());
    EXPECT_LT(Overview()->mapTo(Form.get(), QPoint()).y(), Detail()->mapTo(Form.get(), QPoint()).y());
    EXPECT_TRUE(Form->statusBar()->currentMessage().isEmpty());
    // The list shows eight rows at once at the first size, and the names
    // take the width the numbers leave.
    std::vector<std::string> eight;
    for (int i = 0; i < 8; ++i)
        eight.push_back(Wav("wave-with-a-long-name-" + std::to_string(i) + ".wav", 10));
    Add(eight);
    EXPECT_EQ(Form->size(), QSize(686, 441));
    EXPECT_TRUE(List()->viewport()->rect().contains(List()->visualRect(List()->model()->index(7, 0))));
    int numbers = 0;
    for (int c = 1; c < 7; ++c)
        numbers += List()->columnWidth(c);
    EXPECT_EQ(List()->columnWidth(0) + numbers, List()->viewport()->width());
    for (int c = 1; c < 7; ++c)
        EXPECT_GT(List()->columnWidth(0), List()->columnWidth(c)) << c;

    QStringList menus;
    for (QAction* menu : Form->menuBar()->actions())
        menus << menu->text();
    EXPECT_EQ(menus, QStringList({"ファイル(&F)", "編集(&E)", "表示(&V)", "演奏(&P)", "ヘルプ(&H)"}));
    EXPECT_EQ(Action("MainMenu1_SaveAsKSD")->text(), "KSDを名前をつけて保存(&A)...");
    EXPECT_EQ(Action("MainMenu1_View5sec")->text(), "5秒表示(&6)");
    EXPECT_EQ(Action("MainMenu1_PlsyStop")->text(), "停止(&S)");

    // Tool buttons in order, each bound to its menu item and showing its hint.
    const std::vector<std::pair<QString, QString>> buttons = {
        {"ToolButton_New", "MainMenu1_New"},        {"ToolButton_OpenKSD", "MainMenu1_OpenKSD"},
        {"ToolButton_SaveKSD", "MainMenu1_OverwriteKSD"}, {"ToolButton_ExportVBK", "MainMenu1_ExportVBK"},
        {"ToolButton_AddWave", "MainMenu1_AddWave"}, {"ToolButton_DeleteWave", "MainMenu1_DeleteWave"},
        {"ToolButton_MoveUp", "MainMenu1_MoveUp"},  {"ToolButton_MoveDown", "MainMenu1_MoveDown"},
        {"ToolButton_ViewAll", "MainMenu1_ViewAll"}, {"ToolButton_ZoomIn", "MainMenu1_ZoomIn"},
        {"ToolButton_ZoomOut", "MainMenu1_ZoomOut"}, {"ToolButton_LoopStart", "MainMenu1_LoopStart"},
        {"ToolButton_LoopEnd", "MainMenu1_LoopEnd"}, {"ToolButton_LoopClear", "MainMenu1_LoopClear"},
        {"ToolButton_SnapToZero", "MainMenu1_SnapToZero"}, {"ToolButton_Play", "MainMenu1_PlayStart"},
        {"ToolButton_Audition", "MainMenu1_Audition"}, {"ToolButton_Stop", "MainMenu1_PlsyStop"},
    };
    QToolBar* toolbar = Form->findChild<QToolBar*>("ToolBar1");
    int separators = 0;
    std::size_t next = 0;
    for (QAction* action : toolbar->actions()) {
        if (action->isSeparator()) {
            ++separators;
            continue;
        }
        ASSERT_LT(next, buttons.size());
        auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(action));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->objectName(), buttons[next].first);
        EXPECT_EQ(action->objectName(), buttons[next].second);
        EXPECT_FALSE(action->toolTip().isEmpty());
        // Drawn at the toolbar's size and twice that (the PNG icons of builds without SVG have both).
        for (int size : {16, 32})
            EXPECT_FALSE(action->icon().pixmap(size, size).isNull()) << action->objectName().toStdString() << size;
        ++next;
    }
    EXPECT_EQ(next, buttons.size());
    EXPECT_EQ(separators, 7);
    EXPECT_EQ(Action("MainMenu1_OverwriteKSD")->toolTip(), "KSDを上書き保存");
}

TEST_F(MainWindowDocumentTest, AddingThreeFilesSelectsAndShowsTheFirstOfThem)
{
    Add({Wav("a.wav", 100), Wav("b.wav", 200, 22050), Wav("c.wav", 300)});
    ASSERT_EQ(List()->model()->rowCount(), 3);
    EXPECT_EQ(RowTexts(1), (std::vector<QString>{"b.wav", "22050", "9", "200", "-", "-"}));
    EXPECT_EQ(SelectedRow(), 0);
    EXPECT_EQ(Overview()->WaveInfo(), Form->Document().GetWave(0));
    EXPECT_EQ(Detail()->WaveInfo(), Form->Document().GetWave(0));
    EXPECT_EQ(Overview()->ViewEnd(), 100);
    // Rows added below the list's height come into sight, the first of them selected.
    std::vector<std::string> more;
    for (int i = 0; i < 30; ++i)
        more.push_back(Wav("more" + std::to_string(i) + ".wav", 10));
    Add(more);
    EXPECT_EQ(SelectedRow(), 3);
    EXPECT_TRUE(List()->viewport()->rect().contains(List()->visualRect(List()->model()->index(3, 0))));
    EXPECT_FALSE(List()->viewport()->rect().contains(List()->visualRect(List()->model()->index(0, 0))));
    EXPECT_TRUE(Form->Modified());
    EXPECT_EQ(Prompter->Dialogs.back().Kind, TFileDialog::TKind::OpenMany);
    EXPECT_EQ(Prompter->Dialogs.back().Filter,
              "サウンドファイル(*.wav *.aif *.aiff *.aifc *.flac);;waveファイル(*.wav);;すべてのファイル(*)");
}

TEST_F(MainWindowDocumentTest, FailingAddKeepsEarlierFilesAndShowsTheFirst)
{
    const std::string missing = Dir.File("missing.wav");
    Add({Wav("a.wav", 100), Wav("b.wav", 50), missing, Wav("c.wav", 10)});
    EXPECT_EQ(TakeErrors(), std::vector<QString>{QString::fromStdString("ファイル「" + missing + "」を開けません.")});
    ASSERT_EQ(List()->model()->rowCount(), 2);
    EXPECT_EQ(SelectedRow(), 0);
    EXPECT_EQ(Detail()->WaveInfo(), Form->Document().GetWave(0));

    Prompter->Files.push_back({}); // cancelled dialog changes nothing
    Trigger("MainMenu1_AddWave");
    EXPECT_EQ(List()->model()->rowCount(), 2);
}

TEST_F(MainWindowDocumentTest, MoveUpAndDownSwapRowsAndStopAtTheEdges)
{
    Add({Wav("a.wav", 10), Wav("b.wav", 20), Wav("c.wav", 30)});
    ClickRow(0);
    MenuAt("MainMenu1_LoopEnd", 5);
    Trigger("MainMenu1_MoveUp");
    EXPECT_EQ(Cell(0, 0), "a.wav");
    Trigger("MainMenu1_MoveDown");
    EXPECT_EQ(SelectedRow(), 1);
    EXPECT_EQ(RowTexts(0), (std::vector<QString>{"b.wav", "44100", "0", "20", "-", "-"}));
    EXPECT_EQ(RowTexts(1), (std::vector<QString>{"a.wav", "44100", "0", "10", "-", "5"}));
    EXPECT_EQ(Detail()->WaveInfo()->WaveName(), "a.wav");
    ClickRow(2);
    Trigger("MainMenu1_MoveDown");
    EXPECT_EQ(Cell(2, 0), "c.wav");
    Trigger("MainMenu1_MoveUp");
    EXPECT_EQ(Cell(1, 0), "c.wav");
    EXPECT_EQ(Form->Document().GetWave(1)->WaveName(), "c.wav");
    EXPECT_EQ(SelectedRow(), 1);
}

TEST_F(MainWindowDocumentTest, DeleteEmptiesTheViewsAndTheSelection)
{
    Add({Wav("a.wav", 10), Wav("b.wav", 20)});
    ClickRow(1); // the last row: no row follows it into the selection
    Trigger("MainMenu1_DeleteWave");
    EXPECT_EQ(List()->model()->rowCount(), 1);
    EXPECT_EQ(Form->Document().Count(), 1);
    EXPECT_EQ(SelectedRow(), -1);
    EXPECT_EQ(Overview()->WaveInfo(), nullptr);
    EXPECT_EQ(Detail()->WaveInfo(), nullptr);
    Trigger("MainMenu1_DeleteWave"); // no row selected: nothing
    EXPECT_EQ(List()->model()->rowCount(), 1);
}

TEST_F(MainWindowDocumentTest, ExportWithoutWavesShowsTheMessageAndNoDialog)
{
    Trigger("MainMenu1_ExportVBK");
    EXPECT_EQ(TakeErrors(), std::vector<QString>{kNoWave});
    EXPECT_TRUE(Prompter->Dialogs.empty());
}

TEST_F(MainWindowDocumentTest, SaveQuestionBranchesOfNew)
{
    Add({Wav("a.wav", 10)});
    // Cancel: nothing changes.
    Prompter->Answers.push_back(TAnswer::Cancel);
    Trigger("MainMenu1_New");
    EXPECT_EQ(List()->model()->rowCount(), 1);
    EXPECT_TRUE(Form->Modified());
    EXPECT_EQ(Prompter->Questions.back(), "確認|KSDを保存しますか？");
    // Yes without a file name: the save-as dialog, cancelled, cancels New.
    Prompter->Answers.push_back(TAnswer::Yes);
    Prompter->Files.push_back({});
    Trigger("MainMenu1_New");
    EXPECT_EQ(List()->model()->rowCount(), 1);
    EXPECT_EQ(Prompter->Dialogs.back().Kind, TFileDialog::TKind::Save);
    EXPECT_EQ(Prompter->Dialogs.back().DefaultSuffix, "ksd");
    // No: the document is emptied and unmodified; New again does not ask.
    Prompter->Answers.push_back(TAnswer::No);
    Trigger("MainMenu1_New");
    EXPECT_EQ(List()->model()->rowCount(), 0);
    EXPECT_FALSE(Form->Modified());
    const std::size_t asked = Prompter->Questions.size();
    Trigger("MainMenu1_New");
    EXPECT_EQ(Prompter->Questions.size(), asked);
}

TEST_F(MainWindowDocumentTest, EmptiedDocumentIsNeverOfferedForSaving)
{
    Add({Wav("a.wav", 10)});
    Trigger("MainMenu1_DeleteWave");
    EXPECT_TRUE(Form->Modified());
    Trigger("MainMenu1_New");
    EXPECT_TRUE(Prompter->Questions.empty());
    EXPECT_TRUE(Form->close());
}

TEST_F(MainWindowDocumentTest, CloseQueryAsksAndHonoursEachAnswer)
{
    Add({Wav("a.wav", 10)});
    Prompter->Answers.push_back(TAnswer::Cancel);
    EXPECT_FALSE(Form->close());
    // Yes without a name, save-as cancelled: stays open, still modified.
    Prompter->Answers.push_back(TAnswer::Yes);
    Prompter->Files.push_back({});
    EXPECT_FALSE(Form->close());
    EXPECT_TRUE(Form->Modified());
    // Yes with a name whose folder does not exist: the message, window stays.
    const QString bad = QString::fromStdString(Dir.File("no/such/folder/list.ksd"));
    Prompter->Answers.push_back(TAnswer::Yes);
    Prompter->Files.push_back({bad});
    EXPECT_FALSE(Form->close());
    EXPECT_EQ(TakeErrors().size(), 1u);
    EXPECT_TRUE(Form->FileName().isEmpty());
    // Yes and a good name: saved, closes.
    const QString good = QString::fromStdString(Dir.File("list.ksd"));
    Prompter->Answers.push_back(TAnswer::Yes);
    Prompter->Files.push_back({good});
    EXPECT_TRUE(Form->close());
    EXPECT_EQ(Form->FileName(), good);
    EXPECT_FALSE(ReadBytes(good.toStdString()).empty());
}

TEST_F(MainWindowDocumentTest, SaveWritesTheFileAndClearsModified)
{
    Add({Wav("a.wav", 10)});
    const QString path = QString::fromStdString(Dir.File("saved.ksd"));
    Prompter->Files.push_back({path});
    Trigger("MainMenu1_OverwriteKSD"); // no name yet: asks for one
    EXPECT_FALSE(Form->Modified());
    EXPECT_EQ(Form->FileName(), path);
    Add({Wav("b.wav", 10)});
    Trigger("MainMenu1_OverwriteKSD"); // now writes without asking
    EXPECT_FALSE(Form->Modified());
    EXPECT_EQ(Prompter->Dialogs.size(), 3u);
    TKSD reread;
    reread.LoadFromFile(path.toStdString());
    EXPECT_EQ(reread.Count(), 2);
}

TEST_F(MainWindowDocumentTest, OpenShowsLoopColumnsAndFailingOpenEmptiesTheDocument)
{
    TKSD list;
    list.AddWave(Wav("plain.wav", 6000));
    list.AddWave(Wav("looped.wav", 6000));
    list.GetWave(1)->SetLoopEnd(5000);
    const std::string ksd = Dir.File("list.ksd");
    list.SaveToFile(ksd);

    Prompter->Files.push_back({QString::fromStdString(ksd)});
    Trigger("MainMenu1_OpenKSD");
    ASSERT_EQ(List()->model()->rowCount(), 2);
    EXPECT_EQ(Cell(0, 4), "-");
    EXPECT_EQ(Cell(0, 5), "-");
    EXPECT_EQ(Cell(1, 4), "0");
    EXPECT_EQ(Cell(1, 5), "5000");
    EXPECT_EQ(SelectedRow(), 0); // the first wave shows
    EXPECT_EQ(Detail()->WaveInfo(), Form->Document().GetWave(0));
    EXPECT_FALSE(Form->Modified());
    EXPECT_EQ(Form->FileName(), QString::fromStdString(ksd));

    ClickRow(1); // a looped wave shows its loop markers in both views
    for (TGraphImage* view : {Overview(), Detail()}) {
        EXPECT_TRUE(HasMarkerLine(*view, 0, kRedLine));
        EXPECT_TRUE(HasMarkerLine(*view, 5000, kGreenLine));
    }

    const std::string broken = Dir.File("broken.ksd");
    WriteBytes(broken, {'<', 'x'});
    Prompter->Files.push_back({QString::fromStdString(broken)});
    Trigger("MainMenu1_OpenKSD");
    EXPECT_EQ(TakeErrors().size(), 1u);
    EXPECT_EQ(List()->model()->rowCount(), 0);
    EXPECT_EQ(Form->Document().Count(), 0);
    EXPECT_TRUE(Form->FileName().isEmpty());
}

TEST_F(MainWindowDocumentTest, AHalfSetLoopSavedFromTheWindowOpensAgainAsItWasShown)
{
    Add({Wav("a.wav", 500)});
    Detail()->SetCursor(200);
    Trigger("MainMenu1_LoopStart");
    const std::vector<QString> shown = RowTexts(0);
    ASSERT_EQ(shown[5], "-");
    const QString path = QString::fromStdString(Dir.File("half.ksd"));
    Prompter->Files.push_back({path});
    Trigger("MainMenu1_SaveAsKSD");
    Prompter->Files.push_back({path});
    Trigger("MainMenu1_OpenKSD");
    EXPECT_EQ(TakeErrors(), std::vector<QString>{});
    ASSERT_EQ(List()->model()->rowCount(), 1);
    EXPECT_EQ(RowTexts(0), shown);
    EXPECT_EQ(Form->Document().GetWave(0)->LoopStart(), 200);
}

TEST_F(MainWindowDocumentTest, ExportAndSaveAsRefuseToWriteOverTheirOwnInputs)
{
    const std::string wave = Wav("a.wav", 10);
    Add({wave});
    const std::string list = Dir.File("list.ksd");
    Prompter->Files.push_back({QString::fromStdString(list)});
    Trigger("MainMenu1_SaveAsKSD");
    const std::vector<uint8_t> waveBytes = ReadBytes(wave), listBytes = ReadBytes(list);

    Prompter->Files.push_back({QString::fromStdString(list)});
    Trigger("MainMenu1_ExportVBK");
    Prompter->Files.push_back({QString::fromStdString(wave)});
    Trigger("MainMenu1_SaveAsKSD");
    const std::string same = "」は入力のファイル「";
    EXPECT_EQ(TakeErrors(),
              (std::vector<QString>{QString::fromStdString("出力先「" + list + same + list + "」と同じファイルです."),
                                    QString::fromStdString("KSDファイル(" + wave + ")を書けません: 出力先「" + wave +
                                                           same + wave + "」と同じファイルです.")}));
    EXPECT_EQ(ReadBytes(wave), waveBytes);
    EXPECT_EQ(ReadBytes(list), listBytes);
}

TEST_F(MainWindowDocumentTest, DropsTakeWavFilesInOrderAndOpenListFilesInAnyCase)
{
    DropFiles({Wav("a.wav", 10), Dir.File("notes.txt"), Wav("b.wav", 20), Wav("c.WAV", 30)});
    ASSERT_EQ(List()->model()->rowCount(), 3);
    EXPECT_EQ(SelectedRow(), 0);
    EXPECT_EQ(Detail()->WaveInfo(), Form->Document().GetWave(0));
    EXPECT_TRUE(Form->Modified());

    TKSD list;
    list.AddWave(Wav("d.wav", 40));
    const std::string ksd = Dir.File("LIST.KSD");
    list.SaveToFile(ksd);
    Prompter->Answers.push_back(TAnswer::No);
    DropFiles({ksd, Wav("e.wav", 50)});
    ASSERT_EQ(List()->model()->rowCount(), 2);
    EXPECT_EQ(Cell(0, 0), "d.wav");
    EXPECT_EQ(Cell(1, 0), "e.wav");
    EXPECT_TRUE(Form->Modified());
}

TEST_F(MainWindowDocumentTest, AddedFilesShowWhatTheyHeldAndTheirStoredLoop)
{
    const std::string wav = Dir.File("s.wav");
    WriteStereo24WithLoop(wav, 441, 10, 49);
    const std::string aif = Dir.File("s.aif"); // read by content, dropped by its suffix
    std::filesystem::copy_file(wav, aif);
    Add({wav});
    DropFiles({aif});
    ASSERT_EQ(List()->model()->rowCount(), 2);
    EXPECT_EQ(RowTexts(0), (std::vector<QString>{"s.wav (24-bit 2ch から変換)", "44100", "10", "441", "10", "50"}));
    EXPECT_EQ(RowTexts(1), (std::vector<QString>{"s.aif (24-bit 2ch から変換)", "44100", "10", "441", "10", "50"}));
}

TEST_F(MainWindowDocumentTest, AboutGoesThroughThePrompter)
{
    Trigger("MainMenu1_About");
    EXPECT_EQ(Prompter->Modals, 1);
}

TEST_F(MainWindowDocumentTest, TheListShowsRowsAtFontHeight)
{
    std::vector<std::string> files;
    for (int i = 0; i < 8; ++i)
        files.push_back(Wav(QString("w%1.wav").arg(i).toStdString(), 10));
    Add(files);
    const QRect viewport = List()->viewport()->rect();
    int whole = 0;
    for (int r = 0; r < List()->model()->rowCount(); ++r)
        whole += viewport.contains(List()->visualRect(List()->model()->index(r, 0)));
    EXPECT_GE(whole, (viewport.height() - 1) / (List()->fontMetrics().height() + 2)) << viewport.height();
    EXPECT_GE(whole, 4); // not the two and a half rows of the style's default height
}

TEST_F(MainWindowDocumentTest, AboutBoxShowsItsTextsWholeInAnyFont)
{
    const QFont font = QApplication::font();
    QFont large = font;
    large.setPixelSize(24);
    QApplication::setFont(large);
    TVersionForm about;
    QApplication::setFont(font);
    const auto* panel = about.findChild<QWidget*>("Panel1");
    for (const char* name : {"ProductName", "VersionLabel", "Copyright", "Label1"}) {
        const auto* label = about.findChild<QLabel*>(name);
        EXPECT_TRUE(panel->contentsRect().contains(label->geometry())) << name;
        EXPECT_GE(label->width(), label->sizeHint().width()) << name;
    }
    EXPECT_TRUE(about.rect().contains(panel->geometry()));
    EXPECT_TRUE(about.rect().contains(about.findChild<QWidget*>("OKButton")->geometry()));
    // No blank strip on the left: the program's icon stands there, beside the names.
    const auto* icon = about.findChild<QLabel*>("ProgramIcon");
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());
    EXPECT_LE(about.findChild<QLabel*>("ProductName")->x() - icon->geometry().right(), 12);
}
