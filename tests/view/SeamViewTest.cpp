// The seam view's pixels: the loop end's side, then the loop start's, split
// by the junction line, at the span its zoom chose.

#include "support/TestFiles.h"
#include "view/SeamView.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kGrey = 0xFF808080;
constexpr QRgb kFaded = 0xFFE4ECF8;

// Rows of Column of the view's surface that are not white.
std::vector<int> InkedRows(const TSeamView& View, int Column)
{
    std::vector<int> rows;
    for (int y = 0; y < View.Surface().height(); ++y)
        if (View.Surface().pixel(Column, y) != kWhite)
            rows.push_back(y);
    return rows;
}

TEST(SeamViewTest, ShowsTheEndsSideThenTheStartsSideAroundTheJunction)
{
    // High before the loop end (600), low from the loop start (100) on.
    std::vector<int16_t> samples(1000, 0);
    for (int i = 0; i < 1000; ++i)
        samples[i] = static_cast<int16_t>(i < 300 ? -30000 : 30000);
    TTempDir dir;
    WriteWav(dir.File("seam.wav"), samples);
    TWaveInfo wave;
    wave.LoadFromFile(dir.File("seam.wav"));

    TSeamView view;
    view.resize(64, 33);
    EXPECT_TRUE(view.Empty());
    for (int x = 0; x < 64; ++x)
        ASSERT_TRUE(InkedRows(view, x).empty()) << x;

    view.SetSeam(&wave, 100, 600);
    while (view.Span() > 32)
        view.ZoomIn(); // 32 samples a side: one per column
    EXPECT_EQ(view.Span(), 32);
    EXPECT_EQ(InkedRows(view, 10), std::vector<int>{1}); // 30000 near the top
    EXPECT_EQ(InkedRows(view, 50), std::vector<int>{30}); // -30000 near the bottom
    EXPECT_EQ(view.Surface().pixel(10, 1), kBlue);
    // The junction: the step from the end's side to the start's, over the grey line.
    EXPECT_EQ(InkedRows(view, 32).size(), 33u);
    EXPECT_EQ(view.Surface().pixel(32, 0), kGrey);
    EXPECT_EQ(view.Surface().pixel(32, 10), kBlue);

    // Zoomed in further, samples are joined by lines, across the junction too.
    view.ZoomIn();
    view.ZoomIn(); // 8 samples a side on 64 columns
    EXPECT_EQ(InkedRows(view, 10), std::vector<int>{1});
    EXPECT_EQ(InkedRows(view, 50), std::vector<int>{30});
    EXPECT_GT(InkedRows(view, 31).size(), 1u);

    QKeyEvent minus(QEvent::KeyPress, Qt::Key_Minus, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &minus);
    EXPECT_EQ(view.Span(), 16);
    // A crossfade: its stretch, shaded, leads into the junction (16 samples
    // a side, two columns each).
    view.SetSeam(&wave, 100, 600, std::vector<int16_t>(8, -30000));
    EXPECT_EQ(InkedRows(view, 10), std::vector<int>{1});
    EXPECT_EQ(view.Surface().pixel(20, 5), kFaded);
    EXPECT_EQ(view.Surface().pixel(20, 30), kBlue);
    EXPECT_EQ(view.Surface().pixel(10, 5), kWhite);
    view.SetSeam(&wave, 600, 600); // no loop
    EXPECT_TRUE(view.Empty());
    EXPECT_TRUE(InkedRows(view, 10).empty());
}

} // namespace
