// Opening a list whose waves moved: the question for each wave still missing,
// its three answers, and how the window shows what it did.

#include "AppFixture.h"

#include "document/KSD.h"

#include <QMenu>
#include <QStatusBar>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

enum { kLocate, kSkip, kAbort };

class MissingWaveTest : public AppTest {
protected:
    // A list of a.wav and b.wav written in the test's folder, whose waves were
    // then moved into "moved/".
    MissingWaveTest()
    {
        TKSD list;
        list.AddWave(Wav("a.wav", 3000));
        list.AddWave(Wav("b.wav", 4000));
        list.GetWave(1)->SetLoopEnd(3500);
        list.SaveToFile(Ksd);
        fs::create_directory(Dir.Path() / "moved");
        for (const char* name : {"a.wav", "b.wav"})
            fs::rename(Dir.Path() / name, Dir.Path() / "moved" / name);
    }
    // Opens the list; Located answers the file dialogs of 探す… in order.
    void Open(std::deque<int> Choices, const std::vector<QStringList>& Located = {})
    {
        Prompter->Choices = std::move(Choices);
        Prompter->Files.push_back({QString::fromStdString(Ksd)});
        Prompter->Files.insert(Prompter->Files.end(), Located.begin(), Located.end());
        Trigger("MainMenu1_OpenKSD");
    }
    std::string Moved(const char* Name) const { return (Dir.Path() / "moved" / Name).string(); }

    const std::string Ksd = Dir.File("list.ksd");
};

} // namespace

TEST_F(MissingWaveTest, LocatingOneFindsTheOthersInItsFolderAndMarksTheListModified)
{
    // A cancelled file dialog asks again.
    Open({kLocate, kLocate}, {{}, {QString::fromStdString(Moved("a.wav"))}});
    ASSERT_EQ(Prompter->Questions.size(), 2u); // a.wav twice, b.wav never
    EXPECT_TRUE(Prompter->Questions[0].contains(QString::fromStdString(Dir.File("a.wav"))));
    EXPECT_TRUE(Prompter->Questions[0].endsWith("|探す…,スキップ,中止"));
    EXPECT_EQ(Prompter->Dialogs.back().FileName.section('/', -1), "a.wav");
    ASSERT_EQ(List()->model()->rowCount(), 2);
    EXPECT_EQ(Wave(1).FilePath(), Moved("b.wav"));
    EXPECT_EQ(Cell(1, 5), "3500");
    EXPECT_TRUE(Form->Modified()); // saving writes the new paths
    EXPECT_TRUE(Prompter->Errors.empty());
}

TEST_F(MissingWaveTest, SkippedWavesStayMissingAreSavedAndRefusedByExport)
{
    Open({kSkip, kSkip});
    ASSERT_EQ(List()->model()->rowCount(), 2);
    EXPECT_EQ(RowTexts(1), (std::vector<QString>{"b.wav (見つかりません)", "-", "-", "-", "0", "3500"}));
    EXPECT_FALSE(Form->Modified());
    ClickRow(1); // shows nothing, and nothing breaks
    EXPECT_EQ(Detail()->WaveInfo(), nullptr);
    Trigger("MainMenu1_PlayStart");
    EXPECT_TRUE(TakeErrors().empty());

    Trigger("MainMenu1_OverwriteKSD");
    TKSD saved;
    EXPECT_THROW(saved.LoadFromFile(Ksd), Exception); // still missing, still listed
    Trigger("MainMenu1_ExportVBK"); // refused by name before any file dialog
    EXPECT_EQ(TakeErrors(), std::vector<QString>{QString::fromStdString("「" + Dir.File("a.wav") + "」が見つかりません.")});
}

TEST_F(MissingWaveTest, AbortLeavesTheWindowEmptyWithTheError)
{
    Open({kAbort});
    EXPECT_EQ(List()->model()->rowCount(), 0);
    const std::vector<QString> errors = TakeErrors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].contains("a.wav"));
}

// The locate dialog starts in the list's folder, and the status bar says
// why the list just opened counts as changed.
TEST_F(MissingWaveTest, LocatingStartsAtTheListAndTheStatusBarSaysWhatWasFoundWhere)
{
    Open({kLocate}, {{QString::fromStdString(Moved("a.wav"))}});
    EXPECT_EQ(Prompter->Dialogs.back().Folder, QString::fromStdString(Dir.Path().string()));
    EXPECT_EQ(Form->statusBar()->currentMessage(),
              QString("新しい場所で見つかった wav: 2 個 (%1)").arg(QString::fromStdString((Dir.Path() / "moved").string())));
}

