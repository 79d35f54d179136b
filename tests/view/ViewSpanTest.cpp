#include "view/ViewSpan.h"

#include <gtest/gtest.h>

namespace {

TEST(ViewSpanTest, ScrollingKeepsTheLengthInsideTheWave)
{
    const struct {
        TViewSpan Span;
        int64_t Start;
        TViewSpan Expected;
    } cases[] = {
        {{250, 750}, 400, {400, 900}},
        {{250, 750}, 900, {500, 1000}},
        {{250, 750}, -30, {0, 500}},
        {{0, 1000}, 10, {0, 1000}},
        {{0, 5000}, 10, {0, 1000}}, // a span longer than the wave shows the wave
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScrollSpan(c.Span, c.Start, 1000), c.Expected) << c.Start;
}

TEST(ViewSpanTest, ZoomingKeepsTheAnchorInPlaceWithinTheLimits)
{
    const struct {
        TViewSpan Span;
        int64_t Anchor;
        bool In;
        TViewSpan Expected;
    } cases[] = {
        {{0, 1000}, 500, true, {250, 750}},
        {{0, 1000}, 0, true, {0, 500}},
        {{200, 600}, 300, true, {250, 450}}, // the anchor stays a quarter in
        {{100, 118}, 100, true, {100, 110}}, // no narrower than the limit
        {{100, 110}, 105, true, {100, 110}},
        {{100, 104}, 102, true, {100, 104}}, // and never wider when zooming in
        {{250, 750}, 500, false, {0, 1000}},
        {{600, 1000}, 1000, false, {200, 1000}},
        {{800, 1000}, 800, false, {600, 1000}}, // kept inside the wave
        {{0, 1000}, 500, false, {0, 1000}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ZoomSpan(c.Span, c.Anchor, c.In, 1000), c.Expected) << c.Span.Start << ".." << c.Span.End;
}

} // namespace
