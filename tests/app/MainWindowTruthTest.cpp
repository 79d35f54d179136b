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

TEST_F(MainWindowTruthTest, RowsGiveTheWholePathAndMarkFilesShorterThanTheirHeaders)
{
    const std::string whole = Wav(std::string(120, 'n') + ".wav", 100);
    const std::string shortFile = Dir.File("short.wav");
    TWavBuilder()
        .Add("fmt ", TWavBuilder::Fmt(1, 1, 44100, 16))
        .Add("data", TWavBuilder::Samples({5, 6, 7}), 2000)
        .Write(shortFile);
    Add({whole, shortFile});
    EXPECT_EQ(List()->textElideMode(), Qt::ElideMiddle);
    // With word wrap the view breaks a hyphenated name into pieces and elides
    // each, so that the name's end is lost (seen in the running window).
    EXPECT_FALSE(List()->wordWrap());
    const struct {
        std::string path;
        bool marked;
    } rows[] = {{whole, false}, {shortFile, true}};
    for (int row = 0; row < 2; ++row) {
        const QString tip = List()->model()->index(row, 3).data(Qt::ToolTipRole).toString();
        EXPECT_TRUE(tip.startsWith(QString::fromStdString(rows[row].path))) << row;
        EXPECT_EQ(tip.contains("1000 サンプルのうち 3 サンプル"), rows[row].marked) << tip.toStdString();
        EXPECT_EQ(!List()->model()->index(row, 0).data(Qt::DecorationRole).value<QIcon>().isNull(), rows[row].marked) << row;
    }
}
