// Undo and redo of every kind of change to the list, and the modified flag
// that follows them back to the saved state.

#include "AppFixture.h"

#include <QMenu>

#include <functional>

class MainWindowUndoTest : public AppTest {
protected:
    // The rows as shown, each with its wave's name and loop as the list holds them.
    std::vector<std::vector<QString>> Snapshot() const
    {
        std::vector<std::vector<QString>> rows;
        for (int r = 0; r < List()->model()->rowCount(); ++r) {
            std::vector<QString> row = RowTexts(r);
            const TWaveInfo& wave = *Form->Document().GetWave(r);
            row.push_back(QString::fromStdString(wave.WaveName()));
            row.push_back(QString("%1..%2").arg(wave.LoopStart()).arg(wave.LoopEnd()));
            rows.push_back(row);
        }
        return rows;
    }

    // The selected wave's loop markers are where its row shows loop points.
    void ExpectMarkersAsTheRowShows()
    {
        const int row = SelectedRow();
        if (row < 0)
            return;
        const TWaveInfo& wave = *Form->Document().GetWave(row);
        Detail()->Redraw();
        EXPECT_EQ(HasMarkerLine(*Detail(), wave.LoopStart(), kRedLine), Cell(row, 4) != "-");
        EXPECT_EQ(HasMarkerLine(*Detail(), wave.LoopEnd(), kGreenLine), Cell(row, 5) != "-");
    }

    void Popup(const char* MenuName, const char* Item)
    {
        QMenu* menu = Form->findChild<QMenu*>(MenuName);
        emit menu->aboutToShow();
        menu->findChild<QAction*>(Item)->trigger();
    }
};

TEST_F(MainWindowUndoTest, EveryKindOfChangeUndoesAndRedoesBackToTheSavedState)
{
    Add({Wav("a.wav", 1000), Wav("b.wav", 2000), Wav("c.wav", 3000)});
    ClickRow(0);
    Detail()->SetSelection(100, 500);
    Popup("PartWaveGraphImagePopupMenu", "PGIPopupMenu_N7");
    Prompter->Files.push_back({QString::fromStdString(Dir.File("saved.ksd"))});
    Trigger("MainMenu1_SaveAsKSD");

    const struct {
        const char* Step;
        std::function<void()> Change;
    } changes[] = {
        {"wav追加", [&] { Add({Wav("d.wav", 400)}); }},
        {"wav追加", [&] { DropFiles({Wav("e.wav", 10), Wav("f.wav", 20)}); }},
        {"wav削除", [&] { ClickRow(0); Trigger("MainMenu1_DeleteWave"); }},
        {"上に移動", [&] { ClickRow(1); Trigger("MainMenu1_MoveUp"); }},
        {"下に移動", [&] { ClickRow(0); Trigger("MainMenu1_MoveDown"); }},
        {"ループ始点の変更", [&] { ClickRow(0); MenuAt("MainMenu1_LoopStart", 50); }},
        {"ループ終点の変更", [&] { ClickRow(1); MenuAt("MainMenu1_LoopEnd", 700); }},
        {"ループの設定", [&] { ClickRow(2); Overview()->SetSelection(10, 2000);
                               Popup("AllWaveGraphImagePopupMenu", "AGIPopupMenu_N6"); }},
        {"ループクリア", [&] { ClickRow(0); Trigger("MainMenu1_LoopClear"); }},
        {"ループマーカーの移動", [&] { ClickRow(0); Drag(Detail(), 500, 600); }},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.Step);
        const auto before = Snapshot();
        ASSERT_FALSE(Form->Modified());
        change.Change();
        const auto after = Snapshot();
        EXPECT_NE(after, before);
        EXPECT_TRUE(Form->Modified());
        EXPECT_EQ(Action("MainMenu1_Undo")->text(), QString("元に戻す(&U) ") + change.Step);

        Trigger("MainMenu1_Undo");
        EXPECT_EQ(Snapshot(), before);
        EXPECT_FALSE(Form->Modified());
        EXPECT_EQ(Action("MainMenu1_Redo")->text(), QString("やり直し(&R) ") + change.Step);
        ExpectMarkersAsTheRowShows();

        Trigger("MainMenu1_Redo");
        EXPECT_EQ(Snapshot(), after);
        EXPECT_TRUE(Form->Modified());
        ExpectMarkersAsTheRowShows();
        Trigger("MainMenu1_Undo");
    }
    EXPECT_TRUE(TakeErrors().empty());
}

TEST_F(MainWindowUndoTest, NewLeavesNothingToUndoAndRefusedOrEmptyChangesAreNoSteps)
{
    Add({Wav("a.wav", 1000)});
    Trigger("MainMenu1_LoopClear"); // no loop: nothing changes, no step
    EXPECT_EQ(Action("MainMenu1_Undo")->text(), "元に戻す(&U) wav追加");
    MenuAt("MainMenu1_LoopStart", 300);
    MenuAt("MainMenu1_LoopEnd", 400);
    Drag(Detail(), 300, 450); // the start dragged past the end comes back
    EXPECT_EQ(TakeErrors().size(), 1u);
    EXPECT_EQ(Action("MainMenu1_Undo")->text(), "元に戻す(&U) ループ終点の変更");

    Prompter->Answers.push_back(TPrompter::TAnswer::No);
    Trigger("MainMenu1_New");
    EXPECT_FALSE(Action("MainMenu1_Undo")->isEnabled());
    EXPECT_EQ(Action("MainMenu1_Undo")->text(), "元に戻す(&U)");
    EXPECT_FALSE(Form->Modified());
}

// A wave with only its loop end set shows its start as "-" and no start
// marker; taken away and brought back by any step, it shows exactly that.
TEST_F(MainWindowUndoTest, HalfSetLoopMovedAwayAndBackComesBackAsItWas)
{
    Add({Wav("a.wav", 1000), Wav("b.wav", 2000)});
    ClickRow(0);
    MenuAt("MainMenu1_LoopEnd", 700);
    ASSERT_EQ(Cell(0, 4), "-");
    const auto before = Snapshot();
    const struct {
        const char* Away;
        const char* Back;
    } trips[] = {
        {"MainMenu1_MoveDown", "MainMenu1_Undo"},
        {"MainMenu1_MoveDown", "MainMenu1_MoveUp"},
        {"MainMenu1_DeleteWave", "MainMenu1_Undo"},
    };
    for (const auto& trip : trips) {
        SCOPED_TRACE(std::string(trip.Away) + ", " + trip.Back);
        Trigger(trip.Away);
        Trigger(trip.Back);
        EXPECT_EQ(Snapshot(), before);
        EXPECT_EQ(SelectedRow(), 0);
        ExpectMarkersAsTheRowShows();
    }
}
