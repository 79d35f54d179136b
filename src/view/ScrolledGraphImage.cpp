#include "view/ScrolledGraphImage.h"

#include "view/GraphImage.h"
#include "view/ViewMapping.h"
#include "view/ViewSpan.h"

#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kNotch = 120;        // wheel angle of one notch, in eighths of a degree
constexpr int kStepsPerSpan = 10;  // a notch or an arrow click moves a tenth of the span

TViewSpan SpanOf(const TGraphImage& View) { return {View.ViewStart(), View.ViewEnd()}; }

} // namespace

TScrolledGraphImage::TScrolledGraphImage(TGraphImage* View, QWidget* Parent)
    : QWidget(Parent), FView(View), FScrollBar(new QScrollBar(Qt::Horizontal))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(FView, 1);
    layout->addWidget(FScrollBar);
    // Keys stay with the window's commands.
    FScrollBar->setFocusPolicy(Qt::NoFocus);
    FView->installEventFilter(this);
    connect(FView, &TGraphImage::OnViewChange, this, &TScrolledGraphImage::FollowView);
    connect(FScrollBar, &QScrollBar::valueChanged, this, &TScrolledGraphImage::ScrollTo);
    FollowView();
}

// The scroll bar's value is the span's start; its page, the span's length.
void TScrolledGraphImage::FollowView()
{
    const TViewSpan span = SpanOf(*FView);
    const int32_t count = FView->SampleCount();
    const bool scrollable = span.Length() > 0 && span.Length() < count;
    const QSignalBlocker quiet(FScrollBar);
    FScrollBar->setEnabled(scrollable);
    FScrollBar->setRange(0, scrollable ? static_cast<int>(count - span.Length()) : 0);
    FScrollBar->setPageStep(static_cast<int>(std::max<int64_t>(span.Length(), 1)));
    FScrollBar->setSingleStep(static_cast<int>(std::max<int64_t>(span.Length() / kStepsPerSpan, 1)));
    FScrollBar->setValue(span.Start);
}

void TScrolledGraphImage::ScrollTo(int Value)
{
    const TViewSpan span = ScrollSpan(SpanOf(*FView), Value, FView->SampleCount());
    if (span != SpanOf(*FView))
        emit OnViewRequest(span.Start, span.End);
}

bool TScrolledGraphImage::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched != FView || Event->type() != QEvent::Wheel)
        return QWidget::eventFilter(Watched, Event);
    Wheel(*static_cast<QWheelEvent*>(Event));
    return true;
}

void TScrolledGraphImage::Wheel(const QWheelEvent& Event)
{
    const QPoint angle = Event.angleDelta();
    FWheelRest += angle.y() != 0 ? angle.y() : angle.x();
    const int notches = FWheelRest / kNotch;
    FWheelRest %= kNotch;
    const int32_t count = FView->SampleCount();
    TViewSpan span = SpanOf(*FView);
    if (notches == 0 || count == 0 || span.Length() <= 0)
        return;
    if (Event.modifiers() & Qt::ControlModifier) {
        // Turning away from the user zooms in, around the sample under the pointer.
        const TViewMapping m{span.Start, span.End, FView->width(), FView->height()};
        const int64_t x = static_cast<int64_t>(Event.position().x());
        const int64_t anchor = m.XToSampleRound(Clamp(x, 0, m.Width - 1));
        for (int i = 0; i < std::abs(notches); ++i)
            span = ZoomSpan(span, anchor, notches > 0, count);
    } else {
        // Turning away from the user moves towards the start of the wave.
        const int64_t step = std::max<int64_t>(span.Length() / kStepsPerSpan, 1);
        span = ScrollSpan(span, span.Start - notches * step, count);
    }
    if (span != SpanOf(*FView))
        emit OnViewRequest(span.Start, span.End);
}
