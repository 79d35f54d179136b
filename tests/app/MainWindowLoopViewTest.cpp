// Loop editing from the menus, the pop-ups and marker drags, and the commands
// that choose the detail view's span.

#include "AppFixture.h"

#include <QMenu>
#include <QTest>

namespace {

const QString kStartAfterEnd = "ループ始点がループ終点より後にあります.";
const QString kEndBeforeStart = "ループ終点がループ始点より前にあります.";

} // namespace

class MainWindowLoopViewTest : public AppTest {
protected:
    // A single wave, added and shown.
    void AddOne(std::size_t Samples, uint32_t Rate = 44100) { Add({Wav("w.wav", Samples, Rate)}); }

    // The enabled pop-up items of a view's menu, as it opens.
    QStringList EnabledItems(const char* MenuName)
    {
        QMenu* menu = Form->findChild<QMenu*>(MenuName);
        emit menu->aboutToShow();
        QStringList names;
        for (QAction* a : menu->actions())
            if (!a->isSeparator() && a->isEnabled())
                names << a->objectName();
        return names;
    }

    void PopupItem(const char* MenuName, const char* Item)
    {
        QMenu* menu = Form->findChild<QMenu*>(MenuName);
        emit menu->aboutToShow();
        QAction* action = menu->findChild<QAction*>(Item);
        ASSERT_TRUE(action && action->isEnabled()) << Item;
        action->trigger();
    }
};

TEST_F(MainWindowLoopViewTest, MenuLoopPointsFollowTheOrderRule)
{
    AddOne(500);
    MenuAt("MainMenu1_LoopEnd", 100);
    EXPECT_EQ(Wave().LoopEnd(), 100);
    EXPECT_EQ(Cell(0, 5), "100");
    EXPECT_EQ(Cell(0, 4), "-"); // only the end was set
    MenuAt("MainMenu1_LoopStart", 100);
    EXPECT_EQ(TakeErrors(), std::vector<QString>{kStartAfterEnd});
    EXPECT_EQ(Wave().LoopStart(), 0);
    MenuAt("MainMenu1_LoopStart", 99);
    EXPECT_EQ(Wave().LoopStart(), 99);
    EXPECT_EQ(Cell(0, 4), "99");
    Detail()->Redraw(); // a full drawing shows markers without the cursor lines placed above
    for (TGraphImage* view : {Overview(), Detail()}) {
        EXPECT_TRUE(HasMarkerLine(*view, 99, kRedLine));
        EXPECT_TRUE(HasMarkerLine(*view, 100, kGreenLine));
    }
    MenuAt("MainMenu1_LoopEnd", 99);
    EXPECT_EQ(TakeErrors(), std::vector<QString>{kEndBeforeStart});
    EXPECT_EQ(Wave().LoopEnd(), 100);
    MenuAt("MainMenu1_LoopEnd", 101);
    // Setting a marker stops the cursor: the menu command now does nothing.
    EXPECT_FALSE(Detail()->CursorEnabled());
    Trigger("MainMenu1_LoopStart");
    EXPECT_EQ(Wave().LoopStart(), 99);
    EXPECT_EQ(Wave().LoopEnd(), 101);

    Trigger("MainMenu1_LoopClear");
    EXPECT_EQ(Wave().LoopStart(), 0);
    EXPECT_EQ(Wave().LoopEnd(), 0);
    EXPECT_EQ(Cell(0, 4), "-");
    EXPECT_EQ(Cell(0, 5), "-");
    EXPECT_FALSE(HasMarkerLine(*Detail(), 100, kGreenLine));
    // With no loop start any end is accepted, and with no end any start.
    MenuAt("MainMenu1_LoopEnd", 0);
    MenuAt("MainMenu1_LoopStart", 300);
    EXPECT_TRUE(TakeErrors().empty());
    EXPECT_EQ(Wave().LoopStart(), 300);
}

