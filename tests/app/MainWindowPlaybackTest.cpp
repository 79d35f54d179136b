// Playing the selected wave through the virtual audio device: the bytes the
// feeder hands over, the window's playing and idle states, and the errors.

#include "AppFixture.h"

#include "app/CrossFadeControl.h"
#include "document/CrossFade.h"
#include "playback/LoopFeeder.h"
#include "app/PlaybackController.h"

#include "playback/LowLVPCM.h"
#include "playback/PlayerHarness.h"

#include <QDoubleSpinBox>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTimer>
#include <QUrl>
#include <QTest>

#include <algorithm>
#include <chrono>

namespace {

const std::size_t kBlock = LiveBlockBytes(44100); // the window's block size

} // namespace

class MainWindowPlaybackTest : public AppTest {
protected:
    QSignalSpy PlayingChanges{Form->findChild<TPlaybackController*>(), &TPlaybackController::PlayingChanged};

    // Adds one ramp wave and gives it a loop.
    void AddLooped(std::size_t Samples, int32_t Start, int32_t End)
    {
        Add({Wav("w.wav", Samples)});
        WaveBehindTheWindow().SetLoopStart(Start);
        WaveBehindTheWindow().SetLoopEnd(End);
    }

    // Lets the device play Blocks full blocks, each once the feeder has
    // refilled the ring, and returns the samples played.
    std::vector<int16_t> PlayBlocks(int Blocks)
    {
        for (int i = 0; i < Blocks; ++i) {
            EXPECT_TRUE(Device->WaitForQueuedBytes(kBlock, std::chrono::seconds(5))) << "block " << i;
            Device->Advance(kBlock);
        }
        return Samples();
    }

    std::vector<int16_t> Samples() const
    {
        return Int16Samples(Device->Played());
    }

    // Handles the reports posted by the player until the window has taken
    // its playing state Starts times since the test began: every start
    // report up to that one, and any stop report before it, handled.
    bool WaitForStarts(int Starts)
    {
        return QTest::qWaitFor(
            [&] {
                return std::count_if(PlayingChanges.begin(), PlayingChanges.end(),
                                     [](const QList<QVariant>& Change) { return Change[0].toBool(); }) >= Starts;
            },
            5000);
    }

    // Waits until the player's stop report has been handled.
    bool WaitForIdle()
    {
        return QTest::qWaitFor([this] { return !PlayingState() && Device->OpenCount() > 0 && !Device->IsOpen(); },
                               5000);
    }

    // The commands that change which waves are in the list rest; the views,
    // the list, the loop commands and undo stay live.
    bool PlayingState() const
    {
        const bool live = List()->isEnabled() && Overview()->isEnabled() && Detail()->isEnabled() &&
                          Form->findChild<QMenu*>("MainMenu1_Edit")->menuAction()->isEnabled() &&
                          Action("MainMenu1_LoopStart")->isEnabled() && Action("MainMenu1_LoopClear")->isEnabled();
        return live && !Action("MainMenu1_AddWave")->isEnabled() && !Action("MainMenu1_MoveUp")->isEnabled();
    }
};

TEST_F(MainWindowPlaybackTest, WaveWithoutLoopPlaysOnceAndStopsByItself)
{
    Add({Wav("w.wav", 1000)});
    Trigger("MainMenu1_PlayStart");
    ASSERT_TRUE(WaitForStarts(1));
    EXPECT_TRUE(PlayingState());
    EXPECT_TRUE(Action("MainMenu1_ViewAll")->isEnabled());
    EXPECT_TRUE(Action("MainMenu1_PlsyStop")->isEnabled());
    EXPECT_EQ(Device->LastFormat().nSamplesPerSec, 44100u);
    EXPECT_EQ(Device->LastFormat().nChannels, 1);
    EXPECT_EQ(Device->LastFormat().wBitsPerSample, 16);

    Device->Advance(2000);
    ASSERT_TRUE(WaitForIdle());
    EXPECT_EQ(Samples(), Ramp(1000));
    EXPECT_FALSE(PlayingState());
    EXPECT_TRUE(Action("MainMenu1_AddWave")->isEnabled());
    EXPECT_TRUE(List()->hasFocus() || !Form->isActiveWindow());
    EXPECT_FALSE(HasMarkerLine(*Overview(), 1000, kBlackLine));
    EXPECT_FALSE(HasMarkerLine(*Detail(), 0, kBlackLine));
}

