#pragma once
// TPositionReadout: where things are in the shown wave, in the unit the user
// chose (seconds or samples): the time ruler above the detail view, and a
// status-bar text with the cursor, the selection's start, end and length and
// the loop's length. The unit is one checkable action ("サンプル単位で表示"),
// kept between runs. The readout follows the views and the list model by
// itself.

#include "view/RulerTicks.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

class QAction;
class QLabel;
class TTimeRuler;
class TWaveListModel;
class TWaveViews;

// What the readout tells, for ReadoutText.
struct TReadout {
    int64_t Rate = 0;
    std::optional<int32_t> Cursor;
    int32_t SelectStart = 0, SelectEnd = 0; // no selection when equal
    int32_t LoopStart = 0, LoopEnd = 0;     // no loop unless it plays (End > Start)
};
// "カーソル: 0.500秒  選択: 0.100 – 0.300秒 (長さ 0.200秒)  ループ長: 0.250秒",
// leaving out what there is not.
QString ReadoutText(const TReadout& Readout, TTimeUnit Unit);

class TPositionReadout : public QObject {
    Q_OBJECT
public:
    TPositionReadout(const TWaveListModel& Model, TWaveViews& Views, TTimeRuler& Ruler, QLabel& Label,
                     QAction& InSamples, QObject* Parent = nullptr);

    TTimeUnit Unit() const;
    void Update();

private:
    TWaveViews& FViews;
    TTimeRuler& FRuler;
    QLabel& FLabel;
    QAction& FInSamples;
};
