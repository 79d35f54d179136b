// The list model without a window: every undo step goes back to the list and
// loop state before it and forward to the one after, the modified flag
// follows the saved state, and steps that change nothing are no steps.

#include "app/WaveListModel.h"
#include "support/ErrorOf.h"
#include "support/TestFiles.h"

#include <QUndoStack>
#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

class WaveListModelTest : public testing::Test {
protected:
    void Append(std::initializer_list<std::pair<const char*, std::size_t>> Waves)
    {
        std::vector<std::unique_ptr<TWaveInfo>> read;
        for (const auto& [name, samples] : Waves)
            read.push_back(TKSD::ReadWave(Dir.Wav(name, samples)));
        Model.AppendWaves(std::move(read), -1);
    }
    // Each wave's name and loop state, e.g. "a.wav 0..500 -/500".
    std::vector<std::string> State() const
    {
        std::vector<std::string> rows;
        for (int32_t i = 0; i < Model.Count(); ++i) {
            const TLoopState loop = Model.LoopOf(i);
            rows.push_back(Model.Wave(i)->WaveName() + " " + std::to_string(loop.Start) + ".." +
                           std::to_string(loop.End) + " " + (loop.StartShown ? "s" : "-") +
                           (loop.EndShown ? "e" : "-"));
        }
        return rows;
    }

    TTempDir Dir;
    TWaveListModel Model;
};

TEST_F(WaveListModelTest, EveryStepUndoesAndRedoesAndTheModifiedFlagFollowsTheSavedState)
{
    Append({{"a.wav", 1000}, {"b.wav", 2000}});
    Model.Save(Dir.File("saved.ksd"));
    const struct {
        const char* Step;
        std::function<void()> Change;
    } steps[] = {
        {"append", [&] { Append({{"c.wav", 300}}); }},
        {"delete", [&] { Model.DeleteWave(0); }},
        {"move", [&] { Model.MoveWave(1, 0); }},
        {"end only", [&] { Model.SetLoop(1, 0, 500, "end"); }},
        {"loop", [&] { Model.SetLoop(0, 100, 400, "loop"); }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.Step);
        ASSERT_FALSE(Model.Modified());
        const auto before = State();
        step.Change();
        const auto after = State();
        EXPECT_NE(after, before);
        EXPECT_TRUE(Model.Modified());
        Model.UndoStack().undo();
        EXPECT_EQ(State(), before);
        EXPECT_FALSE(Model.Modified());
        Model.UndoStack().redo();
        EXPECT_EQ(State(), after);
        Model.UndoStack().undo();
    }
}

TEST_F(WaveListModelTest, LoopPointsShowOnceSetAndADragIsNoStep)
{
    Append({{"a.wav", 1000}});
    const int steps = Model.UndoStack().count();
    Model.SetLoop(0, 0, 0, "none"); // nothing changes: no step
    Model.SetLoop(0, 0, 500, "end");
    EXPECT_EQ(State(), std::vector<std::string>{"a.wav 0..500 -e"});
    Model.SetLoop(0, 0, 500, "same");
    EXPECT_EQ(Model.UndoStack().count(), steps + 1);

    const TLoopState saved = Model.LoopOf(0);
    EXPECT_EQ(Model.DragLoopPoint(0, true, 200), 200);
    EXPECT_EQ(State(), std::vector<std::string>{"a.wav 200..500 se"});
    EXPECT_EQ(Model.UndoStack().count(), steps + 1);
    Model.RestoreLoop(0, saved);
    EXPECT_EQ(Model.LoopOf(0), saved);

    Model.SetLoop(0, 0, 0, "clear");
    EXPECT_EQ(State(), std::vector<std::string>{"a.wav 0..0 --"});
}

TEST_F(WaveListModelTest, LoadingReplacesTheListWithNothingToUndoOrEmptiesItOnFailure)
{
    Append({{"a.wav", 1000}});
    Model.SetLoop(0, 100, 400, "loop");
    const std::string saved = Dir.File("saved.ksd");
    Model.Save(saved);
    Append({{"b.wav", 10}});

    Model.Load(saved);
    EXPECT_EQ(State(), std::vector<std::string>{"a.wav 100..400 se"});
    EXPECT_FALSE(Model.Modified());
    EXPECT_FALSE(Model.UndoStack().canUndo());

    EXPECT_NE(ErrorOf<Exception>([&] { Model.Load(Dir.File("missing.ksd")); }), "no error");
    EXPECT_EQ(Model.Count(), 0);
    EXPECT_FALSE(Model.UndoStack().canUndo());
}

} // namespace

// The seam is kept between changes; after each change of the loop or its
// fade it is the one a fresh measure of the new loop gives.
TEST_F(WaveListModelTest, TheKeptSeamFollowsEveryLoopAndFadeChange)
{
    Append({{"a.wav", 4000}});
    const auto fresh = [&]() -> std::optional<double> {
        const TWaveInfo& wave = *Model.Wave(0);
        if (!wave.Loop().Plays())
            return std::nullopt;
        return TLoopFinder(wave.Samples(), wave.SamplesPerSec())
            .Measure(wave.LoopStart(), wave.LoopEnd(), wave.CrossFade())
            .Cost;
    };
    const struct {
        const char* Step;
        std::function<void()> Change;
    } steps[] = {
        {"loop", [&] { Model.SetLoop(0, 1000, 3000, "loop"); }},
        {"fade", [&] { Model.SetCrossFade(0, 200, "fade"); }},
        {"drag", [&] { Model.DragLoopPoint(0, false, 2500); }},
        {"undo", [&] { Model.UndoStack().undo(); }},
        {"no loop", [&] { Model.SetLoop(0, 0, 0, "clear"); }},
    };
    EXPECT_FALSE(Model.SeamOf(0));
    for (const auto& step : steps) {
        SCOPED_TRACE(step.Step);
        const auto before = Model.SeamOf(0); // kept from here on
        step.Change();
        const auto seam = Model.SeamOf(0);
        ASSERT_EQ(seam.has_value(), fresh().has_value());
        if (seam)
            EXPECT_DOUBLE_EQ(seam->Cost, *fresh());
        EXPECT_TRUE(!before || !seam || before->Cost != seam->Cost) << "the change should move the seam";
    }
}