TEST_F(MainWindowPlaybackTest, LoopedWaveRepeatsItsLoopExactly)
{
    AddLooped(1000, 100, 200);
    Trigger("MainMenu1_PlayStart");
    const std::vector<int16_t> played = PlayBlocks(60); // about 2.8 seconds
    EXPECT_EQ(played, LoopStream(1000, 100, 200, played.size()));
    Trigger("MainMenu1_PlsyStop");
    ASSERT_TRUE(WaitForIdle());
}

TEST_F(MainWindowPlaybackTest, LoopOfOneBlockFillsEveryBlockWithIt)
{
    const std::size_t samples = kBlock / 2;
    AddLooped(5000, 0, int32_t(samples));
    Trigger("MainMenu1_PlayStart");
    const std::vector<int16_t> played = PlayBlocks(8);
    ASSERT_EQ(played.size(), 8u * samples);
    const std::vector<int16_t> loop = Ramp(samples);
    for (std::size_t b = 0; b < 8; ++b)
        EXPECT_TRUE(std::equal(loop.begin(), loop.end(), played.begin() + static_cast<long>(b * samples))) << b;
}

TEST_F(MainWindowPlaybackTest, InvalidLoopsAreRefusedBeforeAnythingPlays)
{
    AddLooped(1000, 500, 0);
    Trigger("MainMenu1_PlayStart");
    WaveBehindTheWindow().SetLoopStart(300);
    WaveBehindTheWindow().SetLoopEnd(300);
    Trigger("MainMenu1_PlayStart");
    EXPECT_EQ(TakeErrors(), (std::vector<QString>{"ループの指定が不正です.", "ループの指定が不正です."}));
    EXPECT_EQ(Device->OpenCount(), 0);

    WaveBehindTheWindow().SetLoopStart(0);
    Trigger("MainMenu1_PlayStart");
    EXPECT_EQ(Device->OpenCount(), 1);
    Trigger("MainMenu1_PlsyStop");
    ASSERT_TRUE(WaitForIdle());
}

TEST_F(MainWindowPlaybackTest, PlayCursorRunsAndIsRemovedWhenPlaybackStops)
{
    AddLooped(44100, 0, 44100);
    Trigger("MainMenu1_PlayStart");
    PlayBlocks(3);
    const auto at = [](std::size_t Blocks) { return int32_t(Blocks * kBlock / 2); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return HasMarkerLine(*Overview(), at(4 + 3), kBlackLine) ||
                                             HasMarkerLine(*Overview(), at(3 + 3), kBlackLine); },
                                2000));
    Trigger("MainMenu1_PlsyStop");
    ASSERT_TRUE(WaitForIdle());
    Overview()->Redraw();
    for (int32_t pos = 0; pos <= 44100; pos += 2048)
        EXPECT_FALSE(HasMarkerLine(*Overview(), pos, kBlackLine)) << pos;
}

TEST_F(MainWindowPlaybackTest, PlayWhilePlayingKeepsTheNewPlaybacksCursor)
{
    AddLooped(44100, 0, 44100);
    Trigger("MainMenu1_PlayStart");
    ASSERT_TRUE(WaitForStarts(1));
    Trigger("MainMenu1_PlayStart");
    ASSERT_TRUE(WaitForStarts(2));
    EXPECT_TRUE(PlayingState());
    EXPECT_TRUE(Form->findChild<QTimer*>("CursorTimer")->isActive());
    Trigger("MainMenu1_PlsyStop");
    ASSERT_TRUE(WaitForIdle());
    EXPECT_FALSE(Form->findChild<QTimer*>("CursorTimer")->isActive());
}

