// The keys of the commands, pressed where the user's focus usually is: the list.

#include "AppFixture.h"

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

TEST_F(MainWindowKeysTest, SpacePlaysAndStopsAndUndoRestsWhilePlaying)
{
    Add({Wav("a.wav", 44100)});
    Form->Document().GetWave(0)->SetLoopEnd(44100);
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    ASSERT_TRUE(Action("MainMenu1_Undo")->isEnabled());

    QTest::keyClick(List(), Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !List()->isEnabled(); }, 2000));
    EXPECT_EQ(Device->OpenCount(), 1);
    EXPECT_FALSE(Action("MainMenu1_Undo")->isEnabled());
    EXPECT_EQ(Action("MainMenu1_PlsyStop")->shortcut(), QKeySequence("Space"));

    QTest::keyClick(Form.get(), Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitFor([this] { return List()->isEnabled(); }, 2000));
    EXPECT_FALSE(Device->IsOpen());
    EXPECT_TRUE(Action("MainMenu1_Undo")->isEnabled());
    EXPECT_EQ(Action("MainMenu1_PlayStart")->shortcut(), QKeySequence("Space"));
}
