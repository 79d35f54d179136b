// The movement of made sounds: each kind found at its rate, and none in a
// steady or noisy tone.

#include "loop/AutoLoop.h"
#include "loop/Movement.h"
#include "loop/TestTones.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace {

TEST(MovementTest, FindsTheKindAndRateOfMadeMovements)
{
    constexpr int32_t kRate = 44100;
    const double period = 100.0; // 441 Hz
    struct TCase {
        const char* Name;
        TTone Tone;
        std::optional<TMovementKind> Kind;
        double Hz;
    };
    const TCase cases[] = {
        {"vibrato 5 Hz", {.Period = period, .Seconds = 3, .VibratoHz = 5, .VibratoDepth = 0.01}, TMovementKind::Vibrato, 5},
        {"tremolo 3 Hz", {.Period = period, .Seconds = 3, .TremoloHz = 3, .TremoloDepth = 0.3}, TMovementKind::Tremolo, 3},
        {"beating 1.5 Hz",
         {.Period = period, .Seconds = 3, .DetuneRatio = 1 + 1.5 * period / kRate, .DetuneLevel = 1.0},
         TMovementKind::Beating, 1.5},
        {"low vibrato 6 Hz", {.Period = 800.3, .Seconds = 3, .VibratoHz = 6, .VibratoDepth = 0.008}, TMovementKind::Vibrato, 6},
        {"steady", {.Period = period, .Seconds = 3}, std::nullopt, 0},
        {"steady in noise", {.Period = 100.37, .Seconds = 3, .NoiseLevel = 0.05}, std::nullopt, 0},
        {"decaying", {.Period = 90.3, .Seconds = 3, .DecaySeconds = 1}, std::nullopt, 0},
    };
    for (const TCase& c : cases) {
        const std::vector<int16_t> tone = MakeTone(c.Tone);
        const auto count = static_cast<int32_t>(tone.size());
        const std::optional<TMovement> movement = MovementOf(tone, kRate, {count / 10, count - count / 10});
        ASSERT_EQ(movement.has_value(), c.Kind.has_value()) << c.Name << " " << (movement ? movement->Hz : 0);
        if (!movement)
            continue;
        EXPECT_EQ(movement->Kind, *c.Kind) << c.Name;
        EXPECT_NEAR(movement->Hz, c.Hz, 0.05 * c.Hz) << c.Name;
        EXPECT_NEAR(movement->Period, kRate / c.Hz, 0.05 * kRate / c.Hz) << c.Name;
    }
}

} // namespace

namespace {

// The automatic loop of a moving sound holds whole cycles of its movement,
// cleanly.
TEST(MovementTest, AutomaticLoopsHoldWholeCyclesOfTheMovement)
{
    constexpr int32_t kRate = 44100;
    const double period = 100.37;
    const struct {
        const char* Name;
        TTone Tone;
        double Hz;
    } cases[] = {
        {"vibrato 5 Hz", {.Period = period, .Seconds = 3, .VibratoHz = 5, .VibratoDepth = 0.01}, 5},
        {"tremolo 3 Hz", {.Period = period, .Seconds = 3, .TremoloHz = 3, .TremoloDepth = 0.3}, 3},
        {"beating 1.5 Hz", {.Period = period, .Seconds = 3, .DetuneRatio = 1 + 1.5 * period / kRate}, 1.5},
        // Half a cycle joins more cleanly here, as the level falls less.
        {"decaying vibrato 5 Hz",
         {.Period = period, .Seconds = 3, .DecaySeconds = 3, .VibratoHz = 5, .VibratoDepth = 0.01},
         5},
    };
    for (const auto& c : cases) {
        const std::vector<int16_t> tone = MakeTone(c.Tone);
        const TAutoLoops found = FindAutoLoops(tone, kRate, {});
        ASSERT_TRUE(found.Movement && !found.Loops.empty()) << c.Name;
        const double cycles = found.Loops[0].Length() * c.Hz / kRate;
        EXPECT_GE(std::round(cycles), 1) << c.Name;
        EXPECT_NEAR(cycles, std::round(cycles), 0.2) << c.Name;
        EXPECT_LT(found.Loops[0].Cost, kFairSeamCost) << c.Name;
    }
}

} // namespace