// A wave that is there but damaged: the question names it and the reason;
// スキップ keeps its row as a missing one, saved as it was, 中止 opens nothing.
TEST_F(MissingWaveTest, AnUnreadableWaveCanBeSkippedOrAbortTheOpening)
{
    fs::rename(Dir.Path() / "moved" / "a.wav", Dir.Path() / "a.wav");
    WriteBytes(Dir.File("b.wav"), {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'});
    const std::vector<uint8_t> listed = ReadBytes(Ksd);
    enum { kSkipUnreadable, kAbortUnreadable };

    Open({kSkipUnreadable});
    ASSERT_EQ(Prompter->Questions.size(), 1u);
    EXPECT_TRUE(Prompter->Questions[0].contains(QString::fromStdString(Dir.File("b.wav"))));
    EXPECT_TRUE(Prompter->Questions[0].contains("ファイル「b.wav」は未対応フォーマットです"));
    EXPECT_TRUE(Prompter->Questions[0].endsWith("|スキップ,中止"));
    ASSERT_EQ(List()->model()->rowCount(), 2);
    EXPECT_EQ(Cell(0, 0), "a.wav");
    EXPECT_EQ(RowTexts(1), (std::vector<QString>{"b.wav (見つかりません)", "-", "-", "-", "0", "3500"}));
    EXPECT_FALSE(Form->Modified());
    Trigger("MainMenu1_OverwriteKSD");
    EXPECT_EQ(ReadBytes(Ksd), listed);

    Trigger("MainMenu1_New");
    Prompter->Questions.clear();
    Open({kAbortUnreadable});
    EXPECT_EQ(List()->model()->rowCount(), 0);
    EXPECT_EQ(TakeErrors(), std::vector<QString>{"ファイル「b.wav」は未対応フォーマットです."});
}

// A skipped wave is located later from the list's or a view's pop-up menu:
// the file is asked for in the list's folder and the wave read from it takes
// the row, with the list's loop, as one undo step.
TEST_F(MissingWaveTest, ASkippedWaveIsLocatedLaterAsOneUndoStep)
{
    Open({kSkip, kSkip});
    const auto locateEnabled = [this](const char* Menu, const char* Item) {
        emit Form->findChild<QMenu*>(Menu)->aboutToShow();
        return Action(Item)->isEnabled();
    };
    const std::vector<std::pair<const char*, const char*>> menus = {
        {"WaveListPopupMenu", "WaveListPopupMenu_Locate"},
        {"AllWaveGraphImagePopupMenu", "AGIPopupMenu_Locate"},
        {"PartWaveGraphImagePopupMenu", "PGIPopupMenu_Locate"}};
    ClickRow(1);
    for (const auto& [menu, item] : menus)
        EXPECT_TRUE(locateEnabled(menu, item)) << item;

    // A file too short for the list's loop is refused; the row stays missing.
    Prompter->Files.push_back({QString::fromStdString(Wav("short.wav", 10))});
    Trigger("PGIPopupMenu_Locate");
    EXPECT_EQ(TakeErrors().size(), 1u);
    EXPECT_EQ(RowTexts(1)[0], "b.wav (見つかりません)");
    EXPECT_FALSE(Form->Modified());

    Prompter->Files.push_back({QString::fromStdString(Moved("b.wav"))});
    Trigger("WaveListPopupMenu_Locate");
    EXPECT_TRUE(TakeErrors().empty());
    EXPECT_EQ(Prompter->Dialogs.back().Folder, QString::fromStdString(Dir.Path().string()));
    EXPECT_EQ(Prompter->Dialogs.back().FileName, "b.wav");
    EXPECT_EQ(RowTexts(1), (std::vector<QString>{"b.wav", "44100", "90", "4000", "0", "3500"}));
    EXPECT_EQ(SelectedRow(), 1);
    EXPECT_EQ(Detail()->WaveInfo(), Form->Document().GetWave(1));
    EXPECT_TRUE(Form->Modified());
    for (const auto& [menu, item] : menus)
        EXPECT_FALSE(locateEnabled(menu, item)) << item; // found: nothing to locate

    Trigger("MainMenu1_Undo");
    EXPECT_EQ(RowTexts(1)[0], "b.wav (見つかりません)");
    EXPECT_FALSE(Form->Modified());
    Trigger("MainMenu1_Redo");
    EXPECT_EQ(Form->Document().GetWave(1)->LoopEnd(), 3500);
}
