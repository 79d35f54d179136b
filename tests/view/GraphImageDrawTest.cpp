#include "ViewFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace {

using GraphImageDrawTest = ViewTest;

TEST_F(GraphImageDrawTest, WithoutAWaveEverythingIsWhiteAndMarkersAreNotDrawn)
{
    view.resize(50, 20);
    view.SetView(0, 50);
    view.SetSelection(10, 20);
    view.SetMarker("LOOPSTART", Marker(5, kRedMarker));
    view.SetCursorEnabled(true);
    view.Redraw();
    ASSERT_EQ(view.Surface().size(), QSize(50, 20));
    for (int x = 0; x < 50; ++x)
        ASSERT_TRUE(ColumnIs(x, kWhite)) << x;
}

TEST_F(GraphImageDrawTest, SelectionIsBlackWithAYellowWaveAndTheRestWhiteWithABlueWave)
{
    ShowFlat();
    view.SetSelection(20, 40);
    EXPECT_EQ(Px(10, 10), kWhite);
    EXPECT_EQ(Px(10, 36), kBlue);
    EXPECT_EQ(Px(30, 10), kBlack);
    EXPECT_EQ(Px(30, 36), kYellow);
    EXPECT_EQ(Px(39, 10), kBlack);
    EXPECT_EQ(Px(40, 10), kWhite);
    EXPECT_EQ(Px(60, 36), kBlue);
    // The last line ends on the view's right edge, which it does not paint.
    EXPECT_EQ(Px(99, 36), kWhite);

    view.SetSelection(30, 30);
    EXPECT_EQ(Px(30, 10), kWhite);
    EXPECT_EQ(Px(30, 36), kBlue);
}

TEST_F(GraphImageDrawTest, SampleValuesLandOnTheirRows)
{
    std::vector<int16_t> samples(100, 0);
    std::fill(samples.begin() + 10, samples.begin() + 30, int16_t{32767});
    std::fill(samples.begin() + 40, samples.begin() + 60, int16_t{-16384});
    std::fill(samples.begin() + 70, samples.begin() + 90, int16_t{-32768});
    Show(samples);
    EXPECT_EQ(Px(20, 0), kBlue);
    EXPECT_EQ(Px(50, 54), kBlue);
    EXPECT_EQ(Px(50, 53), kWhite);
    EXPECT_EQ(Px(5, 36), kBlue);
    EXPECT_TRUE(ColumnIs(80, kWhite)); // -32768 lies on row 72, below the view
}

TEST_F(GraphImageDrawTest, MarkersAreDrawnFromTheViewStartUpToButNotAtTheViewEnd)
{
    ShowFlat();
    view.SetView(10, 60); // two columns per sample
    const QImage before = view.Surface();
    view.SetMarker("LOOPEND", Marker(60, kGreenMarker));
    EXPECT_EQ(view.Surface(), before);
    view.SetMarker("LOOPSTART", Marker(10, kRedMarker));
    EXPECT_TRUE(ColumnIs(0, kRed));
    view.SetMarker("LOOPSTART", Marker(59, kRedMarker));
    EXPECT_EQ(Px(0, 10), kWhite); // the old line is wiped
    EXPECT_TRUE(ColumnIs(98, kRed));
}

TEST_F(GraphImageDrawTest, TwoMarkersInOneColumnShowTheLaterAndSurviveEachOther)
{
    ShowFlat(200); // two samples per column: 49 and 50 both round to column 25
    view.SetMarker("LOOPSTART", Marker(49, kRedMarker));
    view.SetMarker("LOOPEND", Marker(50, kGreenMarker));
    EXPECT_TRUE(ColumnIs(25, kGreen));
    // Setting a name again puts it last, on top.
    view.SetMarker("LOOPSTART", Marker(49, kRedMarker));
    EXPECT_TRUE(ColumnIs(25, kRed));
    EXPECT_TRUE(view.RemoveMarker("LOOPSTART"));
    EXPECT_TRUE(ColumnIs(25, kGreen));
    EXPECT_TRUE(view.RemoveMarker("loopend"));
    EXPECT_EQ(Px(25, 10), kWhite);
    EXPECT_EQ(Px(25, 36), kBlue);
    EXPECT_FALSE(view.RemoveMarker("LOOPEND"));

    // Clearing wipes every line.
    view.SetMarker("A", Marker(20, kRedMarker));
    view.SetMarker("B", Marker(120, kGreenMarker));
    view.ClearMarkers();
    EXPECT_EQ(Px(10, 10), kWhite);
    EXPECT_EQ(Px(60, 10), kWhite);
}

