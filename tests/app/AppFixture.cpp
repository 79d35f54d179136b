#include "AppFixture.h"

#include "app/ProgramSettings.h"
#include "app/Translation.h"

#include <QMimeData>
#include <QTest>
#include <QUrl>

int ColumnOf(const TGraphImage& View, int32_t Sample)
{
    const int64_t span = View.ViewEnd() - View.ViewStart();
    if (span <= 0)
        return 0;
    const double exact = static_cast<double>(Sample - View.ViewStart()) * View.width() / static_cast<double>(span);
    return static_cast<int>(exact >= 0 ? exact + 0.5 : exact - 0.5);
}

bool HasMarkerLine(const TGraphImage& View, int32_t Sample, QRgb Color)
{
    const QImage& surface = View.Surface();
    if (View.ViewEnd() <= View.ViewStart() || surface.isNull())
        return false;
    const int x = ColumnOf(View, Sample);
    if (x < 0 || x >= surface.width())
        return false;
    for (int y : {0, surface.height() / 2, surface.height() - 1})
        if ((surface.pixel(x, y) | 0xFF000000) != Color)
            return false;
    return true;
}

void Drag(TGraphImage* View, int32_t From, int32_t To)
{
    const int y = View->height() / 2;
    QTest::mousePress(View, Qt::LeftButton, Qt::NoModifier, QPoint(ColumnOf(*View, From), y));
    QTest::mouseMove(View, QPoint(ColumnOf(*View, (From + To) / 2), y));
    QTest::mouseMove(View, QPoint(ColumnOf(*View, To), y));
    QTest::mouseRelease(View, Qt::LeftButton, Qt::NoModifier, QPoint(ColumnOf(*View, To), y));
}

QStringList TScriptedPrompter::ChooseFiles(QWidget*, TFileDialog& Dialog)
{
    Dialogs.push_back(Dialog);
    if (Files.empty()) {
        ADD_FAILURE() << "unexpected file dialog";
        return {};
    }
    QStringList answer = Files.front();
    Files.pop_front();
    if (!answer.isEmpty())
        Dialog.FileName = answer.constLast();
    return answer;
}

TPrompter::TAnswer TScriptedPrompter::AskYesNoCancel(QWidget*, const QString& Title, const QString& Text)
{
    Questions.push_back(Title + "|" + Text);
    if (Answers.empty()) {
        ADD_FAILURE() << "unexpected question " << Text.toStdString();
        return TAnswer::Cancel;
    }
    const TAnswer answer = Answers.front();
    Answers.pop_front();
    return answer;
}

int TScriptedPrompter::AskChoice(QWidget*, const QString& Title, const QString& Text, const QStringList& Buttons)
{
    Questions.push_back(Title + "|" + Text + "|" + Buttons.join(","));
    if (Choices.empty()) {
        ADD_FAILURE() << "unexpected choice: " << Text.toStdString();
        return -1;
    }
    const int choice = Choices.front();
    Choices.pop_front();
    return choice;
}

std::unique_ptr<TProgress> TScriptedPrompter::StartProgress(QWidget*, const QString&, int Steps)
{
    struct TScriptedProgress : TProgress {
        TScriptedPrompter& Prompter;
        int Steps;
        TScriptedProgress(TScriptedPrompter& P, int S) : Prompter(P), Steps(S) {}
        bool Step(int Done) override
        {
            Prompter.ProgressSteps.emplace_back(Done, Steps);
            return Done != Prompter.CancelAtStep;
        }
    };
    return std::make_unique<TScriptedProgress>(*this, Steps);
}

void TScriptedPrompter::ShowError(QWidget*, const QString& Title, const QString& Text)
{
    Errors.emplace_back(Title, Text);
}

AppTest::AppTest() : Device(std::make_shared<TVirtualWaveOutDevice>())
{
    ProgramSettings().clear(); // every test starts as a first run
    InstallLanguage(TLanguage::Japanese); // the tests read the window's Japanese texts
    auto prompter = std::make_unique<TScriptedPrompter>();
    Prompter = prompter.get();
    Form = std::make_unique<TMainForm>(std::move(prompter), Device);
    Form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
}

AppTest::~AppTest()
{
    EXPECT_TRUE(Prompter->Files.empty()) << "unused file answers";
    EXPECT_TRUE(Prompter->Answers.empty()) << "unused question answers";
    EXPECT_TRUE(Prompter->Choices.empty()) << "unused choices";
    Form.reset();
}

std::string AppTest::Wav(const std::string& Name, std::size_t Samples, uint32_t Rate)
{
    return Dir.Wav(Name, Samples, Rate);
}

void AppTest::Add(const std::vector<std::string>& Paths)
{
    QStringList files;
    for (const std::string& p : Paths)
        files << QString::fromStdString(p);
    Prompter->Files.push_back(files);
    Trigger("MainMenu1_AddWave");
}

QAction* AppTest::Action(const char* Name) const
{
    QAction* action = Form->findChild<QAction*>(Name);
    EXPECT_NE(action, nullptr) << Name;
    return action;
}

void AppTest::Trigger(const char* ActionName)
{
    if (QAction* action = Action(ActionName))
        action->trigger();
}

QTableView* AppTest::List() const { return Form->findChild<QTableView*>("WaveListView"); }

TGraphImage* AppTest::View(const char* Name) const { return Form->findChild<TGraphImage*>(Name); }

QString AppTest::Cell(int Row, int Column) const
{
    return List()->model()->index(Row, Column).data().toString();
}

std::vector<QString> AppTest::RowTexts(int Row) const
{
    std::vector<QString> texts;
    for (int c = 0; c < kWaveColumns; ++c)
        texts.push_back(Cell(Row, c));
    return texts;
}

int AppTest::SelectedRow() const
{
    const auto rows = List()->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void AppTest::ClickRow(int Row)
{
    QTableView* list = List();
    const QRect cell = list->visualRect(list->model()->index(Row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
}

std::vector<QString> AppTest::TakeErrors()
{
    std::vector<QString> texts;
    for (const auto& [title, text] : Prompter->Errors) {
        EXPECT_EQ(title, "Vantrel");
        texts.push_back(text);
    }
    Prompter->Errors.clear();
    return texts;
}

void AppTest::DropFiles(const std::vector<std::string>& Paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& p : Paths)
        urls << QUrl::fromLocalFile(QString::fromStdString(p));
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Form.get(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Form.get(), &drop);
}
