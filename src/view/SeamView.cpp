#include "view/SeamView.h"

#include "view/ViewMapping.h"

#include <QKeyEvent>
#include <QPainter>

#include <algorithm>
#include <functional>

namespace {

constexpr QRgb kBackground = 0xFFFFFFFF;
constexpr QRgb kWave = 0xFF0000FF;
constexpr QRgb kJunction = 0xFF808080;
constexpr QRgb kFaded = 0xFFE4ECF8; // the crossfaded stretch

} // namespace

TSeamView::TSeamView(QWidget* Parent) : QWidget(Parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    Redraw();
}

void TSeamView::SetSeam(const TWaveInfo* Wave, int32_t Start, int32_t End, std::vector<int16_t> Faded)
{
    if (!Wave || Start >= End)
        Wave = nullptr, Start = End = 0, Faded.clear();
    if (Wave == FWave && Start == FStart && End == FEnd && Faded == FFaded)
        return;
    FWave = Wave;
    FStart = Start;
    FEnd = End;
    FFaded = std::move(Faded);
    Redraw();
}

void TSeamView::ZoomIn()
{
    FSpan = std::max(kMinSpan, FSpan / 2);
    Redraw();
}

void TSeamView::ZoomOut()
{
    FSpan = std::min(kMaxSpan, FSpan * 2);
    Redraw();
}

bool TSeamView::SampleAt(int64_t Offset, int16_t& Sample) const
{
    const int64_t index = Offset < 0 ? FEnd + Offset : FStart + Offset;
    if (index < 0 || index >= FWave->SampleCount())
        return false;
    const auto faded = static_cast<int64_t>(FFaded.size());
    Sample = Offset < 0 && -Offset <= faded ? FFaded[static_cast<std::size_t>(faded + Offset)]
                                            : FWave->Data()[static_cast<std::size_t>(index)];
    return true;
}

// Fewer samples than columns: each sample at the middle of its columns,
// joined by straight lines.
void TSeamView::DrawSampleLines(QPainter& Painter, const std::function<int(int16_t)>& Y) const
{
    const int64_t shown = 2 * int64_t{FSpan};
    const int width = FSurface.width();
    QPoint previous;
    bool joined = false;
    for (int64_t i = 0; i < shown; ++i) {
        int16_t sample = 0;
        if (!SampleAt(i - FSpan, sample)) {
            joined = false;
            continue;
        }
        const QPoint point(static_cast<int>((2 * i + 1) * width / (2 * shown)), Y(sample));
        if (joined)
            Painter.drawLine(previous, point);
        else
            Painter.drawPoint(point);
        previous = point;
        joined = true;
    }
}

// As many samples as columns or more: column x shows the offsets it covers,
// joined to the last sample of the column before it, as one vertical stroke
// from their lowest to their highest.
void TSeamView::DrawColumnStrokes(QPainter& Painter, const std::function<int(int16_t)>& Y) const
{
    const int64_t shown = 2 * int64_t{FSpan};
    const int width = FSurface.width();
    const int height = FSurface.height();
    int64_t previous = -1;
    for (int x = 0; x < width; ++x) {
        const int64_t first = x * shown / width;
        const int64_t last = std::max(first, (x + 1) * shown / width - 1);
        int low = height;
        int high = -1;
        for (int64_t i = std::max<int64_t>(0, previous); i <= last; ++i) {
            int16_t sample = 0;
            if (!SampleAt(i - FSpan, sample))
                continue;
            low = std::min(low, Y(sample));
            high = std::max(high, Y(sample));
        }
        if (high >= 0)
            Painter.drawLine(x, low, x, high);
        previous = last;
    }
}

void TSeamView::Redraw()
{
    const int width = std::max(1, this->width());
    const int height = std::max(1, this->height());
    if (FSurface.size() != QSize(width, height))
        FSurface = QImage(width, height, QImage::Format_RGB32);
    FSurface.fill(kBackground);
    if (FWave) {
        // The junction first, so that a step drawn across it stays visible.
        QPainter painter(&FSurface);
        // The faded stretch leads into the junction, shaded.
        if (!FFaded.empty()) {
            const int64_t fadedColumns = std::min<int64_t>(FSpan, int64_t(FFaded.size())) * width / (2 * int64_t{FSpan});
            painter.fillRect(QRect(width / 2 - int(fadedColumns), 0, int(fadedColumns), height), QColor::fromRgb(kFaded));
        }
        painter.setPen(QColor::fromRgb(kJunction));
        painter.drawLine(width / 2, 0, width / 2, height - 1);
        painter.setPen(QColor::fromRgb(kWave));
        const int64_t shown = 2 * int64_t{FSpan};
        // Rows as the waveform views map them, over one row less, so that
        // -32768 lands on the last row instead of just below it.
        const TViewMapping rows{.Height = height - 1};
        const auto y = [rows](int16_t sample) { return static_cast<int>(rows.SampleToY(sample)); };
        if (shown < width)
            DrawSampleLines(painter, y);
        else
            DrawColumnStrokes(painter, y);
    }
    update();
}

void TSeamView::paintEvent(QPaintEvent*)
{
    QPainter(this).drawImage(0, 0, FSurface);
}

void TSeamView::resizeEvent(QResizeEvent*)
{
    Redraw();
}

void TSeamView::keyPressEvent(QKeyEvent* Event)
{
    if (Event->key() == Qt::Key_Plus || Event->key() == Qt::Key_Equal)
        ZoomIn();
    else if (Event->key() == Qt::Key_Minus)
        ZoomOut();
    else
        QWidget::keyPressEvent(Event);
}

void TSeamView::mousePressEvent(QMouseEvent* Event)
{
    setFocus(Qt::MouseFocusReason);
    QWidget::mousePressEvent(Event);
}
