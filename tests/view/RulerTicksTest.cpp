// The time ruler's ticks: steps of 1, 2 or 5 that keep labels apart, whole
// multiples of the step, and labels with the decimals the step needs.

#include "view/RulerTicks.h"

#include <gtest/gtest.h>

TEST(RulerTicks, StepsKeepLabelsApartAndStayPutWhileScrolling)
{
    struct TCase {
        int64_t Start, End, Width;
        TTimeUnit Unit;
        std::vector<std::string> Labels;
        int64_t FirstSample;
    } const cases[] = {
        // 1 s over 500 px, labels at least 100 px apart: 0.2 s steps.
        {0, 44100, 500, TTimeUnit::Seconds, {"0.0", "0.2", "0.4", "0.6", "0.8"}, 0},
        // Scrolled by a little: the first tick is the next multiple of the step.
        {100, 44200, 500, TTimeUnit::Seconds, {"0.2", "0.4", "0.6", "0.8", "1.0"}, 8820},
        // 50 samples over 500 px: whole samples, never fractions.
        {1000, 1050, 500, TTimeUnit::Samples, {"1000", "1010", "1020", "1030", "1040"}, 1000},
        // Milliseconds need three decimals.
        {0, 441, 500, TTimeUnit::Seconds, {"0.000", "0.002", "0.004", "0.006", "0.008"}, 0},
    };
    for (const TCase& c : cases) {
        const std::vector<TRulerTick> ticks = RulerTicks(c.Start, c.End, c.Width, 44100, c.Unit, 100);
        std::vector<std::string> labels;
        for (const TRulerTick& tick : ticks)
            labels.push_back(tick.Label);
        EXPECT_EQ(labels, c.Labels) << c.Start << ".." << c.End;
        ASSERT_FALSE(ticks.empty());
        EXPECT_EQ(ticks.front().Sample, c.FirstSample);
    }
    EXPECT_TRUE(RulerTicks(0, 0, 500, 44100, TTimeUnit::Seconds, 100).empty());
    EXPECT_TRUE(RulerTicks(0, 100, 500, 0, TTimeUnit::Seconds, 100).empty());
}
