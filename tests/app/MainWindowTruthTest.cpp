// What the window says about the list and its waves: the title, the seam's
// quality, long names and files shorter than their headers.

#include "AppFixture.h"

#include <QLabel>
#include <QUndoStack>

using MainWindowTruthTest = AppTest;

// Each step's title as the window manager shows it ("*" where Qt puts the mark).
TEST_F(MainWindowTruthTest, TitleNamesTheListAndMarksUnsavedChanges)
{
    const QString saved = QString::fromStdString(Dir.File("voice.ksd"));
    const QString other = QString::fromStdString(Dir.File("other.ksd"));
    const auto shown = [this] {
        QString title = Form->windowTitle();
        return title.replace("[*]", Form->isWindowModified() ? "*" : "");
    };
    EXPECT_EQ(shown(), "無題 - Vantrel");
    Add({Wav("a.wav", 100), Wav("b.wav", 100)});
    EXPECT_EQ(shown(), "無題* - Vantrel");
    Trigger("MainMenu1_Undo");
    EXPECT_EQ(shown(), "無題 - Vantrel");
    Trigger("MainMenu1_Redo");
    Prompter->Files.push_back({saved});
    Trigger("MainMenu1_OverwriteKSD");
    EXPECT_EQ(shown(), "voice.ksd - Vantrel");
    Trigger("MainMenu1_DeleteWave");
    EXPECT_EQ(shown(), "voice.ksd* - Vantrel");
    Trigger("MainMenu1_OverwriteKSD");
    EXPECT_EQ(shown(), "voice.ksd - Vantrel");
    Prompter->Files.push_back({other});
    Trigger("MainMenu1_SaveAsKSD");
    EXPECT_EQ(shown(), "other.ksd - Vantrel");
    Prompter->Files.push_back({saved});
    Trigger("MainMenu1_OpenKSD");
    EXPECT_EQ(shown(), "voice.ksd - Vantrel");
    Trigger("MainMenu1_New");
    EXPECT_EQ(shown(), "無題 - Vantrel");
}
