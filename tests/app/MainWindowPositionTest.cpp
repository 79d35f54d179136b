// Finding the way in a wave: the time ruler and the status-bar readout, the
// centre of zooming, and the overview taking the detail view along.

#include "AppFixture.h"

#include "app/ProgramSettings.h"
#include "view/TimeRuler.h"

#include <QLabel>
#include <QTest>

#include <functional>

using MainWindowPositionTest = AppTest;

namespace {

QString Readout(const TMainForm& Form) { return Form.findChild<QLabel*>("ReadoutLabel")->text(); }

} // namespace

TEST_F(MainWindowPositionTest, RulerAndReadoutInSecondsOrSamplesRemembered)
{
    Add({Wav("a.wav", 44100)});
    const auto* ruler = Form->findChild<TTimeRuler*>("TimeRuler");
    ASSERT_NE(ruler, nullptr);
    // Right above the detail view and as wide.
    const QRect rulerBox(ruler->mapTo(Form.get(), QPoint()), ruler->size());
    const QRect detailBox(Detail()->mapTo(Form.get(), QPoint()), Detail()->size());
    EXPECT_EQ(rulerBox.bottom() + 1, detailBox.top());
    EXPECT_EQ(rulerBox.left(), detailBox.left());
    EXPECT_EQ(ruler->Ticks().front().Label, "0.0");

    MenuAt("MainMenu1_LoopStart", 4410);
    MenuAt("MainMenu1_LoopEnd", 8820);
    Detail()->SetSelection(22050, 33075);
    Detail()->SetCursor(11025);
    EXPECT_EQ(Readout(*Form), "カーソル: 0.250秒  選択: 0.500 – 0.750秒 (長さ 0.250秒)  ループ長: 0.100秒");

    Trigger("MainMenu1_TimeInSamples");
    EXPECT_EQ(Readout(*Form), "カーソル: 11025サンプル  選択: 22050 – 33075サンプル (長さ 11025サンプル)  ループ長: 4410サンプル");
    EXPECT_EQ(ruler->Ticks().front().Label, "0");
    EXPECT_TRUE(ProgramSettings().value("View/TimeInSamples").toBool());
    Form.reset();
    auto prompter = std::make_unique<TScriptedPrompter>();
    Prompter = prompter.get();
    Form = std::make_unique<TMainForm>(std::move(prompter), Device);
    EXPECT_TRUE(Form->findChild<QAction*>("MainMenu1_TimeInSamples")->isChecked());
    EXPECT_EQ(Form->findChild<TTimeRuler*>("TimeRuler")->Unit(), TTimeUnit::Samples);
}

TEST_F(MainWindowPositionTest, ZoomCentresOnCursorElseSelectionElseLoopElseTheView)
{
    Add({Wav("a.wav", 10000)});
    struct TCase {
        const char* Name;
        std::function<void()> Arrange;
        int32_t Start; // of the span zooming in shows
    };
    const TCase cases[] = {
        {"cursor", [&] { Detail()->SetCursor(6000); }, 3500},
        {"selection", [&] { Detail()->SetSelection(2000, 4000); }, 500},
        {"loop", [&] {
             MenuAt("MainMenu1_LoopStart", 7000);
             MenuAt("MainMenu1_LoopEnd", 8000);
             Detail()->SetCursorEnabled(false);
         }, 5000},
        {"view", [] {}, 2500},
    };
    for (const TCase& c : cases) {
        Trigger("MainMenu1_ViewAll");
        Trigger("MainMenu1_LoopClear");
        Detail()->ClearSelection();
        Detail()->SetCursorEnabled(false);
        Overview()->SetCursorEnabled(false);
        c.Arrange();
        Trigger("MainMenu1_ZoomIn");
        EXPECT_EQ(Detail()->ViewStart(), c.Start) << c.Name;
        EXPECT_EQ(Detail()->ViewEnd(), c.Start + 5000) << c.Name;
    }
    // The fixed spans centre the same way.
    Detail()->SetCursor(1000);
    Trigger("MainMenu1_View10ms");
    EXPECT_EQ(Detail()->ViewStart(), 1000 - 220);
}

TEST_F(MainWindowPositionTest, ClickOrDragInTheOverviewMovesTheDetailViewThere)
{
    Add({Wav("a.wav", 10000)});
    Trigger("MainMenu1_ZoomIn");
    const int y = Overview()->height() / 2;
    QTest::mouseClick(Overview(), Qt::LeftButton, Qt::NoModifier, QPoint(ColumnOf(*Overview(), 9000), y));
    EXPECT_EQ(Detail()->ViewStart(), 5000); // as far as the wave goes
    Drag(Overview(), 3000, 4000);
    EXPECT_NEAR(Detail()->ViewStart(), 1500, 30); // a column of the overview spans several samples
    EXPECT_EQ(Detail()->ViewEnd() - Detail()->ViewStart(), 5000);
}

// The overview marks the detail view's span on screen; a drag that starts
// on that band moves the span by as much as the pointer moves.
TEST_F(MainWindowPositionTest, TheOverviewMarksTheDetailSpanAndDraggingTheMarkScrollsIt)
{
    Add({Wav("a.wav", 10000)});
    EXPECT_EQ(Overview()->SpanFrameEnd(), 0); // the whole wave: nothing to mark
    Trigger("MainMenu1_ZoomIn");
    EXPECT_EQ(std::pair(Overview()->SpanFrameStart(), Overview()->SpanFrameEnd()), std::pair(2500, 7500));
    const QImage shown = Overview()->grab().toImage();
    const int y = Overview()->height() / 4;
    for (const auto& [sample, marked] : {std::pair{1000, false}, {5000, true}, {9000, false}}) {
        const int x = ColumnOf(*Overview(), sample);
        EXPECT_EQ(shown.pixel(x, y) != Overview()->Surface().pixel(x, y), marked) << sample;
    }

    Drag(Overview(), 3000, 4000); // taken at 3000: no jump to centre there
    EXPECT_NEAR(Detail()->ViewStart(), 3500, 30);
    EXPECT_NEAR(Overview()->SpanFrameStart(), 3500, 30);
    Trigger("MainMenu1_ViewAll");
    EXPECT_EQ(Overview()->SpanFrameEnd(), 0);
}
