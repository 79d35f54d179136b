// The loop crossfade in the window: the control's steps undone and redone, a
// loop change that shortens the fade in the same step, and the seam
// audition's stream from the virtual device.

#include "AppFixture.h"

#include "app/CrossFadeControl.h"
#include "document/CrossFade.h"
#include "loop/LoopFinder.h"
#include "loop/TestTones.h"
#include "playback/PlayerHarness.h"
#include "view/SeamView.h"

#include <QDoubleSpinBox>
#include <QLabel>
#include <QStatusBar>
#include <QTest>

#include <chrono>

namespace {

constexpr std::size_t kBlock = 4096; // the player's default block size

class MainWindowCrossFadeTest : public AppTest {
protected:
    TCrossFadeControl* Control() const { return Form->findChild<TCrossFadeControl*>("CrossFadeControl"); }
    void SetFadeMs(double Ms) const { Control()->MsBox()->setValue(Ms); }
    QString SampleText() const { return Control()->SampleLabel()->text(); }
    QString CostText() const { return Form->findChild<QLabel*>("SeamCostLabel")->text(); }
};

TEST_F(MainWindowCrossFadeTest, ControlIsInSightAtTheWindowsFirstSize)
{
    Form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    EXPECT_TRUE(Control()->isVisible());
    EXPECT_TRUE(Form->rect().contains(QRect(Control()->mapTo(Form.get(), QPoint(0, 0)), Control()->size())));
}

TEST_F(MainWindowCrossFadeTest, FadeStepsUndoAndRedoAndALoopChangeShortensTheFade)
{
    Add({Wav("w.wav", 10000)});
    EXPECT_FALSE(Control()->isEnabled()); // no loop: no fade
    MenuAt("MainMenu1_LoopEnd", 9000);
    MenuAt("MainMenu1_LoopStart", 2000);
    ASSERT_TRUE(Control()->isEnabled());
    const QString plainCost = CostText();

    SetFadeMs(10.0);
    EXPECT_EQ(Wave().CrossFade(), 441);
    EXPECT_EQ(SampleText(), "441 サンプル");
    EXPECT_NE(CostText(), plainCost); // the cost after the fade
    EXPECT_EQ(Action("MainMenu1_Undo")->text(), "元に戻す(&U) クロスフェードの変更");
    SetFadeMs(1000.0); // more than the loop start allows: its limit
    EXPECT_EQ(Wave().CrossFade(), 2000);
    Trigger("MainMenu1_Undo");
    EXPECT_EQ(Wave().CrossFade(), 441);
    Trigger("MainMenu1_Undo");
    EXPECT_EQ(Wave().CrossFade(), 0);
    EXPECT_EQ(SampleText(), "0 サンプル");
    EXPECT_EQ(CostText(), plainCost);
    Trigger("MainMenu1_Redo");
    EXPECT_EQ(Wave().CrossFade(), 441);
    EXPECT_DOUBLE_EQ(Control()->MsBox()->value(), 10.0);

    // A loop end 300 samples after the start leaves room for 300: one step.
    MenuAt("MainMenu1_LoopEnd", 2300);
    EXPECT_EQ(Wave().CrossFade(), 300);
    EXPECT_EQ(Form->statusBar()->currentMessage(),
              "ループに合わせてクロスフェードを 441 サンプルから 300 サンプルに短くしました");
    Trigger("MainMenu1_Undo");
    EXPECT_EQ(Wave().LoopEnd(), 9000);
    EXPECT_EQ(Wave().CrossFade(), 441);
    Trigger("MainMenu1_LoopClear");
    EXPECT_EQ(Wave().CrossFade(), 0);
    EXPECT_FALSE(Control()->isEnabled());
}

// The audition plays the last half second before the loop end, then the
// first half second from the loop start, again and again, with the fade;
// the stop command ends it.
// 編集 › クロスフェードを自動設定 sets the loop finder's automatic fade as
// one step: a dirty seam becomes good; without a loop nothing happens.
TEST_F(MainWindowCrossFadeTest, AutomaticFadeIsOneStepThatMakesTheSeamGood)
{
    WriteWav(Dir.File("noise.wav"), MakeTone({.Period = 100.37, .NoiseLevel = 0.3}));
    Add({Dir.File("noise.wav")});
    Trigger("MainMenu1_AutoFade");
    EXPECT_EQ(Wave().CrossFade(), 0);
    MenuAt("MainMenu1_LoopEnd", 30000);
    MenuAt("MainMenu1_LoopStart", 10000);
    ASSERT_FALSE(CostText().endsWith(" 良好")) << CostText().toStdString();

    Trigger("MainMenu1_AutoFade");
    const TFadeChoice expected = TLoopFinder(Wave().Samples(), 44100).AutomaticFade(10000, 30000);
    EXPECT_GT(Wave().CrossFade(), 0);
    EXPECT_EQ(Wave().CrossFade(), expected.Samples);
    EXPECT_TRUE(CostText().endsWith(" 良好")) << CostText().toStdString();
    EXPECT_EQ(SampleText(), QString("%1 サンプル").arg(expected.Samples));
    EXPECT_EQ(Form->statusBar()->currentMessage(), QString("クロスフェードを %1 サンプルにしました").arg(expected.Samples));
    EXPECT_EQ(Action("MainMenu1_Undo")->text(), "元に戻す(&U) クロスフェードの自動設定");
    Trigger("MainMenu1_Undo");
    EXPECT_EQ(Wave().CrossFade(), 0);
}

TEST_F(MainWindowCrossFadeTest, AuditionPlaysTheFadedJoinOverAndOver)
{
    constexpr int32_t S = 20000, E = 90000, Half = 22050;
    Add({Wav("w.wav", 100000)});
    MenuAt("MainMenu1_LoopEnd", E);
    MenuAt("MainMenu1_LoopStart", S);
    SetFadeMs(20.0);
    const std::vector<int16_t> bank = FadedWave(Wave().Samples(), Wave().Loop(), Wave().CrossFade());
    std::vector<int16_t> expected;
    while (expected.size() < 3 * 2 * Half) {
        expected.insert(expected.end(), bank.begin() + (E - Half), bank.begin() + E);
        expected.insert(expected.end(), bank.begin() + S, bank.begin() + (S + Half));
    }

    Trigger("MainMenu1_Audition");
    const std::size_t blocks = expected.size() * 2 / kBlock;
    for (std::size_t i = 0; i < blocks; ++i) {
        ASSERT_TRUE(Device->WaitForQueuedBytes(kBlock, std::chrono::seconds(5))) << "block " << i;
        Device->Advance(kBlock);
    }
    std::vector<int16_t> played = Int16Samples(Device->Played());
    expected.resize(played.size());
    EXPECT_EQ(played, expected);
    Trigger("MainMenu1_PlsyStop");
    ASSERT_TRUE(QTest::qWaitFor([this] { return Action("MainMenu1_AddWave")->isEnabled() && !Device->IsOpen(); }, 5000));
    EXPECT_TRUE(Control()->isEnabled());
}

} // namespace
