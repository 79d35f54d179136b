// Typing a loop point into the list: a double click edits the loop cells in
// place, in samples, under the range and order rules, as one undo step.

#include "AppFixture.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>

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