TEST_F(MainWindowLoopViewTest, PopupItemsFollowSelectionAndLoop)
{
    EXPECT_TRUE(EnabledItems("AllWaveGraphImagePopupMenu").isEmpty());
    EXPECT_TRUE(EnabledItems("PartWaveGraphImagePopupMenu").isEmpty());
    AddOne(1000);
    EXPECT_EQ(EnabledItems("AllWaveGraphImagePopupMenu"),
              QStringList({"AGIPopupMenu_N4", "AGIPopupMenu_N5", "AGIPopupMenu_FindLoop"}));
    EXPECT_EQ(EnabledItems("PartWaveGraphImagePopupMenu"),
              QStringList({"PGIPopupMenu_N2", "PGIPopupMenu_N5", "PGIPopupMenu_N6", "PGIPopupMenu_FindLoop"}));
    Overview()->SetSelection(200, 400);
    EXPECT_EQ(EnabledItems("AllWaveGraphImagePopupMenu"),
              QStringList({"AGIPopupMenu_N1", "AGIPopupMenu_N2", "AGIPopupMenu_N6", "AGIPopupMenu_FindLoop"}));
    PopupItem("AllWaveGraphImagePopupMenu", "AGIPopupMenu_N6");
    EXPECT_EQ(Wave().LoopStart(), 200);
    EXPECT_EQ(Wave().LoopEnd(), 400);
    EXPECT_TRUE(EnabledItems("AllWaveGraphImagePopupMenu").contains("AGIPopupMenu_N7"));
    PopupItem("AllWaveGraphImagePopupMenu", "AGIPopupMenu_N7");
    EXPECT_EQ(Wave().LoopEnd(), 0);
}

TEST_F(MainWindowLoopViewTest, EnlargingFromEitherViewAndWholeWave)
{
    AddOne(1000);
    Overview()->SetSelection(200, 600);
    PopupItem("AllWaveGraphImagePopupMenu", "AGIPopupMenu_N1");
    EXPECT_EQ(Detail()->ViewStart(), 200);
    EXPECT_EQ(Detail()->ViewEnd(), 600);
    EXPECT_EQ(Detail()->SelectStart(), 200);
    EXPECT_EQ(Detail()->SelectEnd(), 600);
    // The span is the window's to remember (MainWindowScrollTest), not the wave's.
    EXPECT_EQ(Wave().ViewStart(), 0);
    EXPECT_EQ(Wave().ViewEnd(), 1000);

    Detail()->SetSelection(300, 350);
    PopupItem("PartWaveGraphImagePopupMenu", "PGIPopupMenu_N1");
    EXPECT_EQ(Detail()->ViewStart(), 300);
    EXPECT_EQ(Detail()->ViewEnd(), 350);
    EXPECT_EQ(Overview()->SelectStart(), 300);
    EXPECT_EQ(Overview()->SelectEnd(), 350);

    PopupItem("PartWaveGraphImagePopupMenu", "PGIPopupMenu_N3");
    EXPECT_EQ(Detail()->SelectEnd(), 0);
    EXPECT_EQ(Overview()->SelectEnd(), 0);
    PopupItem("PartWaveGraphImagePopupMenu", "PGIPopupMenu_N2");
    EXPECT_EQ(Detail()->ViewStart(), 0);
    EXPECT_EQ(Detail()->ViewEnd(), 1000);
}

TEST_F(MainWindowLoopViewTest, ZoomInStopsAtTenSamplesAndZoomOutAtTheWholeWave)
{
    AddOne(20);
    Trigger("MainMenu1_ZoomIn");
    EXPECT_EQ(Detail()->ViewStart(), 5);
    EXPECT_EQ(Detail()->ViewEnd(), 15);
    Trigger("MainMenu1_ZoomIn");
    EXPECT_EQ(Prompter->Beeps, 1);
    EXPECT_EQ(Detail()->ViewEnd(), 15);

    Add({Wav("k.wav", 1000)});
    Detail()->SetSelection(250, 750);
    PopupItem("PartWaveGraphImagePopupMenu", "PGIPopupMenu_N1");
    Trigger("MainMenu1_ZoomOut");
    EXPECT_EQ(Detail()->ViewStart(), 0);
    EXPECT_EQ(Detail()->ViewEnd(), 1000);
    EXPECT_EQ(Prompter->Beeps, 1);
    Trigger("MainMenu1_ZoomOut");
    EXPECT_EQ(Prompter->Beeps, 2);
    EXPECT_EQ(Detail()->ViewEnd(), 1000);
}

