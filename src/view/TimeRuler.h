#pragma once
// TTimeRuler: a strip above a waveform view that marks the time of the span
// the view shows, in seconds or in samples. It follows the view by itself
// (its wave and span) and is exactly as wide as the view, so its ticks lie
// over the samples they name.

#include "view/RulerTicks.h"

#include <QWidget>

class TGraphImage;

class TTimeRuler : public QWidget {
    Q_OBJECT
public:
    explicit TTimeRuler(const TGraphImage& View, QWidget* Parent = nullptr);

    TTimeUnit Unit() const { return FUnit; }
    void SetUnit(TTimeUnit Value);
    // The ticks drawn now (none without a wave).
    std::vector<TRulerTick> Ticks() const;

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    const TGraphImage& FView;
    TTimeUnit FUnit = TTimeUnit::Seconds;
};
