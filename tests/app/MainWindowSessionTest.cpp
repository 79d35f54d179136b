// What the window takes from outside at start: the files on the command line
// and what earlier runs left in the settings (recent files, layout).

#include "AppFixture.h"

#include "app/Translation.h"

#include <QApplication>
#include <QMenu>
#include <QSplitter>
#include <QTest>
#include <QTranslator>

#include <filesystem>

class MainWindowSessionTest : public AppTest {
protected:
    QStringList RecentMenu() const
    {
        QStringList captions;
        for (QAction* action : Form->findChild<QMenu*>("MainMenu1_Recent")->actions())
            captions << action->text();
        return captions;
    }

    std::string ListFile(const std::string& Name, std::size_t Waves)
    {
        TKSD list;
        for (std::size_t i = 0; i < Waves; ++i)
            list.AddWave(Wav(Name + std::to_string(i) + ".wav", 100));
        const std::string path = Dir.File(Name + ".ksd");
        list.SaveToFile(path);
        return path;
    }

    // A window as the next run of the program would make it.
    void NextRun()
    {
        auto prompter = std::make_unique<TScriptedPrompter>();
        Prompter = prompter.get();
        Form = std::make_unique<TMainForm>(std::move(prompter), Device);
        Form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    }
};

TEST_F(MainWindowSessionTest, ArgumentsOpenAListOrStartOneWithWaves)
{
    const QString ksd = QString::fromStdString(ListFile("list", 2));
    const QString missing = QString::fromStdString(Dir.File("missing.wav"));
    const struct {
        QStringList Arguments;
        std::vector<QString> Names;
        std::size_t Errors;
        bool Modified;
    } cases[] = {
        {{ksd}, {"list0.wav", "list1.wav"}, 0, false},
        {{QString::fromStdString(Wav("a.wav", 10)), QString::fromStdString(Wav("b.wav", 10))}, {"a.wav", "b.wav"}, 0, true},
        {{QString::fromStdString(Wav("c.wav", 10)), missing, QString::fromStdString(Dir.File("list.txt"))}, {"c.wav"}, 2, true},
        {{missing}, {}, 1, false},
    };
    for (const auto& c : cases) {
        NextRun();
        Form->OpenArguments(c.Arguments);
        std::vector<QString> names;
        for (int r = 0; r < List()->model()->rowCount(); ++r)
            names.push_back(Cell(r, 0));
        EXPECT_EQ(names, c.Names) << c.Arguments.join(' ').toStdString();
        EXPECT_EQ(TakeErrors().size(), c.Errors);
        EXPECT_EQ(Form->Modified(), c.Modified);
        if (!c.Modified)
            continue;
        EXPECT_EQ(SelectedRow(), 0); // a new list shows its first wave
        Prompter->Answers.push_back(TPrompter::TAnswer::No); // the next run's window replaces this one
        EXPECT_TRUE(Form->close());
    }
}

TEST_F(MainWindowSessionTest, RecentFilesKeepTheLastEightAndLoseMissingOnes)
{
    EXPECT_FALSE(Form->findChild<QMenu*>("MainMenu1_Recent")->isEnabled());
    std::vector<std::string> lists;
    for (int i = 0; i < 10; ++i) {
        lists.push_back(ListFile(QString("l%1").arg(i).toStdString(), 1));
        Prompter->Files.push_back({QString::fromStdString(lists.back())});
        Trigger("MainMenu1_OpenKSD");
    }
    Prompter->Files.push_back({QString::fromStdString(Dir.File("saved.ksd"))});
    Trigger("MainMenu1_SaveAsKSD");
    NextRun(); // the list outlives the run
    QStringList menu = RecentMenu();
    ASSERT_EQ(menu.size(), 8);
    EXPECT_EQ(menu[0], "&1 " + QString::fromStdString(Dir.File("saved.ksd")));
    EXPECT_EQ(menu[1], "&2 " + QString::fromStdString(lists[9]));
    EXPECT_EQ(menu[7], "&8 " + QString::fromStdString(lists[3]));

    Form->findChild<QMenu*>("MainMenu1_Recent")->actions()[1]->trigger();
    EXPECT_EQ(Form->FileName(), QString::fromStdString(lists[9]));
    std::filesystem::remove(lists[8]);
    Form->findChild<QMenu*>("MainMenu1_Recent")->actions()[2]->trigger();
    const std::vector<QString> errors = TakeErrors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].startsWith(QString::fromStdString("KSDファイル(" + lists[8] + ")を読めません: "))) << errors[0].toStdString();
    EXPECT_EQ(Form->FileName(), QString::fromStdString(lists[9])); // the open list stays
    menu = RecentMenu();
    EXPECT_EQ(menu.size(), 7);
    EXPECT_FALSE(menu.join('|').contains(QString::fromStdString(lists[8])));
}

TEST_F(MainWindowSessionTest, LayoutComesBackInTheNextRun)
{
    Form->resize(800, 600);
    Form->findChild<QSplitter*>("Splitter1")->setSizes({150, 400});
    Form->findChild<QSplitter*>("Splitter2")->setSizes({120, 250});
    ASSERT_TRUE(Form->close());
    NextRun();
    EXPECT_EQ(Form->size(), QSize(800, 600));
    EXPECT_EQ(List()->height(), 150);
    EXPECT_EQ(Overview()->height(), 120);
}

TEST_F(MainWindowSessionTest, QtDialogsSpeakTheWindowsLanguage)
{
    ASSERT_TRUE(InstallLanguage(TLanguage::Japanese));
    EXPECT_NE(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
    ASSERT_TRUE(InstallLanguage(TLanguage::English));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
    InstallLanguage(TLanguage::Japanese);
}
