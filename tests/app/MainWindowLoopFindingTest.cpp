// The window's loop finding: the seam view and cost follow the loop, loop
// points snap to zero crossings only while snapping is on, and the
// automatic loop command applies its loop or says that there is none.

#include "AppFixture.h"

#include "app/ProgramSettings.h"
#include "common/Format.h"
#include "loop/LoopFinder.h"
#include "loop/TestTones.h"
#include "loop/ZeroCrossing.h"
#include "view/SeamView.h"

#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QStatusBar>
#include <QTest>

#include <cstdio>

class MainWindowLoopFindingTest : public AppTest {
protected:
    TSamples Samples() const { return Wave().Samples(); }
    TSeamView* Seam() const { return Form->findChild<TSeamView*>("SeamView"); }
    QString SeamCostText() const { return Form->findChild<QLabel*>("SeamCostLabel")->text(); }

    void AddTone(const std::vector<int16_t>& Samples)
    {
        WriteWav(Dir.File("tone.wav"), Samples);
        Add({Dir.File("tone.wav")});
    }
};

// A click in a waveform view takes the focus from the seam view, so the zoom
// commands go back to the detail view.
TEST_F(MainWindowLoopFindingTest, ZoomGoesToTheSeamViewOnlyUntilAWaveformViewIsClicked)
{
    Add({Wav("a.wav", 1000)});
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    QTest::mouseClick(Seam(), Qt::LeftButton);
    Trigger("MainMenu1_ZoomIn");
    EXPECT_EQ(Seam()->Span(), TSeamView::kDefaultSpan / 2);
    EXPECT_EQ(Detail()->ViewEnd() - Detail()->ViewStart(), 1000);
    QTest::mouseClick(Detail(), Qt::LeftButton, {}, QPoint(10, 10));
    Trigger("MainMenu1_ZoomIn");
    EXPECT_EQ(Seam()->Span(), TSeamView::kDefaultSpan / 2);
    EXPECT_EQ(Detail()->ViewEnd() - Detail()->ViewStart(), 500);
}

TEST_F(MainWindowLoopFindingTest, SeamViewAndCostFollowTheLoop)
{
    AddTone(MakeTone({.Period = 100}));
    EXPECT_TRUE(Seam()->Empty());
    EXPECT_TRUE(SeamCostText().isEmpty());
    MenuAt("MainMenu1_LoopStart", 5000);
    MenuAt("MainMenu1_LoopEnd", 9000);
    EXPECT_FALSE(Seam()->Empty());
    EXPECT_TRUE(SeamCostText().endsWith(" 良好")) << SeamCostText().toStdString();
    MenuAt("MainMenu1_LoopEnd", 9050);
    EXPECT_TRUE(SeamCostText().endsWith(" 不良")) << SeamCostText().toStdString();
    Trigger("MainMenu1_LoopClear");
    EXPECT_TRUE(Seam()->Empty());
    EXPECT_TRUE(SeamCostText().isEmpty());
}

TEST_F(MainWindowLoopFindingTest, SnapsOnlyWhileSnappingIsOnAndRemembersIt)
{
    AddTone(MakeTone({.Period = 100.37}));
    QAction* snap = Action("MainMenu1_SnapToZero");
    ASSERT_FALSE(snap->isChecked());
    MenuAt("MainMenu1_LoopStart", 5003);
    EXPECT_EQ(Wave().LoopStart(), 5003);

    snap->trigger();
    EXPECT_TRUE(ProgramSettings().value("Edit/SnapToZeroCrossings").toBool());
    MenuAt("MainMenu1_LoopStart", 5003); // the end is not set: a rising crossing
    EXPECT_TRUE(IsZeroCrossing(Samples(), Wave().LoopStart(), TSlope::Rising));
    EXPECT_LE(std::abs(Wave().LoopStart() - 5003), 100);
    MenuAt("MainMenu1_LoopEnd", 9003); // the start's slope
    EXPECT_TRUE(IsZeroCrossing(Samples(), Wave().LoopEnd(), TSlope::Rising));
    EXPECT_EQ(Cell(0, 5), QString::number(Wave().LoopEnd()));

    snap->trigger();
    EXPECT_FALSE(ProgramSettings().value("Edit/SnapToZeroCrossings").toBool());
    MenuAt("MainMenu1_LoopEnd", 9003);
    EXPECT_EQ(Wave().LoopEnd(), 9003);

    // On with the other loop commands while a wave plays.
    Trigger("MainMenu1_PlayStart");
    ASSERT_TRUE(QTest::qWaitFor([this] { return !Action("MainMenu1_AddWave")->isEnabled(); }));
    for (const char* name : {"MainMenu1_SnapToZero", "MainMenu1_FindLoop", "MainMenu1_FindLoopWide"})
        EXPECT_TRUE(Action(name)->isEnabled()) << name;
}

