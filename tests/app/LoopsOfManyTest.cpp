// ループを自動検出 with several rows selected: each wave gets its loop, as
// one undo step, under a progress dialog that can be cancelled; the seam
// column shows each loop's quality.

#include "AppFixture.h"

#include "loop/TestTones.h"

#include <QTest>

#include <algorithm>

namespace {

class LoopsOfManyTest : public AppTest {
protected:
    std::vector<int> SelectedRows() const
    {
        std::vector<int> rows;
        for (const QModelIndex& row : List()->selectionModel()->selectedRows())
            rows.push_back(row.row());
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    // Three tones and a silent wave; rows 0, 2 and 3 selected, row 2 current.
    LoopsOfManyTest()
    {
        for (const char* name : {"a.wav", "b.wav", "c.wav"})
            WriteWav(Dir.File(name), MakeTone({.Period = 100.37}));
        WriteWav(Dir.File("silent.wav"), std::vector<int16_t>(20000, 0));
        Add({Dir.File("a.wav"), Dir.File("b.wav"), Dir.File("c.wav"), Dir.File("silent.wav")});
        ClickRow(0);
        for (int row : {3, 2}) {
            const QRect cell = List()->visualRect(List()->model()->index(row, 0));
            QTest::mouseClick(List()->viewport(), Qt::LeftButton, Qt::ControlModifier, cell.center());
        }
    }
};

} // namespace

TEST_F(LoopsOfManyTest, LoopsEachSelectedWaveAsOneStep)
{
    EXPECT_EQ(Detail()->WaveInfo(), &Wave(2)); // the current row is the one shown
    Trigger("MainMenu1_FindLoop");
    for (int row : {0, 2}) {
        EXPECT_TRUE(Wave(row).Loop().Plays()) << row;
        EXPECT_EQ(Cell(row, 6), "良好") << row;
    }
    EXPECT_FALSE(Wave(1).Loop().IsSet());
    EXPECT_EQ(Cell(1, 6), "-");
    EXPECT_EQ(Prompter->Warnings, std::vector<QString>{"適切なループが見つかりません: silent.wav"});
    EXPECT_EQ(Prompter->ProgressSteps.back(), std::make_pair(3, 3));
    EXPECT_EQ(SelectedRows(), (std::vector<int>{0, 2, 3})); // a loop change keeps the selection
    EXPECT_EQ(Detail()->WaveInfo(), &Wave(2));

    Trigger("MainMenu1_Undo");
    for (int row : {0, 2})
        EXPECT_FALSE(Wave(row).Loop().IsSet()) << row;
    EXPECT_EQ(SelectedRows(), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(Action("MainMenu1_Undo")->text(), "元に戻す(&U) wav追加"); // one step took both back
}

TEST_F(LoopsOfManyTest, CancelledSearchChangesNothing)
{
    Prompter->CancelAtStep = 2;
    Trigger("MainMenu1_FindLoop");
    for (int row : {0, 2})
        EXPECT_FALSE(Wave(row).Loop().IsSet()) << row;
    EXPECT_EQ(Prompter->ProgressSteps.back(), std::make_pair(2, 3));
    EXPECT_FALSE(Action("MainMenu1_Undo")->text().contains("ループを自動検出"));
}
