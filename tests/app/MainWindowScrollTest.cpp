#include "AppFixture.h"

#include "view/ScrolledGraphImage.h"

#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

class MainWindowScrollTest : public AppTest {
protected:
    QScrollBar* Bar() const { return Form->findChild<TScrolledGraphImage*>()->ScrollBar(); }
    // Notches turned over column X of the detail view; positive turns away from the user.
    void Wheel(int X, int Notches, Qt::KeyboardModifiers Mods = Qt::NoModifier)
    {
        const QPointF at(X, 5);
        QWheelEvent event(at, Detail()->mapToGlobal(at), QPoint(), QPoint(0, Notches * 120), Qt::NoButton, Mods,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(Detail(), &event);
    }
    std::pair<int32_t, int32_t> Span() const { return {Detail()->ViewStart(), Detail()->ViewEnd()}; }
};

TEST_F(MainWindowScrollTest, ScrollBarAndWheelMoveTheSpanThroughTheWave)
{
    Add({Wav("a.wav", 1000), Wav("b.wav", 2000)});
    ClickRow(0);
    EXPECT_FALSE(Bar()->isEnabled()); // the whole wave is shown
    Trigger("MainMenu1_ZoomIn");
    EXPECT_TRUE(Bar()->isEnabled());
    EXPECT_EQ(Bar()->value(), 250);
    EXPECT_EQ(Bar()->maximum(), 500);

    Bar()->setValue(400);
    EXPECT_EQ(Span(), std::pair(400, 900));
    EXPECT_EQ(Form->Document().GetWave(0)->ViewStart(), 0); // remembered by the window, below
    Wheel(10, 1); // a tenth of the span towards the start
    EXPECT_EQ(Span(), std::pair(350, 850));
    Wheel(10, -30);
    EXPECT_EQ(Span(), std::pair(500, 1000));
    Wheel(10, 30);
    EXPECT_EQ(Span(), std::pair(0, 500));

    Bar()->setValue(300);
    ClickRow(1);
    EXPECT_EQ(Span(), std::pair(0, 2000));
    ClickRow(0);
    EXPECT_EQ(Span(), std::pair(300, 800));
    EXPECT_EQ(Bar()->value(), 300);
}

TEST_F(MainWindowScrollTest, CtrlWheelZoomsAroundThePointerWithinTheZoomLimits)
{
    Add({Wav("a.wav", 1000)});
    Wheel(Detail()->width() / 2, 1, Qt::ControlModifier);
    EXPECT_EQ(Span(), std::pair(250, 750));
    Wheel(0, 1, Qt::ControlModifier);
    EXPECT_EQ(Span(), std::pair(250, 500));
    Wheel(0, 20, Qt::ControlModifier);
    EXPECT_EQ(Span(), std::pair(250, 260));
    Wheel(0, -1, Qt::ControlModifier);
    EXPECT_EQ(Span(), std::pair(250, 270));
    Wheel(0, -20, Qt::ControlModifier);
    EXPECT_EQ(Span(), std::pair(0, 1000));
    EXPECT_EQ(Form->Document().GetWave(0)->ViewEnd(), 1000);
}

} // namespace
