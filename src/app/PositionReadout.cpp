#include "app/PositionReadout.h"

#include "app/ProgramSettings.h"
#include "app/WaveListModel.h"
#include "app/WaveViews.h"
#include "view/GraphImage.h"
#include "view/TimeRuler.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>

namespace {

const char* const kUnitKey = "View/TimeInSamples";


QString Time(int64_t Samples, const TReadout& Readout, TTimeUnit Unit)
{
    const QString number = QString::fromStdString(TimeText(Samples, Readout.Rate, Unit));
    return Unit == TTimeUnit::Seconds ? QCoreApplication::translate("TPositionReadout", "%1秒").arg(number)
                                      : QCoreApplication::translate("TPositionReadout", "%1サンプル").arg(number);
}

} // namespace

QString ReadoutText(const TReadout& Readout, TTimeUnit Unit)
{
    QStringList parts;
    if (Readout.Cursor)
        parts << QCoreApplication::translate("TPositionReadout", "カーソル: %1").arg(Time(*Readout.Cursor, Readout, Unit));
    if (Readout.SelectStart < Readout.SelectEnd)
        parts << QCoreApplication::translate("TPositionReadout", "選択: %1 – %2 (長さ %3)")
                     .arg(QString::fromStdString(TimeText(Readout.SelectStart, Readout.Rate, Unit)),
                          Time(Readout.SelectEnd, Readout, Unit),
                          Time(int64_t{Readout.SelectEnd} - Readout.SelectStart, Readout, Unit));
    if (Readout.LoopEnd > Readout.LoopStart) // a loop that plays
        parts << QCoreApplication::translate("TPositionReadout", "ループ長: %1").arg(Time(int64_t{Readout.LoopEnd} - Readout.LoopStart, Readout, Unit));
    return parts.join("  ");
}

TPositionReadout::TPositionReadout(const TWaveListModel& Model, TWaveViews& Views, TTimeRuler& Ruler, QLabel& Label,
                                   QAction& InSamples, QObject* Parent)
    : QObject(Parent), FViews(Views), FRuler(Ruler), FLabel(Label), FInSamples(InSamples)
{
    FInSamples.setCheckable(true);
    FInSamples.setChecked(ProgramSettings().value(kUnitKey, false).toBool());
    FRuler.SetUnit(Unit());
    connect(&FInSamples, &QAction::toggled, this, [this](bool Checked) {
        ProgramSettings().setValue(kUnitKey, Checked);
        FRuler.SetUnit(Unit());
        Update();
    });
    for (TGraphImage* view : {FViews.Overview(), FViews.Detail()}) {
        connect(view, &TGraphImage::OnViewChange, this, &TPositionReadout::Update);
        connect(view, &TGraphImage::OnSelectionChange, this, &TPositionReadout::Update);
        connect(view, &TGraphImage::OnMouseDown, this, &TPositionReadout::Update);
        connect(view, &TGraphImage::OnMouseMove, this, &TPositionReadout::Update);
        connect(view, &TGraphImage::OnMouseUp, this, &TPositionReadout::Update);
    }
    connect(&Model, &TWaveListModel::LoopChanged, this, &TPositionReadout::Update);
    connect(&Model, &TWaveListModel::LoopDragged, this, &TPositionReadout::Update);
}

TTimeUnit TPositionReadout::Unit() const
{
    return FInSamples.isChecked() ? TTimeUnit::Samples : TTimeUnit::Seconds;
}

void TPositionReadout::Update()
{
    // While the views change waves they differ for a moment, and the one not
    // yet changed may hold a wave already gone: nothing is read then.
    const TWaveInfo* wave = FViews.Shown();
    if (!wave || FViews.Overview()->WaveInfo() != wave) {
        FLabel.clear();
        return;
    }
    const TGraphImage* detail = FViews.Detail();
    const TGraphImage* selected = detail->HasSelection() ? detail : FViews.Overview();
    const TReadout readout{wave->SamplesPerSec(), FViews.ShownCursor(), selected->SelectStart(), selected->SelectEnd(),
                           wave->LoopStart(),     wave->LoopEnd()};
    FLabel.setText(ReadoutText(readout, Unit()));
}