TEST_F(MainWindowLoopViewTest, FixedSpansBeepWhenTheyDoNotFit)
{
    AddOne(44100);
    Trigger("MainMenu1_View1sec");
    EXPECT_EQ(Prompter->Beeps, 1);
    EXPECT_EQ(Detail()->ViewEnd(), 44100);

    Add({Wav("two.wav", 88200)});
    Trigger("MainMenu1_View1sec");
    EXPECT_EQ(Detail()->ViewStart(), 22050);
    EXPECT_EQ(Detail()->ViewEnd(), 66150);
    Trigger("MainMenu1_View10ms");
    EXPECT_EQ(Detail()->ViewStart(), 44100 - 220);
    EXPECT_EQ(Detail()->ViewEnd(), 44100 - 220 + 441);
    EXPECT_EQ(Prompter->Beeps, 1);
}

TEST_F(MainWindowLoopViewTest, AWaveSelectedAgainComesBackWithItsSpan)
{
    Add({Wav("a.wav", 1000), Wav("b.wav", 2000)});
    ClickRow(0);
    Trigger("MainMenu1_ZoomIn");
    ClickRow(1);
    EXPECT_EQ(Detail()->ViewEnd(), 2000);
    ClickRow(0);
    EXPECT_EQ(Detail()->ViewStart(), 250);
    EXPECT_EQ(Detail()->ViewEnd(), 750);
}

TEST_F(MainWindowLoopViewTest, MarkerDraggedPastTheOtherIsRestoredOnRelease)
{
    AddOne(500);
    MenuAt("MainMenu1_LoopStart", 200);
    MenuAt("MainMenu1_LoopEnd", 400);
    TGraphImage* view = Detail();
    const int y = view->height() / 2;
    ASSERT_EQ(Wave().LoopStart(), 200);
    const QPoint start(ColumnOf(*view, 200), y);
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, start);
    QTest::mouseMove(view, QPoint(ColumnOf(*view, 300), y));
    // During the drag the other view, the wave and the row follow.
    EXPECT_EQ(Wave().LoopStart(), 300);
    EXPECT_EQ(Cell(0, 4), QString::number(Wave().LoopStart()));
    EXPECT_TRUE(HasMarkerLine(*Overview(), Wave().LoopStart(), kRedLine));
    QTest::mouseMove(view, QPoint(ColumnOf(*view, 450), y));
    EXPECT_EQ(Wave().LoopStart(), 450);
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(ColumnOf(*view, 450), y));
    EXPECT_EQ(TakeErrors(), std::vector<QString>{kStartAfterEnd});
    EXPECT_EQ(Wave().LoopStart(), 200);
    EXPECT_EQ(Wave().LoopEnd(), 400);
    EXPECT_EQ(Cell(0, 4), "200");
    for (TGraphImage* v : {Overview(), Detail()})
        EXPECT_TRUE(HasMarkerLine(*v, 200, kRedLine));

    // The loop end dragged down to sample 0 would read as "no loop end".
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(ColumnOf(*view, 400), y));
    QTest::mouseMove(view, QPoint(0, y));
    ASSERT_EQ(Wave().LoopEnd(), 0);
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(0, y));
    EXPECT_EQ(TakeErrors(), std::vector<QString>{kEndBeforeStart});
    EXPECT_EQ(Wave().LoopEnd(), 400);
    EXPECT_EQ(Cell(0, 5), "400");
}

// Past the last sample the wave keeps its loop start; the markers come back to it.
TEST_F(MainWindowLoopViewTest, ALoopStartDraggedPastTheWaveReturnsToWhereTheWaveKeepsIt)
{
    AddOne(10);
    MenuAt("MainMenu1_LoopStart", 9);
    Drag(Detail(), 9, 10);
    EXPECT_EQ(Wave().LoopStart(), 9);
    for (TGraphImage* v : {Overview(), Detail()})
        EXPECT_TRUE(HasMarkerLine(*v, 9, kRedLine));
}

TEST_F(MainWindowLoopViewTest, APressInOneViewSwitchesTheOtherViewsCursorOff)
{
    AddOne(500);
    Overview()->SetCursor(10);
    ASSERT_TRUE(Overview()->CursorEnabled());
    QTest::mouseClick(Detail(), Qt::LeftButton, Qt::NoModifier, QPoint(ColumnOf(*Detail(), 250), 5));
    EXPECT_FALSE(Overview()->CursorEnabled());
    EXPECT_TRUE(Detail()->CursorEnabled());
    Trigger("MainMenu1_LoopEnd");
    EXPECT_EQ(Wave().LoopEnd(), 250);
}
