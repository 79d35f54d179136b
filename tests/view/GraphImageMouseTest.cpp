#include "ViewFixture.h"

#include <QMenu>

#include <string>

namespace {

// One OnMarkerMove call as the handler saw it.
struct TMoveSeen {
    TGraphImage* Sender;
    Qt::KeyboardModifiers Shift;
    TMarkerStatus* Marker;
    int PosX;
    std::string Name;
    int32_t Position;
};

class GraphImageMouseTest : public ViewTest {
protected:
    std::vector<TMoveSeen> moves;

    void SetUp() override
    {
        ShowFlat(); // sample i sits in column i
        QObject::connect(&view, &TGraphImage::OnMarkerMove,
                         [this](TGraphImage* sender, Qt::KeyboardModifiers shift, TMarkerStatus* m, int pos) {
                             moves.push_back({sender, shift, m, pos, sender->GetMarkerName(m), m->Position});
                         });
    }
    void Drag(int from, std::initializer_list<int> path, Qt::MouseButton b = Qt::LeftButton)
    {
        Press(from, b);
        for (int x : path)
            Move(x, b);
    }
};

TEST_F(GraphImageMouseTest, ClickPlacesTheBlinkingCursorWithoutASelection)
{
    view.SetSelection(10, 20);
    Press(30);
    Release(30);
    EXPECT_EQ(view.SelectStart(), 0);
    EXPECT_EQ(view.SelectEnd(), 0);
    EXPECT_EQ(view.Cursor(), 30);
    EXPECT_TRUE(view.CursorEnabled());
    EXPECT_TRUE(ColumnIs(30, kBlack));
}

TEST_F(GraphImageMouseTest, ClickAtTheRightEdgePlacesTheCursorOnTheLastSample)
{
    ShowFlat(10); // the edge column lies nearest to sample 10, just past the wave
    Press(99);
    Release(99);
    EXPECT_EQ(view.Cursor(), 9);
    EXPECT_TRUE(ColumnIs(90, kBlack));
}

TEST_F(GraphImageMouseTest, AClickLeavesNoLineBehindWhenItsCursorHides)
{
    for (int samples : {100, 1000}) { // one sample per column, and column extremes
        SCOPED_TRACE(samples);
        ShowFlat(samples);
        Press(30);
        Release(30);
        EXPECT_TRUE(ColumnIs(30, kBlack));
        view.SetCursorEnabled(false);
        EXPECT_EQ(Px(30, 10), kWhite);
    }
}

TEST_F(GraphImageMouseTest, ADragBackOverAShadedRangeShadesItAgain)
{
    view.SetShade(30, 60);
    Drag(20, {70, 40});
    EXPECT_EQ(Px(35, 10), kBlack);
    EXPECT_EQ(Px(50, 10), kShade);
    EXPECT_EQ(Px(65, 10), kWhite);
}

TEST_F(GraphImageMouseTest, LeftDragSelectsInBothDirectionsPaintingStripsOnTheWay)
{
    Drag(20, {30, 45});
    EXPECT_EQ(Px(35, 10), kBlack);
    EXPECT_EQ(Px(35, 36), kYellow);
    Move(40); // shrinking paints the strip white again
    EXPECT_EQ(Px(42, 10), kWhite);
    EXPECT_EQ(Px(35, 10), kBlack);
    Release(40);
    EXPECT_EQ(view.SelectStart(), 20);
    EXPECT_EQ(view.SelectEnd(), 40);
    EXPECT_FALSE(view.CursorEnabled());

    Drag(60, {55, 50});
    Release(50);
    EXPECT_EQ(view.SelectStart(), 50);
    EXPECT_EQ(view.SelectEnd(), 60);
    EXPECT_EQ(Px(30, 10), kWhite); // the old selection went with the press
    EXPECT_EQ(Px(55, 10), kBlack);

    // Crossing the anchor unpaints one side and paints the other.
    Drag(50, {60, 40});
    EXPECT_EQ(Px(55, 10), kWhite);
    EXPECT_EQ(Px(45, 10), kBlack);
    // Beyond the widget's edges the mouse counts as on the edge column.
    Move(-25);
    Release(-25);
    EXPECT_EQ(view.SelectStart(), 0);
    EXPECT_EQ(view.SelectEnd(), 50);
}

TEST_F(GraphImageMouseTest, RightPressInsideTheSelectionKeepsItOutsideStartsANewOne)
{
    view.SetSelection(20, 40);
    view.SetCursor(30);
    Press(40, Qt::RightButton); // the end is inside
    EXPECT_FALSE(view.CursorEnabled());
    Move(70, Qt::RightButton);
    Release(70, Qt::RightButton);
    EXPECT_EQ(view.SelectStart(), 20);
    EXPECT_EQ(view.SelectEnd(), 40);
    EXPECT_EQ(Px(50, 10), kWhite);

    // A right drag from outside ends ordered and keeps what it painted.
    Drag(80, {70, 60}, Qt::RightButton);
    Release(60, Qt::RightButton);
    EXPECT_EQ(view.SelectStart(), 60);
    EXPECT_EQ(view.SelectEnd(), 80);
    EXPECT_EQ(Px(30, 10), kWhite);
    EXPECT_EQ(Px(65, 10), kBlack);
}

TEST_F(GraphImageMouseTest, PopupOpensAfterTheViewAndTheWindowHandledTheRelease)
{
    QMenu menu;
    menu.addAction("x");
    view.SetPopupMenu(&menu);
    std::vector<std::string> order;
    QObject::connect(&view, &TGraphImage::OnMouseUp, [&](TGraphImage*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        order.push_back("up " + std::to_string(view.SelectStart()) + "-" + std::to_string(view.SelectEnd()));
    });
    QObject::connect(&menu, &QMenu::aboutToShow, [&] { order.push_back("menu"); });
    Drag(30, {50}, Qt::RightButton);
    Release(50, Qt::RightButton);
    ASSERT_EQ(order, (std::vector<std::string>{"up 30-50", "menu"}));
    menu.close();
    QContextMenuEvent context(QContextMenuEvent::Mouse, QPoint(5, 5), view.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&view, &context);
    EXPECT_EQ(order.size(), 2u);
}

TEST_F(GraphImageMouseTest, MarkersAreGrabbedWithinThreePixelsAndReportEveryStep)
{
    view.SetMarker("LOOPSTART", Marker(50, kRedMarker));
    Press(54); // 4 pixels away: a selection starts instead
    Move(60);
    Release(60);
    EXPECT_TRUE(moves.empty());
    EXPECT_EQ(view.SelectStart(), 54);

    view.ClearSelection();
    Press(47);
    Move(60, Qt::LeftButton, Qt::ShiftModifier);
    ASSERT_EQ(moves.size(), 1u);
    const TMoveSeen& seen = moves[0];
    EXPECT_EQ(seen.Sender, &view);
    EXPECT_EQ(seen.Shift, Qt::ShiftModifier);
    EXPECT_EQ(seen.PosX, 60);
    EXPECT_EQ(seen.Position, 60);
    EXPECT_EQ(seen.Name, "LOOPSTART");
    EXPECT_EQ(view.GetMarkerName(seen.Marker), "LOOPSTART"); // the view's own object
    EXPECT_EQ(Px(50, 10), kWhite); // the old column came back from the last full drawing
    EXPECT_TRUE(ColumnIs(60, kRed));
    Release(60);
    EXPECT_EQ(view.SelectStart(), 0); // the marker drag did not select
}

// A marker at the wave's end is grabbed where it is drawn, in the last
// column, and a drag past the right edge takes it back to the end.
TEST_F(GraphImageMouseTest, AMarkerAtTheWavesEndIsGrabbedInTheLastColumn)
{
    ShowFlat(1000); // ten samples per column
    view.SetMarker("LOOPEND", Marker(1000, kGreenMarker));
    Press(97);
    Move(50);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves.back().Position, 500);
    Move(130);
    EXPECT_EQ(moves.back().Position, 1000);
    EXPECT_TRUE(ColumnIs(99, kGreen));
    Release(130);
}

