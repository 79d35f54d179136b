// The keys of the commands, pressed where the user's focus usually is: the list.

#include "AppFixture.h"

#include "loop/TestTones.h"
#include "loop/ZeroCrossing.h"

#include "app/CrossFadeControl.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using MainWindowKeysTest = AppTest;

TEST_F(MainWindowKeysTest, EachKeyReachesItsCommandAndShowsInTheMenu)
{
    Add({Wav("a.wav", 1000)});
    Add({Wav("b.wav", 1000)});
    Trigger("MainMenu1_Undo"); // something to undo and something to redo
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    List()->setFocus();

    const std::pair<const char*, QKeySequence> keys[] = {
        {"MainMenu1_New", QKeySequence("Ctrl+N")},          {"MainMenu1_OpenKSD", QKeySequence("Ctrl+O")},
        {"MainMenu1_OverwriteKSD", QKeySequence("Ctrl+S")}, {"MainMenu1_SaveAsKSD", QKeySequence("Ctrl+Shift+S")},
        {"MainMenu1_ExportVBK", QKeySequence("Ctrl+E")},    {"MainMenu1_Undo", QKeySequence("Ctrl+Z")},
        {"MainMenu1_Redo", QKeySequence(QKeySequence::Redo)}, {"MainMenu1_AddWave", QKeySequence("Ctrl+I")},
        {"MainMenu1_DeleteWave", QKeySequence("Del")},      {"MainMenu1_MoveUp", QKeySequence("Alt+Up")},
        {"MainMenu1_MoveDown", QKeySequence("Alt+Down")},   {"MainMenu1_LoopStart", QKeySequence("[")},
        {"MainMenu1_LoopEnd", QKeySequence("]")},           {"MainMenu1_ViewAll", QKeySequence("Ctrl+0")},
        {"MainMenu1_ZoomIn", QKeySequence("Ctrl++")},       {"MainMenu1_ZoomOut", QKeySequence("Ctrl+-")},
        {"MainMenu1_PlayStart", QKeySequence("Space")},
    };
    for (const auto& [name, key] : keys) {
        QAction* action = Action(name);
        // Only whether the key reaches the command counts here, not what it does.
        QObject::disconnect(action, nullptr, Form.get(), nullptr);
        QSignalSpy triggered(action, &QAction::triggered);
        QTest::keySequence(List(), key);
        EXPECT_EQ(triggered.count(), 1) << name << " " << key.toString().toStdString();
        EXPECT_TRUE(action->shortcuts().contains(key)) << name; // the menu shows it
    }
}

TEST_F(MainWindowKeysTest, SpacePlaysAndStopsAndUndoStaysLiveWhilePlaying)
{
    Add({Wav("a.wav", 44100)});
    WaveBehindTheWindow(0).SetLoopEnd(44100);
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    ASSERT_TRUE(Action("MainMenu1_Undo")->isEnabled());

    QTest::keyClick(List(), Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !Action("MainMenu1_AddWave")->isEnabled(); }, 2000));
    EXPECT_EQ(Device->OpenCount(), 1);
    EXPECT_TRUE(Action("MainMenu1_Undo")->isEnabled());
    EXPECT_EQ(Action("MainMenu1_PlsyStop")->shortcut(), QKeySequence("Space"));

    QTest::keyClick(Form.get(), Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitFor([this] { return Action("MainMenu1_AddWave")->isEnabled(); }, 2000));
    EXPECT_FALSE(Device->IsOpen());
    EXPECT_TRUE(Action("MainMenu1_Undo")->isEnabled());
    EXPECT_EQ(Action("MainMenu1_PlayStart")->shortcut(), QKeySequence("Space"));
}