TEST_F(GraphImageDrawTest, CursorBlinksBlackOnWhiteOutsideAndWhiteOnBlackInsideTheSelection)
{
    ShowFlat();
    view.SetCursor(100); // out of range: ignored
    view.SetCursor(-1);
    EXPECT_FALSE(view.CursorEnabled());
    EXPECT_EQ(view.Cursor(), 0);

    view.SetCursor(10);
    EXPECT_TRUE(view.CursorEnabled());
    EXPECT_TRUE(ColumnIs(10, kBlack));
    view.SetCursorEnabled(false);
    EXPECT_FALSE(view.CursorEnabled());
    EXPECT_EQ(Px(10, 10), kWhite);
    EXPECT_EQ(Px(10, 36), kBlue);

    view.SetSelection(20, 40);
    view.SetCursor(30);
    EXPECT_TRUE(ColumnIs(30, kWhite));
    view.SetCursorEnabled(false);
    EXPECT_EQ(Px(30, 10), kBlack);
    EXPECT_EQ(Px(30, 36), kBlue); // the hidden cursor's wave pixel is set blue directly
    view.SetCursorEnabled(true);
    EXPECT_TRUE(ColumnIs(30, kWhite));

    // The blink timer toggles the line every half second.
    QElapsedTimer clock;
    clock.start();
    while (Px(30, 10) == kWhite && clock.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(Px(30, 10), kBlack);
    EXPECT_GE(clock.elapsed(), 300);
}

TEST_F(GraphImageDrawTest, AStoppedOrHiddenCursorLeavesNoLineAndGivesMarkersBack)
{
    for (int samples : {100, 1000}) { // one sample per column, and column extremes
        SCOPED_TRACE(samples);
        ShowFlat(samples);
        view.SetCursor(samples * 3 / 10);                              // in column 30
        view.SetMarker("LOOPEND", Marker(samples / 10, kGreenMarker)); // in column 10; stops the cursor
        EXPECT_EQ(Px(30, 10), kWhite);
        view.SetCursor(samples / 10);
        EXPECT_TRUE(ColumnIs(10, kBlack));
        view.SetCursorEnabled(false);
        EXPECT_TRUE(ColumnIs(10, kGreen));
    }
}

// However the cursor moves (keys set it step by step, zooms redraw the
// view), exactly one black column shows it: the line at its old place goes.
TEST_F(GraphImageDrawTest, AMovedCursorLeavesExactlyOneLine)
{
    const auto blackColumns = [this] {
        std::vector<int> found;
        for (int x = 0; x < view.width(); ++x)
            if (ColumnIs(x, kBlack))
                found.push_back(x);
        return found;
    };
    // With 1000 samples the span's last sample rounds past the right edge.
    for (auto [samples, lastColumn] : {std::pair{100, 98}, {1000, 99}}) {
        SCOPED_TRACE(samples);
        const int step = samples / 100;
        ShowFlat(samples);
        view.SetCursorEnabled(true);
        for (int i = 1; i <= 25; ++i)
            view.SetCursor(10 * step + i * step);
        EXPECT_EQ(blackColumns(), std::vector<int>{35});
        view.SetView(0, samples / 2); // zoom in: the old line goes, the blink brings it back
        EXPECT_TRUE(blackColumns().empty());
        view.SetCursorEnabled(true);
        EXPECT_EQ(blackColumns(), std::vector<int>{70});
        view.SetCursor(samples / 2 - 1);
        EXPECT_EQ(blackColumns(), std::vector<int>{lastColumn});
    }
}

// A loop ending after the wave's last sample has its end marker at the
// sample count: at whole-wave zoom it shows in the last column; a span
// ending inside the wave still leaves out a marker at its end.
TEST_F(GraphImageDrawTest, AMarkerAtTheWavesEndShowsInTheLastColumn)
{
    for (int samples : {100, 1000, 37}) {
        SCOPED_TRACE(samples);
        ShowFlat(samples);
        view.SetMarker("LOOPSTART", Marker(0, kRedMarker));
        view.SetMarker("LOOPEND", Marker(samples, kGreenMarker));
        EXPECT_TRUE(ColumnIs(0, kRed));
        EXPECT_TRUE(ColumnIs(99, kGreen));
        view.SetView(samples / 2, samples); // zoomed to the wave's end
        EXPECT_TRUE(ColumnIs(99, kGreen));
        EXPECT_TRUE(view.RemoveMarker("LOOPEND"));
        EXPECT_FALSE(ColumnIs(99, kGreen));
    }
}

TEST_F(GraphImageDrawTest, SetColorFillsAtOnceAndAResizeDrawsAgain)
{
    ShowFlat();
    view.SetColor(TBgrColor(0x00FF00));
    EXPECT_EQ(view.Color(), TBgrColor(0x00FF00));
    EXPECT_TRUE(ColumnIs(50, kGreen));
    view.SetColor(TGraphImage::ButtonFace);
    EXPECT_EQ(Px(50, 36), view.palette().color(QPalette::Button).rgb() & 0xFFFFFF);

    view.show();
    view.resize(200, 40);
    QCoreApplication::processEvents();
    ASSERT_EQ(view.Surface().size(), QSize(200, 40));
    EXPECT_EQ(Px(150, 5), kWhite);
    EXPECT_EQ(Px(150, 20), kBlue);
}

// Views that break 0 <= ViewStart < ViewEnd <= N and empty waves read no
// sample outside the array (the sanitizer build checks every access).
TEST_F(GraphImageDrawTest, ViewsPastTheWaveAndEmptyWavesStayInsideTheSamples)
{
    Show(Ramp(100, 1000));
    for (auto [start, end] : {std::pair{50, 300}, {-40, 60}, {80, 20}, {5, 5}, {-2147483647, 2147483647}}) {
        view.SetView(start, end);
        view.SetSelection(end, start);
        view.SetMarker("M", Marker(start, kRedMarker));
        view.SetCursorEnabled(true);
        view.SetCursorEnabled(false);
    }
    std::vector<int16_t> none;
    Show(none);
    for (int32_t end : {10, 1000}) { // joined samples, then column extremes
        view.SetView(0, end);
        view.SetCursorEnabled(true);
        EXPECT_EQ(Px(50, 36), kBlue) << end; // an empty wave draws as silence
    }
}

} // namespace

namespace {

// A shaded range (a loop's crossfade) is drawn on its own background with
// the wave over it, except where the selection covers it.
TEST_F(GraphImageDrawTest, ShadedRangeShowsOutsideTheSelection)
{
    ShowFlat();
    view.SetShade(50, 80);
    EXPECT_EQ(Px(49, 10), kWhite);
    EXPECT_EQ(Px(50, 10), kShade);
    EXPECT_EQ(Px(60, 36), kBlue);
    EXPECT_EQ(Px(79, 10), kShade);
    EXPECT_EQ(Px(80, 10), kWhite);
    view.SetSelection(60, 70);
    EXPECT_EQ(Px(55, 10), kShade);
    EXPECT_EQ(Px(65, 10), kBlack);
    EXPECT_EQ(Px(75, 10), kShade);
    view.SetShade(0, 0);
    EXPECT_EQ(Px(55, 10), kWhite);
}

} // namespace
