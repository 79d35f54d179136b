#include "ViewFixture.h"

#include "view/ViewMapping.h"

#include <cmath>
#include <numbers>
#include <random>

namespace {

using GraphImagePeakTest = ViewTest;

std::vector<int16_t> Tone(double hertz, std::size_t count, double amplitude)
{
    std::vector<int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * std::numbers::pi * hertz * i / 44100.0)));
    return samples;
}

std::vector<int16_t> Noise(std::size_t count)
{
    std::mt19937 random(11);
    std::vector<int16_t> samples(count);
    for (int16_t& s : samples)
        s = static_cast<int16_t>(random());
    return samples;
}

// Every column of the view is Fore exactly on the rows from its largest to its
// smallest sample (its own samples and the next column's first) and Back elsewhere.
void ExpectColumnExtremes(const TGraphImage& view, const std::vector<int16_t>& samples, QRgb fore, QRgb back,
                          int from, int to)
{
    const TViewMapping m{view.ViewStart(), view.ViewEnd(), view.width(), view.height()};
    for (int x = from; x < to; ++x) {
        const auto first = samples.begin() + m.XToSample(x);
        const auto last = samples.begin() + std::min<int64_t>(m.XToSample(x + 1), samples.size() - 1) + 1;
        const auto [lo, hi] = std::minmax_element(first, last);
        for (int y = 0; y < view.height(); ++y) {
            const bool inside = y >= m.SampleToY(*hi) && y <= m.SampleToY(*lo);
            ASSERT_EQ(view.Surface().pixel(x, y) & 0xFFFFFF, inside ? fore : back) << x << ", " << y;
        }
    }
}

TEST_F(GraphImagePeakTest, ColumnsShowTheExtremesOfTheirSamplesAtEveryZoom)
{
    // A pure tone spreads over the whole band at every column once a column
    // covers a period; one sample per column would show beats instead.
    const std::vector<int16_t> tone = Tone(440, 44100, 16000);
    Show(tone, 200, 72);
    for (int x = 0; x < 200; ++x) {
        ASSERT_EQ(Px(x, 18), kBlue) << x;
        ASSERT_EQ(Px(x, 53), kBlue) << x;
        ASSERT_EQ(Px(x, 17), kWhite) << x;
        ASSERT_EQ(Px(x, 54), kWhite) << x;
    }
    for (auto [start, end] : {std::pair{0, 44100}, {1000, 5410}, {300, 601}, {43000, 44100}}) {
        view.SetView(start, end);
        ExpectColumnExtremes(view, tone, kBlue, kWhite, 0, 200);
    }
    view.SetView(0, 44100);
    view.SetSelection(11025, 22050); // columns 50 .. 99
    ExpectColumnExtremes(view, tone, kYellow, kBlack, 50, 100);
    ExpectColumnExtremes(view, tone, kBlue, kWhite, 100, 200);
}

// Where a column covers at most one sample, the drawing is the joined samples
// it always was, with selection, markers and cursor; hiding the cursor over
// column extremes brings the column back as it was.
TEST_F(GraphImagePeakTest, OneSampleOrLessPerColumnDrawsAsBefore)
{
    const std::vector<int16_t> noise = Noise(1000);
    Show(noise, 200, 60);
    for (auto [start, end] : {std::pair{0, 200}, {100, 150}, {990, 1000}, {0, 199}}) {
        view.SetView(start, end);
        view.SetSelection(start + 20, start + 40);
        view.SetMarker("LOOPSTART", Marker(start + 5, kRedMarker));
        view.SetCursor(start + 30);
        const QImage peaks = view.Surface();
        view.SetPeakDrawing(false);
        view.SetCursor(start + 30);
        EXPECT_EQ(view.Surface(), peaks) << start << ".." << end;
        view.SetPeakDrawing(true);
    }
    view.SetView(0, 1000);
    const QImage before = view.Surface();
    view.SetCursor(500);
    view.SetCursorEnabled(false);
    EXPECT_EQ(view.Surface(), before);
}

} // namespace