// In the detail view the cursor moves by key to where "[" and "]" set the loop.
TEST_F(MainWindowKeysTest, KeysMoveTheDetailViewsCursorToSetTheLoop)
{
    WriteWav(Dir.File("tone.wav"), MakeTone({.Period = 100}));
    Add({Dir.File("tone.wav")});
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    Detail()->setFocus();
    ASSERT_TRUE(Detail()->hasFocus());
    const int32_t span = Detail()->ViewEnd() - Detail()->ViewStart();
    const int32_t column = std::max(1, span / Detail()->width());
    const auto crossingAfter = [this](int32_t From) {
        int32_t p = From + 1;
        while (!IsZeroCrossing(Wave().Samples(), p, TSlope::Rising) && !IsZeroCrossing(Wave().Samples(), p, TSlope::Falling))
            ++p;
        return p;
    };
    const int32_t firstCrossing = crossingAfter(1000);
    const struct {
        QKeyCombination key;
        int32_t cursor;
    } steps[] = {
        {Qt::Key_Home, 0},
        {Qt::Key_Right, column},
        {Qt::Key_Left, 0},
        {Qt::Key_Left, 0}, // stays on the wave
        {Qt::SHIFT | Qt::Key_Right, span / 10},
        {Qt::SHIFT | Qt::Key_Right, 2 * (span / 10)},
        {Qt::Key_End, span - 1},
    };
    for (const auto& step : steps) {
        QTest::keySequence(Detail(), QKeySequence(step.key));
        EXPECT_EQ(Detail()->Cursor(), step.cursor) << QKeySequence(step.key).toString().toStdString();
    }
    Detail()->SetCursor(1000);
    QTest::keySequence(Detail(), QKeySequence(Qt::CTRL | Qt::Key_Right));
    EXPECT_EQ(Detail()->Cursor(), firstCrossing);
    QTest::keySequence(Detail(), QKeySequence("["));
    QTest::keySequence(Detail(), QKeySequence(Qt::CTRL | Qt::Key_Right));
    QTest::keySequence(Detail(), QKeySequence(Qt::CTRL | Qt::Key_Right));
    EXPECT_EQ(Detail()->Cursor(), crossingAfter(crossingAfter(firstCrossing)));
    QTest::keySequence(Detail(), QKeySequence(Qt::CTRL | Qt::Key_Left));
    EXPECT_EQ(Detail()->Cursor(), crossingAfter(firstCrossing));
    QTest::keySequence(Detail(), QKeySequence("]"));
    EXPECT_EQ(Wave().LoopStart(), firstCrossing);
    EXPECT_EQ(Wave().LoopEnd(), crossingAfter(firstCrossing));
    EXPECT_EQ(Action("MainMenu1_CursorZeroRight")->shortcut(), QKeySequence("Ctrl+Right")); // the menu shows it
}

// The window's keys work while the crossfade box has the focus; the box
// keeps the keys it types with.
TEST_F(MainWindowKeysTest, TheWindowsKeysWorkInTheCrossfadeBox)
{
    Add({Wav("a.wav", 1000)});
    MenuAt("MainMenu1_LoopStart", 200);
    MenuAt("MainMenu1_LoopEnd", 800);
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    QDoubleSpinBox* box = Form->findChild<TCrossFadeControl*>()->MsBox();
    ASSERT_TRUE(box->isEnabled());
    box->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([box] { return box->hasFocus(); }, 2000));
    QLineEdit* text = box->findChild<QLineEdit*>();
    ASSERT_NE(text, nullptr);
    for (const char* name : {"MainMenu1_ExportVBK", "MainMenu1_AddWave", "MainMenu1_ViewAll"}) {
        QAction* action = Action(name);
        QObject::disconnect(action, nullptr, Form.get(), nullptr);
        QSignalSpy triggered(action, &QAction::triggered);
        QTest::keySequence(text, action->shortcut());
        EXPECT_EQ(triggered.count(), 1) << name;
    }
    QSignalSpy loopStart(Action("MainMenu1_LoopStart"), &QAction::triggered);
    QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier); // select all: the box's
    QTest::keyClicks(text, "2");
    EXPECT_EQ(box->cleanText(), "2");
    EXPECT_EQ(loopStart.count(), 0);
}
