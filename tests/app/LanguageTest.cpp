// The window's language: the locale's unless one was chosen, the English
// window, and the choice in the View menu.

#include "AppFixture.h"

#include "app/CoreTexts.h"
#include "app/ProgramSettings.h"
#include "app/Translation.h"
#include "loop/LoopFinder.h"
#include "playback/WaveOut.h"

#include <QCoreApplication>
#include <QLocale>
#include <QMenuBar>
#include <QScopeGuard>

#include <optional>

TEST(Language, FollowsTheLocaleUnlessOneWasChosen)
{
    const std::optional<TLanguage> none;
    const struct {
        const char* locale;
        std::optional<TLanguage> chosen;
        TLanguage expected;
    } cases[] = {
        {"ja_JP", none, TLanguage::Japanese},         {"en_US", none, TLanguage::English},
        {"de_DE", none, TLanguage::English},          {"C", none, TLanguage::English},
        {"ja_JP", TLanguage::English, TLanguage::English}, {"en_GB", TLanguage::Japanese, TLanguage::Japanese},
    };
    for (const auto& c : cases) {
        ProgramSettings().clear();
        if (c.chosen)
            RememberLanguage(*c.chosen);
        EXPECT_EQ(ChosenLanguage(QLocale(c.locale)), c.expected) << c.locale;
    }
    ProgramSettings().clear();
}

// Qt's own buttons speak Japanese in the Japanese window, also where Qt has
// no translations folder (the static Qt of the Windows build).
TEST(Language, QtsOwnTextsSpeakJapanese)
{
    ASSERT_TRUE(InstallLanguage(TLanguage::Japanese));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("キャンセル"));
}

using LanguageTest = AppTest;

// The window made under an English locale speaks English; the menu item
// chosen in the Japanese window is what the next start installs.
TEST_F(LanguageTest, EnglishLocaleGivesTheEnglishWindowAndTheMenuChoiceIsRemembered)
{
    Trigger("MainMenu1_LanguageEnglish");
    EXPECT_EQ(ChosenLanguage(QLocale("ja_JP")), TLanguage::English);
    ProgramSettings().clear();

    const auto japaneseAgain = qScopeGuard([] { InstallLanguage(TLanguage::Japanese); });
    ASSERT_TRUE(InstallLanguage(ChosenLanguage(QLocale("en_US"))));
    const TMainForm english(std::make_unique<TScriptedPrompter>(), Device);
    QStringList menus;
    for (QAction* menu : english.menuBar()->actions())
        menus << menu->text().remove('&');
    EXPECT_EQ(menus, QStringList({"File", "Edit", "View", "Play", "Help"}));
    EXPECT_EQ(english.windowTitle(), "Untitled[*] - Vantrel");
    EXPECT_TRUE(english.findChild<QAction*>("MainMenu1_LanguageEnglish")->isChecked());
    // The core's fixed texts too; those around a file name stay as they are.
    EXPECT_EQ(WindowErrorText(ELoopFinderError(kNoLoopFound)), "No suitable loop was found.");
    // Texts around file names too, a reason inside another text, and a
    // reason after a wave's name; anything else stays as it is.
    const struct {
        const char* core;
        const char* english;
    } texts[] = {
        {"ファイル「/x/a%1.wav」を開けません", "Cannot open the file “/x/a%1.wav”"},
        {"KSDファイル(/x/l.ksd)を書けません: 出力先「/x/l.ksd」は入力のファイル「/x/a.wav」と同じファイルです",
         "Cannot write the KSD file (/x/l.ksd): The output “/x/l.ksd” is the same file as the input “/x/a.wav”"},
        {"a.wav:ループ終点が不正です", "a.wav:The loop end is invalid"},
        {kWaveDeviceUnusable, "The wave device cannot be used"},
        {"ファイル a.wav", "ファイル a.wav"},
        {"ファイル「a.wav」を開けません!", "ファイル「a.wav」を開けません!"},
    };
    for (const auto& text : texts)
        EXPECT_EQ(CoreText(text.core), QString(text.english)) << text.core;
}
