// Typing a loop point into the list: a double click edits the loop cells in
// place, in samples, under the range and order rules, as one undo step.

#include "AppFixture.h"

#include "playback/LoopFeeder.h"
#include "playback/PlayerHarness.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>

#include <chrono>

namespace {

class LoopCellEditTest : public AppTest {
protected:
    // Opens the cell's editor as a double click does and types Text with Return.
    void Type(int Row, int Column, const QString& Text)
    {
        List()->setCurrentIndex(List()->model()->index(Row, Column));
        List()->edit(List()->model()->index(Row, Column));
        QLineEdit* editor = nullptr;
        for (QLineEdit* open : List()->viewport()->findChildren<QLineEdit*>())
            if (open->isVisible())
                editor = open;
        ASSERT_NE(editor, nullptr) << "no editor on column " << Column;
        editor->setText(Text);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents(); // the editor hands its text over after the key
    }
};

} // namespace

TEST_F(LoopCellEditTest, TypedPointsFollowTheRulesAndUndoInOneStep)
{
    Add({Wav("a.wav", 1000), Wav("b.wav", 1000)});
    Type(0, 5, "800");
    Type(0, 4, " 200 ");
    EXPECT_EQ(Wave(0).LoopStart(), 200);
    EXPECT_EQ(Wave(0).LoopEnd(), 800);
    EXPECT_EQ(SelectedRow(), 0);
    EXPECT_EQ(Action("MainMenu1_Undo")->text(), "元に戻す(&U) ループ始点の入力");

    struct TCase {
        int Column;
        QString Text;
        QString Error;
    } const refused[] = {
        {4, "900", "ループ始点がループ終点より後にあります."},
        {5, "100", "ループ終点がループ始点より前にあります."},
        {5, "1001", "a.wav:ループ終点が不正です."},
        {4, "abc", "'abc' は整数ではありません."},
    };
    for (const TCase& c : refused) {
        Type(0, c.Column, c.Text);
        EXPECT_EQ(TakeErrors(), std::vector<QString>{c.Error}) << c.Text.toStdString();
        EXPECT_EQ(Cell(0, 4), "200");
        EXPECT_EQ(Cell(0, 5), "800");
    }
    Trigger("MainMenu1_Undo");
    EXPECT_EQ(Cell(0, 4), "-");
    EXPECT_EQ(Wave(0).LoopEnd(), 800);
    EXPECT_EQ(Wave(0).LoopStart(), 0);
}

TEST_F(LoopCellEditTest, ADoubleClickEditsOnlyTheLoopCells)
{
    Add({Wav("a.wav", 1000)});
    EXPECT_TRUE(List()->editTriggers() & QAbstractItemView::DoubleClicked);
    for (int column = 0; column < 4; ++column)
        EXPECT_FALSE(List()->model()->flags(List()->model()->index(0, column)) & Qt::ItemIsEditable) << column;
}

// A loop cell typed while the wave plays is heard once the blocks already
// queued have played: the play position lies past the new end, so the
// sound goes on from the loop start.
TEST_F(LoopCellEditTest, PointTypedWhilePlayingChangesWhatPlaysNext)
{
    const std::size_t block = LiveBlockBytes(44100); // the window's, in bytes
    const auto at = [block](std::size_t Blocks) { return int16_t(Blocks * block / 2); };
    Add({Wav("a.wav", 40000)});
    Type(0, 5, "30000");
    Type(0, 4, "1000");
    Trigger("MainMenu1_PlayStart");
    const auto play = [this, block](int Blocks) {
        for (int i = 0; i < Blocks; ++i) {
            EXPECT_TRUE(Device->WaitForQueuedBytes(block, std::chrono::seconds(5)));
            Device->Advance(block);
        }
    };
    play(6);
    ASSERT_TRUE(Device->WaitForQueuedBytes(4 * block, std::chrono::seconds(5))); // the ring refilled
    Type(0, 5, "3000");
    QCoreApplication::processEvents(); // the player follows once the command is done
    EXPECT_EQ(Wave(0).LoopEnd(), 3000);
    Device->ClearPlayed();
    play(5);
    const std::vector<int16_t> played = Int16Samples(Device->Played());
    ASSERT_EQ(played.size(), 5 * block / 2);
    EXPECT_EQ(played[3 * block / 2], at(9)); // the ring's last queued block, from before the edit
    EXPECT_EQ(played[4 * block / 2], 1000);  // the next block filled, after it, at 10 blocks: past the new end
    Trigger("MainMenu1_PlsyStop");
}
