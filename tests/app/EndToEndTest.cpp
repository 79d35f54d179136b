// A whole session: three WAV files added, loops set by mouse drags and pop-up
// menus, the list saved and opened again, the voice bank exported and read
// back with the core's reader.

#include "AppFixture.h"

#include "export/VBKReader.h"

#include <QMenu>
#include <QTest>

namespace {

void Click(TGraphImage* View, int32_t Sample)
{
    QTest::mouseClick(View, Qt::LeftButton, Qt::NoModifier, QPoint(ColumnOf(*View, Sample), 3));
}

} // namespace

class EndToEndTest : public AppTest {
protected:
    void Popup(const char* MenuName, const char* Item)
    {
        QMenu* menu = Form->findChild<QMenu*>(MenuName);
        emit menu->aboutToShow();
        QAction* action = menu->findChild<QAction*>(Item);
        ASSERT_TRUE(action->isEnabled()) << Item;
        action->trigger();
    }
};

TEST_F(EndToEndTest, LoopsSetByMouseSurviveSaveOpenAndExport)
{
    Add({Wav("a.wav", 500, 44100), Wav("b.wav", 400, 22050), Wav("c.wav", 600, 48000)});

    // a: a selection dragged in the detail view becomes the loop.
    ClickRow(0);
    Drag(Detail(), 100, 300);
    EXPECT_EQ(Detail()->SelectStart(), 100);
    EXPECT_EQ(Detail()->SelectEnd(), 300);
    Popup("PartWaveGraphImagePopupMenu", "PGIPopupMenu_N7");

    // b: loop points from the overview's cursor, then the end marker dragged.
    ClickRow(1);
    Click(Overview(), 50);
    Popup("AllWaveGraphImagePopupMenu", "AGIPopupMenu_N4");
    Click(Overview(), 350);
    Popup("AllWaveGraphImagePopupMenu", "AGIPopupMenu_N5");
    Drag(Detail(), 350, 380);
    EXPECT_EQ(Cell(1, 4), "50");
    EXPECT_EQ(Cell(1, 5), "380");
    EXPECT_TRUE(TakeErrors().empty());

    const QString ksd = QString::fromStdString(Dir.File("bank.ksd"));
    Prompter->Files.push_back({ksd});
    Trigger("MainMenu1_SaveAsKSD");
    Trigger("MainMenu1_New");
    EXPECT_EQ(List()->model()->rowCount(), 0);

    Prompter->Files.push_back({ksd});
    Trigger("MainMenu1_OpenKSD");
    ASSERT_EQ(List()->model()->rowCount(), 3);
    EXPECT_EQ(RowTexts(0), (std::vector<QString>{"a.wav", "44100", "11", "500", "100", "300"}));
    EXPECT_EQ(RowTexts(1), (std::vector<QString>{"b.wav", "22050", "18", "400", "50", "380"}));
    EXPECT_EQ(RowTexts(2), (std::vector<QString>{"c.wav", "48000", "12", "600", "-", "-"}));

    const std::string vbk = Dir.File("bank.vbk");
    Prompter->Files.push_back({QString::fromStdString(vbk)});
    Prompter->Choices = {0}; // the ramps' seams are poor: export anyway
    Trigger("MainMenu1_ExportVBK");
    EXPECT_TRUE(TakeErrors().empty());

    const TVBKContents bank = ReadVBKFile(vbk);
    ASSERT_EQ(bank.Waves.size(), 3u);
    const struct {
        int32_t Rate;
        uint32_t Samples;
        int32_t LoopStart, LoopEnd;
    } expected[] = {{44100, 500, 100, 300}, {22050, 400, 50, 380}, {48000, 600, 0, 0}};
    const std::vector<uint8_t> bytes = ReadBytes(vbk);
    for (std::size_t i = 0; i < 3; ++i) {
        const TVBKWave& wave = bank.Waves[i];
        EXPECT_EQ(wave.Rate, expected[i].Rate) << i;
        EXPECT_EQ(wave.SampleCount, expected[i].Samples) << i;
        EXPECT_EQ(wave.LoopStart, expected[i].LoopStart) << i;
        EXPECT_EQ(wave.LoopEnd, expected[i].LoopEnd) << i;
        const std::vector<uint8_t> samples = TWavBuilder::Samples(Ramp(expected[i].Samples));
        EXPECT_TRUE(std::equal(samples.begin(), samples.end(), bytes.begin() + static_cast<long>(wave.Offset) + 16)) << i;
    }
}
