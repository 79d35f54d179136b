// What the window says after a command: the save question, a finished
// export, a loop end missing before export, the row selected after a
// delete, and the user guide of the help menu.

#include "AppFixture.h"

#include "app/UserGuide.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QStatusBar>
#include <QTest>
#include <QUrl>

#include <filesystem>

using TAnswer = TPrompter::TAnswer;
using MainWindowAnswersTest = AppTest;

TEST_F(MainWindowAnswersTest, SaveQuestionNamesTheListFileAndExportReportsItsPath)
{
    Add({Wav("a.wav", 100)});
    const QString ksd = QString::fromStdString(Dir.File("voices.ksd"));
    Prompter->Files.push_back({ksd});
    Trigger("MainMenu1_SaveAsKSD");
    ClickRow(0);
    MenuAt("MainMenu1_LoopEnd", 50);
    Prompter->Answers.push_back(TAnswer::Cancel);
    Trigger("MainMenu1_New");
    EXPECT_EQ(Prompter->Questions.back(), "確認|「voices.ksd」を保存しますか？");

    const QString vbk = QString::fromStdString(Dir.File("voices.vbk"));
    Prompter->Files.push_back({vbk});
    Trigger("MainMenu1_ExportVBK");
    EXPECT_TRUE(Form->statusBar()->currentMessage().endsWith(vbk));
}

TEST_F(MainWindowAnswersTest, MissingLoopEndIsReportedBeforeTheFileDialog)
{
    Add({Wav("a.wav", 100)});
    MenuAt("MainMenu1_LoopStart", 20);
    Trigger("MainMenu1_ExportVBK");
    EXPECT_EQ(TakeErrors(), std::vector<QString>{"「a.wav」のループ終点が設定されていません."});
    EXPECT_TRUE(Prompter->Dialogs.size() == 1u); // only the add dialog
}

TEST_F(MainWindowAnswersTest, DeleteSelectsTheNextRow)
{
    Add({Wav("a.wav", 10), Wav("b.wav", 20), Wav("c.wav", 30)});
    ClickRow(1);
    Trigger("MainMenu1_DeleteWave");
    EXPECT_EQ(SelectedRow(), 1);
    EXPECT_EQ(Detail()->WaveInfo(), &Wave(1));
    EXPECT_EQ(Wave(1).WaveName(), "c.wav");
}

TEST_F(MainWindowAnswersTest, DeviceThatCannotOpenIsReportedWithReasonAndAdvice)
{
    Add({Wav("w.wav", 1000)});
    const std::pair<TOpenFailure, QString> cases[] = {
        {{TOpenFailure::Busy, "Device unavailable"},
         "Wave デバイスを使用できません\n理由: 出力デバイスはほかのプログラムが使用中です (Device unavailable)\n"
         "ほかのプログラムの再生を止めてから、もう一度再生してください。"},
        {{TOpenFailure::NoDevice, ""},
         "Wave デバイスを使用できません\n理由: 出力デバイスが見つかりません\n"
         "スピーカーかヘッドホンをつなぎ、システムのサウンド設定で出力デバイスを選んでください。"},
    };
    for (const auto& [failure, text] : cases) {
        Device->SetFailOpen(failure);
        Trigger("MainMenu1_PlayStart");
        ASSERT_TRUE(QTest::qWaitFor([this] { return !Prompter->Errors.empty(); }, 2000));
        EXPECT_EQ(Prompter->Errors.front().second, text);
        Prompter->Errors.clear();
    }
}

namespace {

// Takes the URLs the program asks the desktop to open.
class TUrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Opened;
public slots:
    void Open(const QUrl& Url) { Opened << Url; }
};

} // namespace

TEST_F(MainWindowAnswersTest, HelpOpensTheInstalledUserGuide)
{
    TUrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "Open");
    Trigger("MainMenu1_Guide");
    QDesktopServices::unsetUrlHandler("file");
    EXPECT_TRUE(TakeErrors().empty());
    ASSERT_EQ(catcher.Opened.size(), 1);
    const QString path = catcher.Opened.front().toLocalFile();
    EXPECT_EQ(path, UserGuidePath());
    QFile guide(path);
    ASSERT_TRUE(guide.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(guide.readAll());
    EXPECT_TRUE(text.contains("## Using the window"));
    EXPECT_FALSE(text.contains("## Installing")); // the part for builders stays out
}

#include "MainWindowAnswersTest.moc"