TEST_F(GraphImageMouseTest, EqualDistanceGrabsTheEarlierMarker)
{
    view.SetMarker("LOOPSTART", Marker(48, kRedMarker));
    view.SetMarker("LOOPEND", Marker(52, kGreenMarker));
    Drag(50, {30});
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].Name, "LOOPSTART");
}

TEST_F(GraphImageMouseTest, AMarkerCannotStepOntoAnOccupiedSample)
{
    view.SetMarker("LOOPSTART", Marker(40, kRedMarker));
    view.SetMarker("LOOPEND", Marker(50, kGreenMarker));
    Drag(40, {50});
    EXPECT_TRUE(moves.empty());
    Move(51);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].PosX, 51);
    EXPECT_TRUE(ColumnIs(50, kGreen));
    EXPECT_TRUE(ColumnIs(51, kRed));
}

TEST_F(GraphImageMouseTest, PressAndReleaseOnAMarkerStopsTheCursorWithoutAMove)
{
    view.SetMarker("LOOPSTART", Marker(40, kRedMarker));
    view.SetCursor(70);
    Press(41);
    Release(41);
    EXPECT_TRUE(moves.empty());
    EXPECT_EQ(view.Cursor(), 0); // the cursor goes to SelectStart of the empty selection
    EXPECT_FALSE(view.CursorEnabled());
    EXPECT_EQ(Px(70, 10), kWhite);
}

