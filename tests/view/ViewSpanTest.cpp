#include "view/ViewSpan.h"

#include <gtest/gtest.h>

namespace {

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
        {{0, 0}, 0, true, {0, 0}}, // no span, nothing to zoom
    };
    for (const auto& c : cases)
        EXPECT_EQ(ZoomSpan(c.Span, c.Anchor, c.In, 1000), c.Expected) << c.Span.Start << ".." << c.Span.End;
}

} // namespace
