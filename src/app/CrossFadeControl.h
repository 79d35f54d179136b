#pragma once
// TCrossFadeControl: the loop crossfade of the shown wave, set in
// milliseconds, with its length in samples beside it. It only shows and asks:
// the loop-editing controller gives it the fade to show and turns a request
// into an undo step.

#include <QWidget>

#include <cstdint>

class QDoubleSpinBox;
class QLabel;

class TCrossFadeControl : public QWidget {
    Q_OBJECT
public:
    explicit TCrossFadeControl(QWidget* Parent = nullptr);

    // Shows a fade of Samples for a loop that allows at most LongestSamples,
    // at RateHz; disabled when the loop allows none. Requests nothing.
    void Show(int32_t Samples, int32_t LongestSamples, int32_t RateHz);
    QDoubleSpinBox* MsBox() const { return FMs; }
    QLabel* SampleLabel() const { return FSamples; }

signals:
    // The user set the fade: its length in samples at the shown rate.
    void FadeRequested(int32_t Samples);
    // The user pressed Enter in the box.
    void EditingFinished();

private:
    void ShowSamples(int32_t Samples);

    QDoubleSpinBox* FMs;
    QLabel* FSamples;
    int32_t FRateHz = 0;
    bool FShowing = false; // Show sets the box: no request
};
