#include "view/TimeRuler.h"

#include "view/GraphImage.h"
#include "view/ViewMapping.h"

#include <QPainter>

#include <algorithm>

namespace {

constexpr int kMinLabelGapPixels = 80;
constexpr int kTickPixels = 5;

} // namespace

TTimeRuler::TTimeRuler(const TGraphImage& View, QWidget* Parent) : QWidget(Parent), FView(View)
{
    setObjectName("TimeRuler");
    setFixedHeight(fontMetrics().height() + kTickPixels + 2);
    connect(&FView, &TGraphImage::OnViewChange, this, qOverload<>(&QWidget::update));
}

void TTimeRuler::SetUnit(TTimeUnit Value)
{
    FUnit = Value;
    update();
}

std::vector<TRulerTick> TTimeRuler::Ticks() const
{
    const TWaveInfo* wave = FView.WaveInfo();
    if (!wave)
        return {};
    return RulerTicks(FView.ViewStart(), FView.ViewEnd(), FView.width(), wave->SamplesPerSec(), FUnit,
                      kMinLabelGapPixels);
}

void TTimeRuler::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawLine(0, height() - 1, width(), height() - 1);
    const TViewMapping mapping{FView.ViewStart(), FView.ViewEnd(), FView.width(), 0};
    const int x0 = FView.mapTo(window(), QPoint()).x() - mapTo(window(), QPoint()).x();
    for (const TRulerTick& tick : Ticks()) {
        const int x = x0 + static_cast<int>(mapping.SampleToXRound(tick.Sample));
        painter.drawLine(x, height() - 1 - kTickPixels, x, height() - 1);
        // A label near the right edge moves left of its tick to stay whole.
        const QString label = QString::fromStdString(tick.Label);
        const int textX = std::min(x + 2, width() - fontMetrics().horizontalAdvance(label) - 1);
        painter.drawText(textX, fontMetrics().ascent(), label);
    }
}
