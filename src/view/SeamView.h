#pragma once
// The seam view: what playback hears where a loop jumps back. It shows the
// samples just before the loop end followed at once by the samples from the
// loop start, with a thin grey line at the junction, so a step or a kink at
// the seam shows as one in the drawn wave. Span samples are shown on either
// side; the view has its own zoom (ZoomIn/ZoomOut, or + and - while it has
// the focus). Without a wave or a loop it is empty.

#include "document/WaveInfo.h"

#include <QImage>
#include <QWidget>

class QPainter;

#include <cstdint>
#include <functional>
#include <vector>

class TSeamView : public QWidget {
    Q_OBJECT

public:
    static constexpr int32_t kMinSpan = 8;
    static constexpr int32_t kMaxSpan = 1 << 16;
    static constexpr int32_t kDefaultSpan = 256;

    explicit TSeamView(QWidget* Parent = nullptr);

    // The wave (not owned, null for none) and the loop Start .. End-1 to
    // show; nothing is shown unless Start < End. Faded is the loop's
    // crossfaded stretch, shown (shaded) in place of the samples leading into
    // the loop end (CrossFade.h). Redraws only on a change.
    void SetSeam(const TWaveInfo* Wave, int32_t Start, int32_t End, std::vector<int16_t> Faded = {});
    bool Empty() const { return !FWave; }

    // Samples shown on either side of the junction.
    int32_t Span() const { return FSpan; }
    void ZoomIn();  // halves the span, down to kMinSpan
    void ZoomOut(); // doubles it, up to kMaxSpan

    // The pixels the view shows.
    const QImage& Surface() const { return FSurface; }

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;

private:
    void Redraw();
    void DrawSampleLines(QPainter& Painter, const std::function<int(int16_t)>& Y) const;
    void DrawColumnStrokes(QPainter& Painter, const std::function<int(int16_t)>& Y) const;
    // The sample heard at Offset from the junction (the loop end's side
    // before it, the loop start's from it on); false beyond the wave.
    bool SampleAt(int64_t Offset, int16_t& Sample) const;

    const TWaveInfo* FWave = nullptr;
    int32_t FStart = 0;
    int32_t FEnd = 0;
    std::vector<int16_t> FFaded;
    int32_t FSpan = kDefaultSpan;
    QImage FSurface;
};