TEST_F(MainWindowLoopFindingTest, AutomaticLoopAppliesItsLoopOrSaysThereIsNone)
{
    std::vector<int16_t> samples(3000, 0); // silence, then a tone
    const std::vector<int16_t> tone = MakeTone({.Period = 100.37});
    samples.insert(samples.end(), tone.begin(), tone.end());
    AddTone(samples);
    Trigger("MainMenu1_FindLoop"); // no loop: the whole wave
    EXPECT_TRUE(TakeErrors().empty());
    EXPECT_LT(SeamCost(Samples(), Wave().LoopStart(), Wave().LoopEnd(), 220), kGoodSeamCost);
    EXPECT_EQ(Cell(0, 4), QString::number(Wave().LoopStart()));
    EXPECT_EQ(Form->statusBar()->currentMessage(),
              QString("ループ %1:%2 を見つけました").arg(Wave().LoopStart()).arg(Wave().LoopEnd()));
    EXPECT_TRUE(Form->Modified());
    Trigger("MainMenu1_Undo"); // one undo step, and the seam view follows it
    EXPECT_EQ(Wave().LoopEnd(), 0);
    EXPECT_TRUE(Seam()->Empty());
    Trigger("MainMenu1_Redo");
    EXPECT_FALSE(Seam()->Empty());

    MenuAt("MainMenu1_LoopEnd", Wave().LoopEnd() + 40); // a loop: the best end near its end
    Trigger("MainMenu1_FindLoop");
    EXPECT_LT(SeamCost(Samples(), Wave().LoopStart(), Wave().LoopEnd(), 220), kGoodSeamCost);
    EXPECT_TRUE(SeamCostText().endsWith(" 良好"));
    Trigger("MainMenu1_FindLoop"); // nothing better: the status bar says so
    EXPECT_EQ(Form->statusBar()->currentMessage(), "今のループより良いループは見つかりませんでした");

    Trigger("MainMenu1_LoopClear");
    Detail()->SetSelection(0, 2000); // silence: nothing to loop there
    Trigger("MainMenu1_FindLoop");
    EXPECT_EQ(TakeErrors(), std::vector<QString>{"適切なループが見つかりません."});
}

TEST_F(MainWindowLoopFindingTest, StatusNamesTheMovementFound)
{
    AddTone(MakeTone({.Period = 100.37, .Seconds = 3, .VibratoHz = 5, .VibratoDepth = 0.01}));
    Trigger("MainMenu1_FindLoop");
    EXPECT_EQ(Form->statusBar()->currentMessage(),
              QString("ループ %1:%2 を見つけました（ビブラート 5.0 Hz）").arg(Wave().LoopStart()).arg(Wave().LoopEnd()));
}

// A search the person cancels in its progress dialog changes nothing.
TEST_F(MainWindowLoopFindingTest, CancelledSearchChangesNothing)
{
    AddTone(MakeTone({.Period = 100.37, .Seconds = 3, .VibratoHz = 5, .VibratoDepth = 0.01}));
    Prompter->CancelAtStep = 0;
    Trigger("MainMenu1_FindLoop");
    EXPECT_FALSE(Prompter->ProgressSteps.empty());
    EXPECT_EQ(Wave().LoopEnd(), 0);
    EXPECT_EQ(Form->statusBar()->currentMessage(), "ループの検出を取り消しました");
}

// The window and the command-line tool ask the same loop finder: the same
// request finds the same loop.
TEST_F(MainWindowLoopFindingTest, WindowAndToolFindTheSameLoop)
{
    AddTone(MakeTone({.Period = 100.37, .VibratoHz = 5, .VibratoDepth = 0.002}));
    Trigger("MainMenu1_FindLoop");
    // Started without a shell, so that no quoting rule of one system applies.
    QProcess tool;
    tool.start(QString::fromUtf8(VANTREL_CLI_PATH), {"loop", QString::fromStdString(Dir.File("tone.wav"))});
    ASSERT_TRUE(tool.waitForFinished(60000));
    const std::string line = tool.readLine().toStdString();
    EXPECT_EQ(line.rfind(Dir.File("tone.wav") + Format("\t%d\t%d\t", Wave().LoopStart(), Wave().LoopEnd()), 0),
              0u)
        << line;
}

// A loop from sample 0 plays, but the bank holds "no loop" for it: the status
// bar says so while the wave is shown, an export warns naming the wave, and
// the loop finder will not search from there.
TEST_F(MainWindowLoopFindingTest, ALoopFromSampleZeroIsNeverDroppedUnsaid)
{
    AddTone(MakeTone({.Period = 100}));
    const auto bankText = [this] { return Form->findChild<QLabel*>("BankLoopLabel")->text(); };
    EXPECT_TRUE(bankText().isEmpty());
    MenuAt("MainMenu1_LoopEnd", 9000);
    EXPECT_EQ(bankText(), kLoopFromZeroNotInBank);
    EXPECT_FALSE(Seam()->Empty()); // it plays
    Prompter->Files.push_back({QString::fromStdString(Dir.File("bank.vbk"))});
    Prompter->Choices = {0}; // its seam is poor: export anyway
    Trigger("MainMenu1_ExportVBK");
    EXPECT_TRUE(TakeErrors().empty());
    EXPECT_EQ(Prompter->Warnings, std::vector<QString>{QString("tone.wav:") + kLoopFromZeroNotInBank});
    Trigger("MainMenu1_FindLoop");
    EXPECT_EQ(TakeErrors(), std::vector<QString>{QString(kLoopFromZeroNotInBank) + "."});

    MenuAt("MainMenu1_LoopStart", 5000);
    EXPECT_TRUE(bankText().isEmpty());
}