// A handler may replace or remove the marker being dragged; the drag then
// follows the new copy, or stops moving anything.
TEST_F(GraphImageMouseTest, ReplacingOrRemovingTheDraggedMarkerIsSafe)
{
    view.SetMarker("LOOPSTART", Marker(40, kRedMarker));
    Drag(40, {45});
    view.SetMarker("LOOPSTART", Marker(45, kRedMarker));
    Move(47);
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[1].Position, 47);
    EXPECT_EQ(moves[1].Name, "LOOPSTART");
    view.RemoveMarker("LOOPSTART");
    Move(49);
    Release(49);
    EXPECT_EQ(moves.size(), 2u);
}

// A handler that puts the moved marker back under its own name hands the view
// the very object the view stores under that name.
TEST_F(GraphImageMouseTest, AHandlerMayPutTheStoredMarkerBack)
{
    QObject::connect(&view, &TGraphImage::OnMarkerMove, [](TGraphImage* sender, auto, TMarkerStatus* m, int) {
        sender->SetMarker(sender->GetMarkerName(m), *m);
    });
    view.SetMarker("LOOPEND", Marker(40, kGreenMarker));
    Drag(40, {45, 47});
    Release(47);
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[1].Position, 47);
    EXPECT_TRUE(ColumnIs(47, kGreen));
    EXPECT_EQ(Px(45, 10), kWhite);
    EXPECT_EQ(Px(0, 10), kWhite);
}

// Marker lines wiped after a right-button drag come back from a back buffer
// that holds the dragged selection.
TEST_F(GraphImageMouseTest, MarkersMovedAfterARightDragLeaveTheSelectionIntact)
{
    Drag(20, {40, 60}, Qt::RightButton);
    Release(60, Qt::RightButton);
    view.SetMarker("PLAYCURSOR", Marker(30, TBgrColor()));
    view.SetMarker("PLAYCURSOR", Marker(50, TBgrColor()));
    view.RemoveMarker("PLAYCURSOR");
    for (int x : {30, 50}) {
        EXPECT_EQ(Px(x, 10), kBlack) << x;
        EXPECT_EQ(Px(x, 36), kYellow) << x;
    }
}

TEST_F(GraphImageMouseTest, WithoutAWaveTheMouseIsOnlyReported)
{
    view.SetWaveInfo(nullptr);
    int downs = 0, movesSeen = 0, ups = 0;
    QObject::connect(&view, &TGraphImage::OnMouseDown, [&](auto...) { ++downs; });
    QObject::connect(&view, &TGraphImage::OnMouseMove, [&](auto...) { ++movesSeen; });
    QObject::connect(&view, &TGraphImage::OnMouseUp, [&](auto...) { ++ups; });
    Drag(10, {20});
    Release(20);
    EXPECT_EQ(view.SelectStart(), 0);
    EXPECT_EQ(view.SelectEnd(), 0);
    EXPECT_EQ(downs + movesSeen + ups, 3);
}

} // namespace