TEST_F(MainWindowPlaybackTest, DeviceThatCannotOpenLeavesTheWindowIdle)
{
    Add({Wav("w.wav", 1000)});
    Device->SetFailOpen(true);
    Trigger("MainMenu1_PlayStart");
    ASSERT_TRUE(QTest::qWaitFor([this] { return !Prompter->Errors.empty(); }, 2000));
    EXPECT_EQ(Prompter->Errors.front(), std::make_pair(QString("Error"), QString("Wave デバイスを使用できません")));
    Prompter->Errors.clear();
    EXPECT_FALSE(Form->findChild<QTimer*>("CursorTimer")->isActive());
    EXPECT_FALSE(PlayingState());
    Detail()->Redraw();
    EXPECT_FALSE(HasMarkerLine(*Detail(), 0, kBlackLine));
}

TEST_F(MainWindowPlaybackTest, WavesDroppedWhilePlayingDoNotDisturbTheFeeder)
{
    AddLooped(3000, 0, 3000);
    Trigger("MainMenu1_PlayStart");
    PlayBlocks(2);
    std::vector<std::string> more;
    for (int i = 0; i < 5; ++i)
        more.push_back(Wav(QString("d%1.wav").arg(i).toStdString(), 100));
    DropFiles(more);
    EXPECT_EQ(Form->Document().Count(), 6);
    const std::vector<int16_t> played = PlayBlocks(4);
    for (std::size_t i = 0; i < played.size(); ++i)
        ASSERT_EQ(played[i], static_cast<int16_t>(i % 3000)) << i;
    Trigger("MainMenu1_PlsyStop");
    ASSERT_TRUE(WaitForIdle());
}

// The player reads the playing wave's samples where they are: while it
// plays, the delete command must not reach the list.
TEST_F(MainWindowPlaybackTest, DeleteCommandCannotRemoveTheWaveBeingPlayed)
{
    AddLooped(3000, 0, 3000);
    Trigger("MainMenu1_PlayStart");
    ASSERT_TRUE(WaitForStarts(1));
    EXPECT_FALSE(Action("MainMenu1_DeleteWave")->isEnabled());
    Trigger("MainMenu1_DeleteWave");
    EXPECT_EQ(Form->Document().Count(), 1);
    const std::vector<int16_t> played = PlayBlocks(3);
    for (std::size_t i = 0; i < played.size(); ++i)
        ASSERT_EQ(played[i], static_cast<int16_t>(i % 3000)) << i;
    Trigger("MainMenu1_PlsyStop");
    ASSERT_TRUE(WaitForIdle());
    EXPECT_TRUE(Action("MainMenu1_DeleteWave")->isEnabled());
}

// New and opening a list stay enabled while a wave plays; both empty the
// list only once the player has stopped.
TEST_F(MainWindowPlaybackTest, ClearingTheListStopsThePlayerFirst)
{
    const std::string list = Dir.File("list.ksd");
    {
        TKSD saved;
        saved.AddWave(Wav("saved.wav", 100));
        saved.SaveToFile(list);
    }
    for (const char* command : {"MainMenu1_New", "MainMenu1_OpenKSD"}) {
        SCOPED_TRACE(command);
        AddLooped(3000, 0, 3000);
        Trigger("MainMenu1_PlayStart");
        PlayBlocks(1);
        Prompter->Answers.push_back(TPrompter::TAnswer::No); // the unsaved list may go
        Prompter->Files.push_back({QString::fromStdString(list)});
        Trigger(command);
        EXPECT_FALSE(Device->IsOpen());
        ASSERT_TRUE(WaitForIdle());
        Prompter->Files.clear();
        Trigger("MainMenu1_New");
    }
}

// ---- Editing while a wave plays ---------------------------------------------

namespace {

// Whether every sample of the last block played lies in [From, To).
bool LastBlockWithin(const std::vector<int16_t>& Played, int32_t From, int32_t To)
{
    const std::size_t samples = kBlock / 2;
    return Played.size() >= samples && std::all_of(Played.end() - samples, Played.end(), [&](int16_t Sample) {
               return Sample >= From && Sample < To;
           });
}

} // namespace

