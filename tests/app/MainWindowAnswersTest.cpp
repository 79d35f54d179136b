// What the window says after a command: the save question, a finished
// export, a loop end missing before export, the row selected after a
// delete, and the user guide of the help menu.

#include "AppFixture.h"

#include "app/UserGuide.h"

#include "app/Translation.h"

#include <QFileInfo>
#include <algorithm>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>

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
    Prompter->Choices = {0}; // the ramp's seam is poor: export anyway
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

// Export is titled as such and proposes the list's namesake beside it;
// before a bank with a poor seam the window names the wave and asks, and
// "always for this list" is not asked again for that list.
TEST_F(MainWindowAnswersTest, ExportProposesTheListsBankAndAsksBeforePoorSeams)
{
    Add({Wav("a.wav", 1000)});
    MenuAt("MainMenu1_LoopStart", 100);
    MenuAt("MainMenu1_LoopEnd", 900); // a ramp jumps back: a poor seam
    // An unsaved list has no "always".
    Prompter->Choices = {-1}; // closed: cancelled
    Trigger("MainMenu1_ExportVBK");
    ASSERT_FALSE(Prompter->Questions.empty());
    EXPECT_TRUE(Prompter->Questions.back().endsWith("\na.wav|エクスポート,キャンセル"));
    EXPECT_TRUE(Prompter->Dialogs.empty() || Prompter->Dialogs.back().Kind != TFileDialog::TKind::Save);

    const QString ksd = QString::fromStdString(Dir.File("voices.ksd"));
    Prompter->Files.push_back({ksd});
    Trigger("MainMenu1_SaveAsKSD");
    const std::size_t dialogs = Prompter->Dialogs.size();
    Prompter->Choices = {2}; // cancel: no file dialog
    Trigger("MainMenu1_ExportVBK");
    EXPECT_EQ(Prompter->Dialogs.size(), dialogs);
    EXPECT_TRUE(Prompter->Questions.back().endsWith("\na.wav|エクスポート,このリストでは常にエクスポート,キャンセル"));

    const QString vbk = QString::fromStdString(Dir.File("voices.vbk"));
    std::size_t expected = dialogs;
    for (int choice : {1, -1}) { // always; then no question at all
        if (choice >= 0)
            Prompter->Choices = {choice};
        Prompter->Files.push_back({vbk});
        Trigger("MainMenu1_ExportVBK");
        ASSERT_EQ(Prompter->Dialogs.size(), ++expected);
        EXPECT_EQ(Prompter->Dialogs.back().Title, "VBKファイルのエクスポート");
        EXPECT_EQ(Prompter->Dialogs.back().FileName, vbk);
        EXPECT_TRUE(QFileInfo(vbk).isFile());
    }
    EXPECT_TRUE(Prompter->Choices.empty());
    EXPECT_EQ(Prompter->Questions.size(), 3u);
    EXPECT_TRUE(TakeErrors().empty());
}

namespace {

// A menu caption as a guide names it: without its mnemonic ("(&F)" or "&")
// and without the dots of an item that opens a dialog.
QString GuideCaption(QString Text)
{
    Text.remove(QRegularExpression(R"(\(&.\))")).remove('&');
    if (Text.endsWith("...") || Text.endsWith(u'…'))
        Text.chop(Text.endsWith(u'…') ? 1 : 3);
    return Text.trimmed();
}

// Whether the window's menu bar holds the menu path "Menu › Item › ...".
bool HasMenuPath(const QMainWindow& Window, const QString& Path)
{
    QList<QAction*> items = Window.menuBar()->actions();
    for (const QString& part : Path.split(u'›')) {
        const auto found = std::find_if(items.begin(), items.end(),
                                        [&](QAction* a) { return GuideCaption(a->text()) == part.trimmed(); });
        if (found == items.end())
            return false;
        items = (*found)->menu() ? (*found)->menu()->actions() : QList<QAction*>{};
    }
    return true;
}

} // namespace

// Help › User Guide shows the guide in a window of Vantrel's own, in the
// window's language, and every menu the guide names (**Menu › Item**) is
// one that window shows.
TEST_F(MainWindowAnswersTest, HelpShowsTheGuideOfTheWindowsLanguageNamingItsMenus)
{
    const auto japaneseAgain = qScopeGuard([] { InstallLanguage(TLanguage::Japanese); });
    for (TLanguage language : {TLanguage::Japanese, TLanguage::English}) {
        SCOPED_TRACE(language == TLanguage::English ? "English" : "Japanese");
        ASSERT_TRUE(InstallLanguage(language));
        TMainForm window(std::make_unique<TScriptedPrompter>(), Device);
        window.findChild<QAction*>("MainMenu1_Guide")->trigger();
        const auto* browser = window.findChild<QTextBrowser*>("UserGuideBrowser");
        ASSERT_NE(browser, nullptr);
        EXPECT_TRUE(browser->isVisible());
        const QString guide = UserGuideText(language);
        EXPECT_TRUE(browser->toPlainText().contains(guide.section('\n', 0, 0).remove("# ")));
        QStringList paths;
        for (const auto& match : QRegularExpression(R"(\*\*([^*]*›[^*]*)\*\*)").globalMatch(guide))
            paths << match.captured(1).simplified();
        EXPECT_GT(paths.size(), 20);
        for (const QString& path : paths)
            EXPECT_TRUE(HasMenuPath(window, path)) << path.toStdString();
        if (language == TLanguage::English) {
            EXPECT_FALSE(guide.contains(QRegularExpression(R"([\x{3000}-\x{9FFF}\x{FF00}-\x{FFEF}])")));
        }
    }
}

