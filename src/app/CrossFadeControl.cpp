#include "app/CrossFadeControl.h"

#include "document/CrossFade.h"

#include <QDoubleSpinBox>
#include <QVBoxLayout>
#include <QLabel>

TCrossFadeControl::TCrossFadeControl(QWidget* Parent)
    : QWidget(Parent), FMs(new QDoubleSpinBox(this)), FSamples(new QLabel(this))
{
    setObjectName("CrossFadeControl");
    FMs->setObjectName("CrossFadeMs");
    FSamples->setObjectName("CrossFadeSamples");
    // A narrow column: it stands beside the seam view.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    auto* caption = new QLabel(tr("クロスフェード"), this);
    layout->addWidget(caption);
    layout->addWidget(FMs);
    layout->addWidget(FSamples);
    FMs->setDecimals(1);
    FMs->setSingleStep(1.0);
    FMs->setSuffix(" ms");
    // A request when the user finishes typing or steps, not on each key.
    FMs->setKeyboardTracking(false);
    connect(FMs, &QDoubleSpinBox::valueChanged, this, [this](double Ms) {
        if (FShowing || FRateHz <= 0)
            return;
        const int32_t samples = FadeSamplesOfMs(Ms, FRateHz);
        ShowSamples(samples);
        emit FadeRequested(samples);
    });
    connect(FMs, &QAbstractSpinBox::editingFinished, this, [this] {
        if (FMs->hasFocus())
            emit EditingFinished();
    });
    Show(0, 0, 0);
}

void TCrossFadeControl::Show(int32_t Samples, int32_t LongestSamples, int32_t RateHz)
{
    FShowing = true;
    FRateHz = RateHz;
    FMs->setRange(0.0, FadeMsOfSamples(LongestSamples, RateHz));
    FMs->setValue(FadeMsOfSamples(Samples, RateHz));
    FShowing = false;
    setEnabled(LongestSamples > 0);
    ShowSamples(Samples);
}

void TCrossFadeControl::ShowSamples(int32_t Samples) { FSamples->setText(tr("%1 サンプル").arg(Samples)); }