// The loop commands and the fade act on the playing wave; the ring's queued
// blocks play out and the next one filled plays the new loop.
TEST_F(MainWindowPlaybackTest, LoopCommandsAndFadeStayLiveAndAreHeardWhilePlaying)
{
    Add({Wav("w.wav", 40000)});
    MenuAt("MainMenu1_LoopEnd", 30000);
    MenuAt("MainMenu1_LoopStart", 1000);
    Trigger("MainMenu1_PlayStart");
    ASSERT_TRUE(WaitForStarts(1));
    ASSERT_TRUE(PlayingState());
    auto* fade = Form->findChild<TCrossFadeControl*>("CrossFadeControl");
    EXPECT_TRUE(fade->isEnabled());
    PlayBlocks(4); // 8 blocks handed over: 4096 samples

    MenuAt("MainMenu1_LoopEnd", 3000); // the play position lies past it: on from the loop start
    QCoreApplication::processEvents();
    EXPECT_TRUE(LastBlockWithin(PlayBlocks(5), 1000, 3000));
    fade->MsBox()->setValue(10.0);
    QCoreApplication::processEvents();
    EXPECT_GT(Wave().CrossFade(), 0);
    const std::vector<int16_t> bank = FadedWave(Wave().Samples(), Wave().Loop(), Wave().CrossFade());
    const std::vector<int16_t> faded(bank.begin() + 2950, bank.begin() + 3000);
    const std::vector<int16_t> ramp = Ramp(3000);
    ASSERT_NE(faded, std::vector<int16_t>(ramp.begin() + 2950, ramp.end()));
    const std::vector<int16_t> played = PlayBlocks(9); // the last five hold a whole pass of the loop
    EXPECT_NE(std::search(played.end() - 5 * kBlock / 2, played.end(), faded.begin(), faded.end()), played.end());

    Trigger("MainMenu1_Undo"); // the fade
    Trigger("MainMenu1_Undo"); // the loop end
    QCoreApplication::processEvents();
    EXPECT_EQ(Wave().LoopEnd(), 30000);
    Trigger("MainMenu1_PlsyStop");
    ASSERT_TRUE(WaitForIdle());
}

// Another row selected while a wave plays plays that wave from its start; a
// wave taken out of the list by undo stops first.
TEST_F(MainWindowPlaybackTest, SelectingAnotherRowSwitchesThePlayingWave)
{
    Add({Wav("short.wav", 3000)});
    WaveBehindTheWindow(0).SetLoopEnd(3000);
    Add({Wav("long.wav", 40000)});
    WaveBehindTheWindow(1).SetLoopEnd(40000);
    ClickRow(0);
    Trigger("MainMenu1_PlayStart");
    ASSERT_TRUE(WaitForStarts(1));
    PlayBlocks(2);
    ClickRow(1);
    ASSERT_TRUE(WaitForStarts(2));
    EXPECT_EQ(Device->OpenCount(), 2);
    Device->ClearPlayed();
    EXPECT_EQ(PlayBlocks(4), Ramp(4 * kBlock / 2)); // past the short wave's 3000
    EXPECT_TRUE(PlayingState());

    Trigger("MainMenu1_Undo"); // the add of the playing wave
    EXPECT_EQ(Form->Document().Count(), 1);
    EXPECT_FALSE(Device->IsOpen());
    ASSERT_TRUE(WaitForIdle());
}

// Shift+Space's command plays the shown wave from the cursor.
TEST_F(MainWindowPlaybackTest, PlayFromCursorStartsAtTheCursor)
{
    Add({Wav("w.wav", 40000)});
    MenuAt("MainMenu1_PlayFromCursor", 20000);
    const std::vector<int16_t> played = PlayBlocks(2);
    ASSERT_FALSE(played.empty());
    EXPECT_EQ(played.front(), 20000);
    EXPECT_EQ(Action("MainMenu1_PlayFromCursor")->shortcut(), QKeySequence("Shift+Space"));
    Trigger("MainMenu1_PlsyStop");
    ASSERT_TRUE(WaitForIdle());
}
